// One engine flame: a fan of three planes 60 degrees apart through the flame's
// axis, each holding three nested quads textured with the fire texture and
// blended additively at alpha 1/9, so the glow adds up to 1 where all overlap.
#pragma once

#include "Vec3.h"

namespace orbit {

class EngineFlame {
public:
    virtual ~EngineFlame() = default;
    // Draws the flame at `at` in the current (ship-placed) frame, extending
    // along +z, with fireTexture. Leaves lighting and depth writes on, blending
    // and 2D texturing off.
    void drawFlame(Vec3 at, unsigned fireTexture) const;
};

} // namespace orbit

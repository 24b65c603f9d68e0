// Where a ship's effects are drawn. The frame draws them with GlEffectPainter;
// tests record what would be drawn, so bolt order, guns and fading can be
// checked without a GL context.
#pragma once

#include "EngineFlame.h"

#include <array>

namespace orbit {

class FlyingObject;
class Shot;

class EffectPainter {
public:
    virtual ~EffectPainter() = default;
    // The four flames, placed like ship.drawOriented (translation, heading, roll).
    virtual void drawFlames(const FlyingObject& ship, const std::array<EngineFlame, 4>& flames) = 0;
    // One living bolt at its position, heading, spin and gun offset, with alpha 0..1.
    virtual void drawBolt(const Shot& bolt, float alpha) = 0;
};

} // namespace orbit

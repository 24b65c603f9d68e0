// A laser bolt: waits a random delay, comes alive, is placed behind the ship by
// its owner, flies forwards in a straight line and fades over its lifetime, then
// waits again. The life is GL-free (stepShot returns the alpha to draw with);
// the owner's EffectPainter does the drawing, so the life can be tested alone.
#pragma once

#include "FlyingObject.h"

#include <optional>

namespace orbit {

class Shot final : public FlyingObject {
public:
    // Sets the front diffuse material; bolts are drawn by the effect painter.
    void draw() const override;
    // previousPosition = position, one straight step, heading from the kept delta.
    void update(RandomGenerator& random) override;
    // Straight-line step: position -= flightSpeed * delta (delta is a unit vector
    // pointing backwards, so the bolt flies forwards).
    void placeOnOrbit() override;

    // Back to waiting with a new delay (20..170 frames) and lifetime (10..20
    // frames): two draws from random.
    void resetShot(RandomGenerator& random);
    // One frame of life: ages the bolt and switches its state. Returns the alpha
    // (0..1) when the bolt is to be drawn this frame, nothing otherwise.
    std::optional<float> stepShot(RandomGenerator& random);

    static constexpr double flightSpeed = 2.5; // scene units per frame

    bool alive = false;
    bool spawned = false; // came alive; the owner clears it after placing the bolt
    int age = 0;          // frames since the last state change
    int delay = 0;        // frames to wait before coming alive
    int lifetime = 0;     // frames to stay alive
    int gun = 0;          // gun position 0..3
    float spin = 0.0f;    // degrees about the bolt's own z axis
};

} // namespace orbit

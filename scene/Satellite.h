// A satellite: a flying object with the starship's effect members and no
// model. The saver scene keeps thirty as a pool of random orbits; the first
// "SatCount" are randomized and satellite 0's orbit is handed to the starship.
// No frame moves or draws them.
#pragma once

#include "FlyingObject.h"
#include "ShipEffects.h"

namespace orbit {

class SettingsStore;

class Satellite final : public FlyingObject {
public:
    // Constructs the effects (resetting bolts 0..9: twenty draws from random)
    // and reads "Fire" from settings for the sound flag.
    Satellite(RandomGenerator& random, SettingsStore& settings);
    Satellite(const Satellite&) = delete;
    Satellite& operator=(const Satellite&) = delete;

    // Satellites have no geometry of their own; no frame draws them.
    void draw() const override {}

    ShipEffects effects;
};

} // namespace orbit

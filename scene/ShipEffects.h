// The effect members a ship carries (the starship and, unused, every
// satellite): four engine flames, the bolt pool, the gun counter and the two
// sound flags, with the fixed flame and gun positions of the built-in ship.
// The pool is a fixed array of 100 bolts of which only the first shotCount are
// ever reset, placed or drawn.
#pragma once

#include "EngineFlame.h"
#include "Shot.h"
#include "Vec3.h"

#include <array>

namespace orbit {

class RandomGenerator;

struct ShipEffects {
    static constexpr int shotPoolSize = 100;
    static constexpr int shotsInUse = 10;
    static constexpr int gunCount = 4;

    // Flame and gun positions in the ship's oriented frame (+z backwards along
    // the path); they fit the built-in ship only.
    static constexpr std::array<Vec3, 4> flamePositions = {
        {{-0.2, -0.17, 1.5}, {0.2, -0.17, 1.5}, {0.2, 0.17, 1.5}, {-0.2, 0.17, 1.5}}};
    static constexpr std::array<Vec3, gunCount> gunPositions = {
        {{-0.78, -0.2, 0.0}, {-0.78, 0.2, 0.0}, {0.78, 0.2, 0.0}, {0.78, -0.2, 0.0}}};

    // Resets bolts 0..shotsInUse-1 (two draws each, in index order).
    // shotSoundOn is the "Fire" setting (not 0).
    ShipEffects(RandomGenerator& random, bool shotSoundOn);

    // The gun's offset, or none for a value outside 0..3.
    static Vec3 gunOffset(int gun);

    std::array<EngineFlame, 4> flames;
    int shotCount = shotsInUse;
    int nextGun = 0;
    bool soundSource = false;
    bool soundEnabled = true;
    std::array<Shot, shotPoolSize> shots;
};

} // namespace orbit

// Construction of a ship's effect members in a fixed order (a seed gives one flight): flames, the
// bolt pool, the counters, the bolt resets (which consume random draws), and
// the sound flag from the "Fire" setting.
#include "ShipEffects.h"

namespace orbit {

ShipEffects::ShipEffects(RandomGenerator& random, bool shotSoundOn)
{
    for (int i = 0; i < shotCount; ++i)
        shots[static_cast<std::size_t>(i)].resetShot(random);
    soundEnabled = shotSoundOn;
}

Vec3 ShipEffects::gunOffset(int gun)
{
    if (gun < 0 || gun >= gunCount)
        return {};
    return gunPositions[static_cast<std::size_t>(gun)];
}

} // namespace orbit

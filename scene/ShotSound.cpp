// Looks the resource up at every shot, as the original did; the lookup is a
// map search over the built-in table and copies nothing.
#include "ShotSound.h"

namespace orbit {

bool ShotSound::play() const
{
    const auto wave = resources.find("WAVE", waveResourceId);
    if (wave.empty())
        return false;
    return player.playAsync(wave);
}

} // namespace orbit

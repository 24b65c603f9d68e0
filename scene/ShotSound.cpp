#include "ShotSound.h"

namespace orbit {

bool ShotSound::prepare() const
{
    const auto wave = resources.find("WAVE", waveResourceId);
    if (wave.empty())
        return false;
    return player.prepare(wave);
}

bool ShotSound::play() const { return player.play(); }

} // namespace orbit

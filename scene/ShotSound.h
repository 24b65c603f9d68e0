// The shot sound: WAVE resource 151 played asynchronously from memory through
// the platform's sound service. A new shot restarts it; nothing waits for it.
#pragma once

#include "platform/ResourceProvider.h"
#include "platform/SoundPlayer.h"

namespace orbit {

class ShotSound {
public:
    static constexpr int waveResourceId = 151;

    // Both must outlive this object; the resource bytes are played in place.
    ShotSound(const ResourceProvider& resources, SoundPlayer& player) : resources(resources), player(player) {}
    // True when the sound started; false when the resource is missing or the
    // service could not play it (no audio device). Never prints anything.
    bool play() const;

private:
    const ResourceProvider& resources;
    SoundPlayer& player;
};

} // namespace orbit

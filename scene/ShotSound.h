// The shot sound: WAVE resource 151 through the platform's sound service. It
// is handed to the service once at set-up (prepare); each shot then only
// starts it (play), which restarts it and waits for nothing.
#pragma once

#include "platform/ResourceProvider.h"
#include "platform/SoundPlayer.h"

namespace orbit {

class ShotSound {
public:
    static constexpr int waveResourceId = 151;

    // Both must outlive this object.
    ShotSound(const ResourceProvider& resources, SoundPlayer& player) : resources(resources), player(player) {}
    // Decodes the resource and opens the output; call at set-up. False when
    // the resource is missing or the service cannot play it (no audio device).
    bool prepare() const;
    // True when the sound started; false when it was never prepared. Cheap and
    // silent in every case: it is called from the frame.
    bool play() const;

private:
    const ResourceProvider& resources;
    SoundPlayer& player;
};

} // namespace orbit

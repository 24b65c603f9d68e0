// Asynchronous playback of one WAV sound held in memory. The sound is decoded
// and the output opened once, ahead of time (prepare, at set-up); play then
// only signals the output and returns at once, so it is cheap enough for any
// frame. A new play restarts the sound from its beginning rather than mixing.
#pragma once

#include <cstdint>
#include <span>

namespace orbit {

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Decodes wavBytes (a RIFF WAVE file) and readies the output for it; may
    // take a while (opening the audio device). True when play can sound it;
    // false for bad data or when there is no audio device. The bytes need not
    // outlive the call.
    virtual bool prepare(std::span<const std::uint8_t> wavBytes) = 0;
    // Starts the prepared sound and returns at once, allocating nothing; false
    // when nothing is prepared. Never prints anything.
    virtual bool play() = 0;
};

// For machines and tools without sound.
class SilentSoundPlayer final : public SoundPlayer {
public:
    bool prepare(std::span<const std::uint8_t>) override { return false; }
    bool play() override { return false; }
};

} // namespace orbit

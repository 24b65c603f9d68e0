// Asynchronous playback of a WAV file held in memory (sndPlaySound with
// SND_ASYNC | SND_MEMORY). A new sound replaces the one playing.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace orbit {

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Starts playing wavBytes (a RIFF WAVE file) and returns at once; true when
    // the sound started, false when it could not (no audio device, bad data).
    // The bytes must stay valid while the sound plays.
    virtual bool playAsync(std::span<const std::uint8_t> wavBytes) = 0;
};

// For machines and tools without sound.
class SilentSoundPlayer final : public SoundPlayer {
public:
    bool playAsync(std::span<const std::uint8_t>) override { return false; }
};

// Counts calls and answers with a fixed result.
class RecordingSoundPlayer final : public SoundPlayer {
public:
    bool playAsync(std::span<const std::uint8_t> wavBytes) override
    {
        played.push_back(wavBytes.size());
        return result;
    }
    std::vector<std::size_t> played; // byte size of each sound started
    bool result = true;
};

} // namespace orbit

// The shot sound through SDL2 audio. prepare decodes the WAVE bytes into a
// buffer of our own and opens one output device in the sound's format, with a
// device buffer of about 10 ms, and starts it: from then on the device callback
// hands out silence until play asks for the sound. play only bumps a counter
// the callback reads, so a shot costs the frame nothing and the sound starts
// with the next device buffer. When there is no audio device prepare answers
// false once and play answers false from then on, without trying (or printing)
// again per shot.
#pragma once

#include "SoundPlayer.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace orbit {

class SdlSoundPlayer final : public SoundPlayer {
public:
    SdlSoundPlayer() = default;
    ~SdlSoundPlayer() override;
    SdlSoundPlayer(const SdlSoundPlayer&) = delete;
    SdlSoundPlayer& operator=(const SdlSoundPlayer&) = delete;

    // False for bytes that are no WAVE file SDL can read, and when no audio
    // device can be opened. A second prepare replaces the sound.
    bool prepare(std::span<const std::uint8_t> wavBytes) override;
    bool play() override;

    // When the device callback handed out the first non-silent sample of the
    // sound started by the latest play; empty until it has. This is the
    // moment the sound leaves this program, for latency measurements.
    std::optional<std::chrono::steady_clock::time_point> lastStartHeard() const;
    // Samples per device buffer (0 while no device is open).
    int deviceBufferSamples() const { return bufferSamples; }

private:
    static void fillBuffer(void* self, std::uint8_t* stream, int length);
    void fill(std::uint8_t* stream, std::size_t length);
    void closeDevice();

    bool audioInitialised = false;
    bool audioUnavailable = false;
    std::uint32_t device = 0; // SDL_AudioDeviceID, 0 = none
    int bufferSamples = 0;

    // Written only while the device is closed; read by the callback.
    std::vector<std::uint8_t> samples;
    std::uint8_t silence = 0;

    // play -> callback: the number of starts asked for.
    std::atomic<std::uint32_t> startsRequested{0};
    // callback -> observers: steady-clock nanoseconds of the first non-silent
    // sample of start number heardStart.
    std::atomic<std::int64_t> heardAtNs{0};
    std::atomic<std::uint32_t> heardStart{0};

    // Callback thread only.
    std::uint32_t startsServed = 0;
    std::size_t position = 0;
    bool awaitingSound = false;
};

} // namespace orbit

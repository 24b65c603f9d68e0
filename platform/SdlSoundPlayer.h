// The shot sound through SDL2 audio: the WAVE bytes are decoded from memory
// and queued on one output device, which starts at once and plays while the
// caller goes on. A new sound clears the queue first, so it restarts rather
// than mixes. Audio is opened on the first sound; when there is no device the
// answer is false from then on, without trying (and printing) again per shot.
#pragma once

#include "SoundPlayer.h"

#include <cstdint>

namespace orbit {

class SdlSoundPlayer final : public SoundPlayer {
public:
    SdlSoundPlayer() = default;
    ~SdlSoundPlayer() override;
    SdlSoundPlayer(const SdlSoundPlayer&) = delete;
    SdlSoundPlayer& operator=(const SdlSoundPlayer&) = delete;

    // False for bytes that are no WAVE file SDL can read, and when no audio
    // device can be opened.
    bool playAsync(std::span<const std::uint8_t> wavBytes) override;

    // Bytes still waiting in the device queue (0 when no device is open).
    std::uint32_t queuedBytes() const;

private:
    struct DeviceFormat {
        int frequency = 0;
        int format = 0;
        int channels = 0;
        bool operator==(const DeviceFormat&) const = default;
    };
    bool ensureDevice(const DeviceFormat& wanted);
    void closeDevice();

    bool audioInitialised = false;
    bool audioUnavailable = false;
    std::uint32_t device = 0; // SDL_AudioDeviceID, 0 = none
    DeviceFormat deviceFormat;
};

} // namespace orbit

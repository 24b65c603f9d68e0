// SDL_LoadWAV_RW reads the WAVE bytes in place (no copy of the file) and hands
// back the decoded samples, which are queued and freed at once; the queue keeps
// its own copy. The device is reopened only when a sound's format changes.
#include "SdlSoundPlayer.h"

#include <SDL.h>

namespace orbit {

SdlSoundPlayer::~SdlSoundPlayer()
{
    closeDevice();
    if (audioInitialised)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlSoundPlayer::closeDevice()
{
    if (device != 0)
        SDL_CloseAudioDevice(device);
    device = 0;
}

bool SdlSoundPlayer::ensureDevice(const DeviceFormat& wanted)
{
    if (audioUnavailable)
        return false;
    if (!audioInitialised) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            audioUnavailable = true;
            return false;
        }
        audioInitialised = true;
    }
    if (device != 0 && deviceFormat == wanted)
        return true;
    closeDevice();
    SDL_AudioSpec request{};
    request.freq = wanted.frequency;
    request.format = static_cast<SDL_AudioFormat>(wanted.format);
    request.channels = static_cast<Uint8>(wanted.channels);
    request.samples = 4096;
    // No allowed changes: SDL converts, and the queued bytes keep the file's format.
    device = SDL_OpenAudioDevice(nullptr, 0, &request, nullptr, 0);
    if (device == 0) {
        audioUnavailable = true;
        return false;
    }
    deviceFormat = wanted;
    return true;
}

bool SdlSoundPlayer::playAsync(std::span<const std::uint8_t> wavBytes)
{
    if (wavBytes.empty() || audioUnavailable || wavBytes.size() > static_cast<std::size_t>(INT32_MAX))
        return false;
    SDL_RWops* stream = SDL_RWFromConstMem(wavBytes.data(), static_cast<int>(wavBytes.size()));
    if (!stream)
        return false;
    SDL_AudioSpec wavFormat{};
    Uint8* samples = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(stream, 1, &wavFormat, &samples, &length))
        return false;
    bool started = false;
    if (ensureDevice({wavFormat.freq, wavFormat.format, wavFormat.channels})) {
        SDL_ClearQueuedAudio(device);
        started = SDL_QueueAudio(device, samples, length) == 0;
        SDL_PauseAudioDevice(device, 0);
    }
    SDL_FreeWAV(samples);
    return started;
}

std::uint32_t SdlSoundPlayer::queuedBytes() const { return device == 0 ? 0 : SDL_GetQueuedAudioSize(device); }

} // namespace orbit

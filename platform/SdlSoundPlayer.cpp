// SDL_LoadWAV_RW reads the WAVE bytes in place and hands back the decoded
// samples, which are copied into the player's own buffer once. The device runs
// from prepare on; its callback copies from that buffer, so no SDL queue (and
// no buffering beyond one device buffer) stands between a shot and its sound.
#include "SdlSoundPlayer.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace orbit {

namespace {

// The smallest power of two holding 10 ms at frequency, at least 64 samples:
// short enough that a sound asked for between two callbacks goes out within
// one buffer, long enough for a desktop sound server to keep up.
int bufferSamplesFor(int frequency)
{
    const int wanted = std::max(64, frequency / 100);
    int samples = 64;
    while (samples < wanted && samples < 4096)
        samples *= 2;
    return samples;
}

std::int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

SdlSoundPlayer::~SdlSoundPlayer()
{
    closeDevice();
    if (audioInitialised)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlSoundPlayer::closeDevice()
{
    if (device != 0)
        SDL_CloseAudioDevice(device); // waits for the callback to finish
    device = 0;
    bufferSamples = 0;
}

void SdlSoundPlayer::fillBuffer(void* self, std::uint8_t* stream, int length)
{
    static_cast<SdlSoundPlayer*>(self)->fill(stream, length > 0 ? static_cast<std::size_t>(length) : 0);
}

void SdlSoundPlayer::fill(std::uint8_t* stream, std::size_t length)
{
    const std::uint32_t requested = startsRequested.load(std::memory_order_acquire);
    if (requested != startsServed) {
        startsServed = requested;
        position = 0;
        awaitingSound = true;
    }
    const std::size_t count = std::min(length, samples.size() - std::min(position, samples.size()));
    if (count > 0)
        std::memcpy(stream, samples.data() + position, count);
    std::memset(stream + count, silence, length - count);
    if (awaitingSound) {
        std::uint8_t* end = stream + count;
        if (std::find_if(stream, end, [this](std::uint8_t byte) { return byte != silence; }) != end) {
            heardAtNs.store(nowNs(), std::memory_order_relaxed);
            heardStart.store(startsServed, std::memory_order_release);
            awaitingSound = false;
        }
    }
    position += count;
}

bool SdlSoundPlayer::prepare(std::span<const std::uint8_t> wavBytes)
{
    if (wavBytes.empty() || audioUnavailable || wavBytes.size() > static_cast<std::size_t>(INT32_MAX))
        return false;
    SDL_RWops* stream = SDL_RWFromConstMem(wavBytes.data(), static_cast<int>(wavBytes.size()));
    if (!stream)
        return false;
    SDL_AudioSpec wavFormat{};
    Uint8* decoded = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(stream, 1, &wavFormat, &decoded, &length))
        return false;

    if (!audioInitialised) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            SDL_FreeWAV(decoded);
            audioUnavailable = true;
            return false;
        }
        audioInitialised = true;
    }
    closeDevice();
    samples.assign(decoded, decoded + length);
    SDL_FreeWAV(decoded);
    position = samples.size(); // nothing sounds until play
    startsServed = startsRequested.load();
    awaitingSound = false;

    SDL_AudioSpec request{};
    request.freq = wavFormat.freq;
    request.format = wavFormat.format;
    request.channels = wavFormat.channels;
    request.samples = static_cast<Uint16>(bufferSamplesFor(wavFormat.freq));
    request.callback = &SdlSoundPlayer::fillBuffer;
    request.userdata = this;
    SDL_AudioSpec obtained{};
    // No allowed changes: SDL converts to the hardware, the callback keeps the file's format.
    device = SDL_OpenAudioDevice(nullptr, 0, &request, &obtained, 0);
    if (device == 0) {
        samples.clear();
        audioUnavailable = true;
        return false;
    }
    silence = obtained.silence;
    bufferSamples = obtained.samples;
    SDL_PauseAudioDevice(device, 0);
    return true;
}

bool SdlSoundPlayer::play()
{
    if (device == 0)
        return false;
    startsRequested.fetch_add(1, std::memory_order_release);
    return true;
}

std::optional<std::chrono::steady_clock::time_point> SdlSoundPlayer::lastStartHeard() const
{
    const std::uint32_t requested = startsRequested.load(std::memory_order_acquire);
    if (requested == 0 || heardStart.load(std::memory_order_acquire) != requested)
        return std::nullopt;
    return std::chrono::steady_clock::time_point(std::chrono::nanoseconds(heardAtNs.load(std::memory_order_relaxed)));
}

} // namespace orbit

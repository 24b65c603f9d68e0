// The shot sound's start latency in the real scene: the built-in scene runs on
// a headless context, one frame per timer period, with the SDL player (on
// SDL's dummy driver unless SDL_AUDIODRIVER says otherwise). For every shot the
// latency is the time from the tick of the frame that spawned the bolt to the
// first non-silent sample the device callback handed out. It also reports the
// set-up time and the longest frame with and without a shot, so that a
// sound that costs the frame shows.
//
//   shot-sound-latency [SECONDS=20] [TIMER_MS=10]
#include "platform/DiagnosticSink.h"
#include "platform/HeadlessGlContext.h"
#include "platform/SdlSoundPlayer.h"
#include "platform/SettingsStore.h"
#include "platform/UserNotifier.h"
#include "resources/EmbeddedResources.h"
#include "scene/SaverScene.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace {

using namespace orbit;
using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Passes everything to the SDL player and notes which frame started a sound.
class ShotClock final : public SoundPlayer {
public:
    bool prepare(std::span<const std::uint8_t> wavBytes) override { return player.prepare(wavBytes); }
    bool play() override
    {
        shotThisFrame = true;
        playedAt = Clock::now();
        return player.play();
    }
    SdlSoundPlayer player;
    bool shotThisFrame = false;
    Clock::time_point playedAt;
};

class ContextSwapper final : public BufferSwapper {
public:
    explicit ContextSwapper(HeadlessGlContext& gl) : gl(gl) {}
    void swapBuffers() override { gl.swapBuffers(); }
    HeadlessGlContext& gl;
};

struct Summary {
    double mean = 0, median = 0, worst = 0;
};

Summary summarise(std::vector<double> values)
{
    Summary summary;
    if (values.empty())
        return summary;
    std::sort(values.begin(), values.end());
    for (double v : values)
        summary.mean += v / static_cast<double>(values.size());
    summary.median = values[values.size() / 2];
    summary.worst = values.back();
    return summary;
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const int timerMs = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, 100) : 10;
    setenv("SDL_AUDIODRIVER", "dummy", 0);

    HeadlessGlContext gl;
    if (!gl.create(320, 240)) {
        std::fprintf(stderr, "shot-sound-latency: %s\n", gl.error().c_str());
        return 1;
    }
    RandomGenerator random;
    MemorySettingsStore settings;
    const EmbeddedResources resources;
    StderrNotifier notifier;
    StringSink diagnostics;
    ShotClock sound;
    auto scene = std::make_unique<SaverScene>(SceneServices{random, settings, resources, notifier, diagnostics, sound},
                                              7000u);
    scene->resize(320, 240);
    const auto setUpStart = Clock::now();
    scene->setUpScene(nullptr, gl);
    const double setUpMs = msBetween(setUpStart, Clock::now());
    scene->fitCamera();
    if (sound.player.deviceBufferSamples() == 0) {
        std::fprintf(stderr, "shot-sound-latency: no audio device\n");
        return 1;
    }

    ContextSwapper swapper(gl);
    std::vector<double> latencies, fromPlay, shotFrames, quietFrames;
    std::optional<Clock::time_point> pendingTick, pendingPlay;
    int unheard = 0;
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    auto nextTick = Clock::now();
    while (Clock::now() < end) {
        std::this_thread::sleep_until(nextTick);
        const auto tick = Clock::now();
        nextTick = tick + std::chrono::milliseconds(timerMs);
        sound.shotThisFrame = false;
        scene->timerTick(swapper);
        const double frameMs = msBetween(tick, Clock::now());
        (sound.shotThisFrame ? shotFrames : quietFrames).push_back(frameMs);
        if (sound.shotThisFrame) {
            unheard += pendingTick.has_value(); // restarted before it went out
            pendingTick = tick;
            pendingPlay = sound.playedAt;
        }
        if (pendingTick) {
            if (const auto heard = sound.player.lastStartHeard(); heard && *heard >= *pendingTick) {
                latencies.push_back(msBetween(*pendingTick, *heard));
                fromPlay.push_back(msBetween(*pendingPlay, *heard));
                pendingTick.reset();
            }
        }
    }
    scene->releaseModel();

    const Summary latency = summarise(latencies);
    const Summary device = summarise(fromPlay);
    const Summary shot = summarise(shotFrames);
    const Summary quiet = summarise(quietFrames);
    std::printf("device buffer %d samples; set-up %.1f ms (the sound prepared in it)\n",
                sound.player.deviceBufferSamples(), setUpMs);
    std::printf("shots %zu heard, %d restarted before heard; tick to first sample: mean %.1f ms, median %.1f ms, "
                "worst %.1f ms\n",
                latencies.size(), unheard, latency.mean, latency.median, latency.worst);
    std::printf("of which from play (inside the frame) to first sample: mean %.1f ms, median %.1f ms, worst %.1f ms\n",
                device.mean, device.median, device.worst);
    std::printf("frames with a shot %zu: median %.1f ms, worst %.1f ms; without %zu: median %.1f ms, worst %.1f ms "
                "(timer %d ms)\n",
                shotFrames.size(), shot.median, shot.worst, quietFrames.size(), quiet.median, quiet.worst, timerMs);
    return 0;
}

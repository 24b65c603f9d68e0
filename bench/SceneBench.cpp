// The scene's per-frame costs. GL-free: one frame of the fire generator (seven
// spread steps and the colouring) and one step of the starship with its
// effects (motion, ten bolts, the painter calls recorded nowhere). With GL on
// a headless 1280 x 720 context: one whole frame of the built-in scene through
// the real frame code, against a frame that only clears and swaps, the floor
// any GL program pays. Wall time of a GL frame includes llvmpipe's worker
// threads; the whole-program CPU figures come from run-scene-bench.sh.
#include "platform/HeadlessGlContext.h"
#include "platform/MemoryResources.h"
#include "platform/SettingsStore.h"
#include "platform/SoundPlayer.h"
#include "platform/UserNotifier.h"
#include "resources/EmbeddedResources.h"
#include "scene/EffectPainter.h"
#include "scene/FireGenerator.h"
#include "scene/SaverScene.h"
#include "scene/SceneModel.h"
#include "scene/ShotSound.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace orbit;

constexpr int benchWidth = 1280;
constexpr int benchHeight = 720;

class NullPainter final : public EffectPainter {
public:
    void drawFlames(const FlyingObject&, const std::array<EngineFlame, 4>&) override { ++calls; }
    void drawBolt(const Shot&, float alpha) override { calls += alpha >= 0.0f; }
    long calls = 0;
};

void fireAdvance(benchmark::State& state)
{
    RandomGenerator random;
    FireGenerator fire;
    fire.initialise(random);
    for (auto _ : state) {
        fire.advance(random);
        benchmark::DoNotOptimize(fire.image().data());
    }
}
BENCHMARK(fireAdvance);

void starshipStep(benchmark::State& state)
{
    RandomGenerator random;
    MemorySettingsStore settings;
    MemoryResources resources;
    SilentSoundPlayer player;
    const ShotSound sound(resources, player);
    SceneModel ship(random, settings);
    ship.randomize(random);
    ship.effects.soundSource = true;
    NullPainter painter;
    for (auto _ : state) {
        ship.update(random);
        ship.drawEffects(random, painter, sound);
    }
    benchmark::DoNotOptimize(painter.calls);
}
BENCHMARK(starshipStep);

class ContextSwapper final : public BufferSwapper {
public:
    explicit ContextSwapper(HeadlessGlContext& gl) : gl(gl) {}
    void swapBuffers() override { gl.swapBuffers(); }
    HeadlessGlContext& gl;
};

void sceneFrame(benchmark::State& state)
{
    HeadlessGlContext gl;
    if (!gl.create(benchWidth, benchHeight)) {
        state.SkipWithError(gl.error().c_str());
        return;
    }
    RandomGenerator random;
    MemorySettingsStore settings;
    const EmbeddedResources resources;
    StderrNotifier notifier;
    StringSink diagnostics;
    SilentSoundPlayer sound;
    auto scene = std::make_unique<SaverScene>(SceneServices{random, settings, resources, notifier, diagnostics, sound},
                                              7000u);
    scene->resize(benchWidth, benchHeight);
    scene->setUpScene(nullptr, gl);
    scene->fitCamera();
    ContextSwapper swapper(gl);
    for (int i = 0; i < 100; ++i) // past the driver's first-state compilations
        scene->timerTick(swapper);
    for (auto _ : state)
        scene->timerTick(swapper);
    scene->releaseModel();
}
BENCHMARK(sceneFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void clearSwapFrame(benchmark::State& state)
{
    HeadlessGlContext gl;
    if (!gl.create(benchWidth, benchHeight)) {
        state.SkipWithError(gl.error().c_str());
        return;
    }
    glViewport(0, 0, benchWidth, benchHeight);
    for (auto _ : state) {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glFinish();
        gl.swapBuffers();
    }
}
BENCHMARK(clearSwapFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();

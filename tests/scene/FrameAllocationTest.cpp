// No allocation per frame: a counting global operator new, frames of the
// built-in scene on a headless context. Mesa allocates with operator new too
// (llvmpipe builds a variant per new GL state), so an allocation whose call
// stack passes through the GL driver is not counted.
#include "tests/scene/SceneRun.h"

#include <dlfcn.h>
#include <execinfo.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace {
std::atomic<long> sceneAllocations{0}, driverAllocations{0};
std::atomic<bool> counting{false};
thread_local bool insideCount = false;

// Counts an allocation unless a caller on its stack lies in the GL driver's libraries.
void countAllocation()
{
    if (!counting.load(std::memory_order_relaxed) || insideCount)
        return;
    insideCount = true;
    void* frames[32];
    const int depth = backtrace(frames, 32);
    bool driver = false;
    for (int i = 1; i < depth && !driver; ++i) {
        Dl_info info{};
        const char* path = dladdr(frames[i], &info) != 0 ? info.dli_fname : nullptr;
        for (const char* library : {"/dri/", "libLLVM", "libGL", "libEGL", "libgallium"})
            driver = driver || (path && std::strstr(path, library));
    }
    (driver ? driverAllocations : sceneAllocations).fetch_add(1, std::memory_order_relaxed);
    insideCount = false;
}

// Out of line, so the compiler does not pair operator new with free.
[[gnu::noinline]] void* takeBlock(std::size_t size)
{
    countAllocation();
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
} // namespace

// The nothrow and array forms of the library fall back on these.
void* operator new(std::size_t size) { return takeBlock(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace orbit {
namespace {

TEST(FrameAllocation, FramesAllocateNothing)
{
    void* warmUp[4];
    backtrace(warmUp, 4); // loads the unwinder before counting starts
    test::SceneRun run({}, {}, true); // with the frame-rate overlay
    ASSERT_TRUE(run.ready) << run.gl.error();
    ASSERT_TRUE(run.scene->frameRateReady());
    run.scene->setKey(ControlKey::Z, true);
    run.frames(60); // the driver builds most of its state variants in the first frames

    counting = true;
    run.frames(300);
    counting = false;
    EXPECT_EQ(sceneAllocations.load(), 0);
    RecordProperty("driverAllocations", std::to_string(driverAllocations.load()));
    EXPECT_GT(run.sound.plays, 0) << "bolts were fired during the frames";

    // The counter itself works: an allocation of ours is seen.
    counting = true;
    const auto probe = std::make_unique<int>(1);
    counting = false;
    EXPECT_EQ(sceneAllocations.load(), 1);
}

} // namespace
} // namespace orbit

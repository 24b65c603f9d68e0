// The frame-rate overlay's figures and text from made-up clocks.
#include "scene/FrameRateMeter.h"

#include <gtest/gtest.h>

#include <vector>

namespace orbit {
namespace {

// count frames, each dt seconds of wall time and dcpu of CPU time after the last.
struct Frames {
    int count;
    double dt, dcpu;
};

TEST(FrameRateMeter, FiguresOverPeriodsOfASecondAndTheirText)
{
    // Steps are binary fractions, so a period ends exactly where it should.
    constexpr double tick = 1.0 / 64, cpu = 1.0 / 256; // 64 frames a second, 3.90625 ms CPU each
    const std::tuple<const char*, std::vector<Frames>, const char*, const char*> cases[] = {
        {"no frames", {}, "FPS: --", "CPU: -- ms"},
        {"not a second yet", {{1, 0, 0}, {63, tick, cpu}}, "FPS: --", "CPU: -- ms"},
        {"the first frame starts the period", {{1, 5, 7}, {64, tick, cpu}}, "FPS: 64.0", "CPU: 3.9 ms"},
        // The figures stay until the next period ends, then show that one only.
        {"second period", {{1, 0, 0}, {64, tick, cpu}, {31, 2 * tick, 0}}, "FPS: 64.0", "CPU: 3.9 ms"},
        {"second period ended", {{1, 0, 0}, {64, tick, cpu}, {32, 2 * tick, 0}}, "FPS: 32.0",
         "CPU: 0.0 ms"},
        {"a pause", {{1, 0, 0}, {2, 0.125, 0.5}, {1, 3.75, 0.5}}, "FPS: 0.8", "CPU: 500.0 ms"},
        {"clock goes back", {{1, 0, 0}, {50, tick, cpu}, {1, -1, 0}, {8, 0.125, 0.25}}, "FPS: 8.0",
         "CPU: 250.0 ms"},
        {"capped", {{1, 0, 0}, {1, 1.0 / 65536, 100}, {1, 1, 0}}, "FPS: 2.0", "CPU: 9999.9 ms"},
    };
    for (const auto& [name, frames, fps, cpuText] : cases) {
        SCOPED_TRACE(name);
        FrameRateMeter meter;
        double now = 0, cpuTime = 0;
        for (const Frames& f : frames) {
            for (int i = 0; i < f.count; ++i) {
                now += f.dt;
                cpuTime += f.dcpu;
                meter.frame(now, cpuTime);
            }
        }
        EXPECT_EQ(meter.line(0), fps);
        EXPECT_EQ(meter.line(1), cpuText);
        EXPECT_EQ(meter.line(2), "");
        EXPECT_LE(meter.line(1).size(), FrameRateMeter::maxLineLength);
    }
}

} // namespace
} // namespace orbit

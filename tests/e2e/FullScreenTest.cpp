// orbit-patrol /s on the real X server: the window covers the screen and has
// the keyboard focus, and exactly the closing inputs end the program with
// status 0, after which the pointer is back where it was.
#include "SaverRun.h"

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

namespace orbit::test {
namespace {

using namespace std::chrono_literals;

constexpr auto startTimeout = 10s;
constexpr auto exitTimeout = 5s;
// How long a program that should stay must survive an input that must not
// close it: well beyond the queued close and the event round trip.
constexpr auto stayTime = 700ms;

class FullScreenTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(run.x.isOpen()) << "no X display; run under xvfb-run";
        run.x.warpPointer(startPointer.first, startPointer.second);
        run.start({"/s"});
        ASSERT_TRUE(run.child().started());
        ASSERT_TRUE(waitUntil([&] { return (window = run.x.findTopLevel("orbit-patrol")) != 0; }, startTimeout))
            << "no full-screen window appeared; stderr: " << run.child().standardError();
        ASSERT_TRUE(waitUntil([&] { return run.x.focusedWindow() == window; }, startTimeout))
            << "the full-screen window did not take the keyboard focus";
    }

    void expectStillRunning(const std::string& after)
    {
        std::this_thread::sleep_for(stayTime);
        EXPECT_TRUE(run.child().running()) << "closed after " << after;
    }

    void expectClosedCleanly(const std::string& after)
    {
        const std::optional<int> status = run.child().waitForExit(exitTimeout);
        ASSERT_TRUE(status.has_value()) << "still running after " << after;
        EXPECT_EQ(*status, 0) << "after " << after << "; stderr: " << run.child().standardError();
    }

    SaverRun run;
    std::uint32_t window = 0;
    const std::pair<int, int> startPointer{123, 77};
};

TEST_F(FullScreenTest, CoversThePrimaryScreenWithFocusAndEndsOnATerminationSignal)
{
    const std::optional<WindowGeometry> geometry = run.x.geometry(window);
    ASSERT_TRUE(geometry.has_value());
    EXPECT_EQ(*geometry, (WindowGeometry{0, 0, run.x.screenWidth(), run.x.screenHeight()}));
    run.child().sendSignal(SIGINT);
    expectClosedCleanly("SIGINT");
    EXPECT_EQ(run.x.pointer(), startPointer);
}

TEST_F(FullScreenTest, SecondMoveToANewPositionClosesAndCursorReturns)
{
    ASSERT_TRUE(xdotool({"mousemove", "300", "200"}));
    expectStillRunning("the first mouse move");
    ASSERT_TRUE(xdotool({"mousemove", "300", "200"}));
    expectStillRunning("a move to the recorded position");
    ASSERT_TRUE(xdotool({"mousemove", "301", "200"}));
    expectClosedCleanly("the second move, one pixel away");
    EXPECT_EQ(run.x.pointer(), startPointer) << "the cursor was not put back";
}

TEST_F(FullScreenTest, RightPressAloneStaysAndReleaseCloses)
{
    ASSERT_TRUE(xdotool({"mousedown", "3"}));
    expectStillRunning("a right-button press");
    ASSERT_TRUE(xdotool({"mouseup", "3"}));
    expectClosedCleanly("the right-button release");
}

TEST_F(FullScreenTest, WindowManagerCloseIsSwallowed)
{
    run.x.sendDeleteWindow(window);
    expectStillRunning("the window manager's close");
    ASSERT_TRUE(xdotool({"key", "space"}));
    expectClosedCleanly("a key");
}

TEST_F(FullScreenTest, LosingTheFocusCloses)
{
    const std::uint32_t other = run.x.createWindow(10, 10, 100, 100);
    run.x.focusWindow(other);
    expectClosedCleanly("the focus moved to another window");
}

struct ClosingInput {
    const char* name;
    std::vector<std::string> xdotoolArgs;
    std::vector<std::string> cleanupArgs; // releases a button the input left pressed
};

class FullScreenClosingInputTest : public FullScreenTest, public testing::WithParamInterface<ClosingInput> {};

TEST_P(FullScreenClosingInputTest, Closes)
{
    ASSERT_TRUE(xdotool(GetParam().xdotoolArgs));
    expectClosedCleanly(GetParam().name);
    EXPECT_EQ(run.x.pointer(), startPointer);
    if (!GetParam().cleanupArgs.empty())
        xdotool(GetParam().cleanupArgs);
}

INSTANTIATE_TEST_SUITE_P(Inputs, FullScreenClosingInputTest,
    testing::Values(ClosingInput{"AltCombination", {"key", "alt+x"}, {}},
                    ClosingInput{"LeftPress", {"mousedown", "1"}, {"mouseup", "1"}}),
    [](const testing::TestParamInfo<ClosingInput>& info) { return std::string(info.param.name); });

} // namespace
} // namespace orbit::test

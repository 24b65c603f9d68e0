// orbit-patrol /s: the window covers the screen with the keyboard focus, and
// exactly the closing inputs end it with status 0, the pointer back in place.
#include "SaverRun.h"

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

namespace orbit::test {
namespace {

class FullScreenTest : public testing::Test {
protected:
    void start()
    {
        run = std::make_unique<SaverRun>();
        ASSERT_TRUE(run->x.isOpen()) << "no X display; run under xvfb-run";
        run->x.warpPointer(startPointer.first, startPointer.second);
        run->start({"/s"});
        ASSERT_TRUE(waitUntil([&] { return (window = run->x.findTopLevel("orbit-patrol")) != 0; }, 10s))
            << run->child().standardError();
        ASSERT_TRUE(waitUntil([&] { return run->x.focusedWindow() == window; }, 10s));
    }

    std::unique_ptr<SaverRun> run;
    std::uint32_t window = 0;
    const std::pair<int, int> startPointer{123, 77};
};

// Each row: inputs that must leave the program running, then the one that
// closes it. The window manager's close, a termination signal and a focus
// change are not xdotool inputs.
TEST_F(FullScreenTest, CoversTheScreenAndExactlyTheClosingInputsClose)
{
    using Input = std::vector<std::string>;
    const std::pair<std::vector<Input>, Input> cases[] = {
        {{}, {"SIGINT"}},
        {{}, {"focus"}},
        {{{"mousemove", "300", "200"}}, {"mousemove", "301", "200"}}, // the first move only records
        {{{"mousedown", "3"}}, {"mouseup", "3"}},
        {{{"WM_DELETE_WINDOW"}}, {"key", "space"}},
        {{}, {"key", "alt+x"}},
        {{}, {"mousedown", "1"}},
    };
    for (const auto& [stays, closes] : cases) {
        SCOPED_TRACE(closes.back());
        start();
        EXPECT_EQ(run->x.geometry(window), run->x.screen());
        for (const Input& input : stays) {
            if (input[0] == "WM_DELETE_WINDOW")
                run->x.sendDeleteWindow(window);
            else
                ASSERT_TRUE(xdotool(input));
            std::this_thread::sleep_for(700ms); // beyond the queued close and the event round trip
            EXPECT_TRUE(run->child().running()) << "closed after " << input[0];
        }
        if (closes[0] == "SIGINT")
            run->child().sendSignal(SIGINT);
        else if (closes[0] == "focus")
            run->x.focusWindow(run->x.createWindow(10, 10, 100, 100));
        else
            ASSERT_TRUE(xdotool(closes));
        run->expectExit(0);
        EXPECT_EQ(run->x.pointer(), startPointer); // the cursor is put back
    }
    xdotool({"mouseup", "1"});
}

} // namespace
} // namespace orbit::test

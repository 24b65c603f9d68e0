// orbit-patrol /s on an X screen split into two RandR monitors (an Xvfb of its
// own, split with xrandr --setmonitor). Each run checks one window covering
// each monitor exactly, and that the first closing input over either monitor
// (a second pointer motion, a key, a click) ends the whole program with status
// 0 and the pointer back in place, while another client's hot key and button
// grab on the root never see it. The first run also checks the scene on both
// monitors (a stored scene file that is missing falls back to the built-in
// ship without a message box), and a monitor taken away and put back.
#include "SaverRun.h"

#include <gtest/gtest.h>
// After gtest: Xlib's macros (None, Bool, Status) would break its templates.
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdlib>
#include <thread>
#include <utility>

namespace orbit::test {
namespace {

const std::vector<WindowGeometry> monitors{{0, 0, 1024, 768}, {1024, 0, 1024, 768}};

class MonitorsTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string display; // the number Xvfb chose, then a new line
        ASSERT_TRUE(waitUntil([&] { return (display = server.standardOutput()).ends_with('\n'); }, 10s)) << "no Xvfb";
        display.pop_back();
        setenv("DISPLAY", display.insert(0, 1, ':').c_str(), 1);
        x.emplace();
        ASSERT_TRUE(x->isOpen());
        ASSERT_EQ(runToEnd({"xrandr", "--setmonitor", "left", "1024/270x768/200+0+0", "screen"}), 0);
        ASSERT_EQ(runToEnd({"xrandr", "--setmonitor", "right", "1024/270x768/200+1024+0", "none"}), 0);
    }
    void TearDown() override
    {
        x.reset();
        outerDisplay.empty() ? unsetenv("DISPLAY") : setenv("DISPLAY", outerDisplay.c_str(), 1);
    }

    std::vector<WindowGeometry> saverWindows()
    {
        std::vector<WindowGeometry> found;
        for (std::uint32_t window : x->children(x->root(), "orbit-patrol"))
            found.push_back(x->geometry(window).value_or(WindowGeometry{}));
        std::sort(found.begin(), found.end(), [](auto& a, auto& b) { return a.x < b.x; });
        return found;
    }

    const std::string outerDisplay = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    // -noreset: the monitors must outlive the xrandr clients that set them.
    ChildProcess server{{"Xvfb", "-displayfd", "1", "-screen", "0", "2048x768x24", "-nolisten", "tcp", "-noreset"}};
    std::optional<X11TestDisplay> x;
};

TEST_F(MonitorsTest, OneWindowPerMonitorAndTheFirstCloseOverEitherEndsAll)
{
    Display* display = x->handle();
    XGrabKey(display, XKeysymToKeycode(display, XK_x), AnyModifier, x->root(), False, GrabModeAsync, GrabModeAsync);
    XGrabButton(display, Button1, AnyModifier, x->root(), False, ButtonPressMask, GrabModeAsync, GrabModeAsync, 0, 0);
    using Input = std::vector<std::string>;
    const std::pair<const char*, std::vector<Input>> closings[] = {
        {"motion over the right monitor", {{"mousemove", "1500", "300"}, {"mousemove", "1510", "300"}}},
        {"motion over the left monitor", {{"mousemove", "300", "300"}, {"mousemove", "310", "300"}}},
        {"key", {{"key", "x"}}},
        {"click", {{"click", "1"}}},
    };
    bool firstRun = true;
    for (const auto& [name, inputs] : closings) {
        SCOPED_TRACE(name);
        SaverRun run;
        run.writeSettings("[Options]\n3dsFileName=/nonexistent/folder/ship.3ds\n");
        ASSERT_TRUE(xdotool({"mousemove", "200", "100"}));
        run.start({"/s"});
        ASSERT_TRUE(waitUntil([&] { return saverWindows().size() == 2; }, 15s)) << run.child().standardError();
        EXPECT_EQ(saverWindows(), monitors);
        if (std::exchange(firstRun, false)) {
            // The camera catches up with each monitor's ship within a second or
            // two; the ship then lights thousands of pixels in the 400x400 box
            // at the centre, stars alone a handful.
            for (const WindowGeometry& m : monitors)
                EXPECT_TRUE(waitUntil([&] { return x->pixelsAbove({m.x + 312, 184, 400, 400}, 60) >= 300; }, 10s));
            ASSERT_EQ(runToEnd({"xrandr", "--delmonitor", "right"}), 0);
            EXPECT_TRUE(waitUntil([&] { return saverWindows() == std::vector{monitors[0]}; }, 5s));
            ASSERT_EQ(runToEnd({"xrandr", "--setmonitor", "right", "1024/270x768/200+1024+0", "none"}), 0);
            EXPECT_TRUE(waitUntil([&] { return saverWindows() == monitors; }, 10s));
        }
        std::this_thread::sleep_for(300ms);
        ASSERT_TRUE(run.child().running());
        for (const Input& input : inputs) {
            ASSERT_TRUE(xdotool(input));
            std::this_thread::sleep_for(150ms); // Qt merges motions that come together into one
        }
        run.expectExit(0);
        XSync(display, False);
        XEvent event;
        EXPECT_FALSE(XCheckMaskEvent(display, KeyPressMask | ButtonPressMask, &event)) << "the hot-key client got it";
        EXPECT_TRUE(outputOf({"xdotool", "getmouselocation"}).starts_with("x:200 y:100 ")) << "the pointer is back";
    }
}

} // namespace
} // namespace orbit::test

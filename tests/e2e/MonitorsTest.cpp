// orbit-patrol /s on an X screen split into two RandR monitors (an Xvfb of its
// own, split with xrandr --setmonitor). Each run checks one window covering
// each monitor exactly, and that the last input of its row, over either
// monitor, ends the whole program with status 0 and the pointer back in place,
// while another client's hot key and button grab on the root never see it.
// The inputs before it must not end the run: the first motion only records
// where the pointer is, and the right button closes on its release. The first
// run also checks the scene on both monitors (a stored scene file that is
// missing falls back to the built-in ship without a message box), and a
// monitor taken away and put back.
#include "SaverRun.h"

#include <gtest/gtest.h>
// After gtest: Xlib's macros (None, Bool, Status) would break its templates.
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <utility>

namespace orbit::test {
namespace {

TEST(MonitorsTest, OneWindowPerMonitorAndTheFirstCloseOverEitherEndsAll)
{
    // -noreset: the monitors must outlive the xrandr clients that set them.
    ChildProcess server({"Xvfb", "-displayfd", "1", "-screen", "0", "2048x768x24", "-nolisten", "tcp", "-noreset"});
    std::string name; // the number Xvfb chose, then a new line
    ASSERT_TRUE(waitUntil([&] { return (name = server.standardOutput()).ends_with('\n'); }, 10s)) << "no Xvfb";
    name.pop_back();
    name.insert(0, 1, ':');
    const Environment env{{"DISPLAY", name}};
    X11TestDisplay x(name.c_str());
    ASSERT_TRUE(x.isOpen());
    const std::vector<std::string> addRight{"xrandr", "--setmonitor", "right", "1024/270x768/200+1024+0", "none"};
    ASSERT_EQ(runToEnd({"xrandr", "--setmonitor", "left", "1024/270x768/200+0+0", "screen"}, env), 0);
    ASSERT_EQ(runToEnd(addRight, env), 0);
    const std::vector<WindowGeometry> monitors{{0, 0, 1024, 768}, {1024, 0, 1024, 768}};
    const auto saverWindows = [&] {
        std::vector<WindowGeometry> found;
        for (std::uint32_t window : x.children(x.root(), "orbit-patrol"))
            found.push_back(x.geometry(window).value_or(WindowGeometry{}));
        std::sort(found.begin(), found.end(), [](auto& a, auto& b) { return a.x < b.x; });
        return found;
    };
    Display* display = x.handle();
    XGrabKey(display, XKeysymToKeycode(display, XK_x), AnyModifier, x.root(), False, GrabModeAsync, GrabModeAsync);
    XGrabButton(display, Button1, AnyModifier, x.root(), False, ButtonPressMask, GrabModeAsync, GrabModeAsync, 0, 0);
    using Input = std::vector<std::string>;
    const std::pair<const char*, std::vector<Input>> closings[] = { // xdotool commands; the pointer starts at 200,100
        {"one pixel over the right monitor", {{"mousemove", "1500", "300"}, {"mousemove", "1501", "300"}}},
        {"right button over the left monitor", {{"mousemove", "300", "300"}, {"mousedown", "3"}, {"mouseup", "3"}}},
        {"middle button", {{"click", "2"}}},
        {"left button", {{"click", "1"}}},
        {"Alt+x", {{"key", "alt+x"}}},
    };
    bool firstRun = true;
    for (const auto& [name, inputs] : closings) {
        SCOPED_TRACE(name);
        SaverRun run;
        run.writeSettings("[Options]\n3dsFileName=/nonexistent/folder/ship.3ds\n");
        ASSERT_EQ(runToEnd({"xdotool", "mousemove", "200", "100"}, env), 0);
        run.start({"/s"}, env);
        ASSERT_TRUE(waitUntil([&] { return saverWindows().size() == 2; }, 15s)) << run.child().standardError();
        EXPECT_EQ(saverWindows(), monitors);
        if (std::exchange(firstRun, false)) {
            // The camera catches up with each monitor's ship within a second or
            // two; the ship then lights thousands of pixels in the 400x400 box
            // at the centre, stars alone a handful.
            for (const WindowGeometry& m : monitors)
                EXPECT_TRUE(waitUntil([&] { return x.pixelsAbove({m.x + 312, 184, 400, 400}, 60) >= 300; }, 10s));
            ASSERT_EQ(runToEnd({"xrandr", "--delmonitor", "right"}, env), 0);
            EXPECT_TRUE(waitUntil([&] { return saverWindows() == std::vector{monitors[0]}; }, 5s));
            ASSERT_EQ(runToEnd(addRight, env), 0);
            EXPECT_TRUE(waitUntil([&] { return saverWindows() == monitors; }, 10s));
        }
        for (Input input : inputs) {
            // Long enough for a close to end the program, and for Qt not to
            // merge two motions into one.
            ASSERT_EQ(run.child().waitForExit(1s), std::nullopt) << "ended before " << input[0];
            input.insert(input.begin(), "xdotool");
            ASSERT_EQ(runToEnd(input, env), 0);
        }
        run.expectExit(0);
        XSync(display, False);
        XEvent event;
        EXPECT_FALSE(XCheckMaskEvent(display, KeyPressMask | ButtonPressMask, &event)) << "the hot-key client got it";
        EXPECT_TRUE(outputOf({"xdotool", "getmouselocation"}, env).starts_with("x:200 y:100 ")) << "the pointer is back";
    }
}

} // namespace
} // namespace orbit::test

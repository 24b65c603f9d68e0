// orbit-patrol /s on an X screen split into two RandR monitors (an Xvfb of its
// own, 2048x768, split with xrandr --setmonitor): one window covering each
// monitor exactly, the scene on both, a monitor taken away and put back
// loses and regains its window while the other runs on, and a pointer motion
// over either monitor, a key or a click ends the whole program with status 0
// and the pointer back in place. Another client's hot key and button grab on the
// root window never sees the input, since the saver holds the grab.
#include "SaverRun.h"

#include <gtest/gtest.h>
// After gtest: Xlib's macros (None, Bool, Status) would break its templates.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace orbit::test {
namespace {

const WindowGeometry monitors[] = {{0, 0, 1024, 768}, {1024, 0, 1024, 768}};

class MonitorsTest : public testing::Test {
protected:
    void SetUp() override
    {
        char name[16] = {};
        for (int number = 150;; ++number) {
            char socket[64] = {}, lock[64] = {};
            std::snprintf(socket, sizeof socket, "/tmp/.X11-unix/X%d", number);
            std::snprintf(lock, sizeof lock, "/tmp/.X%d-lock", number);
            if (!std::filesystem::exists(socket) && !std::filesystem::exists(lock)) {
                std::snprintf(name, sizeof name, ":%d", number);
                break;
            }
        }
        // -noreset: the monitors must outlive the xrandr clients that set them.
        server = std::make_unique<ChildProcess>(
            std::vector<std::string>{"Xvfb", name, "-screen", "0", "2048x768x24", "-nolisten", "tcp", "-noreset"},
            std::map<std::string, std::string>{}, scratch.path());
        setenv("DISPLAY", name, 1);
        ASSERT_TRUE(waitUntil([&] { return (display = XOpenDisplay(nullptr)) != nullptr; }, 10s)) << "no Xvfb";
        ASSERT_EQ(runToEnd({"xrandr", "--setmonitor", "left", "1024/270x768/200+0+0", "screen"}), 0);
        ASSERT_EQ(runToEnd({"xrandr", "--setmonitor", "right", "1024/270x768/200+1024+0", "none"}), 0);
    }
    void TearDown() override
    {
        if (display)
            XCloseDisplay(display);
    }

    std::vector<WindowGeometry> saverWindows()
    {
        std::vector<WindowGeometry> found;
        Window root = 0, up = 0, *list = nullptr;
        unsigned count = 0;
        XQueryTree(display, DefaultRootWindow(display), &root, &up, &list, &count);
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes a{};
            char* windowName = nullptr;
            if (XGetWindowAttributes(display, list[i], &a) && a.map_state == IsViewable &&
                XFetchName(display, list[i], &windowName) && windowName) {
                if (std::string(windowName) == "orbit-patrol")
                    found.push_back({a.x, a.y, a.width, a.height});
                XFree(windowName);
            }
        }
        if (list)
            XFree(list);
        std::sort(found.begin(), found.end(), [](auto& a, auto& b) { return a.x < b.x; });
        return found;
    }

    // Pixels brighter than the night sky in the 400x400 box at a monitor's centre.
    int brightPixels(const WindowGeometry& monitor)
    {
        XImage* image = XGetImage(display, DefaultRootWindow(display), monitor.x + monitor.width / 2 - 200,
                                  monitor.y + monitor.height / 2 - 200, 400, 400, AllPlanes, ZPixmap);
        int count = 0;
        for (int y = 0; image && y < 400; ++y)
            for (int x = 0; x < 400; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                count += std::max({(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF}) > 60;
            }
        if (image)
            XDestroyImage(image);
        return count;
    }

    // Input the hot-key client got: its grabs on the root window activate
    // only when no other client holds the keyboard and pointer.
    int stolenInputs()
    {
        XSync(display, False);
        int count = 0;
        for (XEvent event; XCheckMaskEvent(display, KeyPressMask | ButtonPressMask, &event);)
            ++count;
        return count;
    }

    ScratchDir scratch{"monitors"};
    std::unique_ptr<ChildProcess> server;
    Display* display = nullptr;
};

TEST_F(MonitorsTest, OneWindowPerMonitorWithTheSceneAndAnyInputOverEitherEndsAll)
{
    const Window root = DefaultRootWindow(display);
    XGrabKey(display, static_cast<int>(XKeysymToKeycode(display, XK_x)), AnyModifier, root, False, GrabModeAsync,
             GrabModeAsync);
    XGrabButton(display, Button1, AnyModifier, root, False, ButtonPressMask, GrabModeAsync, GrabModeAsync, 0, 0);
    using Input = std::vector<std::string>;
    const std::pair<const char*, std::vector<Input>> closings[] = {
        {"motion over the right monitor", {{"mousemove", "1500", "300"}, {"mousemove", "1510", "300"}}},
        {"motion over the left monitor", {{"mousemove", "300", "300"}, {"mousemove", "310", "300"}}},
        {"key", {{"key", "x"}}},
        {"click", {{"click", "1"}}},
    };
    bool sceneChecked = false;
    for (const auto& [name, inputs] : closings) {
        SCOPED_TRACE(name);
        SaverRun run;
        run.x.warpPointer(200, 100);
        run.start({"/s"});
        ASSERT_TRUE(waitUntil([&] { return saverWindows().size() == 2; }, 15s)) << run.child().standardError();
        EXPECT_EQ(saverWindows(), std::vector<WindowGeometry>(std::begin(monitors), std::end(monitors)));
        if (!sceneChecked) {
            // The camera catches up with each monitor's ship within a second or two.
            for (const WindowGeometry& monitor : monitors)
                EXPECT_TRUE(waitUntil([&] { return brightPixels(monitor) >= 300; }, 10s)) << "x " << monitor.x;
            sceneChecked = true;
            ASSERT_EQ(runToEnd({"xrandr", "--delmonitor", "right"}), 0);
            EXPECT_TRUE(waitUntil([&] { return saverWindows() == std::vector{monitors[0]}; }, 5s));
            ASSERT_EQ(runToEnd({"xrandr", "--setmonitor", "right", "1024/270x768/200+1024+0", "none"}), 0);
            EXPECT_TRUE(waitUntil([&] { return saverWindows().size() == 2; }, 10s));
            EXPECT_EQ(saverWindows(), std::vector<WindowGeometry>(std::begin(monitors), std::end(monitors)));
            EXPECT_TRUE(run.child().running());
        }
        std::this_thread::sleep_for(300ms);
        EXPECT_TRUE(run.child().running());
        for (const Input& input : inputs) {
            ASSERT_TRUE(xdotool(input));
            std::this_thread::sleep_for(150ms); // Qt merges motions that come together into one
        }
        run.expectExit(0);
        EXPECT_EQ(stolenInputs(), 0);
        EXPECT_EQ(run.x.pointer(), (std::pair{200, 100})) << "the pointer is put back";
    }
}

} // namespace
} // namespace orbit::test

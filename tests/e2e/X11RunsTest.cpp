// The real program under X: hosted in a window of the test's own, on two monitors, closed at any moment.
#include "SaverRun.h"
// After gtest (SaverRun.h): Xlib's macros (None, Bool, Status) would break its templates.
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <thread>
#include <utility>

namespace orbit::test {
namespace {

// Under each way of naming the host (/p, -window-id, -root with $XSCREENSAVER_WINDOW), at a
// device pixel ratio of 2, the program's window covers the host, the picture fills each new size,
// and the host's destruction ends the program with status 0; only /p shows the launching dialog,
// over the host. A host that does not exist is a start-up error.
TEST(PreviewTest, CoversTheHostFillsEachSizeAndEndsWithTheHost)
{
    for (const std::string start : {"/p", "-window-id", "-root"}) {
        SCOPED_TRACE(start);
        SaverRun run;
        ASSERT_TRUE(run.x.isOpen()) << "no X display; run under xvfb-run";
        const WindowGeometry place{200, 150, 320, 240};
        const std::uint32_t host = run.x.createWindow(place.x, place.y, place.width, place.height);
        run.start(start == "-root" ? std::vector{start} : std::vector{start, std::to_string(host)},
                  {{"XSCREENSAVER_WINDOW", std::to_string(host)}, {"QT_SCALE_FACTOR", "2"}});
        std::optional<WindowGeometry> dialog;
        std::vector<std::uint32_t> child;
        const auto childShown = [&] {
            if (const auto shown = run.x.children(run.x.root(), "Launching Orbit Patrol"); !shown.empty())
                dialog = run.x.geometry(shown.front());
            return !(child = run.x.children(host, "IDS_PREVIEW")).empty();
        };
        ASSERT_TRUE(waitUntil(childShown, 10s, 2ms)) << run.child().standardError();
        ASSERT_EQ(dialog.has_value(), start == "/p");
        if (dialog) {
            EXPECT_NEAR(dialog->x + dialog->width / 2, place.x + place.width / 2, 2);
            EXPECT_NEAR(dialog->y + dialog->height / 2, place.y + place.height / 2, 2);
            EXPECT_TRUE(waitUntil([&] { return run.x.children(run.x.root(), "Launching Orbit Patrol").empty(); }, 5s));
        }
        for (const auto& [width, height] : {std::pair{320, 240}, std::pair{640, 480}, std::pair{500, 300}}) {
            SCOPED_TRACE(width);
            ASSERT_TRUE(runCommand({"xdotool", "windowsize", std::to_string(host), std::to_string(width),
                                    std::to_string(height)}));
            ASSERT_TRUE(waitUntil([&] { return run.x.geometry(child.front()) == WindowGeometry{0, 0, width, height}; },
                                  5s));
            std::this_thread::sleep_for(200ms); // frames of the old size may still be on the way
            // A picture too small stays at GL's origin, bottom left; the top right lights up, if only with stars.
            const WindowGeometry topRight{place.x + width / 2, place.y, width / 2, height / 2};
            int lit = 0;
            EXPECT_TRUE(waitUntil([&] { return (lit += run.x.pixelsAbove(topRight, 0)) >= 5; }, 2s, 60ms)) << lit;
        }
        const std::string window = std::to_string(child.front());
        ASSERT_TRUE(runCommand({"xdotool", "mousemove", "--window", window, "9", "9", "click", "1",
                                "windowfocus", "--sync", window, "key", "x"}));
        EXPECT_EQ(run.child().waitForExit(1s), std::nullopt) << "ended by a click or a key";
        run.x.destroyWindow(host);
        run.expectExit(0);
        EXPECT_EQ(run.child().standardError().find("must be a top level window"), std::string::npos);
    }
    SaverRun missing;
    missing.start({"/p", "123456789"});
    missing.expectExit(1);
    EXPECT_EQ(missing.child().standardError(), "orbit-patrol: no window with id 0x75bcd15\n");
}

// /s on an Xvfb of its own split into two monitors: one window covers each exactly; the last
// input of a row alone, over either monitor, ends the whole program with status 0 and the pointer
// back in place, unseen by another client's grabs on the root. The first run also checks the scene
// on both monitors (a missing scene file falls back to the built-in ship without a message box)
// and a monitor taken away and put back.
TEST(MonitorsTest, OneWindowPerMonitorAndTheFirstCloseOverEitherEndsAll)
{
    ChildProcess server({"Xvfb", "-displayfd", "1", "-screen", "0", "2048x768x24", "-nolisten", "tcp"});
    std::string displayName; // the number Xvfb chose, then a new line
    ASSERT_TRUE(waitUntil([&] { return (displayName = server.standardOutput()).ends_with('\n'); }, 10s)) << "no Xvfb";
    displayName.pop_back();
    displayName.insert(0, 1, ':');
    const Environment env{{"DISPLAY", displayName}};
    X11TestDisplay x(displayName.c_str());
    ASSERT_TRUE(x.isOpen());
    const std::vector<std::string> addRight{"xrandr", "--setmonitor", "right", "1024/270x768/200+1024+0", "none"};
    ASSERT_TRUE(runCommand({"xrandr", "--setmonitor", "left", "1024/270x768/200+0+0", "screen"}, env));
    ASSERT_TRUE(runCommand(addRight, env));
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
        {"left button", {{"click", "1"}}},
        {"key", {{"key", "x"}}}, // not Alt+x: Alt alone closes, and the x after it may reach the hot key
    };
    bool firstRun = true;
    for (const auto& [name, inputs] : closings) {
        SCOPED_TRACE(name);
        SaverRun run;
        run.writeSettings("[Options]\n3dsFileName=/nonexistent/folder/ship.3ds\n");
        ASSERT_TRUE(runCommand({"xdotool", "mousemove", "200", "100"}, env));
        run.start({"/s"}, env);
        ASSERT_TRUE(waitUntil([&] { return saverWindows().size() == 2; }, 15s)) << run.child().standardError();
        EXPECT_EQ(saverWindows(), monitors);
        if (std::exchange(firstRun, false)) {
            // Within a second or two the ship lights thousands of pixels at the centre; stars alone a handful.
            for (const WindowGeometry& m : monitors)
                EXPECT_TRUE(waitUntil([&] { return x.pixelsAbove({m.x + 312, 184, 400, 400}, 60) >= 300; }, 10s));
            ASSERT_TRUE(runCommand({"xrandr", "--delmonitor", "right"}, env));
            EXPECT_TRUE(waitUntil([&] { return saverWindows() == std::vector{monitors[0]}; }, 5s));
            ASSERT_TRUE(runCommand(addRight, env));
            EXPECT_TRUE(waitUntil([&] { return saverWindows() == monitors; }, 10s));
        }
        for (Input input : inputs) {
            // Long enough for a close to end the program, and for Qt not to merge two motions.
            ASSERT_EQ(run.child().waitForExit(1s), std::nullopt) << "ended before " << input[0];
            input.insert(input.begin(), "xdotool");
            ASSERT_TRUE(runCommand(input, env));
        }
        run.expectExit(0);
        XSync(display, False);
        XEvent event;
        EXPECT_FALSE(XCheckMaskEvent(display, KeyPressMask | ButtonPressMask, &event)) << "the hot-key client got it";
        EXPECT_TRUE(runCommand({"xdotool", "getmouselocation"}, env).value_or("").starts_with("x:200 y:100 "))
            << "the pointer is back";
    }
}

#if defined(__SANITIZE_ADDRESS__) // with a software renderer a frame alone can take a second
constexpr auto closeDeadline = 15000ms;
#else
constexpr auto closeDeadline = 500ms;
#endif

bool sigtermBlocked(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("SigBlk:"))
            return ((std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1) != 0;
    return false;
}

// Polls every millisecond, as the early moments are a few apart; false when the program ends first.
bool waitWhileRunning(ChildProcess& child, const std::function<bool()>& condition)
{
    return waitUntil([&] { return !child.running() || condition(); }, 15s, 1ms) && child.running();
}

// A signal, a closing key or the host destroyed at any moment from the program's first act (taking
// over SIGTERM) to well after its set-up (nested event passes of dialogs and message boxes included)
// ends each kind of start with status 0 soon after, the settings file left byte for byte. A key
// waits for a window to take it, destroying the host for the program's window in it.
TEST(CloseAtAnyMomentTest, EveryRunEndsWithStatusZeroSoonAfterItsClose)
{
    const std::pair<std::string, std::string> kinds[] = { // the start's switch, the close
        {"/s", "SIGTERM"}, {"/p", "host gone"}, {"-root", "SIGINT"},    {"/s", "key"},
        {"/p", "SIGTERM"}, {"/c", "SIGTERM"},   {"-root", "host gone"}, {"/p", "key"},
    };
    const std::string settings = "[Options]\r\nTimer=42\r\n; by hand\r\n";
    constexpr int runs = 30;
    for (int i = 0; i < runs; ++i) {
        // A run that ends cleanly but late is tried again: on a loaded machine one step can outlast the deadline.
        for (bool retry = false;; retry = true) {
            const auto& [start, close] = kinds[i % std::size(kinds)];
            const auto moment = std::chrono::milliseconds(i * 1500 / (runs - 1));
            SCOPED_TRACE(start + " " + close + " at " + std::to_string(moment.count()) + " ms");
            SaverRun run;
            run.writeSettings(settings);
            // -root draws on the root window unless it is to be closed by its host going.
            const bool hosted = start == "/p" || close == "host gone";
            const std::uint32_t host = hosted ? run.x.createWindow(200, 150, 320, 240) : 0;
            const std::string hostId = hosted ? std::to_string(host) : "";
            run.start(start == "/p" ? std::vector{start, hostId} : std::vector{start},
                      {{"XSCREENSAVER_WINDOW", hostId}});
            ChildProcess& child = run.child();
            ASSERT_TRUE(waitWhileRunning(child, [&] { return sigtermBlocked(child.id()); })) << child.standardError();
            std::this_thread::sleep_for(moment);

            if (close.starts_with("SIG")) {
                child.sendSignal(close == "SIGTERM" ? SIGTERM : SIGINT);
            } else if (close == "host gone") {
                ASSERT_TRUE(waitWhileRunning(child, [&] { return !run.x.children(host).empty(); }))
                    << "ended before its close: " << child.standardError();
                run.x.destroyWindow(host);
            } else {
                std::vector<std::uint32_t> shown;
                ASSERT_TRUE(waitWhileRunning(child, [&] {
                    shown = hosted ? run.x.children(host, "IDS_PREVIEW") : run.x.children(run.x.root(), "orbit-patrol");
                    return !shown.empty();
                })) << "ended before its close: " << child.standardError();
                const std::string window = std::to_string(shown.front());
                ASSERT_TRUE(runCommand({"xdotool", "windowfocus", "--sync", window, "key", "Escape"}));
            }
            const std::optional<int> status = child.waitForExit(closeDeadline);
            if (!retry && !status && child.waitForExit(2s) == 0)
                continue;
            EXPECT_EQ(status, std::optional<int>(0)) << "not ended " << closeDeadline.count() << " ms after the close "
                                                     << "with status 0: " << child.standardError();
            EXPECT_EQ(run.settings(), settings);
            break;
        }
    }
}

} // namespace
} // namespace orbit::test

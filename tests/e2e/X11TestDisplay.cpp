// Plain Xlib for the tests' side of the X server. Every request that changes
// something is followed by XSync, so the program sees it before the test goes on.
#include "X11TestDisplay.h"

#include "ChildProcess.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <thread>

namespace orbit::test {

namespace {

// Windows under test come and go; an error about one is an answer, not a failure.
int ignoreXError(Display*, XErrorEvent*) { return 0; }

} // namespace

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool xdotool(const std::vector<std::string>& args)
{
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return runToEnd(argv) == 0;
}

X11TestDisplay::X11TestDisplay()
{
    XSetErrorHandler(ignoreXError);
    // Xvfb resets itself when its last client leaves (between two tests) and
    // refuses connections meanwhile, so a refusal is retried for a while.
    waitUntil([&] { return (display = XOpenDisplay(nullptr)) != nullptr; }, std::chrono::seconds(5));
}

X11TestDisplay::~X11TestDisplay()
{
    if (display)
        XCloseDisplay(display);
}

int X11TestDisplay::screenWidth() const { return DisplayWidth(display, DefaultScreen(display)); }
int X11TestDisplay::screenHeight() const { return DisplayHeight(display, DefaultScreen(display)); }

std::uint32_t X11TestDisplay::createWindow(int x, int y, int width, int height)
{
    const int screen = DefaultScreen(display);
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), x, y,
                                              static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                                              BlackPixel(display, screen), WhitePixel(display, screen));
    XStoreName(display, window, "orbit-test-host");
    XMapWindow(display, window);
    XSync(display, False);
    waitUntil(
        [&] {
            XWindowAttributes attributes{};
            return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
        },
        std::chrono::seconds(2));
    return static_cast<std::uint32_t>(window);
}

void X11TestDisplay::resizeWindow(std::uint32_t window, int width, int height)
{
    XResizeWindow(display, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(display, False);
}

void X11TestDisplay::destroyWindow(std::uint32_t window)
{
    XDestroyWindow(display, window);
    XSync(display, False);
}

void X11TestDisplay::focusWindow(std::uint32_t window)
{
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, False);
}

void X11TestDisplay::sendDeleteWindow(std::uint32_t window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
}

std::vector<std::uint32_t> X11TestDisplay::viewableChildren(std::uint32_t parent)
{
    std::vector<std::uint32_t> found;
    Window rootReturn = 0;
    Window parentReturn = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &rootReturn, &parentReturn, &children, &count))
        return found;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
            found.push_back(static_cast<std::uint32_t>(children[i]));
    }
    if (children)
        XFree(children);
    return found;
}

std::uint32_t X11TestDisplay::findTopLevel(const std::string& name)
{
    for (std::uint32_t window : viewableChildren(static_cast<std::uint32_t>(DefaultRootWindow(display)))) {
        char* windowName = nullptr;
        if (XFetchName(display, window, &windowName) && windowName) {
            const bool match = name == windowName;
            XFree(windowName);
            if (match)
                return window;
        }
    }
    return 0;
}

std::optional<WindowGeometry> X11TestDisplay::geometry(std::uint32_t window)
{
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes))
        return std::nullopt;
    return WindowGeometry{attributes.x, attributes.y, attributes.width, attributes.height};
}

std::uint32_t X11TestDisplay::focusedWindow()
{
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    return static_cast<std::uint32_t>(focus);
}

std::pair<int, int> X11TestDisplay::pointer()
{
    Window rootReturn = 0;
    Window childReturn = 0;
    int rootX = -1;
    int rootY = -1;
    int winX = 0;
    int winY = 0;
    unsigned mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &rootReturn, &childReturn, &rootX, &rootY, &winX, &winY, &mask);
    return {rootX, rootY};
}

void X11TestDisplay::warpPointer(int x, int y)
{
    XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, x, y);
    XSync(display, False);
}

} // namespace orbit::test

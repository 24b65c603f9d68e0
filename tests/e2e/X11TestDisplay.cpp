// Every request that changes something is followed by XSync, so the program
// sees it before the test goes on.
#include "X11TestDisplay.h"

#include "ChildProcess.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <thread>

namespace orbit::test {

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool xdotool(const std::vector<std::string>& args)
{
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return runToEnd(argv) == 0;
}

X11TestDisplay::X11TestDisplay()
{
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    if (!std::getenv("DISPLAY")) // a Wayland session without X
        return;
    // Xvfb refuses connections while it resets after its last client left.
    waitUntil([&] { return (display = XOpenDisplay(nullptr)) != nullptr; }, std::chrono::seconds(5));
}

X11TestDisplay::~X11TestDisplay()
{
    if (display)
        XCloseDisplay(display);
}

WindowGeometry X11TestDisplay::screen() const
{
    return {0, 0, DisplayWidth(display, DefaultScreen(display)), DisplayHeight(display, DefaultScreen(display))};
}

std::uint32_t X11TestDisplay::createWindow(int x, int y, int width, int height)
{
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                                              static_cast<unsigned>(height), 0, 0, 0);
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
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
}

std::vector<std::uint32_t> X11TestDisplay::children(std::uint32_t parent, bool viewableOnly)
{
    std::vector<std::uint32_t> found;
    Window root = 0, up = 0, *list = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root, &up, &list, &count))
        return found;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        if (!viewableOnly || (XGetWindowAttributes(display, list[i], &attributes) &&
                              attributes.map_state == IsViewable))
            found.push_back(static_cast<std::uint32_t>(list[i]));
    }
    if (list)
        XFree(list);
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
    XWindowAttributes a{};
    if (!XGetWindowAttributes(display, window, &a))
        return std::nullopt;
    return WindowGeometry{a.x, a.y, a.width, a.height};
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
    Window root = 0, child = 0;
    int x = -1, y = -1, winX = 0, winY = 0;
    unsigned mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &winX, &winY, &mask);
    return {x, y};
}

void X11TestDisplay::warpPointer(int x, int y)
{
    XWarpPointer(display, 0, DefaultRootWindow(display), 0, 0, 0, 0, x, y);
    XSync(display, False);
}

} // namespace orbit::test

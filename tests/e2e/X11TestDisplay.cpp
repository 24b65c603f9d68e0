// Every request that changes something is followed by XSync, so the program
// sees it before the test goes on.
#include "X11TestDisplay.h"

#include "ChildProcess.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

namespace orbit::test {

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
               std::chrono::milliseconds period)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(period);
    }
    return true;
}

bool xdotool(const std::vector<std::string>& args)
{
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return runToEnd(argv) == 0;
}

namespace {

bool viewable(Display* display, Window window)
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

} // namespace

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

std::uint32_t X11TestDisplay::root() const { return static_cast<std::uint32_t>(DefaultRootWindow(display)); }

std::uint32_t X11TestDisplay::createWindow(int x, int y, int width, int height)
{
    const Window window = XCreateSimpleWindow(display, root(), x, y, static_cast<unsigned>(width),
                                              static_cast<unsigned>(height), 0, 0, 0);
    XMapWindow(display, window);
    XSync(display, False);
    waitUntil([&] { return viewable(display, window); }, std::chrono::seconds(2));
    return static_cast<std::uint32_t>(window);
}

void X11TestDisplay::destroyWindow(std::uint32_t window)
{
    XDestroyWindow(display, window);
    XSync(display, False);
}

std::vector<std::uint32_t> X11TestDisplay::children(std::uint32_t parent, const std::string& name)
{
    std::vector<std::uint32_t> found;
    Window root = 0, up = 0, *list = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root, &up, &list, &count))
        return found;
    for (unsigned i = 0; i < count; ++i) {
        char* windowName = nullptr;
        if (name.empty() || (viewable(display, list[i]) && XFetchName(display, list[i], &windowName) &&
                             windowName && name == windowName))
            found.push_back(static_cast<std::uint32_t>(list[i]));
        if (windowName)
            XFree(windowName);
    }
    if (list)
        XFree(list);
    return found;
}

std::optional<WindowGeometry> X11TestDisplay::geometry(std::uint32_t window)
{
    XWindowAttributes a{};
    if (!XGetWindowAttributes(display, window, &a))
        return std::nullopt;
    return WindowGeometry{a.x, a.y, a.width, a.height};
}

std::pair<int, int> X11TestDisplay::pointer()
{
    Window root = 0, child = 0;
    int x = -1, y = -1, winX = 0, winY = 0;
    unsigned mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &winX, &winY, &mask);
    return {x, y};
}

int X11TestDisplay::pixelsAbove(const WindowGeometry& area, unsigned level)
{
    XImage* image = XGetImage(display, DefaultRootWindow(display), area.x, area.y, static_cast<unsigned>(area.width),
                              static_cast<unsigned>(area.height), AllPlanes, ZPixmap);
    int count = 0;
    for (int y = 0; image && y < area.height; ++y)
        for (int x = 0; x < area.width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            count += std::max({(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF}) > level;
        }
    if (image)
        XDestroyImage(image);
    return count;
}

} // namespace orbit::test

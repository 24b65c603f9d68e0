// Waits poll with WNOHANG, so a test never blocks on a program that hangs. An X request that changes
// something is followed by XSync, so the program sees it before the test goes on.
#include "SaverRun.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace orbit::test {

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const Environment& env)
{
    std::vector<char*> pointers;
    for (const std::string& arg : argv)
        pointers.push_back(const_cast<char*>(arg.c_str())); // execvp does not write to them
    pointers.push_back(nullptr);
    const std::string stdoutFile = (output.path() / "stdout").string();
    const std::string stderrFile = (output.path() / "stderr").string();
    pid = fork();
    if (pid != 0)
        return;
    for (const auto& [name, value] : env)
        value.empty() ? unsetenv(name.c_str()) : setenv(name.c_str(), value.c_str(), 1);
    dup2(open(stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    dup2(open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    execvp(pointers[0], pointers.data());
    _exit(127);
}

ChildProcess::~ChildProcess()
{
    if (pid > 0 && !status) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout)
{
    int waitStatus = 0;
    if (!status && pid > 0 && waitUntil([&] { return waitpid(pid, &waitStatus, WNOHANG) == pid; }, timeout, 1ms))
        status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
    return status;
}

void ChildProcess::sendSignal(int signalNumber)
{
    if (running())
        kill(pid, signalNumber);
}

std::optional<std::string> runCommand(const std::vector<std::string>& argv, const Environment& env)
{
    ChildProcess child(argv, env);
    if (child.waitForExit(10s) != 0)
        return std::nullopt;
    return child.standardOutput();
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
               std::chrono::milliseconds period)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (; !condition(); std::this_thread::sleep_for(period))
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    return true;
}

X11TestDisplay::X11TestDisplay(const char* name)
{
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    // Xvfb refuses connections while it resets after its last client left.
    if (name)
        waitUntil([&] { return (display = XOpenDisplay(name)) != nullptr; }, 5s);
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
    waitUntil([&] { return geometry(static_cast<std::uint32_t>(window)).has_value(); }, 2s);
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
    XQueryTree(display, parent, &root, &up, &list, &count); // a window that is gone leaves both empty
    for (unsigned i = 0; i < count; ++i) {
        char* windowName = nullptr;
        if (name.empty() || (geometry(static_cast<std::uint32_t>(list[i])) &&
                             XFetchName(display, list[i], &windowName) && windowName && name == windowName))
            found.push_back(static_cast<std::uint32_t>(list[i]));
        XFree(windowName); // XFree, like free, takes null
    }
    XFree(list);
    return found;
}

std::optional<WindowGeometry> X11TestDisplay::geometry(std::uint32_t window)
{
    XWindowAttributes a{};
    if (!XGetWindowAttributes(display, window, &a) || a.map_state != IsViewable)
        return std::nullopt;
    return WindowGeometry{a.x, a.y, a.width, a.height};
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

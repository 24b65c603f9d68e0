// The floor of the whole-program benchmark: the least a GL screensaver can do.
// It opens a window over the whole screen (X11, GLX, double-buffered RGB with
// a depth buffer, like the saver's), then clears and swaps on a fixed period
// (default 10 ms, as the saver's default timer) until SIGTERM or SIGINT.
//   clear-swap-floor [periodMs]
#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) { stopRequested = 1; }

void addMilliseconds(timespec& t, long ms)
{
    t.tv_nsec += ms * 1000000L;
    while (t.tv_nsec >= 1000000000L) {
        t.tv_nsec -= 1000000000L;
        ++t.tv_sec;
    }
}

} // namespace

int main(int argc, char** argv)
{
    const long periodMs = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 10;
    std::signal(SIGTERM, requestStop);
    std::signal(SIGINT, requestStop);

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fputs("clear-swap-floor: cannot open the display\n", stderr);
        return 1;
    }
    const int screen = DefaultScreen(display);
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8,
                        GLX_DEPTH_SIZE, 24, None};
    XVisualInfo* visual = glXChooseVisual(display, screen, attributes);
    if (!visual) {
        std::fputs("clear-swap-floor: no double-buffered RGB visual with depth\n", stderr);
        return 1;
    }
    const int width = DisplayWidth(display, screen);
    const int height = DisplayHeight(display, screen);
    XSetWindowAttributes windowAttributes{};
    windowAttributes.colormap = XCreateColormap(display, RootWindow(display, screen), visual->visual, AllocNone);
    windowAttributes.override_redirect = True;
    const Window window =
        XCreateWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), 0, visual->depth, InputOutput, visual->visual,
                      CWColormap | CWOverrideRedirect, &windowAttributes);
    XMapRaised(display, window);
    GLXContext context = glXCreateContext(display, visual, nullptr, True);
    glXMakeCurrent(display, window, context);
    glViewport(0, 0, width, height);

    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    while (!stopRequested) {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glFinish();
        glXSwapBuffers(display, window);
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
        }
        addMilliseconds(next, periodMs);
        // Like a window timer, a late tick is not made up for with a burst.
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        if (now.tv_sec > next.tv_sec || (now.tv_sec == next.tv_sec && now.tv_nsec > next.tv_nsec))
            next = now;
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
    }
    glXMakeCurrent(display, None, nullptr);
    glXDestroyContext(display, context);
    XDestroyWindow(display, window);
    XFree(visual);
    XCloseDisplay(display);
    return 0;
}

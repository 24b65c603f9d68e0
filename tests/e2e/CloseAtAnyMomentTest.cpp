// A close at any moment of a run, from the program's first line to well after
// its set-up (the launching dialog's and message boxes' nested event passes
// included): a termination signal, a closing key or the host's window
// destroyed, for the full-screen, preview and XScreenSaver starts. Every run
// must end with status 0 soon after its close. Moments count from the program
// taking over SIGTERM, its first act (before that the signal's default action
// applies). A key waits for a window to take it, and destroying the host
// waits for the program's window inside it: before that a missing host is the
// start-up error of status 1.
#include "SaverRun.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <iostream>
#include <thread>

namespace orbit::test {
namespace {

enum class Start { FullScreen, Preview, XScreenSaver };
enum class Close { Term, Int, Key, HostGone };

#if defined(__SANITIZE_ADDRESS__)
// Here the run is about sanitizer reports: with the sanitizers and a software
// renderer a frame alone can take a second on a busy machine.
constexpr auto closeDeadline = 15000ms;
#else
constexpr auto closeDeadline = 500ms;
#endif

bool sigtermBlocked(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("SigBlk:", 0) == 0)
            return ((std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1) != 0;
    }
    return false;
}

// Polls every millisecond: the early moments are only a few apart.
bool waitFor(ChildProcess& child, const std::function<bool()>& condition)
{
    const auto deadline = std::chrono::steady_clock::now() + 15s;
    while (!condition()) {
        if (!child.running() || std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

long long msSince(std::chrono::steady_clock::time_point from)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - from).count();
}

TEST(CloseAtAnyMomentTest, EveryRunEndsWithStatusZeroSoonAfterItsClose)
{
    const std::pair<Start, Close> kinds[] = {
        {Start::FullScreen, Close::Term},   {Start::Preview, Close::Int},        {Start::XScreenSaver, Close::HostGone},
        {Start::FullScreen, Close::Key},    {Start::Preview, Close::HostGone},   {Start::XScreenSaver, Close::Term},
        {Start::FullScreen, Close::Int},    {Start::Preview, Close::Key},        {Start::XScreenSaver, Close::Int},
        {Start::Preview, Close::Term},
    };
    const char* const startNames[] = {"/s", "/p", "-root"};
    const char* const closeNames[] = {"SIGTERM", "SIGINT", "key", "host destroyed"};
    constexpr int runs = 30;
    int endedInTime = 0;
    for (int i = 0; i < runs; ++i) {
        const auto [start, close] = kinds[i % std::size(kinds)];
        const auto moment = std::chrono::milliseconds(i * 1500 / (runs - 1));
        const std::string name = std::string(startNames[static_cast<int>(start)]) + " " +
                                 closeNames[static_cast<int>(close)] + " at " + std::to_string(moment.count()) + " ms";
        SCOPED_TRACE(name);
        SaverRun run;
        ASSERT_TRUE(run.x.isOpen()) << "no X display; run under xvfb-run";
        const std::uint32_t host = start == Start::FullScreen ? 0 : run.x.createWindow(200, 150, 320, 240);
        if (start == Start::FullScreen)
            run.start({"/s"});
        else if (start == Start::Preview)
            run.start({"/p", std::to_string(host)});
        else
            run.start({"-root"}, {{"XSCREENSAVER_WINDOW", std::to_string(host)}});
        ChildProcess& child = run.child();
        ASSERT_TRUE(waitFor(child, [&] { return sigtermBlocked(child.id()); })) << child.standardError();
        const auto zero = std::chrono::steady_clock::now();
        std::this_thread::sleep_until(zero + moment);

        bool closable = true;
        switch (close) {
        case Close::Term:
        case Close::Int:
            child.sendSignal(close == Close::Term ? SIGTERM : SIGINT);
            break;
        case Close::HostGone:
            closable = waitFor(child, [&] { return !run.x.children(host, false).empty(); });
            run.x.destroyWindow(host);
            break;
        case Close::Key:
            if (start == Start::FullScreen) {
                closable = waitFor(child, [&] {
                    const std::uint32_t window = run.x.findTopLevel("orbit-patrol");
                    return window != 0 && run.x.focusedWindow() == window;
                });
                closable = closable && xdotool({"key", "space"});
            } else {
                std::uint32_t window = 0;
                closable = waitFor(child, [&] {
                    const std::vector<std::uint32_t> shown = run.x.viewableChildren(host);
                    return !shown.empty() && (window = shown.front()) != 0;
                });
                run.x.focusWindow(window);
                closable = closable && waitFor(child, [&] { return run.x.focusedWindow() == window; }) &&
                           xdotool({"key", "Escape"});
            }
            break;
        }
        const long long closedAtMs = msSince(zero);
        const auto closedAt = std::chrono::steady_clock::now();
        std::optional<int> status = child.waitForExit(closeDeadline);
        const long long tookMs = msSince(closedAt);
        const bool inTime = status.has_value();
        if (!inTime)
            status = child.waitForExit(2s); // to tell a slow end from a hang in the figures
        std::cout << name << " (closed at " << closedAtMs << " ms): "
                  << (status ? "status " + std::to_string(*status) : std::string("still running")) << " after "
                  << (inTime ? tookMs : msSince(closedAt)) << " ms\n";
        EXPECT_TRUE(closable) << "the program ended before its close: " << child.standardError();
        EXPECT_TRUE(inTime) << "not ended " << closeDeadline.count() << " ms after the close";
        EXPECT_EQ(status, std::optional<int>(0)) << child.standardError();
        endedInTime += closable && inTime && status == 0;
    }
    std::cout << endedInTime << " of " << runs << " closes ended with status 0 in time\n";
}

} // namespace
} // namespace orbit::test

// A close at any moment of a run, from the program's first act to well after
// its set-up (the launching dialog's and message boxes' nested event passes
// included): a termination signal, a closing key or the host's window
// destroyed, for the full-screen, preview, XScreenSaver and configure starts.
// Every run must end with status 0 soon after its close, the settings file
// left byte for byte. Moments count from the program taking over SIGTERM, its
// first act (before that the signal's default action applies). A key waits
// for a window to take it, and destroying the host waits for the program's
// window inside it: before that a missing host is the start-up error of
// status 1.
#include "SaverRun.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <thread>

namespace orbit::test {
namespace {

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
        if (line.starts_with("SigBlk:"))
            return ((std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1) != 0;
    }
    return false;
}

// Polls every millisecond, as the early moments are only a few apart; false
// when the program ends first.
bool waitWhileRunning(ChildProcess& child, const std::function<bool()>& condition)
{
    return waitUntil([&] { return !child.running() || condition(); }, 15s, 1ms) && child.running();
}

TEST(CloseAtAnyMomentTest, EveryRunEndsWithStatusZeroSoonAfterItsClose)
{
    const std::pair<std::string, Close> kinds[] = { // the start's switch, the close
        {"/s", Close::Term},    {"/p", Close::Int},      {"-root", Close::HostGone}, {"/s", Close::Key},
        {"/p", Close::HostGone}, {"-root", Close::Term}, {"/c", Close::Term},        {"/s", Close::Int},
        {"/p", Close::Key},      {"-root", Close::Int},  {"/p", Close::Term},        {"/c", Close::Int},
    };
    const char* const closeNames[] = {"SIGTERM", "SIGINT", "key", "host destroyed"};
    const std::string settings = "[Options]\r\nTimer=42\r\n; by hand\r\n";
    constexpr int runs = 30;
    for (int i = 0; i < runs; ++i) {
        // A run that ends cleanly but late is tried once more: on a loaded
        // machine one start-up step alone can outlast the deadline.
        for (bool retry = false;; retry = true) {
            const auto& [start, close] = kinds[i % std::size(kinds)];
            const auto moment = std::chrono::milliseconds(i * 1500 / (runs - 1));
            SCOPED_TRACE(start + " " + closeNames[static_cast<int>(close)] + " at " + std::to_string(moment.count()) +
                         " ms");
            SaverRun run;
            ASSERT_TRUE(run.x.isOpen()) << "no X display; run under xvfb-run";
            run.writeSettings(settings);
            // -root draws on the root window unless it is to be closed by its host going.
            const bool hosted = start == "/p" || close == Close::HostGone;
            const std::uint32_t host = hosted ? run.x.createWindow(200, 150, 320, 240) : 0;
            const std::string hostId = hosted ? std::to_string(host) : "";
            run.start(start == "/p" ? std::vector{start, hostId} : std::vector{start},
                      {{"XSCREENSAVER_WINDOW", hostId}});
            ChildProcess& child = run.child();
            ASSERT_TRUE(waitWhileRunning(child, [&] { return sigtermBlocked(child.id()); })) << child.standardError();
            std::this_thread::sleep_for(moment);

            bool closable = true;
            std::vector<std::uint32_t> shown;
            switch (close) {
            case Close::Term:
            case Close::Int:
                child.sendSignal(close == Close::Term ? SIGTERM : SIGINT);
                break;
            case Close::HostGone:
                closable = waitWhileRunning(child, [&] { return !run.x.children(host).empty(); });
                run.x.destroyWindow(host);
                break;
            case Close::Key:
                closable = waitWhileRunning(child, [&] {
                    shown = hosted ? run.x.children(host, "IDS_PREVIEW") : run.x.children(run.x.root(), "orbit-patrol");
                    return !shown.empty();
                });
                closable = closable && runToEnd({"xdotool", "windowfocus", "--sync", std::to_string(shown.front()),
                                                 "key", "Escape"}) == 0;
                break;
            }
            const std::optional<int> status = child.waitForExit(closeDeadline);
            if (!retry && closable && !status && child.waitForExit(2s) == 0)
                continue;
            EXPECT_TRUE(closable) << "the program ended before its close: " << child.standardError();
            EXPECT_EQ(status, std::optional<int>(0)) << "not ended " << closeDeadline.count() << " ms after the close "
                                                     << "with status 0: " << child.standardError();
            EXPECT_EQ(run.settings(), settings);
            break;
        }
    }
}

} // namespace
} // namespace orbit::test

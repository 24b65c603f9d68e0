// The preview and XScreenSaver modes on the real X server, in a host window the
// test creates: the program's child covers the host and follows its size,
// ignores input (except Escape when it has the focus) and ends with status 0
// when the host destroys it or a termination signal arrives.
#include "SaverRun.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <thread>

namespace orbit::test {
namespace {

using namespace std::chrono_literals;

constexpr auto startTimeout = 10s;
constexpr auto exitTimeout = 5s;

std::string hex(std::uint32_t id)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", id);
    return text;
}

class PreviewTest : public testing::Test {
protected:
    // Starts the program on a host window of the test's own and waits for its child.
    void start(const std::vector<std::string>& switches, std::map<std::string, std::string> env = {})
    {
        ASSERT_TRUE(run.x.isOpen()) << "no X display; run under xvfb-run";
        run.start(switches, std::move(env));
        ASSERT_TRUE(waitUntil([&] { return !run.x.viewableChildren(host).empty(); }, startTimeout))
            << "no child window appeared in the host; stderr: " << run.child().standardError();
        child = run.x.viewableChildren(host).front();
        EXPECT_EQ(run.x.geometry(child), (WindowGeometry{0, 0, 320, 240}));
    }

    void expectClosedCleanly(const std::string& after)
    {
        const std::optional<int> status = run.child().waitForExit(exitTimeout);
        ASSERT_TRUE(status.has_value()) << "still running after " << after;
        EXPECT_EQ(*status, 0) << "after " << after << "; stderr: " << run.child().standardError();
    }

    SaverRun run;
    std::uint32_t host = run.x.isOpen() ? run.x.createWindow(200, 150, 320, 240) : 0;
    std::uint32_t child = 0;
};

TEST_F(PreviewTest, CoversHostSurvivesInputFollowsResizeAndEndsWithHost)
{
    start({"/p", std::to_string(host)});
    // Input that would close the full-screen window leaves the preview alone.
    run.x.focusWindow(child);
    for (const std::vector<std::string>& input : std::vector<std::vector<std::string>>{
             {"mousemove", "300", "250"}, {"mousemove", "310", "260"}, {"click", "1"}, {"click", "3"},
             {"key", "a"}, {"key", "alt+x"}})
        ASSERT_TRUE(xdotool(input));
    std::this_thread::sleep_for(700ms);
    ASSERT_TRUE(run.child().running()) << "the preview closed on input";

    run.x.resizeWindow(host, 400, 300);
    EXPECT_TRUE(waitUntil([&] { return run.x.geometry(child) == WindowGeometry{0, 0, 400, 300}; }, exitTimeout))
        << "the child did not follow the host's new size";

    run.x.destroyWindow(host);
    expectClosedCleanly("the host window was destroyed");
}

TEST_F(PreviewTest, EscapeWithTheFocusCloses)
{
    start({"/p", std::to_string(host)});
    run.x.focusWindow(child);
    ASSERT_TRUE(waitUntil([&] { return run.x.focusedWindow() == child; }, exitTimeout));
    ASSERT_TRUE(xdotool({"key", "Escape"}));
    expectClosedCleanly("Escape");
    EXPECT_TRUE(run.x.viewableChildren(host).empty()) << "the child window is still there";
}

TEST_F(PreviewTest, XScreenSaverSwitchesDrawInTheHostUntilATerminationSignal)
{
    for (bool windowIdSwitch : {true, false}) {
        SCOPED_TRACE(windowIdSwitch ? "-window-id" : "-root with $XSCREENSAVER_WINDOW");
        if (windowIdSwitch)
            start({"-window-id", hex(host)});
        else
            start({"-root"}, {{"XSCREENSAVER_WINDOW", hex(host)}});
        run.child().sendSignal(SIGTERM);
        expectClosedCleanly("SIGTERM");
        EXPECT_TRUE(waitUntil([&] { return run.x.viewableChildren(host).empty(); }, exitTimeout));
    }
}

TEST(RootWindowTest, WithoutXScreenSaverWindowTheChildCoversTheRoot)
{
    SaverRun run;
    ASSERT_TRUE(run.x.isOpen());
    run.start({"-root"}, {{"XSCREENSAVER_WINDOW", ""}});
    std::uint32_t child = 0;
    ASSERT_TRUE(waitUntil([&] { return (child = run.x.findTopLevel("IDS_PREVIEW")) != 0; }, startTimeout))
        << run.child().standardError();
    EXPECT_EQ(run.x.geometry(child), (WindowGeometry{0, 0, run.x.screenWidth(), run.x.screenHeight()}));
    run.child().sendSignal(SIGTERM);
    EXPECT_EQ(run.child().waitForExit(exitTimeout), 0);
}

} // namespace
} // namespace orbit::test

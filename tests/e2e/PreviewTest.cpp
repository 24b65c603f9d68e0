// The preview and XScreenSaver modes in a host window of the test's own: the
// child covers the host and follows its size, ignores input (except Escape
// with the focus) and ends with status 0 when the host goes or on a signal;
// the preview's launching dialog stands over the host.
#include "SaverRun.h"

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

namespace orbit::test {
namespace {

class PreviewTest : public testing::Test {
protected:
    void start(const std::vector<std::string>& switches, std::map<std::string, std::string> env = {})
    {
        ASSERT_TRUE(run.x.isOpen()) << "no X display; run under xvfb-run";
        run.start(switches, std::move(env));
        ASSERT_TRUE(waitUntil([&] { return !run.x.viewableChildren(host).empty(); }, 10s))
            << run.child().standardError();
        child = run.x.viewableChildren(host).front();
        EXPECT_EQ(run.x.geometry(child), (WindowGeometry{0, 0, 320, 240}));
    }

    SaverRun run;
    std::uint32_t host = run.x.isOpen() ? run.x.createWindow(200, 150, 320, 240) : 0;
    std::uint32_t child = 0;
};

TEST_F(PreviewTest, CoversHostSurvivesInputFollowsResizeAndEndsWithHost)
{
    start({"/p", std::to_string(host)});
    run.x.focusWindow(child);
    for (const std::vector<std::string>& input : std::vector<std::vector<std::string>>{
             {"mousemove", "300", "250"}, {"mousemove", "310", "260"}, {"click", "1"}, {"key", "alt+x"}})
        ASSERT_TRUE(xdotool(input));
    std::this_thread::sleep_for(700ms);
    ASSERT_TRUE(run.child().running()) << "the preview closed on input";
    run.x.resizeWindow(host, 400, 300);
    EXPECT_TRUE(waitUntil([&] { return run.x.geometry(child) == WindowGeometry{0, 0, 400, 300}; }, 5s));
    run.x.destroyWindow(host);
    run.expectExit(0);
}

TEST_F(PreviewTest, EscapeWithTheFocusCloses)
{
    start({"/p", std::to_string(host)});
    run.x.focusWindow(child);
    ASSERT_TRUE(waitUntil([&] { return run.x.focusedWindow() == child; }, 5s));
    ASSERT_TRUE(xdotool({"key", "Escape"}));
    run.expectExit(0);
    EXPECT_TRUE(run.x.viewableChildren(host).empty());
}

TEST_F(PreviewTest, XScreenSaverSwitchesDrawInTheHostUntilATerminationSignal)
{
    for (bool windowIdSwitch : {true, false}) {
        if (windowIdSwitch)
            start({"-window-id", std::to_string(host)});
        else
            start({"-root"}, {{"XSCREENSAVER_WINDOW", std::to_string(host)}});
        run.child().sendSignal(SIGTERM);
        run.expectExit(0);
        EXPECT_TRUE(waitUntil([&] { return run.x.viewableChildren(host).empty(); }, 5s)) << windowIdSwitch;
    }
}

TEST_F(PreviewTest, LaunchingDialogStandsOverTheMiddleOfTheHost)
{
    ASSERT_TRUE(run.x.isOpen());
    run.start({"/p", std::to_string(host)});
    std::optional<WindowGeometry> dialog;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!dialog && std::chrono::steady_clock::now() < deadline && run.child().running()) {
        if (const std::uint32_t window = run.x.findTopLevel("Launching Orbit Patrol"))
            dialog = run.x.geometry(window);
        std::this_thread::sleep_for(2ms);
    }
    ASSERT_TRUE(dialog.has_value()) << run.child().standardError();
    EXPECT_NEAR(dialog->x + dialog->width / 2, 200 + 320 / 2, 2);
    EXPECT_NEAR(dialog->y + dialog->height / 2, 150 + 240 / 2, 2);
    run.child().sendSignal(SIGTERM);
    run.expectExit(0);
    EXPECT_EQ(run.child().standardError().find("must be a top level window"), std::string::npos);
}

TEST(RootWindowTest, WithoutXScreenSaverWindowTheChildCoversTheRoot)
{
    SaverRun run;
    ASSERT_TRUE(run.x.isOpen());
    run.start({"-root"}, {{"XSCREENSAVER_WINDOW", ""}});
    std::uint32_t child = 0;
    ASSERT_TRUE(waitUntil([&] { return (child = run.x.findTopLevel("IDS_PREVIEW")) != 0; }, 10s))
        << run.child().standardError();
    EXPECT_EQ(run.x.geometry(child), run.x.screen());
    run.child().sendSignal(SIGTERM);
    run.expectExit(0);
}

} // namespace
} // namespace orbit::test

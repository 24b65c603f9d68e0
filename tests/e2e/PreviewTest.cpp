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
constexpr auto stayTime = 700ms;

std::string hex(std::uint32_t id)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", id);
    return text;
}

enum class HostSwitch { Preview, WindowId, Root };

struct HostCase {
    const char* name;
    HostSwitch kind;
};

class PreviewTest : public testing::TestWithParam<HostCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(run.x.isOpen()) << "no X display; run under xvfb-run";
        host = run.x.createWindow(200, 150, 320, 240);
        switch (GetParam().kind) {
        case HostSwitch::Preview:
            run.start({"/p", std::to_string(host)});
            break;
        case HostSwitch::WindowId:
            run.start({"-window-id", hex(host)});
            break;
        case HostSwitch::Root:
            run.start({"-root"}, {{"XSCREENSAVER_WINDOW", hex(host)}});
            break;
        }
        ASSERT_TRUE(run.child().started());
        ASSERT_TRUE(waitUntil([&] { return !run.x.viewableChildren(host).empty(); }, startTimeout))
            << "no child window appeared in the host; stderr: " << run.child().standardError();
        child = run.x.viewableChildren(host).front();
    }

    void expectClosedCleanly(const std::string& after)
    {
        const std::optional<int> status = run.child().waitForExit(exitTimeout);
        ASSERT_TRUE(status.has_value()) << "still running after " << after;
        EXPECT_EQ(*status, 0) << "after " << after << "; stderr: " << run.child().standardError();
    }

    SaverRun run;
    std::uint32_t host = 0;
    std::uint32_t child = 0;
};

TEST_P(PreviewTest, CoversHostSurvivesInputFollowsResizeAndEndsWithHost)
{
    EXPECT_EQ(run.x.geometry(child), (WindowGeometry{0, 0, 320, 240}));

    // Input that would close the full-screen window leaves the preview alone.
    run.x.focusWindow(child);
    ASSERT_TRUE(xdotool({"mousemove", "300", "250"}));
    ASSERT_TRUE(xdotool({"mousemove", "310", "260"}));
    ASSERT_TRUE(xdotool({"click", "1"}));
    ASSERT_TRUE(xdotool({"click", "3"}));
    ASSERT_TRUE(xdotool({"key", "a"}));
    ASSERT_TRUE(xdotool({"key", "alt+x"}));
    std::this_thread::sleep_for(stayTime);
    ASSERT_TRUE(run.child().running()) << "the preview closed on input";

    run.x.resizeWindow(host, 400, 300);
    EXPECT_TRUE(waitUntil([&] { return run.x.geometry(child) == WindowGeometry{0, 0, 400, 300}; }, exitTimeout))
        << "the child did not follow the host's new size";

    run.x.destroyWindow(host);
    expectClosedCleanly("the host window was destroyed");
}

TEST_P(PreviewTest, EscapeWithTheFocusCloses)
{
    run.x.focusWindow(child);
    ASSERT_TRUE(waitUntil([&] { return run.x.focusedWindow() == child; }, exitTimeout));
    ASSERT_TRUE(xdotool({"key", "Escape"}));
    expectClosedCleanly("Escape");
    EXPECT_TRUE(run.x.viewableChildren(host).empty()) << "the child window is still there";
}

TEST_P(PreviewTest, TerminationSignalClosesCleanly)
{
    run.child().sendSignal(SIGTERM);
    expectClosedCleanly("SIGTERM");
    EXPECT_TRUE(run.x.viewableChildren(host).empty());
}

INSTANTIATE_TEST_SUITE_P(Switches, PreviewTest,
    testing::Values(HostCase{"SlashP", HostSwitch::Preview}, HostCase{"WindowId", HostSwitch::WindowId},
                    HostCase{"RootWithXScreenSaverWindow", HostSwitch::Root}),
    [](const testing::TestParamInfo<HostCase>& info) { return std::string(info.param.name); });

TEST(RootWindowTest, WithoutXScreenSaverWindowTheChildCoversTheRoot)
{
    SaverRun run;
    ASSERT_TRUE(run.x.isOpen());
    run.start({"-root"}, {{"XSCREENSAVER_WINDOW", ""}});
    std::uint32_t child = 0;
    ASSERT_TRUE(waitUntil([&] { return (child = run.x.findTopLevel("IDS_PREVIEW")) != 0; }, startTimeout))
        << run.child().standardError();
    EXPECT_EQ(run.x.geometry(child), (WindowGeometry{0, 0, run.x.screenWidth(), run.x.screenHeight()}));
    ASSERT_TRUE(xdotool({"key", "a"}));
    ASSERT_TRUE(xdotool({"click", "1"}));
    std::this_thread::sleep_for(stayTime);
    EXPECT_TRUE(run.child().running());
    run.child().sendSignal(SIGTERM);
    const std::optional<int> status = run.child().waitForExit(exitTimeout);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 0);
}

} // namespace
} // namespace orbit::test

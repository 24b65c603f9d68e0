// Start-up of the real program: the one-shot switches end at once with status
// 0 and show nothing; a host window id that is zero, unknown or not a number
// ends it with status 1 and one line on stderr; configure mode opens the
// settings dialog, whose OK stores "Timer"; and the frame timer runs at the
// "Timer" period read from the settings file.
#include "SaverRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <numeric>

namespace orbit::test {
namespace {

using namespace std::chrono_literals;

// Status 1 comes with exactly one line on stderr, status 0 with none.
TEST(OneShotTest, EndsAtOnceWithoutAWindow)
{
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{"/x"}, 0}, {{"/a", "1234"}, 0}, {{"/p", "0"}, 1}, {{"/p", "123456789"}, 1}, {{"-window-id", "junk"}, 1}};
    for (const auto& [switches, expectedStatus] : cases) {
        SCOPED_TRACE(switches.front());
        SaverRun run;
        ASSERT_TRUE(run.x.isOpen());
        run.start(switches);
        bool windowSeen = false;
        std::optional<int> status;
        waitUntil(
            [&] {
                windowSeen = windowSeen || run.x.findTopLevel("orbit-patrol") != 0;
                return (status = run.child().waitForExit(0ms)).has_value();
            },
            5s);
        ASSERT_TRUE(status.has_value()) << "still running";
        EXPECT_EQ(*status, expectedStatus);
        EXPECT_FALSE(windowSeen);
        const std::string errors = run.child().standardError();
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), expectedStatus) << errors;
        if (expectedStatus == 0) {
            EXPECT_EQ(errors, "");
        }
        // Nothing is written unless a dialog writes it.
        EXPECT_FALSE(std::filesystem::exists(run.settingsFile()));
    }
}

// Starts the program with switches and returns its settings dialog, or 0.
std::uint32_t openSettingsDialog(SaverRun& run, const std::vector<std::string>& switches)
{
    run.start(switches);
    std::uint32_t dialog = 0;
    waitUntil(
        [&] {
            dialog = run.x.findTopLevel("Orbit Patrol Settings");
            return dialog != 0 || run.child().waitForExit(0ms).has_value();
        },
        8s);
    if (dialog != 0) {
        // Keys go through the X test extension to the focused dialog: a key
        // sent to the window itself would find it gone before its release.
        run.x.focusWindow(dialog);
        waitUntil([&] { return run.x.focusedWindow() == dialog; }, 2s);
    }
    return dialog;
}

TEST(ConfigureTest, NoSwitchOpensTheSettingsDialogAndEscapeStoresNothing)
{
    SaverRun run;
    ASSERT_TRUE(run.x.isOpen());
    ASSERT_NE(openSettingsDialog(run, {}), 0u) << "no settings dialog";
    ASSERT_TRUE(xdotool({"key", "Escape"}));
    EXPECT_EQ(run.child().waitForExit(5s), 0) << "Escape did not close the dialog";
    EXPECT_FALSE(std::filesystem::exists(run.settingsFile()));
}

TEST(ConfigureTest, SlashCSliderSetByKeysAndEnterStoresTheTimer)
{
    SaverRun run;
    ASSERT_TRUE(run.x.isOpen());
    ASSERT_NE(openSettingsDialog(run, {"/c"}), 0u) << "no settings dialog";
    // Focus starts on OK; two tabs reach the slider. Home is 1, then 24 steps right.
    std::vector<std::string> keys{"key", "--delay", "30", "Tab", "Tab", "Home"};
    keys.insert(keys.end(), 24, "Right");
    keys.push_back("Return");
    ASSERT_TRUE(xdotool(keys));
    EXPECT_EQ(run.child().waitForExit(8s), 0) << "the dialog did not close on Enter";
    const std::vector<std::uint8_t> bytes = readFileBytes(run.settingsFile());
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("[Options]"), std::string::npos) << text;
    EXPECT_NE(text.find("Timer=25"), std::string::npos) << text;
}

struct PeriodCase {
    const char* name;
    const char* storedTimer; // nullptr: no settings file
    double minMs;
    double maxMs;
};

class FramePeriodTest : public testing::TestWithParam<PeriodCase> {};

// The mean tick period over about a second and a half of running. The saver
// runs as a small preview so that drawing a frame costs little.
TEST_P(FramePeriodTest, TicksAtTheClampedTimer)
{
    SaverRun run;
    ASSERT_TRUE(run.x.isOpen());
    if (GetParam().storedTimer)
        run.writeSettings(std::string("[Options]\nTimer=") + GetParam().storedTimer + "\n");
    const std::uint32_t host = run.x.createWindow(0, 0, 64, 48);
    run.start({"/p", std::to_string(host)});
    ASSERT_TRUE(waitUntil([&] { return run.ticks().size() >= 2; }, 10s)) << run.child().standardError();
    // Measure from the second tick on: the first may wait behind window set-up.
    const long long from = run.ticks()[1];
    ASSERT_TRUE(waitUntil([&] { return run.ticks().back() - from >= 1'500'000; }, 10s));
    const std::vector<long long> ticks = run.ticks();
    const double meanMs = static_cast<double>(ticks.back() - from) / 1000.0 / static_cast<double>(ticks.size() - 2);
    EXPECT_GT(meanMs, GetParam().minMs);
    EXPECT_LT(meanMs, GetParam().maxMs);
    run.child().sendSignal(SIGTERM);
    EXPECT_EQ(run.child().waitForExit(5s), 0);
    if (!GetParam().storedTimer) {
        // Reading made the folder, as opening the registry key chain does, but
        // wrote no file.
        EXPECT_TRUE(std::filesystem::is_directory(run.settingsFile().parent_path()));
        EXPECT_FALSE(std::filesystem::exists(run.settingsFile()));
    }
}

INSTANTIATE_TEST_SUITE_P(Timers, FramePeriodTest,
    // Late ticks only ever lengthen the mean. At 10 ms a frame of the software
    // renderer can take longer than the period (tens of milliseconds in the
    // sanitizer build), which then bounds the rate as a slow display would; so
    // these only tell 10 from 100, and the exact clamped period is checked in
    // the saver window's own tests.
    testing::Values(PeriodCase{"AboveRangeClampsTo100", "250", 85.0, 128.0},
                    PeriodCase{"AbsentIs10", nullptr, 8.5, 80.0}),
    [](const testing::TestParamInfo<PeriodCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace orbit::test

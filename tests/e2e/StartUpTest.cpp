// Start-up of the real program: the one-shot switches end at once with status
// 0 and show nothing; configure mode opens the settings dialog; a host window id that is zero, unknown or not a number
// ends it with status 1 and one line on stderr; and the frame timer runs at
// the clamped "Timer" period read from the settings file.
#include "SaverRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <numeric>

namespace orbit::test {
namespace {

using namespace std::chrono_literals;

struct OneShotCase {
    const char* name;
    std::vector<std::string> switches;
    int status;
    bool stderrLine; // exactly one line on stderr, else none
};

class OneShotTest : public testing::TestWithParam<OneShotCase> {};

TEST_P(OneShotTest, EndsAtOnceWithoutAWindow)
{
    SaverRun run;
    ASSERT_TRUE(run.x.isOpen());
    run.start(GetParam().switches);
    bool windowSeen = false;
    std::optional<int> status;
    waitUntil(
        [&] {
            windowSeen = windowSeen || run.x.findTopLevel("orbit-patrol") != 0;
            status = run.child().waitForExit(0ms);
            return status.has_value();
        },
        5s);
    ASSERT_TRUE(status.has_value()) << "still running";
    EXPECT_EQ(*status, GetParam().status);
    EXPECT_FALSE(windowSeen);
    const std::string errors = run.child().standardError();
    if (GetParam().stderrLine) {
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    } else {
        EXPECT_EQ(errors, "");
    }
    // Nothing is written unless a dialog writes it.
    EXPECT_FALSE(std::filesystem::exists(run.settingsFile()));
}

INSTANTIATE_TEST_SUITE_P(Switches, OneShotTest,
    testing::Values(OneShotCase{"UnknownX", {"/x"}, 0, false},
                    OneShotCase{"QuestionMark", {"/?"}, 0, false},
                    OneShotCase{"ChangePassword", {"/a", "1234"}, 0, false},
                    OneShotCase{"PreviewZero", {"/p", "0"}, 1, true},
                    OneShotCase{"PreviewNoNumber", {"/preview"}, 1, true},
                    OneShotCase{"PreviewNegative", {"/p", "-5"}, 1, true},
                    OneShotCase{"PreviewUnknownWindow", {"/p", "123456789"}, 1, true},
                    OneShotCase{"WindowIdNotANumber", {"-window-id", "junk"}, 1, true},
                    OneShotCase{"WindowIdMissing", {"-window-id"}, 1, true}),
    [](const testing::TestParamInfo<OneShotCase>& info) { return std::string(info.param.name); });

// Configure mode, and a start with no switch, open the settings dialog; Escape
// closes it, the program ends with status 0 and nothing is written.
class ConfigureTest : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(ConfigureTest, OpensTheSettingsDialogAndEscapeStoresNothing)
{
    SaverRun run;
    ASSERT_TRUE(run.x.isOpen());
    run.start(GetParam());
    std::uint32_t dialog = 0;
    waitUntil(
        [&] {
            dialog = run.x.findTopLevel("Orbit Patrol Settings");
            return dialog != 0 || run.child().waitForExit(0ms).has_value();
        },
        8s);
    ASSERT_NE(dialog, 0u) << "no settings dialog";
    // Through the X test extension to the focused dialog: a key sent to the
    // window itself would find it gone before the key's release.
    run.x.focusWindow(dialog);
    waitUntil([&] { return run.x.focusedWindow() == dialog; }, 2s);
    ASSERT_TRUE(xdotool({"key", "Escape"}));
    std::optional<int> status;
    waitUntil([&] { return (status = run.child().waitForExit(0ms)).has_value(); }, 5s);
    ASSERT_TRUE(status.has_value()) << "Escape did not close the dialog";
    EXPECT_EQ(*status, 0);
    EXPECT_FALSE(std::filesystem::exists(run.settingsFile()));
}

INSTANTIATE_TEST_SUITE_P(Switches, ConfigureTest,
    testing::Values(std::vector<std::string>{"/c"}, std::vector<std::string>{}),
    [](const testing::TestParamInfo<std::vector<std::string>>& info) {
        return info.param.empty() ? std::string("NoSwitch") : std::string("SlashC");
    });

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
                    PeriodCase{"Stored50", "50", 42.5, 65.0},
                    PeriodCase{"AbsentIs10", nullptr, 8.5, 80.0},
                    PeriodCase{"NotANumberIs10", "fast", 8.5, 80.0}),
    [](const testing::TestParamInfo<PeriodCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace orbit::test

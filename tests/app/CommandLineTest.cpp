// The screensaver switches as the host passes them: the byte-by-byte parse of
// the raw command line, its rebuild from argv, the program name, and the
// XScreenSaver switches that are looked for first.
#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <climits>

namespace orbit {
namespace {

constexpr std::int64_t foreground = 777;

struct ParseCase {
    const char* line;
    SaverMode mode;
    std::int64_t argument;
};

void PrintTo(const ParseCase& c, std::ostream* out) { *out << "'" << c.line << "'"; }

class ParseCommandLineTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseCommandLineTest, ModeAndArgument)
{
    std::int64_t argument = -12345; // whatever was there before is replaced
    EXPECT_EQ(parseCommandLine(GetParam().line, argument, foreground), GetParam().mode);
    EXPECT_EQ(argument, GetParam().argument);
}

INSTANTIATE_TEST_SUITE_P(NoSwitch, ParseCommandLineTest, testing::Values(
    ParseCase{"", SaverMode::Configure, 0},
    ParseCase{"orbit-patrol", SaverMode::Configure, 0},
    ParseCase{"orbit-patrol     ", SaverMode::Configure, 0},
    ParseCase{"\"/opt/my savers/orbit-patrol\"", SaverMode::Configure, 0},
    ParseCase{"\"/opt/my savers/orbit-patrol\"   ", SaverMode::Configure, 0},
    // No closing quote: the name runs to the end.
    ParseCase{"\"/opt/orbit-patrol /s", SaverMode::Configure, 0}));

INSTANTIATE_TEST_SUITE_P(Configure, ParseCommandLineTest, testing::Values(
    ParseCase{"orbit-patrol /c:1234", SaverMode::Configure, 1234},
    ParseCase{"orbit-patrol -C 1234", SaverMode::Configure, 1234},
    ParseCase{"orbit-patrol c1234", SaverMode::Configure, 1234},
    ParseCase{"orbit-patrol /c", SaverMode::Configure, foreground},
    ParseCase{"orbit-patrol /c : ", SaverMode::Configure, foreground},
    ParseCase{"orbit-patrol /config", SaverMode::Configure, 0}));

INSTANTIATE_TEST_SUITE_P(Preview, ParseCommandLineTest, testing::Values(
    ParseCase{"orbit-patrol /p 1234", SaverMode::Preview, 1234},
    ParseCase{"orbit-patrol /p:1234", SaverMode::Preview, 1234},
    ParseCase{"orbit-patrol /L1234", SaverMode::Preview, 1234},
    ParseCase{"orbit-patrol p : 1234", SaverMode::Preview, 1234},
    ParseCase{"\"/opt/my savers/orbit-patrol\" /p 42", SaverMode::Preview, 42},
    // Only the first letter counts; "review" is no number.
    ParseCase{"orbit-patrol /preview 5", SaverMode::Preview, 0},
    ParseCase{"orbit-patrol /p", SaverMode::Preview, 0},
    // atoi: white space other than blanks is skipped too; a sign; digits up to the first other character.
    ParseCase{"orbit-patrol /p\t 99", SaverMode::Preview, 99},
    ParseCase{"orbit-patrol /p -5", SaverMode::Preview, -5},
    ParseCase{"orbit-patrol /p +7", SaverMode::Preview, 7},
    ParseCase{"orbit-patrol /p 12abc", SaverMode::Preview, 12},
    ParseCase{"orbit-patrol /p - 5", SaverMode::Preview, 0},
    // Beyond 32 bits the number saturates instead of wrapping.
    ParseCase{"orbit-patrol /p 4294967296", SaverMode::Preview, INT_MAX},
    ParseCase{"orbit-patrol /p 99999999999999999999999", SaverMode::Preview, INT_MAX},
    ParseCase{"orbit-patrol /p -2147483649", SaverMode::Preview, INT_MIN}));

INSTANTIATE_TEST_SUITE_P(FullScreen, ParseCommandLineTest, testing::Values(
    ParseCase{"orbit-patrol /S", SaverMode::FullScreen, 0},
    ParseCase{"orbit-patrol -s", SaverMode::FullScreen, 0},
    ParseCase{"orbit-patrol s", SaverMode::FullScreen, 0},
    ParseCase{"orbit-patrol /save", SaverMode::FullScreen, 0},
    ParseCase{"orbit-patrol      /s 1234", SaverMode::FullScreen, 0}));

INSTANTIATE_TEST_SUITE_P(PasswordAndNone, ParseCommandLineTest, testing::Values(
    ParseCase{"orbit-patrol /a 1234", SaverMode::ChangePassword, 1234},
    ParseCase{"orbit-patrol -A:42", SaverMode::ChangePassword, 42},
    ParseCase{"orbit-patrol /x", SaverMode::None, 0},
    ParseCase{"orbit-patrol /?", SaverMode::None, 0},
    ParseCase{"orbit-patrol /", SaverMode::None, 0},
    ParseCase{"orbit-patrol //s", SaverMode::None, 0},
    ParseCase{"orbit-patrol -root", SaverMode::None, 0},
    // An unquoted path with a blank is cut there: "apps/..." reads as /a.
    ParseCase{"/opt/my apps/orbit-patrol /p 5", SaverMode::ChangePassword, 0},
    ParseCase{"/opt/my savers/orbit-patrol /p 5", SaverMode::FullScreen, 0}));

struct RebuildCase {
    std::vector<std::string> args;
    const char* line;
};

class RebuildCommandLineTest : public testing::TestWithParam<RebuildCase> {};

TEST_P(RebuildCommandLineTest, JoinsArgv)
{
    EXPECT_EQ(rebuildCommandLine(GetParam().args), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(Args, RebuildCommandLineTest, testing::Values(
    RebuildCase{{}, ""},
    RebuildCase{{"orbit-patrol"}, "orbit-patrol"},
    RebuildCase{{"/usr/bin/orbit-patrol", "/p", "1234"}, "/usr/bin/orbit-patrol /p 1234"},
    RebuildCase{{"/opt/my savers/orbit-patrol", "/s"}, "\"/opt/my savers/orbit-patrol\" /s"},
    // Later arguments are joined as they are, blanks and all.
    RebuildCase{{"orbit-patrol", "/p", "12 34"}, "orbit-patrol /p 12 34"},
    RebuildCase{{"orbit-patrol", ""}, "orbit-patrol "}));

TEST(RebuildCommandLine, QuotedProgramPathKeepsTheSwitch)
{
    std::int64_t argument = 0;
    const std::string line = rebuildCommandLine({"/opt/my savers/orbit-patrol", "/p", "1234"});
    EXPECT_EQ(parseCommandLine(line, argument), SaverMode::Preview);
    EXPECT_EQ(argument, 1234);
    EXPECT_EQ(parseCommandLine(rebuildCommandLine({"/opt/my savers/orbit-patrol"}), argument), SaverMode::Configure);
}

TEST(ApplicationName, IsTheBaseNameWithoutExtension)
{
    EXPECT_EQ(applicationName("/usr/bin/orbit-patrol"), "orbit-patrol");
    EXPECT_EQ(applicationName("orbit-patrol"), "orbit-patrol");
    EXPECT_EQ(applicationName("./build/orbit-patrol.scr"), "orbit-patrol");
    EXPECT_EQ(applicationName("/a.b/Orbit.Patrol.scr"), "Orbit.Patrol");
    EXPECT_EQ(applicationName("/home/u/.saver"), ".saver");
    EXPECT_EQ(applicationName(""), "");
}

struct WindowIdCase {
    const char* text;
    std::int64_t id;
};

class WindowIdTest : public testing::TestWithParam<WindowIdCase> {};

TEST_P(WindowIdTest, DecimalOrHex)
{
    EXPECT_EQ(parseWindowId(GetParam().text), GetParam().id) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, WindowIdTest, testing::Values(
    WindowIdCase{"123", 123}, WindowIdCase{"0x1a", 26}, WindowIdCase{"0X1A", 26},
    WindowIdCase{"4294967295", 4294967295LL}, WindowIdCase{"0xffffffff", 4294967295LL},
    WindowIdCase{"", 0}, WindowIdCase{"0x", 0}, WindowIdCase{"junk", 0}, WindowIdCase{"12abc", 0},
    WindowIdCase{"-5", 0}, WindowIdCase{"+5", 0}, WindowIdCase{" 5", 0},
    WindowIdCase{"4294967296", 0}, WindowIdCase{"0x100000000", 0}, WindowIdCase{"0x1g", 0}));

TEST(HostWindowSwitch, RootUsesXScreenSaverWindowOrTheRoot)
{
    auto found = parseHostWindowSwitch({"orbit-patrol", "-root"}, "0x2a");
    ASSERT_TRUE(found);
    EXPECT_FALSE(found->rootWindow);
    EXPECT_EQ(found->windowId, 42);

    for (const char* unset : {static_cast<const char*>(nullptr), ""}) {
        found = parseHostWindowSwitch({"orbit-patrol", "--root"}, unset);
        ASSERT_TRUE(found);
        EXPECT_TRUE(found->rootWindow);
    }
    // An unreadable $XSCREENSAVER_WINDOW is a bad window id, not the root.
    found = parseHostWindowSwitch({"orbit-patrol", "-root"}, "junk");
    ASSERT_TRUE(found);
    EXPECT_FALSE(found->rootWindow);
    EXPECT_EQ(found->windowId, 0);
}

TEST(HostWindowSwitch, WindowIdForms)
{
    const std::vector<std::pair<std::vector<std::string>, std::int64_t>> cases{
        {{"orbit-patrol", "-window-id", "0x10"}, 16},
        {{"orbit-patrol", "--window-id", "99"}, 99},
        {{"orbit-patrol", "-window-id=0x10"}, 16},
        {{"orbit-patrol", "-install", "-window-id", "7"}, 7},
        {{"orbit-patrol", "-window-id"}, 0},
        {{"orbit-patrol", "-window-id", "junk"}, 0},
    };
    for (const auto& [args, id] : cases) {
        const auto found = parseHostWindowSwitch(args, "0x2a");
        ASSERT_TRUE(found) << args.back();
        EXPECT_FALSE(found->rootWindow);
        EXPECT_EQ(found->windowId, id) << args.back();
    }
}

TEST(HostWindowSwitch, OtherSwitchesAreLeftToTheHostParse)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"orbit-patrol"}, {"orbit-patrol", "/p", "5"}, {"orbit-patrol", "-rooted"},
             {"orbit-patrol", "-window"}, {"-root"}}) {
        EXPECT_FALSE(parseHostWindowSwitch(args, "0x2a")) << args.back();
    }
}

} // namespace
} // namespace orbit

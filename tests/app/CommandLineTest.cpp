// The switches as the host passes them, the command line rebuilt from argv,
// the program name, and the XScreenSaver switches looked for first.
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

TEST(ParseCommandLine, ModeAndArgument)
{
    // A quoted name may hold blanks; a bare configure switch takes the
    // foreground window; only a switch's first letter counts, then atoi on what
    // follows blanks and colons, saturating beyond 32 bits.
    const ParseCase cases[] = {
        {"orbit-patrol", SaverMode::Configure, 0},
        {"\"/opt/my savers/orbit-patrol\"   ", SaverMode::Configure, 0},
        {"\"/opt/orbit-patrol /s", SaverMode::Configure, 0},
        {"orbit-patrol /c:1234", SaverMode::Configure, 1234},
        {"orbit-patrol -C 1234", SaverMode::Configure, 1234},
        {"orbit-patrol /c : ", SaverMode::Configure, foreground},
        {"orbit-patrol /config", SaverMode::Configure, 0},
        {"orbit-patrol /L1234", SaverMode::Preview, 1234},
        {"orbit-patrol p : 1234", SaverMode::Preview, 1234},
        {"orbit-patrol /preview 5", SaverMode::Preview, 0},
        {"orbit-patrol /p\t 99", SaverMode::Preview, 99},
        {"orbit-patrol /p -5", SaverMode::Preview, -5},
        {"orbit-patrol /p +7", SaverMode::Preview, 7},
        {"orbit-patrol /p 12abc", SaverMode::Preview, 12},
        {"orbit-patrol /p - 5", SaverMode::Preview, 0},
        {"orbit-patrol /p 4294967296", SaverMode::Preview, INT_MAX},
        {"orbit-patrol /p -2147483649", SaverMode::Preview, INT_MIN},
        {"orbit-patrol /S", SaverMode::FullScreen, 0},
        {"orbit-patrol      s 1234", SaverMode::FullScreen, 0},
        {"orbit-patrol -A:42", SaverMode::ChangePassword, 42},
        {"orbit-patrol /x", SaverMode::None, 0},
        {"orbit-patrol /", SaverMode::None, 0},
        {"orbit-patrol //s", SaverMode::None, 0},
        // An unquoted path with a blank is cut there: "savers/..." reads as /s.
        {"/opt/my savers/orbit-patrol /p 5", SaverMode::FullScreen, 0},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.line);
        std::int64_t argument = -12345; // whatever was there before is replaced
        EXPECT_EQ(parseCommandLine(c.line, argument, foreground), c.mode);
        EXPECT_EQ(argument, c.argument);
    }
}

TEST(RebuildCommandLine, QuotesOnlyAProgramPathWithBlanks)
{
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{}, ""},
        {{"/usr/bin/orbit-patrol", "/p", "1234"}, "/usr/bin/orbit-patrol /p 1234"},
        {{"/opt/my savers/orbit-patrol", "/s"}, "\"/opt/my savers/orbit-patrol\" /s"},
        {{"orbit-patrol", "/p", "12 34"}, "orbit-patrol /p 12 34"},
    };
    for (const auto& [args, line] : cases)
        EXPECT_EQ(rebuildCommandLine(args), line);
}

TEST(ApplicationName, IsTheBaseNameWithoutExtension)
{
    EXPECT_EQ(applicationName("/a.b/Orbit.Patrol.scr"), "Orbit.Patrol");
    EXPECT_EQ(applicationName("/home/u/.saver"), ".saver");
}

TEST(ParseWindowId, DecimalOrHexWithin32Bits)
{
    const std::pair<const char*, std::int64_t> cases[] = {
        {"123", 123}, {"0X1A", 26}, {"4294967295", 4294967295LL}, {"0xffffffff", 4294967295LL},
        {"", 0}, {"0x", 0}, {"12abc", 0}, {"-5", 0}, {"4294967296", 0}, {"0x100000000", 0}};
    for (const auto& [text, id] : cases)
        EXPECT_EQ(parseWindowId(text), id) << text;
}

TEST(HostWindowSwitch, RootWindowIdAndOtherSwitches)
{
    struct Case {
        std::vector<std::string> args;
        const char* xscreensaverWindow;
        std::optional<HostWindowSwitch> found;
    };
    const Case cases[] = {
        {{"orbit-patrol", "-root"}, "0x2a", HostWindowSwitch{false, 42}},
        {{"orbit-patrol", "--root"}, nullptr, HostWindowSwitch{true, 0}},
        {{"orbit-patrol", "-root"}, "", HostWindowSwitch{true, 0}},
        // An unreadable $XSCREENSAVER_WINDOW is a bad window id, not the root.
        {{"orbit-patrol", "-root"}, "junk", HostWindowSwitch{false, 0}},
        {{"orbit-patrol", "--window-id", "99"}, "0x2a", HostWindowSwitch{false, 99}},
        {{"orbit-patrol", "-window-id=0x10"}, nullptr, HostWindowSwitch{false, 16}},
        {{"orbit-patrol", "-install", "-window-id", "7"}, nullptr, HostWindowSwitch{false, 7}},
        {{"orbit-patrol", "-window-id"}, nullptr, HostWindowSwitch{false, 0}},
        {{"orbit-patrol", "/p", "5"}, "0x2a", std::nullopt},
        {{"orbit-patrol", "-rooted"}, "0x2a", std::nullopt},
        {{"-root"}, "0x2a", std::nullopt}, // argv[0] is the program, never a switch
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        const auto found = parseHostWindowSwitch(c.args, c.xscreensaverWindow);
        ASSERT_EQ(found.has_value(), c.found.has_value());
        if (found) {
            EXPECT_EQ(std::pair(found->rootWindow, found->windowId), std::pair(c.found->rootWindow, c.found->windowId));
        }
    }
}

} // namespace
} // namespace orbit

// The switches as the host passes them, the command line rebuilt from argv,
// the program name, and the XScreenSaver switches and hack options looked for
// first.
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

TEST(HackCommandLine, RoutesHackNamesAndDoubleDashesAwayFromTheHostsSwitches)
{
    // Single-dash hack names that start with a host's letter (-sound, -satellites
    // read as /s) are hack options; the host's own spellings stay with its parse.
    const std::pair<std::vector<std::string>, bool> cases[] = {
        {{"orbit-patrol"}, false},          {{"orbit-patrol", "/s"}, false},
        {{"orbit-patrol", "-s"}, false},    {{"orbit-patrol", "-S"}, false},
        {{"orbit-patrol", "/p", "123"}, false}, {{"orbit-patrol", "-p:123"}, false},
        {{"orbit-patrol", "/c:456"}, false}, {{"orbit-patrol", "-rooted"}, false},
        {{"orbit-patrol", "-Root"}, false}, {{"orbit-patrol", "-"}, false},
        {{"-root"}, false}, // argv[0] is the program, never a switch
        {{"orbit-patrol", "-root"}, true},  {{"orbit-patrol", "-sound"}, true},
        {{"orbit-patrol", "-satellites", "4"}, true}, {{"orbit-patrol", "-window-id=5"}, true},
        {{"orbit-patrol", "-fps"}, true},   {{"orbit-patrol", "/s", "--x"}, true},
        {{"orbit-patrol", "--s"}, true},
    };
    for (const auto& [args, hack] : cases)
        EXPECT_EQ(isHackCommandLine(args), hack) << args.back();
}

// The options that are set, in a fixed order: "delay 10 satellites 4 sound model m.3ds fps".
std::string describe(const HackOptions& o)
{
    std::string text;
    const auto add = [&](const std::string& part) { text += (text.empty() ? "" : " ") + part; };
    if (o.frameDelayMs)
        add("delay " + std::to_string(*o.frameDelayMs));
    if (o.satelliteCount)
        add("satellites " + std::to_string(*o.satelliteCount));
    if (o.shotSound)
        add(*o.shotSound ? "sound" : "no-sound");
    if (o.modelFile)
        add("model " + *o.modelFile);
    if (o.showFrameRate)
        add("fps");
    return text;
}

TEST(HackCommandLine, HostWindowOptionsValuesClampsAndRefusals)
{
    struct Case {
        std::vector<std::string> args;
        const char* xscreensaverWindow;
        std::optional<HostWindowSwitch> host;
        const char* options; // in the words of describe()
        bool refused = false;
    };
    using W = HostWindowSwitch;
    const Case cases[] = {
        {{"-root"}, "0x2a", W{false, 42}, ""},
        {{"--root"}, nullptr, W{true, 0}, ""},
        {{"-root"}, "", W{true, 0}, ""},
        // An unreadable $XSCREENSAVER_WINDOW is a bad window id, not the root.
        {{"-root"}, "junk", W{false, 0}, ""},
        {{"--window-id", "99"}, "0x2a", W{false, 99}, ""},
        {{"-window-id=0x10"}, nullptr, W{false, 16}, ""},
        {{"-window-id"}, nullptr, W{false, 0}, ""},
        {{"-window-id", "5", "-root"}, nullptr, W{true, 0}, ""},
        // Alone, without a host window.
        {{"--fps"}, nullptr, std::nullopt, "fps"},
        // Microseconds to milliseconds, halves up, clamped to 1..100.
        {{"--delay", "10000"}, nullptr, std::nullopt, "delay 10"},
        {{"-delay=1500"}, nullptr, std::nullopt, "delay 2"},
        {{"-delay", "1499"}, nullptr, std::nullopt, "delay 1"},
        {{"--delay", "0"}, nullptr, std::nullopt, "delay 1"},
        {{"--delay", "-5000"}, nullptr, std::nullopt, "delay 1"},
        {{"--delay", "100499"}, nullptr, std::nullopt, "delay 100"},
        {{"--delay", "99999999999999999999999"}, nullptr, std::nullopt, "delay 100"},
        {{"--satellites", "+7"}, nullptr, std::nullopt, "satellites 7"},
        {{"-satellites", "0"}, nullptr, std::nullopt, "satellites 1"},
        {{"--satellites=11"}, nullptr, std::nullopt, "satellites 10"},
        {{"-sound"}, nullptr, std::nullopt, "sound"},
        {{"--no-sound"}, nullptr, std::nullopt, "no-sound"},
        {{"--model", "/tmp/a b.3ds"}, nullptr, std::nullopt, "model /tmp/a b.3ds"},
        {{"-model="}, nullptr, std::nullopt, "model "},
        // Given twice, the last one counts.
        {{"--satellites", "2", "-satellites", "5", "--sound", "--no-sound"}, nullptr, std::nullopt,
         "satellites 5 no-sound"},
        {{"--root", "--delay", "20000", "--satellites", "4", "--no-sound", "--model", "m.3ds", "--fps"}, nullptr,
         W{true, 0}, "delay 20 satellites 4 no-sound model m.3ds fps"},
        // Refused: unknown, a host's switch among hack options, bad or missing values.
        {{"--bogus"}, nullptr, std::nullopt, "", true},
        {{"-root", "-install"}, nullptr, std::nullopt, "", true},
        {{"/s", "--fps"}, nullptr, std::nullopt, "", true},
        {{"--fps", "/s"}, nullptr, std::nullopt, "", true},
        {{"--delay", "10ms"}, nullptr, std::nullopt, "", true},
        {{"--delay", ""}, nullptr, std::nullopt, "", true},
        {{"--satellites", "-"}, nullptr, std::nullopt, "", true},
        {{"--satellites", "2.5"}, nullptr, std::nullopt, "", true},
        {{"--delay"}, nullptr, std::nullopt, "", true},
        {{"--model"}, nullptr, std::nullopt, "", true},
        {{"--fps=1"}, nullptr, std::nullopt, "", true},
        {{"--Root"}, nullptr, std::nullopt, "", true},
        {{"--"}, nullptr, std::nullopt, "", true},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"orbit-patrol"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        SCOPED_TRACE(rebuildCommandLine(args));
        const HackCommandLine line = parseHackCommandLine(args, c.xscreensaverWindow);
        ASSERT_EQ(!line.error.empty(), c.refused) << line.error;
        if (c.refused)
            continue;
        ASSERT_EQ(line.host.has_value(), c.host.has_value());
        if (line.host) {
            EXPECT_EQ(std::pair(line.host->rootWindow, line.host->windowId),
                      std::pair(c.host->rootWindow, c.host->windowId));
        }
        EXPECT_EQ(describe(line.options), c.options);
    }
}

} // namespace
} // namespace orbit

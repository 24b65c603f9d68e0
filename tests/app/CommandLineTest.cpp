// The host's switches on the command line rebuilt from argv, the program name,
// window ids, and the XScreenSaver switches and hack options looked for first.
#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

namespace orbit {
namespace {

TEST(ParseCommandLine, ModeAndArgument)
{
    // A quoted name may hold blanks; a bare configure switch takes the
    // foreground window (777); only a switch's first letter counts, then atoi
    // on what follows blanks and colons, saturating beyond 32 bits.
    const std::tuple<const char*, SaverMode, std::int64_t> cases[] = {
        {"orbit-patrol", SaverMode::Configure, 0},
        {"\"/opt/my savers/orbit-patrol\"   ", SaverMode::Configure, 0},
        {"\"/opt/orbit-patrol /s", SaverMode::Configure, 0},
        {"orbit-patrol -C 1234", SaverMode::Configure, 1234},
        {"orbit-patrol /c : ", SaverMode::Configure, 777},
        {"orbit-patrol /L1234", SaverMode::Preview, 1234},
        {"orbit-patrol p : 1234", SaverMode::Preview, 1234},
        {"orbit-patrol /preview 5", SaverMode::Preview, 0},
        {"orbit-patrol /p\t 99", SaverMode::Preview, 99},
        {"orbit-patrol /p -5", SaverMode::Preview, -5},
        {"orbit-patrol /p 12abc", SaverMode::Preview, 12},
        {"orbit-patrol /p - 5", SaverMode::Preview, 0},
        {"orbit-patrol /p 4294967296", SaverMode::Preview, INT_MAX},
        {"orbit-patrol /p -2147483649", SaverMode::Preview, INT_MIN},
        {"orbit-patrol      s 1234", SaverMode::FullScreen, 0},
        {"orbit-patrol -A:42", SaverMode::ChangePassword, 42},
        {"orbit-patrol /x", SaverMode::None, 0},
        {"orbit-patrol //s", SaverMode::None, 0},
        // An unquoted path with a blank is cut there: "savers/..." reads as /s.
        {"/opt/my savers/orbit-patrol /p 5", SaverMode::FullScreen, 0},
    };
    for (const auto& [line, mode, expected] : cases) {
        std::int64_t argument = -12345; // whatever was there before is replaced
        EXPECT_EQ(parseCommandLine(line, argument, 777), mode) << line;
        EXPECT_EQ(argument, expected) << line;
    }
}

TEST(CommandLine, RebuiltLineProgramNameWindowIdsAndUsage)
{
    EXPECT_EQ(rebuildCommandLine({"/opt/my savers/orbit-patrol", "/p", "12 34"}),
              "\"/opt/my savers/orbit-patrol\" /p 12 34");
    EXPECT_EQ(rebuildCommandLine({"/usr/bin/orbit-patrol", "/s"}), "/usr/bin/orbit-patrol /s");
    EXPECT_EQ(applicationName("/a.b/Orbit.Patrol.scr"), "Orbit.Patrol");
    EXPECT_EQ(applicationName("/home/u/.saver"), ".saver");
    // Decimal or hex within 32 bits, else 0.
    const std::pair<const char*, std::int64_t> ids[] = {
        {"123", 123}, {"0X1A", 26}, {"0xffffffff", 4294967295LL}, {"", 0}, {"0x", 0},
        {"12abc", 0}, {"-5", 0}, {"4294967296", 0}, {"0x100000000", 0}};
    for (const auto& [text, id] : ids)
        EXPECT_EQ(parseWindowId(text), id) << text;
    // The options' lines line up under the program name.
    EXPECT_NE(usageText("op").find("\n       op [-root"), std::string::npos);
    EXPECT_NE(usageText("op").find("\n          [--sound"), std::string::npos);
}

TEST(HackCommandLine, HostSwitchesStayTheHostsHackNamesAndDoubleDashesGiveWindowAndOptionsOrARefusal)
{
    struct Case {
        std::vector<std::string> args; // after the program name
        bool hack;                      // taken as hack options, else left to the host's switch parse
        std::optional<HackOptions> options; // empty: refused
        std::optional<HostWindowSwitch> host = std::nullopt;
        const char* xscreensaverWindow = nullptr;
    };
    using W = HostWindowSwitch;
    using O = HackOptions;
    const Case cases[] = {
        // The host's own spellings; single-dash hack names that start with a
        // host's letter (-sound, -satellites read as /s) are hack options.
        {{"/s"}, false, std::nullopt}, {{"-S"}, false, std::nullopt}, {{"/p", "123"}, false, std::nullopt},
        {{"-p:123"}, false, std::nullopt}, {{"-rooted"}, false, std::nullopt}, {{"-Root"}, false, std::nullopt},
        {{"-"}, false, std::nullopt}, {{}, false, O{}},
        {{"-root"}, true, O{}, W{false, 42}, "0x2a"},
        {{"--root"}, true, O{}, W{true, 0}},
        {{"-root"}, true, O{}, W{true, 0}, ""},
        // An unreadable $XSCREENSAVER_WINDOW is a bad window id, not the root.
        {{"-root"}, true, O{}, W{false, 0}, "junk"},
        {{"--window-id", "99"}, true, O{}, W{false, 99}, "0x2a"},
        {{"-window-id=0x10"}, true, O{}, W{false, 16}},
        {{"-window-id"}, true, O{}, W{false, 0}},
        {{"-window-id", "5", "-root"}, true, O{}, W{true, 0}},
        {{"--fps"}, true, O{.showFrameRate = true}},
        // Microseconds to milliseconds, halves up, clamped to 1..100.
        {{"--delay", "10000"}, true, O{.frameDelayMs = 10}},
        {{"-delay=1500"}, true, O{.frameDelayMs = 2}},
        {{"-delay", "1499"}, true, O{.frameDelayMs = 1}},
        {{"--delay", "-5000"}, true, O{.frameDelayMs = 1}},
        {{"--delay", "100499"}, true, O{.frameDelayMs = 100}},
        {{"--delay", "99999999999999999999999"}, true, O{.frameDelayMs = 100}},
        {{"--satellites", "+7"}, true, O{.satelliteCount = 7}},
        {{"-satellites", "0"}, true, O{.satelliteCount = 1}},
        {{"--satellites=11"}, true, O{.satelliteCount = 10}},
        {{"-sound"}, true, O{.shotSound = true}},
        {{"--model", "/tmp/a b.3ds"}, true, O{.modelFile = "/tmp/a b.3ds"}},
        {{"-model="}, true, O{.modelFile = ""}},
        // Given twice, the last one counts.
        {{"--satellites", "2", "-satellites", "5", "--sound", "--no-sound"}, true, O{.satelliteCount = 5, .shotSound = false}},
        {{"--root", "--delay", "20000", "--satellites", "4", "--no-sound", "--model", "m.3ds", "--fps"}, true,
         O{20, 4, false, "m.3ds", true}, W{true, 0}},
        // Refused: unknown, a host's switch among hack options, bad or missing values.
        {{"--bogus"}, true, std::nullopt}, {{"-root", "-install"}, true, std::nullopt}, {{"/s", "--fps"}, true, std::nullopt},
        {{"--delay", "10ms"}, true, std::nullopt}, {{"--delay", ""}, true, std::nullopt},
        {{"--satellites", "2.5"}, true, std::nullopt}, {{"--delay"}, true, std::nullopt}, {{"--model"}, true, std::nullopt},
        {{"--fps=1"}, true, std::nullopt}, {{"--Root"}, true, std::nullopt}, {{"--"}, true, std::nullopt},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"orbit-patrol"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        SCOPED_TRACE(rebuildCommandLine(args));
        EXPECT_EQ(isHackCommandLine(args), c.hack);
        const HackCommandLine line = parseHackCommandLine(args, c.xscreensaverWindow);
        ASSERT_EQ(line.error.empty(), c.options.has_value()) << line.error;
        if (!c.options)
            continue;
        const auto fields = [](const HackOptions& o) {
            return std::tie(o.frameDelayMs, o.satelliteCount, o.shotSound, o.modelFile, o.showFrameRate);
        };
        EXPECT_EQ(fields(line.options), fields(*c.options));
        ASSERT_EQ(line.host.has_value(), c.host.has_value());
        if (line.host) {
            EXPECT_EQ(std::pair(line.host->rootWindow, line.host->windowId),
                      std::pair(c.host->rootWindow, c.host->windowId));
        }
    }
}

} // namespace
} // namespace orbit

// The host's switches on the command line rebuilt from argv, the program name,
// window ids, the XScreenSaver switches and hack options looked for first, and
// the mode dispatch without a display: the one-shot modes end at once, the
// window and dialog modes with status 1 instead of aborting in Qt.
#include "app/CommandLine.h"
#include "app/SaverApp.h"

#include "tests/support/TestDoubles.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
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
    struct Options { // as HackOptions
        std::optional<int> frameDelayMs = {}, satelliteCount = {};
        std::optional<bool> shotSound = {};
        std::optional<std::string> modelFile = {};
        bool showFrameRate = false;
    };
    struct Case {
        std::vector<std::string> args; // after the program name
        bool hack;                      // taken as hack options, else left to the host's switch parse
        std::optional<Options> options; // empty: refused
        std::optional<HostWindowSwitch> host = std::nullopt;
        const char* xscreensaverWindow = nullptr;
    };
    using W = HostWindowSwitch;
    using O = Options;
    const std::optional<O> refused;
    const Case cases[] = {
        // The host's own spellings; single-dash hack names that start with a
        // host's letter (-sound, -satellites read as /s) are hack options.
        {{"/s"}, false, refused}, {{"-S"}, false, refused}, {{"/p", "123"}, false, refused},
        {{"-p:123"}, false, refused}, {{"-rooted"}, false, refused}, {{"-Root"}, false, refused},
        {{"-"}, false, refused}, {{}, false, O{}},
        // $XSCREENSAVER_WINDOW or the root; an unreadable one is a bad window id, not the root.
        {{"-root"}, true, O{}, W{false, 42}, "0x2a"}, {{"--root"}, true, O{}, W{true, 0}},
        {{"-root"}, true, O{}, W{true, 0}, ""}, {{"-root"}, true, O{}, W{false, 0}, "junk"},
        {{"--window-id", "99"}, true, O{}, W{false, 99}, "0x2a"}, {{"-window-id=0x10"}, true, O{}, W{false, 16}},
        {{"-window-id"}, true, O{}, W{false, 0}}, {{"-window-id", "5", "-root"}, true, O{}, W{true, 0}},
        // Microseconds to milliseconds, halves up, clamped to 1..100.
        {{"--delay", "10000"}, true, O{.frameDelayMs = 10}}, {{"-delay=1500"}, true, O{.frameDelayMs = 2}},
        {{"-delay", "1499"}, true, O{.frameDelayMs = 1}}, {{"--delay", "-5000"}, true, O{.frameDelayMs = 1}},
        {{"--delay", "100499"}, true, O{.frameDelayMs = 100}},
        {{"--delay", "99999999999999999999999"}, true, O{.frameDelayMs = 100}},
        {{"--satellites", "+7"}, true, O{.satelliteCount = 7}},
        {{"-satellites", "0"}, true, O{.satelliteCount = 1}},
        {{"--satellites=11"}, true, O{.satelliteCount = 10}}, {{"-sound"}, true, O{.shotSound = true}},
        {{"--model", "/tmp/a b.3ds"}, true, O{.modelFile = "/tmp/a b.3ds"}},
        {{"-model="}, true, O{.modelFile = ""}}, {{"--fps"}, true, O{.showFrameRate = true}},
        // Given twice, the last one counts.
        {{"--satellites", "2", "-satellites", "5", "--sound", "--no-sound"}, true,
         O{.satelliteCount = 5, .shotSound = false}},
        {{"--root", "--delay", "20000", "--satellites", "4", "--no-sound", "--model", "m.3ds", "--fps"}, true,
         O{20, 4, false, "m.3ds", true}, W{true, 0}},
        // Refused: unknown, a host's switch among hack options, bad or missing values.
        {{"--bogus"}, true, refused}, {{"-root", "-install"}, true, refused}, {{"/s", "--fps"}, true, refused},
        {{"--delay", "10ms"}, true, refused}, {{"--delay", ""}, true, refused},
        {{"--satellites", "2.5"}, true, refused},
        {{"--delay"}, true, refused}, {{"--model"}, true, refused}, {{"--fps=1"}, true, refused},
        {{"--Root"}, true, refused}, {{"--"}, true, refused},
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
        const HackOptions& o = line.options;
        const Options& e = *c.options;
        EXPECT_EQ(std::tie(o.frameDelayMs, o.satelliteCount, o.shotSound, o.modelFile, o.showFrameRate),
                  std::tie(e.frameDelayMs, e.satelliteCount, e.shotSound, e.modelFile, e.showFrameRate));
        ASSERT_EQ(line.host.has_value(), c.host.has_value());
        if (line.host) {
            EXPECT_EQ(std::pair(line.host->rootWindow, line.host->windowId),
                      std::pair(c.host->rootWindow, c.host->windowId));
        }
    }
}

TEST(SaverAppDispatch, EndsWithStatusAndWritesNoSetting)
{
    test::ScratchDir scratch("app");
    // Nothing here may need a display, or touch the user's settings.
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("QT_QPA_PLATFORM");
    setenv("XDG_CONFIG_HOME", scratch.path().c_str(), 1);
    const std::tuple<std::vector<std::string>, int, int> cases[] = { // argv, status, password calls
        {{"/usr/bin/orbit-patrol", "/a", "1234"}, 0, 1},
        {{"orbit-patrol", "/x"}, 0, 0},
        {{"orbit-patrol", "/p", "0"}, 1, 0},            // no host window
        {{"orbit-patrol", "-window-id", "junk"}, 1, 0}, // looked for before the host's switches
        {{"orbit-patrol", "/s"}, 1, 0},
        {{"orbit-patrol", "/c:55"}, 1, 0},
        {{"orbit-patrol", "--satellites", "11", "--fps"}, 1, 0}, // hack options alone: full screen
        {{"orbit-patrol", "-root", "--bogus"}, 1, 0},           // refused with the usage text
        {{"orbit-patrol", "--help"}, 0, 0},
    };
    for (const auto& [args, status, passwordCalls] : cases) {
        SCOPED_TRACE(args.back());
        std::vector<std::string> strings = args;
        std::vector<char*> argv;
        for (std::string& s : strings)
            argv.push_back(s.data());
        argv.push_back(nullptr);
        int argc = static_cast<int>(strings.size());
        RecordingPasswordService passwords;
        SaverApp app(argc, argv.data(), passwords);
        EXPECT_EQ(app.run(), status);
        EXPECT_EQ(passwords.calls, passwordCalls);
        EXPECT_TRUE(passwordCalls == 0 || (passwords.lastProvider == "SCRSAVE" && passwords.lastParent == 1234));
        EXPECT_FALSE(std::filesystem::exists(scratch.path() / "Torvo" / "orbit-patrol.ini"));
    }
}

} // namespace
} // namespace orbit

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
        {"orbit-patrol", SaverMode::Configure, 0}, {"\"/opt/my savers/orbit-patrol\"   ", SaverMode::Configure, 0},
        {"orbit-patrol -C 1234", SaverMode::Configure, 1234}, {"orbit-patrol /c : ", SaverMode::Configure, 777},
        {"orbit-patrol p : 1234", SaverMode::Preview, 1234}, {"orbit-patrol /preview 5", SaverMode::Preview, 0},
        {"orbit-patrol /p\t -12abc", SaverMode::Preview, -12},
        {"orbit-patrol /p 4294967296", SaverMode::Preview, INT_MAX},
        {"orbit-patrol /p -2147483649", SaverMode::Preview, INT_MIN},
        {"orbit-patrol      s 1234", SaverMode::FullScreen, 0}, {"orbit-patrol -A:42", SaverMode::ChangePassword, 42},
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

// What a hack command line asks for, in the options' own words, or "refused".
std::string describe(const HackCommandLine& line)
{
    if (!line.error.empty())
        return "refused";
    const HackOptions& o = line.options;
    std::string text;
    if (line.host)
        text += line.host->rootWindow ? " root" : " window=" + std::to_string(line.host->windowId);
    if (o.frameDelayMs)
        text += " delay=" + std::to_string(*o.frameDelayMs);
    if (o.satelliteCount)
        text += " satellites=" + std::to_string(*o.satelliteCount);
    if (o.shotSound)
        text += *o.shotSound ? " sound" : " no-sound";
    if (o.modelFile)
        text += " model=" + *o.modelFile;
    if (o.showFrameRate)
        text += " fps";
    return text.empty() ? text : text.substr(1);
}

TEST(HackCommandLine, HostSwitchesStayTheHostsHackNamesAndDoubleDashesGiveWindowAndOptionsOrARefusal)
{
    struct Case {
        std::vector<std::string> args; // after the program name
        bool hack;                     // taken as hack options, else left to the host's switch parse
        const char* expected;          // as described
        const char* xscreensaverWindow = nullptr;
    };
    const Case cases[] = {
        // The host's own spellings; single-dash hack names that start with a
        // host's letter (-sound, -satellites read as /s) are hack options.
        {{"/s"}, false, "refused"}, {{"-rooted"}, false, "refused"}, {{"-Root"}, false, "refused"}, {{}, false, ""},
        // $XSCREENSAVER_WINDOW or the root; an unreadable one is a bad window id, not the root.
        {{"-root"}, true, "window=42", "0x2a"}, {{"--root"}, true, "root"}, {{"-root"}, true, "root", ""},
        {{"-root"}, true, "window=0", "junk"}, {{"--window-id", "99"}, true, "window=99", "0x2a"},
        {{"-window-id=0x10"}, true, "window=16"}, {{"-window-id"}, true, "window=0"},
        {{"-window-id", "5", "-root"}, true, "root"},
        // Microseconds to milliseconds, halves up, clamped to 1..100.
        {{"--delay", "10000"}, true, "delay=10"}, {{"-delay=1500"}, true, "delay=2"},
        {{"-delay", "1499"}, true, "delay=1"}, {{"--delay", "-5000"}, true, "delay=1"},
        {{"--delay", "100499"}, true, "delay=100"}, {{"--delay", "99999999999999999999999"}, true, "delay=100"},
        {{"--satellites", "+7"}, true, "satellites=7"}, {{"-satellites", "0"}, true, "satellites=1"},
        {{"--satellites=11"}, true, "satellites=10"}, {{"-sound"}, true, "sound"},
        {{"--model", "/tmp/a b.3ds"}, true, "model=/tmp/a b.3ds"}, {{"-model="}, true, "model="},
        // Given twice, the last one counts.
        {{"--satellites", "2", "-satellites", "5", "--sound", "--no-sound"}, true, "satellites=5 no-sound"},
        {{"--root", "--delay", "20000", "--model", "m.3ds", "--fps"}, true, "root delay=20 model=m.3ds fps"},
        // Refused: unknown, a host's switch among hack options, bad or missing values.
        {{"--bogus"}, true, "refused"}, {{"-root", "-install"}, true, "refused"},
        {{"/s", "--fps"}, true, "refused"}, {{"--delay", "10ms"}, true, "refused"},
        {{"--delay"}, true, "refused"}, {{"--fps=1"}, true, "refused"}, {{"--Root"}, true, "refused"},
        {{"--"}, true, "refused"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"orbit-patrol"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        SCOPED_TRACE(rebuildCommandLine(args));
        EXPECT_EQ(isHackCommandLine(args), c.hack);
        EXPECT_EQ(describe(parseHackCommandLine(args, c.xscreensaverWindow)), c.expected);
    }
}

// The runs of the real program (tests/e2e) check the host window ids and the
// refusals; here the modes that end before a window is needed.
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
        {{"orbit-patrol", "/s"}, 1, 0},
        {{"orbit-patrol", "/c:55"}, 1, 0},
        {{"orbit-patrol", "--satellites", "11", "--fps"}, 1, 0}, // hack options alone: full screen
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

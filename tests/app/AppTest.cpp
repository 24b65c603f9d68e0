// The start-up: the host's switches and the hack options, the mode dispatch
// without a display (status 1 instead of an abort in Qt), the INI store on
// files a user or an older version left, and the hack options over it.
#include "app/CommandLine.h"
#include "app/IniSettingsStore.h"
#include "app/SaverApp.h"
#include "app/SettingsOverlay.h"

#include "resources/EmbeddedResources.h"
#include "scene/SaverScene.h"
#include "tests/support/TestDoubles.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <tuple>

#include <sys/stat.h>

namespace orbit {
namespace {

TEST(CommandLine, ModeArgumentRebuiltLineProgramNameAndUsage)
{
    // A quoted name may hold blanks; a bare /c takes the foreground window (777); only a switch's
    // first letter counts, then atoi on what follows blanks and colons, saturating beyond 32 bits.
    const std::tuple<const char*, SaverMode, std::int64_t> cases[] = {
        {"orbit-patrol", SaverMode::Configure, 0}, {"\"/opt/my savers/orbit-patrol\"   ", SaverMode::Configure, 0},
        {"orbit-patrol -C 1234", SaverMode::Configure, 1234}, {"orbit-patrol /c : ", SaverMode::Configure, 777},
        {"orbit-patrol p : 1234", SaverMode::Preview, 1234}, {"orbit-patrol /preview 5", SaverMode::Preview, 0},
        {"orbit-patrol /p\t -2147483649abc", SaverMode::Preview, INT_MIN},
        {"orbit-patrol /p 4294967296", SaverMode::Preview, INT_MAX},
        // An unquoted path with a blank is cut there: "savers/..." reads as /s.
        {"/opt/my savers/orbit-patrol /p 5", SaverMode::FullScreen, 0},
    };
    for (const auto& [line, mode, expected] : cases) {
        std::int64_t argument = -12345; // whatever was there before is replaced
        EXPECT_EQ(parseCommandLine(line, argument, 777), mode) << line;
        EXPECT_EQ(argument, expected) << line;
    }
    EXPECT_EQ(rebuildCommandLine({"/opt/my savers/orbit-patrol", "/p", "12 34"}),
              "\"/opt/my savers/orbit-patrol\" /p 12 34");
    EXPECT_EQ(applicationName("/a.b/Orbit.Patrol.scr"), "Orbit.Patrol");
    EXPECT_EQ(applicationName("/home/u/.saver"), ".saver");
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
        const char* expected;          // what describe() gives
        const char* xscreensaverWindow = nullptr;
    };
    const Case cases[] = {
        // The host's own spellings; single-dash hack names that start with a
        // host's letter (-sound, -satellites read as /s) are hack options.
        {{"/s"}, false, "refused"}, {{"-rooted"}, false, "refused"}, {{"-sound"}, true, "sound"},
        // An unreadable $XSCREENSAVER_WINDOW is a bad window id, not the root. Window
        // ids are decimal or hex within 32 bits, else 0; -window-id ignores the variable.
        {{"--root"}, true, "root"}, {{"-root"}, true, "window=0", "junk"},
        {{"--window-id", "99"}, true, "window=99", "0x2a"}, {{"-window-id"}, true, "window=0"},
        {{"-window-id=0xffffffff"}, true, "window=4294967295"}, {{"-window-id=4294967296"}, true, "window=0"},
        // Microseconds to milliseconds, halves up, clamped to 1..100.
        {{"-delay=1500"}, true, "delay=2"}, {{"--delay", "-5000"}, true, "delay=1"},
        {{"--delay", "99999999999999999999999"}, true, "delay=100"},
        {{"-satellites", "0"}, true, "satellites=1"}, {{"--satellites=11"}, true, "satellites=10"},
        // Given twice, the last one counts.
        {{"--satellites", "2", "-satellites", "+5", "--sound", "--no-sound"}, true, "satellites=5 no-sound"},
        {{"--root", "--delay", "20000", "--model", "m.3ds", "--fps"}, true, "root delay=20 model=m.3ds fps"},
        // Refused: a host's switch among hack options, a value where none is taken, a missing value.
        {{"/s", "--fps"}, true, "refused"}, {{"--fps=1"}, true, "refused"}, {{"--delay"}, true, "refused"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"orbit-patrol"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        SCOPED_TRACE(rebuildCommandLine(args));
        EXPECT_EQ(isHackCommandLine(args), c.hack);
        EXPECT_EQ(describe(parseHackCommandLine(args, c.xscreensaverWindow)), c.expected);
    }
}

// The real program's runs (tests/e2e) check window ids and refusals; here the password call.
TEST(SaverAppDispatch, EndsWithStatusAndWritesNoSetting)
{
    test::ScratchDir scratch("app");
    // Nothing here may need a display, or touch the user's settings.
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("QT_QPA_PLATFORM");
    setenv("XDG_CONFIG_HOME", scratch.path().c_str(), 1);
    // argv; status, password changes and their parent window
    std::tuple<std::vector<std::string>, int, int, std::intptr_t> cases[] = {
        {{"/usr/bin/orbit-patrol", "/a", "1234"}, 0, 1, 1234}, {{"orbit-patrol", "/x"}, 0, 0, 0},
        {{"orbit-patrol", "/s"}, 1, 0, 0}, {{"orbit-patrol", "/c:55"}, 1, 0, 0},
        {{"orbit-patrol", "--satellites", "11", "--fps"}, 1, 0, 0}, // hack options alone: full screen
        {{"orbit-patrol", "--help"}, 0, 0, 0},
    };
    for (auto& [args, status, passwordCalls, parent] : cases) {
        SCOPED_TRACE(args.back());
        std::vector<char*> argv;
        for (std::string& s : args)
            argv.push_back(s.data());
        argv.push_back(nullptr);
        int argc = static_cast<int>(args.size());
        RecordingPasswordService passwords;
        SaverApp app(argc, argv.data(), passwords);
        EXPECT_EQ(std::tuple(app.run(), passwords.calls, passwords.lastParent),
                  std::tuple(status, passwordCalls, parent));
        EXPECT_TRUE(passwordCalls == 0 || passwords.lastProvider == "SCRSAVE");
        EXPECT_FALSE(std::filesystem::exists(scratch.path() / "Torvo" / "orbit-patrol.ini"));
    }
}

TEST(IniSettingsStore, ReadsAHandWrittenFileAsTypedNeverRewritesItAndAWriteChangesOnlyItsLine)
{
    const test::ScratchDir dir("ini");
    const std::filesystem::path file = dir.path() / "Torvo" / "orbit-patrol.ini";
    IniSettingsStore store(file.string());
    const auto text = [&file] {
        const std::vector<std::uint8_t> bytes = test::readFileBytes(file);
        return std::string(bytes.begin(), bytes.end());
    };
    // No file yet: reading makes the folder but no file; the first write makes it.
    EXPECT_EQ(settings::frameDelayMs(store), 10);
    EXPECT_TRUE(std::filesystem::is_directory(file.parent_path()) && !std::filesystem::exists(file));
    store.writeInt("Options", "Timer", 25);
    EXPECT_EQ(text(), "[Options]\nTimer=25\n");

    const std::tuple<std::string, int, bool, const char*> files[] = { // file, Timer, Fire, 3dsFileName
        {"[Other]\nTimer=40\n[Options]\n[]\nTimer=50\n", 10, true, ""}, // "[]" starts a section too
        // A hand-edited value is one string as typed: commas, blanks, backslashes and inner quotes stay.
        {"[Options]\n3dsFileName = x\\@String(y) \"z\", b ,c.3ds \t\r\nTimer = 7\r\n", 7, true,
         "x\\@String(y) \"z\", b ,c.3ds"},
        // Names ignore case; the first of two counts.
        {"[ options ]\n# Timer=99\ntimer=8\nTIMER=9\nfire=0\n3DSFILENAME=\" pad \"\n", 8, false, " pad "},
        // Settings files are a few hundred bytes: a far larger one is not read.
        {"[Options]\nTimer=25\n;" + std::string(1 << 20, 'x') + "\n", 10, true, ""},
    };
    for (const auto& [fileText, timerMs, sound, sceneFile] : files) {
        SCOPED_TRACE(fileText.substr(0, 80));
        test::writeFileBytes(file, {fileText.begin(), fileText.end()});
        EXPECT_EQ(std::tuple(settings::frameDelayMs(store), settings::shotSoundEnabled(store),
                             settings::sceneFileName(store)),
                  std::tuple(timerMs, sound, sceneFile));
        EXPECT_EQ(text(), fileText) << "reading rewrote the file";
    }

    const std::string kept = "; kept\n[Options]\r\n  timer = 5\r\n3dsFileName=a, b.3ds\n\n[Other]\nx=1";
    test::writeFileBytes(file, {kept.begin(), kept.end()});
    store.writeInt("Options", "Timer", 6);
    for (const char* value : {"  blank ends ", "\"\"", "", "é,ü"}) {
        store.writeString("Options", "Value", value);
        EXPECT_EQ(store.readString("Options", "Value", "fallback"), value);
    }
    store.writeString("Options", "Value", "two\nlines"); // a line break cannot be stored
    EXPECT_EQ(text(), "; kept\n[Options]\r\n  timer=6\r\n3dsFileName=a, b.3ds\nValue=é,ü\n\n[Other]\nx=1");
    // A new value ends the last section even when the file had no final line feed.
    store.writeInt("Other", "y", 2);
    EXPECT_TRUE(text().ends_with("\n[Other]\nx=1\ny=2\n")) << text();
    // A file linked in stays linked, and a second store sees its write: nothing is cached.
    const auto link = dir.path() / "link.ini";
    std::filesystem::create_symlink(file, link);
    IniSettingsStore(link.string()).writeInt("Options", "Timer", 7);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(store.readInt("Options", "Timer", 0), 7);
    // Relative model names are the settings folder's.
    EXPECT_EQ(store.relativePathBase(), file.parent_path().string());

    // A folder where the file should be reads as defaults and is never replaced.
    std::filesystem::remove(file);
    std::filesystem::create_directories(file);
    store.writeInt("Options", "Timer", 25);
    EXPECT_EQ(store.readInt("Options", "Timer", 10), 10);
    EXPECT_TRUE(std::filesystem::is_directory(file));

    // The default file lives under the company folder of an absolute config home.
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", "/home/tester", 1);
    setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    EXPECT_EQ(IniSettingsStore("Torvo", "orbit-patrol").filePath(), "/tmp/cfg/Torvo/orbit-patrol.ini");
    setenv("XDG_CONFIG_HOME", "relative/cfg", 1);
    EXPECT_EQ(IniSettingsStore("Torvo", "saver").filePath(), "/home/tester/.config/Torvo/saver.ini");
    setenv("HOME", savedHome.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
}

TEST(SettingsOverlay, OptionsAreReadNeverStoredWritesPassThroughAndModelFilesThatCannotFlyAreDropped)
{
    const test::ScratchDir dir("overlay");
    const auto bytes = EmbeddedResources().find("FILE3DS", SaverScene::builtInSceneResourceId);
    test::writeFileBytes(dir.path() / "ship.3ds", std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    test::writeFileBytes(dir.path() / "short.3ds", {0x4d, 0x4d});
    ASSERT_EQ(mkfifo((dir.path() / "fifo.3ds").c_str(), 0600), 0);
    // A relative --model is the working directory's, a relative stored name the settings folder's.
    const auto workingDir = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    const std::string stored = "/settings/stored.3ds", ship = (dir.path() / "ship.3ds").string();
    // options; then Timer, SatCount, Fire and the model path as read; a part of the warning line
    const std::tuple<std::vector<std::string>, int, int, bool, std::string, const char*> cases[] = {
        {{}, 50, 2, false, stored, ""},
        {{"--delay", "7000", "--satellites", "10", "--sound"}, 7, 10, true, stored, ""},
        {{"--model", "ship.3ds"}, 50, 2, false, ship, ""},
        {{"--model", ""}, 50, 2, false, "", ""},
        {{"--model", "short.3ds"}, 50, 2, false, "", "Not in 3DS format."},
        {{"--model", "fifo.3ds"}, 50, 2, false, "", "not a regular file"}, // no writer: never opened
    };
    for (const auto& [options, delayMs, satellites, sound, model, warned] : cases) {
        std::vector<std::string> args{"orbit-patrol"};
        args.insert(args.end(), options.begin(), options.end());
        SCOPED_TRACE(rebuildCommandLine(args));
        MemorySettingsStore file;
        file.pathBase = "/settings";
        file.values = {{"Options/Timer", "50"}, {"Options/SatCount", "2"}, {"Options/Fire", "0"},
                       {"Options/3dsFileName", "stored.3ds"}};
        const auto before = file.values;
        SettingsOverlay overlay(file);
        const std::string warning = applyHackOptions(parseHackCommandLine(args, nullptr).options, overlay);
        EXPECT_EQ(std::tuple(settings::frameDelayMs(overlay), settings::satelliteCount(overlay),
                             settings::shotSoundEnabled(overlay), settings::sceneFilePath(overlay)),
                  std::tuple(delayMs, satellites, sound, model));
        EXPECT_EQ(warning.empty(), *warned == '\0') << warning;
        EXPECT_TRUE(warning.find(warned) != std::string::npos && warning.find('\n') == std::string::npos) << warning;
        EXPECT_EQ(file.values, before);
        // Writes go to the file, also for an overridden key, which reads as the override for the run.
        overlay.writeInt(settings::section, settings::satCountKey, 4);
        EXPECT_EQ(file.values["Options/SatCount"], "4");
        EXPECT_EQ(settings::satelliteCount(overlay), satellites == 2 ? 4 : satellites);
    }
    std::filesystem::current_path(workingDir);
}

} // namespace
} // namespace orbit

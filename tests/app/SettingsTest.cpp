// The INI settings store on files written by hand, as a user or an older
// version might have left them (the readers' defaults and clamps themselves
// are tested with the memory store), and the hack options in front of the
// stored settings: what the scene reads, what reaches the store (writes,
// never the options), and the model file check.
#include "app/IniSettingsStore.h"
#include "app/SettingsOverlay.h"

#include "resources/EmbeddedResources.h"
#include "scene/SaverScene.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

namespace orbit {
namespace {

class IniSettingsStoreTest : public testing::Test {
protected:
    std::string text() const
    {
        const std::vector<std::uint8_t> bytes = test::readFileBytes(file);
        return {bytes.begin(), bytes.end()};
    }
    void write(const std::string& text)
    {
        std::filesystem::create_directories(file.parent_path());
        test::writeFileBytes(file, {text.begin(), text.end()});
    }

    test::ScratchDir dir{"ini"};
    const std::filesystem::path file = dir.path() / "Torvo" / "orbit-patrol.ini";
    IniSettingsStore store{file.string()};
};

TEST_F(IniSettingsStoreTest, ReadsTheOptionsSectionAsTypedAndNeverRewritesIt)
{
    const std::tuple<std::string, int, bool, const char*> cases[] = { // file, Timer, Fire, 3dsFileName
        {"[Options]\nTimer=25\nFire=0\n3dsFileName=/home/u/ship.3ds\n", 25, false, "/home/u/ship.3ds"},
        {"[Options]\nTimer=1,2\n", 10, true, ""}, // commas make a list in the INI syntax: no number
        {"[Options]\ntimer=40\nfire=0\n3DSFILENAME=a.3ds\n", 40, false, "a.3ds"}, // names ignore case
        {"[Other]\nTimer=40\n[Options]\n[]\nTimer=50\n", 10, true, ""}, // "[]" starts a section too
        {"[Options]\n3dsFileName=\"/home/u/my ships/a,b.3ds\"\n", 10, true, "/home/u/my ships/a,b.3ds"},
        // A hand-edited value is one string as typed: commas, blanks, backslashes and inner quotes stay.
        {"[Options]\n3dsFileName = models\\x \"y\", b ,c.3ds \t\r\nTimer = 7\r\n", 7, true, "models\\x \"y\", b ,c.3ds"},
        {"; c\n[ options ]\n# Timer=99\nTimer=8\nTimer=9\n3dsFileName=\"  padded  \"\n", 8, true, "  padded  "},
        {"[Options]\n3dsFileName=~/ships/@String(x).3ds\n", 10, true, "~/ships/@String(x).3ds"},
        // Settings files are a few hundred bytes: a far larger one is not read.
        {"[Options]\nTimer=25\n;" + std::string(1 << 20, 'x') + "\n", 10, true, ""},
    };
    for (const auto& [fileText, timerMs, sound, sceneFile] : cases) {
        SCOPED_TRACE(fileText.substr(0, 80));
        write(fileText);
        EXPECT_EQ(settings::frameDelayMs(store), timerMs);
        EXPECT_EQ(settings::shotSoundEnabled(store), sound);
        EXPECT_EQ(settings::sceneFileName(store), sceneFile);
        EXPECT_EQ(text(), fileText) << "reading rewrote the file";
    }
}

TEST_F(IniSettingsStoreTest, AWriteChangesOnlyItsLineInTheStoredSpellingAndEveryValueReadsBackAsWritten)
{
    write("; kept\n[Options]\r\n  timer = 5\r\n3dsFileName=a, b.3ds\n\n[Other]\nx=1");
    store.writeInt("Options", "Timer", 6);
    for (const char* value : {"a,b", "  blank ends ", "\"quoted\"", "\"\"", "back\\slash", "@Variant(x)", "", "é,ü"}) {
        store.writeString("Options", "Value", value);
        EXPECT_EQ(store.readString("Options", "Value", "fallback"), value);
    }
    store.writeString("Options", "Value", "two\nlines"); // a line break cannot be stored
    EXPECT_EQ(text(), "; kept\n[Options]\r\n  timer=6\r\n3dsFileName=a, b.3ds\nValue=é,ü\n\n[Other]\nx=1");
    // A new value ends the last section even when the file had no final line feed.
    store.writeInt("Other", "y", 2);
    EXPECT_TRUE(text().ends_with("\n[Other]\nx=1\ny=2\n")) << text();
    // A second store on the same file sees the values: nothing is cached. A
    // settings file kept elsewhere and linked in stays linked.
    const auto link = dir.path() / "link.ini";
    std::filesystem::create_symlink(file, link);
    IniSettingsStore(link.string()).writeInt("Options", "Timer", 7);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(store.readInt("Options", "Timer", 0), 7);
}

TEST_F(IniSettingsStoreTest, AbsentFileIsMadeByTheFirstWriteAndAFolderInItsPlaceReadsDefaults)
{
    EXPECT_EQ(settings::frameDelayMs(store), 10);
    EXPECT_TRUE(std::filesystem::is_directory(file.parent_path())); // the folder is made, no file
    EXPECT_FALSE(std::filesystem::exists(file));
    store.writeInt("Options", "Timer", 25);
    EXPECT_EQ(text(), "[Options]\nTimer=25\n");
    // Relative file names are the settings folder's.
    store.writeString("Options", "3dsFileName", "ships/a.3ds");
    EXPECT_EQ(settings::sceneFilePath(store), (file.parent_path() / "ships/a.3ds").string());
    std::filesystem::remove(file);
    std::filesystem::create_directories(file);
    EXPECT_EQ(store.readInt("Options", "Timer", 10), 10);
    store.writeInt("Options", "Timer", 25);
    EXPECT_TRUE(std::filesystem::is_directory(file)) << "a write does not replace a folder";
}

TEST(IniSettingsStoreHome, FileLivesUnderTheCompanyFolderOfTheConfigHome)
{
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const std::optional<std::string> savedXdg = xdg ? std::optional<std::string>(xdg) : std::nullopt;
    setenv("HOME", "/home/tester", 1);
    setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    EXPECT_EQ(IniSettingsStore("Torvo", "orbit-patrol").filePath(), "/tmp/cfg/Torvo/orbit-patrol.ini");
    setenv("XDG_CONFIG_HOME", "relative/cfg", 1); // not to be used
    EXPECT_EQ(IniSettingsStore("Torvo", "saver").filePath(), "/home/tester/.config/Torvo/saver.ini");
    setenv("HOME", savedHome.c_str(), 1);
    savedXdg ? setenv("XDG_CONFIG_HOME", savedXdg->c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
}

TEST(SettingsOverlay, OptionsAreReadNeverStoredWritesPassThroughAndModelFilesThatCannotFlyAreDropped)
{
    const test::ScratchDir dir("overlay");
    const auto ship = dir.path() / "ship.3ds";
    const auto bytes = EmbeddedResources().find("FILE3DS", SaverScene::builtInSceneResourceId);
    test::writeFileBytes(ship, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    test::writeFileBytes(dir.path() / "notes.txt", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
    test::writeFileBytes(dir.path() / "short.3ds", {0x4d, 0x4d});
    ASSERT_EQ(mkfifo((dir.path() / "fifo.3ds").c_str(), 0600), 0);
    // A relative --model is the working directory's.
    const auto workingDir = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());

    // options; then Timer, SatCount, Fire and 3dsFileName as read; a part of the warning line
    const std::tuple<std::vector<std::string>, int, int, bool, std::string, const char*> cases[] = {
        {{}, 50, 2, false, "stored.3ds", ""},
        {{"--delay", "7000", "--satellites", "10", "--sound"}, 7, 10, true, "stored.3ds", ""},
        {{"--model", "ship.3ds"}, 50, 2, false, ship.string(), ""},
        {{"--model", ""}, 50, 2, false, "", ""},
        {{"--model", "missing.3ds"}, 50, 2, false, "", "No such file or directory"},
        {{"--model", "."}, 50, 2, false, "", "Is a directory"},
        {{"--model", "notes.txt"}, 50, 2, false, "", "Not in 3DS format."},
        {{"--model", "short.3ds"}, 50, 2, false, "", "Not in 3DS format."},
        {{"--model", "fifo.3ds"}, 50, 2, false, "", "not a regular file"}, // no writer: never opened
    };
    for (const auto& [options, delayMs, satellites, sound, model, warned] : cases) {
        std::vector<std::string> args{"orbit-patrol"};
        args.insert(args.end(), options.begin(), options.end());
        SCOPED_TRACE(rebuildCommandLine(args));
        MemorySettingsStore stored;
        stored.pathBase = "/settings-folder";
        stored.writeInt(settings::section, settings::timerKey, 50);
        stored.writeInt(settings::section, settings::satCountKey, 2);
        stored.writeInt(settings::section, settings::fireKey, 0);
        stored.writeString(settings::section, settings::sceneFileNameKey, "stored.3ds");
        const auto before = stored.values;
        SettingsOverlay overlay(stored);
        const std::string warning = applyHackOptions(parseHackCommandLine(args, nullptr).options, overlay);
        EXPECT_EQ(std::tuple(settings::frameDelayMs(overlay), settings::satelliteCount(overlay),
                             settings::shotSoundEnabled(overlay), settings::sceneFileName(overlay)),
                  std::tuple(delayMs, satellites, sound, model));
        EXPECT_EQ(warning.empty(), *warned == '\0') << warning;
        EXPECT_NE(warning.find(warned), std::string::npos) << warning;
        EXPECT_EQ(warning.find('\n'), std::string::npos) << "one line";
        EXPECT_EQ(stored.values, before);
        // A relative stored name stays the settings folder's.
        EXPECT_EQ(settings::sceneFilePath(overlay), model == "stored.3ds" ? "/settings-folder/stored.3ds" : model);
    }
    std::filesystem::current_path(workingDir);

    // Writes go to the store, also for an overridden key, which reads as the override for the run.
    MemorySettingsStore stored;
    SettingsOverlay overlay(stored);
    overlay.setOverride(settings::section, settings::satCountKey, "9");
    overlay.writeInt(settings::section, settings::satCountKey, 4);
    overlay.writeString(settings::section, settings::visitedHttpKey, "1");
    EXPECT_EQ(stored.values, (std::map<std::string, std::string, std::less<>>{{"Options/SatCount", "4"},
                                                                              {"Options/VisitedHTTPSyte", "1"}}));
    EXPECT_EQ(settings::satelliteCount(overlay), 9);
}

} // namespace
} // namespace orbit

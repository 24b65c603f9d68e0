// The INI settings store on files a user or an older version left, and the
// hack options in front of the stored settings: what the scene reads, that
// only writes reach the store, and the model file check.
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
        {"[Options]\nTimer=1,2\n", 10, true, ""}, // commas make a list in the INI syntax: no number
        {"[Options]\ntimer=40\nfire=0\n3DSFILENAME=a.3ds\n", 40, false, "a.3ds"}, // names ignore case
        {"[Other]\nTimer=40\n[Options]\n[]\nTimer=50\n", 10, true, ""}, // "[]" starts a section too
        {"[Options]\n3dsFileName=\"/home/u/my ships/a,b.3ds\"\n", 10, true, "/home/u/my ships/a,b.3ds"},
        // A hand-edited value is one string as typed: commas, blanks, backslashes and inner quotes stay.
        {"[Options]\n3dsFileName = x\\@String(y) \"z\", b ,c.3ds \t\r\nTimer = 7\r\n", 7, true,
         "x\\@String(y) \"z\", b ,c.3ds"},
        {"; c\n[ options ]\n# Timer=99\nTimer=8\nTimer=9\n3dsFileName=\"  padded  \"\n", 8, true, "  padded  "},
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
    for (const char* value : {"a,b", "  blank ends ", "\"quoted\"", "\"\"", "back\\slash", "", "é,ü"}) {
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
    // Relative model names are the settings folder's.
    EXPECT_EQ(store.relativePathBase(), file.parent_path().string());

    // A folder where the file should be reads as defaults and is never replaced.
    std::filesystem::remove(file);
    std::filesystem::create_directories(file);
    store.writeInt("Options", "Timer", 25);
    EXPECT_EQ(store.readInt("Options", "Timer", 10), 10);
    EXPECT_TRUE(std::filesystem::is_directory(file));
}

TEST(IniSettingsStoreHome, FileLivesUnderTheCompanyFolderOfAnAbsoluteConfigHome)
{
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
        {{"--model", "missing.3ds"}, 50, 2, false, "", "No such file or directory"},
        {{"--model", "."}, 50, 2, false, "", "Is a directory"},
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
        EXPECT_NE(warning.find(warned), std::string::npos) << warning;
        EXPECT_EQ(warning.find('\n'), std::string::npos) << "one line";
        EXPECT_EQ(file.values, before);
        // Writes go to the file, also for an overridden key, which reads as the override for the run.
        overlay.writeInt(settings::section, settings::satCountKey, 4);
        overlay.writeString(settings::section, settings::visitedHttpKey, "1");
        EXPECT_EQ(std::pair(file.values["Options/SatCount"], file.values["Options/VisitedHTTPSyte"]),
                  std::pair(std::string("4"), std::string("1")));
        EXPECT_EQ(settings::satelliteCount(overlay), satellites == 2 ? 4 : satellites);
    }
    std::filesystem::current_path(workingDir);
}

} // namespace
} // namespace orbit

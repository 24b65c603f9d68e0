// Hack options in front of the stored settings: what the scene reads, what
// reaches the store (writes, never the options), and the model file check.
#include "app/SettingsOverlay.h"

#include "resources/EmbeddedResources.h"
#include "scene/SaverScene.h"
#include "tests/support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace orbit {
namespace {

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

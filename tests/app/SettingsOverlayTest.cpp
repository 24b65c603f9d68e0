// Hack options in front of the stored settings: what the scene reads, what
// reaches the store (nothing of the options), and the model file check.
#include "app/SettingsOverlay.h"

#include "resources/EmbeddedResources.h"
#include "scene/SaverScene.h"
#include "tests/support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace orbit {
namespace {

TEST(SettingsOverlay, OverridesAreReadNeverStoredAndOtherKeysPassThrough)
{
    MemorySettingsStore stored;
    stored.writeInt(settings::section, settings::satCountKey, 2);
    stored.writeInt(settings::section, settings::timerKey, 50);
    stored.writes = 0;
    SettingsOverlay overlay(stored);
    overlay.setOverride(settings::section, settings::satCountKey, "9");
    overlay.setOverride(settings::section, settings::sceneFileNameKey, "");
    EXPECT_EQ(settings::satelliteCount(overlay), 9);
    EXPECT_EQ(settings::frameDelayMs(overlay), 50);
    EXPECT_EQ(overlay.readString(settings::section, settings::sceneFileNameKey, "fallback"), "");
    EXPECT_EQ(overlay.readString("Other", settings::satCountKey, "x"), "x") << "keys are per section";
    EXPECT_EQ(stored.writes, 0);

    // Writes go to the store, also for an overridden key, which reads as the override for the run.
    overlay.writeInt(settings::section, settings::satCountKey, 4);
    overlay.writeString(settings::section, settings::visitedHttpKey, "1");
    EXPECT_EQ(stored.values, (std::map<std::string, std::string, std::less<>>{
                                 {"Options/SatCount", "4"}, {"Options/Timer", "50"}, {"Options/VisitedHTTPSyte", "1"}}));
    EXPECT_EQ(settings::satelliteCount(overlay), 9);
}

TEST(SettingsOverlay, HackOptionsAndModelFilesThatCannotFly)
{
    const test::ScratchDir dir("overlay");
    const auto ship = dir.path() / "ship.3ds";
    const auto bytes = EmbeddedResources().find("FILE3DS", SaverScene::builtInSceneResourceId);
    test::writeFileBytes(ship, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    const auto text = dir.path() / "notes.txt";
    test::writeFileBytes(text, {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
    const auto truncated = dir.path() / "short.3ds";
    test::writeFileBytes(truncated, {0x4d, 0x4d});
    const auto fifo = dir.path() / "fifo.3ds";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

    struct Case {
        std::vector<std::string> options;
        int delayMs, satellites;
        bool sound;
        std::string model;
        const char* warning; // a part of the stderr line; "" for none
    };
    const Case cases[] = {
        {{}, 50, 2, false, "stored.3ds", ""},
        {{"--delay", "7000", "--satellites", "10", "--sound"}, 7, 10, true, "stored.3ds", ""},
        {{"--model", ship.string()}, 50, 2, false, ship.string(), ""},
        {{"--model", ""}, 50, 2, false, "", ""},
        {{"--model", (dir.path() / "missing.3ds").string()}, 50, 2, false, "", "No such file or directory"},
        {{"--model", dir.path().string()}, 50, 2, false, "", "Is a directory"},
        {{"--model", text.string()}, 50, 2, false, "", "Not in 3DS format."},
        {{"--model", truncated.string()}, 50, 2, false, "", "Not in 3DS format."},
        {{"--model", fifo.string()}, 50, 2, false, "", "not a regular file"}, // no writer: never opened
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"orbit-patrol"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        SCOPED_TRACE(rebuildCommandLine(args));
        const HackCommandLine line = parseHackCommandLine(args, nullptr);
        ASSERT_EQ(line.error, "");
        MemorySettingsStore stored;
        stored.writeInt(settings::section, settings::timerKey, 50);
        stored.writeInt(settings::section, settings::satCountKey, 2);
        stored.writeInt(settings::section, settings::fireKey, 0);
        stored.writeString(settings::section, settings::sceneFileNameKey, "stored.3ds");
        const auto before = stored.values;
        SettingsOverlay overlay(stored);
        const std::string warning = applyHackOptions(line.options, overlay);
        EXPECT_EQ(std::tuple(settings::frameDelayMs(overlay), settings::satelliteCount(overlay),
                             settings::shotSoundEnabled(overlay), settings::sceneFileName(overlay)),
                  std::tuple(c.delayMs, c.satellites, c.sound, c.model));
        if (*c.warning == '\0') {
            EXPECT_EQ(warning, "");
        } else {
            EXPECT_NE(warning.find(c.warning), std::string::npos) << warning;
            EXPECT_NE(warning.find("built-in starship"), std::string::npos) << warning;
            EXPECT_EQ(warning.find('\n'), std::string::npos) << "one line";
        }
        EXPECT_EQ(stored.values, before);
    }

    // A relative --model is the working directory's; a relative stored name
    // stays the settings folder's, through the overlay too.
    const auto workingDir = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    MemorySettingsStore stored;
    stored.pathBase = "/settings-folder";
    stored.writeString(settings::section, settings::sceneFileNameKey, "stored.3ds");
    SettingsOverlay overlay(stored);
    EXPECT_EQ(settings::sceneFilePath(overlay), "/settings-folder/stored.3ds");
    const HackCommandLine line = parseHackCommandLine({"orbit-patrol", "--model", "ship.3ds"}, nullptr);
    EXPECT_EQ(applyHackOptions(line.options, overlay), "");
    EXPECT_EQ(settings::sceneFilePath(overlay), ship.string());
    std::filesystem::current_path(workingDir);
}

} // namespace
} // namespace orbit

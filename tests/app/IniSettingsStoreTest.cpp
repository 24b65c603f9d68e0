// The INI settings store with the readers' defaults and clamps on top: files
// are written here by hand, as a user or an older version might have left
// them, and read back through the store.
#include "app/IniSettingsStore.h"

#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace orbit {
namespace {

using test::ScratchDir;

std::string readText(const std::filesystem::path& path)
{
    const std::vector<std::uint8_t> bytes = test::readFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

void writeText(const std::filesystem::path& path, const std::string& text)
{
    std::filesystem::create_directories(path.parent_path());
    test::writeFileBytes(path, {text.begin(), text.end()});
}

struct StoredCase {
    const char* name;
    const char* fileText;
    int timerMs;
    int satellites;
    bool sound;
    const char* sceneFile;
};

class IniSettingsReadTest : public testing::TestWithParam<StoredCase> {};

TEST_P(IniSettingsReadTest, DefaultsAndClamps)
{
    ScratchDir dir("ini");
    const auto file = dir.path() / "Torvo" / "orbit-patrol.ini";
    writeText(file, GetParam().fileText);
    IniSettingsStore store(file.string());
    EXPECT_EQ(settings::frameDelayMs(store), GetParam().timerMs);
    EXPECT_EQ(settings::satelliteCount(store), GetParam().satellites);
    EXPECT_EQ(settings::shotSoundEnabled(store), GetParam().sound);
    EXPECT_EQ(settings::sceneFileName(store), GetParam().sceneFile);
    // Reading never rewrites the file.
    EXPECT_EQ(readText(file), GetParam().fileText);
}

INSTANTIATE_TEST_SUITE_P(Files, IniSettingsReadTest, testing::Values(
    StoredCase{"Empty", "", 10, 3, true, ""},
    StoredCase{"InRange", "[Options]\nTimer=25\nSatCount=7\nFire=1\n3dsFileName=/home/u/ship.3ds\n", 25, 7, true, "/home/u/ship.3ds"},
    StoredCase{"AboveRange", "[Options]\nTimer=250\nSatCount=50\n", 100, 10, true, ""},
    StoredCase{"ZeroAndNegative", "[Options]\nTimer=0\nSatCount=-4\nFire=0\n", 1, 1, false, ""},
    StoredCase{"NegativeFireIsOn", "[Options]\nTimer=-7\nFire=-1\n", 1, 3, true, ""},
    StoredCase{"NotNumbers", "[Options]\nTimer=fast\nSatCount=\nFire=yes\n", 10, 3, true, ""},
    StoredCase{"TrailingJunk", "[Options]\nTimer=12ms\nSatCount=0x5\n", 10, 3, true, ""},
    StoredCase{"ListIsNoNumber", "[Options]\nTimer=1,2\n", 10, 3, true, ""},
    StoredCase{"Beyond32Bits", "[Options]\nTimer=99999999999999\nSatCount=-99999999999999\n", 100, 1, true, ""},
    StoredCase{"Exactly32BitLimits", "[Options]\nTimer=2147483647\nSatCount=-2147483648\n", 100, 1, true, ""},
    // The registry compares value names without regard to case.
    StoredCase{"NamesIgnoreCase", "[Options]\ntimer=40\nSATCOUNT=2\nfire=0\n3DSFILENAME=a.3ds\n", 40, 2, false, "a.3ds"},
    StoredCase{"OtherSectionIgnored", "[Other]\nTimer=40\n[Options]\nSatCount=4\n", 10, 4, true, ""},
    StoredCase{"QuotedPathWithBlanks", "[Options]\n3dsFileName=\"/home/u/my ships/a,b.3ds\"\n", 10, 3, true, "/home/u/my ships/a,b.3ds"}),
    [](const testing::TestParamInfo<StoredCase>& info) { return std::string(info.param.name); });

TEST(IniSettingsStore, AbsentFileReadsDefaultsCreatesTheFolderButNoFile)
{
    ScratchDir dir("ini");
    const auto file = dir.path() / "Torvo" / "orbit-patrol.ini";
    IniSettingsStore store(file.string());
    EXPECT_EQ(settings::frameDelayMs(store), 10);
    EXPECT_EQ(settings::satelliteCount(store), 3);
    EXPECT_TRUE(settings::shotSoundEnabled(store));
    EXPECT_EQ(settings::sceneFileName(store), "");
    EXPECT_TRUE(std::filesystem::is_directory(file.parent_path()));
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(IniSettingsStore, AFolderInPlaceOfTheFileReadsDefaults)
{
    ScratchDir dir("ini");
    const auto file = dir.path() / "orbit-patrol.ini";
    std::filesystem::create_directories(file);
    IniSettingsStore store(file.string());
    EXPECT_EQ(store.readInt("Options", "Timer", 10), 10);
    EXPECT_EQ(store.readString("Options", "3dsFileName", "x"), "x");
}

TEST(IniSettingsStore, WritesAreReadBackAndLandInTheSection)
{
    ScratchDir dir("ini");
    const auto file = dir.path() / "Torvo" / "orbit-patrol.ini";
    IniSettingsStore store(file.string());
    store.writeInt("Options", "Timer", 42);
    store.writeInt("Options", "VisitedHTTPSyte", -1);
    store.writeString("Options", "3dsFileName", "/tmp/a b.3ds");
    EXPECT_EQ(store.readInt("Options", "Timer", 10), 42);
    EXPECT_EQ(store.readInt("Options", "VisitedHTTPSyte", 0), -1);
    EXPECT_EQ(store.readString("Options", "3dsFileName", ""), "/tmp/a b.3ds");
    EXPECT_EQ(store.readInt("Other", "Timer", 10), 10);
    const std::string text = readText(file);
    EXPECT_NE(text.find("[Options]"), std::string::npos) << text;
    EXPECT_NE(text.find("Timer=42"), std::string::npos) << text;
    // A second store on the same file sees the values: nothing is cached.
    IniSettingsStore other(file.string());
    EXPECT_EQ(other.readInt("Options", "Timer", 10), 42);
}

TEST(IniSettingsStore, WriteKeepsTheStoredSpellingAndOtherValues)
{
    ScratchDir dir("ini");
    const auto file = dir.path() / "orbit-patrol.ini";
    writeText(file, "[Options]\ntimer=5\nSatCount=4\n");
    IniSettingsStore store(file.string());
    store.writeInt("Options", "Timer", 7);
    const std::string text = readText(file);
    EXPECT_NE(text.find("timer=7"), std::string::npos) << text;
    EXPECT_EQ(text.find("Timer="), std::string::npos) << text;
    EXPECT_EQ(store.readInt("Options", "SatCount", 3), 4);
}

class ConfigHomeTest : public testing::Test {
protected:
    void SetUp() override
    {
        saveEnv("XDG_CONFIG_HOME", savedXdg);
        saveEnv("HOME", savedHome);
        setenv("HOME", "/home/tester", 1);
    }
    void TearDown() override
    {
        restoreEnv("XDG_CONFIG_HOME", savedXdg);
        restoreEnv("HOME", savedHome);
    }
    static void saveEnv(const char* name, std::optional<std::string>& slot)
    {
        const char* value = std::getenv(name);
        slot = value ? std::optional<std::string>(value) : std::nullopt;
    }
    static void restoreEnv(const char* name, const std::optional<std::string>& slot)
    {
        if (slot)
            setenv(name, slot->c_str(), 1);
        else
            unsetenv(name);
    }
    std::optional<std::string> savedXdg;
    std::optional<std::string> savedHome;
};

TEST_F(ConfigHomeTest, FileLivesUnderTheCompanyFolder)
{
    setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    EXPECT_EQ(IniSettingsStore("Torvo", "orbit-patrol").filePath(), "/tmp/cfg/Torvo/orbit-patrol.ini");
    // A relative XDG_CONFIG_HOME is not to be used.
    setenv("XDG_CONFIG_HOME", "relative/cfg", 1);
    EXPECT_EQ(IniSettingsStore("Torvo", "orbit-patrol").filePath(), "/home/tester/.config/Torvo/orbit-patrol.ini");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(IniSettingsStore("Torvo", "saver").filePath(), "/home/tester/.config/Torvo/saver.ini");
}

} // namespace
} // namespace orbit

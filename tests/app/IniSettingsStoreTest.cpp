// The INI settings store: files are written here by hand, as a user or an
// older version might have left them, and read back through the store. The
// readers' defaults and clamps themselves are tested with the memory store.
#include "app/IniSettingsStore.h"

#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace orbit {
namespace {

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

class IniSettingsStoreTest : public testing::Test {
protected:
    test::ScratchDir dir{"ini"};
    const std::filesystem::path file = dir.path() / "Torvo" / "orbit-patrol.ini";
    IniSettingsStore store{file.string()};
};

TEST_F(IniSettingsStoreTest, ReadsTheOptionsSectionAsTheRegistryWould)
{
    struct Case {
        const char* fileText;
        int timerMs;
        int satellites;
        bool sound;
        const char* sceneFile;
    };
    const Case cases[] = {
        {"[Options]\nTimer=25\nSatCount=7\nFire=1\n3dsFileName=/home/u/ship.3ds\n", 25, 7, true, "/home/u/ship.3ds"},
        {"[Options]\nTimer=250\nFire=0\n", 100, 3, false, ""},
        // A value with commas reads back from the INI syntax as a list: no number.
        {"[Options]\nTimer=1,2\n", 10, 3, true, ""},
        // The registry compares value names without regard to case.
        {"[Options]\ntimer=40\nSATCOUNT=2\nfire=0\n3DSFILENAME=a.3ds\n", 40, 2, false, "a.3ds"},
        {"[Other]\nTimer=40\n[Options]\nSatCount=4\n", 10, 4, true, ""},
        {"[Options]\n3dsFileName=\"/home/u/my ships/a,b.3ds\"\n", 10, 3, true, "/home/u/my ships/a,b.3ds"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileText);
        writeText(file, c.fileText);
        EXPECT_EQ(settings::frameDelayMs(store), c.timerMs);
        EXPECT_EQ(settings::satelliteCount(store), c.satellites);
        EXPECT_EQ(settings::shotSoundEnabled(store), c.sound);
        EXPECT_EQ(settings::sceneFileName(store), c.sceneFile);
        EXPECT_EQ(readText(file), c.fileText) << "reading rewrote the file";
    }
}

TEST_F(IniSettingsStoreTest, AbsentFileReadsDefaultsCreatesTheFolderButNoFile)
{
    EXPECT_EQ(settings::frameDelayMs(store), 10);
    EXPECT_EQ(settings::sceneFileName(store), "");
    EXPECT_TRUE(std::filesystem::is_directory(file.parent_path()));
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(IniSettingsStoreTest, AFolderInPlaceOfTheFileReadsDefaults)
{
    std::filesystem::create_directories(file);
    EXPECT_EQ(store.readInt("Options", "Timer", 10), 10);
    EXPECT_EQ(store.readString("Options", "3dsFileName", "x"), "x");
}

TEST_F(IniSettingsStoreTest, WritesLandInTheSectionAndKeepTheStoredSpelling)
{
    writeText(file, "[Options]\ntimer=5\nSatCount=4\n");
    store.writeInt("Options", "Timer", 42);
    store.writeInt("Options", "VisitedHTTPSyte", -1);
    store.writeString("Options", "3dsFileName", "/tmp/a b.3ds");
    const std::string text = readText(file);
    for (const char* line : {"[Options]\n", "\ntimer=42\n", "\nSatCount=4\n", "\nVisitedHTTPSyte=-1\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " missing in:\n" << text;
    EXPECT_EQ(text.find("Timer="), std::string::npos) << text;
    EXPECT_EQ(store.readInt("Other", "Timer", 10), 10);
    // A second store on the same file sees the values: nothing is cached.
    IniSettingsStore other(file.string());
    EXPECT_EQ(other.readInt("Options", "Timer", 10), 42);
    EXPECT_EQ(other.readString("Options", "3dsFileName", ""), "/tmp/a b.3ds");
}

TEST(IniSettingsStoreHome, FileLivesUnderTheCompanyFolderOfTheConfigHome)
{
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const std::optional<std::string> savedXdg = xdg ? std::optional<std::string>(xdg) : std::nullopt;
    setenv("HOME", "/home/tester", 1);
    setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    EXPECT_EQ(IniSettingsStore("Torvo", "orbit-patrol").filePath(), "/tmp/cfg/Torvo/orbit-patrol.ini");
    // A relative XDG_CONFIG_HOME is not to be used.
    setenv("XDG_CONFIG_HOME", "relative/cfg", 1);
    EXPECT_EQ(IniSettingsStore("Torvo", "saver").filePath(), "/home/tester/.config/Torvo/saver.ini");
    setenv("HOME", savedHome.c_str(), 1);
    if (savedXdg)
        setenv("XDG_CONFIG_HOME", savedXdg->c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

} // namespace
} // namespace orbit

// The INI settings store on files written by hand, as a user or an older
// version might have left them. The readers' defaults and clamps themselves
// are tested with the memory store.
#include "app/IniSettingsStore.h"

#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>

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

TEST_F(IniSettingsStoreTest, ReadsTheOptionsSectionAsTheRegistryWould)
{
    const std::tuple<const char*, int, int, bool, const char*> cases[] = {
        {"[Options]\nTimer=25\nSatCount=7\nFire=1\n3dsFileName=/home/u/ship.3ds\n", 25, 7, true, "/home/u/ship.3ds"},
        {"[Options]\nTimer=250\nFire=0\n", 100, 3, false, ""},
        {"[Options]\nTimer=1,2\n", 10, 3, true, ""}, // commas make a list in the INI syntax: no number
        {"[Options]\ntimer=40\nSATCOUNT=2\nfire=0\n3DSFILENAME=a.3ds\n", 40, 2, false, "a.3ds"}, // names ignore case
        {"[Other]\nTimer=40\n[Options]\nSatCount=4\n", 10, 4, true, ""},
        {"[Options]\n3dsFileName=\"/home/u/my ships/a,b.3ds\"\n", 10, 3, true, "/home/u/my ships/a,b.3ds"},
        // A hand-edited value is one string as typed: commas, blanks, backslashes and inner quotes stay.
        {"[Options]\n3dsFileName=/home/u/ships/a, b ,c.3ds\n", 10, 3, true, "/home/u/ships/a, b ,c.3ds"},
        {"[Options]\n3dsFileName = models\\x \"y\".3ds \t\r\nTimer = 7\r\n", 7, 3, true, "models\\x \"y\".3ds"},
        {"; c\n[ options ]\n# Timer=99\nTimer=8\nTimer=9\n3dsFileName=\"  padded  \"\n", 8, 3, true, "  padded  "},
        {"[Options]\n3dsFileName=~/ships/@String(x).3ds\n", 10, 3, true, "~/ships/@String(x).3ds"},
    };
    for (const auto& [fileText, timerMs, satellites, sound, sceneFile] : cases) {
        SCOPED_TRACE(fileText);
        write(fileText);
        EXPECT_EQ(settings::frameDelayMs(store), timerMs);
        EXPECT_EQ(settings::satelliteCount(store), satellites);
        EXPECT_EQ(settings::shotSoundEnabled(store), sound);
        EXPECT_EQ(settings::sceneFileName(store), sceneFile);
        EXPECT_EQ(text(), fileText) << "reading rewrote the file";
    }
}

TEST_F(IniSettingsStoreTest, AWriteChangesOnlyItsLineAndEveryValueReadsBackAsWritten)
{
    const std::string before = "; kept\n[Options]\r\n  timer = 5\r\n3dsFileName=a, b.3ds\n\n[Other]\nx=1";
    const std::string after = "; kept\n[Options]\r\n  timer=6\r\n3dsFileName=a, b.3ds\n\n[Other]\nx=1";
    write(before);
    store.writeInt("Options", "Timer", 6);
    EXPECT_EQ(text(), after);
    for (const char* value : {"a,b", "  blank ends ", "\"quoted\"", "back\\slash", "@Variant(x)", "", "é,ü"}) {
        store.writeString("Options", "Value", value);
        EXPECT_EQ(store.readString("Options", "Value", "fallback"), value);
    }
    store.writeString("Options", "Value", "two\nlines"); // a line break cannot be stored
    EXPECT_EQ(text(), "; kept\n[Options]\r\n  timer=6\r\n3dsFileName=a, b.3ds\nValue=é,ü\n\n[Other]\nx=1");
    const auto link = dir.path() / "link.ini"; // a settings file kept elsewhere, linked in
    std::filesystem::create_symlink(file, link);
    IniSettingsStore(link.string()).writeInt("Options", "Timer", 7);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(store.readInt("Options", "Timer", 0), 7);
}

TEST_F(IniSettingsStoreTest, RelativeFileNamesAreTakenFromTheSettingsFolder)
{
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    EXPECT_EQ(store.relativePathBase(), file.parent_path().string());
    const std::pair<const char*, std::string> cases[] = {
        {"ships/a, b.3ds", (file.parent_path() / "ships/a, b.3ds").string()},
        {"/abs/x.3ds", "/abs/x.3ds"},
        {"~/x.3ds", home.empty() ? "~/x.3ds" : home + "/x.3ds"},
    };
    for (const auto& [stored, path] : cases) {
        write(std::string("[Options]\n3dsFileName=") + stored + "\n");
        EXPECT_EQ(settings::sceneFilePath(store), path);
    }
}

TEST_F(IniSettingsStoreTest, AbsentFileIsMadeByTheFirstWriteAndAFolderInItsPlaceReadsDefaults)
{
    EXPECT_EQ(settings::frameDelayMs(store), 10);
    EXPECT_TRUE(std::filesystem::is_directory(file.parent_path())); // the folder is made, no file
    EXPECT_FALSE(std::filesystem::exists(file));
    store.writeInt("Options", "Timer", 25);
    EXPECT_EQ(text(), "[Options]\nTimer=25\n");
    std::filesystem::remove(file);
    std::filesystem::create_directories(file);
    EXPECT_EQ(store.readInt("Options", "Timer", 10), 10);
    EXPECT_EQ(store.readString("Options", "3dsFileName", "x"), "x");
    store.writeInt("Options", "Timer", 25);
    EXPECT_TRUE(std::filesystem::is_directory(file)) << "a write does not replace a folder";
}

TEST_F(IniSettingsStoreTest, WritesLandInTheSectionAndKeepTheStoredSpelling)
{
    write("[Options]\ntimer=5\nSatCount=4\n");
    store.writeInt("Options", "Timer", 42);
    store.writeInt("Options", "VisitedHTTPSyte", -1);
    store.writeString("Options", "3dsFileName", "/tmp/a b.3ds");
    for (const char* line : {"[Options]\n", "\ntimer=42\n", "\nSatCount=4\n", "\nVisitedHTTPSyte=-1\n"})
        EXPECT_NE(text().find(line), std::string::npos) << line << " missing in:\n" << text();
    EXPECT_EQ(text().find("Timer="), std::string::npos) << text();
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
    setenv("XDG_CONFIG_HOME", "relative/cfg", 1); // not to be used
    EXPECT_EQ(IniSettingsStore("Torvo", "saver").filePath(), "/home/tester/.config/Torvo/saver.ini");
    setenv("HOME", savedHome.c_str(), 1);
    savedXdg ? setenv("XDG_CONFIG_HOME", savedXdg->c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
}

} // namespace
} // namespace orbit

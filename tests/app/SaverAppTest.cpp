// Mode dispatch of the application object: the modes that end at once, and
// the window and dialog modes without a display, which end with status 1. None
// of them needs a display, so these run anywhere; the window modes are run on
// the real program by the end-to-end tests.
#include "app/SaverApp.h"

#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace orbit {
namespace {

// argv as main() gets it: mutable strings and a null at the end.
class Argv {
public:
    explicit Argv(std::vector<std::string> args) : strings(std::move(args))
    {
        for (std::string& s : strings)
            pointers.push_back(s.data());
        pointers.push_back(nullptr);
        count = static_cast<int>(strings.size());
    }
    int& argc() { return count; }
    char** argv() { return pointers.data(); }

private:
    std::vector<std::string> strings;
    std::vector<char*> pointers;
    int count = 0;
};

struct DispatchCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    int passwordCalls;
    std::intptr_t passwordParent;
};

class SaverAppDispatchTest : public testing::TestWithParam<DispatchCase> {
protected:
    void SetUp() override
    {
        // Nothing here may need a display, or touch the user's settings.
        unsetenv("DISPLAY");
        unsetenv("QT_QPA_PLATFORM");
        setenv("XSCREENSAVER_WINDOW", "junk", 1);
        setenv("XDG_CONFIG_HOME", scratch.path().c_str(), 1);
    }
    test::ScratchDir scratch{"app"};
};

TEST_P(SaverAppDispatchTest, EndsWithStatus)
{
    Argv args(GetParam().args);
    RecordingPasswordService passwords;
    SaverApp app(args.argc(), args.argv(), passwords);
    EXPECT_EQ(app.run(), GetParam().status);
    EXPECT_EQ(passwords.calls, GetParam().passwordCalls);
    if (passwords.calls > 0) {
        EXPECT_EQ(passwords.lastProvider, "SCRSAVE");
        EXPECT_EQ(passwords.lastParent, GetParam().passwordParent);
    }
    // No mode that ends at once writes a setting.
    EXPECT_FALSE(std::filesystem::exists(scratch.path() / "Torvo" / "orbit-patrol.ini"));
}

INSTANTIATE_TEST_SUITE_P(Modes, SaverAppDispatchTest, testing::Values(
    DispatchCase{"ChangePassword", {"/usr/bin/orbit-patrol", "/a", "1234"}, 0, 1, 1234},
    DispatchCase{"ChangePasswordColon", {"orbit-patrol", "-A:77"}, 0, 1, 77},
    DispatchCase{"Unknown", {"orbit-patrol", "/x"}, 0, 0, 0},
    DispatchCase{"Question", {"orbit-patrol", "/?"}, 0, 0, 0},
    DispatchCase{"PreviewZero", {"orbit-patrol", "/p", "0"}, 1, 0, 0},
    DispatchCase{"PreviewNegative", {"orbit-patrol", "/p:-3"}, 1, 0, 0},
    DispatchCase{"WindowIdJunk", {"orbit-patrol", "-window-id", "junk"}, 1, 0, 0},
    DispatchCase{"RootWithBadXScreenSaverWindow", {"orbit-patrol", "-root"}, 1, 0, 0},
    // Without an X display the window modes end with a message, not an abort.
    DispatchCase{"FullScreenWithoutDisplay", {"orbit-patrol", "/s"}, 1, 0, 0},
    DispatchCase{"PreviewWithoutDisplay", {"orbit-patrol", "/p", "4242"}, 1, 0, 0},
    // The settings dialog (configure, and a start without switches) needs one too.
    DispatchCase{"ConfigureWithoutDisplay", {"orbit-patrol", "/c:55"}, 1, 0, 0},
    DispatchCase{"NoSwitchWithoutDisplay", {"orbit-patrol"}, 1, 0, 0}),
    [](const testing::TestParamInfo<DispatchCase>& info) { return std::string(info.param.name); });

TEST(SaverAppName, IsTheProgramBaseName)
{
    Argv args({"/opt/savers/Orbit.Patrol.scr", "/x"});
    NoPasswordProvider passwords;
    EXPECT_EQ(SaverApp(args.argc(), args.argv(), passwords).name(), "Orbit.Patrol");
}

} // namespace
} // namespace orbit

// Mode dispatch of the application object without a display: the one-shot
// modes end at once, and the window and dialog modes end with status 1 instead
// of aborting in Qt. The window modes are run on the real program by the
// end-to-end tests.
#include "app/SaverApp.h"

#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace orbit {
namespace {

struct DispatchCase {
    std::vector<std::string> args;
    int status;
    int passwordCalls;
};

TEST(SaverAppDispatch, EndsWithStatusAndWritesNoSetting)
{
    test::ScratchDir scratch("app");
    // Nothing here may need a display, or touch the user's settings.
    unsetenv("DISPLAY");
    unsetenv("QT_QPA_PLATFORM");
    setenv("XDG_CONFIG_HOME", scratch.path().c_str(), 1);
    const DispatchCase cases[] = {
        {{"/usr/bin/orbit-patrol", "/a", "1234"}, 0, 1},
        {{"orbit-patrol", "/x"}, 0, 0},
        {{"orbit-patrol", "/p", "0"}, 1, 0},                // no host window
        {{"orbit-patrol", "-window-id", "junk"}, 1, 0},     // looked for before the host's switches
        {{"orbit-patrol", "/s"}, 1, 0},
        {{"orbit-patrol", "/p", "4242"}, 1, 0},
        {{"orbit-patrol", "/c:55"}, 1, 0},
    };
    for (const DispatchCase& c : cases) {
        SCOPED_TRACE(c.args.back());
        std::vector<std::string> strings = c.args; // argv as main() gets it
        std::vector<char*> argv;
        for (std::string& s : strings)
            argv.push_back(s.data());
        argv.push_back(nullptr);
        int argc = static_cast<int>(strings.size());
        RecordingPasswordService passwords;
        SaverApp app(argc, argv.data(), passwords);
        EXPECT_EQ(app.run(), c.status);
        ASSERT_EQ(passwords.calls, c.passwordCalls);
        if (passwords.calls > 0) {
            EXPECT_EQ(passwords.lastProvider, "SCRSAVE");
            EXPECT_EQ(passwords.lastParent, 1234);
        }
        EXPECT_FALSE(std::filesystem::exists(scratch.path() / "Torvo" / "orbit-patrol.ini"));
    }
}

} // namespace
} // namespace orbit

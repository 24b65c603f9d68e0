// Mode dispatch without a display: the one-shot modes end at once, the window
// and dialog modes with status 1 instead of aborting in Qt.
#include "app/SaverApp.h"

#include "tests/support/TestFiles.h"
#include "tests/support/TestDoubles.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace orbit {
namespace {

TEST(SaverAppDispatch, EndsWithStatusAndWritesNoSetting)
{
    test::ScratchDir scratch("app");
    // Nothing here may need a display, or touch the user's settings.
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("QT_QPA_PLATFORM");
    setenv("XDG_CONFIG_HOME", scratch.path().c_str(), 1);
    const std::tuple<std::vector<std::string>, int, int> cases[] = { // argv, status, password calls
        {{"/usr/bin/orbit-patrol", "/a", "1234"}, 0, 1},
        {{"orbit-patrol", "/x"}, 0, 0},
        {{"orbit-patrol", "/p", "0"}, 1, 0},                // no host window
        {{"orbit-patrol", "-window-id", "junk"}, 1, 0},     // looked for before the host's switches
        {{"orbit-patrol", "/s"}, 1, 0},
        {{"orbit-patrol", "/c:55"}, 1, 0},
        {{"orbit-patrol", "--satellites", "11", "--fps"}, 1, 0}, // hack options alone: full screen
        {{"orbit-patrol", "-root", "--bogus"}, 1, 0},           // refused with the usage text
        {{"orbit-patrol", "--help"}, 0, 0},
    };
    for (const auto& [args, status, passwordCalls] : cases) {
        SCOPED_TRACE(args.back());
        std::vector<std::string> strings = args;
        std::vector<char*> argv;
        for (std::string& s : strings)
            argv.push_back(s.data());
        argv.push_back(nullptr);
        int argc = static_cast<int>(strings.size());
        RecordingPasswordService passwords;
        SaverApp app(argc, argv.data(), passwords);
        EXPECT_EQ(app.run(), status);
        ASSERT_EQ(passwords.calls, passwordCalls);
        if (passwords.calls > 0) {
            EXPECT_EQ(passwords.lastProvider, "SCRSAVE");
            EXPECT_EQ(passwords.lastParent, 1234);
        }
        EXPECT_FALSE(std::filesystem::exists(scratch.path() / "Torvo" / "orbit-patrol.ini"));
    }
}

} // namespace
} // namespace orbit

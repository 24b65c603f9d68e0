// The ui and saver tests' main: one QApplication on the platform the
// executable was built for (offscreen without GLX, so the no-GL paths run
// even under an X server; xcb needs xvfb-run); listing tests needs none. Under
// AddressSanitizer an X11 run checks for leaks while Qt and Mesa are up and
// ends without tearing them down: Mesa's tear-down loses 112 bytes that
// LeakSanitizer cannot attribute.
#include <QApplication>

#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#endif

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    qputenv("QT_QPA_PLATFORM", ORBIT_UI_TEST_PLATFORM);
    qputenv("QT_QPA_OFFSCREEN_NO_GLX", "1");
    // QApplication, not QGuiApplication: QtTest treats qApp as one when widgets are linked.
    QApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
#if defined(__SANITIZE_ADDRESS__)
    if (std::strcmp(ORBIT_UI_TEST_PLATFORM, "xcb") == 0) {
        const int leaked = __lsan_do_recoverable_leak_check();
        std::fflush(nullptr);
        std::_Exit(result != 0 || leaked != 0 ? 1 : 0);
    }
#endif
    return result;
}

// The main of the ui and saver tests: one QApplication on the platform the
// executable was built for. Listing tests needs no display. The offscreen
// platform runs without its GLX part, so the no-GL paths run there even
// under an X server.
//
// Under AddressSanitizer an X11 run checks for leaks itself while Qt and Mesa
// are still up, then ends without tearing them down: Mesa's GL tear-down loses
// 112 bytes that LeakSanitizer cannot attribute.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    qputenv("QT_QPA_PLATFORM", ORBIT_UI_TEST_PLATFORM);
    qputenv("QT_QPA_OFFSCREEN_NO_GLX", "1");
    const bool needsDisplay = std::strcmp(ORBIT_UI_TEST_PLATFORM, "xcb") == 0;
    if (needsDisplay && !std::getenv("DISPLAY")) {
        std::fputs("no X server (DISPLAY unset): run under xvfb-run\n", stderr);
        return 1;
    }
    // QApplication, not QGuiApplication: QtTest treats qApp as one when widgets are linked.
    QApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
#if defined(__SANITIZE_ADDRESS__)
    if (needsDisplay) {
        const int leaked = __lsan_do_recoverable_leak_check();
        std::fflush(nullptr);
        std::_Exit(result != 0 || leaked != 0 ? 1 : 0);
    }
#endif
    return result;
}

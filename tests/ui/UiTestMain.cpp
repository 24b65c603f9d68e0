// One QApplication on the platform the executable was built for. Listing tests
// needs no display, and an X11 run without a display skips its tests.
//
// Under AddressSanitizer the X11 run checks for leaks itself while Qt and Mesa
// are still up, then ends without tearing them down: Mesa's GL tear-down loses
// 112 bytes that LeakSanitizer cannot attribute.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    qputenv("QT_QPA_PLATFORM", ORBIT_UI_TEST_PLATFORM);
    const bool needsDisplay = std::strcmp(ORBIT_UI_TEST_PLATFORM, "xcb") == 0;
    const char* display = std::getenv("DISPLAY");
    std::unique_ptr<QApplication> app;
    if (!needsDisplay || (display && *display))
        app = std::make_unique<QApplication>(argc, argv);
    const int result = RUN_ALL_TESTS();
#if defined(__SANITIZE_ADDRESS__)
    if (needsDisplay && app) {
        const int leaked = __lsan_do_recoverable_leak_check();
        std::fflush(nullptr);
        std::_Exit(result != 0 || leaked != 0 ? 1 : 0);
    }
#endif
    return result;
}

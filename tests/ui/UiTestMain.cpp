// Test main for the ui tests: one QApplication on the platform the executable
// was built for (ORBIT_UI_TEST_PLATFORM). Listing tests needs no display, so
// CTest can discover the X11 tests anywhere; an X11 run without a display
// skips its tests instead of aborting in Qt.
#include "UiTestSupport.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

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
    return RUN_ALL_TESTS();
}

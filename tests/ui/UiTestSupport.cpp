#include "UiTestSupport.h"

#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdlib>

namespace orbit::test {

void QtTest::SetUp()
{
    if (!qApp)
        GTEST_SKIP() << "no X server (DISPLAY unset): run under xvfb-run";
}

std::vector<std::uint8_t> uiTestData(const char* name)
{
    return readFileBytes(std::filesystem::path(ORBIT_TEST_DATA_DIR) / "ui" / name);
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

bool nearColour(QRgb pixel, QRgb want, int tolerance)
{
    return std::abs(qRed(pixel) - qRed(want)) <= tolerance && std::abs(qGreen(pixel) - qGreen(want)) <= tolerance &&
           std::abs(qBlue(pixel) - qBlue(want)) <= tolerance;
}

} // namespace orbit::test

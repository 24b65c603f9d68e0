#include "UiTestSupport.h"

#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

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

QRect inkBounds(const QImage& image, QRgb background)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

int textInkWidth(const QString& text, const QFont& font)
{
    const QFontMetrics metrics(font);
    QImage canvas(metrics.horizontalAdvance(text) + 40, metrics.height() + 20, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setFont(font);
    painter.drawText(20, 10 + metrics.ascent(), text);
    painter.end();
    return inkBounds(canvas, qRgba(0, 0, 0, 0)).width();
}

} // namespace orbit::test

// Helpers shared by the ui tests.
#pragma once

#include <QFont>
#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QTimer;
class QWidget;

namespace orbit::test {

// Skips when the test main could not start Qt (an X11 run without a display).
class QtTest : public ::testing::Test {
protected:
    void SetUp() override;
};

std::vector<std::uint8_t> uiTestData(const char* name);

// Calls `act` from inside the first modal widget's loop; `act` must close it.
class ModalWatcher {
public:
    explicit ModalWatcher(std::function<void(QWidget*)> act);
    ~ModalWatcher();
    bool fired() const { return hasFired; }

private:
    std::unique_ptr<QTimer> timer;
    std::function<void(QWidget*)> action;
    bool hasFired = false;
};

bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000);
bool nearColour(QRgb pixel, QRgb want, int tolerance);
QRect inkBounds(const QImage& image, QRgb background);
// Width of the pixels `text` really covers when drawn alone in `font`.
int textInkWidth(const QString& text, const QFont& font);

} // namespace orbit::test

// Helpers shared by the ui tests: the fixture that skips without a
// QApplication, committed test data, and running code inside a modal loop.
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

// Calls `act` with the first modal widget that opens within `timeoutMs`, from
// inside that widget's modal loop; `act` must close it. Returns a watcher
// that must stay alive while the modal loop runs. Polls every 10 ms.
class ModalWatcher {
public:
    explicit ModalWatcher(std::function<void(QWidget*)> act);
    ~ModalWatcher();
    ModalWatcher(const ModalWatcher&) = delete;
    ModalWatcher& operator=(const ModalWatcher&) = delete;
    bool fired() const { return hasFired; }

private:
    std::unique_ptr<QTimer> timer;
    std::function<void(QWidget*)> action;
    bool hasFired = false;
};

// Waits up to timeoutMs, processing events, until `done` holds.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// Whether every channel of pixel is within tolerance of want.
bool nearColour(QRgb pixel, QRgb want, int tolerance);
// Bounding box of pixels in `image` that differ from `background`.
QRect inkBounds(const QImage& image, QRgb background);
// Width of the pixels `text` really covers when drawn alone in `font`.
int textInkWidth(const QString& text, const QFont& font);

} // namespace orbit::test

// Helpers shared by the ui tests.
#pragma once

#include <QImage>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

class QWidget;

namespace orbit::test {

// Skips when the test main could not start Qt (an X11 run without a display).
class QtTest : public ::testing::Test {
protected:
    void SetUp() override;
};

std::vector<std::uint8_t> uiTestData(const char* name);
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000);
bool nearColour(QRgb pixel, QRgb want, int tolerance);

} // namespace orbit::test

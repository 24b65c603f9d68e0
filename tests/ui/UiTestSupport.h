// Helpers shared by the ui tests.
#pragma once

#include <QApplication>
#include <QRgb>

#include <gtest/gtest.h>

#include <cstdlib>

namespace orbit::test {

// Skips when the test main could not start Qt (an X11 run without a display).
class QtTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!qApp)
            GTEST_SKIP() << "no X server (DISPLAY unset): run under xvfb-run";
    }
};

inline bool nearColour(QRgb pixel, QRgb want, int tolerance)
{
    return std::abs(qRed(pixel) - qRed(want)) <= tolerance && std::abs(qGreen(pixel) - qGreen(want)) <= tolerance &&
           std::abs(qBlue(pixel) - qBlue(want)) <= tolerance;
}

} // namespace orbit::test

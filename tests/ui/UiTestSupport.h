// Helpers shared by the ui tests.
#pragma once

#include <QDir>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>
#include <QRgb>
#include <QStyle>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>

namespace orbit::test {

inline bool nearColour(QRgb p, QRgb want, int tolerance)
{
    return std::abs(qRed(p) - qRed(want)) <= tolerance && std::abs(qGreen(p) - qGreen(want)) <= tolerance &&
           std::abs(qBlue(p) - qBlue(want)) <= tolerance;
}

// Saves the dialog's picture to <build>/screenshots/<name>.png and checks that
// each line of each control's text fits its room; a scrolling edit
// (`scrolls`) may hold more than it shows.
inline void expectTextWhole(QWidget& dialog, const char* name, const QWidget* scrolls = nullptr)
{
    QDir().mkpath(ORBIT_BINARY_DIR "/screenshots");
    dialog.grab().save(QStringLiteral(ORBIT_BINARY_DIR "/screenshots/") + name + ".png");
    int checked = 0;
    for (QWidget* widget : dialog.findChildren<QWidget*>()) {
        const QString text = widget->property("text").toString().remove('&'); // the mnemonic is not drawn
        if (!widget->isVisible() || text.isEmpty() || widget == scrolls)
            continue;
        const QFontMetrics metrics(widget->font());
        int room = widget->contentsRect().width();
        const QStyle* style = widget->style();
        if (qobject_cast<QPushButton*>(widget))
            room -= style->pixelMetric(QStyle::PM_ButtonMargin) +
                    2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth);
        else if (qobject_cast<QLineEdit*>(widget))
            room -= 5;
        for (const QString& line : text.split('\n'))
            EXPECT_LE(metrics.horizontalAdvance(line), room) << name << ": " << line.toStdString();
        EXPECT_LE(metrics.height(), widget->contentsRect().height()) << name << ": " << text.toStdString();
        ++checked;
    }
    EXPECT_GT(checked, 0) << name;
}

} // namespace orbit::test

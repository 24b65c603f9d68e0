// See TransparentEdit.h. QLineEdit keeps a fixed margin of 2 pixels left and
// right of its text and 1 above and below, and needs one more pixel at the
// right for the text cursor; fitToText adds exactly those.
#include "TransparentEdit.h"

#include <QFontMetrics>
#include <QPalette>

namespace orbit {
namespace {
constexpr int lineEditHorizontalMargin = 2; // QLineEditPrivate::horizontalMargin
constexpr int lineEditVerticalMargin = 1;   // QLineEditPrivate::verticalMargin
constexpr int textCursorWidth = 1;
} // namespace

TransparentEdit::TransparentEdit(QWidget* parent) : QLineEdit(parent)
{
    setFrame(false);
    setAutoFillBackground(false);
    QPalette transparentPalette = palette();
    transparentPalette.setColor(QPalette::Base, Qt::transparent);
    setPalette(transparentPalette);
}

void TransparentEdit::fitToText()
{
    // After setReadOnly, which puts back the arrow.
    setCursor(Qt::IBeamCursor);
    const QFontMetrics metrics(font());
    const QMargins margins = textMargins();
    const int width = metrics.horizontalAdvance(text()) + 2 * lineEditHorizontalMargin + textCursorWidth +
                      margins.left() + margins.right();
    const int height = metrics.height() + 2 * lineEditVerticalMargin + margins.top() + margins.bottom();
    resize(width, height);
}

} // namespace orbit

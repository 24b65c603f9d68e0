// The About box's read-only author line: an edit control with no frame and no
// background, so the text sits on the picture, an I-beam cursor, and
// fitToText to shrink it to its text. Qt repaints what lies under a widget
// without a background by itself, so a shrinking selection needs no repaint
// code here.
#pragma once

#include <QLineEdit>

namespace orbit {

class TransparentEdit final : public QLineEdit {
    Q_OBJECT
public:
    explicit TransparentEdit(QWidget* parent);

    // Sizes the control so its whole text shows without scrolling, keeping
    // the top-left corner.
    void fitToText();
};

} // namespace orbit

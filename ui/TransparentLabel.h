// A static label drawn straight onto its parent's picture: no background of
// its own, text in the palette's colour (only the background is made
// transparent; the text colour stays the palette's).
#pragma once

#include <QLabel>

namespace orbit {

class TransparentLabel final : public QLabel {
    Q_OBJECT
public:
    explicit TransparentLabel(QWidget* parent);
};

} // namespace orbit

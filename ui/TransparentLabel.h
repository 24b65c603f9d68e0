// A static label drawn straight onto its parent's picture: no background of
// its own, text in the palette's colour (the control-colour handler of the
// Win32 original only made the background hollow; it never set a colour).
#pragma once

#include <QLabel>

namespace orbit {

class TransparentLabel final : public QLabel {
    Q_OBJECT
public:
    explicit TransparentLabel(QWidget* parent);
};

} // namespace orbit

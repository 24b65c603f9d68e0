// See TransparentLabel.h.
#include "TransparentLabel.h"

namespace orbit {

TransparentLabel::TransparentLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_NoSystemBackground);
}

} // namespace orbit

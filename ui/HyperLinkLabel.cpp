// Link label state machine (see HyperLinkLabel.h). "tracking" is the hover
// state: set when the pointer comes over the label or presses it, cleared when
// it leaves while not pressed and on every release.
#include "HyperLinkLabel.h"

#include "ResourceImages.h"
#include "platform/UrlOpener.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

namespace orbit {

HyperLinkLabel::HyperLinkLabel(UrlOpener& urlOpener, const ResourceProvider& resources, QWidget* parent)
    : QLabel(parent),
      opener(urlOpener),
      // Without the cursor resources both hands fall back to Qt's pointing hand.
      hoverCursor(resourceCursor(resources, cursorId::pointingHand, Qt::PointingHandCursor)),
      pressedCursor(resourceCursor(resources, cursorId::pressedHand, Qt::PointingHandCursor))
{
    setTextFormat(Qt::PlainText);
    setMouseTracking(true); // hover needs moves without a button held
}

void HyperLinkLabel::setLink(bool isVisitedLink, std::string linkTarget)
{
    target = std::move(linkTarget);
    visited = isVisitedLink;
    currentColour = QColor(visited ? visitedColour : normalColour);

    underlinedFont = font();
    underlinedFont.setUnderline(true);
    setFont(underlinedFont);

    const QFontMetrics metrics(underlinedFont);
    resize(metrics.horizontalAdvance(text()), metrics.height());
    setCursor(hoverCursor);
    update();
}

QColor HyperLinkLabel::textColour() const
{
    if (tracking)
        return QColor(pressed ? pressedColour : hoverColour);
    return currentColour;
}

void HyperLinkLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(underlinedFont);
    painter.setPen(textColour());
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text());
}

void HyperLinkLabel::pointerInside()
{
    setCursor(pressed ? pressedCursor : hoverCursor);
    if (!tracking) {
        tracking = true;
        update();
    }
}

void HyperLinkLabel::pointerOutside()
{
    // While pressed the grab keeps the label's colour; the pointer is an arrow.
    setCursor(Qt::ArrowCursor);
    if (pressed)
        return;
    if (tracking) {
        tracking = false;
        update();
    }
}

void HyperLinkLabel::mouseMoveEvent(QMouseEvent* event)
{
    if (rect().contains(event->position().toPoint()))
        pointerInside();
    else
        pointerOutside();
    QLabel::mouseMoveEvent(event);
}

void HyperLinkLabel::enterEvent(QEnterEvent* event)
{
    pointerInside();
    QLabel::enterEvent(event);
}

void HyperLinkLabel::leaveEvent(QEvent* event)
{
    pointerOutside();
    QLabel::leaveEvent(event);
}

void HyperLinkLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        tracking = true;
        pressed = true;
        setCursor(pressedCursor);
        update();
    }
    QLabel::mousePressEvent(event);
}

void HyperLinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !pressed) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    const bool inside = rect().contains(event->position().toPoint());
    tracking = false;
    pressed = false;
    setCursor(inside ? hoverCursor : QCursor(Qt::ArrowCursor));
    if (inside) {
        // A target the desktop cannot open still counts as followed.
        opener.open(target);
        visited = true;
        currentColour = QColor(visitedColour);
    }
    update();
    QLabel::mouseReleaseEvent(event);
}

} // namespace orbit

// A static label that behaves like a web link: underlined text in the normal
// or visited colour, the hover colour and pointing hand while the pointer is
// over it, the pressed colour and pressed hand while the left button is held
// (kept when dragged out, since the press grabs the mouse), and the target
// opened through the UrlOpener only when the button is released inside.
// setLink shrinks the label to exactly its underlined text, so clicks beside
// the text do not reach it. The label draws no background: the parent's
// picture shows through, which replaces the Win32 snapshot of the pixels
// behind the label.
#pragma once

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QLabel>

#include <string>

namespace orbit {

class ResourceProvider;
class UrlOpener;

class HyperLinkLabel final : public QLabel {
    Q_OBJECT
public:
    static constexpr QRgb normalColour = 0xFF0000FF;  // (0, 0, 255)
    static constexpr QRgb hoverColour = 0xFF4040FF;   // (64, 64, 255)
    static constexpr QRgb pressedColour = 0xFFFF0000; // (255, 0, 0)
    static constexpr QRgb visitedColour = 0xFF551A8B; // (85, 26, 139)

    HyperLinkLabel(UrlOpener& opener, const ResourceProvider& resources, QWidget* parent);

    // Makes the label a link to `target`, shown visited when `visited`, and
    // sizes it to its text. Called once, after the label has its text.
    void setLink(bool visited, std::string target);
    bool isVisited() const { return visited; }

    // The colour the text is drawn in now.
    QColor textColour() const;
    bool isTracking() const { return tracking; }
    bool isPressed() const { return pressed; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void pointerInside();
    void pointerOutside();

    UrlOpener& opener;
    QColor currentColour{normalColour};
    bool pressed = false;
    bool tracking = false;
    bool visited = false;
    std::string target;
    QFont underlinedFont;
    QCursor hoverCursor;
    QCursor pressedCursor;
};

} // namespace orbit

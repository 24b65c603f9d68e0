// The real screensaver run: a frameless, always-on-top window over one whole
// monitor (the application makes one per monitor), with the cursor hidden,
// that closes on the first sign of the user: a second mouse move to a new
// position, a left or middle press, a right release, any key, or losing
// activation to another program. Under X11 it bypasses the window manager and
// sets the keyboard focus itself, so it behaves the same with or without one;
// on Wayland it is a full-screen surface on its monitor's output.
#pragma once

#include "SaverWindow.h"

#include <QPoint>

class QScreen;

namespace orbit {

class X11InputGrab;

class FullScreenSaverWindow final : public SaverWindow {
    Q_OBJECT
public:
    using SaverWindow::SaverWindow;

    // Remembers the cursor position, then creates the window over screen (the
    // primary one when null) with title appName and takes the keyboard focus.
    // False when the window cannot be made.
    bool createFullScreen(const QString& appName, QScreen* screen = nullptr);
    // The run's X11 input grab (may be null), released before the cursor is
    // put back.
    void setInputGrab(X11InputGrab* grab) { inputGrab = grab; }

    QPoint savedCursor() const { return savedCursorPosition; }

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void onDestroy() override;
    // The window manager's close is swallowed, as is a new screen-save request.
    bool acceptsOutsideClose() const override { return false; }

private:
    static bool onWayland();

    X11InputGrab* inputGrab = nullptr;
    QPoint firstMousePosition{-1, -1};
    QPoint savedCursorPosition;
};

} // namespace orbit

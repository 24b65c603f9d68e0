// The closing inputs of the full-screen run. The first mouse move only records
// where the pointer is, because a window that appears under the pointer may be
// told of it once; any later move to another position (one pixel is enough)
// closes. The right button closes on release, so its press alone does not.
#include "FullScreenSaverWindow.h"

#include "X11InputGrab.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

namespace orbit {

bool FullScreenSaverWindow::createFullScreen(const QString& appName, QScreen* target)
{
    savedCursorPosition = QCursor::pos();
    if (!target)
        target = QGuiApplication::primaryScreen();
    const QRect screenRect = target ? target->geometry() : QRect(0, 0, 640, 480);
    if (target)
        setScreen(target);
    if (onWayland()) {
        // A Wayland client cannot place its windows; the compositor makes a
        // full-screen surface cover the output of the window's screen.
        setFlags(Qt::Window | Qt::FramelessWindowHint);
        setWindowStates(Qt::WindowFullScreen);
    } else {
        // Without a window manager showFullScreen() alone leaves a small window, so
        // the geometry is given explicitly; bypassing the manager makes Qt set the
        // input focus directly instead of asking a manager that may not exist.
        setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::BypassWindowManagerHint);
    }
    if (!createSaver(appName, screenRect))
        return false;
    if (isClosed())
        return true;
    // A monitor that changes its mode keeps being covered exactly.
    if (target && !onWayland())
        connect(target, &QScreen::geometryChanged, this, [this](const QRect& rect) { setGeometry(rect); });
    raise();
    requestActivate();
    return true;
}

bool FullScreenSaverWindow::onWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void FullScreenSaverWindow::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint position = event->position().toPoint();
    if (firstMousePosition == QPoint(-1, -1))
        firstMousePosition = position;
    else if (position != firstMousePosition)
        postClose();
    SaverWindow::mouseMoveEvent(event);
}

void FullScreenSaverWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton)
        postClose();
}

void FullScreenSaverWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton)
        postClose();
}

void FullScreenSaverWindow::keyPressEvent(QKeyEvent* event)
{
    // Every key closes, Alt combinations included (they come as key presses).
    postClose();
    SaverWindow::keyPressEvent(event);
}

void FullScreenSaverWindow::focusOutEvent(QFocusEvent*)
{
    // The focus moving to the saver window of another monitor is no sign of
    // the user (a compositor focuses each new full-screen surface).
    if (auto* next = qobject_cast<FullScreenSaverWindow*>(QGuiApplication::focusWindow()); next && next != this)
        return;
    postClose();
}

void FullScreenSaverWindow::onDestroy()
{
    // The display mode was never changed, so there is nothing to reset. The
    // grab goes first, so the pointer is free again when it is put back.
    if (inputGrab)
        inputGrab->release();
    // Wayland does not let a client move the pointer, so there it stays where
    // the user left it.
    if (!onWayland())
        QCursor::setPos(savedCursorPosition);
    setCursor(Qt::ArrowCursor);
    SaverWindow::onDestroy();
}

} // namespace orbit

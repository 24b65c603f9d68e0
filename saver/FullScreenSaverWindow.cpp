// The closing inputs of the full-screen run. The first mouse move only records
// where the pointer is, because a window that appears under the pointer may be
// told of it once; any later move to another position (one pixel is enough)
// closes. The right button closes on release, so its press alone does not.
#include "FullScreenSaverWindow.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

namespace orbit {

bool FullScreenSaverWindow::createFullScreen(const QString& appName)
{
    savedCursorPosition = QCursor::pos();
    QScreen* primary = QGuiApplication::primaryScreen();
    const QRect screenRect = primary ? primary->geometry() : QRect(0, 0, 640, 480);
    // Without a window manager showFullScreen() alone leaves a small window, so
    // the geometry is given explicitly; bypassing the manager makes Qt set the
    // input focus directly instead of asking a manager that may not exist.
    setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::BypassWindowManagerHint);
    if (!createSaver(appName, screenRect))
        return false;
    if (isClosed())
        return true;
    raise();
    requestActivate();
    return true;
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
    postClose();
}

void FullScreenSaverWindow::onDestroy()
{
    // The display mode was never changed, so there is nothing to reset.
    QCursor::setPos(savedCursorPosition);
    setCursor(Qt::ArrowCursor);
    SaverWindow::onDestroy();
}

} // namespace orbit

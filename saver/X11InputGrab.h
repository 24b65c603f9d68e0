// The pointer and keyboard grab of a full-screen run under X11: while it is
// held, every key, button and motion goes to this program (to the saver
// window under the pointer, or to the grab window), never to another
// client's window or to another client's hot key. A window manager may hold
// a grab of its own for a moment (a menu, a key binding that started the
// saver), so start() retries every 50 ms for up to one second and then gives
// up quietly: the run goes on without it, and focus loss still ends it.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdint>

struct xcb_connection_t;

namespace orbit {

class X11InputGrab final : public QObject {
    Q_OBJECT
public:
    // window: a mapped (or soon mapped) window of this program.
    X11InputGrab(xcb_connection_t* connection, std::uint32_t window);
    ~X11InputGrab() override;
    X11InputGrab(const X11InputGrab&) = delete;
    X11InputGrab& operator=(const X11InputGrab&) = delete;

    void start();
    // Gives back what is held and stops retrying; safe to call twice.
    void release();

    std::uint32_t window() const { return grabWindow; }
    bool holdsPointer() const { return pointerHeld; }
    bool holdsKeyboard() const { return keyboardHeld; }

private:
    void attempt();

    xcb_connection_t* connection;
    std::uint32_t grabWindow;
    QTimer retry;
    QElapsedTimer sinceStart;
    bool pointerHeld = false;
    bool keyboardHeld = false;
};

} // namespace orbit

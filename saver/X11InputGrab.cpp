// Both grabs use owner events: input over any of this program's windows is
// reported to that window as usual, so each monitor's saver window still sees
// its own motion; input anywhere else comes to the grab window.
#include "X11InputGrab.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace orbit {
namespace {
constexpr int retryMs = 50;
constexpr int giveUpMs = 1000;
} // namespace

X11InputGrab::X11InputGrab(xcb_connection_t* xcb, std::uint32_t window) : connection(xcb), grabWindow(window)
{
    retry.setInterval(retryMs);
    connect(&retry, &QTimer::timeout, this, &X11InputGrab::attempt);
}

X11InputGrab::~X11InputGrab()
{
    release();
}

void X11InputGrab::start()
{
    sinceStart.start();
    attempt();
}

void X11InputGrab::attempt()
{
    if (!pointerHeld) {
        constexpr std::uint16_t events = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                                         XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_ENTER_WINDOW |
                                         XCB_EVENT_MASK_LEAVE_WINDOW;
        const auto cookie = xcb_grab_pointer(connection, 1, grabWindow, events, XCB_GRAB_MODE_ASYNC,
                                             XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME);
        xcb_grab_pointer_reply_t* reply = xcb_grab_pointer_reply(connection, cookie, nullptr);
        pointerHeld = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
        std::free(reply);
    }
    if (!keyboardHeld) {
        const auto cookie = xcb_grab_keyboard(connection, 1, grabWindow, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC,
                                              XCB_GRAB_MODE_ASYNC);
        xcb_grab_keyboard_reply_t* reply = xcb_grab_keyboard_reply(connection, cookie, nullptr);
        keyboardHeld = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
        std::free(reply);
    }
    if ((pointerHeld && keyboardHeld) || sinceStart.elapsed() >= giveUpMs)
        retry.stop();
    else if (!retry.isActive())
        retry.start();
}

void X11InputGrab::release()
{
    retry.stop();
    if (pointerHeld)
        xcb_ungrab_pointer(connection, XCB_CURRENT_TIME);
    if (keyboardHeld)
        xcb_ungrab_keyboard(connection, XCB_CURRENT_TIME);
    if (pointerHeld || keyboardHeld)
        xcb_flush(connection);
    pointerHeld = false;
    keyboardHeld = false;
}

} // namespace orbit

// The host window as xcb sees it: one attribute round trip to keep the mask
// Qt already set, then ConfigureNotify and DestroyNotify picked from Qt's own
// event stream. Events are never swallowed: Qt still needs those of our child.
#include "HostWindowWatcher.h"

#include <QCoreApplication>

#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace orbit {

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using XcbReply = std::unique_ptr<T, FreeDeleter>;

} // namespace

HostWindowWatcher::HostWindowWatcher(xcb_connection_t* xcb, std::uint32_t hostWindow)
    : connection(xcb), host(hostWindow)
{
}

HostWindowWatcher::~HostWindowWatcher()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

std::uint32_t HostWindowWatcher::defaultRootWindow(void* xlibDisplay)
{
    return xlibDisplay ? static_cast<std::uint32_t>(DefaultRootWindow(static_cast<Display*>(xlibDisplay))) : 0;
}

std::optional<QSize> HostWindowWatcher::start()
{
    if (!connection || host == 0)
        return std::nullopt;
    xcb_generic_error_t* error = nullptr;
    const XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, host), &error));
    std::free(error);
    if (!attributes)
        return std::nullopt;
    const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, host, XCB_CW_EVENT_MASK, &mask);
    QCoreApplication::instance()->installNativeEventFilter(this);

    error = nullptr;
    const XcbReply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, host), &error));
    std::free(error);
    if (!geometry)
        return std::nullopt;
    lastSize = QSize(geometry->width, geometry->height);
    return lastSize;
}

void HostWindowWatcher::reportGone()
{
    if (gone)
        return;
    gone = true;
    emit hostDestroyed();
}

bool HostWindowWatcher::childExists()
{
    if (gone)
        return false;
    if (child == 0)
        return true;
    xcb_generic_error_t* error = nullptr;
    const XcbReply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, child), &error));
    std::free(error);
    if (!geometry)
        reportGone();
    return geometry != nullptr;
}

bool HostWindowWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t" || gone)
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & 0x7f) {
    case XCB_CONFIGURE_NOTIFY: {
        const auto* configure = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
        const QSize size(configure->width, configure->height);
        if (configure->window == host && size != lastSize) {
            lastSize = size;
            emit hostResized(size);
        }
        break;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto* destroy = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
        if (destroy->window == host || (child != 0 && destroy->window == child))
            reportGone();
        break;
    }
    default:
        break;
    }
    return false;
}

} // namespace orbit

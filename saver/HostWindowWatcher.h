// Watches the host's window that a preview or XScreenSaver child lives in. Qt
// sees a foreign parent as 0x0 and is never told when it changes, so this asks
// the X server for StructureNotify events on it (keeping whatever mask the
// connection already had there) and picks them from Qt's xcb event stream.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QSize>

#include <cstdint>
#include <optional>

struct xcb_connection_t;

namespace orbit {

class HostWindowWatcher final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    HostWindowWatcher(xcb_connection_t* connection, std::uint32_t hostWindow);
    ~HostWindowWatcher() override;

    // Starts watching and reads the host's size; empty when there is no such
    // window (a zero, unknown or already destroyed id). Watching starts before
    // the size is read, so a host that goes away in between is not missed.
    std::optional<QSize> start();
    // Our own child: its destruction by anyone ends the run as well.
    void watchChild(std::uint32_t childWindow) { child = childWindow; }

    // The root window of the display's default screen (-root without a host).
    static std::uint32_t defaultRootWindow(void* xlibDisplay);

    // Asks the server (one round trip) whether our child still exists; when it
    // does not, reports hostDestroyed() as its DestroyNotify would.
    bool childExists();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    void hostResized(QSize size);
    void hostDestroyed();

private:
    void reportGone();

    xcb_connection_t* connection;
    std::uint32_t host;
    std::uint32_t child = 0;
    QSize lastSize;
    bool gone = false;
};

} // namespace orbit

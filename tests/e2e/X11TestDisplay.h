// The X server as a test sees it: its own windows (preview hosts, focus
// thieves) and questions about the program's windows. X errors are ignored:
// the windows a test looks at may vanish at any moment.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using XDisplayHandle = struct _XDisplay;

namespace orbit::test {

struct WindowGeometry {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const WindowGeometry&) const = default;
};

class X11TestDisplay {
public:
    X11TestDisplay();
    ~X11TestDisplay();
    X11TestDisplay(const X11TestDisplay&) = delete;
    X11TestDisplay& operator=(const X11TestDisplay&) = delete;

    bool isOpen() const { return display != nullptr; }
    WindowGeometry screen() const;
    std::uint32_t createWindow(int x, int y, int width, int height); // waits until viewable
    void resizeWindow(std::uint32_t window, int width, int height);
    void destroyWindow(std::uint32_t window);
    void focusWindow(std::uint32_t window);
    void sendDeleteWindow(std::uint32_t window); // as a window manager would
    std::vector<std::uint32_t> viewableChildren(std::uint32_t parent) { return children(parent, true); }
    std::vector<std::uint32_t> children(std::uint32_t parent, bool viewableOnly);
    std::uint32_t findTopLevel(const std::string& name); // by WM_NAME, or 0
    std::optional<WindowGeometry> geometry(std::uint32_t window);
    std::uint32_t focusedWindow();
    std::pair<int, int> pointer();
    void warpPointer(int x, int y);

private:
    XDisplayHandle* display = nullptr;
};

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);
bool xdotool(const std::vector<std::string>& args);

} // namespace orbit::test

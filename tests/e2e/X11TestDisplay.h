// The X server as a test sees it: its own windows to serve as preview hosts or
// to take the focus away, and questions about the program's windows (which
// ones are mapped, where, with the focus). X errors are recorded, never fatal,
// because the windows a test looks at may vanish at any moment.
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
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const WindowGeometry&) const = default;
};

class X11TestDisplay {
public:
    X11TestDisplay();
    ~X11TestDisplay();
    X11TestDisplay(const X11TestDisplay&) = delete;
    X11TestDisplay& operator=(const X11TestDisplay&) = delete;

    bool isOpen() const { return display != nullptr; }
    int screenWidth() const;
    int screenHeight() const;

    // A mapped top-level window of the test's own (waits until it is viewable).
    std::uint32_t createWindow(int x, int y, int width, int height);
    void resizeWindow(std::uint32_t window, int width, int height);
    void destroyWindow(std::uint32_t window);
    void focusWindow(std::uint32_t window);
    // Asks a top-level window to close as a window manager would
    // (WM_DELETE_WINDOW).
    void sendDeleteWindow(std::uint32_t window);

    // Mapped and viewable children of parent.
    std::vector<std::uint32_t> viewableChildren(std::uint32_t parent);
    // A viewable direct child of the root whose WM_NAME is name, or 0.
    std::uint32_t findTopLevel(const std::string& name);
    std::optional<WindowGeometry> geometry(std::uint32_t window);
    std::uint32_t focusedWindow();
    std::pair<int, int> pointer();
    void warpPointer(int x, int y);

private:
    XDisplayHandle* display = nullptr;
};

// Polls condition every 20 ms until it holds or timeout passes.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// Runs xdotool with args and waits for it; true when it succeeded.
bool xdotool(const std::vector<std::string>& args);

} // namespace orbit::test

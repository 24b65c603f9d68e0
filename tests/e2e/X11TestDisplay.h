// The X server as a test sees it: its own host windows, questions about the
// program's windows and the pixels on screen; input, focus and resizes go
// through xdotool. X errors are ignored: the windows a test looks at may
// vanish at any moment.
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
    X11TestDisplay(); // the display of $DISPLAY, or none
    ~X11TestDisplay();
    X11TestDisplay(const X11TestDisplay&) = delete;
    X11TestDisplay& operator=(const X11TestDisplay&) = delete;

    bool isOpen() const { return display != nullptr; }
    XDisplayHandle* handle() const { return display; }
    std::uint32_t root() const;
    std::uint32_t createWindow(int x, int y, int width, int height); // waits until viewable
    void destroyWindow(std::uint32_t window);
    // Children of a window, mapped or not; with a name, only viewable ones of that WM_NAME.
    std::vector<std::uint32_t> children(std::uint32_t parent, const std::string& name = "");
    std::optional<WindowGeometry> geometry(std::uint32_t window);
    std::pair<int, int> pointer();
    // Pixels of an area of the screen with a colour channel above `level` (0..255).
    int pixelsAbove(const WindowGeometry& area, unsigned level);

private:
    XDisplayHandle* display = nullptr;
};

// Polls the condition every `period` until it holds (true) or the timeout passes (false).
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
               std::chrono::milliseconds period = std::chrono::milliseconds(20));
bool xdotool(const std::vector<std::string>& args);

} // namespace orbit::test

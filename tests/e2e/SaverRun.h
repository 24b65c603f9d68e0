// Running the real program in a test: child processes, the X server as the test sees it, and one
// run of the program with a scratch configuration folder, so the user's settings are never touched.
#pragma once

#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

using XDisplayHandle = struct _XDisplay;

namespace orbit::test {

using namespace std::chrono_literals;

inline std::string readText(const std::filesystem::path& path)
{
    const std::vector<std::uint8_t> bytes = readFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

// A program with extra environment (an empty value removes a variable) and its output in files; killed when dropped.
using Environment = std::map<std::string, std::string>;
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& argv, const Environment& env = {});
    ~ChildProcess(); // not copied: the output folder is its own

    // Empty while the process still runs; a signal reports 128 + its number.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    bool running() { return pid > 0 && !waitForExit(0ms); }
    void sendSignal(int signalNumber);
    pid_t id() const { return pid; }
    std::string standardOutput() const { return readText(output.path() / "stdout"); }
    std::string standardError() const { return readText(output.path() / "stderr"); }

private:
    ScratchDir output{"process"};
    pid_t pid = -1;
    std::optional<int> status;
};

// The standard output of a command that ends with status 0 within ten seconds; none otherwise.
std::optional<std::string> runCommand(const std::vector<std::string>& argv, const Environment& env = {});
// Polls the condition every `period` until it holds (true) or the timeout passes (false).
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
               std::chrono::milliseconds period = 20ms);

struct WindowGeometry {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const WindowGeometry&) const = default;
};

// X errors are ignored: the windows a test looks at may vanish at any moment.
class X11TestDisplay {
public:
    explicit X11TestDisplay(const char* name = std::getenv("DISPLAY")); // none without a name
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
    std::optional<WindowGeometry> geometry(std::uint32_t window); // none unless viewable
    // Pixels of an area of the screen with a colour channel above `level` (0..255).
    int pixelsAbove(const WindowGeometry& area, unsigned level);

private:
    XDisplayHandle* display = nullptr;
};

class SaverRun {
public:
    void writeSettings(const std::string& text)
    {
        std::filesystem::create_directories(settingsFile.parent_path());
        writeFileBytes(settingsFile, {text.begin(), text.end()});
    }
    std::string settings() const { return readText(settingsFile); }

    void start(const std::vector<std::string>& switches, Environment env = {})
    {
        std::vector<std::string> argv{std::string(ORBIT_BINARY_DIR) + "/orbit-patrol"};
        argv.insert(argv.end(), switches.begin(), switches.end());
        env["XDG_CONFIG_HOME"] = (scratch.path() / "config").string();
        // Qt warns on stderr without a private runtime folder; the tests read stderr.
        std::filesystem::permissions(scratch.path(), std::filesystem::perms::owner_all);
        env["XDG_RUNTIME_DIR"] = scratch.path().string();
        process = std::make_unique<ChildProcess>(argv, env);
    }
    ChildProcess& child() { return *process; }

    void expectExit(int want, std::chrono::milliseconds timeout = 5s)
    {
        EXPECT_EQ(process->waitForExit(timeout), std::optional<int>(want)) << process->standardError();
    }

    X11TestDisplay x;

private:
    ScratchDir scratch{"e2e"};
    const std::filesystem::path settingsFile = scratch.path() / "config" / "Torvo" / "orbit-patrol.ini";
    std::unique_ptr<ChildProcess> process;
};

} // namespace orbit::test

// The program in a Wayland session (headless sway with two outputs, no X
// server; run by tools/wayland-session.sh): /s puts a full-screen surface on
// each output that shows the scene, and a pointer motion, a key or a click
// ends it with status 0; /c runs its dialog there and OK stores the frame
// delay; /p, which needs an X11 window, runs through XWayland, and ends with
// status 1 and one line where there is no X display.
// Input comes from the compositor (swaymsg cursor commands, wtype), pictures
// from grim.
#include "SaverRun.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>
#include <thread>

namespace orbit::test {
namespace {

std::string outputOf(const std::string& command)
{
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[65536];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            text.append(buffer, n);
        pclose(pipe);
    }
    return text;
}

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};

Rect rectOf(const nlohmann::json& node)
{
    const auto& r = node.at("rect");
    return {r.at("x").get<int>(), r.at("y").get<int>(), r.at("width").get<int>(), r.at("height").get<int>()};
}

// Output name -> rectangle of each full-screen view named `name` on it.
std::map<std::string, Rect> fullScreenViews(const std::string& name)
{
    std::map<std::string, Rect> found;
    const nlohmann::json tree = nlohmann::json::parse(outputOf("swaymsg -r -t get_tree"), nullptr, false);
    std::function<void(const nlohmann::json&, const std::string&)> walk = [&](const nlohmann::json& node,
                                                                              std::string output) {
        if (!node.is_object())
            return;
        if (node.value("type", "") == "output")
            output = node.value("name", "");
        if (node.value("name", "") == name && node.value("fullscreen_mode", 0) != 0)
            found[output] = rectOf(node);
        for (const char* key : {"nodes", "floating_nodes"})
            if (node.contains(key))
                for (const auto& child : node[key])
                    walk(child, output);
    };
    walk(tree, "");
    return found;
}

bool viewFocused(const std::string& name)
{
    const std::string tree = outputOf("swaymsg -r -t get_tree");
    const nlohmann::json json = nlohmann::json::parse(tree, nullptr, false);
    std::function<bool(const nlohmann::json&)> walk = [&](const nlohmann::json& node) {
        if (!node.is_object())
            return false;
        if (node.value("name", "") == name && node.value("focused", false))
            return true;
        for (const char* key : {"nodes", "floating_nodes"})
            if (node.contains(key) && std::any_of(node[key].begin(), node[key].end(), walk))
                return true;
        return false;
    };
    return walk(json);
}

// Pixels brighter than the night sky in the 300x300 box at an output's centre (grim, PPM).
int brightPixels(const std::string& output)
{
    const std::string ppm = outputOf("grim -t ppm -o " + output + " -");
    int width = 0, height = 0, maxValue = 0, headerLength = 0;
    if (std::sscanf(ppm.c_str(), "P6 %d %d %d%n", &width, &height, &maxValue, &headerLength) != 3 || width < 300 ||
        height < 300 || ppm.size() < static_cast<std::size_t>(headerLength + 1 + width * height * 3))
        return -1;
    const auto* pixels = reinterpret_cast<const unsigned char*>(ppm.data() + headerLength + 1);
    int count = 0;
    for (int y = height / 2 - 150; y < height / 2 + 150; ++y)
        for (int x = width / 2 - 150; x < width / 2 + 150; ++x) {
            const unsigned char* p = pixels + (static_cast<std::size_t>(y) * width + x) * 3;
            count += std::max({p[0], p[1], p[2]}) > 60;
        }
    return count;
}

bool run(const std::vector<std::string>& argv) { return runToEnd(argv) == 0; }

// The compositor's own cursor command: motion and buttons as from a pointer.
std::vector<std::string> cursor(const char* action, const char* a, const char* b = nullptr)
{
    std::vector<std::string> command{"swaymsg", "-q", "seat", "seat0", "cursor", action, a};
    if (b)
        command.push_back(b);
    return command;
}

class WaylandTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::getenv("WAYLAND_DISPLAY") && std::getenv("SWAYSOCK"))
            << "run inside tools/wayland-session.sh";
        // A seat offers a pointer and a keyboard to clients only while it has
        // such devices, and a client takes them up some time after they come:
        // keys a new wtype sends at once would be lost. So the seat gets both
        // for the whole test, as a real one has them (a wtype that only sleeps
        // holds its keyboard).
        const std::map<std::string, std::string> env;
        std::filesystem::create_directories(scratch.path() / "pointer");
        std::filesystem::create_directories(scratch.path() / "keyboard");
        pointer = std::make_unique<ChildProcess>(
            std::vector<std::string>{std::string(ORBIT_BINARY_DIR) + "/tests/e2e/wayland_virtual_pointer"}, env,
            scratch.path() / "pointer");
        keyboard = std::make_unique<ChildProcess>(std::vector<std::string>{"wtype", "-s", "600000"}, env,
                                                  scratch.path() / "keyboard");
        std::this_thread::sleep_for(300ms);
        ASSERT_TRUE(pointer->running()) << pointer->standardError();
        ASSERT_TRUE(keyboard->running()) << keyboard->standardError();
    }

    // Waits for the compositor to focus a view of that name, then a second
    // more for the client to take the focus in on a busy machine.
    void settleFocusOn(const std::string& name)
    {
        ASSERT_TRUE(waitUntil([&] { return viewFocused(name); }, 10s)) << name;
        std::this_thread::sleep_for(1s);
    }

    ScratchDir scratch{"wayland"};
    std::unique_ptr<ChildProcess> pointer;
    std::unique_ptr<ChildProcess> keyboard;
};

TEST_F(WaylandTest, FullScreenCoversEachOutputShowsTheSceneAndTheClosingInputsEndIt)
{
    const std::map<std::string, Rect> outputs{{"HEADLESS-1", {0, 0, 800, 600}}, {"HEADLESS-2", {800, 0, 640, 480}}};
    using Input = std::vector<std::string>;
    const std::pair<const char*, std::vector<Input>> closings[] = {
        {"key", {{"wtype", "a"}}},
        {"motion", {cursor("move", "10", "10"), cursor("move", "10", "10")}},
        {"click", {cursor("press", "button1"), cursor("release", "button1")}},
    };
    bool sceneChecked = false;
    for (const auto& [name, inputs] : closings) {
        SCOPED_TRACE(name);
        SaverRun saver;
        saver.start({"/s"});
        ASSERT_TRUE(waitUntil([&] { return fullScreenViews("orbit-patrol").size() == 2; }, 15s))
            << saver.child().standardError();
        EXPECT_EQ(fullScreenViews("orbit-patrol"), outputs);
        if (!sceneChecked) {
            for (const auto& [output, rect] : outputs)
                EXPECT_TRUE(waitUntil([&, o = output] { return brightPixels(o) >= 300; }, 10s)) << output;
            sceneChecked = true;
        }
        settleFocusOn("orbit-patrol");
        EXPECT_TRUE(saver.child().running());
        for (const Input& input : inputs) {
            ASSERT_TRUE(run(input));
            std::this_thread::sleep_for(150ms);
        }
        saver.expectExit(0, 20s);
    }
}

TEST_F(WaylandTest, SettingsDialogRunsAndOkStoresTheFrameDelay)
{
    SaverRun saver;
    saver.start({"/c"});
    settleFocusOn("Orbit Patrol Settings");
    // Focus starts on OK; two tabs reach the slider. Home is 1, then 24 steps right.
    std::vector<std::string> keys{"wtype", "-d", "30", "-k", "Tab", "-k", "Tab", "-k", "Home"};
    for (int i = 0; i < 24; ++i)
        keys.insert(keys.end(), {"-k", "Right"});
    keys.insert(keys.end(), {"-k", "Return"});
    ASSERT_TRUE(run(keys));
    saver.expectExit(0, 20s);
    const std::vector<std::uint8_t> bytes = readFileBytes(saver.settingsFile());
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("Timer=25"), std::string::npos) << text;
}

// Also when the user's session names Qt's wayland platform for every program.
TEST_F(WaylandTest, PreviewNeedsXAndEndsWithOneLine)
{
    for (const char* platform : {"", "wayland"}) {
        SCOPED_TRACE(platform);
        SaverRun saver;
        saver.start({"/p", "123"}, {{"QT_QPA_PLATFORM", platform}});
        saver.expectExit(1);
        const std::string errors = saver.child().standardError();
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_NE(errors.find("needs an X display (or XWayland)"), std::string::npos) << errors;
    }
}

// Even when the session names Qt's wayland platform for every program.
TEST_F(WaylandTest, PreviewRunsThroughXWayland)
{
    const char* xwayland = std::getenv("ORBIT_XWAYLAND_DISPLAY");
    if (!xwayland)
        GTEST_SKIP() << "the session has no XWayland";
    setenv("DISPLAY", xwayland, 1);
    SaverRun saver;
    unsetenv("DISPLAY");
    ASSERT_TRUE(saver.x.isOpen());
    const std::uint32_t host = saver.x.createWindow(0, 0, 320, 240);
    saver.start({"/p", std::to_string(host)}, {{"DISPLAY", xwayland}, {"QT_QPA_PLATFORM", "wayland"}});
    EXPECT_TRUE(waitUntil([&] { return !saver.x.viewableChildren(host).empty(); }, 10s))
        << saver.child().standardError();
    saver.child().sendSignal(SIGTERM);
    saver.expectExit(0);
}

} // namespace
} // namespace orbit::test

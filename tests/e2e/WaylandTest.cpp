// The program in headless sway (tools/wayland-session.sh): /s full screen on each output, ended with
// status 0 by a key or a second motion; /c's OK stores the frame delay; /p (an X11 window) is refused
// without an X display and runs through XWayland, even when the session names Qt's wayland platform.
#include "SaverRun.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <csignal>
#include <thread>
#include <utility>

namespace orbit::test {
namespace {

// What the compositor shows: full-screen windows by output, the focused name.
struct Tree {
    std::map<std::string, WindowGeometry> fullScreen;
    std::string focused;
};

void walk(const nlohmann::json& node, std::string output, Tree& found)
{
    if (node.value("type", "") == "output")
        output = node.value("name", "");
    const nlohmann::json& r = node.at("rect");
    if (node.value("type", "") == "con" && node.value("fullscreen_mode", 0) != 0)
        found.fullScreen[output] = {r.at("x"), r.at("y"), r.at("width"), r.at("height")};
    if (node.value("focused", false))
        found.focused = node.value("name", "");
    for (const char* key : {"nodes", "floating_nodes"})
        for (const nlohmann::json& child : node.value(key, nlohmann::json::array()))
            walk(child, output, found);
}

Tree tree()
{
    Tree found;
    const std::string text = runCommand({"swaymsg", "-r", "-t", "get_tree"}).value_or("");
    const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
    if (json.is_object())
        walk(json, "", found);
    return found;
}

// Pixels brighter than the night sky in the 300x300 box at an output's centre (the end of grim's PPM).
int brightPixels(const WindowGeometry& output)
{
    const std::string box = std::to_string(output.x + output.width / 2 - 150) + "," +
                            std::to_string(output.height / 2 - 150) + " 300x300";
    const std::string ppm = runCommand({"grim", "-t", "ppm", "-g", box, "-"}).value_or("");
    int count = 0;
    for (std::size_t i = ppm.size() - std::min<std::size_t>(ppm.size(), 300 * 300 * 3); i + 2 < ppm.size(); i += 3)
        count += std::max({ppm[i] & 0xFF, ppm[i + 1] & 0xFF, ppm[i + 2] & 0xFF}) > 60;
    return count;
}

// The compositor focuses a view of that name; a second more lets the client take it in on a busy machine.
void settleFocusOn(const std::string& name)
{
    ASSERT_TRUE(waitUntil([&] { return tree().focused == name; }, 10s)) << name;
    std::this_thread::sleep_for(1s);
}

TEST(WaylandTest, FullScreenOnEachOutputTheSettingsDialogAndThePreviewThroughXWayland)
{
    ASSERT_TRUE(std::getenv("WAYLAND_DISPLAY") && std::getenv("SWAYSOCK")) << "run inside tools/wayland-session.sh";
    // A seat offers a pointer and a keyboard only while it has them, and a client takes them up some
    // time after they come: the seat keeps both, as a real one does (a sleeping wtype holds its keyboard).
    ChildProcess pointer({std::string(ORBIT_BINARY_DIR) + "/tests/e2e/wayland_virtual_pointer"});
    ChildProcess keyboard({"wtype", "-s", "600000"});
    ASSERT_FALSE(pointer.waitForExit(300ms)) << pointer.standardError();
    ASSERT_TRUE(keyboard.running()) << keyboard.standardError();

    const std::map<std::string, WindowGeometry> outputs{{"HEADLESS-1", {0, 0, 800, 600}},
                                                        {"HEADLESS-2", {800, 0, 640, 480}}};
    using Input = std::vector<std::string>;
    const Input move{"swaymsg", "-q", "seat seat0 cursor move 10 10"};
    const std::pair<const char*, std::vector<Input>> closings[] = { // all but the last input must leave it running
        {"key", {{"wtype", "a"}}},
        {"motion", {move, move}},
    };
    bool firstRun = true;
    for (const auto& [name, inputs] : closings) {
        SCOPED_TRACE(name);
        SaverRun saver;
        saver.start({"/s"});
        ASSERT_TRUE(waitUntil([&] { return tree().fullScreen.size() == 2; }, 15s)) << saver.child().standardError();
        EXPECT_EQ(tree().fullScreen, outputs);
        for (const auto& [output, rect] : std::exchange(firstRun, false) ? outputs : decltype(outputs){})
            EXPECT_TRUE(waitUntil([&, r = rect] { return brightPixels(r) >= 300; }, 10s)) << output;
        settleFocusOn("orbit-patrol");
        for (const Input& input : inputs) {
            ASSERT_EQ(saver.child().waitForExit(1s), std::nullopt) << "ended before " << input.back();
            ASSERT_TRUE(runCommand(input)) << input.back();
        }
        saver.expectExit(0, 20s);
    }

    SaverRun settings;
    settings.start({"/c"});
    settleFocusOn("Orbit Patrol Settings");
    // Focus starts on OK; two tabs reach the frame delay's slider, End is its greatest value.
    ASSERT_TRUE(runCommand({"wtype", "-d", "30", "-k", "Tab", "-k", "Tab", "-k", "End", "-k", "Return"}));
    settings.expectExit(0, 20s);
    EXPECT_NE(settings.settings().find("Timer=100"), std::string::npos) << settings.settings();

    SaverRun refused; // no X display, and Qt's wayland platform named for every program
    refused.start({"/p", "123"}, {{"QT_QPA_PLATFORM", "wayland"}});
    refused.expectExit(1);
    EXPECT_EQ(refused.child().standardError(),
              "orbit-patrol: this mode draws into an X11 window and needs an X display (or XWayland)\n");
    const char* xwayland = std::getenv("ORBIT_XWAYLAND_DISPLAY");
    if (!xwayland)
        GTEST_SKIP() << "the session has no XWayland";
    X11TestDisplay x(xwayland);
    ASSERT_TRUE(x.isOpen());
    const std::uint32_t host = x.createWindow(0, 0, 320, 240);
    SaverRun preview;
    preview.start({"/p", std::to_string(host)}, {{"DISPLAY", xwayland}, {"QT_QPA_PLATFORM", "wayland"}});
    EXPECT_TRUE(waitUntil([&] { return !x.children(host, "IDS_PREVIEW").empty(); }, 10s))
        << preview.child().standardError();
    preview.child().sendSignal(SIGTERM);
    preview.expectExit(0);
}

} // namespace
} // namespace orbit::test

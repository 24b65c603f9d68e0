// The hosted modes in a window of the test's own, at a device pixel ratio of 2
// (X reports the host in device pixels, Qt places windows in logical ones).
// Under each way of naming the host (/p, -window-id, -root with
// $XSCREENSAVER_WINDOW) the program's window covers the host, the picture
// fills it and each new size (a viewport in logical pixels, or left at the
// old size, lights only one corner), and the host's destruction ends the
// program with status 0. Only the preview shows the launching dialog, over
// the middle of the host.
#include "SaverRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace orbit::test {
namespace {

TEST(PreviewTest, CoversTheHostFillsEachSizeAndEndsWithTheHost)
{
    for (const std::string start : {"/p", "-window-id", "-root"}) {
        SCOPED_TRACE(start);
        SaverRun run;
        ASSERT_TRUE(run.x.isOpen()) << "no X display; run under xvfb-run";
        const WindowGeometry place{200, 150, 320, 240};
        const std::uint32_t host = run.x.createWindow(place.x, place.y, place.width, place.height);
        std::vector<std::string> switches{start};
        if (start != "-root")
            switches.push_back(std::to_string(host));
        run.start(switches, {{"XSCREENSAVER_WINDOW", std::to_string(host)}, {"QT_SCALE_FACTOR", "2"}});
        std::optional<WindowGeometry> dialog;
        std::vector<std::uint32_t> child;
        const auto childShown = [&] {
            if (const auto shown = run.x.children(run.x.root(), "Launching Orbit Patrol"); !shown.empty())
                dialog = run.x.geometry(shown.front());
            return !(child = run.x.children(host, "IDS_PREVIEW")).empty();
        };
        ASSERT_TRUE(waitUntil(childShown, 10s, 2ms)) << run.child().standardError();
        ASSERT_EQ(dialog.has_value(), start == "/p");
        if (dialog) {
            EXPECT_NEAR(dialog->x + dialog->width / 2, place.x + place.width / 2, 2);
            EXPECT_NEAR(dialog->y + dialog->height / 2, place.y + place.height / 2, 2);
            EXPECT_TRUE(waitUntil([&] { return run.x.children(run.x.root(), "Launching Orbit Patrol").empty(); }, 5s));
        }
        for (const auto& [width, height] : {std::pair{320, 240}, std::pair{640, 480}, std::pair{500, 300}}) {
            SCOPED_TRACE(width);
            ASSERT_EQ(runToEnd({"xdotool", "windowsize", std::to_string(host), std::to_string(width),
                                std::to_string(height)}), 0);
            ASSERT_TRUE(waitUntil([&] { return run.x.geometry(child.front()) == WindowGeometry{0, 0, width, height}; },
                                  5s));
            std::this_thread::sleep_for(200ms); // frames of the old size may still be on the way
            int lit[4]{}; // pixels seen lit in the top left, top right, bottom left and bottom right quarters
            const auto everyQuarterLit = [&] {
                for (int q = 0; q < 4; ++q)
                    lit[q] += run.x.pixelsAbove(
                        {place.x + q % 2 * width / 2, place.y + q / 2 * height / 2, width / 2, height / 2}, 0);
                return *std::min_element(lit, lit + 4) >= 5;
            };
            EXPECT_TRUE(waitUntil(everyQuarterLit, 2s, 60ms)) << lit[0] << " " << lit[1] << " " << lit[2] << " "
                                                               << lit[3];
        }
        run.x.destroyWindow(host);
        run.expectExit(0);
        EXPECT_EQ(run.child().standardError().find("must be a top level window"), std::string::npos);
    }
}

} // namespace
} // namespace orbit::test

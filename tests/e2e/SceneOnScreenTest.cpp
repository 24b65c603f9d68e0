// What orbit-patrol /s shows: the launching dialog comes and goes while the
// scene loads, then grey stars and the starship near the centre once the
// camera has caught up; a "3dsFileName" naming a missing file falls back to
// the built-in ship without a message. The screen is read with XGetImage.
#include "SaverRun.h"

#include <gtest/gtest.h>
// After gtest: Xlib's macros (None, Bool, Status) would break its templates.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <csignal>
#include <thread>

namespace orbit::test {
namespace {

// The root window's pixels as 0xRRGGBB, top row first.
class ScreenShot {
public:
    ScreenShot()
    {
        Display* display = XOpenDisplay(nullptr);
        if (!display)
            return;
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, DefaultRootWindow(display), &attributes);
        if (XImage* image = XGetImage(display, DefaultRootWindow(display), 0, 0, static_cast<unsigned>(attributes.width),
                                      static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap)) {
            width = attributes.width;
            height = attributes.height;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF));
            XDestroyImage(image);
        }
        XCloseDisplay(display);
    }

    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }

    // Pixels brighter than the night sky inside the centred box of half-size r.
    int brightNearCentre(int r) const
    {
        int count = 0;
        for (int y = height / 2 - r; y < height / 2 + r; ++y)
            for (int x = width / 2 - r; x < width / 2 + r; ++x) {
                const std::uint32_t p = at(x, y);
                count += std::max({p >> 16, (p >> 8) & 0xFF, p & 0xFF}) > 60;
            }
        return count;
    }

    // Stars: lit pixels in exact grey whose four neighbours are black, in the
    // whole screen or in one of its quarters (0 top left, 1 top right, ...).
    int isolatedGreyPoints(int quarter = -1) const
    {
        const int left = quarter < 0 || quarter % 2 == 0 ? 1 : width / 2;
        const int right = quarter < 0 || quarter % 2 == 1 ? width - 1 : width / 2;
        const int top = quarter < 0 || quarter < 2 ? 1 : height / 2;
        const int bottom = quarter < 0 || quarter >= 2 ? height - 1 : height / 2;
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) {
                const std::uint32_t p = at(x, y);
                count += p != 0 && p == (p & 0xFF) * 0x010101 && at(x - 1, y) == 0 && at(x + 1, y) == 0 &&
                         at(x, y - 1) == 0 && at(x, y + 1) == 0;
            }
        return count;
    }

    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

class SceneOnScreenTest : public testing::Test {
protected:
    // Starts /s and waits for the full-screen window, watching for the launching dialog.
    void startFullScreen(std::map<std::string, std::string> env = {})
    {
        ASSERT_TRUE(run.x.isOpen()) << "no X display; run under xvfb-run";
        run.x.warpPointer(5, 5);
        run.start({"/s"}, std::move(env));
        const auto deadline = std::chrono::steady_clock::now() + 15s;
        while (std::chrono::steady_clock::now() < deadline && saverWindow() == 0 && run.child().running()) {
            launchingSeen = launchingSeen || run.x.findTopLevel("Launching Orbit Patrol") != 0;
            std::this_thread::sleep_for(2ms);
        }
        ASSERT_NE(saverWindow(), 0u) << run.child().standardError();
    }

    std::uint32_t saverWindow()
    {
        const std::uint32_t window = run.x.findTopLevel("orbit-patrol");
        return window && run.x.geometry(window) == run.x.screen() ? window : 0;
    }

    // The camera catches up with the ship within a second or two (longer on a
    // busy machine); the ship then covers thousands of pixels near the centre,
    // stars alone a handful.
    void expectShipNearCentre()
    {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        do {
            std::this_thread::sleep_for(500ms);
            shot = ScreenShot();
        } while (shot.width > 0 && shot.brightNearCentre(200) < 300 && std::chrono::steady_clock::now() < deadline);
        ASSERT_GT(shot.width, 0);
        EXPECT_GE(shot.brightNearCentre(200), 300);
    }

    SaverRun run;
    ScreenShot shot;
    bool launchingSeen = false;
};

TEST_F(SceneOnScreenTest, LaunchingDialogComesAndGoesThenStarsAndShipShow)
{
    startFullScreen();
    EXPECT_TRUE(launchingSeen) << "the launching dialog never appeared";
    expectShipNearCentre();
    EXPECT_EQ(run.x.findTopLevel("Launching Orbit Patrol"), 0u);
    EXPECT_GE(shot.isolatedGreyPoints(), 10); // about 50 of the 3000 stars fall inside the view
    run.child().sendSignal(SIGTERM);
    run.expectExit(0);
}

TEST_F(SceneOnScreenTest, MissingSceneFileFallsBackToTheBuiltInShip)
{
    run.writeSettings("[Options]\n3dsFileName=/nonexistent/folder/ship.3ds\n");
    startFullScreen();
    expectShipNearCentre();
    // No loading message: the saver window is the program's only window.
    EXPECT_EQ(run.x.findTopLevel("orbit-patrol"), saverWindow());
    run.child().sendSignal(SIGTERM);
    run.expectExit(0);
}

// A screen scaled by 2: the window still covers every device pixel and the
// scene fills it (a viewport in logical pixels would fill one quarter).
TEST_F(SceneOnScreenTest, FillsTheScreenAtScaleFactorTwo)
{
    startFullScreen({{"QT_SCALE_FACTOR", "2"}});
    expectShipNearCentre();
    for (int quarter = 0; quarter < 4; ++quarter)
        EXPECT_GE(shot.isolatedGreyPoints(quarter), 2) << "stars in quarter " << quarter;
    run.child().sendSignal(SIGTERM);
    run.expectExit(0);
}

// A hosted picture follows two resizes of its host: lit pixels show in all
// four quadrants of each new size over a few hundred milliseconds of frames
// (a viewport left at the old size keeps them in its lower-left corner).
TEST(HostedResizeTest, PictureFillsEachNewSize)
{
    SaverRun run;
    ASSERT_TRUE(run.x.isOpen()) << "no X display; run under xvfb-run";
    const std::uint32_t host = run.x.createWindow(0, 0, 320, 240);
    run.start({"-window-id", std::to_string(host)});
    ASSERT_TRUE(waitUntil([&] { return !run.x.viewableChildren(host).empty(); }, 10s)) << run.child().standardError();
    const std::uint32_t child = run.x.viewableChildren(host).front();
    for (const auto& [width, height] : {std::pair{640, 480}, std::pair{500, 300}}) {
        SCOPED_TRACE(width);
        run.x.resizeWindow(host, width, height);
        ASSERT_TRUE(waitUntil([&] { return run.x.geometry(child) == WindowGeometry{0, 0, width, height}; }, 5s));
        std::this_thread::sleep_for(200ms); // frames of the old size may still be on the way
        int lit[2][2]{};
        for (int shots = 0; shots < 6; ++shots) {
            std::this_thread::sleep_for(60ms);
            const ScreenShot shot;
            ASSERT_GT(shot.width, 0);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    lit[2 * y / height][2 * x / width] += shot.at(x, y) != 0;
        }
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 2; ++column)
                EXPECT_GE(lit[row][column], 5) << "quadrant " << row << "," << column;
    }
    run.child().sendSignal(SIGTERM);
    run.expectExit(0);
}

} // namespace
} // namespace orbit::test

// What orbit-patrol /s shows on the real X server: the launching dialog comes
// and goes while the scene loads, then the screen holds grey stars and the
// starship near its centre once the camera has caught up with it; a
// "3dsFileName" naming a missing file falls back to the built-in ship without
// a message. The screen is read back with XGetImage.
#include "SaverRun.h"

#include <gtest/gtest.h>
// After gtest: Xlib's macros (None, Bool, Status) would break its templates.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>
#include <thread>

namespace orbit::test {
namespace {

using namespace std::chrono_literals;

struct Rgb {
    int r, g, b;
};

// The root window's pixels, top row first.
class ScreenShot {
public:
    ScreenShot()
    {
        Display* display = XOpenDisplay(nullptr);
        if (!display)
            return;
        const Window root = DefaultRootWindow(display);
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, root, &attributes);
        XImage* image = XGetImage(display, root, 0, 0, static_cast<unsigned>(attributes.width),
                                  static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
        if (image) {
            width = attributes.width;
            height = attributes.height;
            pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const unsigned long p = XGetPixel(image, x, y);
                    pixels.push_back({static_cast<int>((p >> 16) & 0xff), static_cast<int>((p >> 8) & 0xff),
                                      static_cast<int>(p & 0xff)});
                }
            XDestroyImage(image);
        }
        XCloseDisplay(display);
    }

    const Rgb& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }

    // Pixels brighter than the night sky inside the centred box of half-size r.
    int brightNearCentre(int r) const
    {
        int count = 0;
        for (int y = height / 2 - r; y < height / 2 + r; ++y)
            for (int x = width / 2 - r; x < width / 2 + r; ++x) {
                const Rgb& p = at(x, y);
                count += std::max({p.r, p.g, p.b}) > 60;
            }
        return count;
    }

    // Lit pixels whose four neighbours are black, in exact grey: stars.
    int isolatedGreyPoints() const
    {
        int count = 0;
        for (int y = 1; y + 1 < height; ++y)
            for (int x = 1; x + 1 < width; ++x) {
                const Rgb& p = at(x, y);
                if (p.r == 0 || p.r != p.g || p.g != p.b)
                    continue;
                const auto black = [&](int dx, int dy) {
                    const Rgb& q = at(x + dx, y + dy);
                    return q.r == 0 && q.g == 0 && q.b == 0;
                };
                count += black(-1, 0) && black(1, 0) && black(0, -1) && black(0, 1);
            }
        return count;
    }

    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;
};

class SceneOnScreenTest : public testing::Test {
protected:
    // Starts /s and waits for the full-screen window, watching for the
    // launching dialog meanwhile.
    void startFullScreen()
    {
        ASSERT_TRUE(run.x.isOpen()) << "no X display; run under xvfb-run";
        run.x.warpPointer(5, 5);
        run.start({"/s"});
        const auto deadline = std::chrono::steady_clock::now() + 15s;
        while (std::chrono::steady_clock::now() < deadline && saverWindow() == 0 && run.child().running()) {
            launchingSeen = launchingSeen || run.x.findTopLevel("Launching Orbit Patrol") != 0;
            std::this_thread::sleep_for(2ms);
        }
        ASSERT_NE(saverWindow(), 0u) << "no full-screen window; stderr: " << run.child().standardError();
    }

    std::uint32_t saverWindow()
    {
        const std::uint32_t window = run.x.findTopLevel("orbit-patrol");
        const auto geometry = window ? run.x.geometry(window) : std::nullopt;
        return geometry && geometry->width == run.x.screenWidth() ? window : 0;
    }

    void stop()
    {
        run.child().sendSignal(SIGTERM);
        const std::optional<int> status = run.child().waitForExit(5s);
        ASSERT_TRUE(status.has_value());
        EXPECT_EQ(*status, 0);
    }

    // The camera turns at most half the remaining angle per frame, so it
    // catches up with the ship within a second or two at the default 10 ms
    // (longer on a busy machine): screenshots are taken until the centre
    // lights up, or for 10 s. The ship, about 2 units long at 18 to 40 units,
    // covers thousands of pixels there; stars alone would light a handful.
    static ScreenShot shipNearCentre()
    {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        for (;;) {
            std::this_thread::sleep_for(500ms);
            ScreenShot shot;
            if (shot.width == 0 || shot.brightNearCentre(shipBox) >= shipPixels ||
                std::chrono::steady_clock::now() > deadline)
                return shot;
        }
    }
    static constexpr int shipBox = 200;
    static constexpr int shipPixels = 300;

    SaverRun run;
    bool launchingSeen = false;
};

TEST_F(SceneOnScreenTest, LaunchingDialogComesAndGoesThenStarsAndShipShow)
{
    startFullScreen();
    EXPECT_TRUE(launchingSeen) << "the launching dialog never appeared";
    const ScreenShot shot = shipNearCentre();
    ASSERT_GT(shot.width, 0);
    EXPECT_GE(shot.brightNearCentre(shipBox), shipPixels);
    EXPECT_EQ(run.x.findTopLevel("Launching Orbit Patrol"), 0u) << "the launching dialog is still up";
    // About 50 of the 3000 stars fall inside a 20-degree view.
    EXPECT_GE(shot.isolatedGreyPoints(), 10);
    stop();
}

TEST_F(SceneOnScreenTest, MissingSceneFileFallsBackToTheBuiltInShip)
{
    run.writeSettings("[Options]\n3dsFileName=/nonexistent/folder/ship.3ds\n");
    startFullScreen();
    const ScreenShot shot = shipNearCentre();
    ASSERT_GT(shot.width, 0);
    EXPECT_GE(shot.brightNearCentre(shipBox), shipPixels);
    // No loading message: the saver window is the program's only window.
    EXPECT_EQ(run.x.findTopLevel("orbit-patrol"), saverWindow());
    EXPECT_TRUE(run.child().running());
    stop();
}

} // namespace
} // namespace orbit::test

// The scene on a headless GL context: set-up, the per-frame fire texture and
// release (the saver window's tests check the projection's aspect), and
// pictures of the lit planet, the frame-rate overlay, and the starship with
// its effects from the built-in or a user's file.
#include "scene/GlNameCensus.h"
#include "tests/scene/SceneRun.h"
#include "tests/support/TestFiles.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <tuple>

namespace orbit {
namespace {

using test::SceneRun, test::viewWidth, test::viewHeight;
using Pixels = std::vector<std::uint8_t>;

const std::uint8_t* pixel(const Pixels& rgb, int x, int y)
{
    return &rgb[static_cast<std::size_t>((y * viewWidth + x) * 3)];
}
int brightness(const std::uint8_t* p) { return p[0] + p[1] + p[2]; }

// Window coordinates of a scene point in the current GL state, and whether it lies in front of the camera.
bool project(Vec3 p, double& x, double& y)
{
    std::array<double, 16> modelView{}, projection{};
    std::array<int, 4> viewport{};
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView.data());
    glGetDoublev(GL_PROJECTION_MATRIX, projection.data());
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    double z = 0;
    gluProject(p.x, p.y, p.z, modelView.data(), projection.data(), viewport.data(), &x, &y, &z);
    return z > 0.0 && z < 1.0;
}

TEST(SceneGl, SetUpFireTextureNestedFramesAndRelease)
{
    SceneRun run;
    ASSERT_TRUE(run.ready) << run.gl.error();
    EXPECT_EQ(run.statusLines,
              (std::vector<std::string>{"Loading heraldic...", "Loading transmittors...", "Loading starships..."}));
    EXPECT_EQ(run.statusCloses, 1);

    // Planet, flare and fire, whose texture each frame replaces; the star list and the model's.
    run.frames(30);
    const GlNameCensus census = takeGlNameCensus();
    EXPECT_EQ(std::pair(census.textures, census.lists), std::pair(3, 2));
    EXPECT_GT(census.residentKiB, 0);

    // A frame asked for while one is drawn is dropped.
    bool nested = true;
    run.onSwap = [&] { nested = run.scene->drawFrame(run); };
    EXPECT_TRUE(run.scene->drawFrame(run));
    run.onSwap = nullptr;
    EXPECT_FALSE(nested);
    EXPECT_EQ(run.swaps, 31);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // Release frees every GL object and stops the frames.
    run.scene->releaseModel();
    const GlNameCensus released = takeGlNameCensus();
    EXPECT_EQ(std::pair(released.textures, released.lists), std::pair(0, 0));
    EXPECT_FALSE(run.scene->drawFrame(run));
}

TEST(SceneGl, ShipFilesFallBackOnlyIfTheyDoNotOpenOnlyTheBuiltInShipFiresAndTheOverlayOnlyAddsText)
{
    // The built-in ship written to a file flies as a user's model.
    const test::ScratchDir dir("scene-gl");
    const std::string folder = dir.path().string();
    const auto bytes = EmbeddedResources().find("FILE3DS", SaverScene::builtInSceneResourceId);
    test::writeFileBytes(folder + "/ship.3ds", std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    test::writeFileBytes(folder + "/broken.3ds", {1, 2, 3, 4});
    const auto warning = [](const std::string& path, const char* why) {
        return "cannot open the 3DS file \"" + path + "\" named by 3dsFileName (" + why +
               "); the built-in ship is used\n";
    };
    // stored name, settings folder, built-in ship used, warning line. A relative
    // name is the settings folder's, not the working directory's. The third
    // run shows the frame-rate overlay.
    const std::tuple<std::string, std::string, bool, std::string> cases[] = {
        {"/nonexistent/ship.3ds", folder, true, warning("/nonexistent/ship.3ds", "No such file or directory")},
        {"ship.3ds", folder, false, ""},
        {folder, "", true, warning(folder, "Is a directory")},
        {"broken.3ds", folder, false, ""},
    };
    // Per run: the planet in the second frame, the starship after 240.
    std::array<std::array<Pixels, 2>, std::size(cases)> pictures;
    double sx = 0, sy = 0, cx = 0, cy = 0;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& [stored, base, builtIn, warned] = cases[i];
        SCOPED_TRACE(stored);
        SceneRun run(stored, base, i == 2);
        ASSERT_TRUE(run.ready) << run.gl.error();
        const bool broken = stored == "broken.3ds";
        EXPECT_EQ(run.scene->shared().builtInSceneInUse, builtIn);
        EXPECT_EQ(run.scene->sceneModel().hasModel(), !broken);
        EXPECT_EQ(run.diagnostics.warnings, warned);
        EXPECT_EQ(run.notifier.messages.size(), broken ? 1u : 0u) << "only a file that opens and fails is reported";
        std::array<Pixels, 2>& picture = pictures[i];
        run.frames(1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(0, 0, 0, SaverScene::planetCentre.x, SaverScene::planetCentre.y, SaverScene::planetCentre.z, 0, 0, 1);
        run.frames(1);
        picture[0] = run.rgb;
        EXPECT_TRUE(i != 0 || project(SaverScene::planetCentre, cx, cy));
        run.frames(238);
        picture[1] = run.rgb;
        EXPECT_TRUE(i != 1 || project(run.scene->sceneModel().position, sx, sy));
        // The shot sound is decoded once, at set-up, and only for the built-in ship's bolts.
        EXPECT_EQ(run.sound.prepared.size(), builtIn ? 1u : 0u);
        EXPECT_EQ(run.sound.plays > 0, builtIn);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    // The starship is centred once the camera has caught up; effects only add light around it.
    EXPECT_NEAR(sx, viewWidth / 2.0, viewWidth * 0.2);
    EXPECT_NEAR(sy, viewHeight / 2.0, viewHeight * 0.2);
    int shipPixels = 0, effectPixelsNearShip = 0;
    for (int i = 0; i < viewWidth * viewHeight; ++i) {
        const int x = i % viewWidth, y = i / viewWidth;
        const std::uint8_t* a = pixel(pictures[0][1], x, y);
        const std::uint8_t* b = pixel(pictures[1][1], x, y);
        for (int c = 0; c < 3; ++c)
            ASSERT_GE(a[c], b[c]) << "at " << x << "," << y;
        shipPixels += std::abs(x - sx) <= 12 && std::abs(y - sy) <= 12 && brightness(b) > 60;
        if (!std::equal(a, a + 3, b))
            effectPixelsNearShip += std::hypot(x - sx, y - sy) < 40.0;
    }
    EXPECT_GT(shipPixels, 40) << "the model is drawn around its projected position";
    EXPECT_GT(effectPixelsNearShip, 10) << "engine flames trail the ship";

    // The planet: radius 5 at distance 141.4 with a 20 degree field, about 24
    // pixels, so the field is checked here too. The light comes from the
    // viewer: the rim is darker than the middle. Just outside the disc is
    // black or a grey star.
    EXPECT_NEAR(cx, viewWidth / 2.0, 2.0);
    EXPECT_NEAR(cy, viewHeight / 2.0, 2.0);
    const double radiusPx = 5.0 / std::hypot(100.0, 100.0) / std::tan(10.0 * std::numbers::pi / 180.0) * viewHeight / 2;
    std::array<int, 3> rings{}; // brightness summed at 0.3, 0.9 and 1.4 radii
    for (int i = 0; i < 48; ++i) {
        const double a = i * std::numbers::pi / 8, r = std::array{0.3, 0.9, 1.4}[i % 3] * radiusPx;
        const std::uint8_t* p =
            pixel(pictures[0][0], static_cast<int>(cx + std::cos(a) * r), static_cast<int>(cy + std::sin(a) * r));
        rings[i % 3] += brightness(p);
        EXPECT_TRUE(i % 3 < 2 || (p[0] == p[1] && p[1] == p[2])) << "outside the planet at " << i;
    }
    EXPECT_GT(rings[1], 16 * 30);
    EXPECT_LT(rings[1] * 2, rings[0]) << "the rim is lit as brightly as the middle";

    // The overlay: white text in the lower left corner and nothing else, in a
    // frame after its first (so it restores the GL state it changes).
    int textPixels = 0;
    for (int i = 0; i < viewWidth * viewHeight; ++i) { // bottom row first
        const int x = i % viewWidth, y = i / viewWidth;
        const std::uint8_t* a = pixel(pictures[0][0], x, y);
        const std::uint8_t* b = pixel(pictures[2][0], x, y);
        if (std::equal(a, a + 3, b))
            continue;
        ASSERT_TRUE(x < FrameRateOverlay::areaWidthPx && y < FrameRateOverlay::areaHeightPx) << x << "," << y;
        ASSERT_TRUE(b[0] == 255 && b[1] == 255 && b[2] == 255) << x << "," << y;
        ++textPixels;
    }
    // "FPS: --" and "CPU: -- ms" light 148 font pixels of 2 x 2 screen pixels.
    EXPECT_EQ(textPixels, 4 * 148);
}

} // namespace
} // namespace orbit

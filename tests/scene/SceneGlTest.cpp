// The scene on a headless GL context: set-up, projection, fire texture, the
// rendering flag, and pictures of stars, planet, starship and its effects.
#include "tests/scene/SceneRun.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>
#include <tuple>

namespace orbit {
namespace {

using test::SceneRun, test::viewWidth, test::viewHeight;
using Pixels = std::vector<std::uint8_t>;

const std::uint8_t* pixel(const Pixels& rgb, int x, int y) { return &rgb[static_cast<std::size_t>((y * viewWidth + x) * 3)]; }
Pixels captureFrame(SceneRun& run)
{
    run.frames(1);
    return run.swapper.rgb;
}

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

bool isGrey(const std::uint8_t* p) { return p[0] == p[1] && p[1] == p[2]; }
int brightness(const std::uint8_t* p) { return p[0] + p[1] + p[2]; }

// Points the camera (at the origin) at direction, keeping the turn state.
void lookAlong(Vec3 direction)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const Vec3 up = std::abs(direction.y) > 0.9 * length(direction) ? Vec3{1, 0, 0} : Vec3{0, 1, 0};
    gluLookAt(0, 0, 0, direction.x, direction.y, direction.z, up.x, up.y, up.z);
}

int minFilterOf(unsigned texture)
{
    GLint filter = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    return filter;
}

TEST(SceneGl, SetUpLinesGlStateProjectionFireTextureAndTheRenderingFlag)
{
    SceneRun run;
    ASSERT_TRUE(run.ready) << run.gl.error();
    EXPECT_EQ(run.status.lines,
              (std::vector<std::string>{"Loading heraldic...", "Loading transmittors...", "Loading starships..."}));
    EXPECT_EQ(run.status.closes, 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_TRUE(run.scene->shared().builtInSceneInUse);
    EXPECT_TRUE(run.scene->sceneModel().hasModel()) << "built-in FILE3DS 184";
    EXPECT_TRUE(run.notifier.messages.empty());
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_LIGHT0));
    EXPECT_FALSE(glIsEnabled(GL_FOG)) << "fog values are prepared, never switched on";
    GLfloat fogEnd = 0;
    glGetFloatv(GL_FOG_END, &fogEnd);
    EXPECT_EQ(fogEnd, 70.0f);
    // Only the flare texture, bound last, gets its own filters.
    EXPECT_EQ(minFilterOf(run.scene->planetTexture()), GL_NEAREST_MIPMAP_LINEAR);
    EXPECT_EQ(minFilterOf(run.scene->shared().flareTexture), GL_NEAREST);
    GLint magFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(magFilter, GL_LINEAR);

    // The projection: the fitted planes and 20 degrees vertically.
    run.frames(1); // the camera turns, and the next fit resets it
    run.scene->fitCamera();
    std::array<double, 16> p{}, m{};
    glGetDoublev(GL_PROJECTION_MATRIX, p.data());
    glGetDoublev(GL_MODELVIEW_MATRIX, m.data());
    const ClippingPlanes planes = run.scene->clippingPlanes();
    const double f = 1.0 / std::tan(10.0 * std::numbers::pi / 180.0);
    EXPECT_NEAR(p[5], f, 1e-5); // GL keeps matrices in single precision
    EXPECT_NEAR(p[0], f * 0.75, 1e-5);
    EXPECT_NEAR(p[10], (planes.farPlane + planes.nearPlane) / (planes.nearPlane - planes.farPlane), 1e-6);
    std::array<int, 4> viewport{};
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    EXPECT_EQ(viewport, (std::array<int, 4>{0, 0, viewWidth, viewHeight}));
    EXPECT_TRUE(m[0] == 1.0 && m[10] == 1.0) << "the model-view matrix starts as the identity";

    // Each frame replaces the fire texture; a nested frame request is dropped.
    std::set<unsigned> names;
    for (int frame = 0; frame < 30; ++frame) {
        run.frames(1);
        names.insert(run.scene->shared().fireTexture);
    }
    const unsigned current = run.scene->shared().fireTexture;
    ASSERT_NE(current, 0u);
    for (unsigned name : names)
        ASSERT_EQ(glIsTexture(name) == GL_TRUE, name == current) << "fire texture " << name;
    EXPECT_TRUE(glIsTexture(run.scene->shared().flareTexture)) << "only the fire texture is replaced";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    bool nested = true;
    run.swapper.onSwap = [&] { nested = run.scene->drawFrame(run.swapper); };
    EXPECT_TRUE(run.scene->drawFrame(run.swapper));
    run.swapper.onSwap = nullptr;
    EXPECT_FALSE(nested);
    EXPECT_EQ(run.swapper.swaps, 32);
    EXPECT_TRUE(run.scene->drawFrame(run.swapper)) << "the flag is cleared after the frame";
}

TEST(SceneGl, StarsAloneAreGreyPointsAndThePlanetSitsWhereTheProjectionPutsIt)
{
    SceneRun run;
    ASSERT_TRUE(run.ready) << run.gl.error();
    // Away from the starship and the planet; no bolt lives before frame 21.
    const Vec3 ship = run.scene->sceneModel().position;
    lookAlong((ship / length(ship) + Vec3{0.7071, 0.7071, 0.0}) * -1.0);
    const Pixels sky = captureFrame(run);
    int starPixels = 0;
    for (int i = 0; i < viewWidth * viewHeight; ++i) {
        const std::uint8_t* p = pixel(sky, i % viewWidth, i / viewWidth);
        starPixels += brightness(p) != 0;
        ASSERT_TRUE(isGrey(p)) << "pixel " << i;
    }
    // 3000 stars over the whole sky; this view covers about 1.3 % of it.
    EXPECT_GT(starPixels, 10);
    EXPECT_LT(starPixels, 200);

    lookAlong(SaverScene::planetCentre);
    const Pixels frame = captureFrame(run);
    double cx = 0, cy = 0;
    ASSERT_TRUE(project(SaverScene::planetCentre, cx, cy));
    EXPECT_NEAR(cx, viewWidth / 2.0, 2.0);
    EXPECT_NEAR(cy, viewHeight / 2.0, 2.0);
    // Radius 5 at distance 141.4 with a 20 degree field: about 24 pixels. The
    // disc inside is lit; a ring just outside it is black or a grey star.
    const double radiusPx = 5.0 / std::hypot(100.0, 100.0) / std::tan(10.0 * std::numbers::pi / 180.0) * viewHeight / 2;
    for (int i = 0; i < 16; ++i) {
        const double a = i * std::numbers::pi / 8;
        for (const double r : {0.4, 1.4}) {
            const std::uint8_t* p = pixel(frame, static_cast<int>(cx + std::cos(a) * radiusPx * r),
                                          static_cast<int>(cy + std::sin(a) * radiusPx * r));
            EXPECT_TRUE(r < 1 ? brightness(p) > 30 : isGrey(p) && brightness(p) < 3 * 255) << i << " at " << r;
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(SceneGl, StarshipIsCentredAndOnlyTheBuiltInShipTrailsFlamesAndBolts)
{
    // The built-in ship written to a file flies as a user's model.
    const test::ScratchDir dir("scene-gl");
    const auto userFile = dir.path() / "ship.3ds";
    const auto bytes = EmbeddedResources().find("FILE3DS", SaverScene::builtInSceneResourceId);
    test::writeFileBytes(userFile, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    constexpr int frames = 240;

    // Same seed, same model: the user-file run differs only by the missing effects.
    Pixels builtIn, user;
    Vec3 shipPosition;
    double sx = 0, sy = 0;
    {
        // A missing user file falls back to the built-in ship, silently.
        SceneRun run("/nonexistent/folder/ship.3ds");
        ASSERT_TRUE(run.ready) << run.gl.error();
        EXPECT_TRUE(run.scene->shared().builtInSceneInUse);
        EXPECT_TRUE(run.notifier.messages.empty());
        run.frames(frames);
        EXPECT_EQ(run.sound.prepared.size(), 1u) << "the shot sound is decoded once, at set-up";
        EXPECT_GT(run.sound.plays, 0);
        builtIn = captureFrame(run);
        shipPosition = run.scene->sceneModel().position;
    }
    {
        SceneRun run(userFile.string());
        ASSERT_TRUE(run.ready) << run.gl.error();
        EXPECT_FALSE(run.scene->shared().builtInSceneInUse);
        run.frames(frames);
        user = captureFrame(run);
        ASSERT_TRUE(project(shipPosition, sx, sy));
        EXPECT_EQ(run.scene->sceneModel().position.x, shipPosition.x);
        EXPECT_EQ(run.sound.plays, 0) << "no bolts, no shot sounds";
        EXPECT_TRUE(run.sound.prepared.empty()) << "nor an output opened for them";
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    EXPECT_NEAR(sx, viewWidth / 2.0, viewWidth * 0.2) << "camera has caught up";
    EXPECT_NEAR(sy, viewHeight / 2.0, viewHeight * 0.2);
    int shipPixels = 0, effectPixelsNearShip = 0;
    for (int y = 0; y < viewHeight; ++y) {
        for (int x = 0; x < viewWidth; ++x) {
            const std::uint8_t* a = pixel(builtIn, x, y);
            const std::uint8_t* b = pixel(user, x, y);
            for (int c = 0; c < 3; ++c)
                ASSERT_GE(a[c], b[c]) << "effects only add light, at " << x << "," << y;
            shipPixels += std::abs(x - sx) <= 12 && std::abs(y - sy) <= 12 && brightness(b) > 60;
            if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2])
                effectPixelsNearShip += std::hypot(x - sx, y - sy) < 40.0;
        }
    }
    EXPECT_GT(shipPixels, 40) << "the model is drawn around its projected position";
    EXPECT_GT(effectPixelsNearShip, 10) << "engine flames trail the ship";
}

TEST(SceneGl, UserFileIsUsedWhenItOpensEvenIfItDoesNotLoadElseTheBuiltInShipWithOneLineOnStderr)
{
    const test::ScratchDir dir("scene-gl-bad");
    const std::string folder = dir.path().string();
    const std::string broken = folder + "/broken.3ds";
    test::writeFileBytes(broken, {1, 2, 3, 4});
    const auto warning = [](const std::string& path, const char* why) {
        return "cannot open the 3DS file \"" + path + "\" named by 3dsFileName (" + why +
               "); the built-in ship is used\n";
    };
    // stored name, settings folder, built-in ship used, warning line
    const std::tuple<std::string, std::string, bool, std::string> cases[] = {
        {broken, "", false, ""},
        {"broken.3ds", folder, false, ""}, // relative: from the settings folder, not the working dir
        {"/nonexistent/ship.3ds", folder, true, warning("/nonexistent/ship.3ds", "No such file or directory")},
        {folder, "", true, warning(folder, "Is a directory")},
    };
    for (const auto& [stored, base, builtIn, warned] : cases) {
        SCOPED_TRACE(stored);
        SceneRun run(stored, base);
        ASSERT_TRUE(run.ready) << run.gl.error();
        EXPECT_EQ(run.scene->shared().builtInSceneInUse, builtIn);
        EXPECT_EQ(run.scene->sceneModel().hasModel(), builtIn);
        EXPECT_EQ(run.diagnostics.warnings, warned);
        if (builtIn) {
            EXPECT_TRUE(run.notifier.messages.empty()) << "the fallback is silent on screen";
            continue;
        }
        ASSERT_EQ(run.notifier.messages.size(), 1u);
        EXPECT_EQ(run.notifier.messages[0].text, "Error loading 3ds file \"" + broken + "\"");
        run.frames(30); // flies without a model, drawing nothing of it
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST(SceneGl, FrameRateOverlayIsWhiteTextInTheLowerLeftCornerAndChangesNothingElse)
{
    // Same seed with and without the overlay. The first frame, and one with the
    // starship in view (depth test, lighting, textures at work) that shows the
    // overlay left the GL state as it found it.
    std::array<Pixels, 2> plain, overlaid;
    for (const bool shown : {false, true}) {
        SceneRun run({}, {}, shown);
        ASSERT_TRUE(run.ready) << run.gl.error();
        EXPECT_EQ(run.scene->frameRateReady(), shown);
        std::array<Pixels, 2>& frames = shown ? overlaid : plain;
        frames[0] = captureFrame(run);
        run.frames(60);
        frames[1] = captureFrame(run);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    constexpr int margin = FrameRateOverlay::marginPx;
    for (std::size_t f = 0; f < plain.size(); ++f) {
        int textPixels = 0;
        for (int y = 0; y < viewHeight; ++y) { // bottom row first
            for (int x = 0; x < viewWidth; ++x) {
                const std::uint8_t* a = pixel(plain[f], x, y);
                const std::uint8_t* b = pixel(overlaid[f], x, y);
                if (std::equal(a, a + 3, b))
                    continue;
                ASSERT_TRUE(x >= margin && y >= margin && x < FrameRateOverlay::areaWidthPx &&
                            y < FrameRateOverlay::areaHeightPx)
                    << "frame " << f << " changed at " << x << "," << y;
                ASSERT_TRUE(b[0] == 255 && b[1] == 255 && b[2] == 255) << x << "," << y;
                ++textPixels;
            }
        }
        // "FPS: --" and "CPU: -- ms" light 148 font pixels of 2 x 2 screen pixels; a white star may hide a few.
        EXPECT_GT(textPixels, 500) << "frame " << f;
    }
}

} // namespace
} // namespace orbit

// The scene without GL, against values worked out by hand: flight, camera,
// fire, frame-rate figures, bolts and effects, and the scene's set-up.
#include "scene/CameraTurn.h"
#include "scene/EffectPainter.h"
#include "scene/FireGenerator.h"
#include "scene/FrameRateMeter.h"
#include "scene/SaverScene.h"

#include "platform/MemoryResources.h"
#include "tests/support/RecordingSceneServices.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

namespace orbit {
namespace {

void expectNear(Vec3 actual, Vec3 expected, double tolerance = 1e-9)
{
    EXPECT_NEAR(length(actual - expected), 0.0, tolerance)
        << "(" << actual.x << ", " << actual.y << ", " << actual.z << ")";
}

TEST(FlyingObject, RandomizeRespawnOnThePathWithinFortyAndHeadingAlongDelta)
{
    // The unseeded draws are 16838, 5758, (10113 unused), 17515, 31051, 5627,
    // 23010, 7419 and 16212; the factors are single precision.
    RandomGenerator random, twin;
    FlyingObject expected, far;
    expected.randomize(twin);
    expectNear(expected.position, {18.473582, 2.127175, -6.370373}, 1e-5);
    // Speed factor 0.851115, x scaled by 1/18, y and z by 1/20.
    expectNear(expected.delta, {0.873508, 0.0905236, -0.271096}, 1e-5);

    far.position = {120.0, 160.0, 0.5};
    far.update(random);
    expectNear(far.previousPosition, expected.position);
    expectNear(far.position, orbitPathPoint(expected.latitude + expected.latitudeStep,
                                            expected.longitude + expected.longitudeStep, expected.radius));
    for (int frame = 0; frame < 3000; ++frame) {
        far.update(random);
        ASSERT_LE(length(far.position), 40.0 + 1e-9);
    }

    FlyingObject object;
    // A zero delta keeps the heading before.
    for (const auto& [delta, angleDeg] : {std::pair{Vec3{0, 0, -0.5}, 180.0f}, {{0, 1, 1}, 45.0f}, {{}, 45.0f}}) {
        object.delta = delta;
        object.headFromDelta();
        EXPECT_NEAR(object.headingAngle, angleDeg, 1e-4) << angleDeg;
    }
    expectNear(object.headingAxis, {1, 0, 0});
    // moveTo steps the roll and wraps it at 360 as update does at 3600 (359 + 1
    // becomes 0, not above 0, so 360); moveAlong wraps by subtracting 360 and
    // heads along the given direction.
    object.roll = 359.0;
    object.rollStep = 1.0;
    object.moveTo(1, 2, 5);
    EXPECT_DOUBLE_EQ(object.roll, 360.0);
    object.moveAlong(4, 5, 6, 1, 0, 0);
    EXPECT_DOUBLE_EQ(object.roll, 1.0);
    EXPECT_NEAR(object.headingAngle, 90.0f, 1e-4);
}

TEST(CameraTurn, StepIsHalfTheAngleAtMostOnePointThreeTimesTheLastWithinFloorAndCeilingAndTheFitIgnoresPlace)
{
    // The growth limit 0.0065 comes before the floor wins.
    const std::tuple<double, float, float> rows[] = {
        {10.0, 20.0f, 5.0f}, {10.0, 2.0f, 2.6f}, {0.004, 1.0f, 0.01f}, {120.0, 40.0f, 25.0f}, {180.0, 0.005f, 0.01f},
    };
    for (const auto& [angleDeg, previous, expected] : rows)
        EXPECT_FLOAT_EQ(limitedTurnStep(angleDeg, previous), expected) << angleDeg;

    const ClippingPlanes planes = fitClippingPlanes({1, 1, 1}, {-1, -1, -1}, 3.0);
    EXPECT_NEAR(planes.nearPlane, 1.61, 0.005);
    EXPECT_NEAR(planes.farPlane, 2716.0, 1.0);
    const ClippingPlanes moved = fitClippingPlanes({11, 1, 1}, {9, -1, -1}, 3.0);
    EXPECT_EQ(std::pair(moved.nearPlane, moved.farPlane), std::pair(planes.nearPlane, planes.farPlane));
    EXPECT_DOUBLE_EQ(aspectRatio(640, 0), 1.0);
}

TEST(FireGenerator, OneStepSpreadsFromTheTopDownWithCoolingAndBorderedReadsAndTheImageShowsTheRowAbove)
{
    constexpr int W = FireGenerator::width;
    RandomGenerator random;
    FireGenerator fire;
    fire.initialise(random);
    for (int frame = 0; frame < 50; ++frame)
        fire.advance(random);
    // The image is the row above each pixel's through the ramp, black at the edges; seeded in columns 2..29.
    const auto image = fire.image();
    for (int i = 0; i < W * FireGenerator::height * 3; ++i) {
        const int row = i / (W * 3), x = i % (W * 3) / 3;
        const bool black = row < 2 || row >= FireGenerator::height - 2;
        const auto expected = black ? 0 : FireGenerator::rampColour(fire.intensity(x, row + 1))[i % 3];
        ASSERT_EQ(image[static_cast<std::size_t>(i)], expected) << "row " << row << " column " << x;
    }
    EXPECT_NE(image[(2 * W + 16) * 3 + 2], 0) << "the hot base rows are coloured";
    EXPECT_TRUE(fire.intensity(1, 0) == 0 && fire.intensity(2, 0) > 0 && fire.intensity(30, 0) == 0);
    // Black through blue to near white.
    EXPECT_EQ(FireGenerator::rampColour(129), (std::array<std::uint8_t, 3>{0, 3, 255}));
    EXPECT_EQ(FireGenerator::rampColour(255), (std::array<std::uint8_t, 3>{251, 255, 255}));

    for (int i = 0; i < W * FireGenerator::height; ++i)
        fire.setIntensity(i % W, i / W, 0);
    fire.setIntensity(5, 10, 100);  // an isolated hot cell
    fire.setIntensity(20, 15, 25);  // a weak one: 25 / 5 = 5 is not cooled further
    fire.setIntensity(1, 0, 54);    // columns 0 and 1 of the base are never seeded
    fire.setIntensity(0, 0, 100);
    fire.step(random);
    // v = (left two below + 2 * one below + itself + right two below) / 5, minus 5 above 5.
    // (5, 12) reads (5, 11) before this step wrote it; (4, 12) reads (5, 10); nothing
    // spreads downwards; (0, 1) reads column -1 as 0 and row -1 as row 0: (200 + 54) / 5 - 5.
    const std::array<int, 3> cells[] = { // x, y, value
        {5, 10, 15}, {5, 11, 35}, {5, 12, 0}, {4, 12, 15}, {5, 9, 0}, {20, 15, 5}, {0, 1, 45},
    };
    for (const auto& [x, y, expected] : cells)
        EXPECT_EQ(fire.intensity(x, y), expected) << "cell " << x << "," << y;
}

TEST(FrameRateMeter, FiguresOverPeriodsOfASecondAndTheirText)
{
    // Per step: frames, each dt seconds of wall time and dcpu of CPU time after
    // the last; binary fractions, so a period ends exactly where it should.
    using Steps = std::vector<std::tuple<int, double, double>>;
    constexpr double tick = 1.0 / 64, cpu = 1.0 / 256; // 64 frames a second, 3.90625 ms CPU each
    const std::tuple<Steps, const char*, const char*> cases[] = {
        {{{1, 0, 0}, {63, tick, cpu}}, "FPS: --", "CPU: -- ms"},
        {{{1, 0, 0}, {64, tick, cpu}, {32, 2 * tick, 0}}, "FPS: 32.0", "CPU: 0.0 ms"}, // the last period only
        {{{1, 0, 0}, {50, tick, cpu}, {1, -1, 0}, {8, 0.125, 0.25}}, "FPS: 8.0", "CPU: 250.0 ms"}, // clock goes back
        {{{1, 0, 0}, {1, 1.0 / 65536, 100}, {1, 1, 0}}, "FPS: 2.0", "CPU: 9999.9 ms"},            // capped
    };
    for (const auto& [steps, fps, cpuText] : cases) {
        FrameRateMeter meter;
        double now = 0, cpuTime = 0;
        for (const auto& [count, dt, dcpu] : steps) {
            for (int i = 0; i < count; ++i)
                meter.frame(now += dt, cpuTime += dcpu);
        }
        EXPECT_EQ(meter.line(0), fps);
        EXPECT_EQ(meter.line(1), cpuText) << fps;
        EXPECT_EQ(meter.line(2), "");
    }
}

// Checks every bolt drawn: it fades over its life of 10..20 frames and flies
// 2.5 units a frame; on the frame it appears, after waiting 20..170, the guns
// take turns.
struct CheckingPainter final : EffectPainter {
    explicit CheckingPainter(const SceneModel& ship) : ship(ship) {}
    void drawFlames(const FlyingObject&, const std::array<EngineFlame, 4>&) override {}
    void drawBolt(const Shot& bolt, float alpha) override
    {
        EXPECT_LT(&bolt - ship.effects.shots.data(), 10) << "only ten bolts fly";
        EXPECT_FLOAT_EQ(alpha, 1.0f - static_cast<float>(bolt.age) / static_cast<float>(bolt.lifetime));
        expectNear(bolt.previousPosition - bolt.delta * 2.5, bolt.position);
        if (bolt.age != 1)
            return;
        EXPECT_TRUE(bolt.delay >= 20 && bolt.delay <= 170 && bolt.lifetime >= 10 && bolt.lifetime <= 20);
        EXPECT_EQ(bolt.gun, placements++ % 4);
        // Placed 3 units behind the ship, then one step of 2.5 forwards; a ship at rest gives no NaN.
        const double speed = length(ship.delta);
        expectNear(bolt.position, speed > 0.0 ? ship.position + ship.delta / speed * 0.5 : ship.position);
    }
    const SceneModel& ship;
    int placements = 0;
};

TEST(StarshipEffects, GunsTakeTurnsAndEachPlacementStartsTheSoundUnlessFireIsZeroOrNotTheSource)
{
    // "Fire" setting, sound source, ship at rest, the sound plays
    const std::tuple<int, bool, bool, bool> cases[] = {{1, true, false, true}, {0, true, false, false},
                                                        {1, false, true, false}};
    for (const auto& [fire, source, resting, heard] : cases) {
        MemoryResources resources;
        resources.add("WAVE", 151, std::vector<std::uint8_t>(64, 0x52));
        resources.add("WAVE", 152, std::vector<std::uint8_t>(20, 0x52));
        RecordingSoundPlayer player;
        const ShotSound sound(resources, player);
        MemorySettingsStore settings;
        settings.writeInt(settings::section, settings::fireKey, fire);
        RandomGenerator random;
        SceneModel ship(random, settings);
        ship.randomize(random);
        ship.effects.soundSource = source; // the window makes the starship the source
        EXPECT_TRUE(sound.prepare());
        if (resting)
            ship.delta = {};
        CheckingPainter painter(ship);
        for (int frame = 0; frame < 600; ++frame) {
            if (!resting)
                ship.update(random);
            ship.drawEffects(random, painter, sound);
        }
        EXPECT_GE(painter.placements, 12) << "bolts live again after their life";
        EXPECT_EQ(player.plays, heard ? painter.placements : 0) << fire << source;
        EXPECT_EQ(player.prepared, std::vector<std::size_t>{64u}) << "wave 151, decoded once, not per shot";
    }
    EXPECT_EQ(length(ShipEffects::gunOffset(-1)) + length(ShipEffects::gunOffset(4)), 0.0) << "no such gun";
}

TEST(SaverScene, TheSeedRandomizesSatCountSatellitesAndTheStarshipTakesSatelliteZero)
{
    test::RecordingSceneServices services;
    services.settings.writeString(settings::section, settings::satCountKey, "5");
    const auto scene = std::make_unique<const SaverScene>(services.services(), 4242u);
    RandomGenerator twin;
    twin.seed(4242u);
    FlyingObject first;
    first.randomize(twin);
    const SceneModel& ship = scene->sceneModel();
    EXPECT_EQ(std::tuple(scene->satellite(0).position.x, scene->satelliteCount(), scene->satellite(5).radius),
              std::tuple(first.position.x, 5, 0.0));
    EXPECT_EQ(std::tuple(ship.position.x, ship.radius, ship.latitudeStep, ship.longitude, ship.rollStep),
              std::tuple(first.position.x, first.radius, first.latitudeStep, first.longitude, first.rollStep));
}

} // namespace
} // namespace orbit

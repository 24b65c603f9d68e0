// Orbit motion, heading and the wrap rules of the flying objects, checked
// against values worked out from the flight rules by hand, and randomize
// against the same draws taken from a twin generator.
#include "scene/FlyingObject.h"

#include "platform/RandomGenerator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace orbit {
namespace {

void expectNear(Vec3 actual, Vec3 expected, double tolerance = 1e-9)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST(FlyingObject, PathPointAndStartPointDifferByTheOnePlusTerm)
{
    FlyingObject object;
    object.radius = 20.0;
    object.placeOnOrbit();
    expectNear(object.position, {40.0, 0.0, 0.0});
    expectNear(orbitStartPoint(0.0, 0.0, 20.0), {20.0, 0.0, 0.0});
    // A quarter turn in latitude puts both at the top of the orbit.
    expectNear(orbitPathPoint(std::numbers::pi / 2, 1.0, 20.0), {20.0 * std::cos(1.0), 20.0, 0.0}, 1e-9);
    expectNear(orbitStartPoint(std::numbers::pi / 2, 1.0, 20.0), {0.0, 20.0, 0.0}, 1e-9);
}

TEST(FlyingObject, RandomizeTakesNineDrawsInTheDescribedOrder)
{
    for (std::uint32_t seed : {1u, 99u, 31337u}) {
        RandomGenerator random;
        random.seed(seed);
        RandomGenerator twin;
        twin.seed(seed);
        FlyingObject object;
        object.randomize(random);

        const int r1 = twin.next(), r2 = twin.next();
        twin.next();
        const int r4 = twin.next(), r5 = twin.next(), r6 = twin.next(), r7 = twin.next(), r8 = twin.next(),
                  r9 = twin.next();
        EXPECT_EQ(random.next(), twin.next()) << "randomize drew a different number of values";

        EXPECT_NEAR(object.roll, r1 * 360.0 / 32767, 1e-3);
        EXPECT_NEAR(object.rollStep, 2.0 - r2 * 4.0 / 32767, 1e-5);
        EXPECT_NEAR(object.latitude, r4 * 3.14 / 32767 - 1.57, 1e-5);
        EXPECT_NEAR(object.longitude, r5 * 6.28 / 32767, 1e-5);
        EXPECT_NEAR(object.radius, 20.0 - r6 * 2.0 / 32767, 1e-5);
        EXPECT_NEAR(object.latitudeStep, r8 * 0.02 / 32767 + 0.02, 1e-7);
        EXPECT_NEAR(object.longitudeStep, r9 * 0.02 / 32767 + 0.02, 1e-7);
        const Vec3 start = orbitStartPoint(object.latitude, object.longitude, object.radius);
        expectNear(object.position, start);
        expectNear(object.previousPosition, start);
        const double f = r7 * 0.5 / 32767 + 0.5;
        expectNear(object.delta, {f * start.x / 18.0, f * start.y / 20.0, f * start.z / 20.0}, 1e-5);
        EXPECT_GE(object.radius, 18.0);
        EXPECT_LE(object.radius, 20.0);
    }
}

TEST(FlyingObject, HeadingPointsAlongDelta)
{
    struct Row {
        const char* name;
        Vec3 delta;
        float angleDeg;
        Vec3 axis;
    };
    const Row rows[] = {
        {"forwards along +z", {0, 0, 3}, 0.0f, {0, 0, 0}},
        {"backwards along -z", {0, 0, -0.5}, 180.0f, {0, 0, 0}},
        {"along +x", {2, 0, 0}, 90.0f, {0, -2, 0}},
        {"along +y and +z", {0, 1, 1}, 45.0f, {1, 0, 0}},
    };
    for (const Row& row : rows) {
        FlyingObject object;
        object.delta = row.delta;
        object.headFromDelta();
        EXPECT_NEAR(object.headingAngle, row.angleDeg, 1e-4) << row.name;
        expectNear(object.headingAxis, row.axis);
    }
}

TEST(FlyingObject, ZeroDeltaKeepsTheHeading)
{
    FlyingObject object;
    object.delta = {0, 1, 1};
    object.headFromDelta();
    object.delta = {};
    object.headFromDelta();
    EXPECT_NEAR(object.headingAngle, 45.0f, 1e-4);
    EXPECT_FALSE(std::isnan(object.headingAngle));
}

TEST(FlyingObject, UpdateWrapsRollAsWritten)
{
    struct Row {
        double roll, rollStep, expected;
    };
    const Row rows[] = {
        {3599.0, 2.0, 3600.0}, // reaches 3600: 0, then not above 0: 3600 (not 1)
        {1.0, -2.0, 3599.0},   // -1: not above 0, so 3599
        {3598.0, 2.0, 3600.0}, // exactly 3600 as well
        {2.0, -2.0, 3600.0},   // exactly 0 is not above 0
        {100.0, 1.5, 101.5},
        {500.0, -2.0, 498.0},
    };
    for (const Row& row : rows) {
        RandomGenerator random;
        FlyingObject object;
        object.radius = 20.0;
        object.roll = row.roll;
        object.rollStep = row.rollStep;
        object.update(random);
        EXPECT_DOUBLE_EQ(object.roll, row.expected) << "roll " << row.roll << " step " << row.rollStep;
    }
}

TEST(FlyingObject, UpdateWrapsOrbitAnglesOnlyAt3600)
{
    struct Row {
        double angle, step, expected;
    };
    const Row rows[] = {
        {3599.5, 0.5, 0.0},  // exactly 3600 wraps to 0
        {3599.75, 0.5, 0.25},
        {7.0, 0.03, 7.03},   // between 2 pi and 3600: unchanged apart from the step
        {3599.0, 0.5, 3599.5},
    };
    for (const Row& row : rows) {
        RandomGenerator random;
        FlyingObject object;
        object.radius = 20.0;
        object.latitude = row.angle;
        object.latitudeStep = row.step;
        object.longitude = row.angle;
        object.longitudeStep = row.step;
        object.update(random);
        EXPECT_NEAR(object.latitude, row.expected, 1e-9);
        EXPECT_NEAR(object.longitude, row.expected, 1e-9);
    }
}

TEST(FlyingObject, UpdateStepsOntoThePathAndHeadsAlongIt)
{
    RandomGenerator random;
    random.seed(5);
    FlyingObject object;
    object.randomize(random);
    const Vec3 start = object.position;
    const double latitude = object.latitude + object.latitudeStep;
    const double longitude = object.longitude + object.longitudeStep;
    object.update(random);
    const Vec3 expected = orbitPathPoint(latitude, longitude, object.radius);
    expectNear(object.position, expected);
    expectNear(object.previousPosition, start);
    expectNear(object.delta, start - expected);
}

TEST(FlyingObject, RespawnsOnlyBeyondTwoHundredUnits)
{
    struct Row {
        Vec3 position;
        bool respawns;
    };
    const Row rows[] = {
        {{200.0, 0.0, 0.0}, false},
        {{0.0, 0.0, -200.0}, false},
        {{200.5, 0.0, 0.0}, true},
        {{120.0, 160.0, 0.5}, true}, // |p| just above 200
    };
    for (const Row& row : rows) {
        RandomGenerator random;
        random.seed(3);
        FlyingObject object;
        object.position = row.position;
        object.respawnIfFar(random);
        if (row.respawns) {
            EXPECT_LE(length(object.position), 20.0);
            EXPECT_GE(object.radius, 18.0);
        } else {
            expectNear(object.position, row.position, 0.0);
            EXPECT_EQ(object.radius, 0.0);
        }
    }
}

TEST(FlyingObject, FarObjectIsRandomizedAtTheStartOfItsUpdate)
{
    RandomGenerator random;
    random.seed(11);
    RandomGenerator twin;
    twin.seed(11);
    FlyingObject object;
    object.position = {0.0, 200.5, 0.0};
    object.update(random);
    FlyingObject expected;
    expected.randomize(twin);
    const Vec3 onPath = orbitPathPoint(expected.latitude + expected.latitudeStep,
                                       expected.longitude + expected.longitudeStep, expected.radius);
    expectNear(object.position, onPath);
}

TEST(FlyingObject, OrbitsStayWithinFortyUnits)
{
    RandomGenerator random;
    random.seed(2024);
    for (int i = 0; i < 20; ++i) {
        FlyingObject object;
        object.randomize(random);
        for (int frame = 0; frame < 2000; ++frame) {
            object.update(random);
            ASSERT_LE(length(object.position), 40.0 + 1e-9);
        }
    }
}

TEST(FlyingObject, MoveToAndMoveAlongWrapRollAt360)
{
    FlyingObject jump;
    jump.position = {1, 2, 3};
    jump.roll = 359.0;
    jump.rollStep = 1.0;
    jump.moveTo(1, 2, 5);
    expectNear(jump.previousPosition, {1, 2, 3});
    expectNear(jump.delta, {0, 0, -2});
    EXPECT_NEAR(jump.headingAngle, 180.0f, 1e-4);
    EXPECT_DOUBLE_EQ(jump.roll, 360.0); // 360 -> 0 -> not above 0 -> 360

    FlyingObject glide;
    glide.roll = 359.5;
    glide.rollStep = 1.0;
    glide.moveAlong(4, 5, 6, 1, 0, 0);
    expectNear(glide.previousPosition, {3, 5, 6});
    expectNear(glide.delta, {-1, 0, 0});
    EXPECT_DOUBLE_EQ(glide.roll, 0.5);
    glide.roll = -359.5;
    glide.rollStep = -1.0;
    glide.moveAlong(4, 5, 6, 1, 0, 0);
    EXPECT_DOUBLE_EQ(glide.roll, -0.5);
}

} // namespace
} // namespace orbit

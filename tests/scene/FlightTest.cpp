// Orbit motion, heading and wrap rules of the flying objects, and the following
// camera's turn step and fit, against values worked out by hand.
#include "scene/CameraTurn.h"
#include "scene/FlyingObject.h"

#include "platform/RandomGenerator.h"

#include <gtest/gtest.h>

#include <tuple>

namespace orbit {
namespace {

void expectNear(Vec3 actual, Vec3 expected, double tolerance = 1e-9)
{
    EXPECT_NEAR(length(actual - expected), 0.0, tolerance)
        << "(" << actual.x << ", " << actual.y << ", " << actual.z << ")";
}

TEST(FlyingObject, RandomizeTakesNineDrawsAndAFarObjectRespawnsOnItsPathWithinForty)
{
    // The unseeded draws are 16838, 5758, (10113 unused), 17515, 31051, 5627,
    // 23010, 7419, 16212, then 4086; the factors are single precision.
    RandomGenerator random, twin;
    FlyingObject expected;
    expected.randomize(twin);
    EXPECT_EQ(twin.next(), 4086) << "randomize drew a different number of values";
    expectNear(expected.position, {18.473582, 2.127175, -6.370373}, 1e-5);
    // Speed factor 0.851115, x scaled by 1/18, y and z by 1/20.
    expectNear(expected.delta, {0.873508, 0.0905236, -0.271096}, 1e-5);

    FlyingObject near, far;
    near.position = {0.0, 0.0, -200.0};
    near.respawnIfFar(random);
    EXPECT_EQ(near.radius, 0.0) << "200 units is not far";
    far.position = {120.0, 160.0, 0.5};
    far.update(random);
    expectNear(far.previousPosition, expected.position);
    expectNear(far.position, orbitPathPoint(expected.latitude + expected.latitudeStep,
                                            expected.longitude + expected.longitudeStep, expected.radius));
    for (int frame = 0; frame < 3000; ++frame) {
        far.update(random);
        ASSERT_LE(length(far.position), 40.0 + 1e-9);
    }
}

TEST(FlyingObject, HeadingPointsAlongDeltaAndAZeroDeltaKeepsIt)
{
    const std::tuple<Vec3, float, Vec3> rows[] = {
        {{0, 0, -0.5}, 180.0f, {0, 0, 0}},
        {{2, 0, 0}, 90.0f, {0, -2, 0}},
        {{0, 1, 1}, 45.0f, {1, 0, 0}},
        {{0, 0, 0}, 45.0f, {1, 0, 0}}, // keeps the one before
    };
    FlyingObject object;
    for (const auto& [delta, angleDeg, axis] : rows) {
        object.delta = delta;
        object.headFromDelta();
        EXPECT_NEAR(object.headingAngle, angleDeg, 1e-4) << angleDeg;
        expectNear(object.headingAxis, axis);
    }
}

TEST(FlyingObject, RollAndOrbitAnglesWrapAt3600ButMovesWrapRollAt360)
{
    // roll, its step, roll after, orbit angle, its step, angle after: 3600 wraps
    // to 0, which is not above 0 and so becomes 3600; angles past 2 pi stay.
    const std::array<double, 6> rows[] = {
        {3599.0, 2.0, 3600.0, 3599.5, 0.5, 0.0},
        {1.0, -2.0, 3599.0, 7.0, 0.03, 7.03},
    };
    for (const auto& [roll, rollStep, rollAfter, angle, angleStep, angleAfter] : rows) {
        RandomGenerator random;
        FlyingObject object;
        object.radius = 20.0;
        object.roll = roll;
        object.rollStep = rollStep;
        object.latitude = object.longitude = angle;
        object.latitudeStep = object.longitudeStep = angleStep;
        object.update(random);
        EXPECT_DOUBLE_EQ(object.roll, rollAfter) << roll;
        EXPECT_NEAR(object.latitude + object.longitude, 2 * angleAfter, 1e-9) << angle;
    }
    FlyingObject jump;
    jump.roll = 359.0;
    jump.rollStep = 1.0;
    jump.moveTo(1, 2, 5);
    EXPECT_DOUBLE_EQ(jump.roll, 360.0);
    jump.moveAlong(4, 5, 6, 1, 0, 0);
    EXPECT_DOUBLE_EQ(jump.roll, 1.0);
    expectNear(jump.delta, {-1, 0, 0});
    EXPECT_NEAR(jump.headingAngle, 90.0f, 1e-4);
}

TEST(CameraTurn, StepIsHalfTheAngleAtMostOnePointThreeTimesTheLastWithinFloorAndCeiling)
{
    // The growth limit 0.0065 comes before the floor wins.
    const std::tuple<double, float, float> rows[] = {
        {10.0, 20.0f, 5.0f}, {10.0, 2.0f, 2.6f}, {0.004, 1.0f, 0.01f}, {120.0, 40.0f, 25.0f}, {180.0, 0.005f, 0.01f}};
    for (const auto& [angleDeg, previous, expected] : rows)
        EXPECT_FLOAT_EQ(limitedTurnStep(angleDeg, previous), expected) << angleDeg;
    // Straight behind is 180 degrees but no axis: the step grows, the view stays.
    constexpr std::array<double, 16> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    CameraTurnState state{10.0f, 3.0f};
    EXPECT_FALSE(turnTowards(state, identity, {0, 0, 12}, {}).apply);
    EXPECT_EQ(std::pair(state.turnStep, state.previousTurnStep), std::pair(13.0f, 10.0f));
}

TEST(CameraFit, PlanesDependOnTheBoxSizeNotWhereItSits)
{
    const ClippingPlanes planes = fitClippingPlanes({1, 1, 1}, {-1, -1, -1}, 3.0);
    EXPECT_NEAR(planes.nearPlane, 1.61, 0.005);
    EXPECT_NEAR(planes.farPlane, 2716.0, 1.0);
    const ClippingPlanes moved = fitClippingPlanes({11, 1, 1}, {9, -1, -1}, 3.0);
    EXPECT_EQ(std::pair(moved.nearPlane, moved.farPlane), std::pair(planes.nearPlane, planes.farPlane));
    EXPECT_DOUBLE_EQ(aspectRatio(640, 0), 1.0);
}

} // namespace
} // namespace orbit

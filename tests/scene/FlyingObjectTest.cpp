// Orbit motion, heading and the wrap rules of the flying objects, checked
// against values worked out from the flight rules by hand.
#include "scene/FlyingObject.h"

#include "platform/RandomGenerator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <tuple>

namespace orbit {
namespace {

void expectNear(Vec3 actual, Vec3 expected, double tolerance = 1e-9)
{
    EXPECT_NEAR(length(actual - expected), 0.0, tolerance)
        << "(" << actual.x << ", " << actual.y << ", " << actual.z << ")";
}

TEST(FlyingObject, PathPointAndStartPointDifferByTheOnePlusTerm)
{
    FlyingObject object;
    object.radius = 20.0;
    object.placeOnOrbit();
    expectNear(object.position, {40.0, 0.0, 0.0});
    expectNear(orbitPathPoint(std::numbers::pi / 2, 1.0, 20.0), {20.0 * std::cos(1.0), 20.0, 0.0});
    expectNear(orbitStartPoint(std::numbers::pi / 2, 1.0, 20.0), {0.0, 20.0, 0.0});
}

TEST(FlyingObject, RandomizeTakesNineDrawsInAFixedOrder)
{
    // The unseeded draws are 16838, 5758, (10113 unused), 17515, 31051, 5627,
    // 23010, 7419, 16212, then 4086; the factors are single precision.
    RandomGenerator random;
    FlyingObject object;
    object.randomize(random);
    EXPECT_EQ(random.next(), 4086) << "randomize drew a different number of values";
    const double actual[] = {object.roll, object.rollStep, object.latitude, object.longitude, object.radius,
                             object.latitudeStep * 100, object.longitudeStep * 100};
    const double expected[] = {184.993439, 1.297098, 0.108429, 5.951118, 19.656545, 2.45283, 2.98953};
    for (int i = 0; i < 7; ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-5) << "field " << i;
    expectNear(object.position, {18.473582, 2.127175, -6.370373}, 1e-5);
    expectNear(object.previousPosition, object.position, 0.0);
    // Speed factor 0.851115, x scaled by 1/18, y and z by 1/20.
    expectNear(object.delta, {0.873508, 0.0905236, -0.271096}, 1e-5);
}

TEST(FlyingObject, HeadingPointsAlongDeltaAndAZeroDeltaKeepsIt)
{
    const std::tuple<Vec3, float, Vec3> rows[] = {{{0, 0, 3}, 0.0f, {0, 0, 0}}, {{0, 0, -0.5}, 180.0f, {0, 0, 0}}, {{2, 0, 0}, 90.0f, {0, -2, 0}},
                {{0, 1, 1}, 45.0f, {1, 0, 0}}, {{0, 0, 0}, 45.0f, {1, 0, 0}}}; // the last keeps the one before
    FlyingObject object;
    for (const auto& [delta, angleDeg, axis] : rows) {
        object.delta = delta;
        object.headFromDelta();
        EXPECT_NEAR(object.headingAngle, angleDeg, 1e-4) << angleDeg;
        expectNear(object.headingAxis, axis);
    }
}

TEST(FlyingObject, UpdateWrapsRollAndOrbitAnglesAsWritten)
{
    const struct {
        double roll, rollStep, rollAfter, angle, angleStep, angleAfter;
    } rows[] = {
        {3599.0, 2.0, 3600.0, 3599.5, 0.5, 0.0}, // 3600 -> 0 -> not above 0 -> 3600; angles wrap at exactly 3600
        {1.0, -2.0, 3599.0, 3599.75, 0.5, 0.25}, // -1 is not above 0
        {2.0, -2.0, 3600.0, 7.0, 0.03, 7.03},    // exactly 0 neither; angles past 2 pi stay
        {500.0, -2.0, 498.0, 0.5, 0.02, 0.52},
    };
    for (const auto& row : rows) {
        RandomGenerator random;
        FlyingObject object;
        object.radius = 20.0;
        object.roll = row.roll;
        object.rollStep = row.rollStep;
        object.latitude = object.longitude = row.angle;
        object.latitudeStep = object.longitudeStep = row.angleStep;
        object.update(random);
        EXPECT_DOUBLE_EQ(object.roll, row.rollAfter) << "roll " << row.roll << " step " << row.rollStep;
        EXPECT_NEAR(object.latitude, row.angleAfter, 1e-9) << row.angle;
        EXPECT_NEAR(object.longitude, row.angleAfter, 1e-9) << row.angle;
    }
}

TEST(FlyingObject, UpdateRespawnsOnlyBeyondTwoHundredUnitsStepsOntoThePathAndStaysWithinForty)
{
    for (const Vec3 position : {Vec3{200.0, 0.0, 0.0}, Vec3{0.0, 0.0, -200.0}}) {
        RandomGenerator random;
        FlyingObject near;
        near.position = position;
        near.respawnIfFar(random);
        EXPECT_EQ(near.radius, 0.0) << position.x;
    }
    RandomGenerator random, twin;
    FlyingObject far, expected;
    far.position = {120.0, 160.0, 0.5};
    far.update(random);
    expected.randomize(twin);
    const Vec3 start = expected.position;
    expectNear(far.position, orbitPathPoint(expected.latitude + expected.latitudeStep,
                                            expected.longitude + expected.longitudeStep, expected.radius));
    expectNear(far.previousPosition, start);
    expectNear(far.delta, start - far.position);
    for (int frame = 0; frame < 3000; ++frame) {
        far.update(random);
        ASSERT_LE(length(far.position), 40.0 + 1e-9);
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
    for (const auto& [roll, step, after] : {std::array{359.5, 1.0, 0.5}, {-359.5, -1.0, -0.5}}) {
        glide.roll = roll;
        glide.rollStep = step;
        glide.moveAlong(4, 5, 6, 1, 0, 0);
        EXPECT_DOUBLE_EQ(glide.roll, after);
    }
    expectNear(glide.previousPosition, {3, 5, 6});
    expectNear(glide.delta, {-1, 0, 0});
}

} // namespace
} // namespace orbit

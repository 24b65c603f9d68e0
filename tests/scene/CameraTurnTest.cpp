// The following camera's turn rules and the camera fit, without GL: the
// model-view matrix is given as the 16 numbers glGetDoublev would return.
#include "scene/CameraTurn.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <tuple>

namespace orbit {
namespace {

constexpr std::array<double, 16> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
// Turned to look along +x (-90 degrees about y), column-major.
constexpr std::array<double, 16> lookingAlongX = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};

TEST(CameraTurn, StepRulesApplyInOrder)
{
    // Half the remaining angle, at most 1.3 x previous, floor, ceiling, and the
    // growth limit 0.0065 before the floor wins.
    const std::tuple<double, float, float> rows[] = {
        {10.0, 20.0f, 5.0f}, {10.0, 2.0f, 2.6f}, {0.004, 1.0f, 0.01f}, {120.0, 40.0f, 25.0f}, {180.0, 0.005f, 0.01f}};
    for (const auto& [angleDeg, previous, expected] : rows)
        EXPECT_FLOAT_EQ(limitedTurnStep(angleDeg, previous), expected) << angleDeg;
}

TEST(CameraTurn, ZeroAxisLeavesTheOrientationAloneButStillUpdatesTheSteps)
{
    const struct {
        const std::array<double, 16>& modelView;
        Vec3 target;
        float expectedStep; // from a previous step of 10
    } rows[] = {
        {identity, {0, 0, -30}, 0.01f}, // straight ahead
        {identity, {0, 0, 12}, 13.0f},  // straight behind, 180 degrees: grows by 30 %
        {identity, {0, 0, 0}, 0.01f},   // at the camera
        // The view direction is the matrix's third row: reading the column would look backwards.
        {lookingAlongX, {5, 0, 0}, 0.01f},
    };
    for (const auto& row : rows) {
        CameraTurnState state{10.0f, 3.0f};
        EXPECT_FALSE(turnTowards(state, row.modelView, row.target, {}).apply) << row.target.z;
        EXPECT_FLOAT_EQ(state.turnStep, row.expectedStep) << row.target.z;
        EXPECT_FLOAT_EQ(state.previousTurnStep, 10.0f) << row.target.z;
    }
}

TEST(CameraTurn, RotationTurnsTheTargetTowardsTheViewByHalfTheAngle)
{
    const Vec3 target{8.0, 3.0, -10.0}; // about 40.5 degrees off the view along -z
    CameraTurnState state{30.0f, 30.0f};
    const CameraRotation rotation = turnTowards(state, identity, target, {});
    ASSERT_TRUE(rotation.apply);
    EXPECT_EQ(rotation.angleDeg, state.turnStep);
    // glRotated turns world points (Rodrigues, right-handed) before the camera sees them.
    const Vec3 k = rotation.axis / length(rotation.axis);
    const double a = rotation.angleDeg * std::numbers::pi / 180.0;
    const Vec3 turned = target * std::cos(a) + cross(k, target) * std::sin(a) + k * (dot(k, target) * (1 - std::cos(a)));
    const double before = angleBetweenDeg(target, {0, 0, -1});
    EXPECT_NEAR(before - angleBetweenDeg(turned, {0, 0, -1}), rotation.angleDeg, 1e-6);
    EXPECT_NEAR(rotation.angleDeg, before * 0.5, 1e-4);
}

TEST(CameraFit, DefaultBoxGivesTheSamePlanesWhereverItSits)
{
    const ClippingPlanes planes = fitClippingPlanes({1, 1, 1}, {-1, -1, -1}, 3.0);
    EXPECT_NEAR(planes.nearPlane, 1.61, 0.005);
    EXPECT_NEAR(planes.farPlane, 2716.0, 1.0);
    const ClippingPlanes moved = fitClippingPlanes({11, 1, 1}, {9, -1, -1}, 3.0);
    EXPECT_EQ(std::pair(moved.nearPlane, moved.farPlane), std::pair(planes.nearPlane, planes.farPlane));
    EXPECT_DOUBLE_EQ(aspectRatio(640, 0), 1.0);
    EXPECT_DOUBLE_EQ(aspectRatio(640, 480), 640.0 / 480.0);
}

} // namespace
} // namespace orbit

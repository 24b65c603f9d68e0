// The following camera's turn rules and the camera fit, without GL: the
// model-view matrix is given as the 16 numbers glGetDoublev would return.
#include "scene/CameraTurn.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace orbit {
namespace {

constexpr std::array<double, 16> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// Rodrigues' rotation of v by angleDeg about axis (right-handed), as glRotated turns.
Vec3 rotate(Vec3 v, Vec3 axis, double angleDeg)
{
    const Vec3 k = axis / length(axis);
    const double a = angleDeg * std::numbers::pi / 180.0;
    return v * std::cos(a) + cross(k, v) * std::sin(a) + k * (dot(k, v) * (1 - std::cos(a)));
}

TEST(CameraTurn, StraightAheadFallsToTheMinimumStepAndDoesNotRotate)
{
    CameraTurnState state;
    state.turnStep = 3.0f;
    const CameraRotation rotation = turnTowards(state, identity, {0, 0, -30}, {});
    EXPECT_FALSE(rotation.apply);
    EXPECT_FLOAT_EQ(state.turnStep, 0.01f);
    EXPECT_FLOAT_EQ(state.previousTurnStep, 3.0f);
}

TEST(CameraTurn, ZeroAxisLeavesTheOrientationAlone)
{
    struct Row {
        const char* name;
        Vec3 target;
        float expectedStep;
    };
    // Previous step 10: behind grows by 30 % to 13; at the camera the angle is 0.
    const Row rows[] = {
        {"straight behind", {0, 0, 12}, 13.0f},
        {"at the camera", {0, 0, 0}, 0.01f},
    };
    for (const Row& row : rows) {
        CameraTurnState state{10.0f, 10.0f};
        const CameraRotation rotation = turnTowards(state, identity, row.target, {});
        EXPECT_FALSE(rotation.apply) << row.name;
        EXPECT_FLOAT_EQ(state.turnStep, row.expectedStep) << row.name;
    }
}

TEST(CameraTurn, SuddenLargeAngleGrowsAtMostThirtyPercentUpToTwentyFive)
{
    CameraTurnState state; // 0.01 at start
    float previous = state.turnStep;
    int frames = 0;
    while (state.turnStep < 25.0f && frames < 100) {
        const CameraRotation rotation = turnTowards(state, identity, {0.0, 1.0, 2.0}, {}); // about 153.4 degrees away
        ASSERT_TRUE(rotation.apply);
        EXPECT_LE(state.turnStep, previous * 1.3f * (1 + 1e-6f));
        EXPECT_GT(state.turnStep, previous);
        EXPECT_EQ(rotation.angleDeg, state.turnStep);
        previous = state.turnStep;
        ++frames;
    }
    // 0.01 * 1.3^n passes 25 after 30 frames: ln(2500) / ln(1.3) = 29.8.
    EXPECT_EQ(frames, 30);
    EXPECT_FLOAT_EQ(state.turnStep, 25.0f);
    turnTowards(state, identity, {0.0, 1.0, 2.0}, {});
    EXPECT_FLOAT_EQ(state.turnStep, 25.0f);
}

TEST(CameraTurn, StepRulesApplyInOrder)
{
    struct Row {
        double angleDeg;
        float previous;
        float expected;
    };
    const Row rows[] = {
        {10.0, 20.0f, 5.0f},      // half the remaining angle
        {10.0, 2.0f, 2.6f},       // limited to 1.3 x previous
        {0.004, 1.0f, 0.01f},     // floor
        {120.0, 40.0f, 25.0f},    // ceiling
        {180.0, 0.005f, 0.01f},   // growth limit 0.0065, then the floor
    };
    for (const Row& row : rows)
        EXPECT_FLOAT_EQ(limitedTurnStep(row.angleDeg, row.previous), row.expected)
            << row.angleDeg << " after " << row.previous;
}

TEST(CameraTurn, RotationTurnsTheTargetTowardsTheView)
{
    // The camera looks along -z; the starship is up and to the right.
    const Vec3 target{8.0, 3.0, -10.0}; // about 40.5 degrees off
    CameraTurnState state{30.0f, 30.0f};
    const CameraRotation rotation = turnTowards(state, identity, target, {});
    ASSERT_TRUE(rotation.apply);
    const Vec3 view{0, 0, -1};
    const double before = angleBetweenDeg(target, view);
    // The model-view matrix is multiplied by the rotation, so world points are
    // rotated before the camera sees them.
    const double after = angleBetweenDeg(rotate(target, rotation.axis, rotation.angleDeg), view);
    EXPECT_NEAR(before - after, rotation.angleDeg, 1e-6);
    EXPECT_NEAR(rotation.angleDeg, before * 0.5, 1e-4);
}

TEST(CameraTurn, ViewDirectionComesFromTheMatrixThirdRow)
{
    // A model-view matrix that has turned the camera to look along +x
    // (rotation of -90 degrees about y, column-major).
    const std::array<double, 16> lookingAlongX = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};
    CameraTurnState state;
    const CameraRotation rotation = turnTowards(state, lookingAlongX, {5, 0, 0}, {});
    EXPECT_FALSE(rotation.apply);
    EXPECT_FLOAT_EQ(state.turnStep, 0.01f);
}

TEST(CameraFit, DefaultBoxGivesTheDescribedPlanes)
{
    const ClippingPlanes planes = fitClippingPlanes({1, 1, 1}, {-1, -1, -1}, 3.0);
    EXPECT_NEAR(planes.nearPlane, 1.61, 0.005);
    EXPECT_NEAR(planes.farPlane, 2716.0, 1.0);
    // Only the box's size counts, not where it sits.
    const ClippingPlanes moved = fitClippingPlanes({11, 1, 1}, {9, -1, -1}, 3.0);
    EXPECT_DOUBLE_EQ(moved.nearPlane, planes.nearPlane);
    EXPECT_DOUBLE_EQ(moved.farPlane, planes.farPlane);
}

TEST(CameraFit, AspectIsOneWhileTheHeightIsZero)
{
    EXPECT_DOUBLE_EQ(aspectRatio(640, 0), 1.0);
    EXPECT_DOUBLE_EQ(aspectRatio(0, 0), 1.0);
    EXPECT_DOUBLE_EQ(aspectRatio(640, 480), 640.0 / 480.0);
    EXPECT_DOUBLE_EQ(aspectRatio(152, 112), 152.0 / 112.0);
}

} // namespace
} // namespace orbit

// The turn step is a float, as it was declared; the 1.3 growth limit is applied
// in double and stored back into the float, then the floor and ceiling follow in
// that order (so the floor wins over a growth limit below 0.01).
#include "CameraTurn.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orbit {

float limitedTurnStep(double angleDeg, float previousStepDeg)
{
    float step = static_cast<float>(angleDeg * 0.5);
    if (step > previousStepDeg * turnGrowthLimit)
        step = static_cast<float>(previousStepDeg * turnGrowthLimit);
    if (step < minimumTurnStepDeg)
        step = minimumTurnStepDeg;
    if (step > maximumTurnStepDeg)
        step = maximumTurnStepDeg;
    return step;
}

double angleBetweenDeg(Vec3 a, Vec3 b)
{
    const double lengths = length(a) * length(b);
    if (!(lengths > 0.0))
        return 0.0;
    const double cosine = std::clamp(dot(a, b) / lengths, -1.0, 1.0);
    return std::acos(cosine) * degreesPerRadian;
}

CameraRotation turnTowards(CameraTurnState& state, const std::array<double, 16>& modelView, Vec3 target, Vec3 camera)
{
    const Vec3 targetDirection = target - camera;
    const Vec3 viewDirection{-modelView[2], -modelView[6], -modelView[10]};
    const Vec3 axis = cross(targetDirection, viewDirection);
    const double angle = angleBetweenDeg(targetDirection, viewDirection);
    state.previousTurnStep = state.turnStep;
    state.turnStep = limitedTurnStep(angle, state.previousTurnStep);
    const bool zeroAxis = axis.x == 0.0 && axis.y == 0.0 && axis.z == 0.0;
    return {!zeroAxis, state.turnStep, axis};
}

ClippingPlanes fitClippingPlanes(Vec3 boxCorner1, Vec3 boxCorner2, double viewAngleDeg)
{
    const Vec3 centre = (boxCorner1 + boxCorner2) * 0.5;
    const Vec3 corner1 = boxCorner1 - centre;
    const Vec3 corner2 = boxCorner2 - centre;
    const double r = length(corner1 - corner2) * 0.5;
    const double s = std::sin(viewAngleDeg * std::numbers::pi / 360.0);
    return {r * (1.0 / s - 1.0) * 0.025, r * (1.0 / s + 1.0) * 40.0};
}

double aspectRatio(int width, int height)
{
    if (height == 0)
        return 1.0;
    return static_cast<double>(width) / height;
}

} // namespace orbit

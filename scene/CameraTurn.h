// The following camera's maths, GL-free: the turn towards the starship from the
// current model-view matrix, the limited turn step, and the clipping planes of
// the camera fit. The frame applies the returned rotation with glRotated.
#pragma once

#include "Vec3.h"

#include <array>

namespace orbit {

struct CameraTurnState {
    float turnStep = 0.01f;         // degrees this frame
    float previousTurnStep = 0.01f; // degrees the frame before
};

struct CameraRotation {
    bool apply = false;  // false when the axis is zero: the orientation stays as it is
    double angleDeg = 0; // the new turn step
    Vec3 axis;           // target x view direction (not normalised)
};

inline constexpr float minimumTurnStepDeg = 0.01f;
inline constexpr float maximumTurnStepDeg = 25.0f;
inline constexpr double turnGrowthLimit = 1.3; // at most 30 % more than the previous step

// The new turn step for the remaining angle: half of it, at most 1.3 x previous,
// then at least 0.01, then at most 25 degrees.
float limitedTurnStep(double angleDeg, float previousStepDeg);

// Angle between two directions in degrees, the cosine clamped to -1..1; 0 when
// either has zero length.
double angleBetweenDeg(Vec3 a, Vec3 b);

// One frame of the turn: target direction D = target - camera, view direction
// V = (-m[2], -m[6], -m[10]) of the column-major model-view matrix m, axis
// D x V. Updates state's steps even when the axis is zero.
CameraRotation turnTowards(CameraTurnState& state, const std::array<double, 16>& modelView, Vec3 target, Vec3 camera);

struct ClippingPlanes {
    double nearPlane = 0;
    double farPlane = 0;
};

// The camera fit: the scene box's half diagonal r and s = sin(viewAngle * pi / 360)
// give near = r (1/s - 1) 0.025 and far = r (1/s + 1) 40.
ClippingPlanes fitClippingPlanes(Vec3 boxCorner1, Vec3 boxCorner2, double viewAngleDeg);

// width / height, or 1.0 while the height is 0.
double aspectRatio(int width, int height);

} // namespace orbit

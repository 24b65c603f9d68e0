// The spinning cube of the About box's OK button as data: six quads, each
// with its outward normal and four (texture coordinate, vertex) pairs wound
// counter-clockwise seen from outside. Qt- and GL-free so the winding and the
// texture mapping can be checked by tests.
#pragma once

#include <array>

namespace orbit::cube {

// Half edge: the single-precision 0.8 widened to double, as the cube always was.
inline constexpr double halfEdge = static_cast<double>(0.8f);

struct Vec2 {
    double s;
    double t;
};
struct Vec3 {
    double x;
    double y;
    double z;
};
struct Corner {
    Vec2 texture;
    Vec3 vertex;
};
struct Face {
    Vec3 normal;
    std::array<Corner, 4> corners;
};

inline constexpr double h = halfEdge;

// Face order: +z, -z, +x, -x, -y, +y.
inline constexpr std::array<Face, 6> faces{{
    {{0, 0, 1}, {{{{0, 1}, {-h, h, h}}, {{1, 1}, {-h, -h, h}}, {{1, 0}, {h, -h, h}}, {{0, 0}, {h, h, h}}}}},
    {{0, 0, -1}, {{{{0, 1}, {h, h, -h}}, {{0, 0}, {h, -h, -h}}, {{1, 0}, {-h, -h, -h}}, {{1, 1}, {-h, h, -h}}}}},
    {{1, 0, 0}, {{{{0, 0}, {h, h, h}}, {{1, 0}, {h, -h, h}}, {{1, 1}, {h, -h, -h}}, {{0, 1}, {h, h, -h}}}}},
    {{-1, 0, 0}, {{{{0, 0}, {-h, h, h}}, {{1, 0}, {-h, h, -h}}, {{1, 1}, {-h, -h, -h}}, {{0, 1}, {-h, -h, h}}}}},
    {{0, -1, 0}, {{{{0, 0}, {-h, -h, h}}, {{1, 0}, {-h, -h, -h}}, {{1, 1}, {h, -h, -h}}, {{0, 1}, {h, -h, h}}}}},
    {{0, 1, 0}, {{{{0, 0}, {-h, h, h}}, {{1, 0}, {h, h, h}}, {{1, 1}, {h, h, -h}}, {{0, 1}, {-h, h, -h}}}}},
}};

// Degrees added to the x, y and z angles at every drawing, and their start.
inline constexpr std::array<double, 3> angleStepDeg{1, 9, 5};
inline constexpr std::array<double, 3> initialAngleDeg{1, 10, 5};

} // namespace orbit::cube

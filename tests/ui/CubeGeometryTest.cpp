// The cube's faces: squares of the cube's edge on the side their normal points
// to, counter-clockwise seen from outside (so back-face culling keeps the outer
// side), mapping the whole texture, and together closing the cube.
#include "ui/CubeGeometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tuple>

namespace orbit {
namespace {

using cube::Vec3;

TEST(CubeGeometry, SixOutwardCounterClockwiseSquaresWithTheWholeTexture)
{
    auto minus = [](const Vec3& a, const Vec3& b) { return Vec3{a.x - b.x, a.y - b.y, a.z - b.z}; };
    auto dot = [](const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; };
    auto cross = [](const Vec3& a, const Vec3& b) {
        return Vec3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    };
    const double h = cube::halfEdge;
    EXPECT_DOUBLE_EQ(h, 0.800000011920929); // 0.8 as a float, not as a double
    std::set<std::tuple<double, double, double>> normals;
    std::map<std::tuple<double, double, double>, int> cornerUses;
    for (const cube::Face& face : cube::faces) {
        normals.insert({face.normal.x, face.normal.y, face.normal.z});
        std::set<std::pair<double, double>> texture;
        for (std::size_t i = 0; i < 4; ++i) {
            const Vec3& a = face.corners[i].vertex;
            const Vec3& b = face.corners[(i + 1) % 4].vertex;
            const Vec3& c = face.corners[(i + 2) % 4].vertex;
            EXPECT_GT(dot(cross(minus(b, a), minus(c, b)), face.normal), 0) << "corner " << i;
            EXPECT_DOUBLE_EQ(dot(a, face.normal), h);
            EXPECT_DOUBLE_EQ(std::sqrt(dot(minus(b, a), minus(b, a))), 2 * h);
            texture.insert({face.corners[i].texture.s, face.corners[i].texture.t});
            ++cornerUses[{a.x, a.y, a.z}];
        }
        EXPECT_EQ(texture, (std::set<std::pair<double, double>>{{0, 0}, {0, 1}, {1, 0}, {1, 1}}));
    }
    EXPECT_EQ(normals.size(), 6u);
    EXPECT_EQ(cornerUses.size(), 8u);
    EXPECT_TRUE(std::all_of(cornerUses.begin(), cornerUses.end(), [](const auto& use) { return use.second == 3; }));
}

} // namespace
} // namespace orbit

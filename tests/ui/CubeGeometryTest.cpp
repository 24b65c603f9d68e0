// The cube's faces: each quad is planar, perpendicular to its normal, lies on
// the side its normal points to, winds counter-clockwise seen from outside
// (so back-face culling keeps the outer side), and maps the whole texture.
#include "ui/CubeGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <tuple>

namespace orbit {
namespace {

using cube::Vec3;

Vec3 minus(const Vec3& a, const Vec3& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 cross(const Vec3& a, const Vec3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double dot(const Vec3& a, const Vec3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

class CubeFace : public ::testing::TestWithParam<int> {};

TEST_P(CubeFace, IsAnOutwardCounterClockwiseSquareWithTheWholeTexture)
{
    const cube::Face& face = cube::faces[static_cast<std::size_t>(GetParam())];
    const double h = cube::halfEdge;
    for (std::size_t i = 0; i < 4; ++i) {
        const Vec3& a = face.corners[i].vertex;
        const Vec3& b = face.corners[(i + 1) % 4].vertex;
        const Vec3& c = face.corners[(i + 2) % 4].vertex;
        // Every turn is counter-clockwise about the outward normal.
        EXPECT_GT(dot(cross(minus(b, a), minus(c, b)), face.normal), 0) << "corner " << i;
        // On the face's plane, at distance h along the normal.
        EXPECT_DOUBLE_EQ(dot(a, face.normal), h);
        // Edges have the cube's full length.
        const Vec3 edge = minus(b, a);
        EXPECT_DOUBLE_EQ(std::sqrt(dot(edge, edge)), 2 * h);
    }
    std::set<std::pair<double, double>> texture;
    for (const cube::Corner& corner : face.corners)
        texture.insert({corner.texture.s, corner.texture.t});
    EXPECT_EQ(texture, (std::set<std::pair<double, double>>{{0, 0}, {0, 1}, {1, 0}, {1, 1}}));
}

INSTANTIATE_TEST_SUITE_P(AllSix, CubeFace, ::testing::Range(0, 6));

TEST(CubeGeometry, SixDistinctNormalsCoverEveryCornerThreeTimes)
{
    std::set<std::tuple<double, double, double>> normals;
    std::map<std::tuple<double, double, double>, int> cornerUses;
    for (const cube::Face& face : cube::faces) {
        normals.insert({face.normal.x, face.normal.y, face.normal.z});
        for (const cube::Corner& corner : face.corners)
            ++cornerUses[{corner.vertex.x, corner.vertex.y, corner.vertex.z}];
    }
    EXPECT_EQ(normals.size(), 6u);
    EXPECT_EQ(cornerUses.size(), 8u);
    for (const auto& [corner, uses] : cornerUses)
        EXPECT_EQ(uses, 3);
}

TEST(CubeGeometry, HalfEdgeIsTheSinglePrecisionPointEight)
{
    EXPECT_DOUBLE_EQ(cube::halfEdge, 0.800000011920929);
    EXPECT_NE(cube::halfEdge, 0.8);
}

} // namespace
} // namespace orbit

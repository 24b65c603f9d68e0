// Assembly from parsed records to faces, materials and smoothed normals,
// without GL. Expected values come from the geometry of each hand-made model
// (plane normals, corner angles, how many planes meet at a cube corner), not
// from running the code.
#include "ThreeDsWriter.h"
#include "model3ds/ByteStream.h"
#include "model3ds/ModelAssembly.h"
#include "model3ds/SceneReader.h"
#include "tests/support/TestDoubles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace orbit {
namespace {

using namespace orbit::test;
using Vec = std::array<double, 3>;

struct Built {
    Built(int creaseAngleDeg, bool forceTwoSided) : assembly(creaseAngleDeg, forceTwoSided) {}
    ParsedScene scene;
    ModelAssembly assembly;
    std::string diagnostics;
};

std::unique_ptr<Built> build(const std::vector<std::uint8_t>& bytes, bool forceTwoSided, int creaseAngleDeg = 90)
{
    auto built = std::make_unique<Built>(creaseAngleDeg, forceTwoSided);
    RecordingSink sink;
    ByteStream stream(bytes);
    SceneReader reader(stream, built->scene, sink);
    EXPECT_TRUE(reader.parseStream());
    built->assembly.assemble(built->scene, sink);
    built->diagnostics = sink.recorded;
    return built;
}

std::array<float, 3> normalOf(const ModelVertex& v) { return {v.nx, v.ny, v.nz}; }
std::array<float, 3> normalOf(const ModelFace& f) { return {f.nx, f.ny, f.nz}; }

void expectNear(const std::array<float, 3>& actual, const Vec& expected)
{
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(actual[k], expected[k], 1e-6) << "component " << k;
}

Vec unit(const Vec& v)
{
    const double length = std::hypot(v[0], v[1], v[2]);
    return {v[0] / length, v[1] / length, v[2] / length};
}

const std::vector<Point3> triangle{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};

TEST(ModelAssembly, MaterialsFollowTheWhiteDefaultWithTheOpacityAsAlpha)
{
    const auto built = build(sceneFile({
                                 material({
                                     named(0xA000, "Paint"),
                                     node(0xA010, {leaf(0x0011, {255, 91, 1})}), // bytes are fractions of 256
                                     colour(0xA020, 0.4f, 0.5f, 0.6f),
                                     // A float colour, a gamma-corrected one (skipped), then bytes: the last read wins.
                                     node(0xA030, {floats(0x0010, {1, 1, 1}), leaf(0x0013, {1}), leaf(0x0011, {128, 0, 64})}),
                                 }),
                                 material({named(0xA000, "Half"), node(0xA050, {leaf(0x0030, {50, 0})}), leaf(0xA081)}),
                                 material({named(0xA000, "Negative"), node(0xA050, {leaf(0x0030, {0xEC, 0xFF})})}),
                                 material({named(0xA000, "NoPercent"), node(0xA050, {leaf(0x0031, {0, 0, 0, 0})})}),
                                 meshObject("A", triangle, {{0, 1, 2, 0}}, ""),
                                 meshObject("B", triangle, {{0, 1, 2, 0}}, "Half"),
                             }),
                             false);
    const auto& m = built->assembly.materials();
    ASSERT_EQ(m.size(), 5u);
    EXPECT_EQ(m[0].name, "WG_DEFAULT");
    for (const Rgba& colour : {m[0].ambient, m[0].diffuse, m[0].specular})
        EXPECT_EQ(colour, (Rgba{1, 1, 1, 1}));
    // No transparency chunk: alpha 0. A percentage gives its fraction; none or a negative one 1.
    EXPECT_EQ(m[1].ambient, (Rgba{255.0f / 256, 91.0f / 256, 1.0f / 256, 0}));
    EXPECT_EQ(m[1].diffuse, (Rgba{0.4f, 0.5f, 0.6f, 0}));
    EXPECT_EQ(m[1].specular, (Rgba{0.5f, 0, 0.25f, 0}));
    EXPECT_EQ(m[2].diffuse, (Rgba{0, 0, 0, 0.5f}));
    EXPECT_EQ(m[3].specular, (Rgba{0, 0, 0, 1}));
    EXPECT_EQ(m[4].ambient, (Rgba{0, 0, 0, 1}));
    EXPECT_EQ((std::array<float, 3>{m[0].opacity, m[1].opacity, m[2].opacity}), (std::array<float, 3>{0, 0, 0.5f}));
    // Two-sided materials hold each triangle and its reversed twin.
    EXPECT_EQ((std::array<int, 3>{m[0].twoSided, m[1].twoSided, m[2].twoSided}), (std::array<int, 3>{1, 0, 1}));
    EXPECT_EQ((std::array<std::size_t, 3>{m[0].faces.size(), m[1].faces.size(), m[2].faces.size()}),
              (std::array<std::size_t, 3>{2, 0, 2}));
}

TEST(ModelAssembly, FacesTakeTheCornersInTheOrderAcbAndSplitOffCopiesKeepTheirTextureCoordinates)
{
    Chunk mesh = namedObject("T", {triMesh({pointArray(triangle), texCoords({{0.25f, 0.75f}, {0.5f, 1.5f}}),
                                            faceArray({{0, 1, 2, 0}, {0, 1, 2, 7}}, {materialGroup("M", {0, 1})})})});
    const auto built = build(sceneFile({simpleMaterial("M", 1, 1, 1), mesh}), false);
    const auto& faces = built->assembly.materials()[0].faces;
    const auto& v = built->assembly.vertices();
    ASSERT_EQ(faces.size(), 2u);
    // Stored (0, 1, 2) is drawn (0, 2, 1): clockwise seen from +z, so its
    // normal points down. Flag 7 was swapped on reading: drawn in file order.
    EXPECT_EQ((std::array<int, 3>{faces[0].i0, faces[0].i1, faces[0].i2}), (std::array<int, 3>{0, 2, 1}));
    expectNear(normalOf(faces[0]), {0, 0, -1});
    expectNear(normalOf(faces[1]), {0, 0, 1});
    // The second face points the other way: its corners moved to copies 3, 4
    // and 5 of the points. A point without texture coordinates gets (0, 0).
    ASSERT_EQ(v.size(), 6u);
    EXPECT_EQ((std::array<int, 3>{faces[1].i0, faces[1].i1, faces[1].i2}), (std::array<int, 3>{3, 4, 5}));
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ((std::array<float, 4>{v[i + 3].x, v[i + 3].y, v[i + 3].u, v[i + 3].v}),
                  (std::array<float, 4>{v[i].x, v[i].y, v[i].u, v[i].v}));
    }
    EXPECT_EQ((std::array<float, 6>{v[0].u, v[0].v, v[1].u, v[1].v, v[2].u, v[2].v}),
              (std::array<float, 6>{0.25f, 0.75f, 0.5f, 1.5f, 0, 0}));
}

TEST(ModelAssembly, FacesThatCannotBeDrawnAreDroppedAndUnknownOnesReported)
{
    // Face 1 has two corners at the same position, face 2 is a line; face 3
    // and group entries 7 and 0x8000 point beyond the mesh.
    const std::vector<Point3> points{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0}, {2, 0, 0}};
    const std::vector<Face3> faces{{0, 1, 2, 0}, {0, 3, 1, 0}, {0, 1, 4, 0}, {0, 1, 9, 0}};
    const Chunk mesh = namedObject(
        "Bad", {triMesh({pointArray(points), faceArray(faces, {materialGroup("M", {0, 1, 2, 3, 7, 0x8000}),
                                                                materialGroup("Unknown", {0, 0})})})});
    const auto built = build(sceneFile({simpleMaterial("M", 1, 1, 1), mesh}), false);
    EXPECT_EQ(built->assembly.faceCount(), 1u);
    EXPECT_EQ(built->diagnostics, "Parse Error: Can't find material Unknown\n"
                                  "Parse Error: Can't find material Unknown\n"
                                  "Mesh \"Bad\": 3 faces dropped, their indices beyond the mesh's 4 faces or 5 points\n");
    // Vertices no face uses keep a zero normal.
    for (const std::size_t unused : {3, 4})
        expectNear(normalOf(built->assembly.vertices()[unused]), {0, 0, 0});
    RecordingSink sink;
    EXPECT_EQ(built->assembly.findMaterial("m", sink), -1); // names are case-sensitive
    EXPECT_EQ(sink.recorded, "Parse Error: Can't find material m\n");
}

struct NormalCase {
    const char* name;
    std::vector<Point3> points;
    std::vector<Face3> faces; // stored order: each face is drawn (a, c, b)
    int creaseAngle;
    bool twoSided;
    std::size_t vertexCount;
    std::vector<std::pair<std::size_t, Vec>> normals; // of some vertices
};

std::vector<NormalCase> normalCases()
{
    const double s = std::sqrt(0.5);
    const auto f = static_cast<float>(s);
    return {
        // Face A lies in z = 0 with a right angle at the origin; face B is
        // tilted 45 degrees about the x axis with a 45-degree angle there.
        // Within the crease, they are smoothed with weights pi - pi/2 and
        // pi - pi/4, in the ratio 2:3.
        {"corner weight is pi minus the interior angle", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, f, f}},
         {{0, 2, 1, 0}, {0, 3, 1, 0}}, 90, false, 4, {{0, unit({0, -3 * s, 2 + 3 * s})}}},
        // A tent of two faces 90 degrees apart, meeting only at the origin,
        // which is the second corner of face B: that corner alone moves to a copy.
        {"a crease at one corner", {{0, 0, 0}, {1, 0, 0}, {0, 1, -1}, {0, -1, -1}, {1, -1, -1}},
         {{0, 2, 1, 0}, {4, 3, 0, 0}}, 90, false, 6, {{0, {0, s, s}}, {4, {0, -s, s}}, {5, {0, -s, s}}}},
        // At 180 degrees the cosine is exactly -1: a reversed twin is not
        // above it, so every corner splits off its back.
        {"twin at 180 degrees", triangle, {{0, 1, 2, 0}}, 180, true, 6, {{0, {0, 0, -1}}, {3, {0, 0, 1}}}},
        // A sliver whose corner at vertex 2 is flat: that corner weighs
        // nothing, on the front and on its twin's copy, and gives no direction.
        {"flat corner", {{-1, 0, 0}, {1, 0, 0}, {0, 1e-10f, 0}}, {{0, 2, 1, 0}}, 90, true, 6,
         {{0, {0, 0, 1}}, {2, {0, 0, 0}}, {3, {0, 0, -1}}, {4, {0, 0, -1}}, {5, {0, 0, 0}}}},
    };
}

TEST(ModelAssembly, VertexNormalsWeighCornersAndSplitAtTheCrease)
{
    for (const NormalCase& c : normalCases()) {
        SCOPED_TRACE(c.name);
        const auto built = build(sceneFile({simpleMaterial("M", 1, 1, 1), meshObject("S", c.points, c.faces, "M")}),
                                 c.twoSided, c.creaseAngle);
        const auto& v = built->assembly.vertices();
        ASSERT_EQ(v.size(), c.vertexCount);
        for (const auto& [vertex, normal] : c.normals)
            expectNear(normalOf(v[vertex]), normal);
    }
}

TEST(ModelAssembly, TextureFileKindGoesByTheLastThreeLettersInAnyCase)
{
    const std::pair<const char*, TextureFileKind> cases[] = {
        {"x.bMp", TextureFileKind::Bmp}, {"atga", TextureFileKind::Tga},  {"PHOTO.JPG", TextureFileKind::None},
        {"mp", TextureFileKind::None},   {"bmp.png", TextureFileKind::None},
    };
    for (const auto& [name, kind] : cases)
        EXPECT_EQ(textureFileKind(name), kind) << name;
}

} // namespace
} // namespace orbit

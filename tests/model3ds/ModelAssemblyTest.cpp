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
#include <map>
#include <memory>
#include <set>

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

std::unique_ptr<Built> buildMesh(const std::vector<Point3>& points, const std::vector<Face3>& faces, bool twoSided,
                                 int creaseAngleDeg = 90)
{
    return build(sceneFile({simpleMaterial("M", 1, 1, 1), meshObject("S", points, faces, "M")}), twoSided,
                 creaseAngleDeg);
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
                                 material({named(0xA000, "Half"), transparency(50), leaf(0xA081)}),
                                 material({named(0xA000, "Negative"), transparency(-20)}),
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

TEST(ModelAssembly, FacesTakeCornersInTheOrderAcbOnPointsOffsetByEarlierMeshes)
{
    Chunk textured = namedObject("T", {triMesh({pointArray(triangle), texCoords({{0.25f, 0.75f}, {0.5f, 1.5f}}),
                                                faceArray({{0, 1, 2, 0}, {0, 1, 2, 7}}, {materialGroup("M", {0, 1})})})});
    const auto built = build(sceneFile({simpleMaterial("M", 1, 1, 1), textured,
                                        meshObject("B", {{5, 0, 0}, {6, 0, 0}, {5, 1, 0}}, {{0, 1, 2, 7}}, "M")}),
                             false);
    const auto& faces = built->assembly.materials()[0].faces;
    const auto& v = built->assembly.vertices();
    ASSERT_EQ(faces.size(), 3u);
    // Stored (0, 1, 2) is drawn (0, 2, 1): clockwise seen from +z, so its
    // normal points down. Flag 7 was swapped on reading: drawn in file order.
    EXPECT_EQ((std::array<int, 3>{faces[0].i0, faces[0].i1, faces[0].i2}), (std::array<int, 3>{0, 2, 1}));
    expectNear(normalOf(faces[0]), {0, 0, -1});
    expectNear(normalOf(faces[1]), {0, 0, 1});
    EXPECT_EQ((std::array<int, 3>{faces[2].i0, faces[2].i1, faces[2].i2}), (std::array<int, 3>{3, 4, 5}));
    EXPECT_EQ(v[3].x, 5.0f);
    // The second face points the other way: its corners were split off onto
    // copies after the six points, which keep position and texture coordinates.
    ASSERT_EQ(v.size(), 9u);
    const auto corner = [&](int i) {
        const ModelVertex& c = v[static_cast<std::size_t>(i)];
        return std::array<float, 4>{c.x, c.y, c.u, c.v};
    };
    EXPECT_EQ(corner(faces[1].i0), (std::array<float, 4>{0, 0, 0.25f, 0.75f}));
    EXPECT_EQ(corner(faces[1].i1), (std::array<float, 4>{1, 0, 0.5f, 1.5f}));
    EXPECT_EQ(corner(faces[1].i2), (std::array<float, 4>{0, 1, 0, 0}));
    EXPECT_GE(faces[1].i0, 6);
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
        const auto built = buildMesh(c.points, c.faces, c.twoSided, c.creaseAngle);
        const auto& v = built->assembly.vertices();
        ASSERT_EQ(v.size(), c.vertexCount);
        for (const auto& [vertex, normal] : c.normals)
            expectNear(normalOf(v[vertex]), normal);
    }
}

TEST(ModelAssembly, CubeCornersSplitOnceWhereThreePlanesMeetAtRightAngles)
{
    for (const bool twoSided : {false, true}) {
        const auto built = buildMesh(cubeCorners(), cubeFaces(), twoSided);
        const ModelAssembly& a = built->assembly;
        ASSERT_EQ(a.vertices().size(), 16u);
        std::map<int, std::set<std::array<float, 3>>> planesAt;
        const auto& faces = a.materials()[0].faces;
        for (const ModelFace& face : faces) {
            for (int corner : {face.i0, face.i1, face.i2})
                planesAt[corner].insert(normalOf(face));
        }
        if (twoSided) {
            // Every face and its reversed twin: each corner splits off its back.
            ASSERT_EQ(faces.size(), 24u);
            for (std::size_t i = 0; i < 24; i += 2)
                expectNear(normalOf(faces[i + 1]), {-faces[i].nx, -faces[i].ny, -faces[i].nz});
            continue;
        }
        // A corner keeps the triangles of one plane and takes its normal; the
        // extra vertex takes the other two planes and one of their normals.
        ASSERT_EQ(faces.size(), 12u);
        for (int v = 0; v < 16; ++v) {
            SCOPED_TRACE(v);
            ASSERT_EQ(planesAt[v].size(), v < 8 ? 1u : 2u);
            EXPECT_TRUE(planesAt[v].contains(normalOf(a.vertices()[static_cast<std::size_t>(v)])));
        }
    }
}

TEST(ModelAssembly, NormalsAreUnitAtAnyCreaseAngle)
{
    for (const int angle : {0, 1, 30, 180, 360}) {
        SCOPED_TRACE(angle);
        const auto built = buildMesh(cubeCorners(), cubeFaces(), false, angle);
        for (const ModelVertex& v : built->assembly.vertices())
            EXPECT_NEAR(std::hypot(v.nx, v.ny, v.nz), 1.0, 1e-5);
        EXPECT_LE(built->assembly.vertices().size(), 16u);
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

TEST(ModelAssembly, BoundsAndSize)
{
    const std::vector<ModelVertex> spread{{0, 0, 0, 0, 0, -1, 0.5f, 2}, {0, 0, 0, 0, 0, 3, 0, 0}, {0, 0, 0, 0, 0, 0, 1, -2}};
    const ModelBounds box = measureBounds(spread);
    EXPECT_EQ((std::array<double, 7>{box.minX, box.maxX, box.minY, box.maxY, box.minZ, box.maxZ, box.size}),
              (std::array<double, 7>{-1, 3, 0, 1, -2, 2, 4}));
    EXPECT_TRUE(std::isinf(measureBounds({}).size));
}

} // namespace
} // namespace orbit

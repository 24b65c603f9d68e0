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

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <numbers>
#include <set>

namespace orbit {
namespace {

using namespace orbit::test;

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

void expectNear(const std::array<float, 3>& actual, const std::array<double, 3>& expected)
{
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(actual[k], expected[k], 1e-6) << "component " << k;
}

const std::vector<Point3> triangle{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};

TEST(ModelAssembly, DefaultMaterialComesFirstWhiteOpaqueAndTwoSided)
{
    const auto built = build(sceneFile({simpleMaterial("Red", 1, 0, 0), meshObject("A", triangle, {{0, 1, 2, 0}}, ""),
                                        meshObject("B", triangle, {{0, 1, 2, 0}}, "Red")}),
                             false);
    const auto& materials = built->assembly.materials();
    ASSERT_EQ(materials.size(), 2u);
    EXPECT_EQ(materials[0].name, "WG_DEFAULT");
    for (const Rgba& colour : {materials[0].ambient, materials[0].diffuse, materials[0].specular})
        EXPECT_EQ(colour, (Rgba{1, 1, 1, 1}));
    EXPECT_EQ(materials[0].opacity, 0.0f);
    EXPECT_EQ(materials[0].twoSided, 1);
    EXPECT_EQ(materials[0].faces.size(), 2u); // the triangle and its reversed twin
    EXPECT_EQ(materials[1].name, "Red");
    EXPECT_EQ(materials[1].faces.size(), 1u);
}

TEST(ModelAssembly, OpacityBecomesTheAlphaOfEveryColour)
{
    const auto built = build(sceneFile({
                                 material({materialName("None"), colourChunk(0xA020, {colourFloat(0.5f, 0.5f, 0.5f)})}),
                                 material({materialName("Zero"), transparency(0)}),
                                 material({materialName("Half"), transparency(50), twoSided()}),
                             }),
                             false);
    const auto& materials = built->assembly.materials();
    ASSERT_EQ(materials.size(), 3u); // every mesh (none) had groups: no default
    const float alphas[] = {0.0f, 1.0f, 0.5f};
    for (std::size_t k = 0; k < 3; ++k) {
        const std::array<float, 4> expected{alphas[k], alphas[k], alphas[k], alphas[k]};
        EXPECT_EQ((std::array<float, 4>{materials[k].ambient[3], materials[k].diffuse[3], materials[k].specular[3],
                                        materials[k].opacity}),
                  expected) << k;
    }
    EXPECT_EQ(materials[0].diffuse[0], 0.5f);
    EXPECT_EQ(materials[1].twoSided, 0);
    EXPECT_EQ(materials[2].twoSided, 1);
}

TEST(ModelAssembly, FacesTakeTheFilesCornersInTheOrderAcb)
{
    // Stored (0, 1, 2) is drawn (0, 2, 1): clockwise seen from +z, so its
    // normal points down. Flag 7 was swapped on reading: drawn in file order.
    const auto built = build(sceneFile({simpleMaterial("M", 1, 1, 1),
                                        meshObject("T", triangle, {{0, 1, 2, 0}, {0, 1, 2, 7}}, "M")}),
                             false);
    const auto& faces = built->assembly.materials()[0].faces;
    const auto& v = built->assembly.vertices();
    ASSERT_EQ(faces.size(), 2u);
    EXPECT_EQ((std::array<int, 3>{faces[0].i0, faces[0].i1, faces[0].i2}), (std::array<int, 3>{0, 2, 1}));
    expectNear(normalOf(faces[0]), {0, 0, -1});
    // The second face points the other way, so its corners were split off
    // onto copies (3, 4, 5) of the points, in the order 0, 1, 2.
    const auto xOf = [&](int i) { return v[static_cast<std::size_t>(i)].x; };
    const auto yOf = [&](int i) { return v[static_cast<std::size_t>(i)].y; };
    EXPECT_EQ((std::array<float, 6>{xOf(faces[1].i0), yOf(faces[1].i0), xOf(faces[1].i1), yOf(faces[1].i1),
                                    xOf(faces[1].i2), yOf(faces[1].i2)}),
              (std::array<float, 6>{0, 0, 1, 0, 0, 1}));
    EXPECT_GE(faces[1].i0, 3);
    expectNear(normalOf(faces[1]), {0, 0, 1});
}

TEST(ModelAssembly, SecondMeshIndicesAreOffsetByTheFirstMeshsPoints)
{
    const auto built = build(sceneFile({simpleMaterial("M", 1, 1, 1), meshObject("A", triangle, {{0, 1, 2, 7}}, "M"),
                                        meshObject("B", {{5, 0, 0}, {6, 0, 0}, {5, 1, 0}}, {{0, 1, 2, 7}}, "M")}),
                             false);
    const auto& faces = built->assembly.materials()[0].faces;
    ASSERT_EQ(faces.size(), 2u);
    EXPECT_EQ((std::array<int, 3>{faces[1].i0, faces[1].i1, faces[1].i2}), (std::array<int, 3>{3, 4, 5}));
    EXPECT_EQ(built->assembly.vertices()[3].x, 5.0f);
}

TEST(ModelAssembly, DegenerateTrianglesAreDroppedEverywhere)
{
    const std::vector<Point3> points{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0}, {2, 0, 0}};
    // Face 1 has two corners at the same position, face 2 is a line.
    const auto built = build(sceneFile({simpleMaterial("M", 1, 1, 1),
                                        meshObject("D", points, {{0, 1, 2, 0}, {0, 3, 1, 0}, {0, 1, 4, 0}}, "M")}),
                             true);
    const auto& faces = built->assembly.materials()[0].faces;
    EXPECT_EQ(faces.size(), 2u); // the good triangle and its twin
    // Unused vertices keep a zero normal.
    for (int vertex : {3, 4}) {
        EXPECT_TRUE(built->assembly.vertexFaces(vertex).empty()) << vertex;
        expectNear(normalOf(built->assembly.vertices()[vertex]), {0, 0, 0});
    }
    EXPECT_EQ(built->diagnostics, "");
}

TEST(ModelAssembly, AFaceOfAnUnknownMaterialIsReportedAndDropped)
{
    const auto built = build(sceneFile({simpleMaterial("Known", 1, 1, 1),
                                        meshObject("U", triangle, {{0, 1, 2, 0}, {0, 2, 1, 0}}, "Unknown"),
                                        meshObject("K", triangle, {{0, 1, 2, 0}}, "Known")}),
                             false);
    EXPECT_EQ(built->diagnostics,
              "Parse Error: Can't find material Unknown\nParse Error: Can't find material Unknown\n");
    ASSERT_EQ(built->assembly.materials().size(), 1u);
    EXPECT_EQ(built->assembly.faceCount(), 1u);
    RecordingSink sink;
    EXPECT_EQ(built->assembly.findMaterial("known", sink), -1); // case-sensitive
    EXPECT_EQ(sink.recorded, "Parse Error: Can't find material known\n");
}

TEST(ModelAssembly, IndicesBeyondTheMeshAreRejectedWithOneLinePerMesh)
{
    const std::vector<Face3> faces{{0, 1, 2, 0}, {0, 1, 3, 0}, {9, 1, 2, 0}};
    Chunk mesh = namedObject(
        "Bad", {triMesh({pointArray(triangle), faceArray(faces, {materialGroup("M", {0, 1, 2, 3, 0x8000})})})});
    const auto built = build(sceneFile({simpleMaterial("M", 1, 1, 1), mesh}), false);
    EXPECT_EQ(built->assembly.faceCount(), 1u);
    EXPECT_EQ(built->diagnostics,
              "Mesh \"Bad\": 4 faces dropped, their indices beyond the mesh's 3 faces or 3 points\n");
}

TEST(ModelAssembly, TextureCoordinatesFollowTheirPointsAndDefaultToZero)
{
    Chunk mesh = namedObject("UV", {triMesh({pointArray(triangle), texCoords({{0.25f, 0.75f}, {0.5f, 1.5f}}),
                                             faceArray({{0, 1, 2, 0}})})});
    const auto built = build(sceneFile({mesh}), false);
    const auto& v = built->assembly.vertices();
    ASSERT_EQ(v.size(), 3u + 3u); // two-sided default material splits all three
    EXPECT_EQ(v[0].u, 0.25f);
    EXPECT_EQ(v[1].v, 1.5f);
    EXPECT_EQ(v[2].u, 0.0f);
    EXPECT_EQ(v[2].v, 0.0f);
    // Split-off copies keep position and texture coordinates.
    for (std::size_t i = 3; i < v.size(); ++i)
        EXPECT_TRUE(std::ranges::any_of(v.begin(), v.begin() + 3, [&](const ModelVertex& o) {
            return o.x == v[i].x && o.y == v[i].y && o.u == v[i].u && o.v == v[i].v;
        })) << i;
}

TEST(ModelAssembly, CornerWeightIsPiMinusTheInteriorAngle)
{
    // Two faces share vertex 0 at the origin. Face A lies in z = 0 with a
    // right angle at the origin; face B is tilted 45 degrees about the x axis
    // with a 45-degree angle there. Their normals are 45 degrees apart, so
    // they are smoothed together with weights pi/2 and 3pi/4.
    const float s = static_cast<float>(std::sqrt(0.5));
    const std::vector<Point3> points{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, s, s}};
    // Drawn (0, 1, 2) and (0, 1, 3): stored with the last two swapped.
    const auto built = build(sceneFile({simpleMaterial("M", 1, 1, 1),
                                        meshObject("W", points, {{0, 2, 1, 0}, {0, 3, 1, 0}}, "M")}),
                             false);
    const auto& faces = built->assembly.materials()[0].faces;
    ASSERT_EQ(faces.size(), 2u);
    expectNear(normalOf(faces[0]), {0, 0, 1});
    expectNear(normalOf(faces[1]), {0, -s, s});
    const double pi = std::numbers::pi;
    const double wA = pi - pi / 2, wB = pi - pi / 4;
    std::array<double, 3> expected{0, wB * -s, wA + wB * s};
    const double length = std::hypot(expected[0], expected[1], expected[2]);
    for (double& c : expected)
        c /= length;
    ASSERT_EQ(built->assembly.vertices().size(), 4u); // 45 degrees apart: no crease
    expectNear(normalOf(built->assembly.vertices()[0]), expected);
}

TEST(ModelAssembly, CubeCornersSplitOnceWhereThreePlanesMeetAtRightAngles)
{
    const auto built = build(sceneFile({simpleMaterial("M", 1, 1, 1), meshObject("Cube", cubeCorners(), cubeFaces(), "M")}),
                             false);
    const ModelAssembly& a = built->assembly;
    ASSERT_EQ(a.faceCount(), 12u);
    ASSERT_EQ(a.vertices().size(), 16u); // each of the 8 corners gains one vertex
    std::map<int, std::set<std::array<float, 3>>> planesAt;
    for (const ModelFace& f : a.materials()[0].faces)
        for (int corner : {f.i0, f.i1, f.i2})
            planesAt[corner].insert(normalOf(f));
    // A corner keeps the triangles of one plane and takes its normal; the
    // extra vertex takes the other two planes and one of their normals.
    for (int v = 0; v < 16; ++v) {
        SCOPED_TRACE(v);
        ASSERT_EQ(planesAt[v].size(), v < 8 ? 1u : 2u);
        EXPECT_TRUE(planesAt[v].contains(normalOf(a.vertices()[static_cast<std::size_t>(v)])));
    }
}

TEST(ModelAssembly, ForcedTwoSidedDoublesTheFacesAndSplitsEveryUsedVertexOnce)
{
    struct Case {
        const char* name;
        std::vector<Point3> points;
        std::vector<Face3> faces;
        std::size_t usedVertices;
    };
    const std::vector<Point3> strip{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0.2f}, {2, 0, 0}, {9, 9, 9}};
    const Case cases[] = {
        {"strip with an unused point", strip, {{0, 2, 1, 0}, {1, 2, 3, 0}, {1, 3, 4, 0}}, 5},
        {"cube", cubeCorners(), cubeFaces(), 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto built = build(sceneFile({simpleMaterial("M", 1, 1, 1), meshObject("S", c.points, c.faces, "M")}), true);
        EXPECT_EQ(built->assembly.faceCount(), 2 * c.faces.size());
        EXPECT_EQ(built->assembly.vertices().size(), c.points.size() + c.usedVertices);
        // Reversed twins: every back face's normal is the opposite of its front's.
        const auto& faces = built->assembly.materials()[0].faces;
        for (std::size_t i = 0; i + 1 < faces.size(); i += 2)
            expectNear(normalOf(faces[i + 1]), {-faces[i].nx, -faces[i].ny, -faces[i].nz});
    }
}

TEST(ModelAssembly, SmoothingNeedsADotProductAboveTheCreaseCosine)
{
    // At 180 degrees the cosine is exactly -1: a reversed twin (dot product
    // exactly -1) is still not above it, so every corner splits off its back.
    const auto built = build(sceneFile({simpleMaterial("M", 1, 1, 1), meshObject("T", triangle, {{0, 1, 2, 0}}, "M")}),
                             true, 180);
    EXPECT_EQ(built->assembly.vertices().size(), 6u);
    expectNear(normalOf(built->assembly.vertices()[0]), {0, 0, -1});
    expectNear(normalOf(built->assembly.vertices()[3]), {0, 0, 1});
}

TEST(ModelAssembly, NormalsAreUnitOrZeroAndSmallCreaseAnglesStillFinish)
{
    for (const int angle : {0, 1, 30, 90, 180, 360}) {
        SCOPED_TRACE(angle);
        const auto built = build(sceneFile({simpleMaterial("M", 1, 1, 1), meshObject("Cube", cubeCorners(), cubeFaces(), "M")}),
                                 false, angle);
        for (const ModelVertex& v : built->assembly.vertices())
            EXPECT_NEAR(std::hypot(v.nx, v.ny, v.nz), 1.0, 1e-5);
        EXPECT_LE(built->assembly.vertices().size(), 16u);
    }
}

TEST(ModelAssembly, TextureFileKindGoesByTheLastThreeLettersInAnyCase)
{
    const std::pair<const char*, TextureFileKind> cases[] = {
        {"x.bMp", TextureFileKind::Bmp},      {"bmp", TextureFileKind::Bmp},    {"skin.Tga", TextureFileKind::Tga},
        {"atga", TextureFileKind::Tga},       {"PHOTO.JPG", TextureFileKind::None}, {"mp", TextureFileKind::None},
        {"bmp.png", TextureFileKind::None},
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
    const ModelBounds empty = measureBounds({});
    EXPECT_TRUE(std::isinf(empty.size) && empty.size < 0);
    EXPECT_EQ(empty.minX, std::numeric_limits<double>::max());
}

} // namespace
} // namespace orbit

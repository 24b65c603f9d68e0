// From bytes to a model without GL: the chunk reader against hand-made files,
// well-formed and damaged; assembly into materials, faces and normals; the
// loaders (what the user is told, the diagnostics, the scale) and the file
// stream's 1 MiB window.
#include "ThreeDsWriter.h"
#include "model3ds/ByteStream.h"
#include "model3ds/ModelAssembly.h"
#include "model3ds/SceneLoading.h"
#include "model3ds/SceneReader.h"
#include "platform/MemoryResources.h"
#include "tests/support/TestDoubles.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string>

namespace orbit {
namespace {

using namespace orbit::test;

struct Parsed {
    ParsedScene scene;
    std::string diagnostics;
};

Parsed parse(const std::vector<std::uint8_t>& bytes)
{
    Parsed result;
    RecordingSink sink;
    ByteStream stream(bytes);
    // Damage is read around; files that are not 3DS at all: the loading table.
    EXPECT_TRUE(SceneReader(stream, result.scene, sink).parseStream());
    result.diagnostics = sink.recorded;
    return result;
}

// One line per material (name, texture map) and per mesh (name, point count,
// faces as corner triples, material groups, texture coordinates, matrix).
std::string summary(const ParsedScene& scene)
{
    std::ostringstream text;
    for (const ParsedMaterial& m : scene.materials)
        text << "material " << m.name << (m.textureMap.empty() ? "" : " map ") << m.textureMap << "\n";
    for (const ParsedMesh& mesh : scene.meshes) {
        text << "mesh " << mesh.name << ": " << mesh.points.size() << " points, faces";
        for (const ParsedFace& f : mesh.faces)
            text << " " << f.a << f.b << f.c;
        for (const ParsedMaterialGroup& group : mesh.materialGroups) {
            text << ", " << group.materialName;
            for (const std::uint16_t face : group.faceIndices)
                text << " " << face;
        }
        text << ", " << mesh.texCoords.size() << " uv" << (mesh.hasMatrix ? ", matrix" : "") << "\n";
    }
    return text.str();
}

const std::vector<Point3> triangle{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};

struct ReadCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::string diagnostics;
    std::string read; // summary() of the scene
};

std::vector<ReadCase> readCases()
{
    Chunk specularMap = textureMap("SHINE.TGA");
    specularMap.id = 0xA204;
    const std::vector<std::uint8_t> wellFormed = sceneFile({
        leaf(0x0100, {0, 0, 0x80, 0x3F}),
        material("ABCDEFGHIJKLMNOP", {leaf(0xA040), textureMap("Skin.tga")}),
        // A map name outside the texture map is not the texture.
        material("Other", {specularMap, leaf(0xA300, {'X', 0})}),
        namedObject("Lamp", {leaf(0x4600, std::vector<std::uint8_t>(12, 0))}),
        namedObject("Twins", {
            triMesh({
                pointArray({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}),
                // Only the flag word 7 swaps the last two corners. The face
                // list's sub-chunks are read at the mesh level.
                faceArray({{0, 1, 2, 0}, {1, 3, 2, 7}, {1, 3, 2, 15}, {1, 3, 2, 0x8007}},
                          {materialGroup("Other", {1, 2}), leaf(0x4150, std::vector<std::uint8_t>(16, 0xFF)),
                           materialGroup("ABCDEFGHIJKLMNOP", {0})}),
                texCoords({{0, 0}, {1, 0}, {0.25f, 1}}),
                floats(0x4160, {1, 0, 0, 0, 1, 0, 0, 0, 1, 7, 8, 9}),
                leaf(0x9999, {1, 2, 3, 4}),
            }),
            // Without a material group: the default group of all its faces.
            triMesh({pointArray({{5, 5, 5}}), faceArray({{0, 0, 0, 0}})}),
        }),
    });
    // The first damaged chunk sits at offset 22 (main, version and editor
    // headers), or at 39 after this 17-byte material.
    const Chunk kept = material("Kept");
    Chunk shortChunk = leaf(0x1234, {1, 2, 3});
    shortChunk.forcedLength = 5;
    Chunk overlong = material("Long");
    overlong.forcedLength = 100000;
    Chunk points = pointArray(triangle);
    points.payload[0] = 200; // 200 points announced, 3 present
    std::vector<std::uint8_t> mainTooLong = sceneFile({kept});
    mainTooLong[2] = mainTooLong[3] = mainTooLong[4] = 0xFF;
    return {
        {"well-formed", wellFormed, "",
         "material ABCDEFGHIJKLMNOP map Skin.tga\nmaterial Other\n"
         "mesh Twins: 4 points, faces 012 123 132 132, Other 1 2, ABCDEFGHIJKLMNOP 0, 3 uv, matrix\n"
         "mesh Twins: 1 points, faces 000, WG_DEFAULT 0, 0 uv\n"},
        {"length below 6", sceneFile({kept, shortChunk, kept}),
         "Chunk 0x1234 at offset 39 has length 5, below its header's 6 bytes; "
         "skipping the rest of its parent\n",
         "material Kept\n"},
        {"child past its parent", sceneFile({kept, overlong}),
         "Chunk 0xAFFF at offset 39 reaches past its parent's end; reading what is inside\n",
         "material Kept\nmaterial Long\n"},
        {"main chunk past the file", mainTooLong,
         "Chunk 0x4D4D at offset 0 reaches past the end of the file; reading what is there\n",
         "material Kept\n"},
        {"header cut off", sceneFile({Chunk{0xAFFF, {1, 2, 3}, {}, {}}}),
         "Chunk header at offset 28 is cut off\n", "material \n"},
        {"count beyond its chunk", sceneFile({kept, namedObject("M", {triMesh({points})})}),
         "Chunk 0x4110 at offset 53 holds 3 of its 200 entries\n",
         "material Kept\nmesh M: 3 points, faces, WG_DEFAULT, 0 uv\n"},
        // What follows a long name is still read as it should be.
        {"long name", sceneFile({material("abcdefghijklmnopq", {textureMap("HULL.BMP")})}),
         "Name longer than 16 characters cut to \"abcdefghijklmnop\"\n",
         "material abcdefghijklmnop map HULL.BMP\n"},
        {"matrix too short", sceneFile({namedObject("M", {triMesh({floats(0x4160, {1, 2, 3})})})}),
         "Chunk 0x4160 at offset 36 is too short for a matrix\n",
         "mesh M: 0 points, faces, WG_DEFAULT, 0 uv\n"},
    };
}

TEST(SceneReader, ReadsWhatTheFileHoldsAndStopsCleanlyAtDamageWithItsDiagnostic)
{
    for (const ReadCase& c : readCases()) {
        SCOPED_TRACE(c.name);
        const Parsed result = parse(c.bytes);
        EXPECT_EQ(result.diagnostics, c.diagnostics);
        EXPECT_EQ(summary(result.scene), c.read);
    }
}

// Parses the bytes and assembles what was read; diagnostics of both steps.
struct Built {
    Parsed parsed;
    ModelAssembly assembly;
    std::string diagnostics;
};

Built build(const std::vector<std::uint8_t>& bytes, bool forceTwoSided, int creaseAngleDeg = 90)
{
    Built built{parse(bytes), ModelAssembly(creaseAngleDeg, forceTwoSided), ""};
    RecordingSink sink;
    built.assembly.assemble(built.parsed.scene, sink);
    built.diagnostics = built.parsed.diagnostics + sink.recorded;
    return built;
}

std::array<float, 3> normalOf(const ModelVertex& v) { return {v.nx, v.ny, v.nz}; }

TEST(ModelAssembly, MaterialsFollowTheWhiteDefaultFacesTurnAcbAndThoseThatCannotBeDrawnAreDropped)
{
    // Face 1 has two corners at the same position, face 2 is a line; face 3
    // and group entries 7 and 0x8000 point beyond the mesh. Material names
    // are case-sensitive: "paint" is unknown, once per face.
    const std::vector<Point3> points{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0}, {2, 0, 0}};
    const std::vector<Face3> faces{{0, 1, 2, 0}, {0, 3, 1, 0}, {0, 1, 4, 0}, {0, 1, 9, 0}};
    const Chunk groups = faceArray(faces, {materialGroup("Paint", {0, 1, 2, 3, 7, 0x8000}),
                                           materialGroup("paint", {0, 0})});
    const Built built = build(sceneFile({
        material("Paint", {
            node(0xA010, {leaf(0x0011, {255, 91, 1})}), // bytes are fractions of 256
            colour(0xA020, 0.4f, 0.5f, 0.6f),
            // A float colour, a gamma-corrected one (skipped), then bytes: the last read wins.
            node(0xA030, {floats(0x0010, {1, 1, 1}), leaf(0x0013, {1}), leaf(0x0011, {128, 0, 64})}),
        }),
        material("Half", {node(0xA050, {leaf(0x0030, {50, 0})}), leaf(0xA081)}),
        material("Negative", {node(0xA050, {leaf(0x0030, {0xEC, 0xFF})})}),
        namedObject("Bad", {triMesh({pointArray(points), groups})}),
        meshObject("A", triangle, {{0, 1, 2, 0}}, ""),
        namedObject("B", {triMesh({pointArray(triangle), texCoords({{0.25f, 0.75f}}),
                                   faceArray({{0, 1, 2, 0}}, {materialGroup("Half", {0})})})}),
    }), false);
    EXPECT_EQ(built.diagnostics,
              "Parse Error: Can't find material paint\n"
              "Parse Error: Can't find material paint\n"
              "Mesh \"Bad\": 3 faces dropped, their indices beyond the mesh's 4 faces or 5 points\n");
    const auto& m = built.assembly.materials();
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(m[0].name, "WG_DEFAULT");
    for (const Rgba& colour : {m[0].ambient, m[0].diffuse, m[0].specular})
        EXPECT_EQ(colour, (Rgba{1, 1, 1, 1}));
    // No transparency chunk: alpha 0. A percentage gives its fraction; a negative one 1.
    EXPECT_EQ(m[1].ambient, (Rgba{255.0f / 256, 91.0f / 256, 1.0f / 256, 0}));
    EXPECT_EQ(m[1].diffuse, (Rgba{0.4f, 0.5f, 0.6f, 0}));
    EXPECT_EQ(m[1].specular, (Rgba{0.5f, 0, 0.25f, 0}));
    EXPECT_EQ(m[2].diffuse, (Rgba{0, 0, 0, 0.5f}));
    EXPECT_EQ(m[3].specular, (Rgba{0, 0, 0, 1}));
    // Two-sided materials hold each triangle and its reversed twin.
    EXPECT_EQ((std::array{m[0].twoSided, m[1].twoSided, m[2].twoSided}), (std::array{1, 0, 1}));
    EXPECT_EQ((std::array{m[0].faces.size(), m[1].faces.size(), m[2].faces.size()}),
              (std::array<std::size_t, 3>{2, 1, 2}));
    EXPECT_EQ(built.assembly.faceCount(), 5u); // the inspect tool prints it
    // Faces take the corners in the order a, c, b. B's points are vertices 8
    // to 10; its reversed twin moves them to copies 14 to 16 (after A's),
    // which keep their position and texture coordinates. A point without
    // texture coordinates gets (0, 0).
    const auto& f = m[2].faces;
    EXPECT_EQ((std::array{f[0].i0, f[0].i1, f[0].i2, f[1].i0, f[1].i1, f[1].i2}),
              (std::array{8, 10, 9, 14, 15, 16}));
    const auto& v = built.assembly.vertices();
    ASSERT_EQ(v.size(), 17u);
    const auto xyuv = [&v](std::size_t i) { return std::array{v[i].x, v[i].y, v[i].u, v[i].v}; };
    const std::array<float, 4> first{0, 0, 0.25f, 0.75f}, second{1, 0, 0, 0};
    EXPECT_EQ((std::array{xyuv(8), xyuv(9), xyuv(14), xyuv(15)}), (std::array{first, second, first, second}));
}

struct NormalCase {
    const char* name;
    std::vector<Point3> points;
    std::vector<Face3> faces; // stored order: each face is drawn (a, c, b)
    int creaseAngle;
    bool twoSided;
    std::size_t vertexCount;
    std::vector<std::pair<std::size_t, std::array<double, 3>>> normals; // of some vertices
};

std::vector<NormalCase> normalCases()
{
    const double s = std::sqrt(0.5);
    const auto f = static_cast<float>(s);
    const double weighted = std::hypot(3 * s, 2 + 3 * s);
    return {
        // At the origin: a right angle in z = 0 and 45 degrees in a face tilted 45 degrees.
        {"corner weight is pi minus the interior angle", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, f, f}},
         {{0, 2, 1, 0}, {0, 3, 1, 0}}, 90, false, 4, {{0, {0, -3 * s / weighted, (2 + 3 * s) / weighted}}}},
        // Two faces 90 degrees apart meet only at the origin: that corner alone moves to a copy.
        {"a crease at one corner", {{0, 0, 0}, {1, 0, 0}, {0, 1, -1}, {0, -1, -1}, {1, -1, -1}},
         {{0, 2, 1, 0}, {4, 3, 0, 0}}, 90, false, 6, {{0, {0, s, s}}, {4, {0, -s, s}}, {5, {0, -s, s}}}},
        // At 180 degrees (cosine -1) a reversed twin still splits off.
        {"twin at 180 degrees", triangle, {{0, 1, 2, 0}}, 180, true, 6, {{0, {0, 0, -1}}, {3, {0, 0, 1}}}},
        // A flat corner (vertex 2) weighs nothing, front and back.
        {"flat corner", {{-1, 0, 0}, {1, 0, 0}, {0, 1e-10f, 0}}, {{0, 2, 1, 0}}, 90, true, 6,
         {{0, {0, 0, 1}}, {2, {0, 0, 0}}, {3, {0, 0, -1}}, {4, {0, 0, -1}}, {5, {0, 0, 0}}}},
    };
}

TEST(ModelAssembly, VertexNormalsWeighCornersAndSplitAtTheCrease)
{
    for (const NormalCase& c : normalCases()) {
        SCOPED_TRACE(c.name);
        const Chunk mesh = meshObject("S", c.points, c.faces, "M");
        const Built built = build(sceneFile({simpleMaterial("M", 1, 1, 1), mesh}), c.twoSided, c.creaseAngle);
        const auto& v = built.assembly.vertices();
        ASSERT_EQ(v.size(), c.vertexCount);
        for (const auto& [vertex, normal] : c.normals) {
            for (int k = 0; k < 3; ++k)
                EXPECT_NEAR(normalOf(v[vertex])[k], normal[k], 1e-6) << "vertex " << vertex << ", axis " << k;
        }
    }
}

std::vector<std::uint8_t> spanFile(float extent)
{
    return sceneFile({meshObject("S", {{0, 0, 0}, {extent, 0, 0}, {0, extent / 2, 0}}, {{0, 1, 2, 0}}, "")});
}

TEST(SceneLoading, FilesAndTheBuiltInSceneLoadOrTellTheUserWhichSourceFailed)
{
    ScratchDir dir("model3ds-load");
    const std::string ship = (dir.path() / "ship.3ds").string();
    writeFileBytes(ship, spanFile(400));
    const std::string notModel = (dir.path() / "picture.3ds").string();
    writeFileBytes(notModel, {'B', 'M', 0, 0, 0, 0, 0, 0});
    const std::string missing = (dir.path() / "missing.3ds").string();
    // A usable built-in scene is never substituted for a failed file.
    const std::vector<std::uint8_t> usable = spanFile(2);
    struct Case {
        std::string path; // empty: the built-in scene
        std::vector<std::uint8_t> builtIn;
        std::string diagnostics;
        // The scale brings the largest extent to two units; no extent (no
        // points at all: -infinity) leaves 2.
        double size = 0, scale = 0;
    };
    const Case cases[] = {
        {ship, usable, "", 400, 0.005},
        {"", sceneFile({}), "", -std::numeric_limits<double>::infinity(), 2},
        {notModel, usable, "Not in 3DS format.\nFailed to parse " + notModel + "\n"},
        {missing, usable, "File could not be opened " + std::to_string(ENOENT) + "\n"},
        {dir.path().string(), usable, "File could not be opened " + std::to_string(EISDIR) + "\n"},
        {"", {0x4D, 0x3C}, "Not in 3DS format.\nFailed to parse"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        MemoryResources resources;
        RecordingNotifier notifier{"orbit-patrol"};
        RecordingSink diagnostics;
        ModelServices services{resources, notifier, diagnostics, nullptr};
        resources.add("FILE3DS", 184, c.builtIn);
        const LoadedModel loaded =
            c.path.empty() ? loadBuiltInScene(184, true, services) : loadSceneFile(c.path, true, services);
        EXPECT_EQ(diagnostics.recorded, c.diagnostics);
        if (c.diagnostics.empty()) {
            ASSERT_NE(loaded.model, nullptr);
            EXPECT_EQ(loaded.modelSize, c.size);
            EXPECT_DOUBLE_EQ(loaded.modelScale, c.scale);
            EXPECT_EQ(loaded.model->displayList(), 0u); // without GL nothing is made on the GL side
            EXPECT_TRUE(notifier.messages.empty());
            continue;
        }
        EXPECT_EQ(loaded.model, nullptr);
        ASSERT_EQ(notifier.messages.size(), 1u);
        const std::string text = c.path.empty() ? "Error loading 3ds default file"
                                                : "Error loading 3ds file \"" + c.path + "\"";
        EXPECT_EQ(notifier.messages[0].text, text); // caption and button: the GL error message's test
    }
}

TEST(ByteStream, FileReadsAcrossItsWindowUntilItShrinks)
{
    constexpr std::size_t window = std::size_t{1} << 20; // the stream's window size
    ScratchDir dir("model3ds-stream");
    std::vector<std::uint8_t> bytes(2 * window + 7);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 13); // a wrong offset shows
    const std::string path = (dir.path() / "pattern.bin").string();
    writeFileBytes(path, bytes);
    ByteStream file;
    int cause = 0;
    ASSERT_TRUE(file.openFile(path, cause)) << cause;
    // Values ending at, straddling and starting after the window's end, a
    // seek back, and the last bytes of the file.
    for (const std::size_t start : {window - 4, window - 2, window + 1, std::size_t{3}, bytes.size() - 4}) {
        file.seek(start);
        std::uint32_t value = 0;
        ASSERT_TRUE(file.readU32(value, bytes.size())) << start;
        const auto at = [&](std::size_t k) { return std::uint32_t{bytes[start + k]} << (8 * k); };
        EXPECT_EQ(value, at(0) | at(1) | at(2) | at(3)) << start;
    }
    // Outside the window now: the refill finds the file shorter, then no read is tried any more.
    std::filesystem::resize_file(path, window / 2);
    for (const std::size_t start : {2 * window, std::size_t{5}}) {
        std::uint8_t byte = 0;
        file.seek(start);
        EXPECT_FALSE(file.readU8(byte, bytes.size())) << start;
        EXPECT_EQ(file.readError(), EIO);
    }
}

} // namespace
} // namespace orbit

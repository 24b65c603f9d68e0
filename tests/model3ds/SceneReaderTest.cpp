// The chunk reader against hand-made files: every recognised chunk and value
// rule in one well-formed file, then damaged files, which must stop cleanly
// with their exact diagnostic and keep what came before the damage.
#include "ThreeDsWriter.h"
#include "model3ds/ByteStream.h"
#include "model3ds/SceneReader.h"
#include "tests/support/TestDoubles.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace orbit {
namespace {

using namespace orbit::test;

struct Parsed {
    bool ok = false;
    ParsedScene scene;
    std::string diagnostics;
};

Parsed parse(const std::vector<std::uint8_t>& bytes)
{
    Parsed result;
    RecordingSink sink;
    ByteStream stream(bytes);
    SceneReader reader(stream, result.scene, sink);
    result.ok = reader.parseStream();
    result.diagnostics = sink.recorded;
    return result;
}

// What a test compares: one line per material (name, texture map) and per
// mesh (name, point count, faces as corner triples, material groups, texture
// coordinate count, and whether a matrix came).
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

TEST(SceneReader, WellFormedFileReadsEveryRecognisedChunkSilently)
{
    Chunk specularMap = textureMap("SHINE.TGA");
    specularMap.id = 0xA204;
    const Parsed result = parse(sceneFile({
        leaf(0x0100, {0, 0, 0x80, 0x3F}),
        material({named(0xA000, "ABCDEFGHIJKLMNOP"), leaf(0xA040), textureMap("Skin.tga")}),
        // A map name outside the texture map is not the texture.
        material({named(0xA000, "Other"), specularMap, leaf(0xA300, {'X', 0})}),
        namedObject("Lamp", {leaf(0x4600, std::vector<std::uint8_t>(12, 0))}),
        namedObject("Twins", {
            triMesh({
                pointArray({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}),
                // Only the flag word 7 swaps the last two corners.
                faceArray({{0, 1, 2, 0}, {1, 3, 2, 7}, {1, 3, 2, 15}, {1, 3, 2, 0x8007}},
                          {materialGroup("Other", {1, 2}), leaf(0x4150, std::vector<std::uint8_t>(16, 0xFF)),
                           materialGroup("ABCDEFGHIJKLMNOP", {0})}),
                texCoords({{0, 0}, {1, 0}, {0.25f, 1}}),
                floats(0x4160, {1, 0, 0, 0, 1, 0, 0, 0, 1, 7, 8, 9}),
                leaf(0x9999, {1, 2, 3, 4}),
            }),
            triMesh({pointArray({{5, 5, 5}}), faceArray({{0, 0, 0, 0}})}),
        }),
    }));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.diagnostics, "");
    // The face list's sub-chunks are read at the mesh level; a mesh without a
    // material group gets the default group of all its faces.
    EXPECT_EQ(summary(result.scene), "material ABCDEFGHIJKLMNOP map Skin.tga\n"
                                     "material Other\n"
                                     "mesh Twins: 4 points, faces 012 123 132 132, Other 1 2, ABCDEFGHIJKLMNOP 0, "
                                     "3 uv, matrix\n"
                                     "mesh Twins: 1 points, faces 000, WG_DEFAULT 0, 0 uv\n");
    EXPECT_EQ(result.scene.usesDefaultMaterial, 1);
}

struct DamageCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::string diagnostics;
    std::string kept; // summary() of what was read
};

std::vector<DamageCase> damageCases()
{
    // The first damaged chunk sits at offset 22 (main, version and editor
    // headers), or at 39 after this 17-byte material.
    const Chunk kept = material({named(0xA000, "Kept")});
    Chunk shortChunk = leaf(0x1234, {1, 2, 3});
    shortChunk.forcedLength = 5;
    Chunk overlong = material({named(0xA000, "Long")});
    overlong.forcedLength = 100000;
    Chunk points = pointArray(triangle);
    points.payload[0] = 200; // 200 points announced, 3 present
    std::vector<std::uint8_t> mainTooLong = sceneFile({kept});
    mainTooLong[2] = mainTooLong[3] = mainTooLong[4] = 0xFF;
    const std::string notModel = "Not in 3DS format.\n";
    return {
        {"empty", {}, notModel, ""},
        {"cut in the main header", {0x4D, 0x4D, 6}, notModel, ""},
        {"editor first", node(0x3D3D, {}).bytes(), notModel, ""},
        {"length below 6", sceneFile({kept, shortChunk, kept}),
         "Chunk 0x1234 at offset 39 has length 5, below its header's 6 bytes; skipping the rest of its parent\n",
         "material Kept\n"},
        {"child past its parent", sceneFile({kept, overlong}),
         "Chunk 0xAFFF at offset 39 reaches past its parent's end; reading what is inside\n",
         "material Kept\nmaterial Long\n"},
        {"main chunk past the file", mainTooLong,
         "Chunk 0x4D4D at offset 0 reaches past the end of the file; reading what is there\n", "material Kept\n"},
        {"header cut off", sceneFile({Chunk{0xAFFF, {1, 2, 3}, {}, {}}}), "Chunk header at offset 28 is cut off\n",
         "material \n"},
        {"count beyond its chunk", sceneFile({kept, namedObject("M", {triMesh({points})})}),
         "Chunk 0x4110 at offset 53 holds 3 of its 200 entries\n",
         "material Kept\nmesh M: 3 points, faces, WG_DEFAULT, 0 uv\n"},
        // What follows a long name is still read as it should be.
        {"long name", sceneFile({material({named(0xA000, "abcdefghijklmnopq"), textureMap("HULL.BMP")})}),
         "Name longer than 16 characters cut to \"abcdefghijklmnop\"\n", "material abcdefghijklmnop map HULL.BMP\n"},
        {"unterminated name", sceneFile({material({leaf(0xA000, std::vector<std::uint8_t>(40, 'N'))}), kept}),
         "Name longer than 16 characters cut to \"NNNNNNNNNNNNNNNN\"\n", "material NNNNNNNNNNNNNNNN\nmaterial Kept\n"},
        {"matrix too short", sceneFile({namedObject("M", {triMesh({floats(0x4160, {1, 2, 3})})})}),
         "Chunk 0x4160 at offset 36 is too short for a matrix\n", "mesh M: 0 points, faces, WG_DEFAULT, 0 uv\n"},
        // Counts of 32768 or more read as negative: nothing, and no complaint.
        {"negative counts",
         sceneFile({namedObject("Big", {triMesh({leaf(0x4110, {0, 0x80}), leaf(0x4120, {0xFF, 0xFF})})})}),
         "", "mesh Big: 0 points, faces, WG_DEFAULT, 0 uv\n"},
    };
}

TEST(SceneReader, DamagedFilesStopCleanlyWithTheirDiagnostic)
{
    for (const DamageCase& c : damageCases()) {
        SCOPED_TRACE(c.name);
        const Parsed result = parse(c.bytes);
        EXPECT_EQ(result.ok, c.diagnostics != "Not in 3DS format.\n");
        EXPECT_EQ(result.diagnostics, c.diagnostics);
        EXPECT_EQ(summary(result.scene), c.kept);
    }
}

TEST(SceneReader, EveryTruncationStopsCleanlyAndKeepsWhatCameBefore)
{
    const Chunk first = simpleMaterial("First", 1, 0, 0);
    const std::vector<std::uint8_t> whole = sceneFile({first, meshObject("Second", triangle, {{0, 1, 2, 0}}, "First")});
    for (std::size_t cut = 6; cut < whole.size(); ++cut) {
        SCOPED_TRACE(cut);
        const Parsed result = parse({whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)});
        EXPECT_TRUE(result.ok);
        EXPECT_NE(result.diagnostics, "");
        if (cut >= 22 + first.bytes().size()) {
            ASSERT_FALSE(result.scene.materials.empty());
            EXPECT_EQ(result.scene.materials[0].diffuse[0], 1.0f);
        }
        for (const ParsedMesh& mesh : result.scene.meshes)
            EXPECT_LE(mesh.points.size(), 3u);
    }
}

} // namespace
} // namespace orbit

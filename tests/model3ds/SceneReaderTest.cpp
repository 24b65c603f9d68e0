// The chunk reader against hand-made files: every recognised chunk and value
// rule in one well-formed file, then damaged files, which must stop cleanly
// with their exact diagnostic and keep what came before the damage.
#include "ThreeDsWriter.h"
#include "model3ds/ByteStream.h"
#include "model3ds/SceneReader.h"
#include "tests/support/TestDoubles.h"

#include <gtest/gtest.h>

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

// One line per material (name, texture map) and per mesh (name, point count).
std::string summary(const ParsedScene& scene)
{
    std::string text;
    for (const ParsedMaterial& m : scene.materials)
        text += "material " + m.name + (m.textureMap.empty() ? "" : " " + m.textureMap) + "\n";
    for (const ParsedMesh& mesh : scene.meshes)
        text += "mesh " + mesh.name + " " + std::to_string(mesh.points.size()) + "\n";
    return text;
}

const std::vector<Point3> triangle{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};

TEST(SceneReader, WellFormedFileReadsEveryRecognisedChunkSilently)
{
    const std::string sixteen = "ABCDEFGHIJKLMNOP";
    Chunk specularMap = textureMap("SHINE.TGA");
    specularMap.id = 0xA204;
    const Parsed result = parse(sceneFile({
        leaf(0x0100, {0, 0, 0x80, 0x3F}),
        material({named(0xA000, sixteen), leaf(0xA040), textureMap("Skin.tga")}),
        // A map name outside the texture map is not the texture.
        material({named(0xA000, "Other"), specularMap, leaf(0xA300, {'X', 0})}),
        namedObject("Lamp", {leaf(0x4600, std::vector<std::uint8_t>(12, 0))}),
        namedObject("Twins", {
            triMesh({
                pointArray({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}),
                faceArray({{0, 1, 2, 0}, {1, 3, 2, 7}, {1, 3, 2, 15}, {1, 3, 2, 0x8007}},
                          {materialGroup(sixteen, {1, 2}), leaf(0x4150, std::vector<std::uint8_t>(16, 0xFF)),
                           materialGroup("Other", {0})}),
                texCoords({{0, 0}, {1, 0}, {0.25f, 1}}),
                floats(0x4160, {1, 0, 0, 0, 1, 0, 0, 0, 1, 7, 8, 9}),
                leaf(0x9999, {1, 2, 3, 4}),
            }),
            triMesh({pointArray({{5, 5, 5}}), faceArray({{0, 0, 0, 0}})}),
        }),
    }));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.diagnostics, "");
    EXPECT_EQ(summary(result.scene), "material " + sixteen + " Skin.tga\nmaterial Other\nmesh Twins 4\nmesh Twins 1\n");
    const ParsedMesh& mesh = result.scene.meshes[0];
    // Only the flag word 7 swaps the last two corners.
    ASSERT_EQ(mesh.faces.size(), 4u);
    for (std::size_t i = 1; i < 4; ++i)
        EXPECT_EQ(mesh.faces[i].b, i == 1 ? 2 : 3) << i;
    // The face list's sub-chunks are read at the mesh level.
    ASSERT_EQ(mesh.materialGroups.size(), 2u);
    EXPECT_EQ(mesh.materialGroups[0].faceIndices, (std::vector<std::uint16_t>{1, 2}));
    EXPECT_EQ(mesh.materialGroups[1].materialName, "Other");
    ASSERT_EQ(mesh.texCoords.size(), 3u);
    EXPECT_EQ(mesh.texCoords[2].u, 0.25f);
    EXPECT_EQ(mesh.texCoords[2].v, 1.0f);
    EXPECT_EQ(mesh.hasMatrix, 1);
    EXPECT_EQ(mesh.matrix[11], 9.0f);
    // A mesh without a material group gets the default group of all its faces.
    EXPECT_EQ(result.scene.usesDefaultMaterial, 1);
    ASSERT_EQ(result.scene.meshes[1].materialGroups.size(), 1u);
    EXPECT_EQ(result.scene.meshes[1].materialGroups[0].materialName, "WG_DEFAULT");
    EXPECT_EQ(result.scene.meshes[1].materialGroups[0].faceIndices, std::vector<std::uint16_t>{0});
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
         "Chunk 0x4110 at offset 53 holds 3 of its 200 entries\n", "material Kept\nmesh M 3\n"},
        // What follows a long name is still read as it should be.
        {"long name", sceneFile({material({named(0xA000, "abcdefghijklmnopqrst"), textureMap("HULL.BMP")})}),
         "Name longer than 16 characters cut to \"abcdefghijklmnop\"\n", "material abcdefghijklmnop HULL.BMP\n"},
        {"unterminated name", sceneFile({material({leaf(0xA000, std::vector<std::uint8_t>(40, 'N'))}), kept}),
         "Name longer than 16 characters cut to \"NNNNNNNNNNNNNNNN\"\n", "material NNNNNNNNNNNNNNNN\nmaterial Kept\n"},
        {"matrix too short", sceneFile({namedObject("M", {triMesh({floats(0x4160, {1, 2, 3})})})}),
         "Chunk 0x4160 at offset 36 is too short for a matrix\n", "mesh M 0\n"},
        // Counts of 32768 or more read as negative: nothing, and no complaint.
        {"negative counts", sceneFile({namedObject("Big", {triMesh({leaf(0x4110, {0, 0x80}), leaf(0x4120, {0xFF, 0xFF})})})}),
         "", "mesh Big 0\n"},
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

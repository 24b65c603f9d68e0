// The chunk reader against hand-made files: the recognised chunk table, the
// value rules (24-bit colours over 256, percentages, flag 7), the face-list
// quirk, names, and damaged input, which must stop cleanly and keep what came
// before the damage.
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

const std::vector<Point3> triangle{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};

TEST(SceneReader, RejectsAFileThatDoesNotStartWithTheMainChunk)
{
    for (const std::vector<std::uint8_t>& bytes : {std::vector<std::uint8_t>{}, std::vector<std::uint8_t>{0x4D},
                                                    std::vector<std::uint8_t>{0x4D, 0x3D, 6, 0, 0, 0},
                                                    editorChunk({}).bytes()}) {
        const Parsed result = parse(bytes);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.diagnostics, "Not in 3DS format.\n");
    }
}

TEST(SceneReader, MeshWithoutMaterialGroupGetsTheDefaultGroupOfAllItsFaces)
{
    const Parsed result = parse(sceneFile({
        meshObject("Plain", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {{0, 1, 2, 0}, {1, 3, 2, 0}}, ""),
        namedObject("NoFaces", {triMesh({pointArray(triangle)})}),
    }));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.scene.usesDefaultMaterial, 1);
    ASSERT_EQ(result.scene.meshes.size(), 2u);
    for (std::size_t m = 0; m < 2; ++m) {
        ASSERT_EQ(result.scene.meshes[m].materialGroups.size(), 1u);
        EXPECT_EQ(result.scene.meshes[m].materialGroups[0].materialName, "WG_DEFAULT");
        EXPECT_EQ(result.scene.meshes[m].materialGroups[0].faceIndices,
                  (m == 0 ? std::vector<std::uint16_t>{0, 1} : std::vector<std::uint16_t>{}));
    }
}

TEST(SceneReader, OnlyFlagWordSevenSwapsTheLastTwoCorners)
{
    const std::uint16_t flagWords[] = {0, 6, 7, 15, 0x8007};
    std::vector<Face3> faces;
    for (const std::uint16_t flags : flagWords)
        faces.push_back({10, 20, 30, flags});
    const Parsed result = parse(sceneFile({meshObject("F", {}, faces, "")}));
    ASSERT_EQ(result.scene.meshes.size(), 1u);
    const auto& stored = result.scene.meshes[0].faces;
    ASSERT_EQ(stored.size(), faces.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const bool swapped = flagWords[i] == 7;
        EXPECT_EQ((std::array<int, 4>{stored[i].a, stored[i].b, stored[i].c, stored[i].flags}),
                  (std::array<int, 4>{10, swapped ? 30 : 20, swapped ? 20 : 30, flagWords[i]}));
    }
}

TEST(SceneReader, ColourValuesAndTheLastOneWins)
{
    const Parsed result = parse(sceneFile({material({
        materialName("Paint"),
        colourChunk(0xA010, {colour24(255, 91, 1)}),
        colourChunk(0xA020, {colourFloat(0.25f, 0.5f, 0.75f)}),
        // A float colour, then a gamma-corrected one (skipped), then bytes.
        colourChunk(0xA030, {colourFloat(0.9f, 0.9f, 0.9f), leaf(0x0013, {1, 2, 3}), colour24(128, 0, 64)}),
    })}));
    ASSERT_EQ(result.scene.materials.size(), 1u);
    const ParsedMaterial& m = result.scene.materials[0];
    EXPECT_EQ(m.name, "Paint");
    EXPECT_EQ(m.ambient, (std::array<float, 3>{255.0f / 256, 91.0f / 256, 1.0f / 256}));
    EXPECT_EQ(m.diffuse, (std::array<float, 3>{0.25f, 0.5f, 0.75f}));
    EXPECT_EQ(m.specular, (std::array<float, 3>{0.5f, 0.0f, 0.25f}));
}

struct TransparencyCase {
    const char* name;
    std::vector<Chunk> extra;
    float opacity;
};

TEST(SceneReader, TransparencyBecomesOpacity)
{
    const TransparencyCase cases[] = {
        {"absent", {}, 0.0f},
        {"fifty percent", {transparency(50)}, 0.5f},
        {"negative", {transparency(-20)}, 1.0f},
        {"no percentage inside", {Chunk{0xA050, {}, {leaf(0x0031, {0, 0, 0, 0})}, {}}}, 1.0f},
    };
    for (const TransparencyCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Chunk> children{materialName("M")};
        children.insert(children.end(), c.extra.begin(), c.extra.end());
        const Parsed result = parse(sceneFile({material(children)}));
        ASSERT_EQ(result.scene.materials.size(), 1u);
        EXPECT_FLOAT_EQ(result.scene.materials[0].opacity, c.opacity);
    }
}

TEST(SceneReader, NamesUpToSixteenCharactersAreKeptAndLongerOnesCutWithoutLosingTheirChunk)
{
    const std::string sixteen = "ABCDEFGHIJKLMNOP";
    const std::string twenty = "abcdefghijklmnopqrst";
    const Parsed result = parse(sceneFile({
        material({materialName(sixteen)}),
        material({materialName(twenty), textureMap("HULL.BMP")}),
        meshObject(twenty, triangle, {{0, 1, 2, 0}}, sixteen),
        meshObject("After", triangle, {{0, 1, 2, 0}}, sixteen),
    }));
    ASSERT_TRUE(result.ok);
    ASSERT_EQ(result.scene.materials.size(), 2u);
    EXPECT_EQ(result.scene.materials[0].name, sixteen);
    EXPECT_EQ(result.scene.materials[1].name, twenty.substr(0, 16));
    // What follows the long name is still read as it should be.
    EXPECT_EQ(result.scene.materials[1].textureMap, "HULL.BMP");
    ASSERT_EQ(result.scene.meshes.size(), 2u);
    EXPECT_EQ(result.scene.meshes[0].name, twenty.substr(0, 16));
    EXPECT_EQ(result.scene.meshes[0].points.size(), 3u);
    EXPECT_NE(result.diagnostics.find("Name longer than 16 characters"), std::string::npos);
}

TEST(SceneReader, MapNameIsTakenOnlyFromTheTextureMap)
{
    Chunk specularMap = textureMap("SHINE.TGA");
    specularMap.id = 0xA204;
    const Parsed result = parse(sceneFile({
        material({materialName("A"), specularMap, leaf(0xA300, {'X', '.', 'B', 'M', 'P', 0})}),
        material({materialName("B"), textureMap("Skin.tga")}),
    }));
    ASSERT_EQ(result.scene.materials.size(), 2u);
    EXPECT_EQ(result.scene.materials[0].textureMap, "");
    EXPECT_EQ(result.scene.materials[1].textureMap, "Skin.tga");
}

TEST(SceneReader, ObjectsOtherThanMeshesMakeNoMeshAndTwoMeshesShareTheirObjectsName)
{
    const Parsed result = parse(sceneFile({
        namedObject("Lamp", {leaf(0x4600, std::vector<std::uint8_t>(12, 0))}),
        namedObject("Camera01", {leaf(0x4700, std::vector<std::uint8_t>(32, 0))}),
        namedObject("Twins", {triMesh({pointArray(triangle)}), triMesh({pointArray({{5, 5, 5}})})}),
    }));
    ASSERT_EQ(result.scene.meshes.size(), 2u);
    EXPECT_EQ(result.scene.meshes[0].name, "Twins");
    EXPECT_EQ(result.scene.meshes[1].name, "Twins");
    EXPECT_EQ(result.scene.meshes[1].points.size(), 1u);
}

TEST(SceneReader, FaceListSubChunksAreReadAtTheMeshLevel)
{
    std::vector<std::uint8_t> smoothing(8, 0xFF);
    const Parsed result = parse(sceneFile({namedObject(
        "M", {triMesh({pointArray({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}),
                       faceArray({{0, 1, 2, 0}, {1, 3, 2, 0}},
                                 {materialGroup("Red", {1}), leaf(0x4150, smoothing), materialGroup("Blue", {0})}),
                       texCoords({{0, 0}, {1, 0}, {0, 1}}),
                       localMatrix({1, 0, 0, 0, 1, 0, 0, 0, 1, 7, 8, 9})})})}));
    ASSERT_EQ(result.scene.meshes.size(), 1u);
    const ParsedMesh& mesh = result.scene.meshes[0];
    EXPECT_EQ(result.scene.usesDefaultMaterial, 0);
    ASSERT_EQ(mesh.materialGroups.size(), 2u);
    EXPECT_EQ(mesh.materialGroups[0].materialName, "Red");
    EXPECT_EQ(mesh.materialGroups[0].faceIndices, (std::vector<std::uint16_t>{1}));
    EXPECT_EQ(mesh.materialGroups[1].materialName, "Blue");
    ASSERT_EQ(mesh.texCoords.size(), 3u);
    EXPECT_EQ(mesh.texCoords[2].v, 1.0f);
    EXPECT_EQ(mesh.hasMatrix, 1);
    EXPECT_EQ(mesh.matrix[9], 7.0f);
    EXPECT_EQ(mesh.matrix[11], 9.0f);
}

TEST(SceneReader, CountsOf32768OrMoreReadAsNegativeAndYieldNothing)
{
    std::vector<std::uint8_t> points;
    putU16(points, 0x8000);
    std::vector<std::uint8_t> faces;
    putU16(faces, 0xFFFF);
    const Parsed result = parse(sceneFile({namedObject("Big", {triMesh({leaf(0x4110, points), leaf(0x4120, faces)})})}));
    ASSERT_EQ(result.scene.meshes.size(), 1u);
    EXPECT_TRUE(result.scene.meshes[0].points.empty());
    EXPECT_TRUE(result.scene.meshes[0].faces.empty());
    ASSERT_EQ(result.scene.meshes[0].materialGroups.size(), 1u);
    EXPECT_TRUE(result.scene.meshes[0].materialGroups[0].faceIndices.empty());
}

// A file with one material and one mesh after it, used by the damage cases.
std::vector<std::uint8_t> twoPartFile()
{
    return sceneFile({simpleMaterial("First", 1, 0, 0), meshObject("Second", triangle, {{0, 1, 2, 0}}, "First")});
}

TEST(SceneReader, EveryTruncationStopsCleanlyAndKeepsWhatCameBefore)
{
    const std::vector<std::uint8_t> whole = twoPartFile();
    const Parsed full = parse(whole);
    ASSERT_EQ(full.scene.materials.size(), 1u);
    ASSERT_EQ(full.scene.meshes.size(), 1u);
    // Where the material chunk ends in the file: 6 (main) + 10 (version) + 6 (editor) + material length.
    const std::size_t materialEnd = 22 + simpleMaterial("First", 1, 0, 0).bytes().size();
    for (std::size_t cut = 6; cut < whole.size(); ++cut) {
        SCOPED_TRACE(cut);
        const Parsed result = parse({whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)});
        EXPECT_TRUE(result.ok);
        EXPECT_NE(result.diagnostics, "");
        if (cut >= materialEnd) {
            ASSERT_EQ(result.scene.materials.size(), 1u);
            EXPECT_EQ(result.scene.materials[0].name, "First");
            EXPECT_EQ(result.scene.materials[0].diffuse[0], 1.0f);
        }
        for (const ParsedMesh& mesh : result.scene.meshes)
            EXPECT_LE(mesh.points.size(), 3u);
    }
}

struct DamageCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::size_t materials;  // kept before the damage
    const char* firstName;  // of the first material
    const char* diagnostic; // part of the line the guard writes
};

std::vector<DamageCase> damageCases()
{
    std::vector<DamageCase> cases;
    for (const std::uint32_t length : {0u, 1u, 5u}) {
        Chunk broken = leaf(0x1234, {1, 2, 3});
        broken.forcedLength = length;
        cases.push_back({"short length", sceneFile({simpleMaterial("Kept", 1, 1, 1), broken, simpleMaterial("Lost", 0, 0, 0)}),
                         1, "Kept", "below its header's 6 bytes"});
    }
    {
        Chunk overlong = simpleMaterial("Long", 1, 1, 1);
        overlong.forcedLength = 100000;
        cases.push_back({"child past its parent", sceneFile({simpleMaterial("Kept", 1, 1, 1), overlong}), 2,
                         "Kept", "reaches past its parent's end"});
    }
    {
        Chunk points = pointArray(triangle);
        points.payload[0] = 200; // 200 points announced, 3 present
        cases.push_back({"count beyond its chunk",
                         sceneFile({simpleMaterial("Kept", 1, 1, 1), namedObject("M", {triMesh({points})})}), 1,
                         "Kept", "holds 3 of its 200 entries"});
    }
    {
        std::vector<std::uint8_t> name(40, 'N'); // no terminator before the chunk ends
        cases.push_back({"unterminated name", sceneFile({simpleMaterial("Kept", 1, 1, 1), material({leaf(0xA000, name)})}),
                         2, "Kept", "Name longer than 16"});
    }
    {
        std::vector<std::uint8_t> bytes = twoPartFile();
        bytes[2] = 0xFF; // main chunk claims far more than the file holds
        bytes[3] = 0xFF;
        bytes[4] = 0xFF;
        cases.push_back({"main chunk past the end", bytes, 1, "First", "past the end of the file"});
    }
    return cases;
}

TEST(SceneReader, DamagedChunksAreAbsorbedWithADiagnostic)
{
    for (const DamageCase& c : damageCases()) {
        SCOPED_TRACE(c.name);
        const Parsed result = parse(c.bytes);
        EXPECT_TRUE(result.ok);
        ASSERT_EQ(result.scene.materials.size(), c.materials);
        EXPECT_EQ(result.scene.materials[0].name, c.firstName);
        EXPECT_NE(result.diagnostics.find(c.diagnostic), std::string::npos) << result.diagnostics;
    }
}

TEST(SceneReader, UnknownChunksAreSkippedWhereverTheyAppear)
{
    const Parsed result = parse(sceneFile({
        leaf(0x0100, {0, 0, 0x80, 0x3F}),
        namedObject("M", {triMesh({leaf(0x9999, {1, 2, 3, 4}), pointArray(triangle), leaf(0x4170, {})})}),
        material({leaf(0xA100, {3, 0}), materialName("Mat"), leaf(0xA040, {})}),
    }));
    ASSERT_EQ(result.scene.meshes.size(), 1u);
    EXPECT_EQ(result.scene.meshes[0].points.size(), 3u);
    ASSERT_EQ(result.scene.materials.size(), 1u);
    EXPECT_EQ(result.scene.materials[0].name, "Mat");
    EXPECT_EQ(result.diagnostics, "");
}

} // namespace
} // namespace orbit

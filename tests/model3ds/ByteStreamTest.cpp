// A file read through the stream's window must read exactly as the same
// bytes in memory do: values and runs that straddle the window's end, seeks
// back before it, and a whole model several windows long. A file that
// becomes shorter after opening reports the file layer's error.
#include "ThreeDsWriter.h"
#include "model3ds/ByteStream.h"
#include "model3ds/SceneReader.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

namespace orbit {
namespace {

using namespace orbit::test;

constexpr std::size_t window = std::size_t{1} << 20; // the stream's window size

// Bytes that differ from their neighbours, so a read from a wrong offset shows.
std::vector<std::uint8_t> patternBytes(std::size_t count)
{
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 13);
    return bytes;
}

TEST(ByteStream, FileReadsAsTheSameBytesInMemoryAcrossTheWindowsEnd)
{
    ScratchDir dir("model3ds-stream");
    const std::vector<std::uint8_t> bytes = patternBytes(3 * window + 7);
    const std::string path = (dir.path() / "pattern.bin").string();
    writeFileBytes(path, bytes);
    ByteStream file;
    int cause = 0;
    ASSERT_TRUE(file.openFile(path, cause)) << cause;
    ByteStream memory(bytes);
    EXPECT_EQ(file.size(), bytes.size());

    const std::size_t limit = bytes.size();
    // Values ending before, straddling and starting after the window's end,
    // a seek back to the start, a run longer than a third of the window
    // across its end, and the last bytes of the file.
    const std::size_t starts[] = {0, window - 4, window - 2, window + 1, 3, window - 100, 2 * window + 5,
                                  bytes.size() - 4};
    for (const std::size_t start : starts) {
        file.seek(start);
        memory.seek(start);
        std::uint32_t fromFile = 0, fromMemory = 0;
        ASSERT_TRUE(file.readU32(fromFile, limit)) << start;
        ASSERT_TRUE(memory.readU32(fromMemory, limit));
        EXPECT_EQ(fromFile, fromMemory) << start;
        EXPECT_EQ(file.position(), start + 4);
    }
    file.seek(window - 100);
    std::span<const std::uint8_t> view;
    ASSERT_TRUE(file.readView(view, 400000, limit));
    EXPECT_TRUE(std::equal(view.begin(), view.end(), bytes.begin() + static_cast<std::ptrdiff_t>(window - 100)));
    // Past the end nothing is read, and that is no error of the file layer.
    std::uint32_t value = 0;
    file.seek(bytes.size() - 3);
    EXPECT_FALSE(file.readU32(value, limit));
    EXPECT_EQ(file.position(), bytes.size() - 3);
    EXPECT_EQ(file.readError(), 0);
}

TEST(ByteStream, ModelSeveralWindowsLongParsesFromAFileAsFromMemory)
{
    std::vector<Chunk> editor{simpleMaterial("M", 1, 1, 1)};
    for (int mesh = 0; mesh < 6; ++mesh) {
        // 21,001 points of 12 bytes and 20,000 faces of 8: each mesh about
        // 410 KB, so runs start at many offsets inside the window.
        std::vector<Point3> points;
        std::vector<std::pair<float, float>> uv;
        for (int i = 0; i <= 21000; ++i) {
            points.push_back({static_cast<float>(i), static_cast<float>(mesh), static_cast<float>(i % 7)});
            uv.emplace_back(static_cast<float>(i) / 21000.0f, 0.5f);
        }
        std::vector<Face3> faces;
        std::vector<std::uint16_t> group;
        for (int f = 0; f < 20000; ++f) {
            faces.push_back({static_cast<std::uint16_t>(f), static_cast<std::uint16_t>(f + 1),
                             static_cast<std::uint16_t>(f + 2 + mesh), static_cast<std::uint16_t>(f % 9)});
            group.push_back(static_cast<std::uint16_t>(19999 - f));
        }
        editor.push_back(namedObject("Mesh" + std::to_string(mesh),
                                     {triMesh({pointArray(points), texCoords(uv),
                                               faceArray(faces, {materialGroup("M", group)})})}));
    }
    const std::vector<std::uint8_t> bytes = sceneFile(std::move(editor));
    ASSERT_GT(bytes.size(), 2 * window);
    ScratchDir dir("model3ds-stream");
    const std::string path = (dir.path() / "long.3ds").string();
    writeFileBytes(path, bytes);

    RecordingSink fileSink, memorySink;
    ParsedScene fromFile, fromMemory;
    ByteStream file;
    int cause = 0;
    ASSERT_TRUE(file.openFile(path, cause)) << cause;
    ASSERT_TRUE(SceneReader(file, fromFile, fileSink).parseStream());
    ByteStream memory(bytes);
    ASSERT_TRUE(SceneReader(memory, fromMemory, memorySink).parseStream());
    EXPECT_EQ(file.readError(), 0);
    EXPECT_EQ(fileSink.recorded, "");
    EXPECT_EQ(memorySink.recorded, "");

    ASSERT_EQ(fromFile.meshes.size(), 6u);
    ASSERT_EQ(fromMemory.meshes.size(), 6u);
    for (std::size_t m = 0; m < 6; ++m) {
        SCOPED_TRACE(m);
        const ParsedMesh& a = fromFile.meshes[m];
        const ParsedMesh& b = fromMemory.meshes[m];
        ASSERT_EQ(a.points.size(), 21001u);
        ASSERT_EQ(a.faces.size(), 20000u);
        ASSERT_EQ(a.texCoords.size(), 21001u);
        EXPECT_TRUE(std::ranges::equal(a.points, b.points, [](const auto& p, const auto& q) {
            return p.x == q.x && p.y == q.y && p.z == q.z;
        }));
        EXPECT_TRUE(std::ranges::equal(a.texCoords, b.texCoords,
                                       [](const auto& p, const auto& q) { return p.u == q.u && p.v == q.v; }));
        EXPECT_TRUE(std::ranges::equal(a.faces, b.faces, [](const auto& p, const auto& q) {
            return p.a == q.a && p.b == q.b && p.c == q.c && p.flags == q.flags;
        }));
        // Spot checks against the values written, not only file against memory.
        EXPECT_EQ(a.points[20999].x, 20999.0f);
        EXPECT_EQ(a.points[20999].y, static_cast<float>(m));
        EXPECT_EQ(a.faces[7].flags, 7);
        EXPECT_EQ(a.faces[7].b, 7 + 2 + m); // flag 7 swapped b and c
        ASSERT_EQ(a.materialGroups.size(), 1u);
        EXPECT_EQ(a.materialGroups[0].faceIndices, b.materialGroups[0].faceIndices);
        EXPECT_EQ(a.materialGroups[0].faceIndices.front(), 19999);
    }
}

TEST(ByteStream, FileThatBecomesShorterAfterOpeningReportsAnIoError)
{
    ScratchDir dir("model3ds-stream");
    const std::string path = (dir.path() / "shrinking.bin").string();
    writeFileBytes(path, patternBytes(2 * window));
    ByteStream file;
    int cause = 0;
    ASSERT_TRUE(file.openFile(path, cause)) << cause;
    std::uint8_t byte = 0;
    ASSERT_TRUE(file.readU8(byte, file.size())); // the first window is read
    std::filesystem::resize_file(path, window / 2);
    file.seek(window + 10);
    std::uint32_t value = 0;
    EXPECT_FALSE(file.readU32(value, file.size()));
    EXPECT_EQ(file.position(), window + 10);
    EXPECT_EQ(file.readError(), EIO);
    // Once the file layer failed nothing more is read, so the parse stops.
    file.seek(5);
    EXPECT_FALSE(file.readU8(byte, file.size()));
    EXPECT_EQ(file.readError(), EIO);
}

TEST(ByteStream, OpeningAMissingFileGivesItsErrno)
{
    ByteStream file;
    int cause = 0;
    EXPECT_FALSE(file.openFile("/nonexistent-orbit-patrol/model.3ds", cause));
    EXPECT_EQ(cause, ENOENT);
}

} // namespace
} // namespace orbit

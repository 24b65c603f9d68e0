// A file read through the stream's window must read exactly as the same
// bytes in memory do: values and runs that straddle the window's end and seeks
// back before it. A file that shrinks after opening reports the file layer's
// error, and nothing more is read from it.
#include "model3ds/ByteStream.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

namespace orbit {
namespace {

using orbit::test::ScratchDir;
using orbit::test::writeFileBytes;

constexpr std::size_t window = std::size_t{1} << 20; // the stream's window size

// Bytes that differ from their neighbours, so a read from a wrong offset shows.
std::vector<std::uint8_t> patternBytes(std::size_t count)
{
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 13);
    return bytes;
}

TEST(ByteStream, FileReadsAsTheSameBytesInMemoryUntilItShrinks)
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
    // Values ending at, straddling and starting after the window's end, a
    // seek back, and the last bytes of the file.
    for (const std::size_t start : {window - 4, window - 2, window + 1, std::size_t{3}, bytes.size() - 4}) {
        file.seek(start);
        memory.seek(start);
        std::uint32_t fromFile = 0, fromMemory = 0;
        ASSERT_TRUE(file.readU32(fromFile, limit)) << start;
        ASSERT_TRUE(memory.readU32(fromMemory, limit));
        EXPECT_EQ(fromFile, fromMemory) << start;
        EXPECT_EQ(file.position(), start + 4);
    }
    // A run longer than a third of the window, across its end.
    file.seek(window - 100);
    ByteReader view;
    ASSERT_TRUE(file.readView(view, 400000, limit));
    const std::span<const std::uint8_t> run = view.bytes(view.size());
    EXPECT_TRUE(std::equal(run.begin(), run.end(), bytes.begin() + static_cast<std::ptrdiff_t>(window - 100)));

    // Outside the window now: the refill finds the file shorter, then no
    // read is tried any more.
    std::filesystem::resize_file(path, window / 2);
    for (const std::size_t start : {3 * window, std::size_t{5}}) {
        std::uint8_t byte = 0;
        file.seek(start);
        EXPECT_FALSE(file.readU8(byte, limit)) << start;
        EXPECT_EQ(file.position(), start);
        EXPECT_EQ(file.readError(), EIO);
    }
}

} // namespace
} // namespace orbit

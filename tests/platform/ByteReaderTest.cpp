// Each row reads from a fresh reader and checks the value, where the reader
// stands and its overrun flag: reads past the end (0, nothing consumed, flag
// kept) and sub-readers that stop at their end. Values in both byte orders
// are the image and 3DS readers' tests.
#include "platform/ByteReader.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace orbit {
namespace {

// Skips skip bytes, then reads a u16 and one byte more through a sub-reader of
// length bytes: the u16, with bit 16 set when that byte read 0 and overran.
std::uint32_t sub(ByteReader& r, std::size_t skip, std::size_t length)
{
    r.skip(skip);
    ByteReader sub = r.subReader(length);
    const std::uint32_t value = sub.u16();
    return value | (sub.u8() == 0 && sub.overrun()) << 16;
}

TEST(ByteReader, StopsAtItsEnd)
{
    using Read = std::function<std::uint32_t(ByteReader&)>;
    struct Row {
        const char* what;
        std::vector<std::uint8_t> bytes;
        Read read;
        std::uint32_t value, position;
        bool overrun;
    };
    const std::vector<std::uint8_t> four{0x78, 0x56, 0x34, 0x12};
    const Row rows[] = {
        {"u32 one byte short", {1, 2, 3}, [](ByteReader& r) { return r.u32(); }, 0, 0, true},
        {"u16be one byte short", {1}, [](ByteReader& r) { return r.u16be(); }, 0, 0, true},
        {"bytes too many", four, [](ByteReader& r) { return std::uint32_t(r.bytes(5).size()); }, 0, 0, true},
        {"flag kept after a read that fits", {9}, [](ByteReader& r) { r.u16(); return r.u8(); }, 9, 1, true},
        {"skip past the end", four, [](ByteReader& r) { r.skip(5); return r.u8(); }, 0, 4, true},
        {"seek past the end", four, [](ByteReader& r) { r.seek(9); return r.u8(); }, 0, 4, true},
        {"sub-reader ends at length", four, [](ByteReader& r) { return sub(r, 1, 2); }, 0x13456, 3, false},
        {"sub-reader cut at the end", four, [](ByteReader& r) { return sub(r, 2, 9); }, 0x11234, 4, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ByteReader reader(row.bytes);
        EXPECT_EQ(row.read(reader), row.value);
        EXPECT_EQ(reader.position(), row.position);
        EXPECT_EQ(reader.overrun(), row.overrun);
    }
}

} // namespace
} // namespace orbit

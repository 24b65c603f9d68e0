// The one reader for binary input: a position over bytes held in memory with
// little-endian getters (and big-endian u16 for JPEG markers). A read that
// does not fit yields 0, reads nothing and sets a sticky overrun flag, so a
// parser can read a whole header and check once. A sub-reader sees only its
// chunk or segment, never past it, whatever length the file claims.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

namespace orbit {

class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::span<const std::uint8_t> bytes) : data(bytes) {}

    // Inline: record runs read one value at a time.
    std::uint8_t u8() { return fits(1) ? data[pos++] : 0; }
    std::uint16_t u16()
    {
        if (!fits(2))
            return 0;
        const auto value = static_cast<std::uint16_t>(data[pos] | data[pos + 1] << 8);
        pos += 2;
        return value;
    }
    std::uint32_t u32()
    {
        if (!fits(4))
            return 0;
        const std::uint8_t* p = data.data() + pos;
        pos += 4;
        return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
    }
    std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    float f32() { return std::bit_cast<float>(u32()); }
    std::uint16_t u16be();
    // The next n bytes, advancing past them; empty (nothing read, overrun
    // set) when fewer remain.
    std::span<const std::uint8_t> bytes(std::size_t n);
    // A reader over the next length bytes, advancing past them. A length
    // beyond the end is cut to what remains and sets overrun here.
    ByteReader subReader(std::size_t length);

    std::size_t position() const { return pos; }
    std::size_t size() const { return data.size(); }
    std::size_t remaining() const { return data.size() - pos; }
    bool overrun() const { return overran; }
    // Past the end: moves to the end and sets overrun.
    void seek(std::size_t position);
    void skip(std::size_t n);

private:
    // Whether n bytes remain; sets overrun when they do not.
    bool fits(std::size_t n)
    {
        if (n <= data.size() - pos)
            return true;
        overran = true;
        return false;
    }

    std::span<const std::uint8_t> data;
    std::size_t pos = 0;
    bool overran = false;
};

} // namespace orbit

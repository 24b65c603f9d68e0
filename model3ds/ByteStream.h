// The source a 3DS parse reads: a read-only view of bytes (the embedded
// resource in place, or a file read whole into memory) with a position,
// absolute seek and bounded reads. Reads never pass the end: a read that
// does not fit reads nothing and returns false, so a truncated file can only
// stop the parse, never overrun.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orbit {

class ByteStream {
public:
    explicit ByteStream(std::span<const std::uint8_t> bytes) : bytes(bytes) {}

    std::size_t position() const { return pos; }
    std::size_t size() const { return bytes.size(); }
    // Positions past the end are clamped to the end.
    void seek(std::size_t position) { pos = position < bytes.size() ? position : bytes.size(); }
    // Copies n bytes to out and advances; false (nothing read) when fewer
    // than n bytes remain before limit or the end of the stream.
    bool read(void* out, std::size_t n, std::size_t limit);

    // Little-endian values; false with the position unchanged when the value
    // does not fit before limit.
    bool readU8(std::uint8_t& value, std::size_t limit);
    bool readU16(std::uint16_t& value, std::size_t limit);
    bool readS16(std::int16_t& value, std::size_t limit);
    bool readU32(std::uint32_t& value, std::size_t limit);
    bool readF32(float& value, std::size_t limit);
    // A view of the next n bytes, advancing past them, for decoding a run of
    // records checked once; false (nothing read) as for read.
    bool readView(std::span<const std::uint8_t>& view, std::size_t n, std::size_t limit);

private:
    std::span<const std::uint8_t> bytes;
    std::size_t pos = 0;
};

// Little-endian values at p, for decoding a view.
inline std::uint16_t loadU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t loadU32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline float loadF32(const std::uint8_t* p) { return std::bit_cast<float>(loadU32(p)); }

// Largest file readWholeFile accepts: far beyond any model the format's
// 16-bit counts describe in a sensible number of meshes.
constexpr std::size_t maxFileBytes = std::size_t{1} << 30;

// Reads a whole file into bytes (at most maxFileBytes, else EFBIG). On failure returns false with errorCause set
// to the errno value of the failing call.
bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, int& errorCause);

} // namespace orbit

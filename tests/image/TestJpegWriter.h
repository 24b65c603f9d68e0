// A minimal baseline JPEG writer for decoder tests: it codes given DCT
// coefficient blocks (zig-zag order, already quantised) with fixed Huffman
// tables, so a test states which coefficients a block holds and derives the
// expected samples by hand. DC: category n is the 4-bit code n. AC: EOB is
// code 0, ZRL 1, (run r, size s) 2 + r*10 + s-1, all 8 bits long.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace orbit::test {

using Block = std::array<std::int16_t, 64>; // zig-zag order

class EntropyBits {
public:
    void put(std::uint32_t value, int count);
    void acSymbol(int run, int size); // size 0: run 0 is EOB, run 15 is ZRL
    void value(int v, int size);      // the size low bits of v's JPEG form
    void padToByte();
    std::vector<std::uint8_t> bytes;

private:
    std::uint32_t pending = 0;
    int pendingCount = 0;
};

struct JpegComponent {
    std::uint8_t h = 1;
    std::uint8_t v = 1;
    std::uint8_t tq = 0;
};

struct TestJpeg {
    int width = 8;
    int height = 8;
    std::vector<JpegComponent> components = std::vector<JpegComponent>(1);
    std::array<std::uint8_t, 64> quant0{}; // zig-zag order; all 1 by default; table 1 is all 1
    // Blocks in coding order: for each MCU, for each component, v rows of h.
    std::vector<Block> blocks;

    TestJpeg() { quant0.fill(1); }
    std::vector<std::uint8_t> encode() const;
    // The same header with the given entropy-coded bytes instead.
    std::vector<std::uint8_t> encodeWith(const std::vector<std::uint8_t>& scan) const;
};

Block dcOnly(int dc);

} // namespace orbit::test

// A minimal baseline JPEG writer for decoder tests: it codes given DCT
// coefficient blocks (zig-zag order, already quantised) with fixed, simple
// Huffman tables, so a test can state exactly which coefficients a block holds
// and derive the expected samples from the decoder's formulas by hand.
// DC table: categories 0-11, all 4-bit codes (category n is code n).
// AC table: EOB is code 0, ZRL code 1, (run r, size s) code 2 + r*10 + s-1,
// all 8 bits long.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace orbit::test {

using Block = std::array<std::int16_t, 64>; // zig-zag order

class EntropyBits {
public:
    void put(std::uint32_t value, int count);
    void dcCategory(int category) { put(static_cast<std::uint32_t>(category), 4); }
    void acSymbol(int run, int size); // size 0: run 0 is EOB, run 15 is ZRL
    void value(int v, int size);      // the size low bits of v's JPEG form
    void padToByte();
    void restartMarker(int n);
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
    std::vector<JpegComponent> components{JpegComponent{}};
    std::array<std::uint8_t, 64> quant0{}; // zig-zag order; all 1 by default
    std::array<std::uint8_t, 64> quant1{};
    int restartInterval = 0;
    // Blocks in coding order: for each MCU, for each component, v rows of h.
    std::vector<Block> blocks;

    TestJpeg();
    // Frame and tables up to and including SOS, then the coded blocks, EOI.
    std::vector<std::uint8_t> encode() const;
    // The same header with the given entropy-coded bytes instead.
    std::vector<std::uint8_t> encodeWith(const std::vector<std::uint8_t>& scan) const;
};

Block dcOnly(int dc);

} // namespace orbit::test

// Grey baseline JPEGs for decoder tests. Every Huffman code is one bit long,
// so a test writes the scan bits itself: either DC code is a difference of 0,
// AC code 0 ends the block and AC code 1 stands for acCodeOne. With the
// default (both AC codes end the block) any bits decode, two a block: the
// least data the decoder accepts for a frame.
#pragma once

#include <cstdint>
#include <vector>

namespace orbit::test {

using Bytes = std::vector<std::uint8_t>;

// SOF0 of components numbered from 1, each sampled 1 x 1 with quantiser
// table 0.
Bytes frameHeader(int width, int height, int components = 1);
// SOS of components numbered from 1, each with DC and AC table 0.
Bytes scanHeader(int components = 1);

struct GreyJpeg {
    int width = 8;
    int height = 8;
    std::uint8_t acCodeOne = 0x00;
    int frameComponents = 1;
    int scanComponents = 1;
    // Segments right after the scan header: the decoder reads them as the
    // scan's data, then handles them as segments.
    Bytes afterScanHeader{};
    Bytes scan{};

    // SOI, DQT (all 1), SOF0, DHT, SOS, afterScanHeader, scan, EOI.
    Bytes build() const;
};

} // namespace orbit::test

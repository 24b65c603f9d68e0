// BMP, TGA and grey JPEG files built byte by byte, so each expected pixel or
// refusal follows from the format rather than from the reader.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

namespace orbit::test {

using Bytes = std::vector<std::uint8_t>;

Bytes cat(Bytes a, const Bytes& b);

// A BMP, or a packed DIB without the file header; a file names only what differs.
struct BmpTestFile {
    std::uint32_t headerSize = 40;
    bool fileHeader = true;
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t clrUsed = 0;
    std::vector<std::uint32_t> masks{};   // written after a 40-byte header
    std::vector<std::uint32_t> palette{}; // 0x00RRGGBB
    Bytes bits{};
    std::optional<std::uint32_t> bitsOffset{};

    Bytes build() const;
};

// Record bytes (rows bottom-up, R, G, B) of pixels given as 0xRRGGBB.
Bytes rgb(std::initializer_list<std::uint32_t> pixels);

// A TGA of the given image type, size and depth, identification field id, then body.
Bytes tgaFile(int type, int width, int height, int bits, const Bytes& body, const Bytes& id = {});

// JPEG SOS of components numbered from 1, each with tables 0.
Bytes scanHeader(int components = 1);

// A grey baseline JPEG of one-bit Huffman codes: either DC code is a difference
// of 0, AC code 0 ends the block, AC code 1 stands for acCodeOne. By default
// any bits decode, two a block: the least data the decoder accepts.
struct GreyJpeg {
    int width = 8;
    int height = 8;
    std::uint8_t acCodeOne = 0x00;
    int frameComponents = 1;
    int scanComponents = 1;
    // Segments after the scan header: read as its data, then as segments.
    Bytes afterScanHeader{};
    Bytes scan{};

    // SOI, DQT (all 1), SOF0 (each component 1 x 1), DHT, SOS, afterScanHeader, scan, EOI.
    Bytes build() const;
};

} // namespace orbit::test

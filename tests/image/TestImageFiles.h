// BMP and TGA files built byte by byte for the image tests, so each expected
// pixel follows from the format rather than from the reader.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

namespace orbit::test {

using Bytes = std::vector<std::uint8_t>;

// The fields of a BMP (or a packed DIB without the file header) and its
// pixel bits, laid out by build(). Every member has a default, so a file is
// written as a designated initialiser naming only what differs.
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

// A TGA header of the given image type, size and depth, an identification
// field holding id, then body.
Bytes tgaFile(int type, int width, int height, int bits, const Bytes& body, const Bytes& id = {});

} // namespace orbit::test

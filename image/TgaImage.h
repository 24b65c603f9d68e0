// The TGA reader's working record: the 18-byte header as read, the derived
// sizes and the pixels (R, G, B [, A] per pixel, the file's first row first,
// which becomes the texture's bottom row).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orbit {

struct TgaHeader {
    std::uint8_t identificationLength = 0;
    std::uint8_t colourMapType = 0;
    std::uint8_t imageType = 0;
    std::uint16_t colourMapOrigin = 0;
    std::uint16_t colourMapLength = 0;
    std::uint8_t colourMapEntrySize = 0;
    std::uint16_t xOrigin = 0;
    std::uint16_t yOrigin = 0;
    std::int16_t width = 0;  // made even by the reader
    std::int16_t height = 0; // made even by the reader
    std::uint8_t bitsPerPixel = 0;
    std::uint8_t imageDescriptor = 0;
};

struct TgaImage {
    // The GL's values for GL_RGB and GL_RGBA, so this record needs no GL header.
    static constexpr std::uint32_t glRgb = 0x1907;
    static constexpr std::uint32_t glRgba = 0x1908;

    TgaHeader header;
    std::int32_t bytesPerPixel = 0;
    std::size_t size = 0; // width * height * bytesPerPixel, after make-even
    std::uint32_t glFormat = 0;
    std::vector<std::uint8_t> pixels; // size bytes
};

} // namespace orbit

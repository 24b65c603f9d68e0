// A 24-bit device-independent image held in memory: a BITMAPINFOHEADER-like
// header plus a bottom-up BGR24 pixel array whose rows are padded to a multiple
// of 4 bytes. JPEG resources are loaded into it; ui/ draws it and the scene
// builds mipmapped textures straight from bits() (GL_BGR_EXT, alignment 4).
#pragma once

#include "platform/ResourceProvider.h"

#include <cstdint>
#include <vector>

namespace orbit {

// The fields of a BMP file's 40-byte BITMAPINFOHEADER that this image fills in.
struct BitmapInfoHeader {
    std::uint32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0; // positive: rows run bottom-up
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 24;
    std::uint32_t biCompression = 0; // BI_RGB
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

struct ImageSize {
    int width = 0;
    int height = 0;
};

class DibImage {
public:
    // Sides above this are refused by create().
    static constexpr int maxSide = 16384;

    // Replaces the image with a width x height 24-bit one (format 0, the only
    // one) filled with zero bytes. Returns 1, or 0 (image unchanged) when the
    // size is not positive or exceeds maxSide.
    int create(int width, int height, int format = 0, int fill = 0);

    // Decodes "Jpg" resource id into this image. Returns 1 on success; when
    // the decoder yields no image it neither creates nor copies and returns 0.
    int loadJpegResource(const ResourceProvider& resources, int id);

    // Width and height from the header (biWidth, biHeight); 0 x 0 before create.
    ImageSize size() const { return {header.biWidth, header.biHeight}; }
    int width() const { return header.biWidth; }
    int height() const { return header.biHeight; }

    // Bottom-up rows of B, G, R bytes, rowStride() bytes each; nullptr when
    // there is no image.
    const std::uint8_t* bits() const { return pixels.empty() ? nullptr : pixels.data(); }
    // Bytes per row: 3 * width + rowPad(), a multiple of 4.
    int rowStride() const { return 3 * header.biWidth + pad; }
    // Pad bytes at the end of each row (0-3).
    int rowPad() const { return pad; }
    const BitmapInfoHeader& info() const { return header; }

private:
    BitmapInfoHeader header;
    std::vector<std::uint8_t> pixels;
    int pad = 0;
    int colourCount = 0; // always 0: only 24-bit images are made
};

} // namespace orbit

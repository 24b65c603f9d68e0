// Baseline JPEG decoder with the program's own, fully fixed arithmetic:
// direct 8x8 matrix inverse DCT in single precision with four-decimal basis
// constants, truncation toward zero, pixel-replication upsampling and fixed
// YCbCr constants. Its output is deliberately not libjpeg's.
// Malformed data (bad Huffman codes, selectors past the slots, more than three
// components, odd sampling factors, oversized frames, reads past the end)
// stops the decode with "no image": width and height 0, no pixels.
#pragma once

#include "platform/ResourceProvider.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace orbit {

class JpegDecoder {
public:
    // Frames larger than this on either side are refused.
    static constexpr int maxSide = 16384;
    static constexpr std::size_t defaultMaxPixels = std::size_t{maxSide} * maxSide;

    // maxPixels bounds the padded frame area, so a caller (a fuzzer) can cap
    // the memory a decode may take.
    explicit JpegDecoder(std::size_t maxPixels = defaultMaxPixels);

    // Decodes one image from the bytes; true when a pixel array resulted.
    // The bytes need stay valid only during the call.
    bool decode(std::span<const std::uint8_t> bytes);
    // Decodes resource (type "Jpg", id). A missing resource gives no image.
    bool decode(const ResourceProvider& resources, int id);

    // After a successful decode: the image size. 0 after a failed one.
    std::uint16_t width() const { return imageWidth; }
    std::uint16_t height() const { return imageHeight; }
    // Bottom-up rows of B, G, R bytes, each row stride() bytes (a multiple of
    // 4; the 0-3 pad bytes hold whatever was decoded past the right edge).
    // nullptr when there is no image. Owned by the decoder.
    const std::uint8_t* pixels() const { return pixelArray.get(); }
    std::size_t stride() const { return (std::size_t{3} * imageWidth + 3) / 4 * 4; }
    std::span<const std::uint8_t> pixelBytes() const { return {pixelArray.get(), pixelSize}; }

private:
    std::size_t pixelLimit;
    std::uint16_t imageWidth = 0;
    std::uint16_t imageHeight = 0;
    // Not a vector: every byte is written by the decode, so the (large)
    // array is not zeroed first.
    std::unique_ptr<std::uint8_t[]> pixelArray;
    std::size_t pixelSize = 0;
};

} // namespace orbit

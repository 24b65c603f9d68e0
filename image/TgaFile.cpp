// TGA reading: the 18-byte header field by field, the make-even rule, the
// image-type check, then raw or run-length pixels with red and blue swapped.
// The identification field (and a colour map, when the
// header announces one) is skipped before the pixels instead of being read as
// pixels; unknown image types, non-positive sizes and files that end early are
// refused; run-length packets never write past the image.
#include "TgaFile.h"

#include "platform/FileBytes.h"

#include <algorithm>
#include <new>

namespace orbit {

namespace {

constexpr std::size_t headerBytes = 18;

std::uint16_t u16(std::span<const std::uint8_t> d, std::size_t i)
{
    return static_cast<std::uint16_t>(d[i] | d[i + 1] << 8);
}

TgaHeader readHeader(std::span<const std::uint8_t> d)
{
    TgaHeader h;
    h.identificationLength = d[0];
    h.colourMapType = d[1];
    h.imageType = d[2];
    h.colourMapOrigin = u16(d, 3);
    h.colourMapLength = u16(d, 5);
    h.colourMapEntrySize = d[7];
    h.xOrigin = u16(d, 8);
    h.yOrigin = u16(d, 10);
    h.width = static_cast<std::int16_t>(u16(d, 12));
    h.height = static_cast<std::int16_t>(u16(d, 14));
    h.bitsPerPixel = d[16];
    h.imageDescriptor = d[17];
    return h;
}

TgaError chooseFormat(TgaImage& image)
{
    const int bits = image.header.bitsPerPixel;
    switch (image.header.imageType) {
    case 1:
    case 9: return TgaError::ColourMapped;
    case 3: return TgaError::Greyscale;
    case 2:
    case 10:
        if (bits == 24 || bits == 32) {
            image.glFormat = bits == 24 ? TgaImage::glRgb : TgaImage::glRgba;
            return TgaError::None;
        }
        return image.header.imageType == 2 ? TgaError::UnsupportedRgbDepth : TgaError::UnsupportedCompressedDepth;
    default: return TgaError::UnsupportedType;
    }
}

void swapRedBlue(std::uint8_t* pixel) { std::swap(pixel[0], pixel[2]); }

TgaError readRunLength(std::span<const std::uint8_t> d, std::size_t at, TgaImage& image)
{
    const auto bpp = static_cast<std::size_t>(image.bytesPerPixel);
    const std::size_t size = image.size;
    // A packet of 1 + bpp bytes yields at most 128 pixels: refuse files that
    // cannot fill the image before allocating it.
    const std::size_t packets = (d.size() - at + bpp) / (1 + bpp);
    if (packets * 128 < size / bpp)
        return TgaError::Truncated;
    image.pixels.assign(size, 0);
    std::size_t produced = 0;
    while (produced < size) {
        if (at >= d.size())
            return TgaError::Truncated;
        const std::uint8_t h = d[at++];
        const std::size_t count = (h & 0x7Fu) + 1;
        const std::size_t room = (size - produced) / bpp;
        if (h & 0x80) {
            if (d.size() - at < bpp)
                return TgaError::Truncated;
            for (std::size_t i = 0; i < std::min(count, room); ++i) {
                std::copy_n(d.data() + at, bpp, image.pixels.data() + produced);
                swapRedBlue(image.pixels.data() + produced);
                produced += bpp;
            }
            at += bpp;
        } else {
            const std::size_t used = std::min(count, room);
            if (d.size() - at < used * bpp)
                return TgaError::Truncated;
            for (std::size_t i = 0; i < used; ++i) {
                std::copy_n(d.data() + at, bpp, image.pixels.data() + produced);
                swapRedBlue(image.pixels.data() + produced);
                produced += bpp;
                at += bpp;
            }
        }
    }
    return TgaError::None;
}

} // namespace

std::string tgaErrorMessage(TgaError error, std::string_view path)
{
    const std::string p(path);
    switch (error) {
    case TgaError::None: return {};
    case TgaError::OpenFailed: return "Failed to open TGA Texture File: " + p + ".";
    case TgaError::ColourMapped: return "TGA Texture File: " + p + " uses 8-bit Colour (No Longer Supported).";
    case TgaError::UnsupportedRgbDepth:
        return "TGA Texture File: " + p + " has an Unsuported RGB Format (Must be 24 or 32 bpp).";
    case TgaError::Greyscale:
        return "TGA Texture File: " + p + " has Unsuported Color Type (Must be Luminance or Alpha Greyscale).";
    case TgaError::UnsupportedCompressedDepth:
        return "TGA Texture File: " + p + " uses an Unsupported Compressed RGB format.";
    case TgaError::UnsupportedType:
        return "TGA Texture File: " + p + " has an Unsupported Image Type (Must be 2 or 10).";
    case TgaError::BadSize:
        return "TGA Texture File: " + p + " has an Invalid Image Size (Must be at least 2 x 2 pixels).";
    case TgaError::TooLarge:
        return "TGA Texture File: " + p + " has too Large an Image Size (Must be at most 16384 x 16384 pixels).";
    case TgaError::OutOfMemory: return "TGA Texture File: " + p + " is too Large to Load (Out of Memory).";
    case TgaError::Truncated: return "TGA Texture File: " + p + " is Truncated (the File Ends Before its Pixels Do).";
    }
    return {};
}

TgaResult decodeTga(std::span<const std::uint8_t> d, std::size_t maxPixels)
{
    TgaResult result;
    TgaImage& image = result.image;
    if (d.size() < headerBytes) {
        result.error = TgaError::Truncated;
        return result;
    }
    image.header = readHeader(d);
    image.header.width = static_cast<std::int16_t>(image.header.width / 2 * 2);
    image.header.height = static_cast<std::int16_t>(image.header.height / 2 * 2);
    image.bytesPerPixel = image.header.bitsPerPixel / 8;
    result.error = chooseFormat(image);
    if (result.error != TgaError::None)
        return result;
    const int width = image.header.width;
    const int height = image.header.height;
    if (width <= 0 || height <= 0) {
        result.error = TgaError::BadSize;
        return result;
    }
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    if (pixels > maxPixels) {
        result.error = TgaError::TooLarge;
        return result;
    }
    image.size = pixels * static_cast<std::size_t>(image.bytesPerPixel);

    std::size_t at = headerBytes + image.header.identificationLength;
    if (image.header.colourMapType == 1)
        at += std::size_t{image.header.colourMapLength} * ((image.header.colourMapEntrySize + 7u) / 8);
    if (at > d.size()) {
        result.error = TgaError::Truncated;
        return result;
    }
    try {
        if (image.header.imageType == 10) {
            result.error = readRunLength(d, at, image);
            if (result.error != TgaError::None)
                image.pixels.clear();
            return result;
        }
        const std::size_t size = image.size;
        if (d.size() - at < size) {
            result.error = TgaError::Truncated;
            return result;
        }
        image.pixels.assign(d.begin() + static_cast<std::ptrdiff_t>(at),
                            d.begin() + static_cast<std::ptrdiff_t>(at + size));
        for (std::size_t i = 0; i < size; i += static_cast<std::size_t>(image.bytesPerPixel))
            swapRedBlue(image.pixels.data() + i);
    } catch (const std::bad_alloc&) {
        image.pixels.clear();
        result.error = TgaError::OutOfMemory;
    }
    return result;
}

TgaResult readTgaFile(const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    int cause = 0;
    if (!readWholeFile(path, bytes, cause)) {
        TgaResult result;
        result.error = TgaError::OpenFailed;
        return result;
    }
    return decodeTga(bytes);
}

} // namespace orbit

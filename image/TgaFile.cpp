// TGA reading: the 18-byte header field by field, the make-even rule, the
// image-type check, then raw or run-length pixels with red and blue swapped.
// The identification field (and a colour map, when the
// header announces one) is skipped before the pixels instead of being read as
// pixels; unknown image types, non-positive sizes and files that end early are
// refused; run-length packets never write past the image.
#include "TgaFile.h"

#include "platform/ByteReader.h"
#include "platform/FileBytes.h"

#include <algorithm>
#include <new>

namespace orbit {

namespace {

TgaHeader readHeader(ByteReader& in)
{
    TgaHeader h;
    h.identificationLength = in.u8();
    h.colourMapType = in.u8();
    h.imageType = in.u8();
    h.colourMapOrigin = in.u16();
    h.colourMapLength = in.u16();
    h.colourMapEntrySize = in.u8();
    h.xOrigin = in.u16();
    h.yOrigin = in.u16();
    h.width = in.i16();
    h.height = in.i16();
    h.bitsPerPixel = in.u8();
    h.imageDescriptor = in.u8();
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

TgaError readRunLength(ByteReader& in, TgaImage& image)
{
    const auto bpp = static_cast<std::size_t>(image.bytesPerPixel);
    const std::size_t size = image.size;
    // A packet of 1 + bpp bytes yields at most 128 pixels: refuse files that
    // cannot fill the image before allocating it.
    const std::size_t packets = (in.remaining() + bpp) / (1 + bpp);
    if (packets * 128 < size / bpp)
        return TgaError::Truncated;
    image.pixels.assign(size, 0);
    std::size_t produced = 0;
    while (produced < size) {
        if (in.remaining() == 0)
            return TgaError::Truncated;
        const std::uint8_t h = in.u8();
        const std::size_t count = (h & 0x7Fu) + 1;
        const std::size_t room = (size - produced) / bpp;
        if (h & 0x80) {
            const std::span<const std::uint8_t> pixel = in.bytes(bpp);
            if (pixel.size() != bpp)
                return TgaError::Truncated;
            for (std::size_t i = 0; i < std::min(count, room); ++i) {
                std::copy_n(pixel.data(), bpp, image.pixels.data() + produced);
                swapRedBlue(image.pixels.data() + produced);
                produced += bpp;
            }
        } else {
            const std::span<const std::uint8_t> run = in.bytes(std::min(count, room) * bpp);
            if (in.overrun())
                return TgaError::Truncated;
            for (std::size_t i = 0; i < run.size(); i += bpp) {
                std::copy_n(run.data() + i, bpp, image.pixels.data() + produced);
                swapRedBlue(image.pixels.data() + produced);
                produced += bpp;
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
    ByteReader in(d);
    image.header = readHeader(in);
    if (in.overrun()) {
        result.error = TgaError::Truncated;
        return result;
    }
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

    in.skip(image.header.identificationLength);
    if (image.header.colourMapType == 1)
        in.skip(std::size_t{image.header.colourMapLength} * ((image.header.colourMapEntrySize + 7u) / 8));
    if (in.overrun()) {
        result.error = TgaError::Truncated;
        return result;
    }
    try {
        if (image.header.imageType == 10) {
            result.error = readRunLength(in, image);
            if (result.error != TgaError::None)
                image.pixels.clear();
            return result;
        }
        const std::span<const std::uint8_t> raw = in.bytes(image.size);
        if (in.overrun()) {
            result.error = TgaError::Truncated;
            return result;
        }
        image.pixels.assign(raw.begin(), raw.end());
        for (std::size_t i = 0; i < raw.size(); i += static_cast<std::size_t>(image.bytesPerPixel))
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

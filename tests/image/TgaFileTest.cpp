// The TGA reader: raw and run-length true-colour pixels with red and blue
// exchanged, the make-even rule, the skipped identification field, and every
// refusal with its message. Files are built here byte by byte.
#include "image/TgaFile.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

namespace orbit {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes tgaHeader(int type, int width, int height, int bits, Bytes id = {})
{
    Bytes h = {static_cast<std::uint8_t>(id.size()), 0, static_cast<std::uint8_t>(type), 0, 0, 0, 0, 0, 0, 0, 0, 0};
    h.push_back(static_cast<std::uint8_t>(width));
    h.push_back(static_cast<std::uint8_t>(width >> 8));
    h.push_back(static_cast<std::uint8_t>(height));
    h.push_back(static_cast<std::uint8_t>(height >> 8));
    h.push_back(static_cast<std::uint8_t>(bits));
    h.push_back(0);
    h.insert(h.end(), id.begin(), id.end());
    return h;
}

Bytes concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(TgaReader, PixelsComeOutRgbInFileOrder)
{
    struct Row {
        const char* what;
        Bytes file;
        int glFormat;
        Bytes pixels;
    };
    const Bytes bgr12 = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const Bytes rgb12 = {3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10};
    const Row rows[] = {
        {"raw 24 bits", concat(tgaHeader(2, 2, 2, 24), bgr12), TgaImage::glRgb, rgb12},
        {"identification field skipped", concat(tgaHeader(2, 2, 2, 24, {'o', 'r', 'b'}), bgr12), TgaImage::glRgb,
         rgb12},
        {"raw 32 bits, alpha in place",
         concat(tgaHeader(2, 2, 2, 32), {1, 2, 3, 200, 4, 5, 6, 201, 7, 8, 9, 202, 10, 11, 12, 203}),
         TgaImage::glRgba, {3, 2, 1, 200, 6, 5, 4, 201, 9, 8, 7, 202, 12, 11, 10, 203}},
        // A run of four, a raw packet of three, a raw packet of one.
        {"run-length packets",
         concat(tgaHeader(10, 4, 2, 24), {0x83, 10, 20, 30, 0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x00, 40, 50, 60}),
         TgaImage::glRgb, {30, 20, 10, 30, 20, 10, 30, 20, 10, 30, 20, 10, 3, 2, 1, 6, 5, 4, 9, 8, 7, 60, 50, 40}},
        {"a 128-pixel run clipped to the image", concat(tgaHeader(10, 2, 2, 32), {0xFF, 1, 2, 3, 4}),
         TgaImage::glRgba, {3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1, 4}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const TgaResult r = decodeTga(row.file);
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r.image.glFormat, row.glFormat);
        EXPECT_EQ(r.image.bytesPerPixel, row.glFormat == TgaImage::glRgb ? 3 : 4);
        EXPECT_EQ(r.image.size, row.pixels.size());
        EXPECT_EQ(r.image.pixels, row.pixels);
    }
}

TEST(TgaReader, OddSidesAreMadeEvenAndBytesTakenInFileOrder)
{
    // 65 x 64 is read as 64 x 64 (the make-even rule): the first 64 * 64
    // pixels of the file, so the second texture row starts with the file's
    // pixel 64 (the last pixel of the file's first row), not pixel 65.
    Bytes pixels;
    for (int i = 0; i < 65 * 64; ++i) {
        pixels.push_back(static_cast<std::uint8_t>(i));
        pixels.push_back(static_cast<std::uint8_t>(i >> 8));
        pixels.push_back(0x77);
    }
    const TgaResult r = decodeTga(concat(tgaHeader(2, 65, 64, 24), pixels));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.image.header.width, 64);
    EXPECT_EQ(r.image.header.height, 64);
    ASSERT_EQ(r.image.pixels.size(), 64u * 64u * 3u);
    const std::size_t secondRow = 64 * 3;
    EXPECT_EQ(r.image.pixels[secondRow + 2], 64); // blue of file pixel 64
    EXPECT_EQ(r.image.pixels[secondRow], 0x77);
}

TEST(TgaReader, RefusalsCarryTheirMessages)
{
    const Bytes some(64, 0x11);
    struct Row {
        const char* what;
        Bytes file;
        TgaError error;
        std::string text;
    };
    const std::string p = "tex.tga";
    const Row rows[] = {
        {"colour-mapped", concat(tgaHeader(1, 2, 2, 8), some), TgaError::ColourMapped,
         "TGA Texture File: tex.tga uses 8-bit Colour (No Longer Supported)."},
        {"run-length colour-mapped", concat(tgaHeader(9, 2, 2, 8), some), TgaError::ColourMapped,
         "TGA Texture File: tex.tga uses 8-bit Colour (No Longer Supported)."},
        {"16-bit true colour", concat(tgaHeader(2, 2, 2, 16), some), TgaError::UnsupportedRgbDepth,
         "TGA Texture File: tex.tga has an Unsuported RGB Format (Must be 24 or 32 bpp)."},
        {"greyscale", concat(tgaHeader(3, 2, 2, 8), some), TgaError::Greyscale,
         "TGA Texture File: tex.tga has Unsuported Color Type (Must be Luminance or Alpha Greyscale)."},
        {"16-bit run-length", concat(tgaHeader(10, 2, 2, 16), some), TgaError::UnsupportedCompressedDepth,
         "TGA Texture File: tex.tga uses an Unsupported Compressed RGB format."},
        {"no image data (type 0)", concat(tgaHeader(0, 2, 2, 24), some), TgaError::UnsupportedType,
         "TGA Texture File: tex.tga has an Unsupported Image Type (Must be 2 or 10)."},
        {"run-length greyscale (type 11)", concat(tgaHeader(11, 2, 2, 8), some), TgaError::UnsupportedType,
         "TGA Texture File: tex.tga has an Unsupported Image Type (Must be 2 or 10)."},
        {"width 1 becomes 0", concat(tgaHeader(2, 1, 2, 24), some), TgaError::BadSize,
         "TGA Texture File: tex.tga has an Invalid Image Size (Must be at least 2 x 2 pixels)."},
        {"negative height", concat(tgaHeader(2, 2, 0xFFFE, 24), some), TgaError::BadSize,
         tgaErrorMessage(TgaError::BadSize, p)},
        {"more pixels than 16384 x 16384", concat(tgaHeader(2, 32766, 8194, 24), some), TgaError::TooLarge,
         "TGA Texture File: tex.tga has too Large an Image Size (Must be at most 16384 x 16384 pixels)."},
        {"raw pixels cut short", concat(tgaHeader(2, 4, 4, 24), Bytes(47, 0x11)), TgaError::Truncated,
         "TGA Texture File: tex.tga is Truncated (the File Ends Before its Pixels Do)."},
        {"run-length cut short", concat(tgaHeader(10, 4, 4, 24), {0x83, 1, 2}), TgaError::Truncated,
         tgaErrorMessage(TgaError::Truncated, p)},
        {"shorter than the header", Bytes{0, 0, 2, 0, 0}, TgaError::Truncated, tgaErrorMessage(TgaError::Truncated, p)},
        {"identification field past the end", tgaHeader(2, 2, 2, 24, Bytes(255, 0)), TgaError::Truncated,
         tgaErrorMessage(TgaError::Truncated, p)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Bytes file = row.file;
        if (std::string(row.what) == "identification field past the end")
            file.resize(18 + 100);
        const TgaResult r = decodeTga(file);
        EXPECT_EQ(r.error, row.error);
        EXPECT_EQ(tgaErrorMessage(r.error, p), row.text);
        EXPECT_TRUE(r.image.pixels.empty());
    }
    EXPECT_EQ(tgaErrorMessage(TgaError::OutOfMemory, p),
              "TGA Texture File: tex.tga is too Large to Load (Out of Memory).");
}

TEST(TgaReader, SizeOfTheLargestHeaderIsExact)
{
    // 32766 x 32766 at 32 bits is 4294443024 bytes, past any 32-bit int.
    const TgaResult r = decodeTga(concat(tgaHeader(2, 32767, 32767, 32), Bytes(64, 0)), SIZE_MAX);
    EXPECT_EQ(r.error, TgaError::Truncated);
    EXPECT_EQ(r.image.size, std::uint64_t{32766} * 32766 * 4);
}

TEST(TgaReader, MissingFileMessage)
{
    test::ScratchDir dir("tga");
    const std::string path = (dir.path() / "nope.tga").string();
    const TgaResult r = readTgaFile(path);
    EXPECT_EQ(r.error, TgaError::OpenFailed);
    EXPECT_EQ(tgaErrorMessage(r.error, path), "Failed to open TGA Texture File: " + path + ".");
    EXPECT_EQ(readTgaFile(dir.path().string()).error, TgaError::OpenFailed); // a folder
}

} // namespace
} // namespace orbit

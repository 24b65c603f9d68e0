// The TGA reader: raw and run-length true-colour pixels with red and blue
// exchanged, the make-even rule, the skipped identification field, and every
// refusal with its message. (A file that cannot be read is the texture
// upload test's.)
#include "image/TgaFile.h"
#include "tests/image/TestImageFiles.h"

#include <gtest/gtest.h>

namespace orbit {
namespace {

using test::Bytes;
using test::tgaFile;

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
        {"raw 24 bits, identification field skipped", tgaFile(2, 2, 2, 24, bgr12, {'o', 'r', 'b'}),
         TgaImage::glRgb, rgb12},
        {"raw 32 bits, alpha in place",
         tgaFile(2, 2, 2, 32, {1, 2, 3, 200, 4, 5, 6, 201, 7, 8, 9, 202, 10, 11, 12, 203}), TgaImage::glRgba,
         {3, 2, 1, 200, 6, 5, 4, 201, 9, 8, 7, 202, 12, 11, 10, 203}},
        // Sides made even: the file's first 2 x 2 pixels, whatever its rows.
        {"3 x 2 read as 2 x 2",
         tgaFile(2, 3, 2, 24, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 9, 9, 9, 9, 9, 9}), TgaImage::glRgb,
         rgb12},
        // A run of four, a raw packet of three, a raw packet of one.
        {"run-length packets",
         tgaFile(10, 4, 2, 24, {0x83, 10, 20, 30, 0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x00, 40, 50, 60}),
         TgaImage::glRgb,
         {30, 20, 10, 30, 20, 10, 30, 20, 10, 30, 20, 10, 3, 2, 1, 6, 5, 4, 9, 8, 7, 60, 50, 40}},
        {"a 128-pixel run clipped to the image", tgaFile(10, 2, 2, 32, {0xFF, 1, 2, 3, 4}), TgaImage::glRgba,
         {3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1, 4}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const TgaResult r = decodeTga(row.file);
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r.image.glFormat, row.glFormat);
        EXPECT_EQ(r.image.size, row.pixels.size());
        EXPECT_EQ(r.image.pixels, row.pixels);
    }
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
    Bytes idPastEnd = tgaFile(2, 2, 2, 24, Bytes(100, 0));
    idPastEnd[0] = 255; // a 255-byte field, 100 bytes left
    const std::string truncated =
        "TGA Texture File: tex.tga is Truncated (the File Ends Before its Pixels Do).";
    const Row rows[] = {
        {"colour-mapped", tgaFile(9, 2, 2, 8, some), TgaError::ColourMapped,
         "TGA Texture File: tex.tga uses 8-bit Colour (No Longer Supported)."},
        {"16-bit true colour", tgaFile(2, 2, 2, 16, some), TgaError::UnsupportedRgbDepth,
         "TGA Texture File: tex.tga has an Unsuported RGB Format (Must be 24 or 32 bpp)."},
        {"greyscale", tgaFile(3, 2, 2, 8, some), TgaError::Greyscale,
         "TGA Texture File: tex.tga has Unsuported Color Type (Must be Luminance or Alpha Greyscale)."},
        {"16-bit run-length", tgaFile(10, 2, 2, 16, some), TgaError::UnsupportedCompressedDepth,
         "TGA Texture File: tex.tga uses an Unsupported Compressed RGB format."},
        {"run-length greyscale (type 11)", tgaFile(11, 2, 2, 8, some), TgaError::UnsupportedType,
         "TGA Texture File: tex.tga has an Unsupported Image Type (Must be 2 or 10)."},
        {"width 1 becomes 0", tgaFile(2, 1, 2, 24, some), TgaError::BadSize,
         "TGA Texture File: tex.tga has an Invalid Image Size (Must be at least 2 x 2 pixels)."},
        {"more pixels than 16384 x 16384", tgaFile(2, 32766, 8194, 24, some), TgaError::TooLarge,
         "TGA Texture File: tex.tga has too Large an Image Size (Must be at most 16384 x 16384 pixels)."},
        {"raw pixels cut short", tgaFile(2, 4, 4, 24, Bytes(47, 0x11)), TgaError::Truncated, truncated},
        {"run-length cut short", tgaFile(10, 4, 4, 24, {0x83, 1, 2}), TgaError::Truncated, truncated},
        {"shorter than the header", Bytes{0, 0, 2, 0, 0}, TgaError::Truncated, truncated},
        {"identification field past the end", idPastEnd, TgaError::Truncated, truncated},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const TgaResult r = decodeTga(row.file);
        EXPECT_EQ(r.error, row.error);
        EXPECT_EQ(tgaErrorMessage(r.error, "tex.tga"), row.text);
        EXPECT_TRUE(r.image.pixels.empty());
    }
    EXPECT_EQ(tgaErrorMessage(TgaError::OutOfMemory, "tex.tga"),
              "TGA Texture File: tex.tga is too Large to Load (Out of Memory).");
}

TEST(TgaReader, SizeOfTheLargestHeaderIsExact)
{
    // 32766 x 32766 at 32 bits is 4294443024 bytes, past any 32-bit int.
    const TgaResult r = decodeTga(tgaFile(2, 32767, 32767, 32, Bytes(64, 0)), SIZE_MAX);
    EXPECT_EQ(r.error, TgaError::Truncated);
    EXPECT_EQ(r.image.size, std::uint64_t{32766} * 32766 * 4);
}

} // namespace
} // namespace orbit

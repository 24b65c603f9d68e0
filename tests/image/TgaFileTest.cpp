// The TGA reader: raw and run-length pixels, the make-even rule, skipped
// fields, and every refusal with its message.
#include "image/TgaFile.h"
#include "tests/image/TestImageFiles.h"

#include <gtest/gtest.h>

#include <tuple>

namespace orbit {
namespace {

using test::Bytes;
using test::cat;
using test::tgaFile;

TEST(TgaReader, PixelsComeOutRgbInFileOrder)
{
    const Bytes bgr12 = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const Bytes rgb12 = {3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10};
    // A true-colour file may carry a colour map: two 24-bit entries to skip.
    Bytes mapped = tgaFile(2, 2, 2, 24, cat(Bytes(6, 0xEE), bgr12));
    mapped[1] = 1;  // colour map type
    mapped[5] = 2;  // entries
    mapped[7] = 24; // bits each
    const std::tuple<const char*, Bytes, int, Bytes> rows[] = {
        {"colour map skipped", mapped, TgaImage::glRgb, rgb12},
        // Sides made even: the file's first 2 x 2 pixels, whatever its rows.
        {"3 x 2 read as 2 x 2, identification field skipped",
         tgaFile(2, 3, 2, 24, cat(bgr12, Bytes(6, 9)), {'o', 'r', 'b'}), TgaImage::glRgb, rgb12},
        // A run of four, a raw packet of three, a raw packet of one.
        {"run-length packets",
         tgaFile(10, 4, 2, 24, {0x83, 10, 20, 30, 0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x00, 40, 50, 60}),
         TgaImage::glRgb,
         {30, 20, 10, 30, 20, 10, 30, 20, 10, 30, 20, 10, 3, 2, 1, 6, 5, 4, 9, 8, 7, 60, 50, 40}},
        {"a 128-pixel run clipped to the image", tgaFile(10, 2, 2, 32, {0xFF, 1, 2, 3, 4}), TgaImage::glRgba,
         {3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1, 4}},
    };
    for (const auto& [what, file, glFormat, pixels] : rows) {
        SCOPED_TRACE(what);
        const TgaResult r = decodeTga(file);
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r.image.glFormat, glFormat);
        EXPECT_EQ(r.image.pixels, pixels);
    }
}

TEST(TgaReader, RefusalsCarryTheirMessages)
{
    const Bytes some(64, 0x11);
    const std::string truncated = "is Truncated (the File Ends Before its Pixels Do).";
    // The file, then the message after "TGA Texture File: tex.tga ".
    const std::pair<Bytes, std::string> rows[] = {
        {tgaFile(9, 2, 2, 8, some), "uses 8-bit Colour (No Longer Supported)."},
        {tgaFile(2, 2, 2, 16, some), "has an Unsuported RGB Format (Must be 24 or 32 bpp)."},
        {tgaFile(3, 2, 2, 8, some), "has Unsuported Color Type (Must be Luminance or Alpha Greyscale)."},
        {tgaFile(10, 2, 2, 16, some), "uses an Unsupported Compressed RGB format."},
        {tgaFile(11, 2, 2, 8, some), "has an Unsupported Image Type (Must be 2 or 10)."},
        // Width 1 is made even to 0.
        {tgaFile(2, 1, 2, 24, some), "has an Invalid Image Size (Must be at least 2 x 2 pixels)."},
        {tgaFile(2, 32766, 8194, 24, some),
         "has too Large an Image Size (Must be at most 16384 x 16384 pixels)."},
        {tgaFile(2, 4, 4, 24, Bytes(47, 0x11)), truncated},
        {tgaFile(10, 4, 4, 24, {0x83, 1, 2}), truncated},
    };
    for (const auto& [file, text] : rows) {
        SCOPED_TRACE(text);
        const TgaResult r = decodeTga(file);
        EXPECT_EQ(tgaErrorMessage(r.error, "tex.tga"), "TGA Texture File: tex.tga " + text);
        EXPECT_TRUE(r.image.pixels.empty());
    }
    EXPECT_EQ(tgaErrorMessage(TgaError::OutOfMemory, "tex.tga"),
              "TGA Texture File: tex.tga is too Large to Load (Out of Memory).");
    // 32766 x 32766 at 32 bits is 4294443024 bytes, past any 32-bit int.
    const TgaResult r = decodeTga(tgaFile(2, 32767, 32767, 32, some), SIZE_MAX);
    EXPECT_EQ(r.error, TgaError::Truncated);
    EXPECT_EQ(r.image.size, std::uint64_t{32766} * 32766 * 4);
}

} // namespace
} // namespace orbit

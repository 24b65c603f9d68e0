// decodeBmp: every bit depth and compression it accepts, both header forms,
// hostile files, and every refusal with its text.
#include "image/BmpFile.h"
#include "tests/image/TestImageFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace orbit {
namespace {

using test::BmpTestFile;
using test::Bytes;
using test::rgb;

TEST(BmpConversion, EveryVariantGivesPackedBottomUpRgb)
{
    // 24 bits with row padding is the texture upload test's.
    const std::pair<BmpTestFile, Bytes> rows[] = {
        {{.width = 3, .bitCount = 8, .palette = {0x102030, 0x405060}, .bits = {1, 0, 1, 0xEE}},
         rgb({0x405060, 0x102030, 0x405060})},
        // 4 bits: index 9 lies past the 4-entry table, black.
        {{.width = 3, .bitCount = 4, .clrUsed = 4, .palette = {1, 2, 3, 4}, .bits = {0x39, 0x10, 0, 0}},
         rgb({0x000004, 0x000000, 0x000002})},
        // 16 bits, 5-5-5 (a row of two, no pad) and 5-6-5: fields widened by
        // repeating their top bits.
        {{.width = 2, .bitCount = 16, .bits = {0xFF, 0x7F, 0x10, 0x00}}, rgb({0xFFFFFF, 0x000084})},
        {{.width = 3, .bitCount = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F},
          .bits = {0x00, 0xF8, 0xE0, 0x07, 0x00, 0x04, 0, 0}},
         rgb({0xFF0000, 0x00FF00, 0x008200})},
        {{.height = 2, .bitCount = 32, .bits = {1, 2, 3, 0xFF, 4, 5, 6, 0}}, rgb({0x030201, 0x060504})},
        // RLE8: run, absolute run, delta, and a last run with no end code.
        {{.width = 4, .height = 3, .bitCount = 8, .compression = 1, .palette = {0x000000, 0x111111, 0x222222},
          .bits = {3, 1, 0, 0,             // row 0: three of colour 1, end of line
                   0, 3, 2, 1, 2, 1, 0, 0, // row 1: absolute 2 1 2 (pad byte 1 unused), end of line
                   0, 2, 1, 0,             // delta: right 1 -> row 2, x 1
                   2, 2, 9, 1}},           // two of colour 2, clipped run past the edge
         rgb({0x111111, 0x111111, 0x111111, 0,          // row 0
              0x222222, 0x111111, 0x222222, 0,          // row 1
              0, 0x222222, 0x222222, 0x111111})},       // row 2
        // RLE4: an alternating run, absolute nibbles (the fourth unused).
        {{.width = 5, .height = 2, .bitCount = 4, .compression = 2,
          .palette = {0x000000, 0x0000AA, 0x00AA00, 0xAA0000, 0xAAAAAA, 0x555555},
          .bits = {5, 0x12, 0, 0, 0, 3, 0x34, 0x55, 0, 1}},
         rgb({0x0000AA, 0x00AA00, 0x0000AA, 0x00AA00, 0x0000AA, 0xAA0000, 0xAAAAAA, 0x555555, 0, 0})},
        // A packed DIB of the core header: 3-byte colours, the bits right after them.
        {{.headerSize = 12, .fileHeader = false, .width = 3, .bitCount = 1, .palette = {0, 0xFFFFFF},
          .bits = {0b01000000, 0, 0, 0}},
         rgb({0, 0xFFFFFF, 0})},
        // Top-down rows come out upright.
        {{.height = -2, .bits = {1, 2, 3, 0, 4, 5, 6, 0}}, rgb({0x060504, 0x030201})},
        // Pixel data cut short: converted up to the end.
        {{.height = 2, .bits = {1, 2, 3, 0}}, rgb({0x030201, 0})},
        // The pixel offset in the file header wins.
        {{.bits = {0xEE, 0xEE, 1, 2, 3, 0}, .bitsOffset = 14 + 40 + 2}, rgb({0x030201})},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i);
        const auto& [layout, expected] = rows[i];
        const BmpResult result = decodeBmp(layout.build());
        ASSERT_EQ(result.error, BmpError::None);
        EXPECT_EQ(result.record.width, layout.width);
        EXPECT_EQ(result.record.height, std::abs(layout.height));
        EXPECT_EQ(result.record.data, expected);
    }
}

TEST(BmpConversion, RefusalsCarryTheirMessages)
{
    const BmpError conversion = BmpError::ConversionError;
    const Bytes four(4, 0);
    const std::pair<Bytes, BmpError> rows[] = {
        {BmpTestFile{.headerSize = 124}.build(), BmpError::UnknownFormat}, // V5
        {Bytes{'B', 'M', 0, 0}, BmpError::UnknownFormat}, // too short for a header
        {BmpTestFile{.height = 0}.build(), BmpError::OutOfMemory},
        {BmpTestFile{.compression = 4, .bits = four}.build(), conversion}, // JPEG
        {BmpTestFile{.bits = four, .bitsOffset = 5000}.build(), conversion},
        // RLE is bottom-up only.
        {BmpTestFile{.height = -1, .bitCount = 8, .compression = 1, .palette = {0}, .bits = {1, 0, 0, 1}}
             .build(),
         conversion},
        {BmpTestFile{.width = 4, .bits = {1, 2}}.build(), conversion}, // no whole pixel
        // Bits for 48 pixels of 49 even at one bit each (eight a byte).
        {BmpTestFile{.width = 7, .height = 7, .bits = Bytes(6, 0)}.build(), conversion},
        {Bytes{}, BmpError::OpenFailed},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i);
        const BmpResult result = decodeBmp(rows[i].first);
        EXPECT_EQ(result.error, rows[i].second);
        EXPECT_TRUE(result.record.data.empty());
    }
    EXPECT_EQ(bmpErrorMessage(BmpError::UnknownFormat, "x.bmp"), "Unknown DIB file format.");
    EXPECT_EQ(bmpErrorMessage(BmpError::OutOfMemory, "x.bmp"), "Out of memory.");
    EXPECT_EQ(bmpErrorMessage(conversion, "x.bmp"), "Image file conversion error.");
}

} // namespace
} // namespace orbit

// loadBmpFile and our SetDIBits stand-in: every bit depth and compression the
// platform accepts, both header forms with and without the file header,
// top-down files, bounds on hostile files, and every refusal with its text.
// Files are built here byte by byte so each expected pixel follows from the
// format, not from the reader.
#include "image/BmpFile.h"
#include "tests/image/BmpTestFile.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <optional>

namespace orbit {
namespace {

using test::BmpTestFile;
using test::Bytes;
using test::rgb;

struct Case {
    const char* what;
    BmpTestFile layout;
    int width;
    int height;
    Bytes expected;
};

std::vector<Case> conversionCases()
{
    std::vector<Case> cases;
    {
        BmpTestFile s; // 3 x 2, rows of 9 bytes padded to 12, bottom row first
        s.width = 3;
        s.height = 2;
        s.bits = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0xEE, 0xEE, 0xEE,
                  0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0xEE, 0xEE, 0xEE};
        cases.push_back({"24 bits, row pad skipped", s, 3, 2,
                         rgb({0x030201, 0x060504, 0x090807, 0x131211, 0x161514, 0x191817})});
    }
    {
        BmpTestFile s; // 3-pixel-wide 8-bit file with a 256-entry table
        s.width = 3;
        s.height = 1;
        s.bitCount = 8;
        for (std::uint32_t i = 0; i < 256; ++i)
            s.palette.push_back(i << 16 | (255 - i) << 8 | (i ^ 0x55));
        s.bits = {0, 7, 255, 0xEE};
        cases.push_back({"8 bits, 256 colours", s, 3, 1, rgb({0x00FF55, 0x07F852, 0xFF00AA})});
    }
    {
        BmpTestFile s; // 10 pixels of 1 bit, most significant bit first
        s.width = 10;
        s.bitCount = 1;
        s.palette = {0x102030, 0xA0B0C0};
        s.bits = {0b10110000, 0b01000000, 0, 0};
        cases.push_back({"1 bit", s, 10, 1,
                         rgb({0xA0B0C0, 0x102030, 0xA0B0C0, 0xA0B0C0, 0x102030, 0x102030, 0x102030, 0x102030,
                              0x102030, 0xA0B0C0})});
    }
    {
        BmpTestFile s; // 4 bits with a 4-entry table: index 9 lies past it, black
        s.width = 3;
        s.bitCount = 4;
        s.clrUsed = 4;
        s.palette = {0x000001, 0x000002, 0x000003, 0x000004};
        s.bits = {0x39, 0x10, 0, 0};
        cases.push_back({"4 bits, index past a short table", s, 3, 1, rgb({0x000004, 0x000000, 0x000002})});
    }
    {
        BmpTestFile s; // 16 bits 5-5-5: fields widened by repeating their top bits
        s.width = 3;
        s.bitCount = 16;
        s.bits = {0xFF, 0x7F, 0x1F, 0x00, 0x10, 0x00, 0, 0};
        cases.push_back({"16 bits 5-5-5", s, 3, 1, rgb({0xFFFFFF, 0x0000FF, 0x000084})});
    }
    {
        BmpTestFile s; // 16 bits with 5-6-5 bit-field masks
        s.width = 3;
        s.bitCount = 16;
        s.compression = 3;
        s.masks = {0xF800, 0x07E0, 0x001F};
        s.bits = {0x00, 0xF8, 0xE0, 0x07, 0x00, 0x04, 0, 0};
        cases.push_back({"16 bits 5-6-5 bit fields", s, 3, 1, rgb({0xFF0000, 0x00FF00, 0x008200})});
    }
    {
        BmpTestFile s; // 32 bits, B G R x
        s.width = 2;
        s.bitCount = 32;
        s.bits = {0x01, 0x02, 0x03, 0xFF, 0x04, 0x05, 0x06, 0x00};
        cases.push_back({"32 bits", s, 2, 1, rgb({0x030201, 0x060504})});
    }
    {
        BmpTestFile s; // 32 bits with R G B in the top three bytes
        s.width = 1;
        s.bitCount = 32;
        s.compression = 3;
        s.masks = {0xFF000000, 0x00FF0000, 0x0000FF00};
        s.bits = {0x99, 0x30, 0x20, 0x10};
        cases.push_back({"32 bits bit fields", s, 1, 1, rgb({0x102030})});
    }
    {
        BmpTestFile s; // RLE8, 4 x 3: run, absolute run, delta, end of bitmap
        s.width = 4;
        s.height = 3;
        s.bitCount = 8;
        s.compression = 1;
        s.palette = {0x000000, 0x111111, 0x222222};
        s.bits = {3, 1, 0, 0,               // row 0: three of colour 1, end of line
                  0, 3, 2, 1, 2, 0, 0, 0,   // row 1: absolute 2 1 2 (padded), end of line
                  0, 2, 1, 0,               // delta: right 1 -> row 2, x 1
                  2, 2, 9, 1,               // two of colour 2, clipped run past the edge
                  0, 1};                    // end of bitmap
        cases.push_back({"RLE8", s, 4, 3,
                         rgb({0x111111, 0x111111, 0x111111, 0, 0x222222, 0x111111, 0x222222, 0, 0, 0x222222, 0x222222,
                              0x111111})});
    }
    {
        BmpTestFile s; // RLE4, 5 x 2: alternating run, absolute nibbles
        s.width = 5;
        s.height = 2;
        s.bitCount = 4;
        s.compression = 2;
        s.palette = {0x000000, 0x0000AA, 0x00AA00, 0xAA0000, 0xAAAAAA, 0x555555};
        s.bits = {5, 0x12, 0, 0,        // row 0: 1 2 1 2 1
                  0, 3, 0x34, 0x50,     // row 1: absolute 3 4 5 (2 bytes, already even)
                  0, 1};
        cases.push_back({"RLE4", s, 5, 2,
                         rgb({0x0000AA, 0x00AA00, 0x0000AA, 0x00AA00, 0x0000AA, 0xAA0000, 0xAAAAAA, 0x555555, 0, 0})});
    }
    {
        BmpTestFile s; // 12-byte core header with a 16-entry table of 3-byte entries
        s.headerSize = 12;
        s.width = 2;
        s.bitCount = 4;
        for (std::uint32_t i = 0; i < 16; ++i)
            s.palette.push_back(i * 0x111111);
        s.bits = {0xF3, 0, 0, 0};
        cases.push_back({"core header, 3-byte colours", s, 2, 1, rgb({0xFFFFFF, 0x333333})});
    }
    {
        BmpTestFile s; // packed DIB: no file header, bits follow a 2-entry table
        s.fileHeader = false;
        s.width = 2;
        s.bitCount = 8;
        s.clrUsed = 2;
        s.palette = {0x0A0B0C, 0x0D0E0F};
        s.bits = {1, 0, 0, 0};
        cases.push_back({"no file header, 40-byte header", s, 2, 1, rgb({0x0D0E0F, 0x0A0B0C})});
    }
    {
        BmpTestFile s; // packed core DIB: bits at header + 12 + 3 * 2
        s.fileHeader = false;
        s.headerSize = 12;
        s.width = 3;
        s.bitCount = 1;
        s.palette = {0x000000, 0xFFFFFF};
        s.bits = {0b01000000, 0, 0, 0};
        cases.push_back({"no file header, core header", s, 3, 1, rgb({0, 0xFFFFFF, 0})});
    }
    {
        BmpTestFile s; // top-down: the file's first row is the picture's top
        s.width = 1;
        s.height = -2;
        s.bits = {0x01, 0x02, 0x03, 0, 0x04, 0x05, 0x06, 0};
        cases.push_back({"top-down rows come out upright", s, 1, 2, rgb({0x060504, 0x030201})});
    }
    {
        BmpTestFile s; // the last row is missing from the file: converted up to the end
        s.width = 1;
        s.height = 2;
        s.bits = {0x01, 0x02, 0x03, 0};
        cases.push_back({"pixel data cut short", s, 1, 2, rgb({0x030201, 0})});
    }
    {
        BmpTestFile s; // pixel offset in the file header wins over the layout
        s.width = 1;
        s.bits = {0xEE, 0xEE, 0x01, 0x02, 0x03, 0};
        s.bitsOffset = 14 + 40 + 2;
        cases.push_back({"pixel offset from the file header", s, 1, 1, rgb({0x030201})});
    }
    return cases;
}

TEST(BmpConversion, EveryVariantGivesPackedBottomUpRgb)
{
    for (const Case& c : conversionCases()) {
        SCOPED_TRACE(c.what);
        const BmpResult result = decodeBmp(c.layout.build());
        ASSERT_EQ(result.error, BmpError::None);
        EXPECT_EQ(result.record.width, c.width);
        EXPECT_EQ(result.record.height, c.height);
        EXPECT_EQ(result.record.data, c.expected);
    }
}

TEST(BmpConversion, RefusalsCarryTheirMessages)
{
    struct Refusal {
        const char* what;
        Bytes file;
        BmpError error;
        const char* text;
    };
    std::vector<Refusal> rows;
    for (std::uint32_t size : {108u, 124u, 64u}) {
        BmpTestFile s;
        s.headerSize = size;
        rows.push_back({"V4/V5/unknown header", s.build(), BmpError::UnknownFormat, "Unknown DIB file format."});
    }
    rows.push_back({"too short for a header", Bytes{'B', 'M', 0, 0}, BmpError::UnknownFormat, "Unknown DIB file format."});
    {
        BmpTestFile s;
        s.width = 0;
        rows.push_back({"zero width", s.build(), BmpError::OutOfMemory, "Out of memory."});
        s.width = 70000;
        rows.push_back({"width past the limit", s.build(), BmpError::OutOfMemory, "Out of memory."});
    }
    {
        BmpTestFile s;
        s.compression = 4; // JPEG inside a BMP
        s.bits = {0, 0, 0, 0};
        rows.push_back({"JPEG compression", s.build(), BmpError::ConversionError, "Image file conversion error."});
        s.compression = 0;
        s.bitCount = 2;
        rows.push_back({"2 bits per pixel", s.build(), BmpError::ConversionError, "Image file conversion error."});
        s.bitCount = 24;
        s.bitsOffset = 5000;
        rows.push_back({"pixel offset past the end", s.build(), BmpError::ConversionError,
                        "Image file conversion error."});
    }
    {
        BmpTestFile s;
        s.bitCount = 8;
        s.compression = 1;
        s.height = -1; // RLE is bottom-up only
        s.palette = {0};
        s.bits = {1, 0, 0, 1};
        rows.push_back({"top-down RLE", s.build(), BmpError::ConversionError, "Image file conversion error."});
    }
    {
        BmpTestFile s;
        s.width = 4;
        s.bits = {0x01, 0x02}; // not even one pixel
        rows.push_back({"no whole pixel", s.build(), BmpError::ConversionError, "Image file conversion error."});
    }
    rows.push_back({"empty file", Bytes{}, BmpError::OpenFailed, "Failed to open DIB file x.bmp.\n"});

    for (const Refusal& r : rows) {
        SCOPED_TRACE(r.what);
        const BmpResult result = decodeBmp(r.file);
        EXPECT_EQ(result.error, r.error);
        EXPECT_EQ(bmpErrorMessage(result.error, "x.bmp"), r.text);
        EXPECT_TRUE(result.record.data.empty());
    }
}

TEST(BmpConversion, HostileRunsStayInsideTheImage)
{
    BmpTestFile s;
    s.width = 2;
    s.height = 2;
    s.bitCount = 8;
    s.compression = 1;
    s.palette = {0x000000, 0xFFFFFF};
    s.bits = {255, 1,             // a run far past the row end
              0, 2, 200, 200,     // a delta far outside the picture
              255, 1, 0, 255, 1}; // absolute run longer than the data
    const BmpResult result = decodeBmp(s.build());
    ASSERT_EQ(result.error, BmpError::None);
    EXPECT_EQ(result.record.data, rgb({0xFFFFFF, 0xFFFFFF, 0, 0}));
}

TEST(LoadBmpFile, ShowsTheMessageUnderErrorAndReturnsNothing)
{
    test::ScratchDir dir("bmp");
    RecordingNotifier notifier("orbit-patrol");
    const std::string missing = (dir.path() / "missing.bmp").string();
    EXPECT_FALSE(loadBmpFile(missing, notifier));
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].text, "Failed to open DIB file " + missing + ".\n");
    EXPECT_EQ(notifier.messages[0].caption, "Error");
    EXPECT_EQ(notifier.messages[0].buttons, MessageButtons::Ok);

    // A folder opens but cannot be read: the same message.
    EXPECT_EQ(readBmpFile(dir.path().string()).error, BmpError::OpenFailed);

    BmpTestFile v5;
    v5.headerSize = 124;
    const std::string refused = (dir.path() / "v5.bmp").string();
    test::writeFileBytes(refused, v5.build());
    EXPECT_FALSE(loadBmpFile(refused, notifier));
    ASSERT_EQ(notifier.messages.size(), 2u);
    EXPECT_EQ(notifier.messages[1].text, "Unknown DIB file format.");

    BmpTestFile good;
    good.width = 1;
    good.bits = {0x10, 0x20, 0x30, 0};
    const std::string fine = (dir.path() / "good.bmp").string();
    test::writeFileBytes(fine, good.build());
    const std::optional<RgbImageRecord> record = loadBmpFile(fine, notifier);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->data, rgb({0x302010}));
    EXPECT_EQ(notifier.messages.size(), 2u);
}

} // namespace
} // namespace orbit

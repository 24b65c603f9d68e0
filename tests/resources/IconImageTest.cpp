// The icon/cursor decoder on files built here byte by byte: pixel layout
// (bottom-up storage to top-down RGBA, palette order B, G, R), AND-mask
// transparency, hot spots, size choice, and refusal of malformed input.
#include "resources/IconImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace orbit {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& out, unsigned value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(Bytes& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// One DIB entry: header, optional palette (B, G, R, 0), XOR rows, AND rows,
// exactly as given (rows already bottom-up and padded by the caller).
struct Dib {
    int width = 2;
    int height = 2;
    int bitsPerPixel = 4;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::vector<std::array<std::uint8_t, 3>> palette; // R, G, B
    Bytes xorRows;
    Bytes andRows;

    Bytes bytes() const
    {
        Bytes out;
        put32(out, 40);
        put32(out, static_cast<std::uint32_t>(width));
        put32(out, static_cast<std::uint32_t>(height * 2));
        put16(out, 1);
        put16(out, static_cast<unsigned>(bitsPerPixel));
        put32(out, compression);
        put32(out, 0);
        put32(out, 0);
        put32(out, 0);
        put32(out, coloursUsed);
        put32(out, 0);
        for (const auto& c : palette) {
            out.push_back(c[2]);
            out.push_back(c[1]);
            out.push_back(c[0]);
            out.push_back(0);
        }
        out.insert(out.end(), xorRows.begin(), xorRows.end());
        out.insert(out.end(), andRows.begin(), andRows.end());
        return out;
    }
};

struct Entry {
    int size;
    unsigned field1; // planes or hot spot x
    unsigned field2; // bit count or hot spot y
    Bytes dib;
};

Bytes iconFile(unsigned type, const std::vector<Entry>& entries)
{
    Bytes out;
    put16(out, 0);
    put16(out, type);
    put16(out, static_cast<unsigned>(entries.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(entries.size());
    for (const Entry& e : entries) {
        out.push_back(static_cast<std::uint8_t>(e.size % 256));
        out.push_back(static_cast<std::uint8_t>(e.size % 256));
        out.push_back(16);
        out.push_back(0);
        put16(out, e.field1);
        put16(out, e.field2);
        put32(out, static_cast<std::uint32_t>(e.dib.size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(e.dib.size());
    }
    for (const Entry& e : entries)
        out.insert(out.end(), e.dib.begin(), e.dib.end());
    return out;
}

// A 2x2, 4-bit image: top row red, green; bottom row blue, masked. Stored
// bottom row first: indices (3, 0) then (1, 2); the AND mask has the left
// pixel of the bottom row set.
Dib twoByTwo()
{
    Dib dib;
    dib.palette = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    dib.coloursUsed = 4;
    dib.xorRows = {0x30, 0, 0, 0, 0x12, 0, 0, 0};
    dib.andRows = {0x80, 0, 0, 0, 0x00, 0, 0, 0};
    return dib;
}

std::array<std::uint8_t, 4> pixelAt(const IconImage& image, int x, int y)
{
    const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x)) * 4;
    return {image.rgba[at], image.rgba[at + 1], image.rgba[at + 2], image.rgba[at + 3]};
}

using Rgba = std::array<std::uint8_t, 4>;

TEST(IconImage, FourBitIconBecomesTopDownRgbaWithMaskedPixelsTransparent)
{
    const Bytes file = iconFile(1, {{2, 1, 4, twoByTwo().bytes()}});
    const auto image = decodeIconResource(file, 32);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 2);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(image->hotSpotX + image->hotSpotY, 0) << "an icon has no hot spot";
    ASSERT_EQ(image->rgba.size(), 16u);
    EXPECT_EQ(pixelAt(*image, 0, 0), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*image, 1, 0), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(pixelAt(*image, 0, 1), (Rgba{0, 0, 0, 0}));
    EXPECT_EQ(pixelAt(*image, 1, 1), (Rgba{0, 0, 0, 255}));
}

TEST(IconImage, CursorCarriesItsHotSpotFromTheDirectoryKeptOnThePicture)
{
    const struct {
        unsigned x, y;
        int expectedX, expectedY;
    } rows[] = {{1, 0, 1, 0}, {40, 9, 1, 1}};
    for (const auto& row : rows) {
        const auto image = decodeIconResource(iconFile(2, {{2, row.x, row.y, twoByTwo().bytes()}}), 2);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->hotSpotX, row.expectedX) << row.x;
        EXPECT_EQ(image->hotSpotY, row.expectedY) << row.y;
    }
}

TEST(IconImage, TwentyFourAndThirtyTwoBitPixels)
{
    Dib rgb = twoByTwo();
    rgb.bitsPerPixel = 24;
    rgb.palette.clear();
    rgb.coloursUsed = 0;
    // Rows of 2 x 3 bytes padded to 8; pixels stored B, G, R.
    rgb.xorRows = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    auto image = decodeIconResource(iconFile(1, {{2, 1, 24, rgb.bytes()}}), 16);
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelAt(*image, 0, 0), (Rgba{9, 8, 7, 255}));
    EXPECT_EQ(pixelAt(*image, 1, 0), (Rgba{12, 11, 10, 255}));
    EXPECT_EQ(pixelAt(*image, 0, 1), (Rgba{0, 0, 0, 0}));
    EXPECT_EQ(pixelAt(*image, 1, 1), (Rgba{6, 5, 4, 255}));

    // A colour table counted in the header stands before the pixels.
    Dib withTable = rgb;
    withTable.palette = {{90, 91, 92}, {93, 94, 95}};
    withTable.coloursUsed = 2;
    image = decodeIconResource(iconFile(1, {{2, 1, 24, withTable.bytes()}}), 16);
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelAt(*image, 0, 0), (Rgba{9, 8, 7, 255}));
    EXPECT_EQ(pixelAt(*image, 1, 1), (Rgba{6, 5, 4, 255}));

    // With an alpha channel in use, alpha decides and the mask is ignored.
    Dib rgba = rgb;
    rgba.bitsPerPixel = 32;
    rgba.xorRows = {1, 2, 3, 255, 4, 5, 6, 0, 7, 8, 9, 200, 10, 11, 12, 10};
    image = decodeIconResource(iconFile(1, {{2, 1, 32, rgba.bytes()}}), 16);
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelAt(*image, 0, 0), (Rgba{9, 8, 7, 255}));
    EXPECT_EQ(pixelAt(*image, 1, 0), (Rgba{0, 0, 0, 0}));
    EXPECT_EQ(pixelAt(*image, 0, 1), (Rgba{3, 2, 1, 255}));
    EXPECT_EQ(pixelAt(*image, 1, 1), (Rgba{0, 0, 0, 0}));
}

// An image whose every pixel is palette entry 1, so its colour tells which
// entry the decoder chose.
Bytes solid(int size, std::uint8_t red)
{
    Dib dib;
    dib.width = size;
    dib.height = size;
    dib.palette = {{0, 0, 0}, {red, 0, 0}};
    dib.coloursUsed = 2;
    const std::size_t xorStride = (static_cast<std::size_t>(size) * 4 + 31) / 32 * 4;
    const std::size_t andStride = (static_cast<std::size_t>(size) + 31) / 32 * 4;
    dib.xorRows.assign(xorStride * static_cast<std::size_t>(size), 0x11);
    dib.andRows.assign(andStride * static_cast<std::size_t>(size), 0);
    return dib.bytes();
}

TEST(IconImage, PicksTheEntryClosestToThePreferredSizeLargerOnTies)
{
    const Bytes file = iconFile(1, {{16, 1, 4, solid(16, 16)}, {32, 1, 4, solid(32, 32)}, {48, 1, 4, solid(48, 48)}});
    const struct {
        int preferred;
        int expected;
    } rows[] = {{1, 16}, {23, 16}, {24, 32}, {40, 48}, {100, 48}};
    for (const auto& row : rows) {
        const auto image = decodeIconResource(file, row.preferred);
        ASSERT_TRUE(image) << row.preferred;
        EXPECT_EQ(image->width, row.expected) << row.preferred;
        EXPECT_EQ(image->rgba[0], row.expected) << "colour of the chosen entry, preferred " << row.preferred;
    }
}

TEST(IconImage, RefusesMalformedFilesWithoutReadingOutside)
{
    const Bytes good = iconFile(1, {{2, 1, 4, twoByTwo().bytes()}});
    ASSERT_TRUE(decodeIconResource(good, 2));
    const auto withDib = [](const std::function<void(Dib&)>& change) {
        Dib dib = twoByTwo();
        change(dib);
        return iconFile(1, {{2, 1, 4, dib.bytes()}});
    };
    const auto patched = [&good](std::size_t at, std::uint8_t value) {
        Bytes b = good;
        b[at] = value;
        return b;
    };
    const struct {
        std::string what;
        Bytes bytes;
    } rows[] = {
        {"empty", {}},
        {"header only", Bytes(good.begin(), good.begin() + 6)},
        {"directory cut short", Bytes(good.begin(), good.begin() + 20)},
        {"image cut short", Bytes(good.begin(), good.end() - 1)},
        {"reserved word set", patched(0, 1)},
        {"type 3", patched(2, 3)},
        {"no entries", patched(4, 0)},
        {"more entries than fit", patched(4, 200)},
        {"offset past the end", patched(18 + 3, 0x7F)},
        {"byte count past the end", patched(14 + 3, 0xFF)},
        {"PNG entry", [] {
             Bytes png = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
             png.resize(64, 0);
             return iconFile(1, {{2, 1, 32, png}});
         }()},
        {"bit depth 2", withDib([](Dib& d) { d.bitsPerPixel = 2; })},
        {"compressed", withDib([](Dib& d) { d.compression = 2; })},
        {"zero width", withDib([](Dib& d) { d.width = 0; })},
        {"too wide", withDib([](Dib& d) { d.width = 300; })},
        {"negative height", withDib([](Dib& d) { d.height = -2; })},
        {"palette larger than the depth allows", withDib([](Dib& d) { d.coloursUsed = 17; })},
        {"index beyond the palette", withDib([](Dib& d) {
             d.coloursUsed = 2;
             d.palette.resize(2);
         })},
        {"mask missing", withDib([](Dib& d) { d.andRows.clear(); })},
    };
    for (const auto& row : rows) {
        // A copy in a buffer of its exact size lets AddressSanitizer catch
        // any read past the end.
        const auto exact = std::make_unique<std::uint8_t[]>(row.bytes.size() + (row.bytes.empty() ? 1 : 0));
        std::copy(row.bytes.begin(), row.bytes.end(), exact.get());
        EXPECT_FALSE(decodeIconResource(std::span(exact.get(), row.bytes.size()), 32)) << row.what;
    }
}

} // namespace
} // namespace orbit

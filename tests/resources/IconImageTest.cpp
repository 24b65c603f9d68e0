// The icon/cursor decoder on files built here byte by byte: pixel layouts,
// AND-mask transparency, hot spots, size choice, and refusal of malformed input.
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

void put(Bytes& out, std::uint32_t value, int width)
{
    for (int i = 0; i < width; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// One DIB entry: header, then palette (B, G, R, 0 each), XOR and AND rows
// exactly as given (bottom-up and padded by the caller).
struct Dib {
    int width = 2, height = 2, bitsPerPixel = 4;
    std::uint32_t compression = 0, coloursUsed = 4;
    Bytes palette = {0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0}; // black, red, green, blue
    // Top row red, green; bottom row blue, masked: stored bottom row first.
    Bytes xorRows = {0x30, 0, 0, 0, 0x12, 0, 0, 0};
    Bytes andRows = {0x80, 0, 0, 0, 0x00, 0, 0, 0};

    Bytes bytes() const
    {
        Bytes out;
        const auto planesAndBits = 1u | static_cast<std::uint32_t>(bitsPerPixel) << 16;
        for (const auto field : {40u, std::uint32_t(width), std::uint32_t(height * 2), planesAndBits, compression, 0u, 0u,
                                 0u, coloursUsed, 0u})
            put(out, field, 4);
        out.insert(out.end(), palette.begin(), palette.end());
        out.insert(out.end(), xorRows.begin(), xorRows.end());
        out.insert(out.end(), andRows.begin(), andRows.end());
        return out;
    }
};

struct Entry {
    int size;
    unsigned field1, field2; // planes and bit count, or the hot spot
    Bytes dib;
};

Bytes iconFile(unsigned type, const std::vector<Entry>& entries)
{
    Bytes out;
    for (const unsigned field : {0u, type, static_cast<unsigned>(entries.size())})
        put(out, field, 2);
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(entries.size());
    for (const Entry& e : entries) {
        out.insert(out.end(), {static_cast<std::uint8_t>(e.size), static_cast<std::uint8_t>(e.size), 16, 0});
        put(out, e.field1 | e.field2 << 16, 4);
        put(out, static_cast<std::uint32_t>(e.dib.size()), 4);
        put(out, offset, 4);
        offset += static_cast<std::uint32_t>(e.dib.size());
    }
    for (const Entry& e : entries)
        out.insert(out.end(), e.dib.begin(), e.dib.end());
    return out;
}

Bytes iconOf(const Dib& dib) { return iconFile(1, {{2, 1, static_cast<unsigned>(dib.bitsPerPixel), dib.bytes()}}); }

TEST(IconImage, FourTwentyFourAndThirtyTwoBitPixelsBecomeTopDownRgba)
{
    Dib rgb;
    rgb.bitsPerPixel = 24;
    rgb.palette.clear();
    rgb.coloursUsed = 0;
    rgb.xorRows = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}; // B, G, R; rows padded to 8
    // A colour table counted in the header stands before the pixels even above 8 bits.
    Dib withTable = rgb;
    withTable.palette = {90, 91, 92, 0, 93, 94, 95, 0};
    withTable.coloursUsed = 2;
    // With an alpha channel in use, alpha decides and the mask is ignored.
    Dib rgba = rgb;
    rgba.bitsPerPixel = 32;
    rgba.xorRows = {1, 2, 3, 255, 4, 5, 6, 0, 7, 8, 9, 200, 10, 11, 12, 10};
    // Top-down RGBA: the top row, then the bottom row.
    const Bytes withMask = {9, 8, 7, 255, 12, 11, 10, 255, 0, 0, 0, 0, 6, 5, 4, 255};
    const std::pair<Dib, Bytes> rows[] = {
        {Dib{}, {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0, 0, 0, 255}},
        {rgb, withMask},
        {withTable, withMask},
        {rgba, {9, 8, 7, 255, 0, 0, 0, 0, 3, 2, 1, 255, 0, 0, 0, 0}},
    };
    for (const auto& [dib, expected] : rows) {
        const auto image = decodeIconResource(iconOf(dib), 32);
        ASSERT_TRUE(image) << dib.bitsPerPixel;
        EXPECT_EQ((std::array{image->width, image->height, image->hotSpotX, image->hotSpotY}), (std::array{2, 2, 0, 0}));
        EXPECT_EQ(image->rgba, expected) << dib.bitsPerPixel;
    }
}

TEST(IconImage, CursorCarriesItsHotSpotFromTheDirectoryKeptOnThePicture)
{
    for (const auto& [stored, expected] : {std::pair{std::array{1u, 0u}, std::array{1, 0}}, {{40u, 9u}, {1, 1}}}) {
        const auto image = decodeIconResource(iconFile(2, {{2, stored[0], stored[1], Dib{}.bytes()}}), 2);
        ASSERT_TRUE(image);
        EXPECT_EQ((std::array{image->hotSpotX, image->hotSpotY}), expected) << stored[0];
    }
}

TEST(IconImage, PicksTheEntryClosestToThePreferredSizeLargerOnTies)
{
    // Every pixel is palette entry 1, whose red tells which entry was chosen.
    const auto solid = [](int size) {
        Dib dib;
        dib.width = dib.height = size;
        dib.palette = {0, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(size), 0};
        dib.coloursUsed = 2;
        dib.xorRows.assign(static_cast<std::size_t>((size * 4 + 31) / 32 * 4 * size), 0x11);
        dib.andRows.assign(static_cast<std::size_t>((size + 31) / 32 * 4 * size), 0);
        return Entry{size, 1, 4, dib.bytes()};
    };
    const Bytes file = iconFile(1, {solid(16), solid(32), solid(48)});
    const std::pair<int, int> rows[] = {{1, 16}, {23, 16}, {24, 32}, {40, 48}, {100, 48}};
    for (const auto& [preferred, expected] : rows) {
        const auto image = decodeIconResource(file, preferred);
        ASSERT_TRUE(image) << preferred;
        EXPECT_EQ(image->width, expected) << preferred;
        EXPECT_EQ(image->rgba[0], expected) << "colour of the chosen entry, preferred " << preferred;
    }
}

TEST(IconImage, RefusesMalformedFilesWithoutReadingOutside)
{
    const Bytes good = iconOf(Dib{});
    ASSERT_TRUE(decodeIconResource(good, 2));
    const auto withDib = [](const std::function<void(Dib&)>& change) {
        Dib dib;
        change(dib);
        return iconOf(dib);
    };
    const auto patched = [&good](std::size_t at, std::uint8_t value) {
        Bytes b = good;
        b[at] = value;
        return b;
    };
    Bytes png = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
    png.resize(64, 0);
    const std::pair<std::string, Bytes> rows[] = {
        {"empty", {}},
        {"reserved word set", patched(0, 1)},
        {"type 3", patched(2, 3)},
        {"no entries", patched(4, 0)},
        {"more entries than fit", patched(4, 200)},
        {"offset past the end", patched(18 + 3, 0x7F)},
        {"image cut short", Bytes(good.begin(), good.end() - 1)},
        {"PNG entry", iconFile(1, {{2, 1, 32, png}})},
        {"bit depth 2", withDib([](Dib& d) { d.bitsPerPixel = 2; })},
        {"compressed", withDib([](Dib& d) { d.compression = 2; })},
        {"zero width", withDib([](Dib& d) { d.width = 0; })},
        {"too wide", withDib([](Dib& d) { d.width = 300; })},
        {"negative height", withDib([](Dib& d) { d.height = -2; })},
        {"palette larger than the depth allows", withDib([](Dib& d) { d.palette.resize(4 * (d.coloursUsed = 17)); })},
        {"index beyond the palette", withDib([](Dib& d) { d.palette.resize(4 * (d.coloursUsed = 2)); })},
        {"mask missing", withDib([](Dib& d) { d.andRows.clear(); })},
    };
    for (const auto& [what, bytes] : rows) {
        // A copy in a buffer of its exact size lets AddressSanitizer catch any read past the end.
        const auto exact = std::make_unique<std::uint8_t[]>(bytes.size() + 1);
        std::copy(bytes.begin(), bytes.end(), exact.get());
        EXPECT_FALSE(decodeIconResource(std::span(exact.get(), bytes.size()), 32)) << what;
    }
}

} // namespace
} // namespace orbit

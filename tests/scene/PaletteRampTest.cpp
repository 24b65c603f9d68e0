// The palette decision and ramp: none on TrueColor, 2^bits layout-derived
// entries on a palette-based display, matching the classic 3-3-2 tables.
#include "scene/PaletteRamp.h"

#include <gtest/gtest.h>

namespace orbit {
namespace {

constexpr PixelLayout rgb332{true, 8, 3, 0, 3, 3, 2, 6};

TEST(PaletteRamp, TrueColourGetsNoPalette)
{
    EXPECT_TRUE(buildPaletteRamp(PixelLayout{}).empty());
    PixelLayout deep = rgb332;
    deep.colourBits = 24; // a palette flag on a deep format is not honoured with millions of entries
    EXPECT_TRUE(buildPaletteRamp(deep).empty());
}

TEST(PaletteRamp, EightBitDisplayGets256LayoutDerivedEntries)
{
    const auto palette = buildPaletteRamp(rgb332);
    ASSERT_EQ(palette.size(), 256u);
    struct Row {
        unsigned index;
        std::uint8_t r, g, b;
    };
    const Row rows[] = {
        {0x00, 0, 0, 0},       {0xFF, 255, 255, 255}, {0x07, 255, 0, 0},   {0x38, 0, 255, 0},
        {0xC0, 0, 0, 255},     {0x01, 36, 0, 0},      {0x02, 73, 0, 0},    {0x03, 109, 0, 0},
        {0x04, 146, 0, 0},     {0x05, 182, 0, 0},     {0x06, 219, 0, 0},   {0x40, 0, 0, 85},
        {0x80, 0, 0, 170},     {0x49, 36, 36, 85},
    };
    for (const Row& row : rows) {
        const PaletteEntry& e = palette[row.index];
        EXPECT_EQ(e.red, row.r) << row.index;
        EXPECT_EQ(e.green, row.g) << row.index;
        EXPECT_EQ(e.blue, row.b) << row.index;
    }
}

TEST(PaletteRamp, SmallerPaletteFollowsColourBits)
{
    const PixelLayout rgb121{true, 4, 1, 0, 2, 1, 1, 3};
    const auto palette = buildPaletteRamp(rgb121);
    ASSERT_EQ(palette.size(), 16u);
    EXPECT_EQ(palette[0b1111].red, 255);
    EXPECT_EQ(palette[0b0010].green, 85);
    EXPECT_EQ(palette[0b0100].green, 170);
    EXPECT_EQ(palette[0b1000].blue, 255);
    EXPECT_EQ(palette[0b1000].red, 0);
}

TEST(PaletteRamp, ChannelWithoutBitsIsBlack)
{
    EXPECT_EQ(paletteChannel(0xFF, 0, 0), 0);
    EXPECT_EQ(paletteChannel(0xFF, 3, 40), 0);
}

} // namespace
} // namespace orbit

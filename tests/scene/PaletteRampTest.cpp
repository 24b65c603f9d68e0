// The palette decision and ramp: none on TrueColor, 2^bits layout-derived
// entries on a palette-based display, matching the classic 3-3-2 tables.
#include "scene/PaletteRamp.h"

#include <gtest/gtest.h>

#include <array>

namespace orbit {
namespace {

constexpr PixelLayout rgb332{true, 8, 3, 0, 3, 3, 2, 6};

TEST(PaletteRamp, OnlyAPaletteBasedDisplayOfAtMostEightBitsGetsOne)
{
    EXPECT_TRUE(buildPaletteRamp(PixelLayout{}).empty());
    PixelLayout deep = rgb332;
    deep.colourBits = 24; // not honoured with millions of entries
    EXPECT_TRUE(buildPaletteRamp(deep).empty());
    EXPECT_EQ(paletteChannel(0xFF, 0, 0), 0) << "a channel of no bits";
    EXPECT_EQ(paletteChannel(0xFF, 3, 40), 0) << "a shift past the pixel";
}

TEST(PaletteRamp, EntriesComeFromTheLayoutsBitsAndShifts)
{
    const auto palette = buildPaletteRamp(rgb332);
    ASSERT_EQ(palette.size(), 256u);
    const std::pair<unsigned, std::array<int, 3>> rows[] = {{0xFF, {255, 255, 255}}, {0x38, {0, 255, 0}},
        {0x01, {36, 0, 0}}, {0x06, {219, 0, 0}}, {0x40, {0, 0, 85}}, {0x49, {36, 36, 85}}};
    for (const auto& [index, rgb] : rows)
        EXPECT_EQ((std::array<int, 3>{palette[index].red, palette[index].green, palette[index].blue}), rgb) << index;
    const PixelLayout rgb121{true, 4, 1, 0, 2, 1, 1, 3};
    const auto small = buildPaletteRamp(rgb121);
    ASSERT_EQ(small.size(), 16u);
    EXPECT_EQ(small[0b0100].green, 170);
    EXPECT_EQ(small[0b1000].blue, 255);
    EXPECT_EQ(small[0b1000].red, 0);
}

} // namespace
} // namespace orbit

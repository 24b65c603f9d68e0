// The palette for palette-based displays: none on TrueColor or deeper than
// 8 bits, else 2^bits entries from the layout's bits and shifts, matching the
// classic 3-3-2 table.
#include "scene/PaletteRamp.h"

#include <gtest/gtest.h>

#include <array>

namespace orbit {
namespace {

TEST(PaletteRamp, EntriesComeFromTheLayoutsBitsAndShiftsOnAPaletteDisplayOfAtMostEightBits)
{
    constexpr PixelLayout rgb332{true, 8, 3, 0, 3, 3, 2, 6};
    PixelLayout deep = rgb332;
    deep.colourBits = 24; // not honoured with millions of entries
    EXPECT_TRUE(buildPaletteRamp(PixelLayout{}).empty());
    EXPECT_TRUE(buildPaletteRamp(deep).empty());
    const auto palette = buildPaletteRamp(rgb332);
    ASSERT_EQ(palette.size(), 256u);
    const std::pair<unsigned, std::array<int, 3>> rows[] = {
        {0xFF, {255, 255, 255}}, {0x38, {0, 255, 0}}, {0x06, {219, 0, 0}}, {0x49, {36, 36, 85}}};
    for (const auto& [index, rgb] : rows)
        EXPECT_EQ((std::array<int, 3>{palette[index].red, palette[index].green, palette[index].blue}), rgb) << index;
    EXPECT_EQ(paletteChannel(0xFF, 3, 40), 0) << "a shift past the pixel";
}

} // namespace
} // namespace orbit

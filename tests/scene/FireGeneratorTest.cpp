// The fire generator against values worked out by hand from its rules: the
// seed range and columns, the ramp's corners, one spread step around single
// hot cells (including the bordered reads), and the black image borders.
#include "scene/FireGenerator.h"

#include "platform/RandomGenerator.h"

#include <gtest/gtest.h>

namespace orbit {
namespace {

constexpr int W = FireGenerator::width;
constexpr int H = FireGenerator::height;

void clearGrid(FireGenerator& fire)
{
    for (int x = 0; x < W; ++x)
        for (int y = 0; y < H; ++y)
            fire.setIntensity(x, y, 0);
}

TEST(FireGenerator, OneSeedFillsOnlyColumnsTwoToTwentyNineOfTheBase)
{
    for (std::uint32_t seed : {1u, 7u, 12345u, 4000000000u}) {
        RandomGenerator random;
        random.seed(seed);
        RandomGenerator twin;
        twin.seed(seed);
        FireGenerator fire;
        fire.initialise(random);
        for (int x = 0; x < W; ++x) {
            for (int y = 0; y < H; ++y) {
                const int v = fire.intensity(x, y);
                if (y == 0 && x >= 2 && x <= 29) {
                    EXPECT_EQ(v, 156 - twin.next() * 100 / 32767) << "column " << x;
                    EXPECT_GE(v, 56);
                    EXPECT_LE(v, 156);
                } else {
                    EXPECT_EQ(v, 0) << "cell " << x << "," << y;
                }
            }
        }
        // The whole image starts black.
        for (std::uint8_t byte : fire.image())
            ASSERT_EQ(byte, 0);
    }
}

TEST(FireGenerator, RampRunsFromBlackThroughBlueToNearWhite)
{
    struct Row {
        int index;
        std::array<std::uint8_t, 3> rgb;
    };
    // 4i - 257, 4i - 513, 4i - 769 clamped, worked out per row.
    const Row rows[] = {
        {0, {0, 0, 0}},       {64, {0, 0, 0}},       {65, {0, 0, 3}},      {100, {0, 0, 143}},
        {128, {0, 0, 255}},   {129, {0, 3, 255}},    {192, {0, 255, 255}}, {193, {3, 255, 255}},
        {255, {251, 255, 255}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(FireGenerator::rampColour(row.index), row.rgb) << "entry " << row.index;
}

TEST(FireGenerator, OneStepSpreadsFromTheTopDownWithCooling)
{
    RandomGenerator random;
    FireGenerator fire;
    fire.initialise(random);
    clearGrid(fire);
    fire.setIntensity(5, 10, 100);  // an isolated hot cell
    fire.setIntensity(20, 15, 25);  // a weak one: its own cell ends at 5, not cooled further
    fire.setIntensity(0, 20, 100);  // at the left border
    fire.setIntensity(31, 20, 100); // at the right border
    fire.step(random);

    struct Cell {
        int x, y, expected;
    };
    const Cell cells[] = {
        // v = (left two below + 2 * one below + itself + right two below) / 5, minus 5 above 5.
        {5, 10, 15},  // itself: 100 / 5 = 20 -> 15
        {5, 11, 35},  // 2 * 100 / 5 = 40 -> 35
        {5, 12, 0},   // reads (5, 11) before it was written this step: still 0
        {4, 12, 15},  // (5, 10) is its right-two-below cell
        {6, 12, 15},  // (5, 10) is its left-two-below cell
        {5, 9, 0},    // nothing spreads downwards
        {20, 15, 5},  // 25 / 5 = 5 stays 5
        {20, 16, 5},  // 50 / 5 = 10 -> 5
        {1, 22, 15},  // left border cell read as x - 1 from column 1
        {0, 22, 0},   // column -1 reads 0, (1, 20) is 0
        {30, 22, 15}, // right border cell read as x + 1
        {31, 22, 0},  // column 32 reads 0
        {31, 21, 35}, // 2 * 100 / 5 - 5
    };
    for (const Cell& cell : cells)
        EXPECT_EQ(fire.intensity(cell.x, cell.y), cell.expected) << "cell " << cell.x << "," << cell.y;

    // Rows 1 and 2 read below the base: y - 2 < 0 reads row 0 (the new seed).
    for (int x = 1; x < W - 1; ++x) {
        int v = (fire.intensity(x - 1, 0) + 2 * fire.intensity(x, 0) + 0 + fire.intensity(x + 1, 0)) / 5;
        if (v > 5)
            v -= 5;
        EXPECT_EQ(fire.intensity(x, 1), v) << "row 1, column " << x;
    }
}

TEST(FireGenerator, ImageKeepsItsTwoTopAndTwoBottomRowsBlack)
{
    RandomGenerator random;
    FireGenerator fire;
    fire.initialise(random);
    for (int frame = 0; frame < 50; ++frame)
        fire.advance(random);
    const auto image = fire.image();
    ASSERT_EQ(image.size(), std::size_t{W * H * 3});
    const auto rowHasColour = [&](int row) {
        for (int i = 0; i < W * 3; ++i)
            if (image[static_cast<std::size_t>(row * W * 3 + i)] != 0)
                return true;
        return false;
    };
    for (int row : {0, 1, H - 2, H - 1})
        EXPECT_FALSE(rowHasColour(row)) << "row " << row;
    // Image row y - 1 holds grid row y: the hot base rows are coloured.
    EXPECT_TRUE(rowHasColour(2));
    for (int x = 0; x < W; ++x) {
        const auto expected = FireGenerator::rampColour(fire.intensity(x, 3));
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(image[static_cast<std::size_t>((2 * W + x) * 3 + c)], expected[static_cast<std::size_t>(c)]);
    }
}

TEST(FireGenerator, BorderedReadsClampRowsAndZeroColumns)
{
    RandomGenerator random;
    FireGenerator fire;
    fire.initialise(random);
    clearGrid(fire);
    fire.setIntensity(3, 0, 77);
    fire.setIntensity(3, H - 1, 88);
    EXPECT_EQ(fire.value(3, -1), 77);
    EXPECT_EQ(fire.value(3, -2), 77);
    EXPECT_EQ(fire.value(3, H), 88);
    EXPECT_EQ(fire.value(-1, 0), 0);
    EXPECT_EQ(fire.value(W, 0), 0);
}

} // namespace
} // namespace orbit

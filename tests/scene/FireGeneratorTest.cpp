// The fire generator against values worked out by hand from its rules.
#include "scene/FireGenerator.h"

#include "platform/RandomGenerator.h"

#include <gtest/gtest.h>

namespace orbit {
namespace {

constexpr int W = FireGenerator::width;
constexpr int H = FireGenerator::height;

TEST(FireGenerator, InitialiseClearsEverythingAndSeedsColumnsTwoToTwentyNineOfTheBase)
{
    RandomGenerator random;
    random.seed(99);
    FireGenerator fire;
    fire.initialise(random);
    for (int frame = 0; frame < 20; ++frame)
        fire.advance(random);
    RandomGenerator unseeded; // draws 16838, 5758, 10113, 17515, 31051, ...
    fire.initialise(unseeded);
    for (int i = 0; i < W * H; ++i) {
        if (i >= W || i % W < 2 || i % W > 29) {
            ASSERT_EQ(fire.intensity(i % W, i / W), 0) << "cell " << i;
        }
    }
    // 156 - trunc(r * 100 / 32767), in 56..156.
    const int expected[] = {105, 139, 126, 103, 62};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(fire.intensity(2 + i, 0), expected[i]) << "column " << 2 + i;
    for (std::uint8_t byte : fire.image())
        ASSERT_EQ(byte, 0);
}

TEST(FireGenerator, RampRunsFromBlackThroughBlueToNearWhite)
{
    const std::pair<int, std::array<std::uint8_t, 3>> rows[] = {
        {64, {0, 0, 0}}, {65, {0, 0, 3}}, {129, {0, 3, 255}}, {193, {3, 255, 255}}, {255, {251, 255, 255}}};
    for (const auto& [index, rgb] : rows)
        EXPECT_EQ(FireGenerator::rampColour(index), rgb) << "entry " << index;
}

TEST(FireGenerator, OneStepSpreadsFromTheTopDownWithCoolingAndBorderedReads)
{
    RandomGenerator random;
    FireGenerator fire;
    fire.initialise(random);
    for (int i = 0; i < W * H; ++i)
        fire.setIntensity(i % W, i / W, 0);
    fire.setIntensity(5, 10, 100);  // an isolated hot cell
    fire.setIntensity(20, 15, 25);  // a weak one: its own cell ends at 5, not cooled further
    fire.setIntensity(0, 20, 100);  // at the left border
    fire.setIntensity(31, 20, 100); // at the right border
    fire.setIntensity(1, 0, 50);    // columns 0 and 1 of the base are never seeded
    fire.setIntensity(0, 0, 100);
    fire.step(random);

    // v = (left two below + 2 * one below + itself + right two below) / 5, minus 5 above 5.
    const struct {
        int x, y, expected;
    } cells[] = {
        {5, 10, 15},  // itself: 100 / 5 = 20 -> 15
        {5, 11, 35},  // 2 * 100 / 5 = 40 -> 35
        {5, 12, 0},   // reads (5, 11) before it was written this step
        {4, 12, 15},  {6, 12, 15}, // (5, 10) is their right- and left-two-below cell
        {5, 9, 0},    // nothing spreads downwards
        {20, 15, 5},  // 25 / 5 = 5 stays 5
        {20, 16, 5},  // 50 / 5 = 10 -> 5
        {1, 22, 15},  {0, 22, 0},   // column -1 reads 0
        {30, 22, 15}, {31, 22, 0},  // column 32 reads 0
        {0, 1, 45},   // (2 * 100 + (1, -1) read as (1, 0) = 50) / 5 - 5
        {0, 2, 5},    // (1, 0) = 50 is its right-two-below cell
    };
    for (const auto& cell : cells)
        EXPECT_EQ(fire.intensity(cell.x, cell.y), cell.expected) << "cell " << cell.x << "," << cell.y;
    EXPECT_EQ(fire.value(1, -2), 50);
    EXPECT_EQ(fire.value(31, H), fire.intensity(31, H - 1));
}

TEST(FireGenerator, ImageRowsHoldGridRowsAboveAndKeepTwoTopAndTwoBottomRowsBlack)
{
    RandomGenerator random;
    FireGenerator fire;
    fire.initialise(random);
    for (int frame = 0; frame < 50; ++frame)
        fire.advance(random);
    const auto image = fire.image();
    ASSERT_EQ(image.size(), std::size_t{W * H * 3});
    bool coloured = false;
    for (int i = 0; i < W * H * 3; ++i) {
        const int row = i / (W * 3), x = i % (W * 3) / 3;
        const auto expected = row < 2 || row >= H - 2 ? 0 : FireGenerator::rampColour(fire.intensity(x, row + 1))[i % 3];
        ASSERT_EQ(image[static_cast<std::size_t>(i)], expected) << "row " << row << " column " << x;
        coloured |= row == 2 && expected != 0;
    }
    EXPECT_TRUE(coloured) << "the hot base rows are coloured";
}

} // namespace
} // namespace orbit

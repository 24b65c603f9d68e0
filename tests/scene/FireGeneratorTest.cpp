// The fire generator against values worked out by hand from its rules.
#include "scene/FireGenerator.h"

#include "platform/RandomGenerator.h"

#include <gtest/gtest.h>

namespace orbit {
namespace {

constexpr int W = FireGenerator::width;
constexpr int H = FireGenerator::height;

TEST(FireGenerator, OneStepSpreadsFromTheTopDownWithCoolingAndBorderedReads)
{
    RandomGenerator random;
    FireGenerator fire;
    fire.initialise(random);
    for (int i = 0; i < W * H; ++i)
        fire.setIntensity(i % W, i / W, 0);
    fire.setIntensity(5, 10, 100);  // an isolated hot cell
    fire.setIntensity(20, 15, 25);  // a weak one: its own cell ends at 5, not cooled further
    fire.setIntensity(31, 20, 100); // at the right border
    fire.setIntensity(1, 0, 54);    // columns 0 and 1 of the base are never seeded
    fire.setIntensity(0, 0, 100);
    fire.step(random);

    // v = (left two below + 2 * one below + itself + right two below) / 5, minus 5 above 5.
    const std::array<int, 3> cells[] = { // x, y, value
        {5, 10, 15}, // itself: 100 / 5 = 20 -> 15
        {5, 11, 35}, // 2 * 100 / 5 = 40 -> 35
        {5, 12, 0},  // reads (5, 11) before it was written this step
        {4, 12, 15}, // (5, 10) is its right-two-below cell
        {5, 9, 0},   // nothing spreads downwards
        {20, 16, 5}, // 50 / 5 = 10 -> 5
        {30, 22, 15},
        {31, 22, 0}, // column 32 reads 0
        {0, 1, 45},  // (2 * 100 + (1, -1) read as (1, 0) = 54) / 5 - 5
        {0, 2, 5},   // (1, 0) = 54 is its right-two-below cell; column -1 reads 0
    };
    for (const auto& [x, y, expected] : cells)
        EXPECT_EQ(fire.intensity(x, y), expected) << "cell " << x << "," << y;
    EXPECT_EQ(fire.intensity(20, 15), 5);
}

TEST(FireGenerator, InitialiseSeedsTheBaseAndTheImageShowsRowsAboveThroughTheRampWithBlackEdges)
{
    RandomGenerator random;
    FireGenerator fire;
    fire.initialise(random);
    for (int frame = 0; frame < 50; ++frame)
        fire.advance(random);
    RandomGenerator unseeded; // draws 16838, 5758, 10113, 17515, 31051, ...
    fire.initialise(unseeded);
    // 156 - trunc(r * 100 / 32767), in 56..156, in columns 2..29 of the base; all else 0.
    for (int i = 0; i < W * H; ++i)
        ASSERT_EQ(fire.intensity(i % W, i / W) != 0, i < W && i % W >= 2 && i % W <= 29) << "cell " << i;
    EXPECT_EQ((std::array<int, 3>{fire.intensity(2, 0), fire.intensity(3, 0), fire.intensity(6, 0)}),
              (std::array{105, 139, 62}));
    for (int frame = 0; frame < 50; ++frame)
        fire.advance(unseeded);
    const auto image = fire.image();
    bool coloured = false;
    for (int i = 0; i < W * H * 3; ++i) {
        const int row = i / (W * 3), x = i % (W * 3) / 3;
        const auto expected = row < 2 || row >= H - 2 ? 0 : FireGenerator::rampColour(fire.intensity(x, row + 1))[i % 3];
        ASSERT_EQ(image[static_cast<std::size_t>(i)], expected) << "row " << row << " column " << x;
        coloured |= row == 2 && expected != 0;
    }
    EXPECT_TRUE(coloured) << "the hot base rows are coloured";
    // Black through blue to near white.
    EXPECT_EQ(FireGenerator::rampColour(129), (std::array<std::uint8_t, 3>{0, 3, 255}));
    EXPECT_EQ(FireGenerator::rampColour(255), (std::array<std::uint8_t, 3>{251, 255, 255}));
}

} // namespace
} // namespace orbit

#include "platform/RandomGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace orbit {
namespace {

// The ISO C sample rand(): from seed 1 (unseeded or seeded again) it starts
// 16838, 5758, 10113, and it stays in 0..32767 while reaching both ends.
TEST(RandomGenerator, IsTheIsoCSampleFromSeedOneAndRestartsWhenSeeded)
{
    RandomGenerator random;
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(random.next(), 16838);
        EXPECT_EQ(random.next(), 5758);
        EXPECT_EQ(random.next(), 10113);
        random.seed(1);
    }
    int low = RandomGenerator::maxValue;
    int high = 0;
    for (int i = 0; i < 100000; ++i) {
        const int value = random.next();
        ASSERT_TRUE(value >= 0 && value <= RandomGenerator::maxValue) << value;
        low = std::min(low, value);
        high = std::max(high, value);
    }
    EXPECT_LT(low, 10);
    EXPECT_GT(high, RandomGenerator::maxValue - 10);
}

} // namespace
} // namespace orbit

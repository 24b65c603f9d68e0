#include "platform/RandomGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace orbit {
namespace {

// The ISO C sample rand(): seeded with 1 it starts again at 16838, 5758,
// 10113 (the unseeded start is pinned by the fire tests), and it reaches both
// ends of 0..32767.
TEST(RandomGenerator, RestartsWhenSeededAndSpansItsRange)
{
    RandomGenerator random;
    random.next();
    random.seed(1);
    EXPECT_EQ((std::vector{random.next(), random.next(), random.next()}), (std::vector{16838, 5758, 10113}));
    int low = RandomGenerator::maxValue;
    int high = 0;
    for (int i = 0; i < 100000; ++i) {
        low = std::min(low, random.next());
        high = std::max(high, random.next());
    }
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, RandomGenerator::maxValue);
}

} // namespace
} // namespace orbit

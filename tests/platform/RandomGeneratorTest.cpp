#include "platform/RandomGenerator.h"

#include <gtest/gtest.h>

#include <set>

namespace orbit {
namespace {

TEST(RandomGenerator, StaysInRunTimeRangeAndCoversIt)
{
    RandomGenerator random;
    int low = RandomGenerator::maxValue, high = 0;
    std::set<int> seen;
    for (int i = 0; i < 200000; ++i) {
        const int value = random.next();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, RandomGenerator::maxValue);
        low = std::min(low, value);
        high = std::max(high, value);
        seen.insert(value);
    }
    EXPECT_LT(low, 10);
    EXPECT_GT(high, RandomGenerator::maxValue - 10);
    EXPECT_GT(seen.size(), 30000u);
}

TEST(RandomGenerator, UnseededSequenceIsTheIsoCSample)
{
    // The ISO C sample rand() from seed 1 starts 16838, 5758, 10113.
    RandomGenerator random;
    EXPECT_EQ(random.next(), 16838);
    EXPECT_EQ(random.next(), 5758);
    EXPECT_EQ(random.next(), 10113);
}

TEST(RandomGenerator, SeedingRestartsTheSequence)
{
    RandomGenerator a, b;
    a.seed(12345);
    b.seed(12345);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(a.next(), b.next());
    a.seed(1);
    RandomGenerator fresh;
    EXPECT_EQ(a.next(), fresh.next());
}

} // namespace
} // namespace orbit

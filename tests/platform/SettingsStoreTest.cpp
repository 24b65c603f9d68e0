#include "platform/SettingsStore.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

namespace orbit {
namespace {

struct StoredIntCase {
    const char* text;
    int expected;
};

class StoredIntTest : public testing::TestWithParam<StoredIntCase> {};

TEST_P(StoredIntTest, ParsesOrFallsBack)
{
    EXPECT_EQ(parseStoredInt(GetParam().text, -99), GetParam().expected) << "text: '" << GetParam().text << "'";
}

INSTANTIATE_TEST_SUITE_P(Texts, StoredIntTest,
    testing::Values(StoredIntCase{"  42 ", 42}, StoredIntCase{"-5", -5}, StoredIntCase{"+7", 7},
                    // not numbers: the default
                    StoredIntCase{"", -99}, StoredIntCase{"abc", -99}, StoredIntCase{"12abc", -99},
                    StoredIntCase{"-", -99}, StoredIntCase{"1 2", -99}, StoredIntCase{"0x10", -99},
                    // beyond 32 bits: clamped, never wrapped
                    StoredIntCase{"4294967306", INT_MAX}, StoredIntCase{"99999999999999999999999", INT_MAX},
                    StoredIntCase{"-99999999999999999999999", INT_MIN}, StoredIntCase{"2147483647", INT_MAX},
                    StoredIntCase{"-2147483648", INT_MIN}));

struct ClampCase {
    const char* stored; // nullptr: value absent
    int timerMs;
    int satellites;
};

class SettingsClampTest : public testing::TestWithParam<ClampCase> {};

TEST_P(SettingsClampTest, TimerAndSatCountAreClamped)
{
    MemorySettingsStore store;
    if (GetParam().stored) {
        store.writeString(settings::section, settings::timerKey, GetParam().stored);
        store.writeString(settings::section, settings::satCountKey, GetParam().stored);
    }
    EXPECT_EQ(settings::frameDelayMs(store), GetParam().timerMs);
    EXPECT_EQ(settings::satelliteCount(store), GetParam().satellites);
}

INSTANTIATE_TEST_SUITE_P(Values, SettingsClampTest,
    testing::Values(ClampCase{nullptr, 10, 3}, ClampCase{"-5", 1, 1}, ClampCase{"0", 1, 1}, ClampCase{"1", 1, 1},
                    ClampCase{"5", 5, 5}, ClampCase{"50", 50, 10}, ClampCase{"100", 100, 10},
                    ClampCase{"250", 100, 10}, ClampCase{"junk", 10, 3}));

TEST(SettingsFlags, FireIsOnUnlessZero)
{
    MemorySettingsStore store;
    EXPECT_TRUE(settings::shotSoundEnabled(store));
    for (const char* text : {"1", "-1", "7"}) {
        store.writeString(settings::section, settings::fireKey, text);
        EXPECT_TRUE(settings::shotSoundEnabled(store)) << text;
    }
    store.writeString(settings::section, settings::fireKey, "0");
    EXPECT_FALSE(settings::shotSoundEnabled(store));
}

TEST(SettingsFlags, ReadingWritesNothing)
{
    MemorySettingsStore store;
    settings::frameDelayMs(store);
    settings::satelliteCount(store);
    settings::shotSoundEnabled(store);
    EXPECT_EQ(settings::sceneFileName(store), "");
    EXPECT_EQ(store.writes, 0);
}

TEST(StoredPath, HomeAndRelativeNamesResolve)
{
    // stored, base folder, home, path to open
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"ship.3ds", "/cfg/Torvo", "/home/u", "/cfg/Torvo/ship.3ds"},
        {"../m/a, b.3ds", "/cfg/Torvo/", "/home/u", "/cfg/Torvo/../m/a, b.3ds"},
        {"~/ships/x.3ds", "/cfg", "/home/u", "/home/u/ships/x.3ds"},
        {"~/x.3ds", "/cfg", "/home/u/", "/home/u/x.3ds"},
        {"~/x.3ds", "/cfg", "", "~/x.3ds"}, // no home: left alone
        {"~user/x.3ds", "/cfg", "/home/u", "/cfg/~user/x.3ds"},
        {"~", "/cfg", "/home/u", "/cfg/~"},
        {"/abs/x.3ds", "/cfg", "/home/u", "/abs/x.3ds"},
        {"rel.3ds", "", "/home/u", "rel.3ds"}, // no base: the working directory
        {"", "/cfg", "/home/u", ""},
    };
    for (const auto& [stored, base, home, path] : cases)
        EXPECT_EQ(resolveStoredPath(stored, base, home), path) << stored << " in " << base;

    MemorySettingsStore store;
    store.pathBase = "/cfg/Torvo";
    store.writeString(settings::section, settings::sceneFileNameKey, "a,b.3ds");
    EXPECT_EQ(settings::sceneFilePath(store), "/cfg/Torvo/a,b.3ds");
    EXPECT_EQ(settings::sceneFileName(store), "a,b.3ds") << "the stored text itself is unchanged";
}

} // namespace
} // namespace orbit

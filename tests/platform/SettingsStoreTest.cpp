// Stored numbers parse strictly and clamp instead of wrapping; each setting
// falls back to its default and is clamped (that reading writes nothing: the
// settings dialog and tests/e2e); a stored model path resolves against home or a base folder.
#include "platform/SettingsStore.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

namespace orbit {
namespace {

TEST(SettingsStore, StoredIntegersParseStrictlyAndClamp)
{
    const std::pair<const char*, int> cases[] = {
        {"  42 ", 42}, {"-5", -5}, {"+7", 7}, {"", -99}, {"-", -99}, {"1 2", -99},
        {"4294967306", INT_MAX}, {"-99999999999999999999999", INT_MIN},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(parseStoredInt(text, -99), value) << "'" << text << "'";
}

TEST(SettingsStore, SettingsFallBackAndClamp)
{
    // Stored for Timer, SatCount and Fire alike (nullptr: absent).
    const std::tuple<const char*, int, int, bool> cases[] = {
        {nullptr, 10, 3, true}, {"-5", 1, 1, true}, {"0", 1, 1, false}, {"5", 5, 5, true},
        {"50", 50, 10, true},   {"100", 100, 10, true}, {"250", 100, 10, true}, {"junk", 10, 3, true},
    };
    for (const auto& [stored, timerMs, satellites, sound] : cases) {
        SCOPED_TRACE(stored ? stored : "absent");
        MemorySettingsStore store;
        for (std::string_view key : {settings::timerKey, settings::satCountKey, settings::fireKey})
            if (stored)
                store.writeString(settings::section, key, stored);
        EXPECT_EQ(settings::frameDelayMs(store), timerMs);
        EXPECT_EQ(settings::satelliteCount(store), satellites);
        EXPECT_EQ(settings::shotSoundEnabled(store), sound);
    }
}

TEST(SettingsStore, StoredPathsResolveAgainstHomeOrTheSettingsFolder)
{
    // stored, base folder, home, path to open
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"ship.3ds", "/cfg/Torvo", "/home/u", "/cfg/Torvo/ship.3ds"},
        {"../m/a, b.3ds", "/cfg/Torvo/", "/home/u", "/cfg/Torvo/../m/a, b.3ds"},
        {"~/ships/x.3ds", "/cfg", "/home/u", "/home/u/ships/x.3ds"},
        {"~/x.3ds", "/cfg", "", "~/x.3ds"}, // no home: left alone
        {"~user/x.3ds", "/cfg", "/home/u", "/cfg/~user/x.3ds"},
        {"rel.3ds", "", "/home/u", "rel.3ds"}, // no base: the working directory
    };
    for (const auto& [stored, base, home, path] : cases)
        EXPECT_EQ(resolveStoredPath(stored, base, home), path) << stored << " in " << base;
}

} // namespace
} // namespace orbit

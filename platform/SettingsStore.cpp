#include "SettingsStore.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdlib>

namespace orbit {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

} // namespace

int parseStoredInt(std::string_view text, int fallback)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return fallback;
    // Accumulate with saturation so a huge number clamps instead of wrapping.
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT_MIN) : INT_MAX;
    std::int64_t magnitude = 0;
    for (char c : text) {
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit) {
            magnitude = limit;
            break;
        }
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

std::string settingsKey(std::string_view section, std::string_view name)
{
    std::string key(section);
    key += '/';
    key += name;
    return key;
}

std::string resolveStoredPath(std::string_view stored, std::string_view baseFolder, std::string_view home)
{
    if (stored.starts_with("~/") && !home.empty()) {
        std::string path(home);
        if (path.back() != '/')
            path += '/';
        path += stored.substr(2);
        return path;
    }
    if (stored.empty() || stored.front() == '/' || baseFolder.empty() || stored.starts_with("~/"))
        return std::string(stored);
    std::string path(baseFolder);
    if (path.back() != '/')
        path += '/';
    path += stored;
    return path;
}

int MemorySettingsStore::readInt(std::string_view section, std::string_view name, int fallback)
{
    const auto it = values.find(settingsKey(section, name));
    return it == values.end() ? fallback : parseStoredInt(it->second, fallback);
}

void MemorySettingsStore::writeInt(std::string_view section, std::string_view name, int value)
{
    values[settingsKey(section, name)] = std::to_string(value);
    ++writes;
}

std::string MemorySettingsStore::readString(std::string_view section, std::string_view name, std::string_view fallback)
{
    const auto it = values.find(settingsKey(section, name));
    return it == values.end() ? std::string(fallback) : it->second;
}

void MemorySettingsStore::writeString(std::string_view section, std::string_view name, std::string_view value)
{
    values[settingsKey(section, name)] = std::string(value);
    ++writes;
}

namespace settings {

int clampFrameDelayMs(int storedMs) { return std::clamp(storedMs, minTimerMs, maxTimerMs); }

int clampSatelliteCount(int stored) { return std::clamp(stored, minSatCount, maxSatCount); }

int frameDelayMs(SettingsStore& store)
{
    return clampFrameDelayMs(store.readInt(section, timerKey, defaultTimerMs));
}

int satelliteCount(SettingsStore& store)
{
    return clampSatelliteCount(store.readInt(section, satCountKey, defaultSatCount));
}

bool shotSoundEnabled(SettingsStore& store) { return store.readInt(section, fireKey, 1) != 0; }

std::string sceneFileName(SettingsStore& store) { return store.readString(section, sceneFileNameKey, ""); }

std::string sceneFilePath(SettingsStore& store)
{
    const char* home = std::getenv("HOME");
    return resolveStoredPath(sceneFileName(store), store.relativePathBase(), home ? home : "");
}

} // namespace settings
} // namespace orbit

// The per-user settings, as keys in named sections. Every
// reader applies its own default; nothing is cached, so each value is read at
// the moment it is used. The program's store is an INI file (app/IniSettingsStore).
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace orbit {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored integer, or fallback when the value is absent or not a number.
    // Numbers beyond 32 bits are clamped to the int range, never wrapped.
    virtual int readInt(std::string_view section, std::string_view name, int fallback) = 0;
    virtual void writeInt(std::string_view section, std::string_view name, int value) = 0;
    virtual std::string readString(std::string_view section, std::string_view name, std::string_view fallback) = 0;
    virtual void writeString(std::string_view section, std::string_view name, std::string_view value) = 0;
    // The folder a relative file name stored here is read against: the
    // settings file's own folder, so a value means the same from any working
    // directory. Empty: the working directory.
    virtual std::string relativePathBase() const { return {}; }
};

// Settings held in memory, for tests and tools. Values are kept as the text an
// INI file would hold, so integer parsing is shared with the real store.
class MemorySettingsStore final : public SettingsStore {
public:
    int readInt(std::string_view section, std::string_view name, int fallback) override;
    void writeInt(std::string_view section, std::string_view name, int value) override;
    std::string readString(std::string_view section, std::string_view name, std::string_view fallback) override;
    void writeString(std::string_view section, std::string_view name, std::string_view value) override;

    // "section/name" -> stored text
    std::string relativePathBase() const override { return pathBase; }

    // "section/name" -> stored text
    std::map<std::string, std::string, std::less<>> values;
    int writes = 0;
    std::string pathBase;
};

// "section/name": the key under which in-memory stores keep a value.
std::string settingsKey(std::string_view section, std::string_view name);

// A stored file name as a path to open: a leading "~/" stands for home (kept
// as it is when home is empty), and a relative name is taken from baseFolder
// (left relative when baseFolder is empty). An empty name stays empty.
std::string resolveStoredPath(std::string_view stored, std::string_view baseFolder, std::string_view home);

// Parses stored text as a decimal integer: optional blanks, optional sign,
// digits, optional trailing blanks. Anything else (empty, letters, "12abc")
// yields fallback; values beyond the int range are clamped.
int parseStoredInt(std::string_view text, int fallback);

// The named values of section "Options" with their defaults and clamps.
namespace settings {
inline constexpr std::string_view section = "Options";
inline constexpr std::string_view timerKey = "Timer";
inline constexpr std::string_view satCountKey = "SatCount";
inline constexpr std::string_view fireKey = "Fire";
inline constexpr std::string_view sceneFileNameKey = "3dsFileName";
inline constexpr std::string_view visitedHttpKey = "VisitedHTTPSyte";
inline constexpr std::string_view visitedEmailKey = "VisitedEmailSyte";

inline constexpr int defaultTimerMs = 10;
inline constexpr int minTimerMs = 1;
inline constexpr int maxTimerMs = 100;
inline constexpr int defaultSatCount = 3;
inline constexpr int minSatCount = 1;
inline constexpr int maxSatCount = 10;

int clampFrameDelayMs(int storedMs);
int clampSatelliteCount(int stored);

// "Timer" in milliseconds, clamped to 1..100, default 10.
int frameDelayMs(SettingsStore& store);
// "SatCount", clamped to 1..10, default 3.
int satelliteCount(SettingsStore& store);
// "Fire" not 0 (default 1).
bool shotSoundEnabled(SettingsStore& store);
// "3dsFileName", default empty, as stored.
std::string sceneFileName(SettingsStore& store);
// "3dsFileName" as a path to open: resolveStoredPath against the store's
// relativePathBase and $HOME. Empty when nothing is stored.
std::string sceneFilePath(SettingsStore& store);
} // namespace settings

} // namespace orbit

// Settings for one run: values given on the command line stand in front of
// the settings file. Reads of an overridden value see the override; every
// other read, and every write, goes to the file's store, so an override is
// never stored and the file keeps whatever the user put there.
#pragma once

#include "app/CommandLine.h"
#include "platform/SettingsStore.h"

#include <map>
#include <string>

namespace orbit {

class SettingsOverlay final : public SettingsStore {
public:
    explicit SettingsOverlay(SettingsStore& stored) : stored(stored) {}

    // From now on reads of section/name give text (as the file would hold it).
    void setOverride(std::string_view section, std::string_view name, std::string_view text);

    int readInt(std::string_view section, std::string_view name, int fallback) override;
    void writeInt(std::string_view section, std::string_view name, int value) override;
    std::string readString(std::string_view section, std::string_view name, std::string_view fallback) override;
    void writeString(std::string_view section, std::string_view name, std::string_view value) override;
    // A relative stored model name is the file's business, so it resolves as the file's would.
    std::string relativePathBase() const override { return stored.relativePathBase(); }

private:
    const std::string* find(std::string_view section, std::string_view name) const;

    SettingsStore& stored;
    std::map<std::string, std::string, std::less<>> overrides; // "section/name" -> text
};

// Why the 3DS file at path cannot fly: its open error, or the parse's first
// complaint; empty when it reads as a 3DS scene.
std::string modelFileProblem(const std::string& path);

// Puts the given options in front of the stored settings. A relative model
// path is taken from the working directory, as a shell user means it. A model file that
// cannot fly is replaced by the built-in ship (an empty "3dsFileName"); the
// returned line (empty when all is well) says so, for stderr.
std::string applyHackOptions(const HackOptions& options, SettingsOverlay& overlay);

} // namespace orbit

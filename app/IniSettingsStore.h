// The program's settings store: an INI file per user and program,
// $XDG_CONFIG_HOME/Torvo/<application name>.ini (default ~/.config), values in
// sections such as [Options]. Each operation opens the file, does its one read
// or write and closes it again, so a value is always read as it is now.
//
// The file is meant to be edited by hand, so a value is the text after "="
// exactly as the user typed it, with only the blanks around it and one pair
// of enclosing double quotes taken off: commas, backslashes and quotes inside
// are plain text. Section and value names ignore case; of two equal names the
// first counts. Lines starting with ';' or '#' are comments. A read never
// changes the file; a write changes only the one line of its value (or adds
// it) and leaves every other byte as it was.
#pragma once

#include "platform/SettingsStore.h"

#include <string>

namespace orbit {

class IniSettingsStore final : public SettingsStore {
public:
    // companyName is the folder below the configuration directory ("Torvo").
    IniSettingsStore(const std::string& companyName, const std::string& appName);
    // A store on an explicit file; its folder is created on first use.
    explicit IniSettingsStore(std::string filePath);

    // Not a number, empty, or unreadable: fallback. Beyond 32 bits: clamped.
    int readInt(std::string_view section, std::string_view name, int fallback) override;
    void writeInt(std::string_view section, std::string_view name, int value) override;
    std::string readString(std::string_view section, std::string_view name, std::string_view fallback) override;
    // A value is written so that it reads back the same: quoted when it has
    // blanks at either end or is itself enclosed in quotes. A value holding a
    // line break cannot be one line and is not written.
    void writeString(std::string_view section, std::string_view name, std::string_view value) override;
    // The folder of the settings file (made absolute).
    std::string relativePathBase() const override;

    const std::string& filePath() const { return path; }

    // $XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config.
    static std::string configHome();

private:
    std::string path;
};

} // namespace orbit

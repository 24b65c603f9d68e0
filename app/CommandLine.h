// The screensaver command line. The host's switches are parsed byte by byte on
// the raw command line, which Linux does not have, so it is rebuilt from argv
// first. XScreenSaver's switches and hack options (-root, -window-id, --delay,
// ...) are recognised on argv before that, since the byte parse would read them
// as single letters.
#pragma once

#include "SaverMode.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orbit {

// The raw command line as the host would have passed it: argv[0] in double
// quotes when it contains a blank, then the other arguments joined by single
// blanks (arguments are not quoted again).
std::string rebuildCommandLine(const std::vector<std::string>& args);

// Reads the mode and its integer argument from commandLine (program name
// first). foregroundWindow is the argument of a bare configure switch. An
// integer too large for 32 bits saturates instead of wrapping.
SaverMode parseCommandLine(std::string_view commandLine, std::int64_t& argument, std::int64_t foregroundWindow = 0);

// The program file's base name without directory and extension.
std::string applicationName(std::string_view programPath);

// Where an XScreenSaver hack is to draw.
struct HostWindowSwitch {
    bool rootWindow = false; // -root without $XSCREENSAVER_WINDOW: the screen's root
    std::int64_t windowId = 0; // 0 when the id text was missing or not a number
};

// The settings a hack run takes from its command line instead of the settings
// file; an empty field keeps the stored value.
struct HackOptions {
    std::optional<int> frameDelayMs;   // --delay USEC, rounded to ms and clamped to 1..100
    std::optional<int> satelliteCount; // --satellites N, clamped to 1..10
    std::optional<bool> shotSound;     // --sound / --no-sound
    std::optional<std::string> modelFile; // --model FILE
    bool showFrameRate = false;        // --fps
};

struct HackCommandLine {
    std::optional<HostWindowSwitch> host; // empty: the hack runs full screen
    HackOptions options;
    bool help = false;  // --help: the usage text on stdout, status 0
    std::string error;  // not empty: the command line is refused (usage, status 1)
};

// Whether args[1..] are read as hack options: when any argument starts with
// "--", or is one of the hack's names with a single dash (-root, -window-id,
// -delay, -satellites, -sound, -no-sound, -model, -fps, -help, or NAME=VALUE
// of one of them). Every other command line keeps the host's switch parse.
bool isHackCommandLine(const std::vector<std::string>& args);

// Reads args[1..] as hack options, each with one or two dashes, a value as
// the next argument or after '='. An option given twice takes its last value.
// -root draws in $XSCREENSAVER_WINDOW (xscreensaverWindow, nullptr when
// unset), else in the root window; -window-id ID in window ID (a missing or
// unreadable ID gives window 0, which the run refuses). A numeric value is a
// decimal integer with an optional sign; anything else, a missing value or
// an unknown argument sets error.
HackCommandLine parseHackCommandLine(const std::vector<std::string>& args, const char* xscreensaverWindow);

// The usage text for program name appName, every line ending in '\n'.
std::string usageText(std::string_view appName);

// Parses an X window id as decimal or 0x-hex text; 0 when the text is not
// exactly such a number or does not fit 32 bits.
std::int64_t parseWindowId(std::string_view text);

} // namespace orbit

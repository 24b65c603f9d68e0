// The screensaver command line. The host's switches are parsed byte by byte on
// the raw command line, which Linux does not have, so it is rebuilt from argv
// first. XScreenSaver's own switches (-root, -window-id) are recognised on argv
// before that, since the byte parse would read them as unknown letters.
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

// Finds -root or -window-id ID (one or two leading dashes; ID decimal or
// 0x-hex) among args[1..]; empty when neither is present. xscreensaverWindow
// is the value of $XSCREENSAVER_WINDOW, or nullptr when unset.
std::optional<HostWindowSwitch> parseHostWindowSwitch(const std::vector<std::string>& args,
                                                      const char* xscreensaverWindow);

// Parses an X window id as decimal or 0x-hex text; 0 when the text is not
// exactly such a number or does not fit 32 bits.
std::int64_t parseWindowId(std::string_view text);

} // namespace orbit

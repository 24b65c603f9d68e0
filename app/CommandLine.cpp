// The command line parse follows the host's rules byte by byte: only the first
// letter of the switch counts, and the number is read with atoi's rules (which
// is why "/preview" gives window 0). atoi's overflow is undefined in C; here a
// number beyond 32 bits saturates, as the host's run-time library does.
// Hack options are read per argument instead, strictly: an argument that is
// not one of them refuses the whole command line, so a typing error is
// reported instead of silently running with the stored settings.
#include "CommandLine.h"

#include "platform/SettingsStore.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdlib>

namespace orbit {

namespace {

bool isAtoiSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// atoi: leading white space, optional sign, digits; anything else stops it.
std::int64_t readInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isAtoiSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT_MIN) : INT_MAX;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        magnitude = std::min(limit, magnitude * 10 + (text[i] - '0'));
    return negative ? -magnitude : magnitude;
}

std::size_t skipBlanksAndColons(std::string_view line, std::size_t i)
{
    while (i < line.size() && (line[i] == ' ' || line[i] == ':'))
        ++i;
    return i;
}

} // namespace

std::string rebuildCommandLine(const std::vector<std::string>& args)
{
    std::string line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i == 0) {
            const bool quote = args[0].find(' ') != std::string::npos;
            line = quote ? '"' + args[0] + '"' : args[0];
        } else {
            line += ' ';
            line += args[i];
        }
    }
    return line;
}

SaverMode parseCommandLine(std::string_view line, std::int64_t& argument, std::int64_t foregroundWindow)
{
    argument = 0;
    std::size_t i = 0;
    // The program name: up to the closing quote, or up to the first blank.
    if (!line.empty() && line[0] == '"') {
        i = 1;
        while (i < line.size() && line[i] != '"')
            ++i;
    } else {
        while (i < line.size() && line[i] != ' ')
            ++i;
    }
    if (i < line.size())
        ++i;
    while (i < line.size() && line[i] == ' ')
        ++i;
    if (i == line.size())
        return SaverMode::Configure;
    if (line[i] == '-' || line[i] == '/')
        ++i;
    if (i == line.size())
        return SaverMode::None;

    const char letter = line[i++];
    switch (letter) {
    case 's':
    case 'S':
        return SaverMode::FullScreen;
    case 'p':
    case 'P':
    case 'l':
    case 'L':
        argument = readInteger(line.substr(skipBlanksAndColons(line, i)));
        return SaverMode::Preview;
    case 'c':
    case 'C':
        i = skipBlanksAndColons(line, i);
        argument = i == line.size() ? foregroundWindow : readInteger(line.substr(i));
        return SaverMode::Configure;
    case 'a':
    case 'A':
        argument = readInteger(line.substr(skipBlanksAndColons(line, i)));
        return SaverMode::ChangePassword;
    default:
        return SaverMode::None;
    }
}

std::string applicationName(std::string_view programPath)
{
    const std::size_t slash = programPath.rfind('/');
    std::string_view base = slash == std::string_view::npos ? programPath : programPath.substr(slash + 1);
    const std::size_t dot = base.rfind('.');
    // A leading dot names a hidden file, not an extension.
    if (dot != std::string_view::npos && dot > 0)
        base = base.substr(0, dot);
    return std::string(base);
}

std::int64_t parseWindowId(std::string_view text)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > UINT32_MAX)
        return 0;
    return static_cast<std::int64_t>(value);
}

namespace {

enum class HackName { Root, WindowId, Delay, Satellites, Sound, NoSound, Model, Fps, Help };

struct HackOption {
    std::string_view name;
    HackName id;
    bool takesValue;
};

constexpr HackOption hackOptions[] = {
    {"root", HackName::Root, false},         {"window-id", HackName::WindowId, true},
    {"delay", HackName::Delay, true},        {"satellites", HackName::Satellites, true},
    {"sound", HackName::Sound, false},       {"no-sound", HackName::NoSound, false},
    {"model", HackName::Model, true},        {"fps", HackName::Fps, false},
    {"help", HackName::Help, false},
};

// An argument with one or two leading dashes, its name and the text after '='.
struct SpelledOption {
    std::string_view name;
    std::optional<std::string_view> value;
};

std::optional<SpelledOption> spellOption(std::string_view arg)
{
    if (!arg.starts_with('-'))
        return std::nullopt;
    arg.remove_prefix(arg.starts_with("--") ? 2 : 1);
    const std::size_t equals = arg.find('=');
    if (equals == std::string_view::npos)
        return SpelledOption{arg, std::nullopt};
    return SpelledOption{arg.substr(0, equals), arg.substr(equals + 1)};
}

const HackOption* findHackOption(std::string_view name)
{
    for (const HackOption& option : hackOptions) {
        if (option.name == name)
            return &option;
    }
    return nullptr;
}

// A decimal integer with an optional sign and nothing else; values far beyond
// any clamp saturate instead of overflowing.
std::optional<std::int64_t> readOptionNumber(std::string_view text)
{
    constexpr std::int64_t saturation = 1'000'000'000'000;
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    std::int64_t magnitude = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        magnitude = std::min(saturation, magnitude * 10 + (c - '0'));
    }
    return negative ? -magnitude : magnitude;
}

int clampTo(std::int64_t value, int low, int high)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, low, high));
}

// Microseconds to whole milliseconds, halves rounded up, within the timer's range.
int frameDelayFromMicroseconds(std::int64_t microseconds)
{
    const std::int64_t ms = microseconds < 0 ? 0 : (microseconds + 500) / 1000;
    return clampTo(ms, settings::minTimerMs, settings::maxTimerMs);
}

} // namespace

bool isHackCommandLine(const std::vector<std::string>& args)
{
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i].starts_with("--"))
            return true;
        const std::optional<SpelledOption> spelled = spellOption(args[i]);
        if (spelled && findHackOption(spelled->name))
            return true;
    }
    return false;
}

HackCommandLine parseHackCommandLine(const std::vector<std::string>& args, const char* xscreensaverWindow)
{
    HackCommandLine line;
    HackOptions& options = line.options;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::optional<SpelledOption> spelled = spellOption(arg);
        const HackOption* option = spelled ? findHackOption(spelled->name) : nullptr;
        if (!option) {
            line.error = "unknown option \"" + arg + "\"";
            return line;
        }
        std::optional<std::string_view> value = spelled->value;
        if (!option->takesValue && value) {
            line.error = "option \"" + arg + "\" takes no value";
            return line;
        }
        if (option->takesValue && !value && i + 1 < args.size())
            value = args[++i];
        if (option->takesValue && !value && option->id != HackName::WindowId) {
            line.error = "option \"" + arg + "\" needs a value";
            return line;
        }
        std::optional<std::int64_t> number;
        if (option->id == HackName::Delay || option->id == HackName::Satellites) {
            number = readOptionNumber(*value);
            if (!number) {
                line.error = "option \"" + arg + "\" needs a whole number, not \"" + std::string(*value) + "\"";
                return line;
            }
        }
        switch (option->id) {
        case HackName::Root:
            if (xscreensaverWindow && *xscreensaverWindow)
                line.host = HostWindowSwitch{false, parseWindowId(xscreensaverWindow)};
            else
                line.host = HostWindowSwitch{true, 0};
            break;
        case HackName::WindowId:
            line.host = HostWindowSwitch{false, value ? parseWindowId(*value) : 0};
            break;
        case HackName::Delay:
            options.frameDelayMs = frameDelayFromMicroseconds(*number);
            break;
        case HackName::Satellites:
            options.satelliteCount = clampTo(*number, settings::minSatCount, settings::maxSatCount);
            break;
        case HackName::Sound:
        case HackName::NoSound:
            options.shotSound = option->id == HackName::Sound;
            break;
        case HackName::Model:
            options.modelFile = std::string(*value);
            break;
        case HackName::Fps:
            options.showFrameRate = true;
            break;
        case HackName::Help:
            line.help = true;
            break;
        }
    }
    return line;
}

std::string usageText(std::string_view appName)
{
    const std::string name(appName);
    const std::string indent(name.size() + 8, ' ');
    return "usage: " + name + " [/s | /c | /p ID | /a ID]\n" +
           "       " + name + " [-root | -window-id ID] [--delay USEC] [--satellites N]\n" +
           indent + "[--sound | --no-sound] [--model FILE] [--fps]\n"
           "  /s                 full screen\n"
           "  /c, no switch      the settings dialog\n"
           "  /p ID              preview in the X11 window ID\n"
           "  /a ID              change password (nothing to do on Linux)\n"
           "  -root              XScreenSaver: draw in $XSCREENSAVER_WINDOW, else the root window\n"
           "  -window-id ID      XScreenSaver: draw in the window ID (decimal or 0x hex)\n"
           "  --delay USEC       frame delay in microseconds, 1000..100000\n"
           "  --satellites N     satellites on random orbits, 1..10\n"
           "  --sound, --no-sound  the shot sound on or off\n"
           "  --model FILE       a 3DS file to fly instead of the built-in starship\n"
           "  --fps              the frame rate and CPU time per frame, lower left\n"
           "Options take one or two dashes. Without -root or -window-id they run full\n"
           "screen; they cannot be mixed with the / switches. They apply to this run\n"
           "only: the settings file is never changed by them.\n";
}

} // namespace orbit

// The command line parse follows the host's rules byte by byte: only the first
// letter of the switch counts, and the number is read with atoi's rules (which
// is why "/preview" gives window 0). atoi's overflow is undefined in C; here a
// number beyond 32 bits saturates, as the host's run-time library does.
#include "CommandLine.h"

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

std::optional<HostWindowSwitch> parseHostWindowSwitch(const std::vector<std::string>& args,
                                                      const char* xscreensaverWindow)
{
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (arg.starts_with("--"))
            arg.remove_prefix(1);
        if (arg == "-root") {
            if (xscreensaverWindow && *xscreensaverWindow)
                return HostWindowSwitch{false, parseWindowId(xscreensaverWindow)};
            return HostWindowSwitch{true, 0};
        }
        if (arg == "-window-id")
            return HostWindowSwitch{false, i + 1 < args.size() ? parseWindowId(args[i + 1]) : 0};
        if (arg.starts_with("-window-id="))
            return HostWindowSwitch{false, parseWindowId(arg.substr(11))};
    }
    return std::nullopt;
}

} // namespace orbit

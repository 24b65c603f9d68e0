// The INI text is handled line by line here rather than through a general INI
// library: such libraries turn "a,b" into a list, interpret backslashes and
// rewrite the whole file on every write, and a hand-edited file must read as
// its owner wrote it and keep its comments and layout. Every operation
// creates the folder when it is missing; only writes create or change the
// file, and they replace it in one rename so a crash never leaves half a file.
#include "IniSettingsStore.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orbit {

namespace {

namespace fs = std::filesystem;

// Settings files are a few hundred bytes; anything far larger is not one.
constexpr std::uintmax_t maxFileBytes = 1u << 20;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool sameName(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
               return lower(x) == lower(y);
           });
}

void makeFolder(const std::string& path)
{
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
}

// The whole file, or nothing when it is missing, unreadable or no file.
std::optional<std::string> readText(const std::string& path)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error) || fs::file_size(path, error) > maxFileBytes || error)
        return std::nullopt;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return std::nullopt;
    std::string text;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 && text.size() <= maxFileBytes)
        text.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        return std::nullopt;
    return text;
}

// One line of the file, located by byte offsets so a write can replace it.
struct Line {
    std::size_t begin = 0; // first byte
    std::size_t end = 0;   // one past the last byte before the line feed
    std::string_view text;
};

std::vector<Line> splitLines(std::string_view text)
{
    std::vector<Line> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t feed = text.find('\n', begin);
        const std::size_t end = feed == std::string_view::npos ? text.size() : feed;
        lines.push_back({begin, end, text.substr(begin, end - begin)});
        begin = end + 1;
    }
    return lines;
}

// "[name]": the name; anything else: nothing.
std::optional<std::string_view> sectionHeader(std::string_view line)
{
    line = trimmed(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']')
        return std::nullopt;
    return trimmed(line.substr(1, line.size() - 2));
}

struct Entry {
    std::string_view name;
    std::string_view value; // the text in the file, blanks around it removed
};

// "name = value": both parts; a comment, a blank line or a line without '=': nothing.
std::optional<Entry> entryOf(std::string_view line)
{
    const std::string_view text = trimmed(line);
    if (text.empty() || text.front() == ';' || text.front() == '#' || text.front() == '[')
        return std::nullopt;
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return Entry{trimmed(text.substr(0, equals)), trimmed(text.substr(equals + 1))};
}

struct Found {
    std::optional<std::size_t> section;     // index of the section's header line
    std::optional<std::size_t> entry;       // index of the value's line
    std::size_t lastSectionLine = 0;        // last non-blank line of the section
    std::string_view storedName;            // the value's name as spelled in the file
    std::string_view value;
};

// The first occurrence of section/name.
Found locate(const std::vector<Line>& lines, std::string_view section, std::string_view name)
{
    Found found;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto header = sectionHeader(lines[i].text)) {
            if (found.section && inSection)
                break; // the section's end
            inSection = sameName(*header, section);
            if (inSection) {
                found.section = i;
                found.lastSectionLine = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!trimmed(lines[i].text).empty())
            found.lastSectionLine = i;
        const auto entry = entryOf(lines[i].text);
        if (entry && sameName(entry->name, name)) {
            found.entry = i;
            found.storedName = entry->name;
            found.value = entry->value;
            return found;
        }
    }
    return found;
}

std::string_view unquoted(std::string_view value)
{
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

std::string quotedIfNeeded(std::string_view value)
{
    const bool blankEnds = !value.empty() && (isBlank(value.front()) || isBlank(value.back()));
    const bool enclosed = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    std::string text;
    if (blankEnds || enclosed)
        text += '"';
    text += value;
    if (blankEnds || enclosed)
        text += '"';
    return text;
}

// Replaces path's contents with text through a file beside it and a rename,
// keeping the old file's permissions; a symbolic link keeps pointing at the
// file it named, which gets the new text.
bool replaceFile(const std::string& path, const std::string& text)
{
    std::error_code error;
    fs::path target = fs::path(path);
    if (fs::is_symlink(fs::symlink_status(target, error))) {
        target = fs::weakly_canonical(target, error);
        if (error)
            return false;
    }
    std::string temporary = target.string() + ".XXXXXX";
    const int descriptor = mkstemp(temporary.data());
    if (descriptor < 0)
        return false;
    struct stat old {};
    const mode_t mode = stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    bool written = fchmod(descriptor, mode) == 0;
    std::size_t at = 0;
    while (written && at < text.size()) {
        const ssize_t count = ::write(descriptor, text.data() + at, text.size() - at);
        if (count < 0 && errno == EINTR)
            continue;
        written = count > 0;
        at += written ? static_cast<std::size_t>(count) : 0;
    }
    written = written && fsync(descriptor) == 0;
    written = close(descriptor) == 0 && written;
    if (!written || std::rename(temporary.c_str(), target.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace

IniSettingsStore::IniSettingsStore(const std::string& companyName, const std::string& appName)
    : path(configHome() + "/" + companyName + "/" + appName + ".ini")
{
}

IniSettingsStore::IniSettingsStore(std::string filePath) : path(std::move(filePath)) {}

std::string IniSettingsStore::configHome()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.config";
}

std::string IniSettingsStore::relativePathBase() const
{
    std::error_code error;
    const fs::path absolute = fs::absolute(fs::path(path), error);
    return (error ? fs::path(path) : absolute).parent_path().string();
}

int IniSettingsStore::readInt(std::string_view section, std::string_view name, int fallback)
{
    const std::string text = readString(section, name, "");
    return text.empty() ? fallback : parseStoredInt(text, fallback);
}

void IniSettingsStore::writeInt(std::string_view section, std::string_view name, int value)
{
    writeString(section, name, std::to_string(value));
}

std::string IniSettingsStore::readString(std::string_view section, std::string_view name, std::string_view fallback)
{
    makeFolder(path);
    const std::optional<std::string> text = readText(path);
    if (!text)
        return std::string(fallback);
    const Found found = locate(splitLines(*text), section, name);
    if (!found.entry)
        return std::string(fallback);
    return std::string(unquoted(found.value));
}

void IniSettingsStore::writeString(std::string_view section, std::string_view name, std::string_view value)
{
    if (value.find_first_of("\r\n") != std::string_view::npos)
        return;
    makeFolder(path);
    std::error_code error;
    const bool exists = fs::exists(path, error);
    const std::optional<std::string> old = exists ? readText(path) : std::optional<std::string>(std::string());
    if (!old)
        return; // a file that cannot be read is not replaced by one that lost its contents
    const std::vector<Line> lines = splitLines(*old);
    const Found found = locate(lines, section, name);

    std::string text;
    if (found.entry) {
        const Line& line = lines[*found.entry];
        // Keeps the line's indentation and a carriage return at its end.
        const std::size_t indent = line.text.find_first_not_of(" \t");
        text = old->substr(0, line.begin + indent) + std::string(found.storedName) + "=" + quotedIfNeeded(value);
        if (line.text.ends_with('\r'))
            text += '\r';
        text += old->substr(line.end);
    } else {
        const std::string entry = std::string(name) + "=" + quotedIfNeeded(value) + "\n";
        if (found.section) {
            const Line& after = lines[found.lastSectionLine];
            const std::size_t at = std::min(after.end + 1, old->size());
            text = old->substr(0, at);
            if (at == old->size() && !text.empty() && text.back() != '\n')
                text += '\n';
            text += entry + old->substr(at);
        } else {
            text = *old;
            if (!text.empty() && text.back() != '\n')
                text += '\n';
            text += '[';
            text += section;
            text += "]\n";
            text += entry;
        }
    }
    replaceFile(path, text);
}

} // namespace orbit

// The overlay keeps its overrides as text so the shared integer parse and
// clamps of the settings helpers apply to them exactly as to the file's.
#include "SettingsOverlay.h"

#include "model3ds/ByteStream.h"
#include "model3ds/ParsedScene.h"
#include "model3ds/SceneReader.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace orbit {

void SettingsOverlay::setOverride(std::string_view section, std::string_view name, std::string_view text)
{
    overrides[settingsKey(section, name)] = std::string(text);
}

const std::string* SettingsOverlay::find(std::string_view section, std::string_view name) const
{
    const auto found = overrides.find(settingsKey(section, name));
    return found == overrides.end() ? nullptr : &found->second;
}

int SettingsOverlay::readInt(std::string_view section, std::string_view name, int fallback)
{
    if (const std::string* text = find(section, name))
        return parseStoredInt(*text, fallback);
    return stored.readInt(section, name, fallback);
}

void SettingsOverlay::writeInt(std::string_view section, std::string_view name, int value)
{
    stored.writeInt(section, name, value);
}

std::string SettingsOverlay::readString(std::string_view section, std::string_view name, std::string_view fallback)
{
    if (const std::string* text = find(section, name))
        return *text;
    return stored.readString(section, name, fallback);
}

void SettingsOverlay::writeString(std::string_view section, std::string_view name, std::string_view value)
{
    stored.writeString(section, name, value);
}

std::string modelFileProblem(const std::string& path)
{
    // Opening a FIFO would wait for a writer; only files are read.
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!error && std::filesystem::is_directory(status))
        return std::strerror(EISDIR);
    if (!error && !std::filesystem::is_regular_file(status))
        return "not a regular file";
    ByteStream stream;
    int cause = 0;
    if (!stream.openFile(path, cause))
        return std::strerror(cause);
    ParsedScene scene;
    StringSink diagnostics;
    const bool parsed = SceneReader(stream, scene, diagnostics).parseStream();
    if (stream.readError() != 0)
        return std::strerror(stream.readError());
    if (parsed)
        return {};
    std::string problem = diagnostics.text.substr(0, diagnostics.text.find('\n'));
    return problem.empty() ? "not a 3DS file" : problem;
}

namespace {

// path made absolute against the working directory, unless it is empty,
// absolute already, or starts with "~/" (expanded when the path is read).
std::string fromWorkingDirectory(const std::string& path)
{
    if (path.empty() || path.front() == '/' || path.starts_with("~/"))
        return path;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

} // namespace

std::string applyHackOptions(const HackOptions& options, SettingsOverlay& overlay)
{
    using namespace settings;
    if (options.frameDelayMs)
        overlay.setOverride(section, timerKey, std::to_string(*options.frameDelayMs));
    if (options.satelliteCount)
        overlay.setOverride(section, satCountKey, std::to_string(*options.satelliteCount));
    if (options.shotSound)
        overlay.setOverride(section, fireKey, *options.shotSound ? "1" : "0");
    if (!options.modelFile)
        return {};
    const std::string file = fromWorkingDirectory(*options.modelFile);
    const std::string problem = file.empty() ? std::string() : modelFileProblem(file);
    overlay.setOverride(section, sceneFileNameKey, problem.empty() ? file : std::string());
    if (problem.empty())
        return {};
    return "cannot fly the model \"" + file + "\" (" + problem + "); the built-in starship flies instead";
}

} // namespace orbit

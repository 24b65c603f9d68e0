// See ModelFileCheck.h. The loader reports through its diagnostic sink first
// (the line that names the cause) and then through the user notifier (the
// generic "Error loading 3ds file" box); the first line that says something
// is the one shown.
#include "ModelFileCheck.h"

#include "model3ds/SceneLoading.h"
#include "platform/MemoryResources.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string_view>

namespace orbit {
namespace {

constexpr bool forceTwoSided = true; // as the saver loads the starship
constexpr std::string_view unopenedPrefix = "File could not be opened ";

std::string firstLine(std::string_view text)
{
    while (!text.empty() && text.front() == '\n')
        text.remove_prefix(1);
    return std::string(text.substr(0, text.find('\n')));
}

// "File could not be opened 2" gains the system's words for the number.
std::string withErrnoText(std::string line)
{
    if (!line.starts_with(unopenedPrefix))
        return line;
    const std::string_view number = std::string_view(line).substr(unopenedPrefix.size());
    int cause = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), cause);
    if (error == std::errc() && end == number.data() + number.size() && cause > 0)
        line += std::string(" (") + std::strerror(cause) + ")";
    return line;
}

std::string thousands(std::size_t value)
{
    std::string digits = std::to_string(value);
    for (std::size_t i = digits.size(); i > 3; i -= 3)
        digits.insert(i - 3, 1, ',');
    return digits;
}

bool opensForReading(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

} // namespace

std::string modelSummary(std::size_t faces, std::size_t materials)
{
    return thousands(faces) + (faces == 1 ? " face, " : " faces, ") + thousands(materials) +
           (materials == 1 ? " material" : " materials");
}

ModelFileCheck checkModelFile(const std::string& path)
{
    ModelFileCheck check;
    try {
        check.opened = opensForReading(path);
        MemoryResources noResources;
        CollectingNotifier notifier;
        StringSink diagnostics;
        CompileHooks hooks;
        hooks.exitProcess = [](int) {}; // without GL nothing is compiled; never end the process from here
        ModelServices services{noResources, notifier, diagnostics, nullptr, nullptr, &hooks};
        const LoadedModel loaded = loadSceneFile(path, forceTwoSided, services);
        if (loaded.model) {
            check.loaded = true;
            for (const ParsedMesh& mesh : loaded.model->parsed().meshes)
                check.faces += mesh.faces.size();
            check.materials = loaded.model->parsed().materials.size();
            return check;
        }
        check.error = withErrnoText(firstLine(diagnostics.text));
        if (check.error.empty() && !notifier.messages.empty())
            check.error = firstLine(notifier.messages.front().text);
        if (check.error.empty())
            check.error = "The file could not be loaded";
    } catch (const std::exception& error) {
        check.loaded = false;
        check.error = error.what();
    }
    return check;
}

} // namespace orbit

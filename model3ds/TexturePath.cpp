// Filesystem look-ups with error codes only: a missing or unreadable folder
// just means "not found", and the stored name is then handed on unchanged so
// the loader reports the failure in its own words.
#include "TexturePath.h"

#include "platform/TextCompare.h"

#include <filesystem>
#include <system_error>

namespace orbit {

namespace {
namespace fs = std::filesystem;

bool isFile(const fs::path& path)
{
    std::error_code error;
    return fs::is_regular_file(path, error);
}

} // namespace

TexturePath resolveTexturePath(const std::string& storedName, const std::string& sceneFolder)
{
    if (storedName.empty())
        return {storedName, false};
    if (isFile(storedName))
        return {storedName, true};
    if (sceneFolder.empty())
        return {storedName, false};
    const fs::path folder(sceneFolder);
    const fs::path beside = folder / storedName;
    if (isFile(beside))
        return {beside.string(), true};
    // Only a plain file name is matched letter-case-blind; names with folder
    // parts are left as they are.
    if (fs::path(storedName).has_parent_path())
        return {storedName, false};
    std::error_code error;
    for (fs::directory_iterator it(folder, error); !error && it != fs::directory_iterator(); it.increment(error)) {
        const fs::path& candidate = it->path();
        if (equalIgnoringCase(candidate.filename().string(), storedName) && isFile(candidate))
            return {candidate.string(), true};
    }
    return {storedName, false};
}

} // namespace orbit

// Where a material's texture file is looked for. The name is first used as
// stored, relative to the current directory, as the screensaver always did;
// when no such file exists it is looked up in the 3DS file's own folder, then
// matched there ignoring letter case, because 3DS files store upper-case DOS
// names and Linux file names are case-sensitive. GL-free.
#pragma once

#include <string>

namespace orbit {

struct TexturePath {
    std::string path;    // what the texture loader is given
    bool exists = false; // a regular file was found there
};

// sceneFolder: the folder of the 3DS file, empty for the built-in scene
// (which then only tries the stored name).
TexturePath resolveTexturePath(const std::string& storedName, const std::string& sceneFolder);

} // namespace orbit

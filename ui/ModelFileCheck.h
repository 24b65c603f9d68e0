// The settings dialog's check of a starship model file: the file is loaded
// with the saver's own loader and settings (crease angle 90, every material
// two-sided) but without GL, and the outcome is summed up for the user. The
// check runs on a worker thread, so it shares nothing with the caller.
#pragma once

#include <cstddef>
#include <string>

namespace orbit {

struct ModelFileCheck {
    // The file opens for reading: the saver's own test before it tries the
    // file. When it fails, the built-in ship flies instead.
    bool opened = false;
    bool loaded = false;
    std::size_t faces = 0;     // faces of the file's meshes, as stored
    std::size_t materials = 0; // materials defined in the file
    std::string error;         // the loader's first error line; empty when loaded
};

// Never throws; a file the loader rejects comes back with its message.
ModelFileCheck checkModelFile(const std::string& path);

// "8,728 faces, 13 materials" (singular for one).
std::string modelSummary(std::size_t faces, std::size_t materials);

} // namespace orbit

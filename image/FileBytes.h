// Reads a whole file into memory for the image readers, which then work on a
// byte view (our stand-in for the platform's read-only file mapping).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orbit {

// False when the file cannot be opened or read (directories included).
bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes);

} // namespace orbit

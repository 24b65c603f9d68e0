// Whole-file reads for the file formats (images, models, the inspect tool),
// which then work on a byte view: our stand-in for the platform's read-only
// file mapping. Failures carry the errno of the failing call, the "cause" some
// messages show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace orbit {

// Largest file readWholeFile accepts (and the 3DS reader's file window opens):
// far beyond any image or model the formats' counts describe sensibly.
constexpr std::size_t maxFileBytes = std::size_t{1} << 30;

// Reads a whole file into bytes (at most maxFileBytes, else EFBIG); a
// directory cannot be read. On failure returns false with errorCause set to
// the errno value of the failing call (ENOMEM when no buffer could be had);
// never throws.
bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, int& errorCause);

// Appends the rest of an open file to bytes (growing them up to maxFileBytes,
// else EFBIG), for sources with no usable size such as a pipe. False with
// errorCause set as for readWholeFile; never throws.
bool readRestOfFile(std::FILE* file, std::vector<std::uint8_t>& bytes, int& errorCause);

} // namespace orbit

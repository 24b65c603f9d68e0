// Reads uncompressed (type 2) and run-length (type 10) true-colour TGA files
// of 24 or 32 bits into a TgaImage; refuses the other kinds with the message
// the texture loader shows. GL-free, so the inspect tool and fuzzers use it.
#pragma once

#include "TgaImage.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace orbit {

enum class TgaError {
    None,
    OpenFailed,                 // cannot be opened or read
    ColourMapped,               // types 1 and 9
    UnsupportedRgbDepth,        // type 2, not 24 or 32 bits
    Greyscale,                  // type 3
    UnsupportedCompressedDepth, // type 10, not 24 or 32 bits
    UnsupportedType,            // any other image type
    BadSize,                    // width or height (after make-even) 0 or below
    TooLarge,                   // more pixels than the reader takes
    Truncated,                  // the file ends before its pixels do
    OutOfMemory,                // the pixels cannot be allocated
};

// The message the user sees for error, with path in place of %s.
std::string tgaErrorMessage(TgaError error, std::string_view path);

struct TgaResult {
    TgaImage image;
    TgaError error = TgaError::None;
    bool ok() const { return error == TgaError::None; }
};

constexpr std::size_t tgaDefaultMaxPixels = std::size_t{16384} * 16384;

// Reads a whole TGA file held in memory.
TgaResult decodeTga(std::span<const std::uint8_t> file, std::size_t maxPixels = tgaDefaultMaxPixels);
// Reads the file at path.
TgaResult readTgaFile(const std::string& path);

} // namespace orbit

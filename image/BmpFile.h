// Reads BMP files (with or without the 14-byte file header; 12- and 40-byte
// bitmap headers) into a packed bottom-up RGB record. Our own converter takes
// the place of the platform's SetDIBits: 1, 4, 8 bits with colour tables,
// 16 bits (5-5-5 or bit-field masks), 24, 32 bits, RLE8 and RLE4.
// Reading is GL-free; loadBmpFile adds the user-visible messages.
#pragma once

#include "RgbImageRecord.h"
#include "platform/UserNotifier.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orbit {

enum class BmpError {
    None,
    OpenFailed,      // the file cannot be opened or read (or is empty)
    OutOfMemory,     // the size is not positive or beyond the limit
    UnknownFormat,   // bitmap header size neither 12 nor 40
    ConversionError, // nothing could be converted
};

// The message the user sees for error, with path filled in where it has one
// ("Failed to open DIB file <path>.\n" ends in a line feed).
std::string bmpErrorMessage(BmpError error, std::string_view path);

struct BmpResult {
    RgbImageRecord record;
    BmpError error = BmpError::None;
    bool ok() const { return error == BmpError::None; }
};

// Images with more pixels than this are refused as "Out of memory.".
constexpr std::size_t bmpDefaultMaxPixels = std::size_t{16384} * 16384;

// Converts a whole BMP file held in memory.
BmpResult decodeBmp(std::span<const std::uint8_t> file, std::size_t maxPixels = bmpDefaultMaxPixels);
// Reads the file and converts it.
BmpResult readBmpFile(const std::string& path);

// Reads and converts path; on failure shows the message under the caption
// "Error" (OK button) and returns nothing.
std::optional<RgbImageRecord> loadBmpFile(const std::string& path, UserNotifier& notifier);

} // namespace orbit

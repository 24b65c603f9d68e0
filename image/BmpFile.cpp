// BMP reading in the order of the platform's own path: file header, bitmap
// header (12-byte core or 40-byte info form), colour table, then a converter
// that stands in for SetDIBits and writes the packed bottom-up RGB record.
// Every read is bounds-checked against the file: rows or RLE runs that run
// past the end stop the conversion there, pixels outside the image are
// clipped, palette indices past the table give black, and top-down (negative
// height) files are copied upright. The canvas is only allocated when the bits
// present could fill it, so a short file claiming a huge picture costs no more
// memory than its own size warrants.
#include "BmpFile.h"

#include "platform/FileBytes.h"

#include <algorithm>
#include <array>
#include <bit>
#include <new>

namespace orbit {

namespace {

constexpr std::uint32_t biRgb = 0;
constexpr std::uint32_t biRle8 = 1;
constexpr std::uint32_t biRle4 = 2;
constexpr std::uint32_t biBitfields = 3;
constexpr std::int64_t maxSide = 65535;

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
};

struct BitmapInfo {
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = biRgb;
    std::uint32_t colourCount = 0;
    std::vector<Rgb> palette;
    std::array<std::uint32_t, 3> masks{}; // red, green, blue
    std::size_t bitsOffset = 0;
};

class Bytes {
public:
    explicit Bytes(std::span<const std::uint8_t> d) : data(d) {}
    bool has(std::size_t offset, std::size_t count) const
    {
        return offset <= data.size() && count <= data.size() - offset;
    }
    std::uint8_t u8(std::size_t i) const { return i < data.size() ? data[i] : 0; }
    std::uint16_t u16(std::size_t i) const { return static_cast<std::uint16_t>(u8(i) | u8(i + 1) << 8); }
    std::uint32_t u32(std::size_t i) const { return std::uint32_t{u16(i)} | std::uint32_t{u16(i + 2)} << 16; }
    std::size_t size() const { return data.size(); }

private:
    std::span<const std::uint8_t> data;
};

std::uint32_t colourCountFor(std::uint16_t bitCount)
{
    switch (bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

// Scales a field of the given width to 8 bits by repeating its bits, so full
// intensity stays 255 (5-bit 31 becomes 255, not 248).
std::uint8_t scaleField(std::uint32_t pixel, std::uint32_t mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const std::uint32_t field = mask >> shift;
    const int width = std::bit_width(field);
    const std::uint32_t value = (pixel & mask) >> shift;
    if (width >= 8)
        return static_cast<std::uint8_t>(value >> (width - 8));
    std::uint32_t out = 0;
    int filled = 0;
    while (filled < 8) {
        out = out << width | value;
        filled += width;
    }
    return static_cast<std::uint8_t>(out >> (filled - 8));
}

// The converted picture: packed RGB rows, bottom row first.
class Canvas {
public:
    Canvas(std::int64_t w, std::int64_t h) : width(w), height(h), rgb(static_cast<std::size_t>(w * h * 3), 0) {}
    void set(std::int64_t x, std::int64_t bottomUpRow, Rgb c)
    {
        if (x < 0 || x >= width || bottomUpRow < 0 || bottomUpRow >= height)
            return;
        std::uint8_t* p = rgb.data() + static_cast<std::size_t>((bottomUpRow * width + x) * 3);
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
    }
    std::int64_t width;
    std::int64_t height;
    std::vector<std::uint8_t> rgb;
};

Rgb paletteColour(const BitmapInfo& info, std::uint32_t index)
{
    return index < info.palette.size() ? info.palette[index] : Rgb{};
}

// Uncompressed rows of 1 to 32 bits per pixel. Returns the pixels converted.
std::size_t convertRows(const Bytes& file, const BitmapInfo& info, Canvas& canvas)
{
    const std::int64_t rows = canvas.height;
    const std::size_t stride = static_cast<std::size_t>((info.bitCount * info.width + 31) / 32 * 4);
    const bool topDown = info.height < 0;
    std::size_t converted = 0;
    for (std::int64_t i = 0; i < rows; ++i) {
        const std::size_t rowStart = info.bitsOffset + static_cast<std::size_t>(i) * stride;
        if (rowStart >= file.size())
            break;
        const std::size_t available = std::min(stride, file.size() - rowStart);
        const std::int64_t target = topDown ? rows - 1 - i : i;
        for (std::int64_t x = 0; x < info.width; ++x) {
            const std::size_t bitPos = static_cast<std::size_t>(x) * info.bitCount;
            const std::size_t byte = bitPos / 8;
            const std::size_t bytesNeeded = (bitPos % 8 + info.bitCount + 7) / 8;
            if (byte + bytesNeeded > available)
                return converted;
            const std::size_t at = rowStart + byte;
            Rgb c;
            switch (info.bitCount) {
            case 1:
            case 4:
            case 8: {
                const int shift = 8 - static_cast<int>(bitPos % 8) - info.bitCount;
                const std::uint32_t index = (file.u8(at) >> shift) & ((1u << info.bitCount) - 1);
                c = paletteColour(info, index);
                break;
            }
            case 16:
            case 32: {
                const std::uint32_t v = info.bitCount == 16 ? file.u16(at) : file.u32(at);
                c = {scaleField(v, info.masks[0]), scaleField(v, info.masks[1]), scaleField(v, info.masks[2])};
                break;
            }
            case 24: c = {file.u8(at + 2), file.u8(at + 1), file.u8(at)}; break;
            default: return converted;
            }
            canvas.set(x, target, c);
            ++converted;
        }
    }
    return converted;
}

// RLE8 and RLE4: runs, end of line, end of bitmap, delta and absolute runs.
// Returns the number of codes read; runs past the image are clipped.
std::size_t convertRle(const Bytes& file, const BitmapInfo& info, Canvas& canvas)
{
    const bool four = info.compression == biRle4;
    std::size_t at = info.bitsOffset;
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::size_t codes = 0;
    while (file.has(at, 2) && y < canvas.height) {
        const std::uint8_t count = file.u8(at);
        const std::uint8_t value = file.u8(at + 1);
        at += 2;
        ++codes;
        if (count > 0) {
            for (int i = 0; i < count; ++i, ++x) {
                const std::uint32_t index = four ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value;
                canvas.set(x, y, paletteColour(info, index));
            }
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            break;
        } else if (value == 2) { // delta
            if (!file.has(at, 2))
                break;
            x += file.u8(at);
            y += file.u8(at + 1);
            at += 2;
        } else { // absolute run of value pixels, padded to a 16-bit boundary
            const std::size_t bytes = four ? (value + 1u) / 2 : value;
            if (!file.has(at, bytes))
                break;
            for (int i = 0; i < value; ++i, ++x) {
                const std::uint8_t b = file.u8(at + static_cast<std::size_t>(four ? i / 2 : i));
                const std::uint32_t index = four ? (i % 2 == 0 ? b >> 4 : b & 0x0F) : b;
                canvas.set(x, y, paletteColour(info, index));
            }
            at += bytes + (bytes & 1);
        }
    }
    return codes;
}

BmpError readHeader(const Bytes& file, BitmapInfo& info)
{
    const bool hasFileHeader = file.u8(0) == 'B' && file.u8(1) == 'M';
    const std::size_t headerAt = hasFileHeader ? 14 : 0;
    if (!file.has(headerAt, 4))
        return BmpError::UnknownFormat;
    const std::uint32_t headerSize = file.u32(headerAt);
    std::size_t entrySize = 4;
    std::size_t tableAt = headerAt + headerSize;
    if (headerSize == 12) {
        if (!file.has(headerAt, 12))
            return BmpError::UnknownFormat;
        info.width = file.u16(headerAt + 4);
        info.height = file.u16(headerAt + 6);
        info.bitCount = file.u16(headerAt + 10);
        info.colourCount = colourCountFor(info.bitCount);
        entrySize = 3;
    } else if (headerSize == 40) {
        if (!file.has(headerAt, 40))
            return BmpError::UnknownFormat;
        info.width = static_cast<std::int32_t>(file.u32(headerAt + 4));
        info.height = static_cast<std::int32_t>(file.u32(headerAt + 8));
        info.bitCount = file.u16(headerAt + 14);
        info.compression = file.u32(headerAt + 16);
        const std::uint32_t clrUsed = file.u32(headerAt + 32) & 0xFFFF;
        info.colourCount = clrUsed != 0 ? clrUsed : colourCountFor(info.bitCount);
        if (info.compression == biBitfields) {
            // The three masks sit where the colour table starts.
            if (!file.has(tableAt, 12))
                return BmpError::ConversionError;
            info.masks = {file.u32(tableAt), file.u32(tableAt + 4), file.u32(tableAt + 8)};
            tableAt += 12;
        }
    } else {
        return BmpError::UnknownFormat;
    }
    if (info.compression == biRgb) {
        if (info.bitCount == 16)
            info.masks = {0x7C00, 0x03E0, 0x001F};
        else if (info.bitCount == 32)
            info.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
    }
    if (info.bitCount <= 8) {
        // Only the entries the file really holds are used; indices beyond them give black.
        const std::size_t fit = tableAt < file.size() ? (file.size() - tableAt) / entrySize : 0;
        const std::size_t entries = std::min<std::size_t>(info.colourCount, fit);
        for (std::size_t i = 0; i < entries; ++i) {
            const std::size_t e = tableAt + i * entrySize;
            info.palette.push_back({file.u8(e + 2), file.u8(e + 1), file.u8(e)});
        }
    }
    info.bitsOffset = hasFileHeader ? file.u32(10) : tableAt + entrySize * info.colourCount;
    return BmpError::None;
}

bool supportedLayout(const BitmapInfo& info)
{
    switch (info.compression) {
    case biRgb:
        return info.bitCount == 1 || info.bitCount == 4 || info.bitCount == 8 || info.bitCount == 16 ||
               info.bitCount == 24 || info.bitCount == 32;
    case biRle8: return info.bitCount == 8 && info.height > 0;
    case biRle4: return info.bitCount == 4 && info.height > 0;
    case biBitfields: return info.bitCount == 16 || info.bitCount == 32;
    default: return false;
    }
}

// The most pixels pixelBytes bytes of bits can set in this compression's most
// compact form: eight per byte uncompressed (one bit each), the longest run
// of one two-byte code under RLE. A canvas beyond that could only come from a
// header promising data the file does not hold, so it is never allocated.
std::uint64_t fillablePixels(const BitmapInfo& info, std::size_t pixelBytes)
{
    const bool rle = info.compression == biRle8 || info.compression == biRle4;
    return rle ? std::uint64_t{pixelBytes / 2} * 255 : std::uint64_t{pixelBytes} * 8;
}

} // namespace

std::string bmpErrorMessage(BmpError error, std::string_view path)
{
    switch (error) {
    case BmpError::None: return {};
    case BmpError::OpenFailed: return "Failed to open DIB file " + std::string(path) + ".\n";
    case BmpError::OutOfMemory: return "Out of memory.";
    case BmpError::UnknownFormat: return "Unknown DIB file format.";
    case BmpError::ConversionError: return "Image file conversion error.";
    }
    return {};
}

BmpResult decodeBmp(std::span<const std::uint8_t> bytes, std::size_t maxPixels)
{
    BmpResult result;
    if (bytes.empty()) { // an empty file cannot be mapped
        result.error = BmpError::OpenFailed;
        return result;
    }
    const Bytes file(bytes);
    BitmapInfo info;
    result.error = readHeader(file, info);
    if (result.error != BmpError::None)
        return result;
    const std::int64_t rows = info.height < 0 ? -info.height : info.height;
    // The platform refuses a DIB section it cannot make: no pixels, or too many.
    if (info.width <= 0 || rows == 0 || info.width > maxSide || rows > maxSide ||
        static_cast<std::uint64_t>(info.width * rows) > maxPixels) {
        result.error = BmpError::OutOfMemory;
        return result;
    }
    if (!supportedLayout(info) || info.bitsOffset >= file.size() ||
        static_cast<std::uint64_t>(info.width * rows) > fillablePixels(info, file.size() - info.bitsOffset)) {
        result.error = BmpError::ConversionError;
        return result;
    }
    try {
        Canvas canvas(info.width, rows);
        const bool rle = info.compression == biRle8 || info.compression == biRle4;
        const std::size_t converted = rle ? convertRle(file, info, canvas) : convertRows(file, info, canvas);
        if (converted == 0) {
            result.error = BmpError::ConversionError;
            return result;
        }
        result.record.width = static_cast<std::int32_t>(info.width);
        result.record.height = static_cast<std::int32_t>(rows);
        result.record.data = std::move(canvas.rgb);
    } catch (const std::bad_alloc&) {
        result.error = BmpError::OutOfMemory;
    }
    return result;
}

BmpResult readBmpFile(const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    int cause = 0;
    if (!readWholeFile(path, bytes, cause)) {
        BmpResult result;
        result.error = BmpError::OpenFailed;
        return result;
    }
    return decodeBmp(bytes);
}

std::optional<RgbImageRecord> loadBmpFile(const std::string& path, UserNotifier& notifier)
{
    BmpResult result = readBmpFile(path);
    if (!result.ok()) {
        notifier.show(bmpErrorMessage(result.error, path), "Error", MessageButtons::Ok);
        return std::nullopt;
    }
    return std::move(result.record);
}

} // namespace orbit

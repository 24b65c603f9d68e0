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

#include "platform/ByteReader.h"
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
std::size_t convertRows(ByteReader bits, const BitmapInfo& info, Canvas& canvas)
{
    const std::int64_t rows = canvas.height;
    const std::size_t stride = static_cast<std::size_t>((info.bitCount * info.width + 31) / 32 * 4);
    const bool topDown = info.height < 0;
    std::size_t converted = 0;
    for (std::int64_t i = 0; i < rows && bits.remaining() != 0; ++i) {
        ByteReader row = bits.subReader(stride); // the last row may be cut short
        const std::int64_t target = topDown ? rows - 1 - i : i;
        for (std::int64_t x = 0; x < info.width; ++x) {
            const std::size_t bitPos = static_cast<std::size_t>(x) * info.bitCount;
            const std::size_t byte = bitPos / 8;
            const std::size_t bytesNeeded = (bitPos % 8 + info.bitCount + 7) / 8;
            if (byte + bytesNeeded > row.size())
                return converted;
            row.seek(byte);
            Rgb c;
            switch (info.bitCount) {
            case 1:
            case 4:
            case 8: {
                const int shift = 8 - static_cast<int>(bitPos % 8) - info.bitCount;
                const std::uint32_t index = (row.u8() >> shift) & ((1u << info.bitCount) - 1);
                c = paletteColour(info, index);
                break;
            }
            case 16:
            case 32: {
                const std::uint32_t v = info.bitCount == 16 ? row.u16() : row.u32();
                c = {scaleField(v, info.masks[0]), scaleField(v, info.masks[1]), scaleField(v, info.masks[2])};
                break;
            }
            case 24:
                c.b = row.u8();
                c.g = row.u8();
                c.r = row.u8();
                break;
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
std::size_t convertRle(ByteReader bits, const BitmapInfo& info, Canvas& canvas)
{
    const bool four = info.compression == biRle4;
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::size_t codes = 0;
    while (bits.remaining() >= 2 && y < canvas.height) {
        const std::uint8_t count = bits.u8();
        const std::uint8_t value = bits.u8();
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
            if (bits.remaining() < 2)
                break;
            x += bits.u8();
            y += bits.u8();
        } else { // absolute run of value pixels, padded to a 16-bit boundary
            const std::size_t bytes = four ? (value + 1u) / 2 : value;
            const std::span<const std::uint8_t> run = bits.bytes(bytes);
            if (run.size() != bytes)
                break;
            for (int i = 0; i < value; ++i, ++x) {
                const std::uint8_t b = run[static_cast<std::size_t>(four ? i / 2 : i)];
                const std::uint32_t index = four ? (i % 2 == 0 ? b >> 4 : b & 0x0F) : b;
                canvas.set(x, y, paletteColour(info, index));
            }
            bits.skip(bytes & 1);
        }
    }
    return codes;
}

BmpError readHeader(std::span<const std::uint8_t> file, BitmapInfo& info)
{
    ByteReader fileHeader(file);
    const bool hasFileHeader = fileHeader.u16() == ('B' | 'M' << 8);
    fileHeader.skip(8);
    const std::uint32_t bitsAt = fileHeader.u32();
    const std::size_t headerAt = hasFileHeader ? 14 : 0;
    ByteReader header(file);
    header.seek(headerAt);
    const std::uint32_t headerSize = header.u32();
    if (header.overrun())
        return BmpError::UnknownFormat;
    std::size_t entrySize = 4;
    std::size_t tableAt = headerAt + headerSize;
    ByteReader table(file);
    table.seek(tableAt);
    if (headerSize == 12) {
        ByteReader core = header.subReader(8);
        if (header.overrun())
            return BmpError::UnknownFormat;
        info.width = core.u16();
        info.height = core.u16();
        core.skip(2); // planes
        info.bitCount = core.u16();
        info.colourCount = colourCountFor(info.bitCount);
        entrySize = 3;
    } else if (headerSize == 40) {
        ByteReader fields = header.subReader(36);
        if (header.overrun())
            return BmpError::UnknownFormat;
        info.width = fields.i32();
        info.height = fields.i32();
        fields.skip(2); // planes
        info.bitCount = fields.u16();
        info.compression = fields.u32();
        fields.skip(12); // image size, resolution
        const std::uint32_t clrUsed = fields.u32() & 0xFFFF;
        info.colourCount = clrUsed != 0 ? clrUsed : colourCountFor(info.bitCount);
        if (info.compression == biBitfields) {
            // The three masks sit where the colour table starts.
            info.masks = {table.u32(), table.u32(), table.u32()};
            if (table.overrun())
                return BmpError::ConversionError;
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
        const std::size_t entries = std::min<std::size_t>(info.colourCount, table.remaining() / entrySize);
        for (std::size_t i = 0; i < entries; ++i) {
            Rgb& entry = info.palette.emplace_back();
            entry.b = table.u8();
            entry.g = table.u8();
            entry.r = table.u8();
            table.skip(entrySize - 3);
        }
    }
    info.bitsOffset = hasFileHeader ? bitsAt : tableAt + entrySize * info.colourCount;
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
    BitmapInfo info;
    result.error = readHeader(bytes, info);
    if (result.error != BmpError::None)
        return result;
    const std::int64_t rows = info.height < 0 ? -info.height : info.height;
    // The platform refuses a DIB section it cannot make: no pixels, or too many.
    if (info.width <= 0 || rows == 0 || info.width > maxSide || rows > maxSide ||
        static_cast<std::uint64_t>(info.width * rows) > maxPixels) {
        result.error = BmpError::OutOfMemory;
        return result;
    }
    if (!supportedLayout(info) || info.bitsOffset >= bytes.size() ||
        static_cast<std::uint64_t>(info.width * rows) > fillablePixels(info, bytes.size() - info.bitsOffset)) {
        result.error = BmpError::ConversionError;
        return result;
    }
    try {
        Canvas canvas(info.width, rows);
        const bool rle = info.compression == biRle8 || info.compression == biRle4;
        ByteReader bits(bytes);
        bits.seek(info.bitsOffset);
        const std::size_t converted = rle ? convertRle(bits, info, canvas) : convertRows(bits, info, canvas);
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

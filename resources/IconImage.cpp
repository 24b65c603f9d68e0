// Icon and cursor decoding: the directory picks an entry, the entry's DIB
// (BITMAPINFOHEADER, palette, XOR bitmap, AND mask, rows bottom-up) becomes
// top-down RGBA. Every offset and size from the file is checked against the
// entry's byte range before use, and sizes are bounded before allocating.
#include "IconImage.h"

#include <algorithm>

#include <cstddef>
#include <cstdlib>

namespace orbit {
namespace {

constexpr std::size_t directoryHeaderBytes = 6;
constexpr std::size_t directoryEntryBytes = 16;
constexpr std::size_t infoHeaderMinBytes = 40;
constexpr int maxIconSide = 256;
constexpr std::uint16_t typeIcon = 1;
constexpr std::uint16_t typeCursor = 2;

// Little-endian reads within one span; a read that does not fit yields 0 and
// marks the reader as overrun, so callers check once after a group of reads.
struct LittleEndianReader {
    std::span<const std::uint8_t> bytes;
    bool overrun = false;

    std::uint32_t get(std::size_t offset, std::size_t width)
    {
        if (offset > bytes.size() || width > bytes.size() - offset) {
            overrun = true;
            return 0;
        }
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < width; ++i)
            value |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
        return value;
    }
    std::uint8_t u8(std::size_t offset) { return static_cast<std::uint8_t>(get(offset, 1)); }
    std::uint16_t u16(std::size_t offset) { return static_cast<std::uint16_t>(get(offset, 2)); }
    std::uint32_t u32(std::size_t offset) { return get(offset, 4); }
    std::int32_t s32(std::size_t offset) { return static_cast<std::int32_t>(get(offset, 4)); }
};

struct DirectoryEntry {
    int width = 0;
    std::uint16_t field1 = 0; // planes (icon) or hot spot x (cursor)
    std::uint16_t field2 = 0; // bits per pixel (icon) or hot spot y (cursor)
    std::uint32_t byteCount = 0;
    std::uint32_t offset = 0;
};

std::size_t rowStride(int width, int bitsPerPixel)
{
    return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel) + 31) / 32 * 4;
}

// Palette index or packed colour of pixel x in one XOR row.
std::uint32_t readPixel(std::span<const std::uint8_t> row, int x, int bitsPerPixel)
{
    const auto ux = static_cast<std::size_t>(x);
    switch (bitsPerPixel) {
    case 1: return (row[ux / 8] >> (7 - ux % 8)) & 1u;
    case 4: return (row[ux / 2] >> (ux % 2 == 0 ? 4 : 0)) & 0xFu;
    case 8: return row[ux];
    case 24: return row[3 * ux] | (row[3 * ux + 1] << 8) | (row[3 * ux + 2] << 16);
    default:
        return row[4 * ux] | (row[4 * ux + 1] << 8) | (row[4 * ux + 2] << 16)
             | (static_cast<std::uint32_t>(row[4 * ux + 3]) << 24);
    }
}

std::optional<IconImage> decodeDib(std::span<const std::uint8_t> dib, const DirectoryEntry& entry, bool cursor)
{
    LittleEndianReader in{dib};
    const std::uint32_t headerBytes = in.u32(0);
    const std::int32_t width = in.s32(4);
    const std::int32_t doubledHeight = in.s32(8);
    const std::uint16_t bitsPerPixel = in.u16(14);
    const std::uint32_t compression = in.u32(16);
    const std::uint32_t coloursUsed = in.u32(32);
    if (in.overrun || headerBytes < infoHeaderMinBytes || headerBytes > dib.size())
        return std::nullopt;
    // The stored height covers the XOR bitmap and the AND mask together.
    const std::int32_t height = doubledHeight / 2;
    if (width <= 0 || width > maxIconSide || height <= 0 || height > maxIconSide || doubledHeight % 2 != 0)
        return std::nullopt;
    if (compression != 0)
        return std::nullopt;
    if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32)
        return std::nullopt;

    const std::size_t paletteSize = bitsPerPixel <= 8 ? (coloursUsed != 0 ? coloursUsed : 1u << bitsPerPixel) : 0;
    if (bitsPerPixel <= 8 && paletteSize > (1u << bitsPerPixel))
        return std::nullopt;
    // Above 8 bits a colour table is optional (a hint for palette devices),
    // but when the header counts one it still stands before the pixels.
    const std::size_t tableEntries = bitsPerPixel <= 8 ? paletteSize : coloursUsed;
    const std::size_t paletteStart = headerBytes;
    const std::size_t xorStart = paletteStart + 4 * tableEntries;
    const std::size_t xorStride = rowStride(width, bitsPerPixel);
    const std::size_t andStride = rowStride(width, 1);
    const auto rows = static_cast<std::size_t>(height);
    const std::size_t andStart = xorStart + xorStride * rows;
    if (andStart + andStride * rows > dib.size())
        return std::nullopt;

    IconImage image;
    image.width = width;
    image.height = height;
    if (cursor) {
        // A hot spot outside the picture would point the click elsewhere
        // than the cursor shows; keep it on the picture's last pixel.
        image.hotSpotX = std::min<int>(entry.field1, width - 1);
        image.hotSpotY = std::min<int>(entry.field2, height - 1);
    }
    image.rgba.resize(static_cast<std::size_t>(width) * rows * 4);

    bool anyAlpha = false;
    if (bitsPerPixel == 32) {
        for (std::size_t y = 0; y < rows && !anyAlpha; ++y)
            for (int x = 0; x < width && !anyAlpha; ++x)
                anyAlpha = dib[xorStart + y * xorStride + 4 * static_cast<std::size_t>(x) + 3] != 0;
    }

    for (std::size_t y = 0; y < rows; ++y) {
        const std::size_t fileRow = rows - 1 - y; // stored bottom-up
        const auto xorRow = dib.subspan(xorStart + fileRow * xorStride, xorStride);
        const auto andRow = dib.subspan(andStart + fileRow * andStride, andStride);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t value = readPixel(xorRow, x, bitsPerPixel);
            std::uint8_t rgb[3];
            std::uint8_t alphaByte = 255;
            if (bitsPerPixel <= 8) {
                if (value >= paletteSize)
                    return std::nullopt;
                const std::size_t entryAt = paletteStart + 4 * value; // B, G, R, reserved
                rgb[0] = dib[entryAt + 2];
                rgb[1] = dib[entryAt + 1];
                rgb[2] = dib[entryAt];
            } else {
                rgb[0] = static_cast<std::uint8_t>(value >> 16);
                rgb[1] = static_cast<std::uint8_t>(value >> 8);
                rgb[2] = static_cast<std::uint8_t>(value);
                alphaByte = static_cast<std::uint8_t>(value >> 24);
            }
            const auto ux = static_cast<std::size_t>(x);
            const bool masked = ((andRow[ux / 8] >> (7 - ux % 8)) & 1u) != 0;
            const bool opaque = anyAlpha ? alphaByte >= 128 : !masked;
            std::uint8_t* out = &image.rgba[(y * static_cast<std::size_t>(width) + ux) * 4];
            out[0] = opaque ? rgb[0] : 0;
            out[1] = opaque ? rgb[1] : 0;
            out[2] = opaque ? rgb[2] : 0;
            out[3] = opaque ? 255 : 0;
        }
    }
    return image;
}

} // namespace

std::optional<IconImage> decodeIconResource(std::span<const std::uint8_t> bytes, int preferredSize)
{
    LittleEndianReader in{bytes};
    const std::uint16_t reserved = in.u16(0);
    const std::uint16_t type = in.u16(2);
    const std::uint16_t count = in.u16(4);
    if (in.overrun || reserved != 0 || (type != typeIcon && type != typeCursor) || count == 0)
        return std::nullopt;
    if (directoryHeaderBytes + directoryEntryBytes * count > bytes.size())
        return std::nullopt;

    std::optional<DirectoryEntry> best;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = directoryHeaderBytes + directoryEntryBytes * i;
        DirectoryEntry entry;
        entry.width = in.u8(at) == 0 ? maxIconSide : in.u8(at);
        entry.field1 = in.u16(at + 4);
        entry.field2 = in.u16(at + 6);
        entry.byteCount = in.u32(at + 8);
        entry.offset = in.u32(at + 12);
        if (!best) {
            best = entry;
            continue;
        }
        const int distance = std::abs(entry.width - preferredSize);
        const int bestDistance = std::abs(best->width - preferredSize);
        if (distance < bestDistance || (distance == bestDistance && entry.width > best->width))
            best = entry;
    }
    if (in.overrun || best->offset > bytes.size() || best->byteCount > bytes.size() - best->offset)
        return std::nullopt;
    const auto dib = bytes.subspan(best->offset, best->byteCount);
    // PNG-compressed entries (Vista-style icons) are not supported.
    if (dib.size() >= 4 && dib[0] == 0x89 && dib[1] == 'P' && dib[2] == 'N' && dib[3] == 'G')
        return std::nullopt;
    return decodeDib(dib, *best, type == typeCursor);
}

} // namespace orbit

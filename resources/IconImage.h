// Decodes the program's icon (.ico) and cursor (.cur) resources into plain
// RGBA pixels, without Qt, so ui/ can hand them to any toolkit. Only the
// classic bitmap forms are understood (1/4/8/24/32 bits per pixel with an
// AND mask); PNG-compressed entries are rejected. Every read is bounds-checked
// against the input span.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace orbit {

struct IconImage {
    int width = 0;    // pixels
    int height = 0;   // pixels
    int hotSpotX = 0; // pixels from the left; 0 for icons
    int hotSpotY = 0; // pixels from the top; 0 for icons
    // Top row first, 4 bytes per pixel (R, G, B, A), no row padding.
    // Alpha is 0 where the AND mask is set, 255 elsewhere.
    std::vector<std::uint8_t> rgba;
};

// Decodes a .ico or .cur file held in `bytes` and returns the image whose
// width is closest to `preferredSize` (ties: the larger one). Returns nullopt
// on anything malformed: wrong header, an entry pointing outside the data,
// an unsupported bit depth, or sizes above 256 pixels. Never reads outside
// `bytes`.
std::optional<IconImage> decodeIconResource(std::span<const std::uint8_t> bytes, int preferredSize);

} // namespace orbit

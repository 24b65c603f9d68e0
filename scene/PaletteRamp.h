// The logical palette a palette-based (8-bit) display would need: one entry per
// pixel value, each channel taken from the value through the pixel format's bit
// count and shift and scaled to 0..255. Qt's GL windows are TrueColor, so the
// program never makes one; the decision and the ramp stay testable here.
#pragma once

#include <cstdint>
#include <vector>

namespace orbit {

// The pixel-format fields the palette decision reads.
struct PixelLayout {
    bool needsPalette = false; // PFD_NEED_PALETTE: a PseudoColor visual
    int colourBits = 24;
    int redBits = 8, redShift = 16;
    int greenBits = 8, greenShift = 8;
    int blueBits = 8, blueShift = 0;
};

struct PaletteEntry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

// The palette for layout: empty unless it needs one; then 2^colourBits
// entries. A palette-based layout deeper than 8 bits (no such display exists)
// also gets none, rather than an entry table of millions.
std::vector<PaletteEntry> buildPaletteRamp(const PixelLayout& layout);

// Channel value for a pixel value: ((index >> shift) & (2^bits - 1)) scaled
// to 0..255 with rounding; 0 for a channel of no bits.
std::uint8_t paletteChannel(unsigned index, int bits, int shift);

} // namespace orbit

// Rounded scaling reproduces the classic 3-3-2 tables (0, 36, 73, 109, 146,
// 182, 219, 255 for three bits; 0, 85, 170, 255 for two).
#include "PaletteRamp.h"

namespace orbit {

namespace {
constexpr int maxPaletteBits = 8;
}

std::uint8_t paletteChannel(unsigned index, int bits, int shift)
{
    if (bits <= 0 || bits > maxPaletteBits || shift < 0 || shift > 31)
        return 0;
    const unsigned mask = (1u << bits) - 1u;
    const unsigned level = (index >> shift) & mask;
    return static_cast<std::uint8_t>((level * 255u + mask / 2u) / mask);
}

std::vector<PaletteEntry> buildPaletteRamp(const PixelLayout& layout)
{
    if (!layout.needsPalette || layout.colourBits <= 0 || layout.colourBits > maxPaletteBits)
        return {};
    std::vector<PaletteEntry> entries(std::size_t{1} << layout.colourBits);
    for (unsigned i = 0; i < entries.size(); ++i) {
        entries[i] = {paletteChannel(i, layout.redBits, layout.redShift),
                      paletteChannel(i, layout.greenBits, layout.greenShift),
                      paletteChannel(i, layout.blueBits, layout.blueShift)};
    }
    return entries;
}

} // namespace orbit

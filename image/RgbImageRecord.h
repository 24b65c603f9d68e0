// The packed RGB image the BMP reader produces for texture upload: height rows
// of 3 * width bytes, no row padding, bottom row of the picture first, each
// pixel red, green, blue (the GL's own row order for glTexImage2D).
#pragma once

#include <cstdint>
#include <vector>

namespace orbit {

struct RgbImageRecord {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> data; // width * height * 3 bytes
};

} // namespace orbit

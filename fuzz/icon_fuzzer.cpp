// Fuzzes the icon and cursor decoder on arbitrary bytes. A decoded image must
// be 1..256 pixels a side with exactly width * height RGBA pixels, alpha 0 or
// 255, and a hot spot inside the image.
#include "resources/IconImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > (1u << 20) || size < 1)
        return 0;
    // The last byte picks the preferred size, so both icon entries get chosen.
    const int preferredSize = data[size - 1] % 64;
    const auto image = orbit::decodeIconResource(std::span<const std::uint8_t>(data, size - 1), preferredSize);
    if (!image)
        return 0;
    if (image->width < 1 || image->width > 256 || image->height < 1 || image->height > 256)
        std::abort();
    if (image->rgba.size() != static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height) * 4)
        std::abort();
    for (std::size_t i = 3; i < image->rgba.size(); i += 4) {
        if (image->rgba[i] != 0 && image->rgba[i] != 255)
            std::abort();
    }
    if (image->hotSpotX < 0 || image->hotSpotY < 0 || image->hotSpotX >= image->width ||
        image->hotSpotY >= image->height)
        std::abort();
    return 0;
}

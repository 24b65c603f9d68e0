// Fuzzes the TGA reader on arbitrary bytes, with the image size capped. A
// read image must hold exactly width * height * bytes-per-pixel bytes of an
// even-sided picture; a refusal must hold none and have a message.
#include "image/TgaFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {
constexpr std::size_t maxInput = 1 << 20;
constexpr std::size_t maxPixels = std::size_t{1024} * 1024;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > maxInput)
        return 0;
    const orbit::TgaResult result = orbit::decodeTga(std::span<const std::uint8_t>(data, size), maxPixels);
    if (result.ok()) {
        const orbit::TgaImage& image = result.image;
        const int w = image.header.width;
        const int h = image.header.height;
        if (w <= 0 || h <= 0 || w % 2 != 0 || h % 2 != 0 || (image.bytesPerPixel != 3 && image.bytesPerPixel != 4) ||
            image.pixels.size() != static_cast<std::size_t>(w) * static_cast<std::size_t>(h) *
                                       static_cast<std::size_t>(image.bytesPerPixel) ||
            image.size != image.pixels.size())
            std::abort();
    } else if (!result.image.pixels.empty() || orbit::tgaErrorMessage(result.error, "f").empty()) {
        std::abort();
    }
    return 0;
}

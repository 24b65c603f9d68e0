// The 24-bit in-memory DIB. Sizes are checked before anything is allocated so
// the row arithmetic (3 * width + pad) * height cannot overflow.
#include "DibImage.h"

#include "JpegDecoder.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace orbit {

int DibImage::create(int width, int height, int /*format*/, int /*fill*/)
{
    if (width <= 0 || height <= 0 || width > maxSide || height > maxSide)
        return 0;
    const int rowBytes = 3 * width;
    const int newPad = rowBytes % 4 == 0 ? 0 : 4 - rowBytes % 4;
    const std::uint32_t sizeImage = static_cast<std::uint32_t>(height) * static_cast<std::uint32_t>(rowBytes + newPad);
    try {
        std::vector<std::uint8_t> fresh(sizeImage, 0);
        pixels = std::move(fresh);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    pad = newPad;
    colourCount = 0;
    header = BitmapInfoHeader{};
    header.biWidth = width;
    header.biHeight = height;
    header.biSizeImage = sizeImage;
    return 1;
}

int DibImage::loadJpegResource(const ResourceProvider& resources, int id)
{
    JpegDecoder decoder;
    decoder.decode(resources, id);
    if (decoder.pixels() == nullptr)
        return 0;
    if (create(decoder.width(), decoder.height()) == 0)
        return 0;
    const std::size_t bytes = std::size_t{decoder.height()} * decoder.stride();
    std::memcpy(pixels.data(), decoder.pixels(), std::min(bytes, pixels.size()));
    return 1;
}

} // namespace orbit

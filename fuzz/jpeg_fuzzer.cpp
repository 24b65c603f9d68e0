// Fuzzes JpegDecoder::decode on arbitrary bytes. Input and frame size are
// capped so a run stays fast; a decoded image must have a consistent size.
#include "image/JpegDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {
constexpr std::size_t maxInput = 1 << 20;
constexpr std::size_t maxPixels = std::size_t{512} * 512; // above every seed (320 x 240), keeps runs fast
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > maxInput)
        return 0;
    orbit::JpegDecoder decoder(maxPixels);
    const bool ok = decoder.decode(std::span<const std::uint8_t>(data, size));
    if (ok != (decoder.pixels() != nullptr))
        std::abort();
    if (ok && (decoder.width() == 0 || decoder.height() == 0 || decoder.stride() % 4 != 0 ||
               decoder.pixelBytes().size() != decoder.stride() * decoder.height()))
        std::abort();
    if (!ok && (decoder.width() != 0 || decoder.height() != 0))
        std::abort();
    return 0;
}

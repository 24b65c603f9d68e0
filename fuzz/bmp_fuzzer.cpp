// Fuzzes the BMP reader (header forms, colour tables, every depth, RLE) on
// arbitrary bytes, with the image size capped. A converted record must hold
// exactly width * height * 3 bytes, and no more pixels than its input could
// set (at most 255 for every two bytes, the longest RLE run); a refusal must
// hold none.
#include "image/BmpFile.h"

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
    const orbit::BmpResult result = orbit::decodeBmp(std::span<const std::uint8_t>(data, size), maxPixels);
    if (result.ok()) {
        const orbit::RgbImageRecord& r = result.record;
        if (r.width <= 0 || r.height <= 0 ||
            r.data.size() != static_cast<std::size_t>(r.width) * static_cast<std::size_t>(r.height) * 3 ||
            r.data.size() / 3 > size / 2 * 255)
            std::abort();
    } else if (!result.record.data.empty() || orbit::bmpErrorMessage(result.error, "f").empty()) {
        std::abort();
    }
    return 0;
}

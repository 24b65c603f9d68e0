#include "TestImageFiles.h"

namespace orbit::test {

namespace {

void put16(Bytes& b, std::uint32_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(Bytes& b, std::uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

} // namespace

Bytes BmpTestFile::build() const
{
    Bytes info;
    put32(info, headerSize);
    if (headerSize == 12) {
        put16(info, static_cast<std::uint32_t>(width));
        put16(info, static_cast<std::uint32_t>(height));
        put16(info, 1);
        put16(info, bitCount);
    } else {
        put32(info, static_cast<std::uint32_t>(width));
        put32(info, static_cast<std::uint32_t>(height));
        put16(info, 1);
        put16(info, bitCount);
        put32(info, compression);
        info.resize(info.size() + 12, 0); // image size, resolution
        put32(info, clrUsed);
        info.resize(headerSize, 0);
    }
    for (std::uint32_t m : masks)
        put32(info, m);
    for (std::uint32_t c : palette) {
        info.insert(info.end(), {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                                 static_cast<std::uint8_t>(c >> 16)});
        if (headerSize != 12)
            info.push_back(0);
    }
    Bytes out;
    if (fileHeader) {
        out = {'B', 'M'};
        put32(out, static_cast<std::uint32_t>(14 + info.size() + bits.size()));
        put32(out, 0);
        put32(out, bitsOffset.value_or(static_cast<std::uint32_t>(14 + info.size())));
    }
    out.insert(out.end(), info.begin(), info.end());
    out.insert(out.end(), bits.begin(), bits.end());
    return out;
}

Bytes rgb(std::initializer_list<std::uint32_t> pixels)
{
    Bytes out;
    for (std::uint32_t p : pixels)
        out.insert(out.end(), {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                               static_cast<std::uint8_t>(p)});
    return out;
}

Bytes tgaFile(int type, int width, int height, int bits, const Bytes& body, const Bytes& id)
{
    const auto idLength = static_cast<std::uint8_t>(id.size());
    // No colour map, origin 0.
    Bytes out = {idLength, 0, static_cast<std::uint8_t>(type), 0, 0, 0, 0, 0, 0, 0, 0, 0};
    put16(out, static_cast<std::uint32_t>(width));
    put16(out, static_cast<std::uint32_t>(height));
    out.insert(out.end(), {static_cast<std::uint8_t>(bits), 0});
    out.insert(out.end(), id.begin(), id.end());
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

} // namespace orbit::test

#include "BmpTestFile.h"

namespace orbit::test {

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
        put32(info, 0);
        put32(info, 2835);
        put32(info, 2835);
        put32(info, clrUsed);
        put32(info, 0);
        while (info.size() < headerSize)
            info.push_back(0);
    }
    for (std::uint32_t m : masks)
        put32(info, m);
    for (std::uint32_t c : palette) {
        info.push_back(static_cast<std::uint8_t>(c));
        info.push_back(static_cast<std::uint8_t>(c >> 8));
        info.push_back(static_cast<std::uint8_t>(c >> 16));
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

Bytes bmp24Pattern(int width, int height)
{
    BmpTestFile file;
    file.width = width;
    file.height = height;
    const int stride = (width * 3 + 3) / 4 * 4;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            file.bits.insert(file.bits.end(), {static_cast<std::uint8_t>(x ^ y), static_cast<std::uint8_t>(y),
                                               static_cast<std::uint8_t>(x)});
        file.bits.resize(file.bits.size() + static_cast<std::size_t>(stride - width * 3), 0);
    }
    return file.build();
}

Bytes rgb(std::initializer_list<std::uint32_t> pixels)
{
    Bytes out;
    for (std::uint32_t p : pixels)
        out.insert(out.end(), {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                               static_cast<std::uint8_t>(p)});
    return out;
}

} // namespace orbit::test

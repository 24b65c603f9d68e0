#include "TestImageFiles.h"

namespace orbit::test {

namespace {

// v as little-endian bytes.
void put(Bytes& b, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> 8 * i));
}

std::uint8_t low(int v)
{
    return static_cast<std::uint8_t>(v);
}

} // namespace

Bytes cat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes BmpTestFile::build() const
{
    const bool core = headerSize == 12;
    Bytes info;
    put(info, headerSize, 4);
    put(info, static_cast<std::uint32_t>(width), core ? 2 : 4);
    put(info, static_cast<std::uint32_t>(height), core ? 2 : 4);
    put(info, 1, 2);
    put(info, bitCount, 2);
    if (!core) {
        put(info, compression, 4);
        info.resize(info.size() + 12, 0); // image size, resolution
        put(info, clrUsed, 4);
        info.resize(headerSize, 0);
    }
    for (std::uint32_t m : masks)
        put(info, m, 4);
    for (std::uint32_t c : palette)
        put(info, c, core ? 3 : 4); // B, G, R (, 0)
    Bytes out;
    if (fileHeader) {
        out = {'B', 'M'};
        put(out, static_cast<std::uint32_t>(14 + info.size() + bits.size()), 4);
        put(out, 0, 4);
        put(out, bitsOffset.value_or(static_cast<std::uint32_t>(14 + info.size())), 4);
    }
    return cat(cat(out, info), bits);
}

Bytes rgb(std::initializer_list<std::uint32_t> pixels)
{
    Bytes out;
    for (std::uint32_t p : pixels)
        out.insert(out.end(), {low(p >> 16), low(p >> 8), low(p)});
    return out;
}

Bytes tgaFile(int type, int width, int height, int bits, const Bytes& body, const Bytes& id)
{
    // No colour map, origin 0.
    Bytes out = {low(id.size()), 0, low(type), 0, 0, 0, 0, 0, 0, 0, 0, 0};
    out.insert(out.end(), {low(width), low(width >> 8), low(height), low(height >> 8), low(bits), 0});
    return cat(cat(out, id), body);
}

Bytes scanHeader(int components)
{
    Bytes out = {0xFF, 0xDA, 0, low(6 + 2 * components), low(components)};
    for (int c = 1; c <= components; ++c)
        out.insert(out.end(), {low(c), 0x00});
    return cat(out, {0, 63, 0});
}

Bytes GreyJpeg::build() const
{
    Bytes out = cat({0xFF, 0xD8, 0xFF, 0xDB, 0, 67, 0}, Bytes(64, 1)); // table 0: every quantiser 1
    out = cat(out, {0xFF, 0xC0, 0, low(8 + 3 * frameComponents), 8, low(height >> 8), low(height),
                    low(width >> 8), low(width), low(frameComponents)});
    for (int c = 1; c <= frameComponents; ++c)
        out = cat(out, {low(c), 0x11, 0});
    // One DHT segment: DC table 0 and AC table 0, each two codes of length 1.
    out = cat(out, {0xFF, 0xC4, 0, 2 + 2 * 19});
    for (const std::uint8_t tableClass : {0x00, 0x10}) {
        out = cat(out, {tableClass, 2});
        out = cat(out, Bytes(15, 0));
        out = cat(out, {0, tableClass == 0 ? std::uint8_t{0} : acCodeOne});
    }
    return cat(cat(cat(cat(out, scanHeader(scanComponents)), afterScanHeader), scan), {0xFF, 0xD9});
}

} // namespace orbit::test

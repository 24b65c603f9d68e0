#include "TestJpegWriter.h"

namespace orbit::test {

Bytes frameHeader(int width, int height, int components)
{
    const auto high = [](int v) { return static_cast<std::uint8_t>(v >> 8); };
    const auto low = [](int v) { return static_cast<std::uint8_t>(v); };
    Bytes out = {0xFF, 0xC0, 0, low(8 + 3 * components), 8, high(height), low(height)};
    for (const std::uint8_t b : {high(width), low(width), low(components)})
        out.push_back(b);
    for (int c = 1; c <= components; ++c) {
        for (const std::uint8_t b : {low(c), std::uint8_t{0x11}, std::uint8_t{0}})
            out.push_back(b);
    }
    return out;
}

Bytes scanHeader(int components)
{
    const auto n = static_cast<std::uint8_t>(components);
    Bytes out = {0xFF, 0xDA, 0, static_cast<std::uint8_t>(6 + 2 * n), n};
    for (int c = 1; c <= components; ++c) {
        out.push_back(static_cast<std::uint8_t>(c));
        out.push_back(0x00);
    }
    for (const std::uint8_t b : {0, 63, 0})
        out.push_back(b);
    return out;
}

Bytes GreyJpeg::build() const
{
    Bytes out;
    const auto put = [&out](const Bytes& part) {
        for (const std::uint8_t b : part)
            out.push_back(b);
    };
    put({0xFF, 0xD8, 0xFF, 0xDB, 0, 67, 0});
    put(Bytes(64, 1)); // table 0: every quantiser 1
    put(frameHeader(width, height, frameComponents));
    // One DHT segment: DC table 0 and AC table 0, each two codes of length 1.
    put({0xFF, 0xC4, 0, 2 + 2 * 19});
    for (const std::uint8_t tableClass : {0x00, 0x10}) {
        put({tableClass, 2});
        put(Bytes(15, 0));
        put({0, tableClass == 0 ? std::uint8_t{0} : acCodeOne});
    }
    put(scanHeader(scanComponents));
    put(afterScanHeader);
    put(scan);
    put({0xFF, 0xD9});
    return out;
}

} // namespace orbit::test

// The test JPEG writer: segments in cjpeg's order (DQT, SOF0, DHT, SOS),
// 1-bits padding the last byte.
#include "TestJpegWriter.h"

#include <algorithm>
#include <cstdlib>

namespace orbit::test {

namespace {

void putWord(std::vector<std::uint8_t>& out, int v)
{
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
}

int category(int v)
{
    int a = std::abs(v);
    int n = 0;
    while (a > 0) {
        ++n;
        a >>= 1;
    }
    return n;
}

} // namespace

void EntropyBits::put(std::uint32_t value, int count)
{
    for (int i = count - 1; i >= 0; --i) {
        pending = pending << 1 | ((value >> i) & 1u);
        if (++pendingCount == 8) {
            bytes.push_back(static_cast<std::uint8_t>(pending));
            if (pending == 0xFF)
                bytes.push_back(0x00);
            pending = 0;
            pendingCount = 0;
        }
    }
}

void EntropyBits::acSymbol(int run, int size)
{
    if (size == 0)
        put(run == 15 ? 1u : 0u, 8);
    else
        put(static_cast<std::uint32_t>(2 + run * 10 + size - 1), 8);
}

void EntropyBits::value(int v, int size)
{
    if (size == 0)
        return;
    put(static_cast<std::uint32_t>(v >= 0 ? v : v + (1 << size) - 1), size);
}

void EntropyBits::padToByte()
{
    while (pendingCount != 0)
        put(1, 1);
}

std::vector<std::uint8_t> TestJpeg::encodeWith(const std::vector<std::uint8_t>& scan) const
{
    std::vector<std::uint8_t> out{0xFF, 0xD8};
    for (int t = 0; t < 2; ++t) {
        out.insert(out.end(), {0xFF, 0xDB});
        putWord(out, 67);
        out.push_back(static_cast<std::uint8_t>(t));
        for (std::size_t k = 0; k < 64; ++k)
            out.push_back(t == 0 ? quant0[k] : 1);
    }
    out.insert(out.end(), {0xFF, 0xC0});
    putWord(out, 8 + 3 * static_cast<int>(components.size()));
    out.push_back(8);
    putWord(out, height);
    putWord(out, width);
    out.push_back(static_cast<std::uint8_t>(components.size()));
    for (std::size_t i = 0; i < components.size(); ++i) {
        out.push_back(static_cast<std::uint8_t>(i + 1));
        out.push_back(static_cast<std::uint8_t>(components[i].h << 4 | components[i].v));
        out.push_back(components[i].tq);
    }
    // DC table 0: 12 codes of length 4, symbols 0..11.
    out.insert(out.end(), {0xFF, 0xC4});
    putWord(out, 2 + 17 + 12);
    out.push_back(0x00);
    for (int l = 1; l <= 16; ++l)
        out.push_back(l == 4 ? 12 : 0);
    for (int s = 0; s < 12; ++s)
        out.push_back(static_cast<std::uint8_t>(s));
    // AC table 0: EOB, ZRL, then (r, s) for r 0..15, s 1..10, all 8 bits.
    out.insert(out.end(), {0xFF, 0xC4});
    putWord(out, 2 + 17 + 162);
    out.push_back(0x10);
    for (int l = 1; l <= 16; ++l)
        out.push_back(l == 8 ? 162 : 0);
    out.push_back(0x00);
    out.push_back(0xF0);
    for (int r = 0; r < 16; ++r) {
        for (int s = 1; s <= 10; ++s)
            out.push_back(static_cast<std::uint8_t>(r << 4 | s));
    }
    out.insert(out.end(), {0xFF, 0xDA});
    putWord(out, 6 + 2 * static_cast<int>(components.size()));
    out.push_back(static_cast<std::uint8_t>(components.size()));
    for (std::size_t i = 0; i < components.size(); ++i) {
        out.push_back(static_cast<std::uint8_t>(i + 1));
        out.push_back(0x00);
    }
    out.insert(out.end(), {0x00, 0x3F, 0x00});
    out.insert(out.end(), scan.begin(), scan.end());
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

std::vector<std::uint8_t> TestJpeg::encode() const
{
    int hMax = 1;
    int vMax = 1;
    for (const JpegComponent& c : components) {
        hMax = std::max<int>(hMax, c.h);
        vMax = std::max<int>(vMax, c.v);
    }
    const int mcus = ((width + 8 * hMax - 1) / (8 * hMax)) * ((height + 8 * vMax - 1) / (8 * vMax));
    EntropyBits bits;
    std::vector<int> predictor(components.size(), 0);
    std::size_t next = 0;
    for (int mcu = 0; mcu < mcus; ++mcu) {
        for (std::size_t c = 0; c < components.size(); ++c) {
            for (int b = 0; b < components[c].h * components[c].v; ++b) {
                const Block block = next < blocks.size() ? blocks[next] : Block{};
                ++next;
                const int diff = block[0] - predictor[c];
                predictor[c] = block[0];
                bits.put(static_cast<std::uint32_t>(category(diff)), 4);
                bits.value(diff, category(diff));
                int run = 0;
                for (int k = 1; k < 64; ++k) {
                    if (block[static_cast<std::size_t>(k)] == 0) {
                        ++run;
                        continue;
                    }
                    while (run >= 16) {
                        bits.acSymbol(15, 0);
                        run -= 16;
                    }
                    const int v = block[static_cast<std::size_t>(k)];
                    bits.acSymbol(run, category(v));
                    bits.value(v, category(v));
                    run = 0;
                }
                if (run > 0)
                    bits.acSymbol(0, 0);
            }
        }
    }
    bits.padToByte();
    return encodeWith(bits.bytes);
}

Block dcOnly(int dc)
{
    Block b{};
    b[0] = static_cast<std::int16_t>(dc);
    return b;
}

} // namespace orbit::test

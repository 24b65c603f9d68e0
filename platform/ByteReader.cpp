#include "ByteReader.h"

#include <bit>

namespace orbit {

bool ByteReader::fits(std::size_t n)
{
    if (n <= data.size() - pos)
        return true;
    overran = true;
    return false;
}

std::uint8_t ByteReader::u8() { return fits(1) ? data[pos++] : 0; }

std::uint16_t ByteReader::u16()
{
    if (!fits(2))
        return 0;
    const auto value = static_cast<std::uint16_t>(data[pos] | data[pos + 1] << 8);
    pos += 2;
    return value;
}

std::uint32_t ByteReader::u32()
{
    if (!fits(4))
        return 0;
    const std::uint8_t* p = data.data() + pos;
    pos += 4;
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

float ByteReader::f32() { return std::bit_cast<float>(u32()); }

std::uint16_t ByteReader::u16be()
{
    if (!fits(2))
        return 0;
    const auto value = static_cast<std::uint16_t>(data[pos] << 8 | data[pos + 1]);
    pos += 2;
    return value;
}

std::span<const std::uint8_t> ByteReader::bytes(std::size_t n)
{
    if (!fits(n))
        return {};
    const std::span<const std::uint8_t> view = data.subspan(pos, n);
    pos += n;
    return view;
}

ByteReader ByteReader::subReader(std::size_t length)
{
    const std::size_t cut = fits(length) ? length : remaining();
    ByteReader sub(data.subspan(pos, cut));
    pos += cut;
    return sub;
}

void ByteReader::seek(std::size_t position)
{
    pos = 0;
    skip(position);
}

void ByteReader::skip(std::size_t n) { pos += fits(n) ? n : remaining(); }

} // namespace orbit

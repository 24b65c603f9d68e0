#include "ByteReader.h"

namespace orbit {

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

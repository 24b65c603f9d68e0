// Bounded little-endian reads over a byte view, and whole-file reading with
// the errno of the call that failed (the "cause" in the reader's message).
#include "ByteStream.h"

#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <sys/stat.h>

namespace orbit {

bool ByteStream::read(void* out, std::size_t n, std::size_t limit)
{
    const std::size_t end = limit < bytes.size() ? limit : bytes.size();
    if (pos > end || n > end - pos)
        return false;
    if (n != 0)
        std::memcpy(out, bytes.data() + pos, n);
    pos += n;
    return true;
}

bool ByteStream::readView(std::span<const std::uint8_t>& view, std::size_t n, std::size_t limit)
{
    const std::size_t end = limit < bytes.size() ? limit : bytes.size();
    if (pos > end || n > end - pos)
        return false;
    view = bytes.subspan(pos, n);
    pos += n;
    return true;
}

bool ByteStream::readU8(std::uint8_t& value, std::size_t limit) { return read(&value, 1, limit); }

bool ByteStream::readU16(std::uint16_t& value, std::size_t limit)
{
    std::uint8_t raw[2];
    if (!read(raw, sizeof raw, limit))
        return false;
    value = loadU16(raw);
    return true;
}

bool ByteStream::readS16(std::int16_t& value, std::size_t limit)
{
    std::uint16_t raw = 0;
    if (!readU16(raw, limit))
        return false;
    value = static_cast<std::int16_t>(raw);
    return true;
}

bool ByteStream::readU32(std::uint32_t& value, std::size_t limit)
{
    std::uint8_t raw[4];
    if (!read(raw, sizeof raw, limit))
        return false;
    value = loadU32(raw);
    return true;
}

bool ByteStream::readF32(float& value, std::size_t limit)
{
    std::uint32_t raw = 0;
    if (!readU32(raw, limit))
        return false;
    value = std::bit_cast<float>(raw);
    return true;
}

namespace {
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
} // namespace

bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, int& errorCause)
{
    errno = 0;
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        errorCause = errno;
        return false;
    }
    bytes.clear();
    // Size the buffer once for a regular file (a directory or a pipe tells
    // no usable size); growth covers the rest.
    struct stat info {};
    if (fstat(fileno(file.get()), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(info.st_size));
    if (fstat(fileno(file.get()), &info) == 0 && info.st_size > static_cast<off_t>(maxFileBytes)) {
        errorCause = EFBIG;
        return false;
    }
    std::uint8_t block[65536];
    for (;;) {
        if (bytes.size() > maxFileBytes) {
            errorCause = EFBIG;
            return false;
        }
        const std::size_t got = std::fread(block, 1, sizeof block, file.get());
        bytes.insert(bytes.end(), block, block + got);
        if (got < sizeof block) {
            if (std::ferror(file.get())) {
                errorCause = errno != 0 ? errno : EIO;
                return false;
            }
            return true;
        }
    }
}

} // namespace orbit

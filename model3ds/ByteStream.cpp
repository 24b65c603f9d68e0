// Bounded views of bytes in place or of a file's window, with the errno of the call that failed (the "cause" in the reader's
// message).
#include "ByteStream.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include <sys/stat.h>

namespace orbit {

namespace {
// Large enough for the longest run a chunk holds in one view (32,767 points
// of 12 bytes), small enough to stay in the cache; a file is read in pieces
// of this size instead of whole.
constexpr std::size_t windowBytes = std::size_t{1} << 20;
} // namespace

bool ByteStream::openFile(const std::string& path, int& cause)
{
    errno = 0;
    file.reset(std::fopen(path.c_str(), "rb"));
    if (!file) {
        cause = errno;
        return false;
    }
    pos = 0;
    windowStart = 0;
    bytes = {};
    window.clear();
    errorCause = 0;
    struct stat info {};
    if (fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode)) {
        // No size to go by (a directory, a pipe): read it whole instead.
        const bool read = readRestOfFile(file.get(), window, cause);
        file.reset();
        if (!read)
            return false;
        bytes = window;
        total = window.size();
        return true;
    }
    if (info.st_size > static_cast<off_t>(maxFileBytes)) {
        file.reset();
        cause = EFBIG;
        return false;
    }
    total = static_cast<std::size_t>(info.st_size);
    window.resize(std::min(windowBytes, total));
    return true;
}

bool ByteStream::fits(std::size_t n, std::size_t limit) const
{
    const std::size_t end = limit < total ? limit : total;
    return pos <= end && n <= end - pos;
}

bool ByteStream::inWindow(std::size_t n)
{
    if (pos >= windowStart && pos - windowStart <= bytes.size() && n <= bytes.size() - (pos - windowStart))
        return true;
    if (!file || errorCause != 0)
        return false;
    if (window.size() < n)
        window.resize(n);
    const std::size_t wanted = std::min(window.size(), total - pos);
    bytes = {};
    windowStart = pos;
    errno = 0;
    if (fseeko(file.get(), static_cast<off_t>(pos), SEEK_SET) != 0) {
        errorCause = errno != 0 ? errno : EIO;
        return false;
    }
    const std::size_t got = std::fread(window.data(), 1, wanted, file.get());
    bytes = std::span<const std::uint8_t>(window.data(), got);
    if (got < n) {
        // A read error, or the file became shorter since it was opened.
        errorCause = std::ferror(file.get()) && errno != 0 ? errno : EIO;
        return false;
    }
    return true;
}

bool ByteStream::readView(ByteReader& view, std::size_t n, std::size_t limit)
{
    if (!fits(n, limit) || !inWindow(n))
        return false;
    view = ByteReader(bytes.subspan(pos - windowStart, n));
    pos += n;
    return true;
}

} // namespace orbit

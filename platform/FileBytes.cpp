// Whole-file reads through C stdio in binary mode, with the errno of the call
// that failed.
#include "FileBytes.h"

#include <cerrno>
#include <memory>
#include <new>
#include <stdexcept>

#include <sys/stat.h>

namespace orbit {

namespace {
struct StdioCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

bool appendRest(std::FILE* file, std::vector<std::uint8_t>& bytes, int& errorCause)
{
    std::uint8_t block[65536];
    for (;;) {
        if (bytes.size() > maxFileBytes) {
            errorCause = EFBIG;
            return false;
        }
        const std::size_t got = std::fread(block, 1, sizeof block, file);
        bytes.insert(bytes.end(), block, block + got);
        if (got < sizeof block) {
            if (std::ferror(file)) {
                errorCause = errno != 0 ? errno : EIO;
                return false;
            }
            return true;
        }
    }
}

bool readWhole(const std::string& path, std::vector<std::uint8_t>& bytes, int& errorCause)
{
    errno = 0;
    const std::unique_ptr<std::FILE, StdioCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        errorCause = errno;
        return false;
    }
    // Size the buffer once for a regular file (a directory or a pipe tells
    // no usable size); growth covers the rest.
    struct stat info {};
    if (fstat(fileno(file.get()), &info) == 0) {
        if (info.st_size > static_cast<off_t>(maxFileBytes)) {
            errorCause = EFBIG;
            return false;
        }
        if (S_ISREG(info.st_mode) && info.st_size > 0)
            bytes.reserve(static_cast<std::size_t>(info.st_size));
    }
    return appendRest(file.get(), bytes, errorCause);
}

// A buffer the heap cannot give is a failed read (ENOMEM) like any other, so
// every reader reports its own "cannot open" message and nothing throws.
template <typename Read>
bool withoutThrowing(std::vector<std::uint8_t>& bytes, int& errorCause, Read read)
{
    try {
        return read();
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    bytes = {};
    errorCause = ENOMEM;
    return false;
}

} // namespace

bool readRestOfFile(std::FILE* file, std::vector<std::uint8_t>& bytes, int& errorCause)
{
    return withoutThrowing(bytes, errorCause, [&] { return appendRest(file, bytes, errorCause); });
}

bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, int& errorCause)
{
    bytes.clear();
    return withoutThrowing(bytes, errorCause, [&] { return readWhole(path, bytes, errorCause); });
}

} // namespace orbit

// Whole-file reads through C stdio in binary mode.
#include "FileBytes.h"

#include <cstdio>
#include <memory>

namespace orbit {

bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file)
        return false;
    std::uint8_t chunk[65536];
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (got < sizeof chunk)
            break;
    }
    return std::ferror(file.get()) == 0;
}

} // namespace orbit

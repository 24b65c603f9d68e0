#include "TestFiles.h"

#include <fstream>
#include <iterator>
#include <random>
#include <system_error>
#include <unistd.h>

namespace orbit::test {

std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

ScratchDir::ScratchDir(const std::string& tag)
{
    std::random_device entropy;
    root = std::filesystem::temp_directory_path() /
           ("orbit-" + tag + "-" + std::to_string(getpid()) + "-" + std::to_string(entropy()));
    std::filesystem::create_directories(root);
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

} // namespace orbit::test

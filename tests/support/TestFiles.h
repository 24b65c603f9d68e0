// Small file helpers for tests: reading committed data and writing scratch files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace orbit::test {

std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path);
void writeFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// A fresh, empty directory under the system temp folder, removed when the
// object goes away.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& tag);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return root; }

private:
    std::filesystem::path root;
};

} // namespace orbit::test

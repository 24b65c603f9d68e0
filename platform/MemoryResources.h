// A ResourceProvider over bytes held in memory. Tests and tools use it to hand
// arbitrary data to code that looks resources up by type and id.
#pragma once

#include "ResourceProvider.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace orbit {

class MemoryResources final : public ResourceProvider {
public:
    void add(std::string type, int id, std::vector<std::uint8_t> bytes);
    void addString(int id, std::string text);

    std::span<const std::uint8_t> find(std::string_view type, int id) const override;
    std::string_view findString(int id) const override;

private:
    std::map<std::pair<std::string, int>, std::vector<std::uint8_t>, std::less<>> blobs;
    std::map<int, std::string> strings;
};

} // namespace orbit

#include "MemoryResources.h"

namespace orbit {

void MemoryResources::add(std::string type, int id, std::vector<std::uint8_t> bytes)
{
    blobs[{std::move(type), id}] = std::move(bytes);
}

void MemoryResources::addString(int id, std::string text)
{
    strings[id] = std::move(text);
}

std::span<const std::uint8_t> MemoryResources::find(std::string_view type, int id) const
{
    for (const auto& [key, bytes] : blobs) {
        if (key.first == type && key.second == id && !bytes.empty())
            return {bytes.data(), bytes.size()};
    }
    return {};
}

std::string_view MemoryResources::findString(int id) const
{
    const auto it = strings.find(id);
    return it == strings.end() ? std::string_view{} : std::string_view{it->second};
}

} // namespace orbit

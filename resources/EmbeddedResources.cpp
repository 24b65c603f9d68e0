#include "EmbeddedResources.h"

#include "EmbeddedResourceTable.h"
#include "StringTable.h"

namespace orbit {

std::span<const std::uint8_t> EmbeddedResources::find(std::string_view type, int id) const
{
    for (const EmbeddedResourceEntry& entry : embeddedResourceEntries()) {
        if (entry.id == id && type == entry.type)
            return {entry.begin, static_cast<std::size_t>(entry.end - entry.begin)};
    }
    return {};
}

std::string_view EmbeddedResources::findString(int id) const { return stringResource(id); }

} // namespace orbit

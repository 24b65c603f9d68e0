// The program's built-in resources: the files listed in resources.manifest,
// compiled into the executable, and the string table. Lookups never copy.
#pragma once

#include "platform/ResourceProvider.h"

namespace orbit {

class EmbeddedResources final : public ResourceProvider {
public:
    std::span<const std::uint8_t> find(std::string_view type, int id) const override;
    std::string_view findString(int id) const override;
};

} // namespace orbit

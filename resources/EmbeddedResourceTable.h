// The table that cmake/EmbedResources.cmake generates from resources.manifest.
#pragma once

#include <span>

namespace orbit {

struct EmbeddedResourceEntry {
    const char* type;
    int id;
    const unsigned char* begin;
    const unsigned char* end;
};

std::span<const EmbeddedResourceEntry> embeddedResourceEntries();

} // namespace orbit

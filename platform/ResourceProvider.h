// Read-only access to the program's built-in resources by type and id. Types used by this program:
// "FILE3DS", "Jpg", "WAVE", "ICON", "CURSOR". Strings live in their own table.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace orbit {

class ResourceProvider {
public:
    virtual ~ResourceProvider() = default;

    // The bytes of resource (type, id); an empty span (null data) when there is
    // no such resource. The view stays valid for the provider's lifetime and is
    // never a copy.
    virtual std::span<const std::uint8_t> find(std::string_view type, int id) const = 0;

    // Text of string resource id; empty when there is none.
    virtual std::string_view findString(int id) const = 0;
};

} // namespace orbit

// Letter-case-blind comparison of byte strings, for names that come from
// files written on case-insensitive systems (texture names, extensions).
// Only ASCII letters fold, so the result never depends on the locale.
#pragma once

#include <algorithm>
#include <string_view>

namespace orbit {

inline bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) { return fold(x) == fold(y); });
}

} // namespace orbit

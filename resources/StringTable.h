// The string table of the resource script.
#pragma once

#include <string_view>

namespace orbit {

namespace stringId {
inline constexpr int aboutMenuItem = 101; // "&About Orbit Patrol..."
inline constexpr int previewTitle = 104;  // "IDS_PREVIEW"
inline constexpr int companyName = 106;   // "Torvo", the settings' top-level key
} // namespace stringId

// Text of string id; empty when the table has no such string.
std::string_view stringResource(int id);

} // namespace orbit

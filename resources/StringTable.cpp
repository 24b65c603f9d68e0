#include "StringTable.h"

namespace orbit {

namespace {
struct StringEntry {
    int id;
    std::string_view text;
};

constexpr StringEntry strings[] = {
    {stringId::aboutMenuItem, "&About Orbit Patrol..."},
    {stringId::previewTitle, "IDS_PREVIEW"},
    {stringId::companyName, "Torvo"},
};
} // namespace

std::string_view stringResource(int id)
{
    for (const StringEntry& entry : strings) {
        if (entry.id == id)
            return entry.text;
    }
    return {};
}

} // namespace orbit

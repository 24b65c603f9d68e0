// Lookup by type and id: the type is matched exactly (case too), an unknown
// type or id finds nothing, and the string table holds the program's strings.
#include "platform/MemoryResources.h"
#include "resources/EmbeddedResources.h"

#include <gtest/gtest.h>

namespace orbit {
namespace {

TEST(Resources, FoundOnlyUnderTheirExactTypeAndId)
{
    EmbeddedResources embedded;
    for (const auto& [type, id] : {std::pair{"Jpg", 1}, {"FILE3DS", 185}, {"NOPE", 184}, {"", 0}, {"jpg", 148}})
        EXPECT_TRUE(embedded.find(type, id).empty()) << type << " " << id;
    EXPECT_EQ(embedded.findString(101), "&About Orbit Patrol...");
    EXPECT_EQ(embedded.findString(104), "IDS_PREVIEW");
    EXPECT_EQ(embedded.findString(106), "Torvo");
    EXPECT_TRUE(embedded.findString(105).empty());

    MemoryResources memory;
    memory.add("Jpg", 7, {1, 2, 3});
    memory.add("WAVE", 7, {9});
    EXPECT_EQ(memory.find("Jpg", 7).size(), 3u);
    EXPECT_EQ(memory.find("WAVE", 7)[0], 9);
    EXPECT_TRUE(memory.find("Jpg", 8).empty());
    EXPECT_TRUE(memory.find("Jp", 7).empty());
}

} // namespace
} // namespace orbit

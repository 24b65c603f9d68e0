#include "platform/MemoryResources.h"
#include "resources/EmbeddedResources.h"

#include <gtest/gtest.h>

namespace orbit {
namespace {

TEST(EmbeddedResources, StringTableHoldsTheProgramStrings)
{
    EmbeddedResources resources;
    EXPECT_EQ(resources.findString(101), "&About Orbit Patrol...");
    EXPECT_EQ(resources.findString(104), "IDS_PREVIEW");
    EXPECT_EQ(resources.findString(106), "Torvo");
    EXPECT_TRUE(resources.findString(105).empty());
}

TEST(EmbeddedResources, MissingResourcesAreNotFound)
{
    EmbeddedResources resources;
    for (const auto& [type, id] : {std::pair{"Jpg", 1}, {"FILE3DS", 185}, {"NOPE", 184}, {"", 0}, {"jpg", 148}}) {
        const auto bytes = resources.find(type, id);
        EXPECT_EQ(bytes.data(), nullptr) << type << " " << id;
        EXPECT_TRUE(bytes.empty());
    }
}

TEST(MemoryResources, LooksUpByTypeAndIdWithoutCopying)
{
    MemoryResources resources;
    resources.add("Jpg", 7, {1, 2, 3});
    resources.add("WAVE", 7, {9});
    const auto first = resources.find("Jpg", 7);
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first.data(), resources.find("Jpg", 7).data());
    EXPECT_EQ(resources.find("WAVE", 7)[0], 9);
    EXPECT_TRUE(resources.find("Jpg", 8).empty());
    EXPECT_TRUE(resources.find("Jp", 7).empty());
}

} // namespace
} // namespace orbit

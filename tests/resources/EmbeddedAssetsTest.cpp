// The pictures and sounds as the program sees them through EmbeddedResources:
// present under their type and id (nothing under another) with the committed
// bytes; each JPEG decodes to its size; each WAVE is plain mono 16-bit PCM
// that starts and ends without a click. Icon and cursors: tests/ui; the ship:
// ship_loads_test.py and the settings dialog's model check.
#include "image/JpegDecoder.h"
#include "platform/ByteReader.h"
#include "resources/EmbeddedResources.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

namespace orbit {
namespace {

using Bytes = std::span<const std::uint8_t>;

// The plain 44-byte header (PCM, mono, 16 bits) and no click: the first and
// last half millisecond stay below a tenth of a peak that is audible.
void expectCleanWave(Bytes w, double minSeconds, double maxSeconds)
{
    ASSERT_GE(w.size(), 44u);
    const auto le = [&](std::size_t at, std::size_t width) -> std::uint32_t {
        ByteReader r(w.subspan(at));
        return width == 2 ? r.u16() : r.u32();
    };
    const auto text = [&](std::ptrdiff_t at) { return std::string(w.begin() + at, w.begin() + at + 4); };
    EXPECT_EQ(text(0) + text(8) + text(12) + text(36), "RIFFWAVEfmt data");
    const unsigned rate = le(24, 4);
    EXPECT_EQ((std::vector<std::size_t>{le(4, 4), le(16, 4), le(20, 2), le(22, 2), le(28, 4), le(32, 2),
                                        le(34, 2), le(40, 4)}),
              (std::vector<std::size_t>{w.size() - 8, 16, 1, 1, rate * 2, 2, 16, w.size() - 44}));
    const std::size_t count = (w.size() - 44) / 2;
    const auto sample = [&](std::size_t i) { return std::abs(static_cast<std::int16_t>(le(44 + 2 * i, 2))); };
    EXPECT_TRUE(count >= minSeconds * rate && count <= maxSeconds * rate) << count;
    int peak = 0;
    for (std::size_t i = 0; i < count; ++i)
        peak = std::max(peak, sample(i));
    EXPECT_GT(peak, 32767 / 4);
    for (std::size_t i = 0; i < rate / 2000; ++i)
        ASSERT_LE(std::max(sample(i), sample(count - 1 - i)), peak / 10) << i;
}

TEST(EmbeddedAssets, EachIsEmbeddedWithTheCommittedBytesAndReadsAsItsType)
{
    const struct {
        const char* type;
        int id;
        const char* path;
        double a, b; // Jpg: width and height; WAVE: shortest and longest seconds
    } rows[] = {
        {"Jpg", 148, "textures/planet.jpg", 512, 512},
        {"Jpg", 150, "textures/bolt.jpg", 128, 128},
        {"Jpg", 135, "textures/about.jpg", 320, 240},
        {"Jpg", 179, "textures/cube.jpg", 64, 64},
        {"WAVE", 151, "sounds/shot.wav", 0.2, 0.4},
        {"WAVE", 152, "sounds/charge.wav", 0.1, 3.0},
    };
    EmbeddedResources resources;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        const Bytes bytes = resources.find(row.type, row.id);
        ASSERT_FALSE(bytes.empty());
        const auto onDisk = test::readFileBytes(std::string(ORBIT_SOURCE_DIR) + "/resources/" + row.path);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), onDisk.begin(), onDisk.end()));
        if (std::string(row.type) == "Jpg") {
            JpegDecoder decoder;
            ASSERT_TRUE(decoder.decode(resources, row.id));
            EXPECT_EQ(decoder.width(), row.a);
            EXPECT_EQ(decoder.height(), row.b);
        } else {
            expectCleanWave(bytes, row.a, row.b);
        }
    }
    // The type is matched exactly, case too.
    for (const auto& [type, id] : {std::pair{"Jpg", 1}, {"FILE3DS", 185}, {"NOPE", 184}, {"jpg", 148}})
        EXPECT_TRUE(resources.find(type, id).empty()) << type << " " << id;
    EXPECT_EQ(resources.findString(101), "&About Orbit Patrol..."); // the preview title and company: e2e
}

} // namespace
} // namespace orbit

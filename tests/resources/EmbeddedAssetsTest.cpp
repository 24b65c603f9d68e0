// The generated assets as the program sees them, through EmbeddedResources:
// present with the committed bytes, JPEGs with their expected segment layout,
// clean WAVE files, the icon's directory, and pictures showing what they should.
#include "image/JpegDecoder.h"
#include "resources/EmbeddedResources.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <tuple>
#include <vector>

namespace orbit {
namespace {

using Bytes = std::span<const std::uint8_t>;

std::uint32_t le(Bytes b, std::size_t at, std::size_t width)
{
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < width; ++i)
        v |= static_cast<std::uint32_t>(b[at + i]) << (8 * i);
    return v;
}

unsigned be16(Bytes b, std::size_t at) { return (unsigned{b[at]} << 8) | b[at + 1]; }

TEST(EmbeddedAssets, EachIsEmbeddedUnderItsTypeAndIdWithTheCommittedBytes)
{
    const struct {
        const char* type;
        int id;
        const char* path;
    } rows[] = {
        {"FILE3DS", 184, "models/starship.3ds"},    {"Jpg", 148, "textures/planet.jpg"},
        {"Jpg", 150, "textures/bolt.jpg"},          {"Jpg", 135, "textures/about.jpg"},
        {"Jpg", 179, "textures/cube.jpg"},          {"WAVE", 151, "sounds/shot.wav"},
        {"WAVE", 152, "sounds/charge.wav"},         {"ICON", 128, "icons/orbitpatrol.ico"},
        {"CURSOR", 184, "cursors/hand-pressed.cur"}, {"CURSOR", 185, "cursors/hand-pointing.cur"},
    };
    EmbeddedResources resources;
    for (const auto& row : rows) {
        const Bytes bytes = resources.find(row.type, row.id);
        ASSERT_FALSE(bytes.empty()) << row.type << " " << row.id;
        const auto onDisk = test::readFileBytes(std::string(ORBIT_SOURCE_DIR) + "/resources/" + row.path);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), onDisk.begin(), onDisk.end())) << row.path;
    }
}

struct JpegLayout {
    std::vector<std::pair<unsigned, Bytes>> segments; // marker and payload, SOI excluded, up to SOS
    int restartMarkers = 0;
};

std::optional<JpegLayout> readLayout(Bytes b)
{
    if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8)
        return std::nullopt;
    JpegLayout layout;
    std::size_t pos = 2;
    for (unsigned marker = 0; marker != 0xDA; pos += 2 + be16(b, pos + 2)) {
        if (pos + 4 > b.size() || b[pos] != 0xFF || be16(b, pos + 2) < 2 || pos + 2 + be16(b, pos + 2) > b.size())
            return std::nullopt;
        marker = b[pos + 1];
        layout.segments.emplace_back(marker, b.subspan(pos + 4, be16(b, pos + 2) - 2u));
    }
    // In entropy-coded data a data byte FF is followed by 00: FF D0..D7 is a restart.
    for (; pos + 1 < b.size(); ++pos)
        layout.restartMarkers += b[pos] == 0xFF && b[pos + 1] >= 0xD0 && b[pos + 1] <= 0xD7;
    return layout;
}

// Table ids of one DQT (8-bit, 65 bytes a table) or DHT (class * 16 + id)
// payload; 256 stands for a table cut short or not 8-bit.
std::multiset<unsigned> tableIds(unsigned marker, Bytes p)
{
    std::multiset<unsigned> ids;
    for (std::size_t at = 0; at < p.size();) {
        std::size_t size = marker == 0xDB ? 65 : 17;
        for (std::size_t i = 1; marker == 0xC4 && i <= 16 && at + i < p.size(); ++i)
            size += p[at + i];
        if (at + size > p.size() || (marker == 0xDB && p[at] >> 4))
            return {256};
        ids.insert(marker == 0xC4 ? (p[at] >> 4) * 16u + (p[at] & 15u) : p[at] & 15u);
        at += size;
    }
    return ids;
}

struct JpegRow {
    int id;
    unsigned width, height;
    unsigned lumaSampling;    // h == v; chroma always 1x1
    unsigned restartInterval; // MCUs; 0 = none
    std::vector<unsigned> markers; // the segments up to the scan, SOI excluded
};

class JpegResource : public ::testing::TestWithParam<JpegRow> {};

TEST_P(JpegResource, HasItsSegmentLayoutAndDecodesToItsSize)
{
    const JpegRow row = GetParam();
    const EmbeddedResources resources;
    const auto layout = readLayout(resources.find("Jpg", row.id));
    ASSERT_TRUE(layout);
    std::vector<unsigned> markers;
    std::map<unsigned, Bytes> last;
    std::multiset<unsigned> quantIds, huffIds;
    for (const auto& [marker, payload] : layout->segments) {
        markers.push_back(marker);
        last[marker] = payload;
        if (marker == 0xDB || marker == 0xC4)
            (marker == 0xDB ? quantIds : huffIds).merge(tableIds(marker, payload));
    }
    EXPECT_EQ(markers, row.markers);
    EXPECT_EQ(quantIds, (std::multiset<unsigned>{0, 1}));
    EXPECT_EQ(huffIds, (std::multiset<unsigned>{0x00, 0x01, 0x10, 0x11}));
    const Bytes adobe = last[0xEE];
    EXPECT_EQ(std::string(adobe.begin(), adobe.begin() + std::min<std::size_t>(5, adobe.size())),
              row.markers[2] == 0xEE ? "Adobe" : "");

    // Baseline, three components: Y sampled lumaSampling^2 on table 0, chroma 1x1 on table 1.
    const Bytes f = last[0xC0];
    ASSERT_EQ(f.size(), 15u);
    EXPECT_EQ((std::vector<unsigned>{f[0], be16(f, 1), be16(f, 3), f[5], f[7], f[8], f[10], f[11], f[13], f[14]}),
              (std::vector<unsigned>{8, row.height, row.width, 3, row.lumaSampling * 17, 0, 0x11, 1, 0x11, 1}));
    // One interleaved scan over all three components, full spectrum.
    const Bytes scan = last[0xDA];
    ASSERT_EQ(scan.size(), 10u);
    EXPECT_EQ((std::vector<unsigned>{scan[0], scan[7], scan[8], scan[9]}), (std::vector<unsigned>{3, 0, 63, 0}));
    // One restart marker between each run of restartInterval MCUs.
    const unsigned mcuSide = 8 * row.lumaSampling;
    const unsigned mcus = ((row.width + mcuSide - 1) / mcuSide) * ((row.height + mcuSide - 1) / mcuSide);
    const unsigned interval = last.contains(0xDD) ? be16(last[0xDD], 0) : 0;
    EXPECT_EQ(interval, row.restartInterval);
    EXPECT_EQ(layout->restartMarkers, interval ? static_cast<int>((mcus + interval - 1) / interval - 1) : 0);

    JpegDecoder decoder;
    ASSERT_TRUE(decoder.decode(resources, row.id));
    EXPECT_EQ(decoder.width(), row.width);
    EXPECT_EQ(decoder.height(), row.height);
}

INSTANTIATE_TEST_SUITE_P(Resources, JpegResource,
    ::testing::Values(JpegRow{148, 512, 512, 2, 0, {0xE0, 0xDB, 0xDB, 0xC0, 0xC4, 0xC4, 0xC4, 0xC4, 0xDA}},
                      JpegRow{150, 128, 128, 1, 16, {0xE0, 0xED, 0xEE, 0xDB, 0xC0, 0xC4, 0xDD, 0xDA}},
                      JpegRow{135, 320, 240, 2, 20, {0xE0, 0xED, 0xEE, 0xDB, 0xC0, 0xC4, 0xDD, 0xDA}},
                      JpegRow{179, 64, 64, 2, 0, {0xE0, 0xDB, 0xDB, 0xC0, 0xC4, 0xC4, 0xC4, 0xC4, 0xDA}}),
    [](const auto& info) { return "Jpg" + std::to_string(info.param.id); });

// Mean luminance (0..255) of a rectangle given top-down, of a decoded image.
double meanLuma(const JpegDecoder& d, int x0, int y0, int x1, int y1)
{
    double sum = 0.0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const std::uint8_t* p = d.pixels() + static_cast<std::size_t>(d.height() - 1 - y) * d.stride() + 3 * x;
            sum += 0.114 * p[0] + 0.587 * p[1] + 0.299 * p[2];
        }
    }
    return sum / ((x1 - x0) * (y1 - y0));
}

TEST(JpegPictures, AboutIsDarkUnderItsControlsPlanetWrapsBoltFadesToBlackEdges)
{
    EmbeddedResources resources;
    JpegDecoder about, planet, bolt;
    ASSERT_TRUE(about.decode(resources, 135) && planet.decode(resources, 148) && bolt.decode(resources, 150));
    // Template 100 is 213 x 148 dialog units stretched over 320 x 240: the
    // labels cover x 3..155, y 96..148 and the button x 159..212, y 94..147.
    const double top = meanLuma(about, 0, 0, 320, 120);
    EXPECT_GT(top, 25.0);
    EXPECT_LT(meanLuma(about, 4, 156, 233, 240), top * 0.35) << "labels";
    EXPECT_LT(meanLuma(about, 239, 152, 320, 240), top * 0.35) << "button";

    // The seam (last column to first) differs no more than neighbouring columns do.
    double seam = 0.0, inner = 0.0;
    for (int y = 0; y < 512; ++y) {
        const std::uint8_t* row = planet.pixels() + static_cast<std::size_t>(y) * planet.stride();
        for (int c = 0; c < 3; ++c) {
            seam += std::abs(row[c] - row[3 * 511 + c]);
            inner += std::abs(row[3 * 255 + c] - row[3 * 256 + c]);
        }
    }
    EXPECT_LT(seam, inner * 1.5 + 512.0);

    EXPECT_GT(meanLuma(bolt, 60, 56, 68, 72), 200.0);
    for (const auto& [x0, y0, x1, y1] : {std::array{0, 0, 128, 2}, {0, 126, 128, 128}, {0, 0, 2, 128}, {126, 0, 128, 128}})
        EXPECT_LT(meanLuma(bolt, x0, y0, x1, y1), 8.0) << x0 << "," << y0;
}

class WaveResource : public ::testing::TestWithParam<std::tuple<int, double, double>> {};

TEST_P(WaveResource, IsMonoPcmWithAValidHeaderAndNoClick)
{
    const auto [id, minSeconds, maxSeconds] = GetParam();
    const Bytes w = EmbeddedResources().find("WAVE", id);
    ASSERT_GE(w.size(), 44u);
    const auto text = [&](std::ptrdiff_t at) { return std::string(w.begin() + at, w.begin() + at + 4); };
    EXPECT_EQ(text(0) + text(8) + text(12) + text(36), "RIFFWAVEfmt data");
    // The plain 44-byte header: PCM, mono, 16 bits, 2 bytes a block.
    const unsigned rate = le(w, 24, 4);
    EXPECT_TRUE(rate == 22050 || rate == 44100) << rate;
    EXPECT_EQ((std::vector<std::size_t>{le(w, 4, 4), le(w, 16, 4), le(w, 20, 2), le(w, 22, 2), le(w, 28, 4),
                                        le(w, 32, 2), le(w, 34, 2), le(w, 40, 4)}),
              (std::vector<std::size_t>{w.size() - 8, 16, 1, 1, rate * 2, 2, 16, w.size() - 44}));
    std::vector<int> samples;
    for (std::size_t i = 44; i + 1 < w.size(); i += 2)
        samples.push_back(static_cast<std::int16_t>(le(w, i, 2)));
    const double seconds = static_cast<double>(samples.size()) / rate;
    EXPECT_TRUE(seconds >= minSeconds && seconds <= maxSeconds) << seconds;
    int peak = 0;
    for (int sample : samples)
        peak = std::max(peak, std::abs(sample));
    EXPECT_GT(peak, 32767 / 4) << "audible";
    // No click: the ends sit on silence and the level fades in and out, so
    // the first and the last half millisecond stay below a tenth of the peak.
    EXPECT_LE(std::abs(samples.front()) + std::abs(samples.back()), 32767 / 200);
    for (std::size_t i = 0; i < rate / 2000; ++i)
        ASSERT_LE(std::max(std::abs(samples[i]), std::abs(samples[samples.size() - 1 - i])), peak / 10) << i;
}

INSTANTIATE_TEST_SUITE_P(Resources, WaveResource, ::testing::Values(std::tuple{151, 0.2, 0.4}, std::tuple{152, 0.1, 3.0}),
    [](const auto& info) { return "Wave" + std::to_string(std::get<0>(info.param)); });

// The icon's pixels are checked through the program's decoding in
// tests/ui/ImagesTest.cpp; here its directory.
TEST(IconResource, IsAnIconDirectoryOfTwoSixteenColourEntries)
{
    const Bytes file = EmbeddedResources().find("ICON", 128);
    ASSERT_GE(file.size(), 6u + 2 * 16u);
    EXPECT_EQ((std::array{le(file, 2, 4), file[8] + 0u, le(file, 12, 2), file[24] + 0u, le(file, 28, 2)}),
              (std::array{0x20001u, 16u, 4u, 16u, 4u}));
}

} // namespace
} // namespace orbit

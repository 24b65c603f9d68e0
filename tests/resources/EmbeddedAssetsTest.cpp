// The generated assets as the program sees them, through EmbeddedResources:
// each is present under its type and id with the committed file's bytes; the
// JPEGs have the segment layout the decoder's resources are described with
// (read here by a small segment reader of the test's own); the WAVE headers
// are valid and the sounds start and end without a click; the icon and the
// cursors decode with their sizes and hot spots; the pictures decode with the
// program's JpegDecoder and show what they are meant to.
#include "image/JpegDecoder.h"
#include "resources/EmbeddedResources.h"
#include "resources/IconImage.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
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

// --- Presence --------------------------------------------------------------

// Each format's own checks below look inside; here only presence and bytes.
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

TEST(EmbeddedAssets, StarshipMainChunkSpansTheWholeResource)
{
    EmbeddedResources resources;
    const Bytes ship = resources.find("FILE3DS", 184);
    ASSERT_GE(ship.size(), 6u);
    EXPECT_EQ(le(ship, 0, 2), 0x4D4Du);
    EXPECT_EQ(le(ship, 2, 4), ship.size());
}

// --- JPEG segments ---------------------------------------------------------

struct JpegLayout {
    std::vector<std::pair<unsigned, Bytes>> segments; // marker and payload, SOI excluded, up to SOS
    int restartMarkers = 0;
    bool restartsInOrder = true;
    bool endsWithEoi = false;
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
    // Entropy-coded data: FF 00 is a stuffed byte, FF D0..D7 a restart.
    for (; pos + 1 < b.size(); ++pos) {
        if (b[pos] != 0xFF || b[pos + 1] == 0x00)
            continue;
        const unsigned marker = b[pos + 1];
        if (marker >= 0xD0 && marker <= 0xD7) {
            layout.restartsInOrder &= marker - 0xD0 == static_cast<unsigned>(layout.restartMarkers % 8);
            ++layout.restartMarkers;
            ++pos;
        } else if (marker == 0xD9) {
            layout.endsWithEoi = pos + 2 == b.size();
            break;
        }
    }
    return layout;
}

// Table ids of one DQT (8-bit, 65 bytes a table) or DHT (class * 16 + id)
// payload; empty when the payload does not hold whole tables.
std::vector<unsigned> tableIds(unsigned marker, Bytes p)
{
    std::vector<unsigned> ids;
    std::size_t at = 0;
    while (at < p.size()) {
        std::size_t size = 65;
        if (marker == 0xC4) {
            size = 17;
            for (std::size_t i = 1; i <= 16 && at + i < p.size(); ++i)
                size += p[at + i];
        } else if ((p[at] >> 4) != 0) {
            return {};
        }
        if (at + size > p.size())
            return {};
        ids.push_back(marker == 0xC4 ? (p[at] >> 4) * 16u + (p[at] & 15u) : p[at] & 15u);
        at += size;
    }
    return ids;
}

struct JpegRow {
    int id;
    unsigned width;
    unsigned height;
    unsigned lumaSampling;    // h == v; chroma always 1x1
    unsigned restartInterval; // MCUs; 0 = none
    bool mergedTables;        // one DQT + one DHT with APP13/APP14 first
};

class JpegResource : public ::testing::TestWithParam<JpegRow> {};

TEST_P(JpegResource, HasTheDescribedSegmentLayout)
{
    const JpegRow row = GetParam();
    EmbeddedResources resources;
    const auto layout = readLayout(resources.find("Jpg", row.id));
    ASSERT_TRUE(layout);
    EXPECT_TRUE(layout->endsWithEoi);

    std::map<unsigned, std::vector<Bytes>> byMarker;
    std::multiset<unsigned> appsBeforeTables, quantIds, huffIds;
    for (const auto& [marker, payload] : layout->segments) {
        byMarker[marker].push_back(payload);
        if ((marker == 0xED || marker == 0xEE) && !byMarker.contains(0xDB) && !byMarker.contains(0xC4))
            appsBeforeTables.insert(marker);
        if (marker == 0xDB || marker == 0xC4) {
            const auto ids = tableIds(marker, payload);
            ASSERT_FALSE(ids.empty());
            EXPECT_EQ(ids.size(), !row.mergedTables ? 1u : marker == 0xDB ? 2u : 4u);
            (marker == 0xDB ? quantIds : huffIds).insert(ids.begin(), ids.end());
        }
        EXPECT_TRUE(marker < 0xC1 || marker > 0xCF || marker == 0xC4 || marker == 0xCC) << "not baseline";
    }

    // Baseline frame, three components, Y sampled lumaSampling x lumaSampling,
    // chroma 1x1; luma on quantisation table 0, chroma on table 1.
    ASSERT_EQ(byMarker[0xC0].size(), 1u);
    const Bytes f = byMarker[0xC0][0];
    ASSERT_EQ(f.size(), 15u);
    EXPECT_EQ((std::vector<unsigned>{f[0], be16(f, 1), be16(f, 3), f[5], f[7], f[8], f[10], f[11], f[13], f[14]}),
              (std::vector<unsigned>{8, row.height, row.width, 3, row.lumaSampling * 17, 0, 0x11, 1, 0x11, 1}));
    // One interleaved scan over all three components, full spectrum.
    ASSERT_EQ(byMarker[0xDA].size(), 1u);
    const Bytes s = byMarker[0xDA][0];
    ASSERT_EQ(s.size(), 10u);
    EXPECT_EQ((std::vector<unsigned>{s[0], s[7], s[8], s[9]}), (std::vector<unsigned>{3, 0, 63, 0}));

    EXPECT_EQ(byMarker[0xDB].size(), row.mergedTables ? 1u : 2u);
    EXPECT_EQ(byMarker[0xC4].size(), row.mergedTables ? 1u : 4u);
    EXPECT_EQ(quantIds, (std::multiset<unsigned>{0, 1}));
    EXPECT_EQ(huffIds, (std::multiset<unsigned>{0x00, 0x01, 0x10, 0x11}));
    if (row.mergedTables) {
        ASSERT_EQ(appsBeforeTables, (std::multiset<unsigned>{0xED, 0xEE}));
        const Bytes adobe = byMarker[0xEE][0];
        EXPECT_EQ(std::string(adobe.begin(), adobe.begin() + std::min<std::size_t>(5, adobe.size())), "Adobe");
    }

    // Restarts: one marker between each run of restartInterval MCUs.
    const unsigned mcuSide = 8 * row.lumaSampling;
    const unsigned mcus = ((row.width + mcuSide - 1) / mcuSide) * ((row.height + mcuSide - 1) / mcuSide);
    const unsigned interval = byMarker[0xDD].empty() ? 0 : be16(byMarker[0xDD][0], 0);
    EXPECT_LE(byMarker[0xDD].size(), 1u);
    EXPECT_EQ(interval, row.restartInterval);
    EXPECT_EQ(layout->restartMarkers, interval ? static_cast<int>((mcus + interval - 1) / interval - 1) : 0);
    EXPECT_TRUE(layout->restartsInOrder);
}

TEST_P(JpegResource, DecodesToItsSizeWithTheProgramsDecoder)
{
    const JpegRow row = GetParam();
    EmbeddedResources resources;
    JpegDecoder decoder;
    ASSERT_TRUE(decoder.decode(resources, row.id));
    EXPECT_EQ(decoder.width(), row.width);
    EXPECT_EQ(decoder.height(), row.height);
}

INSTANTIATE_TEST_SUITE_P(Resources, JpegResource,
    ::testing::Values(JpegRow{148, 512, 512, 2, 0, false}, JpegRow{150, 128, 128, 1, 16, true},
                      JpegRow{135, 320, 240, 2, 20, true}, JpegRow{179, 64, 64, 2, 0, false}),
    [](const auto& info) { return "Jpg" + std::to_string(info.param.id); });

// Mean luminance (0..255) of a rectangle given top-down, of a decoded image.
double meanLuma(const JpegDecoder& d, int x0, int y0, int x1, int y1)
{
    double sum = 0.0;
    for (int y = y0; y < y1; ++y) {
        const std::uint8_t* row = d.pixels() + static_cast<std::size_t>(d.height() - 1 - y) * d.stride();
        for (int x = x0; x < x1; ++x) {
            const std::uint8_t* p = row + 3 * x;
            sum += 0.114 * p[0] + 0.587 * p[1] + 0.299 * p[2];
        }
    }
    return sum / ((x1 - x0) * (y1 - y0));
}

TEST(JpegPictures, AboutPictureIsDarkWhereLabelsAndTheCubeButtonStand)
{
    EmbeddedResources resources;
    JpegDecoder about;
    ASSERT_TRUE(about.decode(resources, 135));
    // Template 100 is 213 x 148 dialog units stretched over 320 x 240: the
    // labels cover x 3..155, y 96..148 and the button x 159..212, y 94..147.
    const double top = meanLuma(about, 0, 0, 320, 120);
    const double labels = meanLuma(about, 4, 156, 233, 240);
    const double button = meanLuma(about, 239, 152, 320, 240);
    EXPECT_GT(top, 25.0);
    EXPECT_LT(labels, top * 0.35);
    EXPECT_LT(button, top * 0.35);
}

TEST(JpegPictures, PlanetWrapsInLongitudeAndBoltGlowFadesToBlackEdges)
{
    EmbeddedResources resources;
    JpegDecoder planet;
    ASSERT_TRUE(planet.decode(resources, 148));
    // The seam (last column to first) must differ no more than neighbouring
    // columns do on average.
    double seam = 0.0, inner = 0.0;
    for (int y = 0; y < 512; ++y) {
        const std::uint8_t* row = planet.pixels() + static_cast<std::size_t>(y) * planet.stride();
        for (int c = 0; c < 3; ++c) {
            seam += std::abs(row[c] - row[3 * 511 + c]);
            inner += std::abs(row[3 * 255 + c] - row[3 * 256 + c]);
        }
    }
    EXPECT_LT(seam, inner * 1.5 + 512.0);

    JpegDecoder bolt;
    ASSERT_TRUE(bolt.decode(resources, 150));
    EXPECT_GT(meanLuma(bolt, 60, 56, 68, 72), 200.0);
    EXPECT_LT(meanLuma(bolt, 0, 0, 128, 2), 8.0);
    EXPECT_LT(meanLuma(bolt, 0, 126, 128, 128), 8.0);
    EXPECT_LT(meanLuma(bolt, 0, 0, 2, 128), 8.0);
    EXPECT_LT(meanLuma(bolt, 126, 0, 128, 128), 8.0);
}

// --- WAVE ------------------------------------------------------------------

struct WaveRow {
    int id;
    double minSeconds;
    double maxSeconds;
};

class WaveResource : public ::testing::TestWithParam<WaveRow> {};

TEST_P(WaveResource, IsMonoPcmWithAValidHeaderAndNoClick)
{
    const WaveRow row = GetParam();
    EmbeddedResources resources;
    const Bytes w = resources.find("WAVE", row.id);
    ASSERT_GE(w.size(), 44u);
    EXPECT_EQ(std::string(w.begin(), w.begin() + 4), "RIFF");
    EXPECT_EQ(le(w, 4, 4), w.size() - 8);
    EXPECT_EQ(std::string(w.begin() + 8, w.begin() + 12), "WAVE");

    // Walk the chunks: fmt first, then data.
    std::size_t pos = 12;
    Bytes fmt, data;
    while (pos + 8 <= w.size()) {
        const std::string id(w.begin() + static_cast<std::ptrdiff_t>(pos), w.begin() + static_cast<std::ptrdiff_t>(pos) + 4);
        const std::size_t size = le(w, pos + 4, 4);
        ASSERT_LE(pos + 8 + size, w.size()) << id;
        if (id == "fmt ") fmt = w.subspan(pos + 8, size);
        if (id == "data") data = w.subspan(pos + 8, size);
        pos += 8 + size + (size & 1);
    }
    ASSERT_GE(fmt.size(), 16u);
    const unsigned format = le(fmt, 0, 2), channels = le(fmt, 2, 2), rate = le(fmt, 4, 4);
    const unsigned byteRate = le(fmt, 8, 4), blockAlign = le(fmt, 12, 2), bits = le(fmt, 14, 2);
    EXPECT_EQ(format, 1u);
    EXPECT_EQ(channels, 1u);
    EXPECT_TRUE(rate == 22050 || rate == 44100) << rate;
    ASSERT_EQ(bits, 16u);
    EXPECT_EQ(blockAlign, 2u);
    EXPECT_EQ(byteRate, rate * 2);
    ASSERT_EQ(data.size() % 2, 0u);

    std::vector<int> samples;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2)
        samples.push_back(static_cast<std::int16_t>(le(data, i, 2)));
    const double seconds = static_cast<double>(samples.size()) / rate;
    EXPECT_GE(seconds, row.minSeconds);
    EXPECT_LE(seconds, row.maxSeconds);

    int peak = 0;
    for (int s : samples)
        peak = std::max(peak, std::abs(s));
    EXPECT_GT(peak, 32767 / 4) << "audible";

    // No click: the ends sit on silence, and the level builds up and dies
    // away over a fade, so within the first and the last half millisecond
    // the signal stays below a tenth of its peak.
    const int nearZero = 32767 / 200;
    EXPECT_LE(std::abs(samples.front()), nearZero);
    EXPECT_LE(std::abs(samples.back()), nearZero);
    const std::size_t edge = rate / 2000;
    for (std::size_t i = 0; i < edge; ++i) {
        EXPECT_LE(std::abs(samples[i]), peak / 10) << "start, sample " << i;
        EXPECT_LE(std::abs(samples[samples.size() - 1 - i]), peak / 10) << "end, sample " << samples.size() - 1 - i;
    }
}

INSTANTIATE_TEST_SUITE_P(Resources, WaveResource,
    ::testing::Values(WaveRow{151, 0.2, 0.4}, WaveRow{152, 0.1, 3.0}),
    [](const auto& info) { return "Wave" + std::to_string(info.param.id); });

// --- Icon and cursors --------------------------------------------------------

int alphaAt(const IconImage& image, int x, int y)
{
    return image.rgba[(static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x)) * 4 + 3];
}

TEST(IconResource, HoldsThirtyTwoAndSixteenPixelImagesInSixteenColours)
{
    EmbeddedResources resources;
    const Bytes file = resources.find("ICON", 128);
    for (int size : {32, 16}) {
        const auto image = decodeIconResource(file, size);
        ASSERT_TRUE(image) << size;
        EXPECT_EQ(image->width, size);
        EXPECT_EQ(image->height, size);
        std::set<std::uint32_t> colours;
        int transparent = 0;
        for (std::size_t i = 0; i < image->rgba.size(); i += 4) {
            if (image->rgba[i + 3] == 0) {
                ++transparent;
                continue;
            }
            colours.insert(image->rgba[i] << 16 | image->rgba[i + 1] << 8 | image->rgba[i + 2]);
        }
        EXPECT_LE(colours.size(), 16u);
        EXPECT_GE(colours.size(), 4u) << "not a blank or one-colour image";
        EXPECT_GT(transparent, size * size / 8) << "the shape has a see-through surround";
        EXPECT_EQ(alphaAt(*image, 0, 0), 0);
        EXPECT_EQ(alphaAt(*image, size / 2, size / 2), 255);
    }
    // An icon (type 1) directory promising 16-colour, 4-bit entries.
    ASSERT_GE(file.size(), 6u + 2 * 16u);
    EXPECT_EQ(le(file, 2, 2), 1u);
    for (std::size_t e = 0; e < 2; ++e) {
        EXPECT_EQ(file[6 + 16 * e + 2], 16) << e;
        EXPECT_EQ(le(file, 6 + 16 * e + 6, 2), 4u) << e;
    }
}

struct CursorRow {
    int id;
    int hotSpotX;
    int hotSpotY;
};

class CursorResource : public ::testing::TestWithParam<CursorRow> {};

TEST_P(CursorResource, IsAThirtyTwoPixelHandWithTheFingerTipAtTheHotSpot)
{
    const CursorRow row = GetParam();
    EmbeddedResources resources;
    const auto image = decodeIconResource(resources.find("CURSOR", row.id), 32);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 32);
    EXPECT_EQ(image->height, 32);
    EXPECT_EQ(image->hotSpotX, row.hotSpotX);
    EXPECT_EQ(image->hotSpotY, row.hotSpotY);
    // The hot spot lies on the finger, right under its outlined tip.
    EXPECT_EQ(alphaAt(*image, row.hotSpotX, row.hotSpotY), 255);
    int top = 0;
    while (top < 32 && alphaAt(*image, row.hotSpotX, top) == 0)
        ++top;
    EXPECT_EQ(top, row.hotSpotY - 1);
    EXPECT_EQ(alphaAt(*image, 0, 0), 0);
    EXPECT_EQ(alphaAt(*image, 31, 0), 0);
}

INSTANTIATE_TEST_SUITE_P(Resources, CursorResource,
    ::testing::Values(CursorRow{184, 12, 3}, CursorRow{185, 12, 1}),
    [](const auto& info) { return "Cursor" + std::to_string(info.param.id); });

} // namespace
} // namespace orbit

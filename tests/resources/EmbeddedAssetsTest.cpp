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

struct AssetRow {
    const char* type;
    int id;
    const char* path;
    std::vector<std::uint8_t> magic;
};

std::vector<AssetRow> assetRows()
{
    return {
        {"FILE3DS", 184, "models/starship.3ds", {0x4D, 0x4D}},
        {"Jpg", 148, "textures/planet.jpg", {0xFF, 0xD8, 0xFF}},
        {"Jpg", 150, "textures/bolt.jpg", {0xFF, 0xD8, 0xFF}},
        {"Jpg", 135, "textures/about.jpg", {0xFF, 0xD8, 0xFF}},
        {"Jpg", 179, "textures/cube.jpg", {0xFF, 0xD8, 0xFF}},
        {"WAVE", 151, "sounds/shot.wav", {'R', 'I', 'F', 'F'}},
        {"WAVE", 152, "sounds/charge.wav", {'R', 'I', 'F', 'F'}},
        {"ICON", 128, "icons/orbitpatrol.ico", {0, 0, 1, 0}},
        {"CURSOR", 184, "cursors/hand-pressed.cur", {0, 0, 2, 0}},
        {"CURSOR", 185, "cursors/hand-pointing.cur", {0, 0, 2, 0}},
    };
}

TEST(EmbeddedAssets, EachIsEmbeddedUnderItsTypeAndIdWithTheCommittedBytes)
{
    EmbeddedResources resources;
    for (const AssetRow& row : assetRows()) {
        const Bytes bytes = resources.find(row.type, row.id);
        ASSERT_FALSE(bytes.empty()) << row.type << " " << row.id;
        const auto onDisk = test::readFileBytes(std::string(ORBIT_SOURCE_DIR) + "/resources/" + row.path);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), onDisk.begin(), onDisk.end())) << row.path;
        ASSERT_GE(bytes.size(), row.magic.size());
        EXPECT_TRUE(std::equal(row.magic.begin(), row.magic.end(), bytes.begin())) << row.path;
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

struct Segment {
    unsigned marker;
    Bytes payload; // after the length field
};

struct JpegLayout {
    std::vector<Segment> segments; // SOI excluded, up to and including SOS
    int restartMarkers = 0;
    bool restartsInOrder = true;
    bool endsWithEoi = false;
    bool readable = true;
};

JpegLayout readLayout(Bytes b)
{
    JpegLayout layout;
    if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8) {
        layout.readable = false;
        return layout;
    }
    std::size_t pos = 2;
    while (true) {
        if (pos + 4 > b.size() || b[pos] != 0xFF) {
            layout.readable = false;
            return layout;
        }
        const unsigned marker = b[pos + 1];
        const unsigned length = be16(b, pos + 2);
        if (length < 2 || pos + 2 + length > b.size()) {
            layout.readable = false;
            return layout;
        }
        layout.segments.push_back({marker, b.subspan(pos + 4, length - 2)});
        pos += 2 + length;
        if (marker == 0xDA)
            break;
    }
    // Entropy-coded data: FF 00 is a stuffed byte, FF D0..D7 a restart.
    for (; pos + 1 < b.size(); ++pos) {
        if (b[pos] != 0xFF || b[pos + 1] == 0x00)
            continue;
        const unsigned marker = b[pos + 1];
        if (marker >= 0xD0 && marker <= 0xD7) {
            if (marker - 0xD0 != static_cast<unsigned>(layout.restartMarkers % 8))
                layout.restartsInOrder = false;
            ++layout.restartMarkers;
            ++pos;
        } else if (marker == 0xD9) {
            layout.endsWithEoi = pos + 2 == b.size();
            break;
        }
    }
    return layout;
}

// Tables held by one DQT payload: 65 bytes each (8-bit precision).
std::vector<unsigned> dqtTableIds(Bytes p)
{
    std::vector<unsigned> ids;
    for (std::size_t at = 0; at < p.size(); at += 65) {
        if ((p[at] >> 4) != 0 || at + 65 > p.size())
            return {};
        ids.push_back(p[at] & 15u);
    }
    return ids;
}

// Tables held by one DHT payload as class * 16 + id.
std::vector<unsigned> dhtTableIds(Bytes p)
{
    std::vector<unsigned> ids;
    std::size_t at = 0;
    while (at < p.size()) {
        if (at + 17 > p.size())
            return {};
        std::size_t symbols = 0;
        for (std::size_t i = 1; i <= 16; ++i)
            symbols += p[at + i];
        ids.push_back((p[at] >> 4) * 16u + (p[at] & 15u));
        at += 17 + symbols;
    }
    return at == p.size() ? ids : std::vector<unsigned>{};
}

struct JpegRow {
    int id;
    unsigned width;
    unsigned height;
    unsigned lumaSampling; // h == v; chroma always 1x1
    unsigned restartInterval; // MCUs; 0 = none
    bool mergedTables;        // one DQT + one DHT with APP13/APP14 first
};

class JpegResource : public ::testing::TestWithParam<JpegRow> {};

TEST_P(JpegResource, HasTheDescribedSegmentLayout)
{
    const JpegRow row = GetParam();
    EmbeddedResources resources;
    const JpegLayout layout = readLayout(resources.find("Jpg", row.id));
    ASSERT_TRUE(layout.readable);
    EXPECT_TRUE(layout.endsWithEoi);

    std::vector<const Segment*> dqt, dht, sof, sos, dri, app13, app14;
    std::size_t firstTable = layout.segments.size();
    for (std::size_t i = 0; i < layout.segments.size(); ++i) {
        const Segment& s = layout.segments[i];
        if (s.marker == 0xDB || s.marker == 0xC4)
            firstTable = std::min(firstTable, i);
        if (s.marker == 0xDB) dqt.push_back(&s);
        if (s.marker == 0xC4) dht.push_back(&s);
        if (s.marker >= 0xC0 && s.marker <= 0xCF && s.marker != 0xC4 && s.marker != 0xC8 && s.marker != 0xCC)
            sof.push_back(&s);
        if (s.marker == 0xDA) sos.push_back(&s);
        if (s.marker == 0xDD) dri.push_back(&s);
        if (s.marker == 0xED && i < firstTable) app13.push_back(&s);
        if (s.marker == 0xEE && i < firstTable) app14.push_back(&s);
    }

    // Baseline frame, three components, Y sampled lumaSampling x lumaSampling,
    // chroma 1x1; luma on quantisation table 0, chroma on table 1.
    ASSERT_EQ(sof.size(), 1u);
    ASSERT_EQ(sof[0]->marker, 0xC0u);
    const Bytes f = sof[0]->payload;
    ASSERT_EQ(f.size(), 15u);
    EXPECT_EQ(f[0], 8);
    EXPECT_EQ(be16(f, 1), row.height);
    EXPECT_EQ(be16(f, 3), row.width);
    ASSERT_EQ(f[5], 3);
    EXPECT_EQ(f[7], row.lumaSampling * 16 + row.lumaSampling);
    EXPECT_EQ(f[8], 0);
    EXPECT_EQ(f[10], 0x11);
    EXPECT_EQ(f[11], 1);
    EXPECT_EQ(f[13], 0x11);
    EXPECT_EQ(f[14], 1);

    // One interleaved scan over all three components, full spectrum.
    ASSERT_EQ(sos.size(), 1u);
    const Bytes s = sos[0]->payload;
    ASSERT_EQ(s.size(), 10u);
    EXPECT_EQ(s[0], 3);
    EXPECT_EQ(s[7], 0);
    EXPECT_EQ(s[8], 63);
    EXPECT_EQ(s[9], 0);

    std::multiset<unsigned> quantIds, huffIds;
    for (const Segment* seg : dqt) {
        const auto ids = dqtTableIds(seg->payload);
        ASSERT_FALSE(ids.empty());
        EXPECT_EQ(ids.size(), row.mergedTables ? 2u : 1u);
        quantIds.insert(ids.begin(), ids.end());
    }
    for (const Segment* seg : dht) {
        const auto ids = dhtTableIds(seg->payload);
        ASSERT_FALSE(ids.empty());
        EXPECT_EQ(ids.size(), row.mergedTables ? 4u : 1u);
        huffIds.insert(ids.begin(), ids.end());
    }
    EXPECT_EQ(dqt.size(), row.mergedTables ? 1u : 2u);
    EXPECT_EQ(dht.size(), row.mergedTables ? 1u : 4u);
    EXPECT_EQ(quantIds, (std::multiset<unsigned>{0, 1}));
    EXPECT_EQ(huffIds, (std::multiset<unsigned>{0x00, 0x01, 0x10, 0x11}));

    if (row.mergedTables) {
        ASSERT_EQ(app13.size(), 1u);
        ASSERT_EQ(app14.size(), 1u);
        const Bytes adobe = app14[0]->payload;
        ASSERT_GE(adobe.size(), 5u);
        EXPECT_EQ(std::string(adobe.begin(), adobe.begin() + 5), "Adobe");
    }

    // Restarts: one marker between each run of restartInterval MCUs.
    const unsigned mcuSide = 8 * row.lumaSampling;
    const unsigned mcus = ((row.width + mcuSide - 1) / mcuSide) * ((row.height + mcuSide - 1) / mcuSide);
    if (row.restartInterval == 0) {
        for (const Segment* seg : dri)
            EXPECT_EQ(be16(seg->payload, 0), 0u);
        EXPECT_EQ(layout.restartMarkers, 0);
    } else {
        ASSERT_EQ(dri.size(), 1u);
        EXPECT_EQ(be16(dri[0]->payload, 0), row.restartInterval);
        EXPECT_EQ(layout.restartMarkers, static_cast<int>((mcus + row.restartInterval - 1) / row.restartInterval - 1));
        EXPECT_TRUE(layout.restartsInOrder);
    }
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
    // The directory promises 16-colour, 4-bit entries.
    ASSERT_GE(file.size(), 6u + 2 * 16u);
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

// JpegDecoder: golden hashes of committed files (which also pin sizes, row
// padding, table layouts and restart intervals), a differential check against
// libjpeg-turbo, the prescribed arithmetic on hand-made blocks (expected
// samples worked out from the formulas), and the guards against malformed
// data.
#include "TestJpegWriter.h"
#include "image/JpegDecoder.h"
#include "platform/MemoryResources.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <jpeglib.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace orbit {
namespace {

using test::Block;
using test::dcOnly;
using test::TestJpeg;

const std::string jpegDir = std::string(ORBIT_TEST_DATA_DIR) + "/image/jpeg/";

std::vector<std::uint8_t> readJpeg(const std::string& name) { return test::readFileBytes(jpegDir + name); }

std::uint64_t fnv1a(std::span<const std::uint8_t> bytes)
{
    std::uint64_t h = 1469598103934665603ull;
    for (std::uint8_t b : bytes) {
        h ^= b;
        h *= 1099511628211ull;
    }
    return h;
}

// Pixel (x, y) of the picture, y counted from the top, as B, G, R.
std::array<int, 3> pixelAt(const JpegDecoder& d, int x, int y)
{
    const std::uint8_t* p = d.pixels() + static_cast<std::size_t>(d.height() - 1 - y) * d.stride() + 3 * x;
    return {p[0], p[1], p[2]};
}

// ------------------------------------------------------------- golden hashes

struct GoldenRow {
    std::string name;
    int width = 0;
    int height = 0;
    std::string hash; // "-" for files that give no image
};

std::vector<GoldenRow> goldenTable()
{
    std::ifstream in(std::string(ORBIT_TEST_DATA_DIR) + "/image/jpeg-hashes.txt");
    std::vector<GoldenRow> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        GoldenRow row;
        fields >> row.name >> row.width >> row.height >> row.hash;
        rows.push_back(row);
    }
    return rows;
}

TEST(JpegGolden, EveryCommittedFileMatchesItsRecordedHash)
{
    const std::vector<GoldenRow> rows = goldenTable();
    ASSERT_GE(rows.size(), 15u);
    for (const GoldenRow& row : rows) {
        SCOPED_TRACE(row.name);
        JpegDecoder decoder;
        const bool ok = decoder.decode(readJpeg(row.name));
        EXPECT_EQ(decoder.width(), row.width);
        EXPECT_EQ(decoder.height(), row.height);
        if (row.hash == "-") {
            EXPECT_FALSE(ok);
            EXPECT_EQ(decoder.pixels(), nullptr);
            continue;
        }
        ASSERT_TRUE(ok);
        ASSERT_EQ(decoder.pixelBytes().size(), decoder.stride() * decoder.height());
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(fnv1a(decoder.pixelBytes())));
        EXPECT_EQ(hex, row.hash);
    }
}

// ------------------------------------------------ differential: libjpeg-turbo

// libjpeg-turbo with its float IDCT and plain replication upsampling: the same
// pipeline with rounding instead of truncation and exact cosines, so every
// sample may differ by a few levels but no more.
std::vector<std::uint8_t> libjpegBgr(const std::vector<std::uint8_t>& jpeg, int& width, int& height)
{
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.dct_method = JDCT_FLOAT;
    cinfo.do_fancy_upsampling = FALSE;
    cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    width = static_cast<int>(cinfo.output_width);
    height = static_cast<int>(cinfo.output_height);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.data() + static_cast<std::size_t>(cinfo.output_scanline) * width * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return out;
}

TEST(JpegDifferential, StaysWithinAFewLevelsOfLibjpegTurbo)
{
    for (const GoldenRow& row : goldenTable()) {
        if (row.hash == "-")
            continue;
        SCOPED_TRACE(row.name);
        const std::vector<std::uint8_t> jpeg = readJpeg(row.name);
        JpegDecoder ours;
        ASSERT_TRUE(ours.decode(jpeg));
        int w = 0;
        int h = 0;
        const std::vector<std::uint8_t> theirs = libjpegBgr(jpeg, w, h);
        ASSERT_EQ(w, ours.width());
        ASSERT_EQ(h, ours.height());
        int maxDiff = 0;
        long total = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const std::array<int, 3> p = pixelAt(ours, x, y);
                for (int c = 0; c < 3; ++c) {
                    const int d = std::abs(p[static_cast<std::size_t>(c)] - theirs[(static_cast<std::size_t>(y) * w + x) * 3 + c]);
                    maxDiff = std::max(maxDiff, d);
                    total += d;
                }
            }
        }
        EXPECT_LE(maxDiff, 5);
        EXPECT_LT(static_cast<double>(total) / (3.0 * w * h), 1.5);
    }
}

// ----------------------------------------------------- prescribed arithmetic

// A DC-only block gives the sample trunc(F * 0.7071 * 0.7071 * 0.25) + 128,
// clamped; 0.7071^2 = 0.49999041, a hair under one half, and truncation moves
// toward zero, so the boundaries below differ from rounded arithmetic.
TEST(JpegArithmetic, DcOnlyBlocksTruncateTowardZeroThenClamp)
{
    struct Row {
        int dc;
        int sample;
    };
    const Row rows[] = {
        {0, 128},     {8, 128},   /* 0.99992 -> 0 */ {-8, 128}, /* -0.99992 -> 0, not -1 */
        {9, 129},     {-9, 127},  {-226, 100},      /* -28.25 -> -28 */
        {1016, 254},  /* 126.998 -> 126: rounding would give 255 */
        {1040, 255},  /* 129.997 -> 129 -> 257, clamped */
        {-1032, 0},   /* -128.998 -> -128 */ {-1040, 0}, /* -129 -> -1, clamped */
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.dc);
        TestJpeg grey;
        grey.blocks = {dcOnly(row.dc)};
        JpegDecoder d;
        ASSERT_TRUE(d.decode(grey.encode()));
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(pixelAt(d, x, y), (std::array<int, 3>{row.sample, row.sample, row.sample}));
        }
    }
}

TEST(JpegArithmetic, FirstHarmonicsFollowTheFourDecimalBasis)
{
    // F = 100 at u = 1 (zig-zag 1): samples 0.7071 * 100 * M[1][x] / 4,
    // truncated: 70.71 * {0.9808, 0.8315, 0.5556, 0.1951} / 4 = 17.34, 14.70,
    // 9.82, 3.45, mirrored with negative sign.
    const std::array<int, 8> profile = {145, 142, 137, 131, 125, 119, 114, 111};
    Block horizontal{};
    horizontal[1] = 100;
    Block vertical{};
    vertical[2] = 100; // zig-zag 2 is row 1, column 0
    for (const bool across : {true, false}) {
        TestJpeg grey;
        grey.blocks = {across ? horizontal : vertical};
        JpegDecoder d;
        ASSERT_TRUE(d.decode(grey.encode()));
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                const int expected = profile[static_cast<std::size_t>(across ? x : y)];
                ASSERT_EQ(pixelAt(d, x, y)[1], expected) << x << "," << y;
            }
        }
    }
}

TEST(JpegArithmetic, QuantisationScalesInZigZagOrder)
{
    // Coefficient 25 with quantiser 4 must equal coefficient 100 with 1.
    TestJpeg scaled;
    scaled.quant0[1] = 4;
    Block b{};
    b[1] = 25;
    scaled.blocks = {b};
    JpegDecoder d;
    ASSERT_TRUE(d.decode(scaled.encode()));
    EXPECT_EQ(pixelAt(d, 0, 0)[0], 145);
    EXPECT_EQ(pixelAt(d, 7, 0)[0], 111);
}

TEST(JpegArithmetic, ColourConversionClampsThenTruncates)
{
    struct Row {
        int yDc, cbDc, crDc;
        std::array<int, 3> bgr;
    };
    const Row rows[] = {
        {0, 0, 0, {128, 128, 128}},
        // Y 255 (clamped), Cb 128, Cr 255: R = 255 + 1.402 * 127 = 433.05 -> 255,
        // G = 255 - 0.71414 * 127 = 164.30 -> 164, B = 255.
        {1040, 0, 1040, {255, 164, 255}},
        // Y 100, Cb 60, Cr 200: R = 100 + 100.944 -> 200, G = 100 + 23.40 - 51.42
        // = 71.98 -> 71 (truncated, not rounded), B = 100 - 120.50 -> 0.
        {-226, -545, 577, {0, 71, 200}},
    };
    for (const Row& row : rows) {
        TestJpeg colour;
        colour.components = {{1, 1, 0}, {1, 1, 1}, {1, 1, 1}};
        colour.blocks = {dcOnly(row.yDc), dcOnly(row.cbDc), dcOnly(row.crDc)};
        JpegDecoder d;
        ASSERT_TRUE(d.decode(colour.encode()));
        EXPECT_EQ(pixelAt(d, 3, 4), row.bgr);
        EXPECT_EQ(pixelAt(d, 7, 7), row.bgr);
    }
}

TEST(JpegArithmetic, ChromaIsReplicatedOverTwoByTwoSquares)
{
    TestJpeg yuv420;
    yuv420.width = 16;
    yuv420.height = 16;
    yuv420.components = {{2, 2, 0}, {1, 1, 1}, {1, 1, 1}};
    Block cb{};
    cb[1] = 90;
    cb[2] = -60;
    cb[4] = 40;
    yuv420.blocks = {dcOnly(0), dcOnly(0), dcOnly(0), dcOnly(0), cb, dcOnly(0)};
    JpegDecoder d;
    ASSERT_TRUE(d.decode(yuv420.encode()));
    int distinctSquares = 0;
    for (int y = 0; y < 16; y += 2) {
        for (int x = 0; x < 16; x += 2) {
            const auto p = pixelAt(d, x, y);
            EXPECT_EQ(pixelAt(d, x + 1, y), p);
            EXPECT_EQ(pixelAt(d, x, y + 1), p);
            EXPECT_EQ(pixelAt(d, x + 1, y + 1), p);
            if (x > 0 && pixelAt(d, x - 2, y) != p)
                ++distinctSquares;
        }
    }
    EXPECT_GT(distinctSquares, 20); // the chroma really varies
}

TEST(JpegArithmetic, UnevenSamplingKeepsTheMcuBuffersOtherSamples)
{
    // Luminance 3 x 1, chroma 2 x 1: chroma covers 16 of the MCU's 24 columns
    // (replication factor 3 / 2 = 1); the rest keeps what the buffer held.
    TestJpeg odd;
    odd.width = 24;
    odd.components = {{3, 1, 0}, {2, 1, 1}, {2, 1, 1}};
    odd.blocks = {dcOnly(0), dcOnly(0), dcOnly(0), dcOnly(-545), dcOnly(-545), dcOnly(0), dcOnly(0)};
    JpegDecoder d;
    ASSERT_TRUE(d.decode(odd.encode()));
    // Y 128, Cb 60, Cr 128: B = 128 - 120.50 = 7.50 -> 7.
    EXPECT_EQ(pixelAt(d, 0, 0)[0], 7);
    EXPECT_EQ(pixelAt(d, 15, 7)[0], 7);
    // Columns 16..23 never got chroma: the buffer started as zeros, so
    // Cb = Cr = 0 and B = 128 - 226.8 -> 0, R = 128 - 179.5 -> 0.
    EXPECT_EQ(pixelAt(d, 16, 0), (std::array<int, 3>{0, 255, 0}));
}

// --------------------------------------------------------------------- guards

std::size_t findMarker(const std::vector<std::uint8_t>& bytes, std::uint8_t marker)
{
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == marker)
            return i;
    }
    return bytes.size();
}

std::vector<std::uint8_t> plainGrey()
{
    TestJpeg grey;
    grey.blocks = {dcOnly(100)};
    return grey.encode();
}

TEST(JpegGuards, MalformedDataGivesNoImage)
{
    struct Row {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Row> rows;
    rows.push_back({"empty", {}});
    {
        std::vector<std::uint8_t> b = plainGrey();
        b[1] = 0xD7; // no SOI anywhere
        rows.push_back({"no SOI", b});
    }
    {
        TestJpeg grey;
        rows.push_back({"code matching no length", grey.encodeWith({0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00})});
    }
    {
        test::EntropyBits bits;
        bits.dcCategory(0);
        for (int i = 0; i < 4; ++i) { // k = 16, 32, 48, then 64
            bits.acSymbol(15, 1);
            bits.value(1, 1);
        }
        bits.padToByte();
        TestJpeg grey;
        rows.push_back({"AC index past 63", grey.encodeWith(bits.bytes)});
    }
    {
        std::vector<std::uint8_t> b = plainGrey();
        b[findMarker(b, 0xDA) + 6] = 0x10; // DC table 1 was never defined
        rows.push_back({"absent DC table", b});
        b[findMarker(b, 0xDA) + 6] = 0x05; // AC slot 16 + 5 is past the 20 slots
        rows.push_back({"AC selector past the slots", b});
    }
    {
        std::vector<std::uint8_t> b = plainGrey();
        b[findMarker(b, 0xC0) + 11] = 0x01; // H = 0
        rows.push_back({"sampling factor 0", b});
        b[findMarker(b, 0xC0) + 11] = 0x51; // H = 5
        rows.push_back({"sampling factor 5", b});
    }
    {
        std::vector<std::uint8_t> b = plainGrey();
        const std::size_t sof = findMarker(b, 0xC0);
        b[sof + 7] = 0x4E; // width 20000
        b[sof + 8] = 0x20;
        rows.push_back({"frame wider than the limit", b});
    }
    {
        TestJpeg four;
        four.components = {{1, 1, 0}, {1, 1, 0}, {1, 1, 0}, {1, 1, 0}};
        rows.push_back({"four components", four.encode()});
    }
    {
        std::vector<std::uint8_t> b = readJpeg("yuv420_320x240.jpg");
        b.resize(b.size() / 2);
        rows.push_back({"entropy data cut short", b});
    }
    {
        std::vector<std::uint8_t> b = plainGrey();
        b.resize(findMarker(b, 0xDA) + 8); // inside the scan header
        rows.push_back({"file ends in the scan header", b});
    }
    {
        std::vector<std::uint8_t> b = plainGrey();
        const std::vector<std::uint8_t> dac = {0xFF, 0xCC, 0x00, 0x04, 0x00, 0x00};
        b.insert(b.begin() + 2, dac.begin(), dac.end());
        rows.push_back({"unknown marker (DAC) before the scan", b});
    }
    rows.push_back({"progressive", readJpeg("progressive_64.jpg")});
    rows.push_back({"arithmetic coded", readJpeg("arithmetic_64.jpg")});

    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        JpegDecoder d;
        EXPECT_FALSE(d.decode(row.bytes));
        EXPECT_EQ(d.width(), 0);
        EXPECT_EQ(d.height(), 0);
        EXPECT_EQ(d.pixels(), nullptr);
    }
}

TEST(JpegGuards, EndOfDataIsAFailureOnlyWhenBitsAreMissing)
{
    // The reader fetches ahead, but running out matters only for bits the
    // decode really needs: without its EOI the file still decodes the same,
    // without the last entropy byte it does not.
    const std::vector<std::uint8_t> whole = readJpeg("yuv420_61x36.jpg");
    ASSERT_EQ(whole[whole.size() - 2], 0xFF);
    ASSERT_EQ(whole.back(), 0xD9);
    JpegDecoder reference;
    ASSERT_TRUE(reference.decode(whole));
    const std::vector<std::uint8_t> noEoi(whole.begin(), whole.end() - 2);
    JpegDecoder d;
    ASSERT_TRUE(d.decode(noEoi));
    EXPECT_TRUE(std::ranges::equal(reference.pixelBytes(), d.pixelBytes()));
    const std::vector<std::uint8_t> short1(whole.begin(), whole.end() - 3);
    EXPECT_FALSE(d.decode(short1));
}

TEST(JpegGuards, FailedDecodeClearsAnEarlierImage)
{
    JpegDecoder d;
    ASSERT_TRUE(d.decode(plainGrey()));
    EXPECT_FALSE(d.decode(readJpeg("progressive_64.jpg")));
    EXPECT_EQ(d.pixels(), nullptr);
}

// The walk takes one segment per handler per pass and gives up after 51
// passes. With n comment segments after SOI, pass n skips the last comment
// and reads the first DQT; pass n + 1 the second DQT and SOF0; n + 2 the first
// DHT; n + 3 the second DHT and SOS. So 48 comments still decode, 49 do not.
TEST(JpegWalk, GivesUpAfterFiftyOnePasses)
{
    const std::vector<std::uint8_t> base = plainGrey();
    JpegDecoder reference;
    ASSERT_TRUE(reference.decode(base));
    for (const auto& [comments, decodes] : std::vector<std::pair<int, bool>>{{40, true}, {48, true}, {49, false}}) {
        SCOPED_TRACE(comments);
        std::vector<std::uint8_t> b = base;
        for (int i = 0; i < comments; ++i) {
            const std::vector<std::uint8_t> com = {0xFF, 0xFE, 0x00, 0x03, 'x'};
            b.insert(b.begin() + 2, com.begin(), com.end());
        }
        JpegDecoder d;
        EXPECT_EQ(d.decode(b), decodes);
        if (decodes) {
            EXPECT_TRUE(std::ranges::equal(reference.pixelBytes(), d.pixelBytes()));
        }
    }
}

TEST(JpegResource, DecodesTypeJpgByIdentifier)
{
    MemoryResources resources;
    resources.add("Jpg", 150, readJpeg("yuv444_128_merged.jpg"));
    resources.add("WAVE", 151, readJpeg("yuv420_61x36.jpg"));
    JpegDecoder d;
    EXPECT_TRUE(d.decode(resources, 150));
    EXPECT_EQ(d.width(), 128);
    EXPECT_TRUE(d.decode(resources, 150 + 0x10000)); // only the low 16 bits count
    EXPECT_FALSE(d.decode(resources, 151));           // wrong type
    EXPECT_FALSE(d.decode(resources, 148));           // missing
}

} // namespace
} // namespace orbit

// JpegDecoder: golden hashes of committed files (which also pin sizes, row
// padding, sampling layouts and restart intervals), the decoder's fixed arithmetic
// on hand-made blocks (expected samples worked out from the formulas), and the
// guards against malformed data.
#include "TestJpegWriter.h"
#include "image/JpegDecoder.h"
#include "image/JpegKernels.h"
#include "platform/MemoryResources.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace orbit {
namespace {

using test::Block;
using test::dcOnly;
using test::TestJpeg;

std::vector<std::uint8_t> readJpeg(const std::string& name)
{
    return test::readFileBytes(std::string(ORBIT_TEST_DATA_DIR) + "/image/jpeg/" + name);
}

std::string fnv1a(std::span<const std::uint8_t> bytes)
{
    std::uint64_t h = 1469598103934665603ull;
    for (std::uint8_t b : bytes)
        h = (h ^ b) * 1099511628211ull;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
    return hex;
}

// Pixel (x, y) of the picture, y counted from the top, as B, G, R.
std::array<int, 3> pixelAt(const JpegDecoder& d, int x, int y)
{
    const std::uint8_t* p = d.pixels() + static_cast<std::size_t>(d.height() - 1 - y) * d.stride() + 3 * x;
    return {p[0], p[1], p[2]};
}

// The hashes hold on every kernel build this machine runs (the scalar and the
// portable vector one everywhere; SSE2 and AVX2 on x86).
class JpegGolden : public testing::TestWithParam<jpeg::KernelPath> {
protected:
    void SetUp() override { ASSERT_TRUE(jpeg::selectKernelPath(GetParam())); }
    void TearDown() override { jpeg::selectKernelPath(jpeg::availableKernelPaths().back()); }
};

INSTANTIATE_TEST_SUITE_P(Kernels, JpegGolden, testing::ValuesIn(jpeg::availableKernelPaths()),
                         [](const auto& info) { return std::string(jpeg::kernelPathName(info.param)); });

TEST_P(JpegGolden, EveryCommittedFileMatchesItsRecordedHash)
{
    EXPECT_EQ(jpeg::kernels().path, GetParam());
    std::ifstream in(std::string(ORBIT_TEST_DATA_DIR) + "/image/jpeg-hashes.txt");
    int files = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string name, hash;
        int width = 0, height = 0;
        fields >> name >> width >> height >> hash;
        SCOPED_TRACE(name);
        ++files;
        JpegDecoder decoder;
        const bool ok = decoder.decode(readJpeg(name));
        EXPECT_EQ(decoder.width(), width);
        EXPECT_EQ(decoder.height(), height);
        EXPECT_EQ(ok, hash != "-");
        if (!ok)
            continue;
        ASSERT_EQ(decoder.pixelBytes().size(), decoder.stride() * decoder.height());
        EXPECT_EQ(fnv1a(decoder.pixelBytes()), hash);
    }
    EXPECT_GE(files, 15);
}

JpegDecoder decodeBlocks(const TestJpeg& jpeg)
{
    JpegDecoder d;
    EXPECT_TRUE(d.decode(jpeg.encode()));
    return d;
}

// A DC-only block gives trunc(F * 0.7071 * 0.7071 * 0.25) + 128, clamped;
// 0.7071^2 is a hair under one half and truncation goes toward zero.
TEST(JpegArithmetic, DcOnlyBlocksTruncateTowardZeroThenClamp)
{
    const std::pair<int, int> rows[] = {
        {8, 128}, {-8, 128}, {-9, 127}, {1016, 254} /* rounding would give 255 */, {1040, 255}, {-1040, 0}};
    for (const auto& [dc, sample] : rows) {
        SCOPED_TRACE(dc);
        TestJpeg grey;
        grey.blocks = {dcOnly(dc)};
        const JpegDecoder d = decodeBlocks(grey);
        EXPECT_EQ(pixelAt(d, 0, 0), (std::array<int, 3>{sample, sample, sample}));
        EXPECT_EQ(pixelAt(d, 7, 7), (std::array<int, 3>{sample, sample, sample}));
    }
}

TEST(JpegArithmetic, HarmonicsFollowTheFourDecimalBasisAfterZigZagQuantisation)
{
    // F = 100 at u = 1: 70.71 * {0.9808, 0.8315, 0.5556, 0.1951} / 4 truncated,
    // mirrored with negative sign. Coefficient 25 with quantiser 4 is the same.
    const std::array<int, 8> profile = {145, 142, 137, 131, 125, 119, 114, 111};
    for (const int zigZag : {1, 2}) { // 1 is row 0, column 1; 2 is row 1, column 0
        TestJpeg grey;
        grey.quant0[static_cast<std::size_t>(zigZag)] = 4;
        Block b{};
        b[static_cast<std::size_t>(zigZag)] = 25;
        grey.blocks = {b};
        const JpegDecoder d = decodeBlocks(grey);
        for (int i = 0; i < 8; ++i) {
            const int along = zigZag == 1 ? pixelAt(d, i, 5)[1] : pixelAt(d, 5, i)[1];
            EXPECT_EQ(along, profile[static_cast<std::size_t>(i)]) << zigZag << " at " << i;
        }
    }
}

TEST(JpegArithmetic, ColourConversionClampsThenTruncates)
{
    struct Row {
        int yDc, cbDc, crDc;
        std::array<int, 3> bgr;
    };
    const Row rows[] = {
        // Y 255 (clamped), Cb 128, Cr 255: R = 433.05 -> 255, G = 164.30 -> 164.
        {1040, 0, 1040, {255, 164, 255}},
        // Y 100, Cb 60, Cr 200: G = 71.98 -> 71 (truncated), B = -20.5 -> 0.
        {-226, -545, 577, {0, 71, 200}},
    };
    for (const Row& row : rows) {
        TestJpeg colour;
        colour.components = {{1, 1, 0}, {1, 1, 1}, {1, 1, 1}};
        colour.blocks = {dcOnly(row.yDc), dcOnly(row.cbDc), dcOnly(row.crDc)};
        EXPECT_EQ(pixelAt(decodeBlocks(colour), 3, 4), row.bgr);
    }
}

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

// Changes one byte at `offset` past the first `marker`.
std::vector<std::uint8_t> patched(std::uint8_t marker, std::size_t offset, std::uint8_t value)
{
    std::vector<std::uint8_t> b = plainGrey();
    b[findMarker(b, marker) + offset] = value;
    return b;
}

TEST(JpegGuards, MalformedDataGivesNoImageAndClearsTheLastOne)
{
    test::EntropyBits past63;
    past63.put(0, 4);
    for (int i = 0; i < 4; ++i) { // k = 16, 32, 48, then 64
        past63.acSymbol(15, 1);
        past63.value(1, 1);
    }
    past63.padToByte();
    const TestJpeg grey;
    TestJpeg four;
    four.components = {{1, 1, 0}, {1, 1, 0}, {1, 1, 0}, {1, 1, 0}};
    std::vector<std::uint8_t> cut = readJpeg("yuv420_320x240.jpg");
    cut.resize(cut.size() / 2);
    std::vector<std::uint8_t> inScanHeader = plainGrey();
    inScanHeader.resize(findMarker(inScanHeader, 0xDA) + 8);
    std::vector<std::uint8_t> dac = plainGrey();
    dac.insert(dac.begin() + 2, {0xFF, 0xCC, 0x00, 0x04, 0x00, 0x00});
    std::vector<std::uint8_t> wide = patched(0xC0, 7, 0x4E); // width 20000
    wide[findMarker(wide, 0xC0) + 8] = 0x20;

    const std::pair<const char*, std::vector<std::uint8_t>> rows[] = {
        {"empty", {}},
        {"no SOI", patched(0xD8, 1, 0xD7)},
        {"code matching no length", grey.encodeWith({0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00})},
        {"AC index past 63", grey.encodeWith(past63.bytes)},
        {"absent DC table", patched(0xDA, 6, 0x10)},
        {"AC selector past the slots", patched(0xDA, 6, 0x05)},
        {"sampling factor 0", patched(0xC0, 11, 0x01)},
        {"sampling factor 5", patched(0xC0, 11, 0x51)},
        {"frame wider than the limit", wide},
        {"four components", four.encode()},
        {"entropy data cut short", cut},
        {"file ends in the scan header", inScanHeader},
        {"unknown marker (DAC) before the scan", dac},
        {"progressive", readJpeg("progressive_64.jpg")},
        {"arithmetic coded", readJpeg("arithmetic_64.jpg")},
    };
    for (const auto& [what, bytes] : rows) {
        SCOPED_TRACE(what);
        JpegDecoder d;
        ASSERT_TRUE(d.decode(plainGrey()));
        EXPECT_FALSE(d.decode(bytes));
        EXPECT_EQ(d.width(), 0);
        EXPECT_EQ(d.height(), 0);
        EXPECT_EQ(d.pixels(), nullptr);
    }
}

TEST(JpegGuards, EndOfDataIsAFailureOnlyWhenBitsAreMissing)
{
    // The reader fetches ahead, but only bits the decode needs count: without
    // its EOI the file decodes the same, without the last entropy byte not.
    const std::vector<std::uint8_t> whole = readJpeg("yuv420_61x36.jpg");
    ASSERT_EQ(whole.back(), 0xD9);
    JpegDecoder reference, d;
    ASSERT_TRUE(reference.decode(whole));
    ASSERT_TRUE(d.decode(std::vector<std::uint8_t>(whole.begin(), whole.end() - 2)));
    EXPECT_TRUE(std::ranges::equal(reference.pixelBytes(), d.pixelBytes()));
    EXPECT_FALSE(d.decode(std::vector<std::uint8_t>(whole.begin(), whole.end() - 3)));
}

// The walk takes one segment per handler per pass and gives up after 51
// passes: with n comments after SOI the SOS is reached in pass n + 3, so 48
// comments still decode and 49 do not.
TEST(JpegWalk, GivesUpAfterFiftyOnePasses)
{
    for (const auto& [comments, decodes] : {std::pair{48, true}, {49, false}}) {
        std::vector<std::uint8_t> b = plainGrey();
        for (int i = 0; i < comments; ++i)
            b.insert(b.begin() + 2, {0xFF, 0xFE, 0x00, 0x03, 'x'});
        JpegDecoder d;
        EXPECT_EQ(d.decode(b), decodes) << comments;
    }
}

TEST(JpegResource, DecodesTypeJpgByIdentifier)
{
    MemoryResources resources;
    resources.add("Jpg", 150, readJpeg("yuv444_128_merged.jpg"));
    resources.add("WAVE", 151, readJpeg("yuv420_61x36.jpg"));
    JpegDecoder d;
    EXPECT_TRUE(d.decode(resources, 150 + 0x10000)); // only the low 16 bits count
    EXPECT_EQ(d.width(), 128);
    EXPECT_FALSE(d.decode(resources, 151)); // wrong type
    EXPECT_FALSE(d.decode(resources, 148)); // missing
}

} // namespace
} // namespace orbit

// JpegDecoder: golden hashes of committed files on every kernel path, and the
// guards against malformed data.
#include "TestImageFiles.h"
#include "image/JpegDecoder.h"
#include "image/JpegKernels.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace orbit {
namespace {

using test::Bytes;
using test::GreyJpeg;

Bytes readJpeg(const std::string& name)
{
    return test::readFileBytes(std::string(ORBIT_TEST_DATA_DIR) + "/image/jpeg/" + name);
}

std::uint64_t fnv1a(std::span<const std::uint8_t> bytes)
{
    std::uint64_t h = 1469598103934665603ull;
    for (std::uint8_t b : bytes)
        h = (h ^ b) * 1099511628211ull;
    return h;
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
        EXPECT_EQ(fnv1a(decoder.pixelBytes()), std::stoull(hash, nullptr, 16));
    }
    EXPECT_GE(files, 15);
}

std::size_t findMarker(const Bytes& bytes, std::uint8_t marker)
{
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == marker)
            return i;
    }
    return bytes.size();
}

// file with the byte `offset` past its first `marker` set to value.
Bytes patched(Bytes file, std::uint8_t marker, std::size_t offset, std::uint8_t value)
{
    file[findMarker(file, marker) + offset] = value;
    return file;
}

TEST(JpegGuards, MalformedDataGivesNoImageAndClearsTheLastOne)
{
    const Bytes grey = GreyJpeg{}.build();
    // Real tables leave the all-ones code unused: no code of any length.
    Bytes allOnes = readJpeg("yuv420_1x1.jpg");
    allOnes.resize(findMarker(allOnes, 0xDA) + 14);
    allOnes.insert(allOnes.end(), {0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0xD9});

    const std::pair<const char*, Bytes> rows[] = {
        {"no SOI", patched(grey, 0xD8, 1, 0xD7)},
        {"code matching no length", allOnes},
        // DC code, then four (run 15, value) codes: k = 16, 32, 48, 64.
        {"AC index past 63", GreyJpeg{.acCodeOne = 0xF1, .scan = {0x55, 0x00}}.build()},
        {"absent DC table", patched(grey, 0xDA, 6, 0x10)},
        {"AC selector past the slots", patched(grey, 0xDA, 6, 0x05)},
        {"sampling factor 0", patched(grey, 0xC0, 11, 0x01)},
        {"four components", GreyJpeg{.frameComponents = 4}.build()},
        {"scan of no components", patched(grey, 0xDA, 4, 0)},
        {"scan of more components than its frame", GreyJpeg{.scanComponents = 2}.build()},
        {"frame wider than the limit", GreyJpeg{.width = JpegDecoder::maxSide + 1}.build()},
        // A first scan decodes (from the segments after its header); a
        // second one is refused all the same.
        {"second scan with too little data for its frame",
         GreyJpeg{.width = 32, .height = 32, .afterScanHeader = test::scanHeader()}.build()},
    };
    for (const auto& [what, bytes] : rows) {
        SCOPED_TRACE(what);
        JpegDecoder d;
        ASSERT_TRUE(d.decode(grey));
        EXPECT_FALSE(d.decode(bytes));
        EXPECT_EQ(d.width(), 0);
        EXPECT_EQ(d.pixels(), nullptr);
    }
}

TEST(JpegGuards, EndOfDataIsAFailureOnlyWhenBitsAreMissing)
{
    // The reader fetches ahead, but only bits the decode needs count: without
    // its EOI the file decodes the same, without the last entropy byte not.
    const Bytes whole = readJpeg("yuv420_61x36.jpg");
    ASSERT_EQ(whole.back(), 0xD9);
    JpegDecoder reference, d;
    ASSERT_TRUE(reference.decode(whole));
    ASSERT_TRUE(d.decode(Bytes(whole.begin(), whole.end() - 2)));
    EXPECT_TRUE(std::ranges::equal(reference.pixelBytes(), d.pixelBytes()));
    EXPECT_FALSE(d.decode(Bytes(whole.begin(), whole.end() - 3)));
}

} // namespace
} // namespace orbit

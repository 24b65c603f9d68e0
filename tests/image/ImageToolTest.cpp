// The jpeg, bmp and tga subcommands of orbit-patrol-inspect, run as a user
// would: output files upright with the right netpbm headers, exit status 1
// with the loader's message for refused input, 2 with usage for bad calls.
#include "image/BmpFile.h"
#include "image/JpegDecoder.h"
#include "image/TgaFile.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace orbit {
namespace {

const std::string tool = std::string(ORBIT_BINARY_DIR) + "/tools/orbit-patrol-inspect";
const std::string data = std::string(ORBIT_TEST_DATA_DIR) + "/image/";
using Bytes = std::vector<std::uint8_t>;

// Rows of `rowBytes` taken `stride` apart, last row first.
Bytes flipped(const std::uint8_t* rows, std::size_t count, std::size_t rowBytes, std::size_t stride)
{
    Bytes out;
    for (std::size_t r = count; r-- > 0;)
        out.insert(out.end(), rows + r * stride, rows + r * stride + rowBytes);
    return out;
}

class InspectImage : public ::testing::Test {
protected:
    // Exit status and standard error of one run.
    // shellPrefix runs before the tool in the same shell (a ulimit).
    std::pair<int, std::string> run(const std::string& args, const std::string& shellPrefix = "")
    {
        const std::string errFile = out("stderr.txt");
        const int raw = std::system((shellPrefix + tool + " " + args + " 2>" + errFile).c_str());
        std::stringstream s;
        s << std::ifstream(errFile).rdbuf();
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, s.str()};
    }
    // Runs a conversion and compares the whole output file.
    void expectOutput(const std::string& args, const std::string& header, const Bytes& body)
    {
        const auto [status, err] = run(args + " -o " + out("out"));
        ASSERT_EQ(status, 0) << err;
        Bytes expected(header.begin(), header.end());
        expected.insert(expected.end(), body.begin(), body.end());
        EXPECT_EQ(test::readFileBytes(out("out")), expected) << args;
    }
    std::string out(const std::string& name) const { return (dir.path() / name).string(); }
    test::ScratchDir dir{"inspect-image"};
};

TEST_F(InspectImage, ImagesAreWrittenUpright)
{
    const std::string jpeg = data + "jpeg/yuv420_61x36.jpg";
    JpegDecoder d;
    ASSERT_TRUE(d.decode(test::readFileBytes(jpeg)));
    Bytes rgb = flipped(d.pixels(), 36, 61 * 3, d.stride());
    for (std::size_t i = 0; i < rgb.size(); i += 3)
        std::swap(rgb[i], rgb[i + 2]);
    expectOutput("jpeg " + jpeg, "P6\n61 36\n255\n", rgb);

    const std::string bmp = data + "bmp/pal8_13x7.bmp";
    const BmpResult record = readBmpFile(bmp);
    ASSERT_TRUE(record.ok());
    expectOutput("bmp " + bmp, "P6\n13 7\n255\n", flipped(record.record.data.data(), 7, 39, 39));

    // A texture's row 0 is the picture's bottom row: written last.
    const TgaResult tga = readTgaFile(data + "tga/rgba32_14x8.tga");
    ASSERT_TRUE(tga.ok());
    expectOutput("tga " + data + "tga/rgba32_14x8.tga",
                 "P7\nWIDTH 14\nHEIGHT 8\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n",
                 flipped(tga.image.pixels.data(), 8, 56, 56));
    const TgaResult tga24 = readTgaFile(data + "tga/rle24_14x8.tga");
    expectOutput("tga " + data + "tga/rle24_14x8.tga", "P7\nWIDTH 14\nHEIGHT 8\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n",
                 flipped(tga24.image.pixels.data(), 8, 42, 42));
}

TEST_F(InspectImage, RefusedInputExitsOneWithOneLine)
{
    const std::string v5 = data + "bmp/v5_rgb24_13x7.bmp";
    const std::string progressive = data + "jpeg/progressive_64.jpg";
    const std::pair<std::string, std::string> rows[] = {
        {"jpeg " + progressive, "orbit-patrol-inspect: " + progressive + ": no image (not a baseline JPEG this decoder reads)\n"},
        {"jpeg " + out("none.jpg"), "orbit-patrol-inspect: cannot read " + out("none.jpg") + "\n"},
        {"bmp " + v5, "Unknown DIB file format.\n"},
        {"bmp " + out("none.bmp"), "Failed to open DIB file " + out("none.bmp") + ".\n"},
        {"tga " + out("none.tga"), "Failed to open TGA Texture File: " + out("none.tga") + ".\n"},
    };
    for (const auto& [args, expectedErr] : rows)
        EXPECT_EQ(run(args + " -o " + out("x")), (std::pair<int, std::string>{1, expectedErr}));
}

#if !defined(__SANITIZE_ADDRESS__)
// A (sparse) 1 GiB file cannot be buffered under a 700 MB address-space cap:
// each command reports it as unreadable instead of aborting.
TEST_F(InspectImage, UnbufferableFileIsReportedAsUnreadable)
{
    const std::string huge = out("huge");
    std::ofstream(huge).close();
    ASSERT_EQ(truncate(huge.c_str(), (1 << 30) - 1), 0);
    const std::pair<std::string, std::string> rows[] = {
        {"jpeg", "orbit-patrol-inspect: cannot read " + huge + "\n"},
        {"bmp", "Failed to open DIB file " + huge + ".\n"},
        {"tga", "Failed to open TGA Texture File: " + huge + ".\n"},
    };
    for (const auto& [command, expectedErr] : rows)
        EXPECT_EQ(run(command + " " + huge + " -o " + out("x"), "ulimit -v 700000; "),
                  (std::pair<int, std::string>{1, expectedErr}));
}
#endif

TEST_F(InspectImage, BadInvocationsShowUsage)
{
    const std::string jpg = data + "jpeg/yuv420_1x1.jpg";
    for (const std::string& args : {std::string("jpeg"), "jpeg " + jpg + " -o", "jpeg --resource abc -o " + out("x.ppm"),
                                    "bmp --resource 5 -o " + out("x.ppm"), "tga a.tga b.tga -o " + out("x.pam")}) {
        const auto [status, err] = run(args);
        EXPECT_EQ(status, 2) << args;
        EXPECT_NE(err.find("usage"), std::string::npos) << args;
    }
}

} // namespace
} // namespace orbit

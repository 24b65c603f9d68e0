// The jpeg, bmp and tga subcommands of orbit-patrol-inspect, run as a user
// would: output files upright with the right netpbm headers, exit status 1
// with the loader's message for refused or unbufferable input, 2 with usage
// for bad calls.
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

// header, then rows of rowBytes taken stride apart, last row first.
Bytes flipped(const std::string& header, const std::uint8_t* rows, int count, std::size_t rowBytes, std::size_t stride)
{
    Bytes out(header.begin(), header.end());
    for (std::size_t r = static_cast<std::size_t>(count); r-- > 0;)
        out.insert(out.end(), rows + r * stride, rows + r * stride + rowBytes);
    return out;
}

class InspectImage : public ::testing::Test {
protected:
    // Exit status and standard error of one run; shellPrefix runs before the
    // tool in the same shell (a ulimit).
    std::pair<int, std::string> run(const std::string& args, const std::string& shellPrefix = "")
    {
        const int raw = std::system((shellPrefix + tool + " " + args + " 2>" + out("stderr")).c_str());
        std::stringstream s;
        s << std::ifstream(out("stderr")).rdbuf();
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, s.str()};
    }
    std::string out(const std::string& name) const { return (dir.path() / name).string(); }
    test::ScratchDir dir{"inspect-image"};
};

TEST_F(InspectImage, ImagesAreWrittenUpright)
{
    const std::string jpeg = data + "jpeg/yuv420_61x36.jpg";
    JpegDecoder d;
    ASSERT_TRUE(d.decode(test::readFileBytes(jpeg)));
    Bytes ppm = flipped("P6\n61 36\n255\n", d.pixels(), 36, 61 * 3, d.stride());
    for (std::size_t i = 13; i < ppm.size(); i += 3) // B, G, R to R, G, B
        std::swap(ppm[i], ppm[i + 2]);
    const BmpResult bmp = readBmpFile(data + "bmp/pal8_13x7.bmp");
    // A texture's row 0 is the picture's bottom row: written last.
    const TgaResult tga = readTgaFile(data + "tga/rgba32_14x8.tga");
    const std::pair<std::string, Bytes> rows[] = {
        {"jpeg " + jpeg, ppm},
        {"bmp " + data + "bmp/pal8_13x7.bmp", flipped("P6\n13 7\n255\n", bmp.record.data.data(), 7, 39, 39)},
        {"tga " + data + "tga/rgba32_14x8.tga",
         flipped("P7\nWIDTH 14\nHEIGHT 8\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n", tga.image.pixels.data(), 8,
                 56, 56)},
    };
    for (const auto& [args, expected] : rows) {
        EXPECT_EQ(run(args + " -o " + out("out")), (std::pair<int, std::string>{0, ""}));
        EXPECT_EQ(test::readFileBytes(out("out")), expected) << args;
    }
}

TEST_F(InspectImage, RefusedInputExitsOneWithOneLine)
{
    const std::string v5 = data + "bmp/v5_rgb24_13x7.bmp";
    const std::string progressive = data + "jpeg/progressive_64.jpg";
    const std::pair<std::string, std::string> rows[] = {
        {"jpeg " + progressive,
         "orbit-patrol-inspect: " + progressive + ": no image (not a baseline JPEG this decoder reads)\n"},
        {"bmp " + v5, "Unknown DIB file format.\n"},
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

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

namespace orbit {
namespace {

const std::string tool = std::string(ORBIT_BINARY_DIR) + "/tools/orbit-patrol-inspect";
const std::string data = std::string(ORBIT_TEST_DATA_DIR) + "/image/";

struct ToolRun {
    int status = -1;
    std::string err;
};

class InspectImage : public ::testing::Test {
protected:
    ToolRun run(const std::string& args)
    {
        const std::string errFile = (dir.path() / "stderr.txt").string();
        const int raw = std::system((tool + " " + args + " 2>" + errFile).c_str());
        ToolRun r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        std::ifstream in(errFile);
        std::stringstream s;
        s << in.rdbuf();
        r.err = s.str();
        return r;
    }
    std::string out(const std::string& name) const { return (dir.path() / name).string(); }
    test::ScratchDir dir{"inspect-image"};
};

// Splits a netpbm file at the end of its header (which ends with the given tag).
std::pair<std::string, std::vector<std::uint8_t>> splitHeader(const std::vector<std::uint8_t>& file, std::size_t headerLines)
{
    std::size_t at = 0;
    for (std::size_t lines = 0; lines < headerLines && at < file.size(); ++at) {
        if (file[at] == '\n')
            ++lines;
    }
    return {std::string(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(at)),
            std::vector<std::uint8_t>(file.begin() + static_cast<std::ptrdiff_t>(at), file.end())};
}

TEST_F(InspectImage, JpegIsWrittenUprightAsRgb)
{
    const std::string input = data + "jpeg/yuv420_61x36.jpg";
    const ToolRun r = run("jpeg " + input + " -o " + out("a.ppm"));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto [header, body] = splitHeader(test::readFileBytes(out("a.ppm")), 3);
    EXPECT_EQ(header, "P6\n61 36\n255\n");
    JpegDecoder d;
    ASSERT_TRUE(d.decode(test::readFileBytes(input)));
    ASSERT_EQ(body.size(), 61u * 36u * 3u);
    for (int y : {0, 17, 35}) {
        for (int x : {0, 30, 60}) {
            const std::uint8_t* bgr = d.pixels() + static_cast<std::size_t>(35 - y) * d.stride() + 3 * x;
            const std::uint8_t* rgb = body.data() + (static_cast<std::size_t>(y) * 61 + x) * 3;
            EXPECT_EQ(rgb[0], bgr[2]);
            EXPECT_EQ(rgb[1], bgr[1]);
            EXPECT_EQ(rgb[2], bgr[0]);
        }
    }
}

TEST_F(InspectImage, BmpIsWrittenUpright)
{
    const std::string input = data + "bmp/pal8_13x7.bmp";
    const ToolRun r = run("bmp " + input + " -o " + out("b.ppm"));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto [header, body] = splitHeader(test::readFileBytes(out("b.ppm")), 3);
    EXPECT_EQ(header, "P6\n13 7\n255\n");
    const BmpResult record = readBmpFile(input);
    ASSERT_TRUE(record.ok());
    for (int y = 0; y < 7; ++y) {
        EXPECT_TRUE(std::equal(body.begin() + y * 39, body.begin() + y * 39 + 39,
                               record.record.data.begin() + (6 - y) * 39));
    }
}

TEST_F(InspectImage, TgaIsWrittenAsPamWithTextureRowZeroLast)
{
    const std::string input = data + "tga/rgba32_14x8.tga";
    const ToolRun r = run("tga " + input + " -o " + out("c.pam"));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto [header, body] = splitHeader(test::readFileBytes(out("c.pam")), 7);
    EXPECT_EQ(header, "P7\nWIDTH 14\nHEIGHT 8\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n");
    const TgaResult tga = readTgaFile(input);
    ASSERT_TRUE(tga.ok());
    ASSERT_EQ(body.size(), tga.image.pixels.size());
    EXPECT_TRUE(std::equal(body.end() - 56, body.end(), tga.image.pixels.begin()));
    EXPECT_TRUE(std::equal(body.begin(), body.begin() + 56, tga.image.pixels.end() - 56));

    const ToolRun rgb = run("tga " + data + "tga/rle24_14x8.tga -o " + out("d.pam"));
    ASSERT_EQ(rgb.status, 0) << rgb.err;
    EXPECT_EQ(splitHeader(test::readFileBytes(out("d.pam")), 7).first,
              "P7\nWIDTH 14\nHEIGHT 8\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n");
}

TEST_F(InspectImage, RefusedInputExitsOneWithOneLine)
{
    struct Row {
        std::string args;
        std::string expectedErr;
    };
    const std::string v5 = data + "bmp/v5_rgb24_13x7.bmp";
    const std::string progressive = data + "jpeg/progressive_64.jpg";
    const std::string missingTga = out("none.tga");
    const Row rows[] = {
        {"jpeg " + progressive + " -o " + out("x.ppm"),
         "orbit-patrol-inspect: " + progressive + ": no image (not a baseline JPEG this decoder reads)\n"},
        {"jpeg " + out("none.jpg") + " -o " + out("x.ppm"),
         "orbit-patrol-inspect: cannot read " + out("none.jpg") + "\n"},
        {"bmp " + v5 + " -o " + out("x.ppm"), "Unknown DIB file format.\n"},
        {"bmp " + out("none.bmp") + " -o " + out("x.ppm"), "Failed to open DIB file " + out("none.bmp") + ".\n"},
        {"tga " + missingTga + " -o " + out("x.pam"), "Failed to open TGA Texture File: " + missingTga + ".\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args);
        const ToolRun r = run(row.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, row.expectedErr);
    }
}

TEST_F(InspectImage, BadInvocationsShowUsage)
{
    const std::string jpg = data + "jpeg/yuv420_1x1.jpg";
    for (const std::string& args : {std::string("jpeg"), "jpeg " + jpg + " -o", "jpeg --resource abc -o " + out("x.ppm"),
                                    "bmp --resource 5 -o " + out("x.ppm"), "tga a.tga b.tga -o " + out("x.pam")}) {
        SCOPED_TRACE(args);
        const ToolRun r = run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("usage"), std::string::npos);
    }
}

} // namespace
} // namespace orbit

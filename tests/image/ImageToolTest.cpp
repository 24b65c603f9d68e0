// The jpeg, bmp and tga subcommands of orbit-patrol-inspect run as a user
// would: upright netpbm output, status 1 with the message, 2 with usage.
#include "image/BmpFile.h"
#include "image/JpegDecoder.h"
#include "image/TgaFile.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace orbit {
namespace {

using Bytes = std::vector<std::uint8_t>;

// header, then rows of rowBytes taken stride apart, last row first.
Bytes flipped(const std::string& header, const std::uint8_t* rows, int count, std::size_t rowBytes,
              std::size_t stride)
{
    Bytes out(header.begin(), header.end());
    for (std::size_t r = static_cast<std::size_t>(count); r-- > 0;)
        out.insert(out.end(), rows + r * stride, rows + r * stride + rowBytes);
    return out;
}

TEST(InspectImage, OutputsRefusalsAndUsage)
{
    const std::string data = std::string(ORBIT_TEST_DATA_DIR) + "/image/";
    test::ScratchDir dir("inspect-image");
    const std::string out = (dir.path() / "out").string();
    const std::string err = (dir.path() / "err").string();
    // A (sparse) 1 GiB file cannot be buffered under a 700 MB address-space
    // cap: it is reported as unreadable instead of an abort.
    const std::string huge = (dir.path() / "huge").string();
    std::ofstream(huge).close();
    ASSERT_EQ(truncate(huge.c_str(), (1 << 30) - 1), 0);
    const std::string tool = std::string(ORBIT_BINARY_DIR) + "/tools/orbit-patrol-inspect ";

    const std::string jpeg = data + "jpeg/yuv420_61x36.jpg";
    JpegDecoder d;
    ASSERT_TRUE(d.decode(test::readFileBytes(jpeg)));
    Bytes ppm = flipped("P6\n61 36\n255\n", d.pixels(), 36, 61 * 3, d.stride());
    for (std::size_t i = 13; i < ppm.size(); i += 3) // B, G, R to R, G, B
        std::swap(ppm[i], ppm[i + 2]);
    const BmpResult bmp = readBmpFile(data + "bmp/pal8_13x7.bmp");
    const TgaResult tga = readTgaFile(data + "tga/rgba32_14x8.tga"); // row 0 is the bottom row
    const std::string progressive = data + "jpeg/progressive_64.jpg";
    struct Row {
        std::string command; // a shell command, run with 2>err
        int status;
        std::string err; // the whole of standard error; with status 2, text it holds
        Bytes output{};  // the whole output file, when status is 0
    };
    const Row rows[] = {
        {tool + "jpeg " + jpeg + " -o " + out, 0, "", ppm},
        {tool + "bmp " + data + "bmp/pal8_13x7.bmp -o " + out, 0, "",
         flipped("P6\n13 7\n255\n", bmp.record.data.data(), 7, 39, 39)},
        {tool + "tga " + data + "tga/rgba32_14x8.tga -o " + out, 0, "",
         flipped("P7\nWIDTH 14\nHEIGHT 8\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n",
                 tga.image.pixels.data(), 8, 56, 56)},
        {tool + "jpeg " + progressive + " -o " + out, 1,
         "orbit-patrol-inspect: " + progressive + ": no image (not a baseline JPEG this decoder reads)\n"},
#if !defined(__SANITIZE_ADDRESS__)
        {"ulimit -v 700000; " + tool + "jpeg " + huge + " -o " + out, 1,
         "orbit-patrol-inspect: cannot read " + huge + "\n"},
#endif
        {tool + "jpeg " + jpeg + " -o", 2, "usage"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        std::filesystem::remove(out);
        const int raw = std::system((row.command + " 2>" + err).c_str());
        ASSERT_TRUE(WIFEXITED(raw));
        EXPECT_EQ(WEXITSTATUS(raw), row.status);
        std::stringstream text;
        text << std::ifstream(err).rdbuf();
        if (row.status == 2) {
            EXPECT_NE(text.str().find(row.err), std::string::npos);
        } else {
            EXPECT_EQ(text.str(), row.err);
        }
        if (row.status == 0) {
            EXPECT_EQ(test::readFileBytes(out), row.output);
        }
    }
}

} // namespace
} // namespace orbit

// DibImage: the layout of created images, and loading JPEG resources by the
// identifier's low 16 bits.
#include "image/DibImage.h"
#include "image/JpegDecoder.h"
#include "platform/MemoryResources.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace orbit {
namespace {

TEST(DibImage, CreateSetsPadAndSizeOrRefusesSizesItCannotHold)
{
    // Width, height, pad bytes per row and image bytes (0: refused).
    const std::array<int, 4> rows[] = {
        {3, 1, 3, 12},
        {0, 5, 0, 0},
        {5, 0, 0, 0},
        {DibImage::maxSide + 1, 1, 0, 0},
    };
    for (const auto& [width, height, pad, sizeImage] : rows) {
        SCOPED_TRACE(testing::Message() << width << " x " << height);
        DibImage image;
        ASSERT_EQ(image.create(width, height), sizeImage != 0 ? 1 : 0);
        EXPECT_EQ(image.bits() == nullptr, sizeImage == 0);
        EXPECT_EQ(image.rowPad(), pad);
        EXPECT_EQ(image.info().biSizeImage, static_cast<std::uint32_t>(sizeImage));
        EXPECT_EQ(image.size().height, sizeImage != 0 ? height : 0); // positive: bottom-up
        EXPECT_EQ(std::count(image.bits(), image.bits() + sizeImage, 0), sizeImage);
    }
}

TEST(DibImage, LoadJpegResourceCopiesTheDecodedArrayOrKeepsWhatItHeld)
{
    const auto bytes = test::readFileBytes(std::string(ORBIT_TEST_DATA_DIR) + "/image/jpeg/yuv420_61x36.jpg");
    MemoryResources resources;
    resources.add("Jpg", 148, bytes);
    DibImage image;
    ASSERT_EQ(image.loadJpegResource(resources, 148 + 0x10000), 1);
    JpegDecoder decoder;
    ASSERT_TRUE(decoder.decode(bytes));
    EXPECT_EQ(image.width(), 61);
    ASSERT_EQ(image.info().biSizeImage, decoder.pixelBytes().size());
    EXPECT_TRUE(std::equal(image.bits(), image.bits() + image.info().biSizeImage, decoder.pixels()));
    EXPECT_EQ(image.loadJpegResource(resources, 135), 0); // missing: the image held stays
    EXPECT_NE(image.bits(), nullptr);
}

} // namespace
} // namespace orbit

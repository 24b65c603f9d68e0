// Images for the dialogs: a decoded JPEG shown the right way up with its row
// padding skipped, stretching that never blends pixels, and icons and cursors
// from resource bytes or falling back when the resource is missing or broken.
#include "ui/DibImageDrawing.h"
#include "ui/ResourceImages.h"

#include "UiTestSupport.h"
#include "image/DibImage.h"
#include "platform/MemoryResources.h"
#include "resources/EmbeddedResources.h"

#include <QPainter>
#include <QSet>

namespace orbit {
namespace {

class ImagesTest : public test::QtTest {};

TEST_F(ImagesTest, DecodedPictureIsTopDownWithItsQuadrantsInPlace)
{
    // 35 x 20: rows of 105 bytes padded to 108; red, green / blue, near white, split at x 16, y 10.
    MemoryResources resources;
    resources.add("Jpg", 135, test::uiTestData("quadrants-35x20.jpg"));
    DibImage dib;
    ASSERT_EQ(dib.loadJpegResource(resources, 135), 1);
    ASSERT_EQ(dib.rowPad(), 3);
    const QImage image = toQImage(dib);
    ASSERT_EQ(image.size(), QSize(35, 20));
    const std::tuple<int, int, QRgb> probes[] = {{0, 0, qRgb(230, 20, 20)}, {30, 2, qRgb(20, 200, 20)},
                                                 {2, 17, qRgb(20, 20, 230)}, {34, 19, qRgb(240, 240, 240)}};
    for (const auto& [x, y, colour] : probes)
        EXPECT_TRUE(test::nearColour(image.pixel(x, y), colour, 12)) << x << "," << y;
    EXPECT_TRUE(toQImage(DibImage()).isNull());
}

TEST_F(ImagesTest, StretchingCopiesWholePixelsWithoutBlending)
{
    QImage source(2, 2, QImage::Format_RGB32);
    const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)};
    for (int i = 0; i < 4; ++i)
        source.setPixel(i % 2, i / 2, colours[i]);
    QImage target(14, 10, QImage::Format_RGB32);
    target.fill(Qt::black);
    {
        QPainter painter(&target);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true); // must be overridden
        ASSERT_TRUE(drawStretched(painter, source, 14, 10));
        EXPECT_FALSE(draw(DibImage(), painter, 14, 10)); // an empty image draws nothing
    }
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 14; ++x)
            EXPECT_EQ(target.pixel(x, y), source.pixel(x / 7, y / 5)) << x << "," << y;
}

TEST_F(ImagesTest, BuiltInHandsKeepTheirHotSpotsAndTransparency)
{
    EmbeddedResources resources;
    for (const auto& [id, hotSpot] : {std::pair{185, QPoint(12, 1)}, std::pair{184, QPoint(12, 3)}}) {
        const QCursor cursor = resourceCursor(resources, id, Qt::ForbiddenCursor);
        EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
        EXPECT_EQ(cursor.hotSpot(), hotSpot);
        const QImage image = cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(image.size(), QSize(32, 32));
        EXPECT_EQ(qAlpha(image.pixel(0, 0)) + qAlpha(image.pixel(31, 0)) + qAlpha(image.pixel(31, 31)), 0) << id;
        // The hot spot lies on the finger, right under its outlined tip.
        int top = 0;
        while (top < 32 && qAlpha(image.pixel(hotSpot.x(), top)) == 0)
            ++top;
        EXPECT_EQ(top, hotSpot.y() - 1) << id;
        EXPECT_EQ(qAlpha(image.pixel(hotSpot.x(), hotSpot.y() + 2)), 255) << id;
    }
}

TEST_F(ImagesTest, BuiltInIconHasThirtyTwoAndSixteenPixelPicturesInSixteenColours)
{
    const QIcon icon = resourceIcon(EmbeddedResources(), 128);
    for (int size : {32, 16}) {
        SCOPED_TRACE(size);
        ASSERT_TRUE(icon.availableSizes().contains(QSize(size, size)));
        const QImage image = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(image.size(), QSize(size, size));
        QSet<QRgb> colours;
        int transparent = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QRgb pixel = image.pixel(x, y);
                transparent += qAlpha(pixel) == 0;
                if (qAlpha(pixel) != 0)
                    colours.insert(pixel);
            }
        }
        EXPECT_TRUE(colours.size() >= 4 && colours.size() <= 16) << "not blank, no more than 16: " << colours.size();
        EXPECT_GT(transparent, size * size / 8) << "the shape has a see-through surround";
        EXPECT_EQ(std::pair(qAlpha(image.pixel(0, 0)), qAlpha(image.pixel(size / 2, size / 2))), std::pair(0, 255));
    }
}

TEST_F(ImagesTest, MissingBrokenOrMistypedResourcesFallBack)
{
    const EmbeddedResources builtIn;
    const std::span<const std::uint8_t> hand = builtIn.find("CURSOR", 185);
    MemoryResources resources;
    resources.add("CURSOR", 184, {0, 0, 2, 0, 1, 0, 32}); // truncated directory
    resources.add("ICON", 185, {hand.begin(), hand.end()}); // a cursor filed as an icon
    for (int id : {184, 185, 186})
        EXPECT_EQ(resourceCursor(resources, id, Qt::PointingHandCursor).shape(), Qt::PointingHandCursor) << id;
    EXPECT_TRUE(resourceIcon(MemoryResources(), 128).isNull());
    EXPECT_TRUE(resourceIcon(resources, 185).isNull());
}

} // namespace
} // namespace orbit

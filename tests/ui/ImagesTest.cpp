// Images for the dialogs: a decoded JPEG shown the right way up with its row
// padding skipped, stretching that never blends pixels, and icons and cursors
// built from resource bytes or falling back when the resource is missing.
#include "ui/DibImageDrawing.h"
#include "ui/ResourceImages.h"

#include "UiTestSupport.h"
#include "image/DibImage.h"
#include "platform/MemoryResources.h"
#include "resources/EmbeddedResources.h"

#include <QPainter>

#include <cstdlib>

namespace orbit {
namespace {

class ImagesTest : public test::QtTest {};

bool near(QRgb pixel, QRgb want, int tolerance)
{
    return std::abs(qRed(pixel) - qRed(want)) <= tolerance && std::abs(qGreen(pixel) - qGreen(want)) <= tolerance &&
           std::abs(qBlue(pixel) - qBlue(want)) <= tolerance;
}

TEST_F(ImagesTest, DecodedPictureIsTopDownWithItsQuadrantsInPlace)
{
    // 35 x 20: rows of 105 bytes padded to 108. Top-left red, top-right green,
    // bottom-left blue, bottom-right near white (split at x 16, y 10).
    MemoryResources resources;
    resources.add("Jpg", 135, test::uiTestData("quadrants-35x20.jpg"));
    DibImage dib;
    ASSERT_EQ(dib.loadJpegResource(resources, 135), 1);
    ASSERT_EQ(dib.rowPad(), 3);
    const QImage image = toQImage(dib);
    ASSERT_EQ(image.size(), QSize(35, 20));
    struct Probe {
        int x, y;
        QRgb colour;
    };
    for (const Probe& p : {Probe{2, 2, qRgb(230, 20, 20)}, Probe{30, 2, qRgb(20, 200, 20)},
                           Probe{2, 17, qRgb(20, 20, 230)}, Probe{30, 17, qRgb(240, 240, 240)},
                           Probe{34, 19, qRgb(240, 240, 240)}, Probe{0, 0, qRgb(230, 20, 20)}}) {
        EXPECT_TRUE(near(image.pixel(p.x, p.y), p.colour, 12))
            << p.x << "," << p.y << " is " << std::hex << image.pixel(p.x, p.y);
    }
}

TEST_F(ImagesTest, EmptyImageDrawsNothing)
{
    DibImage empty;
    EXPECT_TRUE(toQImage(empty).isNull());
    QImage target(4, 4, QImage::Format_RGB32);
    target.fill(Qt::black);
    QPainter painter(&target);
    EXPECT_FALSE(draw(empty, painter, 4, 4));
    painter.end();
    EXPECT_EQ(target.pixel(1, 1), qRgb(0, 0, 0));
}

TEST_F(ImagesTest, StretchingCopiesWholePixelsWithoutBlending)
{
    QImage source(2, 2, QImage::Format_RGB32);
    source.setPixel(0, 0, qRgb(255, 0, 0));
    source.setPixel(1, 0, qRgb(0, 255, 0));
    source.setPixel(0, 1, qRgb(0, 0, 255));
    source.setPixel(1, 1, qRgb(255, 255, 255));
    QImage target(14, 10, QImage::Format_RGB32);
    target.fill(Qt::black);
    {
        QPainter painter(&target);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true); // must be overridden
        ASSERT_TRUE(drawStretched(painter, source, 14, 10));
    }
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 14; ++x)
            EXPECT_EQ(target.pixel(x, y), source.pixel(x / 7, y / 5)) << x << "," << y;
    }
}

// A 32 x 32 cursor file: 32-bit pixels, the left half transparent (alpha 0
// and AND mask set), the right half opaque red; hot spot (12, 3).
std::vector<std::uint8_t> makeCursorFile()
{
    std::vector<std::uint8_t> bytes;
    auto put16 = [&](int v) {
        bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    };
    auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
    };
    const std::uint32_t pixelBytes = 32 * 32 * 4;
    const std::uint32_t maskBytes = 32 * 4;
    const std::uint32_t imageBytes = 40 + pixelBytes + maskBytes;
    put16(0); put16(2); put16(1);                  // reserved, type 2 = cursor, one image
    bytes.push_back(32); bytes.push_back(32);      // width, height
    bytes.push_back(0); bytes.push_back(0);        // colours, reserved
    put16(12); put16(3);                           // hot spot
    put32(imageBytes); put32(22);                  // size, offset
    put32(40); put32(32); put32(64);               // header size, width, double height
    put16(1); put16(32);                           // planes, bits
    put32(0); put32(pixelBytes + maskBytes);
    put32(0); put32(0); put32(0); put32(0);
    for (std::uint32_t i = 0; i < 32 * 32; ++i)
        put32(i % 32 < 16 ? 0u : 0xFFFF0000u);     // left half clear, right half opaque red
    for (int row = 0; row < 32; ++row)
        put32(0x0000FFFFu);                        // first 16 mask bits set: left half transparent
    return bytes;
}

TEST_F(ImagesTest, CursorResourceKeepsItsHotSpotAndTransparency)
{
    MemoryResources resources;
    resources.add("CURSOR", 185, makeCursorFile());
    const QCursor cursor = resourceCursor(resources, 185, Qt::ForbiddenCursor);
    EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
    EXPECT_EQ(cursor.hotSpot(), QPoint(12, 3));
    const QImage image = cursor.pixmap().toImage();
    ASSERT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(qAlpha(image.pixel(3, 5)), 0);
    EXPECT_EQ(image.pixel(20, 5), qRgba(255, 0, 0, 255));
}

TEST_F(ImagesTest, MissingOrBrokenCursorFallsBack)
{
    MemoryResources resources;
    resources.add("CURSOR", 184, {0, 0, 2, 0, 1, 0, 32}); // truncated directory
    EXPECT_EQ(resourceCursor(resources, 184, Qt::PointingHandCursor).shape(), Qt::PointingHandCursor);
    EXPECT_EQ(resourceCursor(resources, 185, Qt::PointingHandCursor).shape(), Qt::PointingHandCursor);
    // An icon is not a cursor: the type must match.
    resources.add("ICON", 185, makeCursorFile());
    EXPECT_EQ(resourceCursor(resources, 185, Qt::ArrowCursor).shape(), Qt::ArrowCursor);
}

TEST_F(ImagesTest, IconResourceBecomesTheWindowIconOrNothing)
{
    MemoryResources resources;
    EXPECT_TRUE(resourceIcon(resources, 128).isNull());
    std::vector<std::uint8_t> icon = makeCursorFile();
    icon[2] = 1; // type 1 = icon; the hot-spot words become planes and bit count
    icon[10] = 1;
    icon[11] = 0;
    icon[12] = 32;
    icon[13] = 0;
    resources.add("ICON", 128, icon);
    const QIcon loaded = resourceIcon(resources, 128);
    ASSERT_FALSE(loaded.isNull());
    EXPECT_EQ(loaded.pixmap(32, 32).toImage().pixel(20, 5), qRgba(255, 0, 0, 255));
}

TEST_F(ImagesTest, BuiltInHandsAndIconDecodeWithTheirHotSpots)
{
    EmbeddedResources resources;
    struct HandCase {
        int id;
        QPoint hotSpot;
    };
    for (const HandCase& hand : {HandCase{185, {12, 1}}, HandCase{184, {12, 3}}}) {
        const QCursor cursor = resourceCursor(resources, hand.id, Qt::ForbiddenCursor);
        EXPECT_EQ(cursor.shape(), Qt::BitmapCursor) << hand.id;
        EXPECT_EQ(cursor.hotSpot(), hand.hotSpot) << hand.id;
        EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32)) << hand.id;
    }
    const QIcon icon = resourceIcon(resources, 128);
    ASSERT_FALSE(icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
}

} // namespace
} // namespace orbit

// The built-in icon and cursors read through Qt's ICO reader (sizes, colours,
// transparency, hot spots on the finger tip), and the fallback for a missing
// or broken one.
#include "ui/ResourceImages.h"

#include "UiTestSupport.h"
#include "platform/MemoryResources.h"
#include "resources/EmbeddedResources.h"

#include <QSet>

namespace orbit {
namespace {

class ImagesTest : public test::QtTest {};

// Each picture has transparent corners and an opaque middle; the cursors'
// hot spot sits on the finger, right under its outlined tip.
TEST_F(ImagesTest, BuiltInIconAndCursorsReadThroughQt)
{
    const EmbeddedResources builtIn;
    const std::tuple<int, int, QPoint> rows[] = {
        {128, 32, {}}, {128, 16, {}}, {185, 32, {12, 1}}, {184, 32, {12, 3}}, // icon id 128, cursors 184 and 185
    };
    for (const auto& [id, size, hotSpot] : rows) {
        SCOPED_TRACE(testing::Message() << id << " at " << size);
        const bool isIcon = id == 128;
        const QCursor cursor = resourceCursor(builtIn, id, Qt::ForbiddenCursor);
        const QIcon icon = resourceIcon(builtIn, id);
        EXPECT_EQ(icon.isNull(), !isIcon);
        EXPECT_EQ(cursor.shape(), isIcon ? Qt::ForbiddenCursor : Qt::BitmapCursor);
        const QPixmap pixmap = isIcon ? icon.pixmap(size, size) : cursor.pixmap();
        const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(image.size(), QSize(size, size));
        QSet<QRgb> colours;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                colours.insert(qAlpha(image.pixel(x, y)) ? image.pixel(x, y) : 0);
        EXPECT_TRUE(colours.size() >= 4 && colours.size() <= 17) << "16 colours and clear: " << colours.size();
        const int last = size - 1;
        EXPECT_EQ(qAlpha(image.pixel(0, 0)) + qAlpha(image.pixel(last, 0)) + qAlpha(image.pixel(last, last)), 0);
        if (isIcon) {
            EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255);
            continue;
        }
        EXPECT_EQ(cursor.hotSpot(), hotSpot);
        int top = 0;
        while (top < size && qAlpha(image.pixel(hotSpot.x(), top)) == 0)
            ++top;
        EXPECT_EQ(top, hotSpot.y() - 1);
        EXPECT_EQ(qAlpha(image.pixel(hotSpot.x(), hotSpot.y() + 2)), 255);
    }
    // Missing, a truncated directory, or a cursor filed as an icon.
    const std::span<const std::uint8_t> hand = builtIn.find("CURSOR", 185);
    MemoryResources broken;
    broken.add("CURSOR", 184, {0, 0, 2, 0, 1, 0, 32});
    broken.add("ICON", 185, {hand.begin(), hand.end()});
    for (int id : {184, 185, 186})
        EXPECT_EQ(resourceCursor(broken, id, Qt::PointingHandCursor).shape(), Qt::PointingHandCursor) << id;
    EXPECT_TRUE(resourceIcon(broken, 185).isNull());
}

} // namespace
} // namespace orbit

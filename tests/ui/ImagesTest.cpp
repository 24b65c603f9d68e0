// The built-in icon and cursors read through Qt's ICO reader (the entry of
// each size, hot spots; their pixels are pinned with the committed assets),
// and the fallback for a missing or broken one.
#include "ui/ResourceImages.h"

#include "platform/MemoryResources.h"
#include "resources/EmbeddedResources.h"

#include <QIcon>

#include <gtest/gtest.h>

namespace orbit {
namespace {

TEST(ResourceImages, BuiltInIconAndCursorsReadThroughQtAndBrokenOnesFallBack)
{
    const EmbeddedResources builtIn;
    // Icon 128 at both its sizes, cursors 184 and 185 with their hot spots.
    const std::tuple<int, int, QPoint> rows[] = {
        {128, 32, {}}, {128, 16, {}}, {185, 32, {12, 1}}, {184, 32, {12, 3}}};
    for (const auto& [id, size, hotSpot] : rows) {
        SCOPED_TRACE(testing::Message() << id << " at " << size);
        const bool isIcon = id == 128;
        const QCursor cursor = resourceCursor(builtIn, id, Qt::ForbiddenCursor);
        const QIcon icon = resourceIcon(builtIn, id);
        EXPECT_EQ(icon.isNull(), !isIcon);
        EXPECT_EQ(cursor.shape(), isIcon ? Qt::ForbiddenCursor : Qt::BitmapCursor);
        EXPECT_EQ(cursor.hotSpot(), hotSpot);
        const QPixmap pixmap = isIcon ? icon.pixmap(size, size) : cursor.pixmap();
        const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(image.size(), QSize(size, size));
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

// DibImage to QImage and stretched drawing (see DibImageDrawing.h).
#include "DibImageDrawing.h"

#include "image/DibImage.h"

#include <QPainter>

namespace orbit {

QImage toQImage(const DibImage& image)
{
    const std::uint8_t* bits = image.bits();
    if (!bits || image.width() <= 0 || image.height() <= 0)
        return {};
    // Format_BGR888 reads the rows as they are stored; mirrored() copies them
    // top-down, so the result owns its pixels.
    const QImage bottomUp(bits, image.width(), image.height(), image.rowStride(), QImage::Format_BGR888);
    return bottomUp.mirrored(false, true).convertToFormat(QImage::Format_RGB32);
}

bool drawStretched(QPainter& painter, const QImage& image, int width, int height)
{
    if (image.isNull())
        return false;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRect(0, 0, width, height), image);
    painter.restore();
    return true;
}

bool draw(const DibImage& image, QPainter& painter, int width, int height)
{
    return drawStretched(painter, toQImage(image), width, height);
}

} // namespace orbit

// Icon and cursor resources as Qt objects (see ResourceImages.h).
#include "ResourceImages.h"

#include "platform/ResourceProvider.h"
#include "resources/IconImage.h"

#include <QImage>
#include <QPixmap>

#include <optional>

namespace orbit {
namespace {

constexpr int cursorSize = 32;
constexpr int largeIconSize = 32;
constexpr int smallIconSize = 16;

// A deep copy: the decoded pixels die with the IconImage.
QImage toQImage(const IconImage& image)
{
    const QImage view(image.rgba.data(), image.width, image.height, image.width * 4, QImage::Format_RGBA8888);
    return view.copy();
}

std::optional<IconImage> decode(const ResourceProvider& resources, std::string_view type, int id, int size)
{
    const auto bytes = resources.find(type, id);
    if (bytes.empty())
        return std::nullopt;
    auto image = decodeIconResource(bytes, size);
    if (!image || image->width <= 0 || image->height <= 0 ||
        image->rgba.size() != static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height) * 4)
        return std::nullopt;
    return image;
}

} // namespace

QCursor resourceCursor(const ResourceProvider& resources, int id, Qt::CursorShape fallback)
{
    const auto image = decode(resources, "CURSOR", id, cursorSize);
    if (!image)
        return QCursor(fallback);
    return QCursor(QPixmap::fromImage(toQImage(*image)), image->hotSpotX, image->hotSpotY);
}

QIcon resourceIcon(const ResourceProvider& resources, int id)
{
    QIcon icon;
    for (int size : {largeIconSize, smallIconSize}) {
        const auto image = decode(resources, "ICON", id, size);
        if (image)
            icon.addPixmap(QPixmap::fromImage(toQImage(*image)));
    }
    return icon;
}

} // namespace orbit

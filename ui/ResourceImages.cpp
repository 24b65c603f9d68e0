// Icon and cursor resources as Qt objects (see ResourceImages.h).
#include "ResourceImages.h"

#include "platform/ResourceProvider.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QPixmap>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string_view>

namespace orbit {
namespace {

constexpr int cursorSize = 32;
constexpr int largeIconSize = 32;
constexpr int smallIconSize = 16;
constexpr int iconType = 1;
constexpr int cursorType = 2;
// Directory: reserved, type, count (2 bytes each), then 16-byte entries whose
// bytes 4-7 hold a cursor's hot spot (x, y).
constexpr std::size_t directorySize = 6;
constexpr std::size_t entrySize = 16;
// More entries than any icon file needs; the rest are not looked at.
constexpr int maxEntries = 64;

// The little-endian 16-bit value at `at`; nullopt past the end.
std::optional<int> word(std::span<const std::uint8_t> bytes, std::size_t at)
{
    if (at > bytes.size() || bytes.size() - at < 2)
        return std::nullopt;
    return bytes[at] | bytes[at + 1] << 8;
}

struct Picture {
    QImage image;
    int hotSpotX = 0;
    int hotSpotY = 0;
};

// The image of the .ico (type 1) or .cur (type 2) file in `bytes` whose width
// is closest to `size` (ties: the larger), decoded by Qt's ICO reader. A
// cursor's hot spot comes from its directory entry, kept on the picture.
// nullopt when the file is of the other type, its directory is cut short or
// no entry decodes.
std::optional<Picture> decode(const ResourceProvider& resources, std::string_view type, int id, int size)
{
    const std::span<const std::uint8_t> bytes = resources.find(type, id);
    const int fileType = type == "CURSOR" ? cursorType : iconType;
    const std::optional<int> reserved = word(bytes, 0);
    const std::optional<int> storedType = word(bytes, 2);
    const std::optional<int> count = word(bytes, 4);
    if (!reserved || *reserved != 0 || storedType != fileType || !count || *count < 1 ||
        bytes.size() < directorySize + entrySize * static_cast<std::size_t>(*count))
        return std::nullopt;

    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    std::optional<Picture> best;
    int bestEntry = 0;
    const int entries = std::min({reader.imageCount(), *count, maxEntries});
    for (int i = 0; i < entries; ++i) {
        if (!reader.jumpToImage(i))
            break;
        QImage image = reader.read();
        if (image.isNull())
            continue;
        const int distance = std::abs(image.width() - size);
        const int bestDistance = best ? std::abs(best->image.width() - size) : 0;
        if (!best || distance < bestDistance || (distance == bestDistance && image.width() > best->image.width())) {
            best = Picture{std::move(image)};
            bestEntry = i;
        }
    }
    if (best && fileType == cursorType) {
        const std::size_t entry = directorySize + entrySize * static_cast<std::size_t>(bestEntry);
        best->hotSpotX = std::min(*word(bytes, entry + 4), best->image.width() - 1);
        best->hotSpotY = std::min(*word(bytes, entry + 6), best->image.height() - 1);
    }
    return best;
}

} // namespace

QCursor resourceCursor(const ResourceProvider& resources, int id, Qt::CursorShape fallback)
{
    const auto picture = decode(resources, "CURSOR", id, cursorSize);
    if (!picture)
        return QCursor(fallback);
    return QCursor(QPixmap::fromImage(picture->image), picture->hotSpotX, picture->hotSpotY);
}

QIcon resourceIcon(const ResourceProvider& resources, int id)
{
    QIcon icon;
    for (int size : {largeIconSize, smallIconSize}) {
        const auto picture = decode(resources, "ICON", id, size);
        if (picture)
            icon.addPixmap(QPixmap::fromImage(picture->image));
    }
    return icon;
}

} // namespace orbit

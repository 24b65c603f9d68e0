// Dialog-unit conversion and the dialog font (see DialogUnits.h).
#include "DialogUnits.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>

#include <cstdint>

namespace orbit {

int dialogUnitsToPixels(int value, int base, int divisor)
{
    if (divisor == 0)
        return 0;
    const std::int64_t product = static_cast<std::int64_t>(value) * base;
    const std::int64_t half = divisor / 2;
    const std::int64_t rounded = product >= 0 ? (product + half) / divisor : (product - half) / divisor;
    return static_cast<int>(rounded);
}

PixelRect toPixels(const DialogRect& rect, DialogBaseUnits units)
{
    return {dialogUnitsToPixels(rect.x, units.x, 4), dialogUnitsToPixels(rect.y, units.y, 8),
            dialogUnitsToPixels(rect.width, units.x, 4), dialogUnitsToPixels(rect.height, units.y, 8)};
}

DialogBaseUnits dialogBaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters / 26 + 1) / 2, metrics.height()};
}

QFont dialogFont(const DialogTemplate& dialog)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(dialog.fontPointSize > 0 ? dialog.fontPointSize : 8);
    return font;
}

} // namespace orbit

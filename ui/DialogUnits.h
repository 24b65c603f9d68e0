// Dialog units to pixels: one
// horizontal unit is a quarter of the font's average character width, one
// vertical unit an eighth of its character height. The average width is the
// advance of the 52 Latin letters divided by 26, halved with rounding, so the
// templates' layouts keep their proportions in any font. The conversion itself is Qt-free so it can be tested on numbers.
#pragma once

#include "resources/DialogTemplates.h"

class QFont;

namespace orbit {

struct DialogBaseUnits {
    int x = 0; // average character width, pixels
    int y = 0; // character height, pixels
};

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// value * base / divisor, rounded half away from zero; 0 when divisor is 0.
int dialogUnitsToPixels(int value, int base, int divisor);

// The rectangle in pixels for base units `units`; x and width scale by x / 4,
// y and height by y / 8.
PixelRect toPixels(const DialogRect& rect, DialogBaseUnits units);

// The base units of `font` as the dialog manager measures them.
DialogBaseUnits dialogBaseUnits(const QFont& font);

// The font a template's dialog uses: the system's default sans-serif family
// at the template's point size (the templates' face names are not installed on Linux).
QFont dialogFont(const DialogTemplate& dialog);

} // namespace orbit

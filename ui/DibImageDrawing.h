// Showing a DibImage with Qt: the StretchDIBits of the dialogs. The image's
// bottom-up, 4-byte padded BGR rows become a top-down QImage once, and drawing
// stretches it over the destination without smoothing (COLORONCOLOR keeps
// whole pixels, it never blends neighbours).
#pragma once

#include <QImage>

class QPainter;

namespace orbit {

class DibImage;

// A top-down RGB copy of `image`; a null QImage when it has no pixels.
QImage toQImage(const DibImage& image);

// Draws `image` stretched onto (0, 0, width, height) of `painter`. Returns
// false and draws nothing when the image is null.
bool drawStretched(QPainter& painter, const QImage& image, int width, int height);

// The same for a DibImage (converts on every call; cache toQImage for repaints).
bool draw(const DibImage& image, QPainter& painter, int width, int height);

} // namespace orbit

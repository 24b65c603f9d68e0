// The --fps overlay: the frame rate and CPU time per frame in white in the
// lower-left corner of the viewport, drawn over the finished scene. The
// glyphs become display lists once at set-up; a frame only calls them. The GL
// state it touches is saved before and restored after, so the scene's next
// frame starts exactly as it would without the overlay.
#pragma once

#include "FrameRateMeter.h"
#include "scene/BitmapFont.h"

#include "image/GlObjects.h"

#include <array>

namespace orbit {

class FrameRateOverlay {
public:
    static constexpr int scale = 2;     // screen pixels per font pixel
    static constexpr int marginPx = 8;  // from the viewport's left and bottom edges
    // The corner every overlay pixel lies in, from the viewport's lower left.
    static constexpr int areaWidthPx =
        marginPx + static_cast<int>(FrameRateMeter::maxLineLength) * bitmapFont::cellWidth * scale;
    static constexpr int areaHeightPx = marginPx + FrameRateMeter::lineCount * bitmapFont::lineHeight * scale;

    // With the GL context current: builds the glyph lists.
    void setUp();
    // With the GL context current: deletes the glyph lists.
    void release();
    bool ready() const { return isReady; }

    // Counts a frame at the current clocks and draws the text; nothing before setUp.
    void drawFrame();
    const FrameRateMeter& meter() const { return figures; }

private:
    void drawLine(std::string_view text, int x, int y) const;

    FrameRateMeter figures;
    std::array<GlDisplayList, bitmapFont::glyphs.size()> glyphLists;
    bool isReady = false;
};

} // namespace orbit

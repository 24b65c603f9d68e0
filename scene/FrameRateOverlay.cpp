// Glyphs are drawn with glBitmap at the raster position, which the overlay
// places through an orthographic projection of the viewport in pixels.
#include "FrameRateOverlay.h"

#include <GL/gl.h>

#include <ctime>

namespace orbit {

namespace {

constexpr int bitmapWidth = bitmapFont::glyphWidth * FrameRateOverlay::scale;
constexpr int bitmapHeight = bitmapFont::glyphHeight * FrameRateOverlay::scale;
constexpr int bitmapRowBytes = (bitmapWidth + 7) / 8;
using GlyphBitmap = std::array<GLubyte, static_cast<std::size_t>(bitmapRowBytes * bitmapHeight)>;

// glBitmap's layout: bottom row first, rows of whole bytes, leftmost pixel in the high bit.
GlyphBitmap scaledBitmap(const bitmapFont::Glyph& glyph)
{
    GlyphBitmap bits{};
    for (int y = 0; y < bitmapHeight; ++y) {
        const int fontRow = bitmapFont::glyphHeight - 1 - y / FrameRateOverlay::scale;
        for (int x = 0; x < bitmapWidth; ++x) {
            const int fontColumn = x / FrameRateOverlay::scale;
            if (glyph.rows[static_cast<std::size_t>(fontRow)] & (1u << (bitmapFont::glyphWidth - 1 - fontColumn)))
                bits[static_cast<std::size_t>(y * bitmapRowBytes + x / 8)] |= static_cast<GLubyte>(0x80u >> (x % 8));
        }
    }
    return bits;
}

double secondsOf(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

} // namespace

void FrameRateOverlay::setUp()
{
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    isReady = true;
    for (std::size_t i = 0; i < bitmapFont::glyphs.size(); ++i) {
        glyphLists[i] = GlDisplayList::generate();
        if (glyphLists[i].name() == 0) {
            isReady = false;
            break;
        }
        const GlyphBitmap bits = scaledBitmap(bitmapFont::glyphs[i]);
        glNewList(glyphLists[i].name(), GL_COMPILE);
        glBitmap(bitmapWidth, bitmapHeight, 0.0f, 0.0f, static_cast<GLfloat>(bitmapFont::cellWidth * scale), 0.0f,
                 bits.data());
        glEndList();
    }
    glPopClientAttrib();
    if (!isReady)
        release();
}

void FrameRateOverlay::release()
{
    for (GlDisplayList& list : glyphLists)
        list = GlDisplayList();
    isReady = false;
}

void FrameRateOverlay::drawFrame()
{
    if (!isReady)
        return;
    figures.frame(secondsOf(CLOCK_MONOTONIC), secondsOf(CLOCK_PROCESS_CPUTIME_ID));

    std::array<GLint, 4> viewport{};
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    // Enables, current colour and raster position, matrix mode, blending and
    // depth function are saved here; the matrices on their stacks.
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_TRANSFORM_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    for (const GLenum capability : {GL_LIGHTING, GL_TEXTURE_2D, GL_DEPTH_TEST, GL_FOG, GL_BLEND, GL_ALPHA_TEST,
                                    GL_STENCIL_TEST, GL_SCISSOR_TEST, GL_COLOR_LOGIC_OP, GL_CLIP_PLANE0})
        glDisable(capability);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, viewport[2], 0.0, viewport[3], -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor3f(1.0f, 1.0f, 1.0f);

    const int lineStep = bitmapFont::lineHeight * scale;
    for (int i = 0; i < FrameRateMeter::lineCount; ++i)
        drawLine(figures.line(i), marginPx, marginPx + (FrameRateMeter::lineCount - 1 - i) * lineStep);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

void FrameRateOverlay::drawLine(std::string_view text, int x, int y) const
{
    // The raster colour is latched here, from the white set above.
    glRasterPos2i(x, y);
    for (const char c : text)
        glCallList(glyphLists[bitmapFont::glyphIndex(c)].name());
}

} // namespace orbit

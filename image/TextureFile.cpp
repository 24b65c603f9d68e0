// GL upload of texture map files; the reading is done GL-free by BmpFile and
// TgaFile. The TGA path sets GL_UNPACK_ALIGNMENT to 1 before building its
// mipmaps as well as after: rows that are not a multiple of 4 bytes would
// otherwise be read past the end of the pixel buffer.
#include "TextureFile.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace orbit {

namespace {

static_assert(TgaImage::glRgb == GL_RGB && TgaImage::glRgba == GL_RGBA);

void setUnpackState()
{
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
}

// Modulate, repeat, nearest (mipmap levels of a TGA texture stay unused), and
// tightly packed unpacking.
void setTextureState()
{
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(GL_MODULATE));
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLfloat>(GL_REPEAT));
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLfloat>(GL_REPEAT));
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLfloat>(GL_NEAREST));
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLfloat>(GL_NEAREST));
    setUnpackState();
}

} // namespace

bool loadBmpTexture(const std::string& path, unsigned texture, UserNotifier& notifier)
{
    std::optional<RgbImageRecord> record = loadBmpFile(path, notifier);
    if (!record)
        return false;
    // Ask whether the GL takes this size unchanged (power of two, within the maximum).
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, 3, record->width, record->height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    GLint acceptedWidth = 0;
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &acceptedWidth);
    record->width = acceptedWidth;
    if (acceptedWidth == 0) {
        notifier.showAppMessage("BMP Texture File: " + path +
                                " is too large, or texture dimensions are not a Power of 2");
        return false;
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    setTextureState();
    glTexImage2D(GL_TEXTURE_2D, 0, 3, record->width, record->height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 record->data.data());
    return true;
}

bool loadTgaTexture(const std::string& path, unsigned texture, UserNotifier& notifier)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    TgaResult tga = readTgaFile(path);
    if (!tga.ok()) {
        notifier.showAppMessage(tgaErrorMessage(tga.error, path));
        return false;
    }
    const TgaImage& image = tga.image;
    setUnpackState();
    gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(image.glFormat), image.header.width, image.header.height,
                      image.glFormat, GL_UNSIGNED_BYTE, image.pixels.data());
    setTextureState();
    return true;
}

} // namespace orbit

// See GlTextureName.h.
#include "GlTextureName.h"

#include <GL/gl.h>

#include <utility>

namespace orbit {

GlTextureName GlTextureName::generate()
{
    GlTextureName texture;
    GLuint name = 0;
    glGenTextures(1, &name);
    texture.textureName = name;
    return texture;
}

GlTextureName::~GlTextureName()
{
    reset();
}

GlTextureName::GlTextureName(GlTextureName&& other) noexcept : textureName(std::exchange(other.textureName, 0)) {}

GlTextureName& GlTextureName::operator=(GlTextureName&& other) noexcept
{
    if (this != &other) {
        reset();
        textureName = std::exchange(other.textureName, 0);
    }
    return *this;
}

void GlTextureName::reset()
{
    if (textureName != 0) {
        const GLuint name = textureName;
        glDeleteTextures(1, &name);
        textureName = 0;
    }
}

} // namespace orbit

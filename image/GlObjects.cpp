// The only glDeleteLists and glDeleteTextures calls of the program. A name is
// deleted only while the GL still knows it (glIsList / glIsTexture), as the
// model's destructor has always checked.
#include "GlObjects.h"

#include <GL/gl.h>

#include <utility>

namespace orbit {

GlDisplayList GlDisplayList::generate()
{
    GlDisplayList list;
    list.listName = glGenLists(1);
    return list;
}

GlDisplayList::~GlDisplayList() { release(); }

GlDisplayList::GlDisplayList(GlDisplayList&& other) noexcept : listName(std::exchange(other.listName, 0)) {}

GlDisplayList& GlDisplayList::operator=(GlDisplayList&& other) noexcept
{
    if (this != &other) {
        release();
        listName = std::exchange(other.listName, 0);
    }
    return *this;
}

void GlDisplayList::release()
{
    if (listName != 0 && glIsList(listName))
        glDeleteLists(listName, 1);
    listName = 0;
}

GlTexture GlTexture::generate()
{
    GlTexture texture;
    GLuint name = 0;
    glGenTextures(1, &name);
    texture.textureName = name;
    texture.owned = name != 0;
    return texture;
}

GlTexture::~GlTexture() { deleteObject(); }

GlTexture::GlTexture(GlTexture&& other) noexcept
    : textureName(std::exchange(other.textureName, 0)), owned(std::exchange(other.owned, false))
{
}

GlTexture& GlTexture::operator=(GlTexture&& other) noexcept
{
    if (this != &other) {
        deleteObject();
        textureName = std::exchange(other.textureName, 0);
        owned = std::exchange(other.owned, false);
    }
    return *this;
}

void GlTexture::deleteObject()
{
    if (owned && glIsTexture(textureName)) {
        const GLuint name = textureName;
        glDeleteTextures(1, &name);
    }
    textureName = 0;
    owned = false;
}

} // namespace orbit

// Move-only owners of GL objects: a display list and a texture, shared by the
// model, the scene and the cube button.
// Each kind has exactly one glDelete* call site, made only for a name the GL
// still knows, and only while the owner's context is current. Zero is "none".
#pragma once

namespace orbit {

class GlDisplayList {
public:
    GlDisplayList() = default;
    // glGenLists(1); the name is 0 when the GL could not make one.
    static GlDisplayList generate();
    ~GlDisplayList();
    GlDisplayList(GlDisplayList&& other) noexcept;
    GlDisplayList& operator=(GlDisplayList&& other) noexcept;
    GlDisplayList(const GlDisplayList&) = delete;
    GlDisplayList& operator=(const GlDisplayList&) = delete;
    unsigned name() const { return listName; }

private:
    void release();
    unsigned listName = 0;
};

class GlTexture {
public:
    GlTexture() = default;
    static GlTexture generate();
    ~GlTexture();
    GlTexture(GlTexture&& other) noexcept;
    GlTexture& operator=(GlTexture&& other) noexcept;
    GlTexture(const GlTexture&) = delete;
    GlTexture& operator=(const GlTexture&) = delete;
    unsigned name() const { return textureName; }
    // Deletes the texture object now if the name is one (a failed load) and
    // gives up the name: name() is 0 afterwards, so nothing binds it again.
    void deleteObject();

private:
    unsigned textureName = 0;
    bool owned = false;
};

} // namespace orbit

// A move-only owner of one GL texture name for ui/: the one place ui/ deletes
// textures. The owner must make its context current before the name dies.
#pragma once

namespace orbit {

class GlTextureName {
public:
    GlTextureName() = default;
    // glGenTextures(1); the name is 0 when the GL made none.
    static GlTextureName generate();
    ~GlTextureName();
    GlTextureName(GlTextureName&& other) noexcept;
    GlTextureName& operator=(GlTextureName&& other) noexcept;
    GlTextureName(const GlTextureName&) = delete;
    GlTextureName& operator=(const GlTextureName&) = delete;

    unsigned name() const { return textureName; }
    void reset();

private:
    unsigned textureName = 0;
};

} // namespace orbit

// Texture upload on a headless GL context: one level from a BMP, a pyramid
// from a TGA, the state both leave, and one message for each refusal.
#include "image/TextureFile.h"
#include "platform/HeadlessGlContext.h"
#include "tests/image/TestImageFiles.h"
#include "tests/support/TestDoubles.h"
#include "tests/support/TestFiles.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace orbit {
namespace {

using test::Bytes;

GLint levelWidth(GLint level)
{
    GLint v = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &v);
    return v;
}

TEST(TextureFile, UploadsSetStateAndPixelsRefusalsShowOneMessage)
{
    HeadlessGlContext gl;
    ASSERT_TRUE(gl.create(16, 16)) << gl.error();
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    ASSERT_LT(maxSize, 65535);
    test::ScratchDir dir("texture");
    const auto write = [&dir](const std::string& name, const Bytes& bytes) {
        test::writeFileBytes(dir.path() / name, bytes);
        return (dir.path() / name).string();
    };
    // 32-bit TGA 8 x 4: red and blue exchanged, alpha kept.
    Bytes tgaPixels, rgba;
    for (std::uint8_t i = 0; i < 8 * 4; ++i) {
        tgaPixels.insert(tgaPixels.end(), {i, 100, 200, static_cast<std::uint8_t>(255 - i)});
        rgba.insert(rgba.end(), {200, 100, i, static_cast<std::uint8_t>(255 - i)});
    }
    // BMP rows of 6 bytes padded to 8 in the file, tightly packed in the texture.
    const test::BmpTestFile bmp{.width = 2, .height = 2,
                                .bits = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}};
    const std::size_t wideRowBytes = static_cast<std::size_t>(maxSize) * 3 + 6;
    const test::BmpTestFile tooWide{.width = maxSize + 1, .bits = Bytes(wideRowBytes, 0)};
    const std::string wide = write("wide.bmp", tooWide.build());
    const std::string absent = (dir.path() / "absent").string();
    struct Row {
        bool tga;
        std::string path;
        std::string message; // shown for a refusal, under caption; empty for an upload
        std::string caption = "orbit-patrol";
        GLenum format = 0;
        std::vector<GLint> levelWidths{0}; // then 0: no further level
        Bytes pixels{};
    };
    const Row rows[] = {
        {false, write("square.bmp", bmp.build()), "", "", GL_RGB, {2, 0},
         test::rgb({0x030201, 0x060504, 0x090807, 0x0C0B0A})},
        {true, write("alpha.tga", test::tgaFile(2, 8, 4, 32, tgaPixels)), "", "", GL_RGBA, {8, 4, 2, 1, 0},
         rgba},
        {false, wide,
         "BMP Texture File: " + wide + " is too large, or texture dimensions are not a Power of 2"},
        // The reader's own message only.
        {false, absent, "Failed to open DIB file " + absent + ".\n", "Error"},
        {true, absent, "Failed to open TGA Texture File: " + absent + "."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        GLuint texture = 0;
        glGenTextures(1, &texture);
        RecordingNotifier notifier("orbit-patrol");
        const bool loaded = row.tga ? loadTgaTexture(row.path, texture, notifier)
                                    : loadBmpTexture(row.path, texture, notifier);
        EXPECT_EQ(loaded, row.message.empty());
        for (std::size_t l = 0; l < row.levelWidths.size(); ++l)
            EXPECT_EQ(levelWidth(static_cast<GLint>(l)), row.levelWidths[l]) << l;
        if (!row.message.empty()) {
            ASSERT_EQ(notifier.messages.size(), 1u);
            EXPECT_EQ(notifier.messages[0].text, row.message);
            EXPECT_EQ(notifier.messages[0].caption, row.caption);
            EXPECT_EQ(notifier.messages[0].buttons, MessageButtons::Ok);
            glDeleteTextures(1, &texture);
            continue;
        }
        EXPECT_TRUE(notifier.messages.empty());
        GLint v = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &v);
        EXPECT_EQ(v, static_cast<GLint>(texture));
        for (const auto& [name, expected] : {std::pair<GLenum, GLint>{GL_TEXTURE_MIN_FILTER, GL_NEAREST},
                                             {GL_TEXTURE_MAG_FILTER, GL_NEAREST},
                                             {GL_TEXTURE_WRAP_S, GL_REPEAT},
                                             {GL_TEXTURE_WRAP_T, GL_REPEAT}}) {
            glGetTexParameteriv(GL_TEXTURE_2D, name, &v);
            EXPECT_EQ(v, expected) << name;
        }
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &v);
        EXPECT_EQ(v, GL_MODULATE);
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &v);
        EXPECT_EQ(v, 1);
        Bytes back(row.pixels.size());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, row.format, GL_UNSIGNED_BYTE, back.data());
        EXPECT_EQ(back, row.pixels);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        glDeleteTextures(1, &texture);
    }
}

} // namespace
} // namespace orbit

// Texture upload on a headless GL context: the BMP path makes one level the GL
// takes unchanged, the TGA path a full pyramid; both leave nearest filtering,
// repeat wrapping, GL_MODULATE and tight unpacking. The texture is read back.
#include "image/TextureFile.h"
#include "platform/HeadlessGlContext.h"
#include "tests/image/BmpTestFile.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestDoubles.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace orbit {
namespace {

using test::Bytes;
using test::put16;

Bytes tga(int type, int width, int height, int bits, const Bytes& pixels)
{
    Bytes h = {0, 0, static_cast<std::uint8_t>(type), 0, 0, 0, 0, 0, 0, 0, 0, 0};
    put16(h, static_cast<std::uint32_t>(width));
    put16(h, static_cast<std::uint32_t>(height));
    h.push_back(static_cast<std::uint8_t>(bits));
    h.push_back(0);
    h.insert(h.end(), pixels.begin(), pixels.end());
    return h;
}

class TextureFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gl.create(16, 16)) << gl.error();
        glGenTextures(1, &texture);
    }
    void TearDown() override { glDeleteTextures(1, &texture); }

    std::string write(const std::string& name, const Bytes& bytes)
    {
        const std::string path = (dir.path() / name).string();
        test::writeFileBytes(path, bytes);
        return path;
    }
    static GLint level(GLint lvl, GLenum what)
    {
        GLint v = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, lvl, what, &v);
        return v;
    }
    static void expectNearestRepeatModulate()
    {
        GLint v = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &v);
        EXPECT_EQ(v, GL_NEAREST);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &v);
        EXPECT_EQ(v, GL_NEAREST);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &v);
        EXPECT_EQ(v, GL_REPEAT);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &v);
        EXPECT_EQ(v, GL_REPEAT);
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &v);
        EXPECT_EQ(v, GL_MODULATE);
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &v);
        EXPECT_EQ(v, 1);
    }
    GLint bound() const
    {
        GLint v = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &v);
        return v;
    }
    Bytes readBack(GLenum format, int width, int height, int components) const
    {
        Bytes out(static_cast<std::size_t>(width * height * components));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, out.data());
        return out;
    }

    HeadlessGlContext gl;
    GLuint texture = 0;
    test::ScratchDir dir{"texture"};
    RecordingNotifier notifier{"orbit-patrol"};
};

TEST_F(TextureFileTest, BmpBecomesOneNearestRepeatingLevel)
{
    const std::string path = write("square.bmp", test::bmp24Pattern(256, 256));
    ASSERT_TRUE(loadBmpTexture(path, texture, notifier));
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_EQ(bound(), static_cast<GLint>(texture));
    EXPECT_EQ(level(0, GL_TEXTURE_WIDTH), 256);
    EXPECT_EQ(level(0, GL_TEXTURE_HEIGHT), 256);
    EXPECT_EQ(level(1, GL_TEXTURE_WIDTH), 0); // no other levels
    expectNearestRepeatModulate();
    const Bytes pixels = readBack(GL_RGB, 256, 256, 3);
    const std::optional<RgbImageRecord> record = loadBmpFile(path, notifier);
    ASSERT_TRUE(record);
    EXPECT_EQ(pixels, record->data);
    // Row 0 of the texture is the picture's bottom row: pixel (5, 0) = (5, 0, 5).
    EXPECT_EQ(pixels[5 * 3], 5);
    EXPECT_EQ(pixels[5 * 3 + 1], 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureFileTest, BmpRefusalsShowOneMessageEach)
{
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    ASSERT_LT(maxSize, 65535);
    const std::string path = write("wide.bmp", test::bmp24Pattern(maxSize + 1, 1));
    EXPECT_FALSE(loadBmpTexture(path, texture, notifier));
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].text,
              "BMP Texture File: " + path + " is too large, or texture dimensions are not a Power of 2");
    EXPECT_EQ(notifier.messages[0].caption, "orbit-patrol");
    EXPECT_EQ(level(0, GL_TEXTURE_WIDTH), 0);

    // The reader's own refusal is the only message.
    const std::string absent = (dir.path() / "absent.bmp").string();
    EXPECT_FALSE(loadBmpTexture(absent, texture, notifier));
    ASSERT_EQ(notifier.messages.size(), 2u);
    EXPECT_EQ(notifier.messages[1].caption, "Error");
    EXPECT_EQ(notifier.messages[1].text, "Failed to open DIB file " + absent + ".\n");
}

TEST_F(TextureFileTest, TgaBecomesAFullMipmapPyramid)
{
    // 32-bit 8 x 4: red and blue exchanged, alpha kept, all levels present.
    Bytes pixels;
    for (int i = 0; i < 8 * 4; ++i)
        pixels.insert(pixels.end(), {static_cast<std::uint8_t>(i), 100, 200, static_cast<std::uint8_t>(255 - i)});
    const std::string path = write("alpha.tga", tga(2, 8, 4, 32, pixels));
    ASSERT_TRUE(loadTgaTexture(path, texture, notifier));
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_EQ(bound(), static_cast<GLint>(texture));
    EXPECT_EQ(level(0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA);
    EXPECT_EQ(level(1, GL_TEXTURE_WIDTH), 4);
    EXPECT_EQ(level(3, GL_TEXTURE_WIDTH), 1);
    expectNearestRepeatModulate();
    const Bytes rgba = readBack(GL_RGBA, 8, 4, 4);
    for (int i = 0; i < 8 * 4; ++i) {
        ASSERT_EQ(rgba[static_cast<std::size_t>(4 * i)], 200);
        ASSERT_EQ(rgba[static_cast<std::size_t>(4 * i + 2)], i);
        ASSERT_EQ(rgba[static_cast<std::size_t>(4 * i + 3)], 255 - i);
    }
}

TEST_F(TextureFileTest, TgaRefusalUsesTheApplicationCaption)
{
    const std::string path = write("grey.tga", tga(3, 2, 2, 8, Bytes(4, 0)));
    EXPECT_FALSE(loadTgaTexture(path, texture, notifier));
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].text, "TGA Texture File: " + path +
                                             " has Unsuported Color Type (Must be Luminance or Alpha Greyscale).");
    EXPECT_EQ(notifier.messages[0].caption, "orbit-patrol");
    EXPECT_EQ(level(0, GL_TEXTURE_WIDTH), 0); // bound, but left undefined
    EXPECT_EQ(bound(), static_cast<GLint>(texture));

    const std::string missing = (dir.path() / "none.tga").string();
    EXPECT_FALSE(loadTgaTexture(missing, texture, notifier));
    ASSERT_EQ(notifier.messages.size(), 2u);
    EXPECT_EQ(notifier.messages[1].text, "Failed to open TGA Texture File: " + missing + ".");
}

} // namespace
} // namespace orbit

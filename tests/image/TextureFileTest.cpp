// Texture upload on a headless GL context: the BMP path makes one level the GL
// takes unchanged, the TGA path a full pyramid; both leave nearest filtering,
// repeat wrapping, GL_MODULATE and tight unpacking. The texture is read back.
#include "image/TextureFile.h"
#include "platform/HeadlessGlContext.h"
#include "tests/image/TestImageFiles.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestDoubles.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace orbit {
namespace {

using test::Bytes;

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
    // Checks the state every upload leaves, then reads level 0 back.
    Bytes boundTextureState(GLenum format, int width, int height, int components) const
    {
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
        Bytes out(static_cast<std::size_t>(width * height * components));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, out.data());
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return out;
    }

    HeadlessGlContext gl;
    GLuint texture = 0;
    test::ScratchDir dir{"texture"};
    RecordingNotifier notifier{"orbit-patrol"};
};

TEST_F(TextureFileTest, BmpBecomesOneLevelBottomRowFirst)
{
    // Rows of 6 bytes padded to 8 in the file, tightly packed in the texture.
    const test::BmpTestFile square{.width = 2, .height = 2,
                                   .bits = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}};
    ASSERT_TRUE(loadBmpTexture(write("square.bmp", square.build()), texture, notifier));
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_EQ(level(0, GL_TEXTURE_WIDTH), 2);
    EXPECT_EQ(level(1, GL_TEXTURE_WIDTH), 0); // no other levels
    EXPECT_EQ(boundTextureState(GL_RGB, 2, 2, 3), test::rgb({0x030201, 0x060504, 0x090807, 0x0C0B0A}));
}

TEST_F(TextureFileTest, TgaBecomesAFullMipmapPyramid)
{
    // 32-bit 8 x 4: red and blue exchanged, alpha kept, all levels present.
    Bytes pixels, expected;
    for (std::uint8_t i = 0; i < 8 * 4; ++i) {
        pixels.insert(pixels.end(), {i, 100, 200, static_cast<std::uint8_t>(255 - i)});
        expected.insert(expected.end(), {200, 100, i, static_cast<std::uint8_t>(255 - i)});
    }
    ASSERT_TRUE(loadTgaTexture(write("alpha.tga", test::tgaFile(2, 8, 4, 32, pixels)), texture, notifier));
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_EQ(level(0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA);
    EXPECT_EQ(level(1, GL_TEXTURE_WIDTH), 4);
    EXPECT_EQ(level(3, GL_TEXTURE_WIDTH), 1);
    EXPECT_EQ(boundTextureState(GL_RGBA, 8, 4, 4), expected);
}

TEST_F(TextureFileTest, RefusalsShowOneMessageEachAndUploadNothing)
{
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    ASSERT_LT(maxSize, 65535);
    const std::size_t rowBytes = static_cast<std::size_t>(maxSize) * 3 + 6;
    const test::BmpTestFile wide{.width = maxSize + 1, .bits = Bytes(rowBytes, 0)};
    const std::string wideBmp = write("wide.bmp", wide.build());
    const std::string greyTga = write("grey.tga", test::tgaFile(3, 2, 2, 8, Bytes(4, 0)));
    const std::string absent = (dir.path() / "absent").string();
    struct Row {
        bool tga;
        std::string path;
        std::string text;
        const char* caption;
    };
    const Row rows[] = {
        {false, wideBmp, "BMP Texture File: " + wideBmp + " is too large, or texture dimensions are not a Power of 2",
         "orbit-patrol"},
        // The reader's own message only.
        {false, absent, "Failed to open DIB file " + absent + ".\n", "Error"},
        {true, greyTga,
         "TGA Texture File: " + greyTga +
             " has Unsuported Color Type (Must be Luminance or Alpha Greyscale).",
         "orbit-patrol"},
        {true, absent, "Failed to open TGA Texture File: " + absent + ".", "orbit-patrol"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const std::size_t before = notifier.messages.size();
        const bool loaded = row.tga ? loadTgaTexture(row.path, texture, notifier)
                                    : loadBmpTexture(row.path, texture, notifier);
        EXPECT_FALSE(loaded);
        ASSERT_EQ(notifier.messages.size(), before + 1);
        EXPECT_EQ(notifier.messages.back().text, row.text);
        EXPECT_EQ(notifier.messages.back().caption, row.caption);
        EXPECT_EQ(notifier.messages.back().buttons, MessageButtons::Ok);
        EXPECT_EQ(level(0, GL_TEXTURE_WIDTH), 0);
    }
}

} // namespace
} // namespace orbit

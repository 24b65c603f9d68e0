// The headless context renders into a depth-buffered back buffer that reads
// back exactly, and looks up entry points beyond GL 1.1.
#include "platform/HeadlessGlContext.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>

namespace orbit {
namespace {

TEST(HeadlessGlContext, RendersAndReadsBack)
{
    HeadlessGlContext gl;
    ASSERT_TRUE(gl.create(64, 48)) << gl.error();
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_GE(depthBits, 24);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST); // left half red
    glScissor(0, 0, 32, 48);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    std::array<GLubyte, 3> left{}, right{};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(10, 24, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, left.data());
    glReadPixels(54, 24, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, right.data());
    EXPECT_EQ(left, (std::array<GLubyte, 3>{255, 0, 0}));
    EXPECT_EQ(right, (std::array<GLubyte, 3>{0, 0, 255}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_NE(gl.find("glGenFramebuffers"), nullptr);
}

} // namespace
} // namespace orbit

// The saver window's OpenGL side under X11: the context it asks for, the
// entry-point lookup it hands the scene, and the per-frame drawable check
// that ends the run before drawing into a host window that is gone. The refit
// on a resize: the program's hosted run (tests/e2e).
#include "saver/SaverWindow.h"

#include "platform/qt/QtGlProcLookup.h"
#include "tests/support/RecordingSceneServices.h"

#include <QOpenGLContext>
#include <QSignalSpy>
#include <QTest>

#include <GL/gl.h>

#include <gtest/gtest.h>

namespace orbit {
namespace {

class SaverWindowGlTest : public testing::Test, protected test::RecordingSceneServices {};

TEST_F(SaverWindowGlTest, ContextLookupAndDrawableCheck)
{
    SaverWindow window(services(), 1000u);
    int asked = 0;
    bool alive = true;
    window.setDrawableCheck([&] {
        ++asked;
        return alive;
    });
    QSignalSpy closed(&window, &SaverWindow::closed);
    QSignalSpy ticked(&window, &SaverWindow::ticked);
    ASSERT_TRUE(window.createSaver("IDS_PREVIEW", QRect(0, 0, 160, 120)));
    EXPECT_TRUE(notifier.messages.empty()) << notifier.messages.front().text;
    ASSERT_TRUE(window.hasGlContext());
    QOpenGLContext* context = QOpenGLContext::currentContext();
    const QSurfaceFormat format = context->format();
    EXPECT_EQ(format.redBufferSize() + format.greenBufferSize() + format.blueBufferSize(), 24);
    EXPECT_GE(format.depthBufferSize(), 24);
    EXPECT_EQ(format.swapBehavior(), QSurfaceFormat::DoubleBuffer);

    QtGlProcLookup procs(*context);
    const auto getString = reinterpret_cast<const GLubyte* (*)(GLenum)>(procs.find("glGetString"));
    ASSERT_NE(getString, nullptr);
    EXPECT_EQ(getString(GL_VERSION), glGetString(GL_VERSION));

    ASSERT_TRUE(QTest::qWaitFor([&] { return ticked.count() >= 10; }, 3000));
    EXPECT_GE(asked, ticked.count()) << "the drawable is to be checked before every frame";
    EXPECT_EQ(closed.count(), 0);
    alive = false;
    EXPECT_TRUE(closed.wait(1000));
    EXPECT_FALSE(window.hasGlContext());
}

} // namespace
} // namespace orbit

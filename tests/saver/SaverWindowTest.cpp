// The saver windows on Qt's offscreen platform, without OpenGL: the failed
// context reported, the timer, and what the program's own runs (tests/e2e)
// cannot send: a move to the same place, a middle press, a close inside a
// message box of the set-up.
#include "saver/FullScreenSaverWindow.h"
#include "saver/SaverWindow.h"

#include "tests/support/RecordingSceneServices.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace orbit {
namespace {

class SaverWindowTest : public testing::Test, protected test::RecordingSceneServices {};

// The full screen reports once, stays on top with no pointer and runs at the
// clamped period; a middle press closes it once, from the event loop. A
// preview closes from the event loop, but at once when its host is gone.
TEST_F(SaverWindowTest, FullScreenStaysOnTopAndClosesOnceFromTheEventLoop)
{
    QCursor::setPos(QPoint(33, 44)); // the window appears under the pointer
    settings.writeString("Options", "Timer", "250");
    FullScreenSaverWindow window(services(), 1000u);
    QSignalSpy closes(&window, &SaverWindow::closed);
    EXPECT_TRUE(window.createFullScreen("orbit-patrol"));
    EXPECT_EQ(window.framePeriodMs(), 100);
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].text, "ChoosePixelFormat failed");
    EXPECT_EQ(notifier.messages[0].caption, "");
    EXPECT_TRUE(window.flags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window.cursor().shape(), Qt::BlankCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the wait cursor was left on";
    QTest::mouseMove(&window, QPoint(33, 44));
    // Sent directly: Qt drops a synthetic move to where the pointer already is.
    QMouseEvent same(QEvent::MouseMove, QPointF(33, 44), QPointF(33, 44), Qt::NoButton, Qt::NoButton, {});
    QCoreApplication::sendEvent(&window, &same);
    QTest::qWait(50); // runs the posted closes
    EXPECT_EQ(closes.count(), 0) << "closed by a move to the same place";
    QTest::mousePress(&window, Qt::MiddleButton, {}, QPoint(33, 44)); // no move on the way
    QTest::qWait(50);
    EXPECT_EQ(closes.count(), 1) << "not closed by a middle press";
    EXPECT_FALSE(window.isVisible());

    SaverWindow preview(services(), 1000u);
    QSignalSpy previewCloses(&preview, &SaverWindow::closed);
    EXPECT_TRUE(preview.createSaver("IDS_PREVIEW", QRect(0, 0, 152, 112)));
    preview.postClose();
    EXPECT_EQ(previewCloses.count(), 0) << "closing is posted, not done inside the caller";
    preview.hostWindowGone();
    EXPECT_EQ(previewCloses.count(), 1) << "no queued close: the native window is gone already";
    QTest::qWait(50);
    EXPECT_EQ(previewCloses.count(), 1) << "closed again by the queued close";
}

// A message box of the set-up as the program shows one: a modal window that
// takes events until it is closed (or, unanswered, for three seconds).
class ModalBoxNotifier final : public UserNotifier {
public:
    MessageReply show(std::string_view, std::string_view, MessageButtons) override
    {
        QWindow box;
        box.setModality(Qt::ApplicationModal);
        box.show();
        QTimer::singleShot(10, whileOpen);
        open = true;
        dismissed = QTest::qWaitFor([&] { return !box.isVisible(); }, 3000);
        open = false;
        return MessageReply::Ok;
    }
    std::function<void()> whileOpen;
    bool open = false;
    bool dismissed = false;
};

// A close from the event loop or the host in the set-up's message box
// dismisses the box and runs once the set-up has returned.
TEST_F(SaverWindowTest, CloseDuringTheSetUpDismissesItsBoxAndRunsAfterIt)
{
    for (const bool fromHost : {false, true}) {
        SCOPED_TRACE(fromHost);
        ModalBoxNotifier boxes;
        SaverWindow window({random, settings, resources, boxes, diagnostics, sound}, 1000u);
        boxes.whileOpen = [&] { fromHost ? window.hostWindowGone() : window.postClose(); };
        bool closedInBox = false;
        QObject::connect(&window, &SaverWindow::closed, [&] { closedInBox = closedInBox || boxes.open; });
        QSignalSpy closed(&window, &SaverWindow::closed);
        EXPECT_TRUE(window.createSaver("IDS_PREVIEW", QRect(0, 0, 152, 112))); // no GL here: one box
        EXPECT_TRUE(boxes.dismissed) << "the box waited for an answer";
        EXPECT_FALSE(closedInBox);
        EXPECT_EQ(closed.count(), 1);
        EXPECT_FALSE(window.isVisible());
    }
}

} // namespace
} // namespace orbit

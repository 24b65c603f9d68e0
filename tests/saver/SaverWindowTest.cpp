// The saver windows' message handling on Qt's offscreen platform, which has no
// OpenGL: the window reports the failed context and lives on without one, so
// its timer, closing inputs and destroy handling can be driven here with
// synthetic events, deterministically and without an X server.
#include "saver/FullScreenSaverWindow.h"
#include "saver/SaverWindow.h"
#include "saver/TerminationSignals.h"

#include "tests/support/RecordingSceneServices.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <pthread.h>

namespace orbit {
namespace {

// Runs the queued work (posted closes) of the event loop.
void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

const QPoint spot(9, 9); // where the table's clicks land

void focusOut(SaverWindow& window)
{
    QFocusEvent event(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(&window, &event);
}

class SaverWindowTest : public testing::Test, protected test::RecordingSceneServices {
protected:
    std::unique_ptr<SaverWindow> make(bool fullScreen)
    {
        auto full = fullScreen ? std::make_unique<FullScreenSaverWindow>(services(), 1000u) : nullptr;
        FullScreenSaverWindow* fullView = full.get();
        std::unique_ptr<SaverWindow> window =
            full ? std::move(full) : std::make_unique<SaverWindow>(services(), 1000u);
        closes = std::make_unique<QSignalSpy>(window.get(), &SaverWindow::closed);
        EXPECT_TRUE(fullView ? fullView->createFullScreen("orbit-patrol")
                         : window->createSaver("IDS_PREVIEW", QRect(0, 0, 152, 112)));
        settle();
        return window;
    }

    std::unique_ptr<QSignalSpy> closes;
};

// Which inputs close which window. The full screen: the second move to a new
// position, a left or middle press, a right release, any key, focus loss, but
// not the window manager's close. The preview: Escape only.
TEST_F(SaverWindowTest, ClosingInputs)
{
    using Input = void (*)(SaverWindow&);
    const std::tuple<const char*, bool, Input, int> rows[] = {
        {"move, then a move to the same place", true, [](SaverWindow& w) {
             QTest::mouseMove(&w, QPoint(40, 30));
             // Sent directly: Qt drops a synthetic move to where the pointer already is.
             QMouseEvent same(QEvent::MouseMove, QPointF(40, 30), QPointF(40, 30), Qt::NoButton, Qt::NoButton, {});
             QCoreApplication::sendEvent(&w, &same);
         }, 0},
        {"move, then one pixel away", true, [](SaverWindow& w) {
             QTest::mouseMove(&w, QPoint(50, 20));
             settle();
             QTest::mouseMove(&w, QPoint(50, 21));
         }, 1},
        {"left press", true, [](SaverWindow& w) { QTest::mousePress(&w, Qt::LeftButton, {}, spot); }, 1},
        {"middle press", true, [](SaverWindow& w) { QTest::mousePress(&w, Qt::MiddleButton, {}, spot); }, 1},
        {"right press", true, [](SaverWindow& w) { QTest::mousePress(&w, Qt::RightButton, {}, spot); }, 0},
        {"right click", true, [](SaverWindow& w) { QTest::mouseClick(&w, Qt::RightButton, {}, spot); }, 1},
        {"Alt+X", true, [](SaverWindow& w) { QTest::keyPress(&w, Qt::Key_X, Qt::AltModifier); }, 1},
        {"window manager's close", true, [](SaverWindow& w) { w.close(); }, 0},
        {"focus loss", true, focusOut, 1},
        {"anything but Escape", false, [](SaverWindow& w) {
             QTest::mouseMove(&w, QPoint(3, 3));
             QTest::mouseMove(&w, QPoint(60, 50));
             for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
                 QTest::mouseClick(&w, button, {}, QPoint(60, 50));
             QTest::keyClick(&w, Qt::Key_S);
             QTest::keyClick(&w, Qt::Key_X, Qt::AltModifier);
             focusOut(w);
         }, 0},
        {"Escape", false, [](SaverWindow& w) { QTest::keyClick(&w, Qt::Key_Escape); }, 1},
    };
    for (const auto& [what, fullScreen, input, closed] : rows) {
        SCOPED_TRACE(what);
        auto window = make(fullScreen);
        input(*window);
        settle();
        EXPECT_EQ(closes->count(), closed);
        EXPECT_EQ(window->isVisible(), closed == 0);
    }
}

// Without GL the full screen reports once, covers the screen on top with no
// pointer and ticks at the clamped period; many closing inputs close it once,
// stop its timer and put the pointer back. A preview whose host window is
// gone closes at once.
TEST_F(SaverWindowTest, FullScreenCoversTheScreenAndClosesOnceRestoringThePointer)
{
    QCursor::setPos(QPoint(33, 44));
    settings.writeString("Options", "Timer", "250");
    auto window = make(true);
    EXPECT_EQ(window->framePeriodMs(), 100);
    QSignalSpy ticks(window.get(), &SaverWindow::ticked);
    EXPECT_TRUE(ticks.wait(1000)) << "no tick";
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].text, "ChoosePixelFormat failed");
    EXPECT_EQ(notifier.messages[0].caption, "");
    EXPECT_EQ(window->title(), "orbit-patrol");
    EXPECT_EQ(window->geometry(), QGuiApplication::primaryScreen()->geometry());
    EXPECT_TRUE(window->flags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window->cursor().shape(), Qt::BlankCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the wait cursor was left on";
    QCursor::setPos(QPoint(200, 100));
    window->postClose();
    window->postClose();
    EXPECT_EQ(closes->count(), 0) << "closing is posted, not done inside the caller";
    QTest::keyPress(window.get(), Qt::Key_A);
    QTest::mousePress(window.get(), Qt::LeftButton, {}, QPoint(5, 5));
    settle();
    QTest::keyPress(window.get(), Qt::Key_B);
    settle();
    EXPECT_EQ(closes->count(), 1);
    EXPECT_EQ(QCursor::pos(), QPoint(33, 44));
    EXPECT_EQ(window->framePeriodMs(), 0);
    ticks.clear();
    QTest::qWait(250);
    EXPECT_EQ(ticks.count(), 0) << "ticks after the destroy handling";

    auto preview = make(false);
    preview->hostWindowGone();
    EXPECT_EQ(closes->count(), 1) << "no queued close: the native window is gone already";
    preview->postClose();
    settle();
    EXPECT_EQ(closes->count(), 1);
}

// A message box of the set-up as the program shows one: a modal window and a
// nested event loop until it is closed (or, unanswered, for three seconds).
class ModalBoxNotifier final : public UserNotifier {
public:
    MessageReply show(std::string_view, std::string_view, MessageButtons) override
    {
        ++shown;
        QWindow box;
        box.setModality(Qt::ApplicationModal);
        box.resize(100, 50);
        box.show();
        QEventLoop loop;
        QObject::connect(&box, &QWindow::visibleChanged, &loop, [&](bool visible) {
            if (!visible)
                loop.quit();
        });
        QTimer::singleShot(3000, &loop, &QEventLoop::quit);
        QTimer::singleShot(10, &loop, whileOpen);
        open = true;
        loop.exec();
        open = false;
        return MessageReply::Ok;
    }
    std::function<void()> whileOpen;
    int shown = 0;
    bool open = false;
};

// A close from the event loop (signal, input) or from the host, arriving in
// the set-up's message box: the box is dismissed, and the close runs once
// the set-up has returned, not under it.
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
        QElapsedTimer clock;
        clock.start();
        EXPECT_TRUE(window.createSaver("IDS_PREVIEW", QRect(0, 0, 152, 112))); // no GL here: one box
        EXPECT_LT(clock.elapsed(), 1000) << "the box waited for an answer";
        EXPECT_EQ(boxes.shown, 1);
        EXPECT_FALSE(closedInBox);
        EXPECT_EQ(closed.count(), 1);
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        window.postClose();
        settle();
        EXPECT_EQ(closed.count(), 1);
    }
}

// A signal that arrives before the event loop reads it is seen as waiting,
// and counts as answered when the handling ends: unblocking it then must not
// end the process by its default action.
TEST(TerminationSignalsTest, WaitingSignalIsSeenAndAnsweredAtTheEnd)
{
    for (const int number : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(number);
        TerminationSignals signalsTaken;
        EXPECT_FALSE(signalsTaken.pending());
        pthread_kill(pthread_self(), number); // this thread blocks it now
        EXPECT_TRUE(signalsTaken.pending());
    }
}

} // namespace
} // namespace orbit

int main(int argc, char** argv)
{
    // No X server and no OpenGL: the offscreen platform without its GLX part.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_QPA_OFFSCREEN_NO_GLX", "1");
    // QApplication, not QGuiApplication: QtTest treats qApp as one when widgets are linked.
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

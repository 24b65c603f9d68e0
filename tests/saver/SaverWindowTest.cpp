// The saver windows' message handling on Qt's offscreen platform, which has no
// OpenGL: the window reports the failed context and lives on
// without one, so its timer, closing inputs and destroy handling can be driven
// here with synthetic events, deterministically and without an X server.
#include "saver/FullScreenSaverWindow.h"
#include "saver/SaverWindow.h"
#include "saver/TerminationSignals.h"

#include "platform/MemoryResources.h"
#include "tests/support/TestDoubles.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTimer>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <memory>
#include <pthread.h>

namespace orbit {
namespace {

class SaverWindowTest : public testing::Test {
protected:
    SceneServices services() { return {random, settings, resources, notifier, diagnostics, sound}; }

    // Runs the queued work (posted closes) of the event loop.
    static void settle()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    std::unique_ptr<FullScreenSaverWindow> makeFullScreen()
    {
        auto window = std::make_unique<FullScreenSaverWindow>(services(), 1000u);
        closedCount = std::make_unique<QSignalSpy>(window.get(), &SaverWindow::closed);
        EXPECT_TRUE(window->createFullScreen("orbit-patrol"));
        settle();
        return window;
    }

    std::unique_ptr<SaverWindow> makePreview()
    {
        auto window = std::make_unique<SaverWindow>(services(), 1000u);
        closedCount = std::make_unique<QSignalSpy>(window.get(), &SaverWindow::closed);
        EXPECT_TRUE(window->createSaver("IDS_PREVIEW", QRect(0, 0, 152, 112)));
        settle();
        return window;
    }

    int closes() const { return static_cast<int>(closedCount->count()); }

    RandomGenerator random;
    MemorySettingsStore settings;
    MemoryResources resources;
    RecordingNotifier notifier;
    RecordingSink diagnostics;
    RecordingSoundPlayer sound;
    std::unique_ptr<QSignalSpy> closedCount;
};

TEST_F(SaverWindowTest, FullScreenWithoutGlReportsOnceAndCoversTheScreenOnTop)
{
    auto window = makeFullScreen();
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].text, "ChoosePixelFormat failed");
    EXPECT_EQ(notifier.messages[0].caption, "");
    EXPECT_FALSE(window->hasGlContext());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->title(), "orbit-patrol");
    EXPECT_EQ(window->geometry(), QGuiApplication::primaryScreen()->geometry());
    EXPECT_TRUE(window->flags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window->cursor().shape(), Qt::BlankCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the wait cursor was left on";
    EXPECT_EQ(closes(), 0);
}

TEST_F(SaverWindowTest, RunsAtTheClampedTimerAndStopsOnClose)
{
    for (const auto& [stored, periodMs] : {std::pair{"", 10}, std::pair{"0", 1}, std::pair{"250", 100}}) {
        SCOPED_TRACE(stored);
        settings.writeString("Options", "Timer", stored); // empty reads as absent
        auto window = makePreview();
        EXPECT_EQ(window->framePeriodMs(), periodMs);
        QSignalSpy ticks(window.get(), &SaverWindow::ticked);
        EXPECT_TRUE(ticks.wait(1000)) << "no tick";
        window->postClose();
        settle();
        EXPECT_EQ(window->framePeriodMs(), 0);
        ticks.clear();
        QTest::qWait(3 * periodMs + 50);
        EXPECT_EQ(ticks.count(), 0) << "ticks after the destroy handling";
    }
}

TEST_F(SaverWindowTest, SecondMoveToANewPositionCloses)
{
    auto window = makeFullScreen();
    QTest::mouseMove(window.get(), QPoint(40, 30));
    settle();
    EXPECT_EQ(closes(), 0) << "the first move only records the position";
    // Sent directly: Qt drops a synthetic move to where the pointer already is.
    QMouseEvent same(QEvent::MouseMove, QPointF(40, 30), QPointF(40, 30), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &same);
    settle();
    EXPECT_EQ(closes(), 0) << "a move to the recorded position";
    QTest::mouseMove(window.get(), QPoint(40, 31));
    settle();
    EXPECT_EQ(closes(), 1) << "one pixel away closes";
    EXPECT_TRUE(window->isClosed());
}

TEST_F(SaverWindowTest, LeftAndMiddlePressesCloseTheRightButtonOnlyOnRelease)
{
    for (const auto& [button, pressCloses] :
         {std::pair{Qt::LeftButton, true}, std::pair{Qt::MiddleButton, true}, std::pair{Qt::RightButton, false}}) {
        auto window = makeFullScreen();
        QTest::mousePress(window.get(), button, Qt::NoModifier, QPoint(10, 10));
        settle();
        EXPECT_EQ(closes(), pressCloses ? 1 : 0) << "after the press of " << button;
        QTest::mouseRelease(window.get(), button, Qt::NoModifier, QPoint(10, 10));
        settle();
        EXPECT_EQ(closes(), 1) << "after the release of " << button;
    }
}

TEST_F(SaverWindowTest, AnyKeyClosesTheFullScreen)
{
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Q, Qt::NoModifier}, {Qt::Key_S, Qt::NoModifier}, {Qt::Key_X, Qt::AltModifier}};
    for (const auto& [key, modifiers] : keys) {
        auto window = makeFullScreen();
        QTest::keyPress(window.get(), key, modifiers);
        settle();
        EXPECT_EQ(closes(), 1) << key;
    }
}

TEST_F(SaverWindowTest, FullScreenClosesOnFocusLossButNotOnTheWindowManagersClose)
{
    auto window = makeFullScreen();
    window->close();
    settle();
    EXPECT_EQ(closes(), 0) << "the window manager's close is swallowed";
    EXPECT_TRUE(window->isVisible());
    QFocusEvent focusOut(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(window.get(), &focusOut);
    settle();
    EXPECT_EQ(closes(), 1);
}

TEST_F(SaverWindowTest, ManyClosingInputsCloseOnceAndPutTheCursorBack)
{
    QCursor::setPos(QPoint(33, 44));
    auto window = makeFullScreen();
    QCursor::setPos(QPoint(200, 100));
    window->postClose();
    window->postClose();
    EXPECT_EQ(closes(), 0) << "closing is posted, not done inside the caller";
    QTest::keyPress(window.get(), Qt::Key_A);
    QTest::mousePress(window.get(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    settle();
    QTest::keyPress(window.get(), Qt::Key_B);
    settle();
    EXPECT_EQ(closes(), 1);
    EXPECT_EQ(QCursor::pos(), QPoint(33, 44));
}

TEST_F(SaverWindowTest, PreviewClosesOnlyOnEscape)
{
    auto window = makePreview();
    QTest::mouseMove(window.get(), QPoint(3, 3));
    QTest::mouseMove(window.get(), QPoint(60, 50));
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
        QTest::mouseClick(window.get(), button, Qt::NoModifier, QPoint(60, 50));
    QTest::keyClick(window.get(), Qt::Key_S);
    QTest::keyClick(window.get(), Qt::Key_X, Qt::AltModifier);
    QFocusEvent focusOut(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(window.get(), &focusOut);
    settle();
    EXPECT_EQ(closes(), 0);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    settle();
    EXPECT_EQ(closes(), 1);
}

TEST_F(SaverWindowTest, HostGoneClosesAtOnce)
{
    auto window = makePreview();
    window->hostWindowGone();
    EXPECT_EQ(closes(), 1) << "no queued close: the native window is gone already";
    window->postClose();
    settle();
    EXPECT_EQ(closes(), 1);
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

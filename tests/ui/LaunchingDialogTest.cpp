// The launching dialog: shown at once, centred on its owner, status lines
// painted before the set-up goes on, and a close that waits for the event loop.
#include "ui/LaunchingDialog.h"

#include "UiTestSupport.h"
#include "platform/MemoryResources.h"

#include <QDialog>
#include <QLabel>
#include <QTest>
#include <QWindow>

namespace orbit {
namespace {

class LaunchingDialogTest : public test::QtTest {
protected:
    MemoryResources resources;
};

TEST_F(LaunchingDialogTest, OpensVisibleModelessAndCentredOnItsOwner)
{
    QWindow owner;
    owner.setGeometry(100, 50, 640, 480);
    owner.show();
    LaunchingDialog launching(resources, &owner);
    QDialog& window = launching.window();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isModal());
    EXPECT_EQ(window.frameGeometry().center(), owner.geometry().center());
    ASSERT_NE(launching.statusLabel(), nullptr);
    EXPECT_EQ(launching.statusLabel()->text(), "Launching...");
    EXPECT_EQ(window.windowHandle()->transientParent(), &owner);
}

TEST_F(LaunchingDialogTest, StatusTextIsPaintedAtOnce)
{
    LaunchingDialog launching(resources, nullptr);
    QLabel* status = launching.statusLabel();
    const QImage before = status->grab().toImage();
    for (const char* line : {"Loading heraldic...", "Loading transmittors...", "Loading starships..."}) {
        launching.setStatusText(line);
        EXPECT_EQ(status->text(), line);
    }
    EXPECT_NE(status->grab().toImage(), before);
    // The whole line fits its control.
    EXPECT_LE(status->fontMetrics().horizontalAdvance("Loading transmittors..."), status->width());
}

TEST_F(LaunchingDialogTest, CloseIsQueuedUntilTheEventLoopRuns)
{
    LaunchingDialog launching(resources, nullptr);
    launching.close();
    EXPECT_TRUE(launching.window().isVisible());
    ASSERT_TRUE(test::waitUntil([&] { return !launching.window().isVisible(); }));
}

TEST_F(LaunchingDialogTest, DestroyingTheObjectWithACloseStillQueuedIsSafe)
{
    {
        LaunchingDialog launching(resources, nullptr);
        launching.close();
    }
    QTest::qWait(20); // the queued close must find nothing to call
    SUCCEED();
}

} // namespace
} // namespace orbit

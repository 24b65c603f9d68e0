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

TEST_F(LaunchingDialogTest, OpensModelessCentredOnItsOwnerAndPaintsStatusLinesAtOnce)
{
    QWindow owner;
    owner.setGeometry(100, 50, 640, 480);
    owner.show();
    LaunchingDialog launching(resources, &owner);
    QDialog& window = launching.window();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isModal());
    EXPECT_EQ(window.frameGeometry().center(), owner.geometry().center());
    EXPECT_EQ(window.windowHandle()->transientParent(), &owner);
    QLabel* status = launching.statusLabel();
    EXPECT_EQ(status->text(), "Launching...");
    const QImage before = status->grab().toImage();
    launching.setStatusText("Loading transmittors...");
    EXPECT_NE(status->grab().toImage(), before);
}

TEST_F(LaunchingDialogTest, CloseIsQueuedUntilTheEventLoopRuns)
{
    {
        LaunchingDialog launching(resources, nullptr);
        launching.close();
        EXPECT_TRUE(launching.window().isVisible());
        ASSERT_TRUE(test::waitUntil([&] { return !launching.window().isVisible(); }));
    }
    LaunchingDialog(resources, nullptr).close();
    QTest::qWait(20); // the close queued for the destroyed dialog must find nothing to call
}

} // namespace
} // namespace orbit

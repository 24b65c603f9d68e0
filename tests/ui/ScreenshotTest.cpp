// Screenshots of each dialog under X11 with the built-in resources, saved to
// <build>/screenshots/, and a check that no control's text is cut: the ink a
// text covers, drawn alone in the control's font, must fit the control's room.
#include "UiTestSupport.h"
#include "platform/SettingsStore.h"
#include "platform/UrlOpener.h"
#include "platform/UserNotifier.h"
#include "resources/EmbeddedResources.h"
#include "tests/support/TestFiles.h"
#include "ui/AboutDialog.h"
#include "ui/CubeButton.h"
#include "ui/LaunchingDialog.h"
#include "ui/SettingsDialog.h"
#include "tests/support/TestDoubles.h"

#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

namespace orbit {
namespace {

// On a plain background each label's ink in the screenshot must also be as wide
// as its text's own ink. A scrolling edit (`scrolls`) may hold more than it shows.
void saveAndCheck(QWidget& dialog, const char* name, bool plainBackground, const QWidget* scrolls = nullptr)
{
    const QImage shot = dialog.grab().toImage();
    QDir().mkpath(ORBIT_BINARY_DIR "/screenshots");
    shot.save(QStringLiteral(ORBIT_BINARY_DIR "/screenshots/") + name + ".png");
    int checked = 0;
    for (QWidget* widget : dialog.findChildren<QWidget*>()) {
        if (!widget->isVisible())
            continue;
        if (auto* label = qobject_cast<QLabel*>(widget); label && !label->text().isEmpty()) {
            const QFontMetrics metrics(label->font());
            EXPECT_LE(metrics.horizontalAdvance(label->text()), label->contentsRect().width()) << name;
            EXPECT_LE(metrics.height(), label->contentsRect().height()) << name;
            if (plainBackground) {
                const QRect area = label->geometry();
                const QRect ink = test::inkBounds(shot.copy(area), shot.pixel(area.right() + 1, area.top()));
                EXPECT_NEAR(ink.width(), test::textInkWidth(label->text(), label->font()), 1) << name;
            }
            ++checked;
        } else if (auto* button = qobject_cast<QPushButton*>(widget);
                   button && !button->text().isEmpty() && !button->inherits("orbit::CubeButton")) {
            QStyleOptionButton option;
            option.initFrom(button);
            const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
            const int frame = button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, button);
            const QString text = button->text().remove('&'); // the mnemonic marker is not drawn
            EXPECT_LE(test::textInkWidth(text, button->font()) + margin + 2 * frame, button->width()) << name;
            EXPECT_LE(QFontMetrics(button->font()).height() + 2 * frame, button->height()) << name;
            ++checked;
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget); edit && edit != scrolls && !edit->text().isEmpty()) {
            EXPECT_LE(QFontMetrics(edit->font()).horizontalAdvance(edit->text()) + 5, edit->width()) << name;
            ++checked;
        }
    }
    EXPECT_GT(checked, 0);
}

class ScreenshotTest : public test::QtTest {
protected:
    MemorySettingsStore store;
    EmbeddedResources resources;
    RecordingUrlOpener opener;
    RecordingNotifier notifier;
};

TEST_F(ScreenshotTest, SettingsDialogAndLaunchingDialog)
{
    // With a model file stored, so the check's result is measured too.
    test::ScratchDir scratch("screenshot");
    const auto ship = resources.find("FILE3DS", 184);
    test::writeFileBytes(scratch.path() / "starship.3ds", {ship.begin(), ship.end()});
    store.values["Options/3dsFileName"] = (scratch.path() / "starship.3ds").string();
    SettingsDialog dialog(store, resources, opener, notifier);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ASSERT_TRUE(test::waitUntil([&] { return !dialog.checkingModel(); }));
    EXPECT_EQ(dialog.modelStatus()->text(), "8,728 faces, 13 materials");
    QTest::qWait(50);
    saveAndCheck(dialog, "settings-dialog", true, dialog.modelField());
    LaunchingDialog launching(resources, nullptr);
    launching.setStatusText("Loading transmittors...");
    saveAndCheck(launching.window(), "launching-dialog", false);
}

TEST_F(ScreenshotTest, AboutBoxWithItsCubeAndReadableTextOnThePicture)
{
    AboutDialog dialog(store, resources, opener, notifier);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::qWait(300); // a few turns of the cube
    saveAndCheck(dialog, "about-box", false);
    EXPECT_TRUE(dialog.cubeButton()->hasGl());
    EXPECT_TRUE(dialog.cubeButton()->isAnimating());
    EXPECT_TRUE(notifier.messages.empty());
    const QImage shot = dialog.grab().toImage();
    for (int id : {1021, 1022, 1023, 1024, 1000}) {
        const QImage part = shot.copy(dialog.control(id)->geometry());
        int bright = 0;
        for (int y = 0; y < part.height(); ++y)
            for (int x = 0; x < part.width(); ++x)
                bright += qGray(part.pixel(x, y)) > 170 ? 1 : 0;
        EXPECT_GT(bright, 10) << "text of control " << id << " is not readable";
    }
}

} // namespace
} // namespace orbit

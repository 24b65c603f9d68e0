// Screenshots of each dialog under X11 with the built-in resources, saved to
// <build>/screenshots/, and a check that no control's text is cut: the ink a
// text really covers, drawn alone in the control's font, must fit the room
// the control gives it, and on the plain dialogs the label's ink in the
// screenshot must be as wide as the text's own ink.
#include "UiTestSupport.h"
#include "platform/SettingsStore.h"
#include "platform/UrlOpener.h"
#include "platform/UserNotifier.h"
#include "resources/EmbeddedResources.h"
#include "ui/AboutDialog.h"
#include "ui/LaunchingDialog.h"
#include "ui/SettingsDialog.h"

#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

#include <string>

namespace orbit {
namespace {

QString saveShot(const QImage& image, const char* name)
{
    const QString folder = QStringLiteral(ORBIT_BINARY_DIR "/screenshots");
    QDir().mkpath(folder);
    const QString path = folder + "/" + name + ".png";
    image.save(path);
    return path;
}

// Checks every text control of `dialog`; `plainBackground` also compares each
// label's ink in the screenshot with its text's ink.
void expectNoClippedText(QWidget& dialog, const QImage& shot, bool plainBackground)
{
    int checked = 0;
    for (QWidget* widget : dialog.findChildren<QWidget*>()) {
        if (!widget->isVisible())
            continue;
        if (auto* label = qobject_cast<QLabel*>(widget); label && !label->text().isEmpty()) {
            SCOPED_TRACE(label->text().toStdString());
            const QFontMetrics metrics(label->font());
            const QRect room = label->contentsRect();
            EXPECT_LE(metrics.horizontalAdvance(label->text()), room.width()); // one line, not wrapped
            EXPECT_LE(metrics.height(), room.height());
            if (plainBackground) {
                const QRect area = label->geometry();
                const QImage part = shot.copy(area);
                const QRect ink = test::inkBounds(part, shot.pixel(area.right() + 1 < shot.width() ? area.right() + 1 : 0, area.top()));
                EXPECT_NEAR(ink.width(), test::textInkWidth(label->text(), label->font()), 1);
            }
            ++checked;
        } else if (auto* button = qobject_cast<QPushButton*>(widget); button && !button->text().isEmpty()) {
            if (button->metaObject()->className() == QByteArray("orbit::CubeButton"))
                continue; // draws a picture, not its text
            SCOPED_TRACE(button->text().toStdString());
            QStyleOptionButton option;
            option.initFrom(button);
            const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
            const int frame = button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, button);
            const QString text = button->text().remove('&'); // the mnemonic marker is not drawn
            EXPECT_LE(test::textInkWidth(text, button->font()) + margin + 2 * frame, button->width());
            EXPECT_LE(QFontMetrics(button->font()).height() + 2 * frame, button->height());
            ++checked;
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget); edit && !edit->text().isEmpty()) {
            SCOPED_TRACE(edit->text().toStdString());
            EXPECT_LE(QFontMetrics(edit->font()).horizontalAdvance(edit->text()) + 5, edit->width());
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

TEST_F(ScreenshotTest, SettingsDialog)
{
    SettingsDialog dialog(store, resources, opener, notifier);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::qWait(50);
    const QImage shot = dialog.grab().toImage();
    saveShot(shot, "settings-dialog");
    expectNoClippedText(dialog, shot, true);
}

TEST_F(ScreenshotTest, AboutBox)
{
    AboutDialog dialog(store, resources, opener, notifier);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::qWait(300); // a few turns of the cube
    const QImage shot = dialog.grab().toImage();
    saveShot(shot, "about-box");
    expectNoClippedText(dialog, shot, false);
    // The picture is dark under the labels: their text must stand out from it.
    for (int id : {1021, 1022, 1023, 1024, 1000}) {
        const QImage part = shot.copy(dialog.control(id)->geometry());
        int bright = 0;
        for (int y = 0; y < part.height(); ++y) {
            for (int x = 0; x < part.width(); ++x)
                bright += qGray(part.pixel(x, y)) > 170 ? 1 : 0;
        }
        EXPECT_GT(bright, 10) << "text of control " << id << " is not readable";
    }
    EXPECT_TRUE(notifier.messages.empty());
}

TEST_F(ScreenshotTest, LaunchingDialog)
{
    LaunchingDialog launching(resources, nullptr);
    launching.setStatusText("Loading transmittors...");
    const QImage shot = launching.window().grab().toImage();
    saveShot(shot, "launching-dialog");
    expectNoClippedText(launching.window(), shot, false);
}

} // namespace
} // namespace orbit

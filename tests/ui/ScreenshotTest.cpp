// One run over the three dialogs under X11 with the built-in resources:
// screenshots saved to <build>/screenshots/, no control's text cut (each line
// fits its control's room, so the template rectangles suit the font), and the
// About box's text readable on its picture next to a turning cube.
#include "UiTestSupport.h"
#include "platform/SettingsStore.h"
#include "platform/UrlOpener.h"
#include "platform/UserNotifier.h"
#include "resources/EmbeddedResources.h"
#include "tests/support/TestDoubles.h"
#include "ui/AboutDialog.h"
#include "ui/CubeButton.h"
#include "ui/LaunchingDialog.h"
#include "ui/SettingsDialog.h"

#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>

namespace orbit {
namespace {

// A scrolling edit (`scrolls`) may hold more than it shows.
QImage saveAndCheck(QWidget& dialog, const char* name, const QWidget* scrolls = nullptr)
{
    const QImage shot = dialog.grab().toImage();
    QDir().mkpath(ORBIT_BINARY_DIR "/screenshots");
    shot.save(QStringLiteral(ORBIT_BINARY_DIR "/screenshots/") + name + ".png");
    int checked = 0;
    for (QWidget* widget : dialog.findChildren<QWidget*>()) {
        const QString text = widget->property("text").toString().remove('&'); // the mnemonic is not drawn
        if (!widget->isVisible() || text.isEmpty() || widget == scrolls || widget->inherits("orbit::CubeButton"))
            continue;
        const QFontMetrics metrics(widget->font());
        int room = widget->contentsRect().width();
        const QStyle* style = widget->style();
        if (qobject_cast<QPushButton*>(widget))
            room -= style->pixelMetric(QStyle::PM_ButtonMargin) +
                    2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth);
        else if (qobject_cast<QLineEdit*>(widget))
            room -= 5;
        for (const QString& line : text.split('\n'))
            EXPECT_LE(metrics.horizontalAdvance(line), room) << name << ": " << line.toStdString();
        EXPECT_LE(metrics.height(), widget->contentsRect().height()) << name << ": " << text.toStdString();
        ++checked;
    }
    EXPECT_GT(checked, 0) << name;
    return shot;
}

class ScreenshotTest : public test::QtTest {};

TEST_F(ScreenshotTest, EveryDialogShowsItsTextWhole)
{
    MemorySettingsStore store;
    EmbeddedResources resources;
    RecordingUrlOpener opener;
    RecordingNotifier notifier;
    store.values["Options/3dsFileName"] = "/no/such/folder/with/a/long/name/ship.3ds"; // a two-line verdict
    SettingsDialog settings(store, resources, opener, notifier);
    settings.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&settings));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !settings.checkingModel(); }));
    saveAndCheck(settings, "settings-dialog", settings.modelField());
    LaunchingDialog launching(resources, nullptr);
    launching.setStatusText("Loading transmittors...");
    saveAndCheck(launching.window(), "launching-dialog");

    AboutDialog about(store, resources, opener, notifier);
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    QTest::qWait(300); // a few turns of the cube
    const QImage shot = saveAndCheck(about, "about-box");
    EXPECT_TRUE(about.cubeButton()->hasGl());
    EXPECT_TRUE(about.cubeButton()->isAnimating());
    EXPECT_TRUE(notifier.messages.empty());
    for (int id : {1021, 1022, 1023, 1024, 1000}) {
        const QImage part = shot.copy(about.control(id)->geometry());
        int bright = 0;
        for (int y = 0; y < part.height(); ++y)
            for (int x = 0; x < part.width(); ++x)
                bright += qGray(part.pixel(x, y)) > 170 ? 1 : 0;
        EXPECT_GT(bright, 10) << "text of control " << id << " is not readable";
    }
}

} // namespace
} // namespace orbit

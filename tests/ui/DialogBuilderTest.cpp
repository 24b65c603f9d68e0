// Dialogs built from templates: each settings control at its rectangle in
// dialog units, tab stops focusable (the /c run in tests/e2e tabs from OK to
// the slider; the settings test's accessors need each widget class); the
// launching dialog frameless, repainting its status at once, its text whole,
// closing only from the event loop (its place: the preview run in e2e).
#include "ui/DialogBuilder.h"
#include "ui/LaunchingDialog.h"

#include "UiTestSupport.h"
#include "platform/MemoryResources.h"

#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace orbit {
namespace {

QRect pixels(const DialogRect& rect, DialogBaseUnits units)
{
    const PixelRect p = toPixels(rect, units);
    return {p.x, p.y, p.width, p.height};
}

TEST(DialogBuilder, SettingsTemplateBecomesWidgetsAtConvertedRectangles)
{
    // Value, base, divisor, pixels: half away from zero; no divisor gives 0.
    const int cases[][4] = {{115, 6, 4, 173}, {87, 13, 8, 141}, {-7, 6, 4, -11}, {5, 7, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(dialogUnitsToPixels(c[0], c[1], c[2]), c[3]) << c[0] << " * " << c[1] << " / " << c[2];
    EXPECT_EQ(pixels({115, 7, 50, 14}, {6, 13}), QRect(173, 11, 75, 23));
    QDialog dialog;
    MemoryResources resources;
    const DialogTemplate& settings = *findDialogTemplate(dialogId::settings);
    const DialogControls controls = buildDialog(dialog, settings, resources);
    // Base units: the average letter width (rounded) and the font's height.
    const QFontMetrics metrics(dialogFont(settings));
    int letters = 0;
    for (char c = 'A'; c <= 'Z'; ++c)
        letters += metrics.horizontalAdvance(QChar(c)) + metrics.horizontalAdvance(QChar(c - 'A' + 'a'));
    EXPECT_NEAR(controls.baseUnits.x, (letters / 26 + 1) / 2, 1); // kerning moves the sum a little
    EXPECT_EQ(controls.baseUnits.y, metrics.height());
    EXPECT_EQ(dialog.size(), pixels({0, 0, settings.width, settings.height}, controls.baseUnits).size());
    ASSERT_EQ(controls.all().size(), settings.controls.size());
    for (std::size_t i = 0; i < settings.controls.size(); ++i) {
        const ControlTemplate& control = settings.controls[i];
        QWidget* widget = controls.all()[i].second;
        EXPECT_EQ(widget->geometry(), pixels(control.rect, controls.baseUnits)) << control.id;
        const bool tabStop = (control.style & windowStyle::tabStop) != 0;
        EXPECT_EQ(widget->focusPolicy(), tabStop ? Qt::StrongFocus : Qt::NoFocus) << control.id;
    }
    EXPECT_TRUE(controls.controlAs<QLabel>(1003)->alignment() & Qt::AlignRight); // the delay's value
    EXPECT_TRUE(controls.controlAs<QLineEdit>(1006)->isReadOnly()); // the model's file name
}

TEST(LaunchingDialog, RepaintsAtOnceAndClosesFromTheEventLoop)
{
    MemoryResources resources;
    LaunchingDialog launching(resources, nullptr);
    QDialog& window = launching.window();
    EXPECT_FALSE(window.isModal());
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(window.findChild<QPushButton*>()->isVisible()); // hidden in the template
    QLabel* status = launching.statusLabel();
    EXPECT_EQ(status->text(), "Launching...");
    const QImage before = status->grab().toImage();
    launching.setStatusText("Loading transmittors...");
    EXPECT_NE(status->grab().toImage(), before);
    test::expectTextWhole(window, "launching-dialog");
    launching.close();
    EXPECT_TRUE(window.isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }));
}

} // namespace
} // namespace orbit

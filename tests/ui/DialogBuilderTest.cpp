// Dialogs built from templates: dialog units to pixels, every control of the
// settings template as its widget class at its converted rectangle with tab
// stops focusable and the first one focused; the launching dialog (hidden
// control, no frame) shown at once, centred on its owner, repainting its
// status at once, and closing only when the event loop runs.
#include "ui/DialogBuilder.h"
#include "ui/LaunchingDialog.h"

#include "UiTestSupport.h"
#include "platform/MemoryResources.h"

#include <QCheckBox>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QWindow>

namespace orbit {
namespace {

QRect pixels(const DialogRect& rect, DialogBaseUnits units)
{
    const PixelRect p = toPixels(rect, units);
    return {p.x, p.y, p.width, p.height};
}

TEST(DialogUnits, RoundHalfAwayFromZeroAndScaleXByQuarterAndYByEighth)
{
    // value, base, divisor, pixels; no divisor gives 0.
    const int cases[][4] = {{115, 6, 4, 173}, {87, 13, 8, 141}, {-7, 6, 4, -11}, {5, 7, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(dialogUnitsToPixels(c[0], c[1], c[2]), c[3]) << c[0] << " * " << c[1] << " / " << c[2];
    EXPECT_EQ(pixels({115, 7, 50, 14}, {6, 13}), QRect(173, 11, 75, 23));
}

class DialogBuilderTest : public test::QtTest {
protected:
    MemoryResources resources;
};

TEST_F(DialogBuilderTest, SettingsTemplateBecomesWidgetsAtConvertedRectangles)
{
    QDialog dialog;
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
    const auto classOf = [](QWidget* widget) -> std::string {
        if (auto* label = qobject_cast<QLabel*>(widget))
            return label->alignment() & Qt::AlignRight ? "right label" : "label";
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            return edit->isReadOnly() ? "read-only edit" : "edit";
        return qobject_cast<QCheckBox*>(widget) ? "check box"
             : qobject_cast<QPushButton*>(widget) ? "button"
             : qobject_cast<QSlider*>(widget) ? "slider"
             : qobject_cast<QSpinBox*>(widget) ? "spin box" : "other";
    };
    const std::string kinds[] = {"button", "button", "slider", "label", "button", "right label", "label", "spin box",
                                 "check box", "label", "read-only edit", "button", "button", "label"};
    ASSERT_EQ(controls.all().size(), std::size(kinds));
    ASSERT_EQ(settings.controls.size(), std::size(kinds));
    for (std::size_t i = 0; i < settings.controls.size(); ++i) {
        const ControlTemplate& control = settings.controls[i];
        QWidget* widget = controls.all()[i].second;
        EXPECT_EQ(controls.all()[i].first, control.id);
        EXPECT_EQ(widget->geometry(), pixels(control.rect, controls.baseUnits)) << control.id;
        const bool tabStop = (control.style & windowStyle::tabStop) != 0;
        EXPECT_EQ(widget->focusPolicy(), tabStop ? Qt::StrongFocus : Qt::NoFocus) << control.id;
        EXPECT_EQ(classOf(widget), kinds[i]) << control.id;
    }
    auto* ok = controls.controlAs<QPushButton>(1);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_FALSE(controls.controlAs<QPushButton>(2)->isDefault());
    EXPECT_EQ(dialog.focusWidget(), ok); // the first tab stop
}

TEST_F(DialogBuilderTest, LaunchingDialogShowsCentredRepaintsAtOnceAndClosesFromTheEventLoop)
{
    QWindow owner;
    owner.setGeometry(100, 50, 640, 480);
    owner.show();
    {
        LaunchingDialog launching(resources, &owner);
        QDialog& window = launching.window();
        EXPECT_TRUE(window.isVisible());
        EXPECT_FALSE(window.isModal());
        EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
        EXPECT_FALSE(window.findChild<QPushButton*>()->isVisible()); // hidden in the template
        EXPECT_EQ(window.frameGeometry().center(), owner.geometry().center());
        EXPECT_EQ(window.windowHandle()->transientParent(), &owner);
        QLabel* status = launching.statusLabel();
        EXPECT_EQ(status->text(), "Launching...");
        const QImage before = status->grab().toImage();
        launching.setStatusText("Loading transmittors...");
        EXPECT_NE(status->grab().toImage(), before);
        launching.close();
        EXPECT_TRUE(window.isVisible());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }));
    }
    LaunchingDialog(resources, nullptr).close();
    QTest::qWait(20); // the close queued for the destroyed dialog must find nothing to call
}

} // namespace
} // namespace orbit

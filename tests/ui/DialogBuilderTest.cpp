// Dialog units to pixels, and dialogs built from templates: every control at
// its converted rectangle, tab stops with the focus policy, the first one focused.
#include "ui/DialogBuilder.h"

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

namespace orbit {
namespace {

QRect pixels(const DialogRect& rect, DialogBaseUnits units)
{
    const PixelRect p = toPixels(rect, units);
    return {p.x, p.y, p.width, p.height};
}

TEST(DialogUnits, RoundHalfAwayFromZeroAndScaleXByQuarterAndYByEighth)
{
    // value, base, divisor, pixels: halves round away from zero; no divisor gives 0.
    const int cases[][4] = {{115, 6, 4, 173}, {87, 13, 8, 141}, {-7, 6, 4, -11}, {5, 7, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(dialogUnitsToPixels(c[0], c[1], c[2]), c[3]) << c[0] << " * " << c[1] << " / " << c[2];
    EXPECT_EQ(pixels({115, 7, 50, 14}, {6, 13}), QRect(173, 11, 75, 23)); // the base units of an 8-point sans-serif
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
    const QFont font = dialogFont(settings);
    EXPECT_EQ(font.pointSize(), 8);
    const QFontMetrics metrics(font);
    int letters = 0;
    for (char c = 'A'; c <= 'Z'; ++c)
        letters += metrics.horizontalAdvance(QChar(c)) + metrics.horizontalAdvance(QChar(c - 'A' + 'a'));
    EXPECT_NEAR(controls.baseUnits.x, (letters / 26 + 1) / 2, 1); // kerning moves the sum a little
    EXPECT_EQ(controls.baseUnits.y, metrics.height());
    EXPECT_EQ(dialog.windowTitle(), "Orbit Patrol Settings");
    EXPECT_EQ(dialog.size(), pixels({0, 0, settings.width, settings.height}, controls.baseUnits).size());
    ASSERT_EQ(controls.all().size(), settings.controls.size());
    // The widget class each kind becomes.
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
    ASSERT_EQ(std::size(kinds), settings.controls.size());
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
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_FALSE(controls.controlAs<QPushButton>(2)->isDefault());
    EXPECT_EQ(dialog.focusWidget(), ok); // the first tab stop
}

TEST_F(DialogBuilderTest, HiddenTemplateControlsStayHiddenAndNoCaptionMeansNoFrame)
{
    QDialog dialog;
    const DialogControls controls = buildDialog(dialog, *findDialogTemplate(dialogId::launching), resources);
    dialog.show();
    EXPECT_TRUE(controls.control(1011)->isVisible());
    EXPECT_FALSE(controls.control(1)->isVisible());
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
}

} // namespace
} // namespace orbit

// Dialog units to pixels, and dialogs built from templates: the conversion
// rounds as MulDiv does, every control sits at its converted rectangle with
// its text, tab stops get the focus policy and the first one the focus.
#include "ui/DialogBuilder.h"

#include "UiTestSupport.h"
#include "platform/MemoryResources.h"

#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

namespace orbit {
namespace {

TEST(DialogUnits, RoundLikeMulDivAndScaleXByQuarterAndYByEighth)
{
    // value, base, divisor, pixels: halves round away from zero.
    const int cases[][4] = {{115, 6, 4, 173}, {87, 13, 8, 141}, {53, 7, 4, 93}, {-7, 6, 4, -11}, {5, 7, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(dialogUnitsToPixels(c[0], c[1], c[2]), c[3]) << c[0] << " * " << c[1] << " / " << c[2];
    // MS Sans Serif 8 on Windows: base units 6 x 13, so the settings OK button
    // (115, 7, 50, 14) lands at (173, 11) and is 75 x 23 pixels.
    const PixelRect rect = toPixels({115, 7, 50, 14}, {6, 13});
    EXPECT_EQ((std::vector<int>{rect.x, rect.y, rect.width, rect.height}), (std::vector<int>{173, 11, 75, 23}));
}

class DialogBuilderTest : public test::QtTest {
protected:
    QRect pixels(const DialogRect& rect, DialogBaseUnits units) const
    {
        const PixelRect p = toPixels(rect, units);
        return {p.x, p.y, p.width, p.height};
    }
    MemoryResources resources;
};

TEST_F(DialogBuilderTest, BaseUnitsFollowTheFontsLettersAndHeight)
{
    const QFont font = dialogFont(*findDialogTemplate(dialogId::settings));
    EXPECT_EQ(font.pointSize(), 8);
    const DialogBaseUnits units = dialogBaseUnits(font);
    const QFontMetrics metrics(font);
    int letters = 0;
    for (char c = 'A'; c <= 'Z'; ++c)
        letters += metrics.horizontalAdvance(QChar(c)) + metrics.horizontalAdvance(QChar(c - 'A' + 'a'));
    // Letter by letter the sum can differ from the whole string by kerning
    // only, which moves the average by less than one pixel.
    EXPECT_NEAR(units.x, (letters / 26 + 1) / 2, 1);
    EXPECT_EQ(units.y, metrics.height());
}

TEST_F(DialogBuilderTest, SettingsTemplateBecomesWidgetsAtConvertedRectangles)
{
    QDialog dialog;
    const DialogTemplate& settings = *findDialogTemplate(dialogId::settings);
    const DialogControls controls = buildDialog(dialog, settings, resources);
    const DialogBaseUnits units = controls.baseUnits;
    EXPECT_EQ(dialog.windowTitle(), "Orbit Patrol Settings");
    EXPECT_EQ(dialog.size(), pixels({0, 0, 172, 87}, units).size());
    ASSERT_EQ(controls.all().size(), settings.controls.size());
    for (const ControlTemplate& control : settings.controls) {
        SCOPED_TRACE(control.id);
        QWidget* widget = controls.control(control.id);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), pixels(control.rect, units));
        EXPECT_EQ(widget->focusPolicy(), control.id == -1 ? Qt::NoFocus : Qt::StrongFocus);
    }
    auto* ok = controls.controlAs<QPushButton>(1);
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_FALSE(controls.controlAs<QPushButton>(2)->isDefault());
    EXPECT_EQ(controls.controlAs<QPushButton>(57664)->text(), "&About");
    EXPECT_NE(controls.controlAs<QSlider>(1002), nullptr);
    EXPECT_EQ(controls.controlAs<QLabel>(-1)->text(), "Frame delay");
    EXPECT_EQ(dialog.focusWidget(), ok); // the first tab stop
}

TEST_F(DialogBuilderTest, FactoryWidgetsGetTheTemplatesRectangleAndStyle)
{
    QDialog dialog;
    QLineEdit* custom = nullptr;
    const DialogControls controls = buildDialog(dialog, *findDialogTemplate(dialogId::about), resources,
                                                [&](const ControlTemplate& control, QWidget* parent) -> QWidget* {
                                                    if (control.id == 1000)
                                                        return custom = new QLineEdit(parent);
                                                    return nullptr;
                                                });
    ASSERT_NE(custom, nullptr);
    EXPECT_EQ(controls.control(1000), custom);
    EXPECT_TRUE(custom->isReadOnly());
    EXPECT_EQ(custom->geometry(), pixels({42, 109, 113, 12}, controls.baseUnits));
    EXPECT_EQ(controls.controlAs<QLabel>(1022)->text(), "Written by");
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

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

struct MulDivCase {
    int value;
    int base;
    int divisor;
    int expected;
};

class DialogUnitRounding : public ::testing::TestWithParam<MulDivCase> {};

TEST_P(DialogUnitRounding, RoundsHalfAwayFromZero)
{
    const MulDivCase& c = GetParam();
    EXPECT_EQ(dialogUnitsToPixels(c.value, c.base, c.divisor), c.expected);
}

INSTANTIATE_TEST_SUITE_P(MulDiv, DialogUnitRounding,
                         ::testing::Values(MulDivCase{115, 6, 4, 173},  // 172.5 rounds up
                                           MulDivCase{7, 6, 4, 11},     // 10.5 rounds up
                                           MulDivCase{50, 6, 4, 75},    // exact
                                           MulDivCase{14, 13, 8, 23},   // 22.75
                                           MulDivCase{87, 13, 8, 141},  // 141.375
                                           MulDivCase{53, 7, 4, 93},    // 92.75
                                           MulDivCase{-7, 6, 4, -11},   // symmetric below zero
                                           MulDivCase{0, 7, 4, 0},
                                           MulDivCase{5, 7, 0, 0}));    // no divisor: nothing

TEST(DialogUnits, RectangleScalesXByQuarterAndYByEighthOfBaseUnits)
{
    // MS Sans Serif 8 on Windows: base units 6 x 13, so the settings OK button
    // (115, 7, 50, 14) lands at (173, 11) and is 75 x 23 pixels.
    const PixelRect rect = toPixels({115, 7, 50, 14}, {6, 13});
    EXPECT_EQ(rect.x, 173);
    EXPECT_EQ(rect.y, 11);
    EXPECT_EQ(rect.width, 75);
    EXPECT_EQ(rect.height, 23);
}

class DialogBuilderTest : public test::QtTest {};

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
    EXPECT_GT(units.x, 3);
}

TEST_F(DialogBuilderTest, SettingsTemplateBecomesWidgetsAtConvertedRectangles)
{
    MemoryResources resources;
    QDialog dialog;
    const DialogTemplate& settings = *findDialogTemplate(dialogId::settings);
    const DialogControls controls = buildDialog(dialog, settings, resources);
    const DialogBaseUnits units = controls.baseUnits;

    EXPECT_EQ(dialog.windowTitle(), "Orbit Patrol Settings");
    EXPECT_EQ(dialog.width(), dialogUnitsToPixels(172, units.x, 4));
    EXPECT_EQ(dialog.height(), dialogUnitsToPixels(87, units.y, 8));
    ASSERT_EQ(controls.all().size(), settings.controls.size());
    for (const ControlTemplate& control : settings.controls) {
        SCOPED_TRACE(control.id);
        QWidget* widget = controls.control(control.id);
        ASSERT_NE(widget, nullptr);
        const PixelRect want = toPixels(control.rect, units);
        EXPECT_EQ(widget->geometry(), QRect(want.x, want.y, want.width, want.height));
        const bool tabStop = (control.style & windowStyle::tabStop) != 0;
        EXPECT_EQ(widget->focusPolicy(), tabStop ? Qt::StrongFocus : Qt::NoFocus);
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

TEST_F(DialogBuilderTest, OkAcceptsAndCancelRejects)
{
    MemoryResources resources;
    for (const auto& [id, result] : {std::pair{1, int(QDialog::Accepted)}, std::pair{2, int(QDialog::Rejected)}}) {
        QDialog dialog;
        const DialogControls controls = buildDialog(dialog, *findDialogTemplate(dialogId::settings), resources);
        dialog.setResult(-1);
        dialog.show();
        controls.controlAs<QPushButton>(id)->click();
        EXPECT_EQ(dialog.result(), result) << id;
        EXPECT_FALSE(dialog.isVisible());
    }
}

TEST_F(DialogBuilderTest, FactoryWidgetsGetTheTemplatesRectangleAndText)
{
    MemoryResources resources;
    QDialog dialog;
    std::vector<int> asked;
    QLineEdit* custom = nullptr;
    const DialogControls controls =
        buildDialog(dialog, *findDialogTemplate(dialogId::about), resources,
                    [&](const ControlTemplate& control, QWidget* parent) -> QWidget* {
                        asked.push_back(control.id);
                        if (control.id == 1000)
                            return custom = new QLineEdit(parent);
                        return nullptr;
                    });
    EXPECT_EQ(asked, (std::vector<int>{1, 1021, 1022, 1023, 1000, 1024, 1011, 1012}));
    ASSERT_NE(custom, nullptr);
    EXPECT_EQ(controls.control(1000), custom);
    EXPECT_TRUE(custom->isReadOnly());
    const PixelRect want = toPixels({42, 109, 113, 12}, controls.baseUnits);
    EXPECT_EQ(custom->geometry(), QRect(want.x, want.y, want.width, want.height));
    EXPECT_EQ(controls.controlAs<QLabel>(1022)->text(), "Written by");
}

TEST_F(DialogBuilderTest, HiddenTemplateControlsStayHidden)
{
    MemoryResources resources;
    QDialog dialog;
    const DialogControls controls = buildDialog(dialog, *findDialogTemplate(dialogId::launching), resources);
    dialog.show();
    EXPECT_TRUE(controls.control(1011)->isVisible());
    EXPECT_FALSE(controls.control(1)->isVisible());
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint); // no caption
}

} // namespace
} // namespace orbit

// The dialog templates against the tables they come from: every control's id,
// kind, text, rectangle and style bits, the dialogs' captions, sizes, fonts
// and styles; plus the layout rules any template must keep.
#include "resources/DialogTemplates.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace orbit {
namespace {

using namespace windowStyle;
using namespace controlStyle;

struct ExpectedControl {
    int id;
    ControlKind kind;
    std::string text;
    DialogRect rect;
    std::uint32_t style;
};

struct ExpectedDialog {
    int id;
    std::string caption;
    int width;
    int height;
    std::uint32_t style;
    std::uint32_t extendedStyle;
    std::vector<ExpectedControl> controls;
};

std::vector<ExpectedDialog> expectedDialogs()
{
    return {
        {208, "Orbit Patrol Settings", 172, 87, popup | visible | caption | systemMenu | modalFrame | setFont,
         extendedStyle::appWindow,
         {{1, ControlKind::DefaultPushButton, "OK", {115, 7, 50, 14}, visible | tabStop | 0x1},
          {2, ControlKind::PushButton, "Cancel", {115, 26, 50, 14}, visible | tabStop},
          {1002, ControlKind::Trackbar, "", {7, 20, 100, 24}, visible | tabStop | 0x1 | 0x4 | 0x10},
          {-1, ControlKind::StaticText, "Frame delay", {7, 7, 80, 8}, visible | group},
          {57664, ControlKind::PushButton, "&About", {115, 46, 50, 14}, visible | tabStop}}},
        {100, "About Orbit Patrol", 213, 148, popup | caption | systemMenu | modalFrame | setFont, 0,
         {{1, ControlKind::DefaultPushButton, "OK", {159, 94, 53, 53}, visible | tabStop | group | 0x1 | 0x80},
          {1021, ControlKind::StaticText, std::string(aboutText::ownershipNotice), {3, 96, 152, 12}, visible | group},
          {1022, ControlKind::StaticText, "Written by", {3, 109, 38, 12}, visible | group},
          {1023, ControlKind::StaticText, "Email:", {3, 122, 38, 12}, visible | group},
          {1000, ControlKind::Edit, "", {42, 109, 113, 12}, visible | tabStop | 0x800 | 0x80},
          {1024, ControlKind::StaticText, "Updates:", {3, 135, 38, 12}, visible | group},
          {1011, ControlKind::StaticText, std::string(aboutText::emailAddress), {42, 122, 113, 12}, visible | group},
          {1012, ControlKind::StaticText, std::string(aboutText::homePage), {42, 135, 113, 12}, visible | group}}},
    };
}

class DialogTemplateTable : public ::testing::TestWithParam<ExpectedDialog> {};

TEST_P(DialogTemplateTable, MatchesItsTable)
{
    const ExpectedDialog& expected = GetParam();
    const DialogTemplate* dialog = findDialogTemplate(expected.id);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->caption, expected.caption);
    EXPECT_EQ(dialog->fontName, "MS Sans Serif");
    EXPECT_EQ(dialog->fontPointSize, 8);
    EXPECT_EQ(dialog->width, expected.width);
    EXPECT_EQ(dialog->height, expected.height);
    EXPECT_EQ(dialog->style, expected.style);
    EXPECT_EQ(dialog->extendedStyle, expected.extendedStyle);
    ASSERT_EQ(dialog->controls.size(), expected.controls.size());
    for (std::size_t i = 0; i < expected.controls.size(); ++i) {
        const ControlTemplate& control = dialog->controls[i];
        const ExpectedControl& want = expected.controls[i];
        SCOPED_TRACE("control " + std::to_string(want.id));
        EXPECT_EQ(control.id, want.id);
        EXPECT_EQ(control.kind, want.kind);
        EXPECT_EQ(control.text, want.text);
        EXPECT_EQ(control.rect.x, want.rect.x);
        EXPECT_EQ(control.rect.y, want.rect.y);
        EXPECT_EQ(control.rect.width, want.rect.width);
        EXPECT_EQ(control.rect.height, want.rect.height);
        EXPECT_EQ(control.style, want.style);
    }
}

INSTANTIATE_TEST_SUITE_P(Templates, DialogTemplateTable, ::testing::ValuesIn(expectedDialogs()),
                         [](const auto& info) { return "Template" + std::to_string(info.param.id); });

TEST(DialogTemplates, CubeButtonIsTransparentAndSquareInDialogUnits)
{
    const ControlTemplate* ok = findControl(*findDialogTemplate(dialogId::about), 1);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->extendedStyle, extendedStyle::transparent);
    EXPECT_EQ(ok->rect.width, ok->rect.height);
}

TEST(DialogTemplates, LaunchingDialogHasItsStatusLineAndTinyOkButton)
{
    const DialogTemplate* dialog = findDialogTemplate(dialogId::launching);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->width, 109);
    EXPECT_EQ(dialog->height, 28);
    EXPECT_TRUE(dialog->style & popup);
    EXPECT_TRUE(dialog->style & modalFrame);
    EXPECT_FALSE(dialog->style & caption);
    const ControlTemplate* status = findControl(*dialog, 1011);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->kind, ControlKind::StaticText);
    EXPECT_EQ(status->text, "Launching...");
    const ControlTemplate* ok = findControl(*dialog, 1);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->rect.width, 6);
    EXPECT_EQ(ok->rect.height, 6);
}

TEST(DialogTemplates, EveryControlLiesInsideItsDialogWithAUniqueId)
{
    for (int id : {dialogId::settings, dialogId::about, dialogId::launching}) {
        const DialogTemplate* dialog = findDialogTemplate(id);
        ASSERT_NE(dialog, nullptr) << id;
        std::set<int> ids;
        for (const ControlTemplate& control : dialog->controls) {
            SCOPED_TRACE(std::to_string(id) + "/" + std::to_string(control.id));
            EXPECT_GE(control.rect.x, 0);
            EXPECT_GE(control.rect.y, 0);
            EXPECT_LE(control.rect.x + control.rect.width, dialog->width);
            EXPECT_LE(control.rect.y + control.rect.height, dialog->height);
            if (control.id != -1) {
                EXPECT_TRUE(ids.insert(control.id).second);
            }
        }
    }
}

TEST(DialogTemplates, UnknownIdsFindNothing)
{
    EXPECT_EQ(findDialogTemplate(0), nullptr);
    EXPECT_EQ(findDialogTemplate(209), nullptr);
    EXPECT_EQ(findControl(*findDialogTemplate(dialogId::settings), 1011), nullptr);
    // -1 finds the static that nobody addresses.
    const ControlTemplate* label = findControl(*findDialogTemplate(dialogId::settings), -1);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text, "Frame delay");
}

TEST(DialogTemplates, AboutTextsNameTheProjectUnderTheReservedDomain)
{
    EXPECT_NE(aboutText::emailAddress.find("@example.org"), std::string_view::npos);
    EXPECT_NE(aboutText::homePage.find("example.org"), std::string_view::npos);
    EXPECT_NE(aboutText::ownershipNotice.find("Orbit Patrol"), std::string_view::npos);
}

} // namespace
} // namespace orbit

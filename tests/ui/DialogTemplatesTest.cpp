// The dialog templates against the tables they come from: every control's id,
// kind, text, rectangle and style bits (written out as numbers, not with the
// header's names), the dialogs' captions, sizes, fonts and styles.
#include "resources/DialogTemplates.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orbit {
namespace {

struct ExpectedControl {
    int id;
    ControlKind kind;
    std::string text;
    int x, y, width, height;
    std::uint32_t style;
    std::uint32_t extendedStyle;
};

struct ExpectedDialog {
    int id;
    std::string caption;
    int width, height;
    std::uint32_t style;
    std::uint32_t extendedStyle;
    std::vector<ExpectedControl> controls;
};

constexpr auto button = ControlKind::PushButton;
constexpr auto defaultButton = ControlKind::DefaultPushButton;
constexpr auto label = ControlKind::StaticText;

TEST(DialogTemplates, MatchTheirTables)
{
    const std::vector<ExpectedDialog> dialogs{
        {208, "Orbit Patrol Settings", 172, 87, 0x90C800C0, 0x40000,
         {{1, defaultButton, "OK", 115, 7, 50, 14, 0x10010001, 0},
          {2, button, "Cancel", 115, 26, 50, 14, 0x10010000, 0},
          {1002, ControlKind::Trackbar, "", 7, 20, 100, 24, 0x10010015, 0},
          {-1, label, "Frame delay", 7, 7, 80, 8, 0x10020000, 0},
          {57664, button, "&About", 115, 46, 50, 14, 0x10010000, 0}}},
        {100, "About Orbit Patrol", 213, 148, 0x80C800C0, 0,
         {{1, defaultButton, "OK", 159, 94, 53, 53, 0x10030081, 0x20},
          {1021, label, std::string(aboutText::ownershipNotice), 3, 96, 152, 12, 0x10020000, 0},
          {1022, label, "Written by", 3, 109, 38, 12, 0x10020000, 0},
          {1023, label, "Email:", 3, 122, 38, 12, 0x10020000, 0},
          {1000, ControlKind::Edit, "", 42, 109, 113, 12, 0x10010880, 0},
          {1024, label, "Updates:", 3, 135, 38, 12, 0x10020000, 0},
          {1011, label, "orbit-patrol@example.org", 42, 122, 113, 12, 0x10020000, 0},
          {1012, label, "https://www.example.org/", 42, 135, 113, 12, 0x10020000, 0}}},
        // The launching dialog: no caption, its status line and a tiny hidden OK button.
        {130, "", 109, 28, 0x800000C0, 0,
         {{1011, label, "Launching...", 7, 10, 95, 8, 0x10020000, 0},
          {1, defaultButton, "OK", 103, 0, 6, 6, 0x00010001, 0}}},
    };
    for (const ExpectedDialog& want : dialogs) {
        SCOPED_TRACE("dialog " + std::to_string(want.id));
        const DialogTemplate* dialog = findDialogTemplate(want.id);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->caption, want.caption);
        EXPECT_EQ(dialog->fontName, "MS Sans Serif");
        EXPECT_EQ(dialog->fontPointSize, 8);
        EXPECT_EQ(dialog->width, want.width);
        EXPECT_EQ(dialog->height, want.height);
        EXPECT_EQ(dialog->style, want.style);
        EXPECT_EQ(dialog->extendedStyle, want.extendedStyle);
        ASSERT_EQ(dialog->controls.size(), want.controls.size());
        for (std::size_t i = 0; i < want.controls.size(); ++i) {
            const ExpectedControl& c = want.controls[i];
            SCOPED_TRACE("control " + std::to_string(c.id));
            const ControlTemplate* control = &dialog->controls[i];
            EXPECT_EQ(control->id, c.id);
            EXPECT_EQ(control->kind, c.kind);
            EXPECT_EQ(control->text, c.text);
            EXPECT_EQ((std::vector<int>{control->rect.x, control->rect.y, control->rect.width, control->rect.height}),
                      (std::vector<int>{c.x, c.y, c.width, c.height}));
            EXPECT_EQ(control->style, c.style);
            EXPECT_EQ(control->extendedStyle, c.extendedStyle);
        }
    }
    EXPECT_EQ(findDialogTemplate(209), nullptr);
    EXPECT_EQ(findControl(*findDialogTemplate(208), 1011), nullptr);
    EXPECT_EQ(findControl(*findDialogTemplate(208), -1)->text, "Frame delay");
}

} // namespace
} // namespace orbit

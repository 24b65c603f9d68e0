// The dialog templates against the tables they come from, style bits written
// out as numbers rather than with the header's names.
#include "resources/DialogTemplates.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace orbit {
namespace {

using Rect = std::tuple<int, int, int, int>;
using Control = std::tuple<int, ControlKind, std::string, Rect, std::uint32_t, std::uint32_t>;
struct Dialog {
    int id;
    std::string caption;
    int width, height;
    std::uint32_t style, extendedStyle;
    std::vector<Control> controls;
};

TEST(DialogTemplates, MatchTheirTables)
{
    constexpr auto button = ControlKind::PushButton, okButton = ControlKind::DefaultPushButton;
    constexpr auto label = ControlKind::StaticText;
    const Dialog dialogs[] = {
        {208, "Orbit Patrol Settings", 250, 138, 0x90C800C0, 0x40000,
         {{1, okButton, "OK", {193, 7, 50, 14}, 0x10010001, 0}, {2, button, "Cancel", {193, 26, 50, 14}, 0x10010000, 0},
          {1002, ControlKind::Trackbar, "", {7, 18, 148, 20}, 0x10010015, 0},
          {-1, label, "Frame delay", {7, 7, 80, 8}, 0x10020000, 0},
          {57664, button, "&About", {193, 46, 50, 14}, 0x10010000, 0},
          {1003, label, "", {157, 24, 30, 8}, 0x10000002, 0}, // the delay's value, right-aligned
          {-1, label, "Satellites", {7, 48, 44, 8}, 0x10020000, 0},
          {1004, ControlKind::SpinBox, "", {52, 45, 34, 14}, 0x10010022, 0},
          {1005, ControlKind::CheckBox, "Shot sound", {7, 66, 100, 10}, 0x10030003, 0},
          {-1, label, "Starship model", {7, 84, 100, 8}, 0x10020000, 0},
          {1006, ControlKind::Edit, "", {7, 95, 128, 14}, 0x10010880, 0},
          {1007, button, "Browse\u2026", {139, 95, 50, 14}, 0x10010000, 0},
          {1008, button, "Built-in", {193, 95, 50, 14}, 0x10010000, 0},
          {1009, label, "", {7, 113, 236, 18}, 0x10000000, 0}}}, // the model check's result
        {100, "About Orbit Patrol", 213, 148, 0x80C800C0, 0,
         {{1, okButton, "OK", {159, 94, 53, 53}, 0x10030081, 0x20},
          {1021, label, std::string(aboutText::ownershipNotice), {3, 96, 152, 12}, 0x10020000, 0},
          {1022, label, "Written by", {3, 109, 38, 12}, 0x10020000, 0},
          {1023, label, "Email:", {3, 122, 38, 12}, 0x10020000, 0},
          {1000, ControlKind::Edit, "", {42, 109, 113, 12}, 0x10010880, 0},
          {1024, label, "Updates:", {3, 135, 38, 12}, 0x10020000, 0},
          {1011, label, "orbit-patrol@example.org", {42, 122, 113, 12}, 0x10020000, 0},
          {1012, label, "https://www.example.org/", {42, 135, 113, 12}, 0x10020000, 0}}},
        {130, "", 109, 28, 0x800000C0, 0, // launching: no caption, a tiny hidden OK button
         {{1011, label, "Launching...", {7, 10, 95, 8}, 0x10020000, 0},
          {1, okButton, "OK", {103, 0, 6, 6}, 0x00010001, 0}}},
    };
    for (const Dialog& want : dialogs) {
        const DialogTemplate* dialog = findDialogTemplate(want.id);
        ASSERT_NE(dialog, nullptr) << want.id;
        EXPECT_EQ(std::make_tuple(std::string(dialog->caption), std::string(dialog->fontName), dialog->fontPointSize,
                                  dialog->width, dialog->height, dialog->style, dialog->extendedStyle),
                  std::make_tuple(want.caption, std::string("MS Sans Serif"), 8, want.width, want.height, want.style,
                                  want.extendedStyle));
        std::vector<Control> controls;
        for (const ControlTemplate& c : dialog->controls)
            controls.emplace_back(c.id, c.kind, std::string(c.text), Rect{c.rect.x, c.rect.y, c.rect.width, c.rect.height}, c.style,
                                  c.extendedStyle);
        EXPECT_EQ(controls, want.controls) << want.id;
    }
    EXPECT_EQ(findDialogTemplate(209), nullptr);
    EXPECT_EQ(findControl(*findDialogTemplate(208), 1011), nullptr);
    EXPECT_EQ(findControl(*findDialogTemplate(208), -1)->text, "Frame delay");
}

} // namespace
} // namespace orbit

// The three dialog templates as constant tables. Controls are listed in
// template order, which is also the tab order. Where a template leaves a detail
// open (the launching dialog's layout, its hidden OK button) the values here
// are ours: the status line spans the dialog, and the 6 x 6 OK button stays
// hidden, as it only exists so the dialog manager has a default button.
#include "DialogTemplates.h"

#include <array>

namespace orbit {
namespace {

using namespace windowStyle;
using namespace controlStyle;

constexpr std::string_view sansSerif = "MS Sans Serif";

constexpr std::array settingsControls{
    ControlTemplate{1, ControlKind::DefaultPushButton, "BUTTON", "OK", {193, 7, 50, 14},
                    visible | tabStop | defaultPushButton},
    ControlTemplate{2, ControlKind::PushButton, "BUTTON", "Cancel", {193, 26, 50, 14},
                    visible | tabStop | pushButton},
    ControlTemplate{1002, ControlKind::Trackbar, "msctls_trackbar32", "", {7, 18, 148, 20},
                    visible | tabStop | trackbarAutoTicks | trackbarTop | trackbarNoTicks},
    ControlTemplate{-1, ControlKind::StaticText, "STATIC", "Frame delay", {7, 7, 80, 8},
                    visible | group | staticLeft},
    ControlTemplate{57664, ControlKind::PushButton, "BUTTON", "&About", {193, 46, 50, 14},
                    visible | tabStop | pushButton},
    // The slider's value ("10 ms"), the other three settings and the model's check result.
    ControlTemplate{1003, ControlKind::StaticText, "STATIC", "", {157, 24, 30, 8}, visible | staticRight},
    ControlTemplate{-1, ControlKind::StaticText, "STATIC", "Satellites", {7, 48, 44, 8},
                    visible | group | staticLeft},
    ControlTemplate{1004, ControlKind::SpinBox, "msctls_updown32", "", {52, 45, 34, 14},
                    visible | tabStop | upDownSetBuddyInt | upDownArrowKeys},
    ControlTemplate{1005, ControlKind::CheckBox, "BUTTON", "Shot sound", {7, 66, 100, 10},
                    visible | tabStop | group | autoCheckBox},
    ControlTemplate{-1, ControlKind::StaticText, "STATIC", "Starship model", {7, 84, 100, 8},
                    visible | group | staticLeft},
    ControlTemplate{1006, ControlKind::Edit, "EDIT", "", {7, 95, 128, 14},
                    visible | tabStop | editReadOnly | editAutoHScroll},
    ControlTemplate{1007, ControlKind::PushButton, "BUTTON", "Browse\u2026", {139, 95, 50, 14},
                    visible | tabStop | pushButton},
    ControlTemplate{1008, ControlKind::PushButton, "BUTTON", "Built-in", {193, 95, 50, 14},
                    visible | tabStop | pushButton},
    ControlTemplate{1009, ControlKind::StaticText, "STATIC", "", {7, 113, 236, 18}, visible | staticLeft},
};

constexpr std::uint32_t aboutStatic = visible | group | staticLeft;

constexpr std::array aboutControls{
    ControlTemplate{1, ControlKind::DefaultPushButton, "BUTTON", "OK", {159, 94, 53, 53},
                    visible | tabStop | group | defaultPushButton | bitmapButton, extendedStyle::transparent},
    ControlTemplate{1021, ControlKind::StaticText, "STATIC", aboutText::ownershipNotice, {3, 96, 152, 12},
                    aboutStatic},
    ControlTemplate{1022, ControlKind::StaticText, "STATIC", "Written by", {3, 109, 38, 12}, aboutStatic},
    ControlTemplate{1023, ControlKind::StaticText, "STATIC", "Email:", {3, 122, 38, 12}, aboutStatic},
    ControlTemplate{1000, ControlKind::Edit, "EDIT", "", {42, 109, 113, 12},
                    visible | tabStop | editReadOnly | editAutoHScroll},
    ControlTemplate{1024, ControlKind::StaticText, "STATIC", "Updates:", {3, 135, 38, 12}, aboutStatic},
    ControlTemplate{1011, ControlKind::StaticText, "STATIC", aboutText::emailAddress, {42, 122, 113, 12},
                    aboutStatic},
    ControlTemplate{1012, ControlKind::StaticText, "STATIC", aboutText::homePage, {42, 135, 113, 12},
                    aboutStatic},
};

constexpr std::array launchingControls{
    ControlTemplate{1011, ControlKind::StaticText, "STATIC", "Launching...", {7, 10, 95, 8},
                    visible | group | staticLeft},
    ControlTemplate{1, ControlKind::DefaultPushButton, "BUTTON", "OK", {103, 0, 6, 6},
                    tabStop | defaultPushButton},
};

constexpr std::array templates{
    DialogTemplate{dialogId::settings, "Orbit Patrol Settings", sansSerif, 8, 250, 138,
                   popup | visible | caption | systemMenu | modalFrame | setFont, extendedStyle::appWindow,
                   settingsControls},
    DialogTemplate{dialogId::about, "About Orbit Patrol", sansSerif, 8, 213, 148,
                   popup | caption | systemMenu | modalFrame | setFont, 0, aboutControls},
    DialogTemplate{dialogId::launching, "", sansSerif, 8, 109, 28, popup | modalFrame | setFont, 0,
                   launchingControls},
};

} // namespace

const DialogTemplate* findDialogTemplate(int id)
{
    for (const DialogTemplate& candidate : templates) {
        if (candidate.id == id)
            return &candidate;
    }
    return nullptr;
}

const ControlTemplate* findControl(const DialogTemplate& dialog, int id)
{
    for (const ControlTemplate& control : dialog.controls) {
        if (control.id == id)
            return &control;
    }
    return nullptr;
}

} // namespace orbit

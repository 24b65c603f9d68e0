// The dialog templates of the resource script as plain data: the settings
// dialog (208), the About box (100) and the launching dialog (130). Rectangles
// are in dialog units; ui/ converts them with the dialog font's metrics. The
// style words keep the classic dialog-template bit values (WS_*, BS_*, SS_*),
// so the data reads like a resource script; ui/ looks only at the bits it maps to Qt.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace orbit {

namespace dialogId {
inline constexpr int about = 100;
inline constexpr int launching = 130;
inline constexpr int settings = 208;
} // namespace dialogId

// Window and dialog style bits (WS_*, DS_*).
namespace windowStyle {
inline constexpr std::uint32_t popup = 0x80000000u;      // WS_POPUP
inline constexpr std::uint32_t visible = 0x10000000u;    // WS_VISIBLE
inline constexpr std::uint32_t caption = 0x00C00000u;    // WS_CAPTION
inline constexpr std::uint32_t systemMenu = 0x00080000u; // WS_SYSMENU
inline constexpr std::uint32_t group = 0x00020000u;      // WS_GROUP
inline constexpr std::uint32_t tabStop = 0x00010000u;    // WS_TABSTOP
inline constexpr std::uint32_t modalFrame = 0x00000080u; // DS_MODALFRAME
inline constexpr std::uint32_t setFont = 0x00000040u;    // DS_SETFONT
} // namespace windowStyle

// Extended style bits (WS_EX_*).
namespace extendedStyle {
inline constexpr std::uint32_t transparent = 0x00000020u; // WS_EX_TRANSPARENT
inline constexpr std::uint32_t appWindow = 0x00040000u;   // WS_EX_APPWINDOW
} // namespace extendedStyle

// Control style bits of the control classes used here (BS_*, SS_*, ES_*, TBS_*, UDS_*).
namespace controlStyle {
inline constexpr std::uint32_t pushButton = 0x0000u;        // BS_PUSHBUTTON
inline constexpr std::uint32_t defaultPushButton = 0x0001u; // BS_DEFPUSHBUTTON
inline constexpr std::uint32_t autoCheckBox = 0x0003u;      // BS_AUTOCHECKBOX
inline constexpr std::uint32_t bitmapButton = 0x0080u;      // BS_BITMAP
inline constexpr std::uint32_t staticLeft = 0x0000u;        // SS_LEFT
inline constexpr std::uint32_t staticRight = 0x0002u;       // SS_RIGHT
inline constexpr std::uint32_t editAutoHScroll = 0x0080u;   // ES_AUTOHSCROLL
inline constexpr std::uint32_t editReadOnly = 0x0800u;      // ES_READONLY
inline constexpr std::uint32_t trackbarAutoTicks = 0x0001u; // TBS_AUTOTICKS
inline constexpr std::uint32_t trackbarTop = 0x0004u;       // TBS_TOP
inline constexpr std::uint32_t trackbarNoTicks = 0x0010u;   // TBS_NOTICKS
inline constexpr std::uint32_t upDownSetBuddyInt = 0x0002u; // UDS_SETBUDDYINT
inline constexpr std::uint32_t upDownArrowKeys = 0x0020u;   // UDS_ARROWKEYS
} // namespace controlStyle

// What a template control becomes; the window class and its kind style bits
// together, so ui/ needs no bit decoding to pick a widget.
enum class ControlKind { PushButton, DefaultPushButton, CheckBox, StaticText, Edit, Trackbar, SpinBox };

struct DialogRect {
    int x = 0; // dialog units from the client area's left edge
    int y = 0; // dialog units from the client area's top edge
    int width = 0;
    int height = 0;
};

struct ControlTemplate {
    int id = 0; // -1 for a static nobody addresses
    ControlKind kind = ControlKind::StaticText;
    std::string_view windowClass; // "BUTTON", "STATIC", "EDIT", "msctls_trackbar32", "msctls_updown32"
    std::string_view text;
    DialogRect rect;
    std::uint32_t style = 0; // windowStyle | controlStyle bits
    std::uint32_t extendedStyle = 0;
};

struct DialogTemplate {
    int id = 0;
    std::string_view caption; // empty: no caption
    std::string_view fontName;
    int fontPointSize = 0;
    int width = 0;  // dialog units, client area
    int height = 0; // dialog units, client area
    std::uint32_t style = 0;
    std::uint32_t extendedStyle = 0;
    std::span<const ControlTemplate> controls; // template order = tab order
};

// The template with this id, or nullptr when the resource script has none.
const DialogTemplate* findDialogTemplate(int id);

// The control of `dialog` with this id (the first one for -1), or nullptr.
const ControlTemplate* findControl(const DialogTemplate& dialog, int id);

// Texts of the About box that name this project (the ownership notice and the
// two addresses shown by the links); also used by ui/ for the link targets.
namespace aboutText {
inline constexpr std::string_view ownershipNotice = "Copyright (C) 2026 the Orbit Patrol project";
inline constexpr std::string_view emailAddress = "orbit-patrol@example.org";
inline constexpr std::string_view homePage = "https://www.example.org/";
} // namespace aboutText

} // namespace orbit

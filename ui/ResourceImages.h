// Qt images made from the program's resources: the window icon (ICON 128, at
// 32 and 16 pixels) and the hand cursors (CURSOR 184 and 185, with their hot
// spots), decoded by Qt's ICO reader (the imageformats plugin in libqt6gui6),
// the hot spot read from the cursor file's directory. A missing or malformed
// resource gives a null icon, or the fallback cursor shape: the resource files
// are optional for the dialogs, which must still work without them.
#pragma once

#include <QCursor>
#include <QIcon>

namespace orbit {

class ResourceProvider;

namespace cursorId {
inline constexpr int pressedHand = 184; // hot spot 12, 3
inline constexpr int pointingHand = 185; // hot spot 12, 1
} // namespace cursorId

// The cursor of CURSOR resource `id`; `fallback` when there is none.
QCursor resourceCursor(const ResourceProvider& resources, int id, Qt::CursorShape fallback);

// ICON resource `id` at 32 x 32 and 16 x 16; a null icon when there is none.
QIcon resourceIcon(const ResourceProvider& resources, int id);

} // namespace orbit

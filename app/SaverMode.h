// The run modes the screensaver host can ask for, with the codes the command
// line parse returns. Only Preview and FullScreen open a window and run the
// event loop; the others do their one job and end.
#pragma once

namespace orbit {

enum class SaverMode {
    None = 0,           // unrecognised switch: nothing is shown
    Configure = 1,      // settings dialog; argument: owner window or 0
    ChangePassword = 2, // password service; argument: parent window
    Preview = 3,        // child of the host window; argument: that window
    FullScreen = 4,     // argument stays 0
};

} // namespace orbit

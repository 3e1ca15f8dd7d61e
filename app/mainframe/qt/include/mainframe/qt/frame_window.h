// The main frame on screen: CMainFrame made from the menu table and shown in
// a lathris frame widget, which lives as long as the frame's window.
#pragma once

#include "mainframe/main_frame.h"

namespace shell {
class CDebuggerApp;
}

namespace mainframe::qt {

// Start-up's frame maker: the frame, or null when its creation fails.
CWnd* MakeMainFrameWindow(shell::CDebuggerApp& app);

}  // namespace mainframe::qt

// The main frame on screen: CMainFrame made from the menu table and shown in
// a lathris frame widget (with the shell's tinted status bar), which lives as
// long as the frame's window.
#pragma once

#include <string>

#include "mainframe/main_frame.h"

namespace shell {
class CDebuggerApp;
}

namespace mainframe::qt {

// Start-up's frame maker: the frame, or null when its creation fails.
CWnd* MakeMainFrameWindow(shell::CDebuggerApp& app);

// For the screens and the tests that need no project and no "Load File" (the
// program's own path is WM_EMU_OPEN_IMAGE): an image loaded through the
// loader front end into the connected target, the target reset at the
// image's start and the stop shown (WM_EMU_REFRESH).
// False when the image cannot be loaded or the target not reset.
bool LoadImageAtStart(CMainFrame& frame, const std::string& path);

}  // namespace mainframe::qt

// sarvik's windows: the breakpoint dialog, the watchpoint dialog and the
// breakpoint list window. They run on the GUI thread with the library's
// resources; the dialogs go through the modal service.
#pragma once

#include "emu_types.h"
#include "win_types.h"

namespace platform {
class CWnd;
}

extern "C" {

// The modal "Breakpoint" dialog; with addr.space non-zero the location
// starts as that address. OK sets the breakpoints of its lines and sends
// WM_EMU_UPDATE_VIEWS (12, -1) to the main window. The modal result (1 OK,
// 2 Cancel). The window handle is not used.
int BptOpenWindow(HWND owner, ADDR addr);
// The modal "Watchpoint" dialog of both watchpoint units; the modal result.
// Neither argument is used.
int WhptOpenWindow(HWND owner, BYTE unused);
// The "Breakpoints" window: mode 0 closes it, mode 2 refreshes it when it
// is open; any other mode opens it as an MDI child of mdiParent (or raises
// and refreshes the open one), refused with message 32773 while the target
// runs.
void BptShowBpListW(int mode, platform::CWnd* mdiParent);

}  // extern "C"

// The exports of sarvik's windows.
#include "bp_dialog.h"
#include "sarvik/bp_windows.h"
#include "watch_dialog.h"

extern "C" int BptOpenWindow(HWND, ADDR addr)
{
    sarvik::ui::CBreakpointDlg dialog(addr);
    return static_cast<int>(dialog.DoModal());
}

extern "C" int WhptOpenWindow(HWND, BYTE)
{
    sarvik::ui::CWatchpointDlg dialog;
    return static_cast<int>(dialog.DoModal());
}

// Set/Clear Breakpoint at an address: the editor's margin and commands and
// the disassembly view toggle through here.
#include "emu_messages.h"
#include "links.h"
#include "lookups/sym_lookups.h"
#include "morwen/morwen.h"
#include "platform/win_app.h"
#include "platform/wnd.h"
#include "sarvik.h"
#include "vexlor/vexlor.h"

namespace lookups {

namespace {

constexpr UINT kTargetRunningMessage = 32773;
constexpr UINT kErrorCaption = 32769;

HWND MainWindow()
{
    if (Links().mainWindow)
        return Links().mainWindow();
    CWnd* main = AfxGetMainWnd();
    return main ? main->GetSafeHwnd() : nullptr;
}

}  // namespace

void ToggleBreakpointAtAddr(ADDR address, int hwUnit)
{
    if (CpuGetCpuStatus(0, 1) & 1) {
        ReportError(kTargetRunningMessage, kErrorCaption, 0);
        return;
    }
    if (Links().transferBusy && Links().transferBusy())
        return;
    bool set = true;
    if (BptFindBp(&address, ADDR{0, 0}, nullptr) != BPT_MARK_NONE)
        set = BptClearBp(&address, hwUnit) != EMU_OK;
    if (set)
        BptSetBp(&address, "", 1, hwUnit, TRUE, static_cast<DWORD>(-1));
    if (HWND main = MainWindow())
        ::SendMessage(main, WM_EMU_UPDATE_VIEWS, DVK_BREAKPOINTS, static_cast<LPARAM>(address.off));
}

}  // namespace lookups

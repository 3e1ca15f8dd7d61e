// The windows and tools as the debugger core uses them.
#include "regmem/core_link.h"

#include <platform/modal_ui.h>

#include "appdebug/debug_core.h"
#include "emu_messages.h"
#include "regmem/mem_tools_dlg.h"
#include "regmem/memory_window.h"
#include "regmem/register_wnd.h"
#include "shell/settings.h"
#include "vexlor/vexlor.h"

namespace regmem {

void CoreServices::ReportTargetConnectionLost()
{
    appdebug::ReportTargetConnectionLost();
}

void CoreServices::AddWatch(const std::string& expression)
{
    if (appdebug::CDebugCore* core = appdebug::CurrentDebugCore())
        core->AddWatch(expression);
}

bool CoreServices::Simulate()
{
    return theSettings.Simulate != 0;
}

bool CoreServices::AccessRefused()
{
    return (CpuGetCpuStatus1() & 1) != 0 && theSettings.RunAccess == 0;
}

appdebug::DebugWindow* CreateRegMemWindow(int kind, CMDIFrameWnd* frame, const std::string& title)
{
    CMDIChildWnd* child = nullptr;
    if (kind == DVK_REGISTERS) {
        CRegisterWnd::SetFloatOwner(frame);
        child = new CRegisterWnd;
    } else if (kind >= DVK_MEMORY1 && kind <= DVK_MEMORY3) {
        auto* memory = new CMemoryWindow;
        memory->kind = kind;
        child = memory;
    } else {
        return nullptr;
    }
    // An MDI child of the frame (its list of children, its window menu and
    // the program's MDI area), as the frame's other children are.
    child->SetTitle(title);
    if (!child->LoadFrame(static_cast<UINT>(kind), frame, nullptr)) {
        if (::IsWindow(child->m_hWnd))
            child->DestroyWindow();
        return nullptr;
    }
    child->SetWindowText(title);
    if (auto* memory = dynamic_cast<CMemoryWindow*>(child))
        memory->RefreshView();
    return dynamic_cast<appdebug::DebugWindow*>(child);
}

void RunMemoryTools(CWnd* parent)
{
    CMemDlg sheet(parent);
    platform::RunModalSheet(sheet);
    UpdateViews(DVK_MEMORY1, ADDR_SPACE_TARGET);
}

}  // namespace regmem

// The register window's frame: its tabs, the floating views and refresh.
#include "regmem/register_wnd.h"

#include <vector>

#include "emu_messages.h"
#include "regmem/cpu_view.h"
#include "regmem/debug_services.h"
#include "regmem/regmem_ids.h"
#include "vexlor/vexlor.h"

namespace regmem {

namespace {
CWnd* gFloatOwner = nullptr;
HWND gCurrent = nullptr;
constexpr UINT kTabBarId = 0xE810;
}  // namespace

IMPLEMENT_DYNCREATE(CRegisterWnd, CCJMDIChildWnd)

CWnd* CRegisterWnd::FloatOwner()
{
    return gFloatOwner;
}

void CRegisterWnd::SetFloatOwner(CWnd* owner)
{
    gFloatOwner = owner;
}

HWND CRegisterWnd::Current()
{
    return gCurrent;
}

CRegisterWnd::CRegisterWnd() : dock_(tabs_, gFloatOwner)
{
    OnMessage(WM_EMU_DOCK_TOGGLE, [this](WPARAM, LPARAM view) { return dock_.OnDockToggle(view); });
    OnMessage(WM_EMU_REFRESH, [this](WPARAM, LPARAM) { return OnRefreshAll(); });
}

int CRegisterWnd::Kind() const
{
    return DVK_REGISTERS;
}

bool CRegisterWnd::IsVisible() const
{
    return GetHost() && GetHost()->IsVisible();
}

void CRegisterWnd::BringToTop()
{
    Show();
    if (GetHost())
        GetHost()->SetFocus();
}

void CRegisterWnd::Show()
{
    if (GetHost())
        GetHost()->ShowWindow(SW_SHOW);
}

BOOL CRegisterWnd::OnCreateClient(CCreateContext* context)
{
    if (!tabs_.Create(this, kTabBarId, "REGS", {200, 200}))
        return FALSE;
    gCurrent = m_hWnd;
    int groups = 0;
    std::vector<ZkString> names;
    if (CpuGetRegGroupNumName(&groups, &names) != 0)
        return FALSE;
    int made = 0;
    for (int g = 0; g < groups && g < static_cast<int>(names.size()); ++g) {
        if (tabs_.AddView(names[static_cast<size_t>(g)], RUNTIME_CLASS(CCpuView), context, g))
            ++made;
    }
    dock_.SetGroupTabs(made);
    if (made > 0)
        tabs_.SetActiveView(0);
    return TRUE;
}

LRESULT CRegisterWnd::OnRefreshAll()
{
    for (int i = 0; i < tabs_.GetTabCount(); ++i)
        if (CView* view = tabs_.GetView(i))
            view->SendMessage(WM_COMMAND, ID_REG_REFRESH, 0);
    for (CDockWnd* frame : dock_.FloatingFrames())
        if (frame->m_pView)
            frame->m_pView->SendMessage(WM_COMMAND, ID_REG_REFRESH, 0);
    return 1;
}

void CRegisterWnd::ApplyPlacement(const appdebug::DebugWindowPlacement& placement)
{
    appdebug::ApplySavedPlacement(*this, GetMDIFrame(), placement);
}

void CRegisterWnd::OnDestroy()
{
    appdebug::SaveWindowPlacement(*this, GetMDIFrame(), appdebug::g_windowPlacements[DVK_REGISTERS]);
    const std::vector<CDockWnd*> frames = dock_.FloatingFrames();
    for (CDockWnd* frame : frames)
        if (::IsWindow(frame->m_hWnd))
            frame->DestroyWindow();
    if (gCurrent == m_hWnd)
        gCurrent = nullptr;
    CCJMDIChildWnd::OnDestroy();
    if (HWND main = Services().MainWindow())
        ::SendMessage(main, WM_EMU_VIEW_CLOSED, DVK_REGISTERS, 0);
}

}  // namespace regmem

#include "dockview/dockable_view.h"

#include <algorithm>
#include <cstdio>

#include "lathris/frame.h"

namespace dockview {

IMPLEMENT_DYNAMIC(CDockableView, CView)
IMPLEMENT_DYNCREATE(CDockWnd, CMiniFrameWnd)
IMPLEMENT_DYNAMIC(CViewTabBar, CCJTabCtrlBar)

int FormatHex8(char* buffer, DWORD value)
{
    return std::snprintf(buffer, 9, "%08lX", static_cast<unsigned long>(value));
}

// --- The view ---------------------------------------------------------------------

CDockableView::CDockableView()
{
    // A docked view's item reads "Dock View", a floating view's "Float View".
    OnUpdateCommandUI(ID_VIEW_DOCK_TOGGLE,
                      [this](CCmdUI* ui) { ui->SetText(m_nFloating ? "Float View" : "Dock View"); });
}

LRESULT CDockableView::RequestDockToggle(HWND host)
{
    if (!host || !::IsWindow(host))
        return 0;
    return ::SendMessage(host, WM_EMU_DOCK_TOGGLE, 0, reinterpret_cast<LPARAM>(static_cast<CWnd*>(this)));
}

// --- The floating frame -----------------------------------------------------------

BOOL CDockWnd::Create(const char*, const std::string& caption, DWORD style, const RECT& rect, CWnd* parent)
{
    style_ = style;
    rect_ = rect;
    if (!CWnd::Create(parent, 0, caption))
        return FALSE;
    if (!OnCreateClient(nullptr)) {
        DestroyWindow();
        return FALSE;
    }
    if (auto* main = dynamic_cast<lathris::CCJMDIFrameWnd*>(parent))
        main->AttachFloatingFrame(this);
    if (style & WS_VISIBLE)
        ShowWindow(SW_SHOW);
    return TRUE;
}

BOOL CDockWnd::OnCreateClient(CCreateContext* context)
{
    CObject* object = m_pViewClass ? m_pViewClass->CreateObject() : nullptr;
    m_pView = dynamic_cast<CView*>(object);
    if (!m_pView) {
        delete object;
        return FALSE;
    }
    auto* dockable = dynamic_cast<CDockableView*>(m_pView);
    if (dockable) {
        dockable->m_nFloating = 1;
        dockable->m_strName = GetWindowText();
        if (dockable->HasGroup())
            dockable->SetGroup(static_cast<BYTE>(m_nGroup & 0xFF));
    }
    if (!m_pView->Create(this, AFX_IDW_PANE_FIRST)) {
        // The failed window took its view with it (views delete themselves
        // when their window is destroyed): nothing is left to hold.
        m_pView = nullptr;
        return FALSE;
    }
    SetActiveView(m_pView, FALSE);
    NotifyHost(HostEvent::ChildAdded, m_pView);
    m_pView->OnInitialUpdate();
    return CFrameWnd::OnCreateClient(context);
}

void CDockWnd::OnClose()
{
    auto* view = dynamic_cast<CDockableView*>(m_pView);
    if (!view || !view->m_hWnd || view->m_nFloating == 0)
        return;
    HWND self = m_hWnd;
    view->SendMessage(WM_COMMAND, ID_VIEW_DOCK_TOGGLE, 0);
    // The host destroys this frame when it docks the view; with no host to
    // answer, the frame would stay for good.
    if (::IsWindow(self))
        DestroyWindow();
}

void CDockWnd::OnDestroy()
{
    if (auto* main = dynamic_cast<lathris::CCJMDIFrameWnd*>(GetParent()))
        main->DetachFloatingFrame(this);
    m_pView = nullptr;
    CMiniFrameWnd::OnDestroy();
}

// --- The tab bar ------------------------------------------------------------------

BOOL CViewTabBar::AddView(const std::string& label, const CRuntimeClass* viewClass, CCreateContext* context, int group)
{
    if (!m_hWnd || !viewClass)
        return FALSE;
    CCreateContext local;
    if (!context) {
        local.m_pNewViewClass = viewClass;
        local.m_pCurrentFrame = GetParentFrame();
        context = &local;
    }
    auto* view = dynamic_cast<CView*>(viewClass->CreateObject());
    if (!view)
        return FALSE;
    if (auto* dockable = dynamic_cast<CDockableView*>(view)) {
        dockable->m_nFloating = 0;
        dockable->m_strName = label;
        if (dockable->HasGroup())
            dockable->SetGroup(static_cast<BYTE>(group & 0xFF));
    }
    if (!DoAddView(view, context, label))
        return FALSE;
    view->OnInitialUpdate();
    return TRUE;
}

// --- The host ---------------------------------------------------------------------

CDockWnd* DockToggleHost::MakeFloatingFrame(const CRuntimeClass* viewClass, const std::string& caption, int group)
{
    auto* frame = new CDockWnd(viewClass, group);
    if (!frame->Create(nullptr, caption, kFloatingFrameStyle, {100, 100, 300, 300}, owner_))
        return nullptr;
    floating_.push_back(frame);
    return frame;
}

LRESULT DockToggleHost::OnDockToggle(LPARAM lParam)
{
    auto* view = dynamic_cast<CDockableView*>(reinterpret_cast<CWnd*>(lParam));
    if (!view || !view->m_hWnd)
        return -1;
    if (view->m_nFloating != 1) {
        if (bar_.GetViewIndex(view) < 0)
            return -1;
        if (!MakeFloatingFrame(view->GetRuntimeClass(), view->m_strName, view->HasGroup() ? view->GetGroup() : 0))
            return -1;  // the frame destroyed itself; the tab stays
        if (view->HasGroup())
            --groupTabs_;
        // The view goes after the running dispatch: its own command handler
        // sent this request and is still on the stack.
        bar_.DestroyView(view);
        return 0;
    }
    auto* frame = dynamic_cast<CDockWnd*>(view->GetParentFrame());
    auto it = std::find(floating_.begin(), floating_.end(), frame);
    if (it == floating_.end())
        return -1;
    // The tab comes first: a view that cannot be docked keeps floating.
    if (!bar_.AddView(view->m_strName, view->GetRuntimeClass(), nullptr, view->HasGroup() ? view->GetGroup() : 0xFF))
        return -1;
    if (view->HasGroup())
        ++groupTabs_;
    bar_.SetActiveView(bar_.GetTabCount() - 1);
    floating_.erase(it);
    if (floating_.empty())
        floating_.shrink_to_fit();
    frame->DestroyWindow();
    return 0;
}

}  // namespace dockview

#include "lathris/tab_bar.h"

namespace lathris {

IMPLEMENT_DYNAMIC(CCJControlBar, CControlBar)
IMPLEMENT_DYNAMIC(CCJTabCtrlBar, CCJControlBar)

BOOL CCJControlBar::Create(CWnd* parent, UINT id, const std::string& name, SIZE size, DWORD style)
{
    size_ = size;
    if (style & CBRS_ALIGN_ANY)
        side_ = (style & CBRS_ALIGN_LEFT) ? CBRS_ALIGN_LEFT
            : (style & CBRS_ALIGN_TOP)    ? CBRS_ALIGN_TOP
            : (style & CBRS_ALIGN_RIGHT)  ? CBRS_ALIGN_RIGHT
                                          : CBRS_ALIGN_BOTTOM;
    return CControlBar::Create(parent, id, name);
}

void CCJControlBar::SetDockedSide(DWORD side)
{
    if (side & alignment_ & CBRS_ALIGN_ANY) {
        side_ = side & CBRS_ALIGN_ANY;
        Changed();
    }
}

void CCJTabCtrlBar::NotifyHost(HostEvent event, CWnd* about)
{
    if (GetHost())
        GetHost()->Notify(event, about);
}

BOOL CCJTabCtrlBar::AddView(const std::string& label, const CRuntimeClass* viewClass, CCreateContext* context)
{
    if (!m_hWnd)
        return FALSE;
    auto* view = dynamic_cast<CView*>(viewClass ? viewClass->CreateObject() : nullptr);
    if (!view)
        return FALSE;
    CCreateContext local;
    if (!context) {
        local.m_pNewViewClass = viewClass;
        local.m_pCurrentFrame = GetParentFrame();
        context = &local;
    }
    // A view whose window failed is gone already: a view deletes itself
    // when its window is destroyed, and a failed creation destroys it.
    return DoAddView(view, context, label);
}

BOOL CCJTabCtrlBar::DoAddView(CView* view, CCreateContext* context, const std::string& label)
{
    if (!view || !m_hWnd)
        return FALSE;
    if (context && context->m_pCurrentDoc)
        context->m_pCurrentDoc->AddView(view);
    UINT id = AFX_IDW_PANE_FIRST + static_cast<UINT>(tabs_.size());
    if (!view->Create(this, id, label)) {
        if (view->GetDocument())
            view->GetDocument()->RemoveView(view);
        return FALSE;
    }
    tabs_.push_back({label, view});
    NotifyHost(HostEvent::ChildAdded, view);
    if (active_ < 0)
        SetActiveView(0);
    return TRUE;
}

CView* CCJTabCtrlBar::GetView(const CRuntimeClass* viewClass) const
{
    for (const Tab& t : tabs_)
        if (t.view->IsKindOf(viewClass))
            return t.view;
    return nullptr;
}

CView* CCJTabCtrlBar::GetView(int index) const
{
    return index >= 0 && index < GetTabCount() ? tabs_[index].view : nullptr;
}

int CCJTabCtrlBar::GetViewIndex(const CView* view) const
{
    for (int i = 0; i < GetTabCount(); ++i)
        if (tabs_[i].view == view)
            return i;
    return -1;
}

void CCJTabCtrlBar::SetActiveView(const CRuntimeClass* viewClass)
{
    SetActiveView(GetViewIndex(GetView(viewClass)));
}

void CCJTabCtrlBar::SetActiveView(int index)
{
    if (index < 0 || index >= GetTabCount() || index == active_)
        return;
    CView* old = GetView(active_);
    active_ = index;
    CView* now = tabs_[index].view;
    if (old)
        old->OnActivateView(FALSE, now, old);
    now->OnActivateView(TRUE, now, old);
    NotifyHost(HostEvent::ChildActivated, now);
}

void CCJTabCtrlBar::DestroyView(CView* view)
{
    int index = GetViewIndex(view);
    if (index < 0)
        return;
    tabs_.erase(tabs_.begin() + index);
    if (CFrameWnd* frame = GetParentFrame(); frame && frame->GetActiveView() == view)
        frame->SetActiveView(nullptr, FALSE);
    NotifyHost(HostEvent::ChildRemoved, view);
    // The view object goes after the running dispatch: it may be the one
    // whose command asked for this.
    view->DestroyWindow();
    if (active_ >= GetTabCount())
        active_ = GetTabCount() - 1;
    else if (index < active_)
        --active_;
    else if (index == active_ && GetTabCount() > 0) {
        tabs_[active_].view->OnActivateView(TRUE, tabs_[active_].view, nullptr);
    }
    if (active_ >= 0)
        NotifyHost(HostEvent::ChildActivated, tabs_[active_].view);
}

BOOL CCJTabCtrlBar::DeleteView(const CRuntimeClass* viewClass)
{
    CView* view = GetView(viewClass);
    if (!view)
        return FALSE;
    DestroyView(view);
    return TRUE;
}

void CCJTabCtrlBar::OnDestroy()
{
    tabs_.clear();
    active_ = -1;
    CCJControlBar::OnDestroy();
}

}  // namespace lathris

#include "platform/wnd.h"

#include <algorithm>

#include "platform/frame_wnd.h"

namespace platform {
namespace {

thread_local int t_depth = 0;
thread_local std::vector<CObject*>* t_pending = nullptr;

void FlushPending()
{
    while (t_pending && !t_pending->empty()) {
        std::vector<CObject*> batch;
        batch.swap(*t_pending);
        for (CObject* o : batch)
            delete o;
    }
}

struct DepthGuard {
    DepthGuard() { ++t_depth; }
    ~DepthGuard()
    {
        if (--t_depth == 0)
            FlushPending();
    }
};

POINT PointOf(LPARAM l)
{
    return {static_cast<short>(LOWORD(static_cast<uintptr_t>(l))),
            static_cast<short>(HIWORD(static_cast<uintptr_t>(l)))};
}

}  // namespace

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

void DeleteAfterDispatch(CObject* object)
{
    if (!object)
        return;
    if (t_depth == 0) {
        delete object;
        return;
    }
    if (!t_pending)
        t_pending = new std::vector<CObject*>;
    t_pending->push_back(object);
}

int DispatchDepth()
{
    return t_depth;
}

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    if (m_hWnd) {
        m_bAutoDelete = false;  // being deleted already
        DestroyWindow();
    }
    if (parent_)
        parent_->RemoveChild(this);
    for (CWnd* c : children_)
        c->parent_ = nullptr;
}

CWnd* CWnd::FromHandle(HWND hwnd)
{
    MessageSink* sink = SinkObject(hwnd);
    return sink ? sink->SinkWindow() : nullptr;
}

BOOL CWnd::Create(CWnd* parent, UINT id, const std::string& text)
{
    if (m_hWnd)
        return FALSE;
    m_hWnd = CreateSink(static_cast<MessageSink*>(this));
    if (!m_hWnd)
        return FALSE;
    id_ = id;
    text_ = text;
    destroying_ = false;
    if (parent)
        parent->AddChild(this);
    if (SendMessage(WM_CREATE) == -1) {
        DestroyWindow();
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd || destroying_)
        return m_hWnd ? TRUE : FALSE;
    destroying_ = true;
    DepthGuard guard;  // nothing is deleted until the whole destruction ran
    HWND hwnd = m_hWnd;
    ::SendMessage(hwnd, WM_DESTROY, 0, 0);
    std::vector<CWnd*> kids = children_;
    for (auto it = kids.rbegin(); it != kids.rend(); ++it)
        if (std::find(children_.begin(), children_.end(), *it) != children_.end())
            (*it)->DestroyWindow();
    KillTimers(hwnd);
    DestroySink(hwnd);
    m_hWnd = nullptr;
    if (parent_)
        parent_->RemoveChild(this);
    if (host_) {
        host_->Detach();
        host_ = nullptr;
    }
    PostNcDestroy();
    return TRUE;
}

void CWnd::PostNcDestroy()
{
    if (m_bAutoDelete)
        DeleteAfterDispatch(this);
}

void CWnd::AddChild(CWnd* child)
{
    if (child->parent_)
        child->parent_->RemoveChild(child);
    child->parent_ = this;
    children_.push_back(child);
}

void CWnd::RemoveChild(CWnd* child)
{
    children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
    child->parent_ = nullptr;
}

CWnd* CWnd::GetDescendantWindow(UINT id) const
{
    for (CWnd* c : children_)
        if (c->id_ == id)
            return c;
    for (CWnd* c : children_)
        if (CWnd* found = c->GetDescendantWindow(id))
            return found;
    return nullptr;
}

CFrameWnd* CWnd::GetParentFrame() const
{
    for (CWnd* p = parent_; p; p = p->parent_)
        if (auto* f = dynamic_cast<CFrameWnd*>(p))
            return f;
    return nullptr;
}

CFrameWnd* CWnd::GetTopLevelFrame() const
{
    CFrameWnd* top = dynamic_cast<CFrameWnd*>(const_cast<CWnd*>(this));
    for (CFrameWnd* f = GetParentFrame(); f; f = f->GetParentFrame())
        top = f;
    return top;
}

void CWnd::Invalidate(BOOL)
{
    if (host_)
        host_->Invalidate();
}

void CWnd::GetClientRect(RECT* rect) const
{
    *rect = host_ ? host_->GetClientRect() : RECT{};
}

void CWnd::GetWindowRect(RECT* rect) const
{
    *rect = host_ ? host_->GetWindowRect() : RECT{};
}

void CWnd::ClientToScreen(POINT* point) const
{
    const POINT origin = host_ ? host_->ClientOrigin() : POINT{};
    point->x += origin.x;
    point->y += origin.y;
}

void CWnd::ScreenToClient(POINT* point) const
{
    const POINT origin = host_ ? host_->ClientOrigin() : POINT{};
    point->x -= origin.x;
    point->y -= origin.y;
}

BOOL CWnd::GetWindowPlacement(WINDOWPLACEMENT* placement) const
{
    return host_ && host_->GetPlacement(placement);
}

BOOL CWnd::SetWindowPlacement(const WINDOWPLACEMENT* placement)
{
    return host_ && placement && host_->SetPlacement(*placement);
}

BOOL CWnd::IsZoomed() const
{
    WINDOWPLACEMENT p;
    return GetWindowPlacement(&p) && p.showCmd == SW_SHOWMAXIMIZED;
}

void CWnd::MoveWindowTo(POINT screen)
{
    if (host_)
        host_->MoveTo(screen);
}

int CWnd::SetScrollInfo(int bar, const SCROLLINFO& info, BOOL)
{
    if (!host_)
        return 0;
    host_->SetScrollInfo(bar, info);
    return host_->GetScrollInfo(bar).nPos;
}

BOOL CWnd::GetScrollInfo(int bar, SCROLLINFO* info, UINT mask) const
{
    if (!host_ || !info)
        return FALSE;
    *info = host_->GetScrollInfo(bar);
    info->fMask = mask;
    return TRUE;
}

int CWnd::GetScrollPos(int bar) const
{
    return host_ ? host_->GetScrollInfo(bar).nPos : 0;
}

void CWnd::SetWindowText(const std::string& text)
{
    text_ = text;
    if (host_)
        host_->SetWindowText(text);
}

BOOL CWnd::ShowWindow(int cmd)
{
    BOOL was = IsWindowVisible();
    visible_ = cmd != SW_HIDE && cmd != SW_MINIMIZE;
    if (host_)
        host_->ShowWindow(cmd);
    return was;
}

BOOL CWnd::IsWindowVisible() const
{
    return host_ ? host_->IsVisible() : visible_;
}

BOOL CWnd::EnableWindow(BOOL enable)
{
    BOOL was = !enabled_;
    enabled_ = enable != FALSE;
    return was;
}

CWnd* CWnd::SetFocus()
{
    if (host_)
        host_->SetFocus();
    return nullptr;
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT ms)
{
    return ::SetTimer(m_hWnd, id, ms, nullptr);
}

BOOL CWnd::KillTimer(UINT_PTR id)
{
    return ::KillTimer(m_hWnd, id);
}

LRESULT CWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessage(m_hWnd, msg, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessage(m_hWnd, msg, wParam, lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL CWnd::OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info)
{
    return DispatchOwn(id, code, extra, info);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT id = LOWORD(wParam);
    int code = HIWORD(wParam);
    if (lParam == 0 && (code == 0 || code == 1)) {
        // Menus and accelerators: a command disabled meanwhile does not run.
        CCmdUI state;
        state.m_nID = id;
        state.DoUpdate(this, true);
        if (!state.enabled)
            return TRUE;
        code = CN_COMMAND;
    }
    return OnCmdMsg(id, code, nullptr, nullptr);
}

LRESULT CWnd::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    DepthGuard guard;
    return WindowProc(msg, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (const Message* handler = FindMessage(msg))
        return (*handler)(wParam, lParam);
    UINT lo = LOWORD(static_cast<uintptr_t>(lParam));
    UINT hi = HIWORD(static_cast<uintptr_t>(lParam));
    switch (msg) {
    case WM_CREATE: return OnCreate();
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_CLOSE: OnClose(); return 0;
    case WM_COMMAND: return OnCommand(wParam, lParam);
    case WM_TIMER: OnTimer(wParam); return 0;
    case WM_SIZE: OnSize(static_cast<UINT>(wParam), static_cast<int>(lo), static_cast<int>(hi)); return 0;
    case WM_SETFOCUS: OnSetFocus(); return 0;
    case WM_KILLFOCUS: OnKillFocus(); return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: OnKeyDown(static_cast<UINT>(wParam), lo, hi); return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP: OnKeyUp(static_cast<UINT>(wParam), lo, hi); return 0;
    case WM_CHAR: OnChar(static_cast<UINT>(wParam), lo, hi); return 0;
    case WM_VSCROLL: OnVScroll(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_HSCROLL: OnHScroll(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_LBUTTONDOWN: OnLButtonDown(static_cast<UINT>(wParam), PointOf(lParam)); return 0;
    case WM_LBUTTONUP: OnLButtonUp(static_cast<UINT>(wParam), PointOf(lParam)); return 0;
    case WM_LBUTTONDBLCLK: OnLButtonDblClk(static_cast<UINT>(wParam), PointOf(lParam)); return 0;
    case WM_RBUTTONDOWN: OnRButtonDown(static_cast<UINT>(wParam), PointOf(lParam)); return 0;
    case WM_MOUSEMOVE: OnMouseMove(static_cast<UINT>(wParam), PointOf(lParam)); return 0;
    case WM_MOUSEWHEEL: return OnMouseWheel(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), PointOf(lParam));
    case WM_CONTEXTMENU: OnContextMenu(PointOf(lParam)); return 0;
    default: return DefWindowProc(msg, wParam, lParam);
    }
}

}  // namespace platform

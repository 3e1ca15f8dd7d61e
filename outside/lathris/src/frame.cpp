#include "lathris/frame.h"

#include <algorithm>

#include "lathris/registry.h"
#include "platform/registry.h"

namespace lathris {

IMPLEMENT_DYNCREATE(CCJMDIFrameWnd, CMDIFrameWnd)
IMPLEMENT_DYNCREATE(CCJMDIChildWnd, CMDIChildWnd)
IMPLEMENT_DYNAMIC(CBCGMainClientAreaWnd, CWnd)

UINT BCGM_TOOLBARMENU()
{
    static UINT msg = RegisterWindowMessage("BCGM_TOOLBARMENU");
    return msg;
}

UINT BCGM_CUSTOMIZEHELP()
{
    static UINT msg = RegisterWindowMessage("BCGM_CUSTOMIZEHELP");
    return msg;
}

UINT BCGM_RESETTOOLBAR()
{
    static UINT msg = RegisterWindowMessage("BCGM_RESETTOOLBAR");
    return msg;
}

// --- Bar manager ------------------------------------------------------------------

CBCGFrameImpl::~CBCGFrameImpl()
{
    for (auto& bar : userBars_)
        if (bar->m_hWnd)
            bar->DestroyWindow();
}

void CBCGFrameImpl::InitUserToobars(const std::string& path, UINT firstId, UINT lastId)
{
    userPath_ = path;
    firstUserId_ = firstId;
    lastUserId_ = std::max(firstId, lastId);
}

CBCGToolBar* CBCGFrameImpl::CreateUserToolbar(const std::string& name)
{
    for (UINT id = firstUserId_; id <= lastUserId_; ++id) {
        bool used =
            std::any_of(userBars_.begin(), userBars_.end(), [id](const auto& b) { return b->GetDlgCtrlID() == id; });
        if (used)
            continue;
        auto bar = std::make_unique<CBCGToolBar>();
        bar->SetUserBar(true);
        if (!bar->Create(frame_, CBRS_ALIGN_TOP, id))
            return nullptr;
        bar->SetWindowText(name);
        userBars_.push_back(std::move(bar));
        return userBars_.back().get();
    }
    return nullptr;
}

BOOL CBCGFrameImpl::DeleteUserToolbar(CBCGToolBar* bar)
{
    auto it = std::find_if(userBars_.begin(), userBars_.end(), [bar](const auto& b) { return b.get() == bar; });
    if (it == userBars_.end())
        return FALSE;
    if (frame_)
        frame_->RemoveControlBar(bar);
    bar->DestroyWindow();
    userBars_.erase(it);
    if (frame_ && frame_->GetHost())
        frame_->GetHost()->Notify(HostEvent::BarsChanged, nullptr);
    return TRUE;
}

BOOL CBCGFrameImpl::LoadUserToolbars()
{
    if (userPath_.empty())
        return FALSE;
    CRegistry reg;
    CDWordArray ids;
    if (!reg.Open(userPath_ + "\\BCGUserToolbars") || !reg.Read("Bars", ids))
        return FALSE;
    reg.Close();
    BOOL ok = TRUE;
    for (DWORD id : ids) {
        if (id < firstUserId_ || id > lastUserId_ || (frame_ && frame_->GetControlBar(id)))
            continue;  // a foreign or repeated id
        auto bar = std::make_unique<CBCGToolBar>();
        bar->SetUserBar(true);
        if (!bar->Create(frame_, CBRS_ALIGN_TOP, id))
            return FALSE;
        bar->SetWindowText("Custom " + std::to_string(id - firstUserId_ + 1));
        bar->SetDefaultButtons();
        if (!bar->LoadState(userPath_) && !bar->LastStateError().empty()) {
            error_ += bar->LastStateError() + "\n";
            ok = FALSE;
        }
        userBars_.push_back(std::move(bar));
    }
    return ok;
}

BOOL CBCGFrameImpl::SaveUserToolbars()
{
    if (userPath_.empty())
        return FALSE;
    CDWordArray ids;
    BOOL ok = TRUE;
    for (const auto& bar : userBars_) {
        ids.push_back(bar->GetDlgCtrlID());
        ok = bar->SaveState(userPath_) && ok;
    }
    CRegistry reg;
    return reg.CreateKey(userPath_ + "\\BCGUserToolbars") && reg.Write("Bars", ids) && ok;
}

CBCGToolBar* CBCGFrameImpl::GetUserBarByIndex(int index) const
{
    return index >= 0 && index < GetUserBarCount() ? userBars_[index].get() : nullptr;
}

BOOL CBCGFrameImpl::IsDockStateValid(const DockState& state) const
{
    if (!frame_)
        return FALSE;
    for (UINT id : state.barIds)
        if (!frame_->GetControlBar(id))
            return FALSE;
    return TRUE;
}

BOOL CBCGFrameImpl::IsDockStateValid(const std::string& record) const
{
    DockState state;
    std::string error;
    return DecodeDockState(record, state, error) && IsDockStateValid(state);
}

BOOL CBCGFrameImpl::SaveState(const std::string& path)
{
    BOOL ok = TRUE;
    DockState state;
    for (CControlBar* bar : frame_->ControlBars()) {
        state.barIds.push_back(bar->GetDlgCtrlID());
        if (auto* tb = dynamic_cast<CBCGToolBar*>(bar); tb && !tb->IsUserBar())
            ok = tb->SaveState(path) && ok;
    }
    if (layoutHost_) {
        state.layout = layoutHost_->SaveLayout();
        CRegistry reg;
        ok = reg.CreateKey(path) && reg.WriteBinary("Control Bars", EncodeDockState(state)) && ok;
    }
    return ok;
}

BOOL CBCGFrameImpl::LoadState(const std::string& path)
{
    error_.clear();
    BOOL ok = TRUE;
    for (CControlBar* bar : frame_->ControlBars())
        if (auto* tb = dynamic_cast<CBCGToolBar*>(bar); tb && !tb->IsUserBar())
            if (!tb->LoadState(path) && !tb->LastStateError().empty()) {
                error_ += tb->LastStateError() + "\n";
                ok = FALSE;
            }
    CRegistry reg;
    std::string record;
    if (!layoutHost_ || !reg.Open(path) || !reg.ReadBinary("Control Bars", record))
        return ok;
    DockState state;
    std::string error;
    std::string where = Registry::Global().File() + ": " + path + "\\Control Bars+";
    if (!DecodeDockState(record, state, error)) {
        error_ += where + error.substr(std::string("offset ").size()) + "\n";
        return FALSE;
    }
    if (!IsDockStateValid(state)) {
        error_ += where + "0: the layout names bars the frame does not have\n";
        return FALSE;
    }
    if (!layoutHost_->RestoreLayout(state.layout)) {
        error_ += where + "0: the window layer refused the layout\n";
        return FALSE;
    }
    return ok;
}

void CBCGFrameImpl::ResetToolbar(CBCGToolBar* bar)
{
    if (!bar)
        return;
    if (frame_ && frame_->m_hWnd)
        frame_->SendMessage(BCGM_RESETTOOLBAR(), bar->GetDlgCtrlID(), 0);
    bar->ResetToDefault();
}

// --- Frames -----------------------------------------------------------------------

CCJMDIFrameWnd::CCJMDIFrameWnd() : m_Impl(this) {}

void CCJMDIFrameWnd::DockSizeBar(CCJControlBar* bar, DWORD side, const RECT*)
{
    if (!bar)
        return;
    DWORD allowed = bar->GetDockingAlignment() & (dockSides_ ? dockSides_ : CBRS_ALIGN_ANY);
    if (side == 0 || !(side & allowed))
        side = (bar->GetDockedSide() & allowed) ? bar->GetDockedSide() : allowed & (~allowed + 1);
    if (side)
        bar->SetDockedSide(side);
    bar->SetVisible(true);
    NotifyHost(HostEvent::BarsChanged, bar);
}

void CCJMDIFrameWnd::AttachFloatingFrame(CFrameWnd* frame)
{
    NotifyHost(HostEvent::ChildAdded, frame);
}

void CCJMDIFrameWnd::DetachFloatingFrame(CFrameWnd* frame)
{
    NotifyHost(HostEvent::ChildRemoved, frame);
}

BOOL CCJMDIFrameWnd::OnCreateClient(CCreateContext* context)
{
    return CMDIFrameWnd::OnCreateClient(context);
}

BOOL CCJMDIFrameWnd::PreTranslateMessage(MSG* msg)
{
    return CMDIFrameWnd::PreTranslateMessage(msg);
}

BOOL CCJMDIChildWnd::OnCreateClient(CCreateContext* context)
{
    return CMDIChildWnd::OnCreateClient(context);
}

}  // namespace lathris

#include "platform/cmd_target.h"

namespace platform {

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

// The constructor and destructor live beside the automation part
// (automation/cmd_target_automation.cpp), whose type only that file knows.

void CCmdUI::Enable(BOOL on)
{
    enabled = on != FALSE;
    handled = true;
}

void CCmdUI::SetCheck(int check)
{
    checked = check;
    handled = true;
}

void CCmdUI::SetText(const char* t)
{
    text = t ? t : "";
    textSet = true;
    handled = true;
}

bool CCmdUI::DoUpdate(CCmdTarget* target, bool disableIfNoHandler)
{
    if (!target)
        return false;
    m_bContinueRouting = false;
    handled = target->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr) != FALSE;
    if (!handled && disableIfNoHandler) {
        AFX_CMDHANDLERINFO info;
        Enable(target->OnCmdMsg(m_nID, CN_COMMAND, this, &info) != FALSE);
        handled = false;  // only the default decided
    }
    return handled;
}

BOOL CCmdTarget::DispatchOwn(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info)
{
    for (auto& e : entries_) {
        if (e.code != code || id < e.first || id > e.last)
            continue;
        if (info) {
            info->pTarget = this;
            return TRUE;
        }
        if (code == CN_UPDATE_COMMAND_UI) {
            auto* ui = static_cast<CCmdUI*>(extra);
            ui->m_bContinueRouting = false;
            e.fn(id, extra);
            if (ui->m_bContinueRouting)
                continue;
            return TRUE;
        }
        if (e.fn(id, extra))
            return TRUE;
    }
    return FALSE;
}

BOOL CCmdTarget::OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info)
{
    return DispatchOwn(id, code, extra, info);
}

CCmdUI CCmdTarget::QueryCommandState(UINT id)
{
    CCmdUI ui;
    ui.m_nID = id;
    ui.DoUpdate(this, true);
    return ui;
}

void CCmdTarget::OnCommand(UINT id, Command handler)
{
    entries_.push_back({CN_COMMAND, id, id, [h = std::move(handler)](UINT, void*) {
                            h();
                            return TRUE;
                        }});
}

void CCmdTarget::OnCommandRange(UINT first, UINT last, std::function<void(UINT)> handler)
{
    entries_.push_back({CN_COMMAND, first, last, [h = std::move(handler)](UINT id, void*) {
                            h(id);
                            return TRUE;
                        }});
}

void CCmdTarget::OnCommandEx(UINT id, CommandEx handler)
{
    entries_.push_back({CN_COMMAND, id, id, [h = std::move(handler)](UINT i, void*) { return h(i); }});
}

void CCmdTarget::OnUpdate(UINT id, Update handler)
{
    OnUpdateRange(id, id, std::move(handler));
}

void CCmdTarget::OnUpdateRange(UINT first, UINT last, Update handler)
{
    entries_.push_back({CN_UPDATE_COMMAND_UI, first, last, [h = std::move(handler)](UINT id, void* extra) {
                            auto* ui = static_cast<CCmdUI*>(extra);
                            ui->m_nID = id;
                            h(ui);
                            return TRUE;
                        }});
}

void CCmdTarget::OnNotify(UINT id, int code, Command handler)
{
    entries_.push_back({code, id, id, [h = std::move(handler)](UINT, void*) {
                            h();
                            return TRUE;
                        }});
}

void CCmdTarget::OnMessage(UINT msg, Message handler)
{
    messages_.emplace_back(msg, std::move(handler));
}

const CCmdTarget::Message* CCmdTarget::FindMessage(UINT msg) const
{
    for (auto& [m, fn] : messages_)
        if (m == msg)
            return &fn;
    return nullptr;
}

}  // namespace platform

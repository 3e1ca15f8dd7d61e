#include "platform/control_bars.h"

#include "platform/frame_wnd.h"
#include "platform/resources.h"

namespace platform {

IMPLEMENT_DYNAMIC(CControlBar, CWnd)
IMPLEMENT_DYNAMIC(CToolBar, CControlBar)
IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

BOOL CControlBar::Create(CWnd* parent, UINT id, const std::string& text)
{
    if (!CWnd::Create(parent, id, text))
        return FALSE;
    if (auto* frame = dynamic_cast<CFrameWnd*>(parent))
        frame->AddControlBar(this);
    return TRUE;
}

void CControlBar::SetVisible(bool visible)
{
    if (visible_ != visible) {
        visible_ = visible;
        Changed();
    }
}

void CControlBar::Changed()
{
    ++revision_;
    // The frame's widget shows the bars.
    if (CWnd* frame = GetParent(); frame && frame->GetHost())
        frame->GetHost()->Notify(HostEvent::BarsChanged, this);
}

// --- Toolbar -------------------------------------------------------------------

BOOL CToolBar::SetButtons(const UINT* ids, int count)
{
    buttons_.clear();
    int image = 0;
    for (int i = 0; i < count; ++i) {
        Button b;
        b.id = ids[i];
        if (b.id == 0)
            b.style = TBBS_SEPARATOR;
        else
            b.image = image++;
        buttons_.push_back(std::move(b));
    }
    Changed();
    return TRUE;
}

UINT CToolBar::GetItemID(int index) const
{
    return index >= 0 && index < GetCount() ? buttons_[index].id : 0;
}

int CToolBar::CommandToIndex(UINT id) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (buttons_[i].id == id && !(buttons_[i].style & TBBS_SEPARATOR))
            return i;
    return -1;
}

void CToolBar::SetButtonInfo(int index, UINT id, UINT style, int image)
{
    if (index < 0 || index >= GetCount())
        return;
    buttons_[index].id = id;
    buttons_[index].style = style;
    buttons_[index].image = image;
    Changed();
}

UINT CToolBar::GetButtonStyle(int index) const
{
    return index >= 0 && index < GetCount() ? buttons_[index].style : 0;
}

void CToolBar::SetButtonStyle(int index, UINT style)
{
    if (index < 0 || index >= GetCount() || buttons_[index].style == style)
        return;
    buttons_[index].style = style;
    Changed();
}

void CToolBar::SetComboButton(int index, int width, std::vector<std::string> items)
{
    if (index < 0 || index >= GetCount())
        return;
    buttons_[index].comboWidth = width;
    buttons_[index].comboItems = std::move(items);
    Changed();
}

void CToolBar::InsertButton(int index, const Button& button)
{
    if (index < 0 || index > GetCount())
        index = GetCount();
    buttons_.insert(buttons_.begin() + index, button);
    Changed();
}

void CToolBar::RemoveButton(int index)
{
    if (index < 0 || index >= GetCount())
        return;
    buttons_.erase(buttons_.begin() + index);
    Changed();
}

namespace {

class ToolCmdUI : public CCmdUI {
public:
    ToolCmdUI(CToolBar& bar, int index) : bar_(bar), index_(index) {}
    void Enable(BOOL on) override
    {
        CCmdUI::Enable(on);
        UINT style = bar_.GetButtonStyle(index_) & ~TBBS_DISABLED;
        bar_.SetButtonStyle(index_, on ? style : style | TBBS_DISABLED);
    }
    void SetCheck(int check) override
    {
        CCmdUI::SetCheck(check);
        UINT style = bar_.GetButtonStyle(index_) & ~(TBBS_CHECKED | TBBS_INDETERMINATE);
        if (check == 1)
            style |= TBBS_CHECKED;
        else if (check == 2)
            style |= TBBS_INDETERMINATE;
        bar_.SetButtonStyle(index_, style);
    }

private:
    CToolBar& bar_;
    int index_;
};

}  // namespace

void CToolBar::OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler)
{
    for (int i = 0; i < GetCount(); ++i) {
        if (buttons_[i].style & TBBS_SEPARATOR)
            continue;
        ToolCmdUI ui(*this, i);
        ui.m_nID = buttons_[i].id;
        ui.m_nIndex = static_cast<UINT>(i);
        ui.m_nIndexMax = static_cast<UINT>(GetCount());
        ui.DoUpdate(target, disableIfNoHandler != FALSE);
        if (ui.textSet && buttons_[i].comboText != ui.text) {
            buttons_[i].comboText = ui.text;
            Changed();
        }
    }
}

// --- Status bar ----------------------------------------------------------------

BOOL CStatusBar::SetIndicators(const UINT* ids, int count)
{
    panes_.clear();
    for (int i = 0; i < count; ++i) {
        Pane p;
        p.id = ids[i];
        if (p.id == 0) {
            p.style = SBPS_NOBORDERS | SBPS_STRETCH;
        } else {
            p.text = resources::LoadString(p.id);
            p.width = static_cast<int>(p.text.size()) * 7 + 8;
        }
        panes_.push_back(std::move(p));
    }
    Changed();
    return TRUE;
}

UINT CStatusBar::GetItemID(int index) const
{
    return index >= 0 && index < GetCount() ? panes_[index].id : 0;
}

int CStatusBar::CommandToIndex(UINT id) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (panes_[i].id == id)
            return i;
    return -1;
}

void CStatusBar::GetPaneInfo(int index, UINT& id, UINT& style, int& width) const
{
    if (index < 0 || index >= GetCount()) {
        id = 0, style = 0, width = 0;
        return;
    }
    id = panes_[index].id;
    style = panes_[index].style;
    width = panes_[index].width;
}

void CStatusBar::SetPaneInfo(int index, UINT id, UINT style, int width)
{
    if (index < 0 || index >= GetCount())
        return;
    panes_[index].id = id;
    panes_[index].style = style;
    panes_[index].width = width;
    Changed();
}

std::string CStatusBar::GetPaneText(int index) const
{
    return index >= 0 && index < GetCount() ? panes_[index].text : std::string();
}

BOOL CStatusBar::SetPaneText(int index, const std::string& text, BOOL)
{
    if (index < 0 || index >= GetCount())
        return FALSE;
    if (panes_[index].text != text) {
        panes_[index].text = text;
        Changed();
    }
    return TRUE;
}

void CStatusBar::SetPaneProgress(int index, int percent)
{
    if (index < 0 || index >= GetCount() || panes_[index].progress == percent)
        return;
    panes_[index].progress = percent;
    Changed();
}

namespace {

class PaneCmdUI : public CCmdUI {
public:
    PaneCmdUI(CStatusBar& bar, int index) : bar_(bar), index_(index) {}
    void Enable(BOOL on) override
    {
        CCmdUI::Enable(on);
        UINT id, style;
        int width;
        bar_.GetPaneInfo(index_, id, style, width);
        UINT next = on ? style & ~SBPS_DISABLED : style | SBPS_DISABLED;
        if (next != style)
            bar_.SetPaneInfo(index_, id, next, width);
    }
    void SetText(const char* text) override
    {
        CCmdUI::SetText(text);
        bar_.SetPaneText(index_, text ? text : "");
    }

private:
    CStatusBar& bar_;
    int index_;
};

}  // namespace

void CStatusBar::OnUpdateCmdUI(CFrameWnd* target, BOOL)
{
    for (int i = 0; i < GetCount(); ++i) {
        if (panes_[i].id == 0)
            continue;
        PaneCmdUI ui(*this, i);
        ui.m_nID = panes_[i].id;
        ui.m_nIndex = static_cast<UINT>(i);
        ui.m_nIndexMax = static_cast<UINT>(GetCount());
        // Panes stay as they are when nothing handles their update.
        ui.DoUpdate(target, false);
    }
}

}  // namespace platform

#include "platform/dlg_items.h"

namespace platform {

const ControlTemplate* DialogTemplate::Find(int id) const
{
    for (const auto& c : controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

void DlgItems::UserClick(int id)
{
    if (!Has(id) || !IsEnabled(id))
        return;
    ControlKind kind = Kind(id);
    if (kind == ControlKind::Check)
        SetCheck(id, GetCheck(id) ? 0 : 1);
    if (kind == ControlKind::Radio)
        SetCheck(id, 1);
    Fire(id, BN_CLICKED);
}

void DlgItems::UserSelect(int id, int index)
{
    if (!Has(id) || !IsEnabled(id))
        return;
    SetCurSel(id, index);
    Fire(id, Kind(id) == ControlKind::List ? LBN_SELCHANGE : CBN_SELCHANGE);
}

void DlgItems::UserType(int id, const std::string& text)
{
    if (!Has(id) || !IsEnabled(id))
        return;
    SetFocus(id);
    SetText(id, text);  // an edit tells EN_CHANGE itself
    if (Kind(id) == ControlKind::Combo)
        Fire(id, CBN_EDITCHANGE);
}

MemoryDlgItems::MemoryDlgItems(const DialogTemplate& t)
{
    for (const auto& c : t.controls) {
        if (c.id == IDC_STATIC && c.kind == ControlKind::Static)
            continue;
        Add(c.kind, c.id, c.kind == ControlKind::Combo || c.kind == ControlKind::DropList ? "" : c.text);
        if (c.style & WS_DISABLED)
            controls_[c.id].enabled = false;
    }
}

void MemoryDlgItems::Add(ControlKind kind, int id, const std::string& text)
{
    Control c;
    c.kind = kind;
    c.text = text;
    controls_[id] = std::move(c);
}

MemoryDlgItems::Control* MemoryDlgItems::Find(int id)
{
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : &it->second;
}

const MemoryDlgItems::Control* MemoryDlgItems::Find(int id) const
{
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : &it->second;
}

ControlKind MemoryDlgItems::Kind(int id) const
{
    const Control* c = Find(id);
    return c ? c->kind : ControlKind::Static;
}

std::string MemoryDlgItems::GetText(int id) const
{
    const Control* c = Find(id);
    if (!c)
        return {};
    if (c->kind == ControlKind::DropList || c->kind == ControlKind::List)
        return c->sel >= 0 && c->sel < static_cast<int>(c->items.size()) ? c->items[c->sel] : std::string();
    return c->text;
}

void MemoryDlgItems::SetText(int id, const std::string& text)
{
    Control* c = Find(id);
    if (!c)
        return;
    c->text = text;
    if (c->kind == ControlKind::Edit)
        Fire(id, EN_CHANGE);
}

int MemoryDlgItems::GetCheck(int id) const
{
    const Control* c = Find(id);
    return c ? c->check : 0;
}

void MemoryDlgItems::SetCheck(int id, int check)
{
    Control* c = Find(id);
    if (!c)
        return;
    c->check = check;
    if (c->kind == ControlKind::Radio && check) {
        // The other buttons of the group (consecutive radio ids) clear.
        for (int other = id - 1; Kind(other) == ControlKind::Radio && Has(other); --other)
            Find(other)->check = 0;
        for (int other = id + 1; Kind(other) == ControlKind::Radio && Has(other); ++other)
            Find(other)->check = 0;
    }
}

void MemoryDlgItems::ResetContent(int id)
{
    if (Control* c = Find(id)) {
        c->items.clear();
        c->sel = -1;
    }
}

int MemoryDlgItems::AddString(int id, const std::string& text)
{
    Control* c = Find(id);
    if (!c)
        return -1;
    c->items.push_back(text);
    return static_cast<int>(c->items.size()) - 1;
}

int MemoryDlgItems::GetCount(int id) const
{
    const Control* c = Find(id);
    return c ? static_cast<int>(c->items.size()) : -1;
}

std::string MemoryDlgItems::GetItemText(int id, int index) const
{
    const Control* c = Find(id);
    if (!c || index < 0 || index >= static_cast<int>(c->items.size()))
        return {};
    return c->items[index];
}

int MemoryDlgItems::GetCurSel(int id) const
{
    const Control* c = Find(id);
    return c ? c->sel : -1;
}

void MemoryDlgItems::SetCurSel(int id, int index)
{
    Control* c = Find(id);
    if (!c)
        return;
    c->sel = index >= 0 && index < static_cast<int>(c->items.size()) ? index : -1;
    if (c->kind == ControlKind::Combo && c->sel >= 0)
        c->text = c->items[c->sel];
}

void MemoryDlgItems::Enable(int id, bool enable)
{
    if (Control* c = Find(id))
        c->enabled = enable;
}

bool MemoryDlgItems::IsEnabled(int id) const
{
    const Control* c = Find(id);
    return c && c->enabled;
}

void MemoryDlgItems::Show(int id, bool show)
{
    if (Control* c = Find(id))
        c->visible = show;
}

bool MemoryDlgItems::IsVisible(int id) const
{
    const Control* c = Find(id);
    return c && c->visible;
}

}  // namespace platform

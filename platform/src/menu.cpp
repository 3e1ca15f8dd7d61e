#include "platform/menu.h"

#include "platform/frame_wnd.h"
#include "platform/modal_ui.h"

namespace platform {

BOOL CMenu::AppendMenu(UINT flags, UINT id, const char* text)
{
    Item item;
    item.flags = flags;
    item.id = (flags & MF_SEPARATOR) ? 0 : id;
    item.text = text ? text : "";
    items_.push_back(std::move(item));
    return TRUE;
}

BOOL CMenu::AppendPopup(const char* text, std::shared_ptr<CMenu> popup, UINT flags)
{
    Item item;
    item.flags = flags | MF_POPUP;
    item.text = text ? text : "";
    item.popup = std::move(popup);
    items_.push_back(std::move(item));
    return TRUE;
}

CMenu::Item* CMenu::Locate(UINT where, UINT flags)
{
    if (flags & MF_BYPOSITION)
        return where < items_.size() ? &items_[where] : nullptr;
    return FindCommand(where);
}

const CMenu::Item* CMenu::Locate(UINT where, UINT flags) const
{
    return const_cast<CMenu*>(this)->Locate(where, flags);
}

CMenu::Item* CMenu::FindCommand(UINT id)
{
    for (auto& item : items_) {
        if (item.popup) {
            if (Item* found = item.popup->FindCommand(id))
                return found;
        } else if (!(item.flags & MF_SEPARATOR) && item.id == id) {
            return &item;
        }
    }
    return nullptr;
}

BOOL CMenu::InsertMenu(UINT where, UINT flags, UINT id, const char* text)
{
    Item item;
    item.flags = flags & ~MF_BYPOSITION;
    item.id = id;
    item.text = text ? text : "";
    if (flags & MF_BYPOSITION) {
        if (where >= items_.size())
            items_.push_back(std::move(item));
        else
            items_.insert(items_.begin() + where, std::move(item));
        return TRUE;
    }
    for (size_t i = 0; i < items_.size(); ++i) {
        if (!items_[i].popup && items_[i].id == where && !(items_[i].flags & MF_SEPARATOR)) {
            items_.insert(items_.begin() + static_cast<long>(i), std::move(item));
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CMenu::ModifyMenu(UINT where, UINT flags, UINT id, const char* text)
{
    Item* item = Locate(where, flags);
    if (!item)
        return FALSE;
    item->flags = flags & ~MF_BYPOSITION;
    item->id = id;
    item->text = text ? text : "";
    if (!(flags & MF_POPUP))
        item->popup.reset();
    return TRUE;
}

BOOL CMenu::RemoveMenu(UINT where, UINT flags)
{
    if (flags & MF_BYPOSITION) {
        if (where >= items_.size())
            return FALSE;
        items_.erase(items_.begin() + where);
        return TRUE;
    }
    for (size_t i = 0; i < items_.size(); ++i) {
        if (!items_[i].popup && items_[i].id == where && !(items_[i].flags & MF_SEPARATOR)) {
            items_.erase(items_.begin() + static_cast<long>(i));
            return TRUE;
        }
        if (items_[i].popup && items_[i].popup->RemoveMenu(where, flags))
            return TRUE;
    }
    return FALSE;
}

UINT CMenu::GetMenuItemID(int pos) const
{
    if (pos < 0 || pos >= GetMenuItemCount())
        return static_cast<UINT>(-1);
    const Item& item = items_[pos];
    return item.popup ? static_cast<UINT>(-1) : item.id;
}

CMenu* CMenu::GetSubMenu(int pos) const
{
    if (pos < 0 || pos >= GetMenuItemCount())
        return nullptr;
    return items_[pos].popup.get();
}

std::string CMenu::GetMenuString(UINT where, UINT flags) const
{
    const Item* item = Locate(where, flags);
    return item ? item->text : std::string();
}

UINT CMenu::EnableMenuItem(UINT where, UINT flags)
{
    Item* item = Locate(where, flags);
    if (!item)
        return 0xFFFFFFFFu;
    UINT previous = item->flags & (MF_GRAYED | MF_DISABLED);
    item->flags = (item->flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
    return previous;
}

UINT CMenu::CheckMenuItem(UINT where, UINT flags)
{
    Item* item = Locate(where, flags);
    if (!item)
        return 0xFFFFFFFFu;
    UINT previous = item->flags & MF_CHECKED;
    item->flags = (item->flags & ~MF_CHECKED) | (flags & MF_CHECKED);
    return previous;
}

UINT CMenu::GetMenuState(UINT where, UINT flags) const
{
    const Item* item = Locate(where, flags);
    return item ? (item->flags & ~MF_BYPOSITION) : 0xFFFFFFFFu;
}

namespace {

// The update pass's view of one menu item.
class MenuItemCmdUI : public CCmdUI {
public:
    explicit MenuItemCmdUI(CMenu::Item& item) : item_(item) {}
    void Enable(BOOL on) override
    {
        CCmdUI::Enable(on);
        item_.flags = on ? (item_.flags & ~(MF_GRAYED | MF_DISABLED)) : (item_.flags | MF_GRAYED);
    }
    void SetCheck(int check) override
    {
        CCmdUI::SetCheck(check);
        item_.flags = check ? (item_.flags | MF_CHECKED) : (item_.flags & ~MF_CHECKED);
    }
    void SetText(const char* text) override
    {
        CCmdUI::SetText(text);
        item_.text = text ? text : "";
    }

private:
    CMenu::Item& item_;
};

}  // namespace

void CMenu::UpdateItems(CCmdTarget* target, bool disableIfNoHandler)
{
    for (size_t i = 0; i < items_.size(); ++i) {
        Item& item = items_[i];
        if (item.popup || (item.flags & MF_SEPARATOR) || item.id == 0)
            continue;
        MenuItemCmdUI ui(item);
        ui.m_nID = item.id;
        ui.m_nIndex = static_cast<UINT>(i);
        ui.m_nIndexMax = static_cast<UINT>(items_.size());
        ui.m_pMenu = this;
        ui.DoUpdate(target, disableIfNoHandler);
    }
}

UINT CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner)
{
    auto* frame = dynamic_cast<CFrameWnd*>(owner);
    if (frame)
        UpdateItems(frame, true);
    PopupRequest request;
    request.owner = owner ? owner->m_hWnd : nullptr;
    request.menu = this;
    request.x = x;
    request.y = y;
    request.flags = flags;
    UINT id = ShowPopupMenu(request);
    if (flags & TPM_RETURNCMD)
        return id;
    if (id != 0 && owner && owner->m_hWnd)
        owner->SendMessage(WM_COMMAND, id, 0);
    return id != 0;
}

std::shared_ptr<CMenu> BuildMenu(const std::vector<MenuDef>& defs)
{
    auto menu = std::make_shared<CMenu>();
    for (const MenuDef& d : defs) {
        if (!d.text)
            menu->AppendMenu(MF_SEPARATOR);
        else if (!d.items.empty() || (d.flags & MF_POPUP))
            menu->AppendPopup(d.text, BuildMenu(d.items), d.flags);
        else
            menu->AppendMenu(MF_STRING | d.flags, d.id, d.text);
    }
    return menu;
}

WORD AccelTable::Lookup(const MSG& msg, bool shift, bool ctrl, bool alt) const
{
    bool keyDown = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    bool charMsg = msg.message == WM_CHAR || msg.message == WM_SYSCHAR;
    if (!keyDown && !charMsg)
        return 0;
    for (const ACCEL& a : entries_) {
        if (a.fVirt & FVIRTKEY) {
            if (!keyDown || a.key != msg.wParam)
                continue;
            if (((a.fVirt & FSHIFT) != 0) != shift || ((a.fVirt & FCONTROL) != 0) != ctrl ||
                ((a.fVirt & FALT) != 0) != alt)
                continue;
            return a.cmd;
        }
        // A character accelerator: the character as typed (Ctrl+letter is 1-26).
        if (charMsg && a.key == msg.wParam && ((a.fVirt & FALT) != 0) == alt)
            return a.cmd;
    }
    return 0;
}

bool AccelTable::HasKey(int vk, bool shift, bool ctrl, bool alt) const
{
    MSG msg{nullptr, WM_KEYDOWN, static_cast<WPARAM>(vk), 0, 0};
    return Lookup(msg, shift, ctrl, alt) != 0;
}

BOOL AccelTable::Translate(HWND hwnd, const MSG& msg) const
{
    WORD cmd = Lookup(msg, IsKeyDown(VK_SHIFT), IsKeyDown(VK_CONTROL), IsKeyDown(VK_MENU));
    if (!cmd || !IsWindow(hwnd))
        return FALSE;
    ::SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(cmd, 1), 0);
    return TRUE;
}

}  // namespace platform

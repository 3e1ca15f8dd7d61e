// Menus and accelerator tables as models: the Qt host builds QMenus from a
// CMenu and runs the update pass on a popup before it shows.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/cmd_target.h"

namespace platform {

class CMenu {
public:
    struct Item {
        UINT flags = MF_STRING;  // MF_GRAYED, MF_CHECKED, MF_POPUP, MF_SEPARATOR
        UINT id = 0;
        std::string text;  // "&Open...\tCtrl+O"
        std::shared_ptr<CMenu> popup;
    };

    BOOL AppendMenu(UINT flags, UINT id = 0, const char* text = nullptr);
    BOOL AppendPopup(const char* text, std::shared_ptr<CMenu> popup, UINT flags = 0);
    // `where` by position (MF_BYPOSITION) or before the item with that id.
    BOOL InsertMenu(UINT where, UINT flags, UINT id = 0, const char* text = nullptr);
    BOOL ModifyMenu(UINT where, UINT flags, UINT id = 0, const char* text = nullptr);
    BOOL RemoveMenu(UINT where, UINT flags);
    BOOL DeleteMenu(UINT where, UINT flags) { return RemoveMenu(where, flags); }

    int GetMenuItemCount() const { return static_cast<int>(items_.size()); }
    // The id at a position; -1 for a popup, 0 for a separator.
    UINT GetMenuItemID(int pos) const;
    CMenu* GetSubMenu(int pos) const;
    std::string GetMenuString(UINT where, UINT flags) const;
    // Previous state (MF_GRAYED / MF_CHECKED bits), 0xFFFFFFFF when absent.
    UINT EnableMenuItem(UINT where, UINT flags);
    UINT CheckMenuItem(UINT where, UINT flags);
    UINT GetMenuState(UINT where, UINT flags) const;

    const std::vector<Item>& Items() const { return items_; }
    std::vector<Item>& Items() { return items_; }
    // The item with a command id anywhere below, or null.
    Item* FindCommand(UINT id);

    // Runs the update pass over this popup's items (not into sub-popups):
    // states and texts from `target`'s route.
    void UpdateItems(CCmdTarget* target, bool disableIfNoHandler = true);

    // The popup through the modal service. TPM_RETURNCMD: the command is
    // returned; otherwise it goes to `owner` as WM_COMMAND. A frame owner
    // runs the update pass first; another owner sees the items as built.
    UINT TrackPopupMenu(UINT flags, int x, int y, class CWnd* owner);

private:
    Item* Locate(UINT where, UINT flags);
    const Item* Locate(UINT where, UINT flags) const;
    std::vector<Item> items_;
};

// A menu table: text (null for a separator), id, and the items of a popup.
struct MenuDef {
    const char* text = nullptr;
    UINT id = 0;
    std::vector<MenuDef> items = {};
    UINT flags = 0;
};
std::shared_ptr<CMenu> BuildMenu(const std::vector<MenuDef>& defs);

struct ACCEL {
    BYTE fVirt;  // FVIRTKEY, FSHIFT, FCONTROL, FALT
    WORD key;    // virtual key, or a character without FVIRTKEY
    WORD cmd;
};

class AccelTable {
public:
    AccelTable() = default;
    explicit AccelTable(std::vector<ACCEL> entries) : entries_(std::move(entries)) {}
    const std::vector<ACCEL>& Entries() const { return entries_; }
    void Add(ACCEL a) { entries_.push_back(a); }
    // The command for a key message with the modifier state given, or 0.
    WORD Lookup(const MSG& msg, bool shift, bool ctrl, bool alt) const;
    // Whether a key (with modifiers) is in the table: the key filter lets
    // such keys beat the widgets' own shortcuts and mnemonics.
    bool HasKey(int vk, bool shift, bool ctrl, bool alt) const;
    // Sends WM_COMMAND (code 1) to `hwnd` for a table key; TRUE when it did.
    // The modifier state comes from the key filter's key table.
    BOOL Translate(HWND hwnd, const MSG& msg) const;

private:
    std::vector<ACCEL> entries_;
};

}  // namespace platform

using platform::ACCEL;
using platform::AccelTable;
using platform::CMenu;
using platform::MenuDef;

// Dialog templates and the controls of a dialog by id.
//
// A DialogTemplate lists controls in dialog units (1 unit = 7/4 px across,
// 14/8 px down on the Qt side); custom kinds go by class name ("VList").
// Dialog logic uses its controls only through DlgItems: MemoryDlgItems keeps
// them in memory (tests, ScriptedUi), the Qt DialogWidget has real widgets.
// Notifications follow Win32: an edit's EN_CHANGE also on programmatic text;
// clicks and selections only from the user (Click, Select).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "win_ui.h"

namespace platform {

enum class ControlKind { Static, Edit, Button, DefButton, Check, Radio, Group, Combo, DropList, List, Custom };

struct ControlTemplate {
    ControlKind kind;
    int id;  // -1 (IDC_STATIC) for labels
    std::string text;
    int x, y, cx, cy;  // dialog units
    DWORD style = 0;
    std::string className;  // Custom
};

inline constexpr DWORD SS_CENTER = 0x0001;  // a static text centred in its box
inline constexpr DWORD ES_MULTILINE = 0x0004;
inline constexpr DWORD ES_READONLY = 0x0800;
inline constexpr DWORD WS_GROUP = 0x00020000;
inline constexpr DWORD WS_DISABLED = 0x08000000;
inline constexpr int IDC_STATIC = -1;

struct DialogTemplate {
    std::string caption;
    int cx = 0, cy = 0;  // dialog units
    std::vector<ControlTemplate> controls;
    const ControlTemplate* Find(int id) const;
};

class DlgItems {
public:
    virtual ~DlgItems() = default;
    using Notify = std::function<void(int id, UINT code)>;
    void SetNotify(Notify notify) { notify_ = std::move(notify); }

    virtual bool Has(int id) const = 0;
    virtual ControlKind Kind(int id) const = 0;
    virtual std::string GetText(int id) const = 0;
    virtual void SetText(int id, const std::string& text) = 0;
    virtual int GetCheck(int id) const = 0;
    virtual void SetCheck(int id, int check) = 0;
    // Combo and list boxes.
    virtual void ResetContent(int id) = 0;
    virtual int AddString(int id, const std::string& text) = 0;
    virtual int GetCount(int id) const = 0;
    virtual std::string GetItemText(int id, int index) const = 0;
    virtual int GetCurSel(int id) const = 0;
    virtual void SetCurSel(int id, int index) = 0;
    virtual void Enable(int id, bool enable) = 0;
    virtual bool IsEnabled(int id) const = 0;
    virtual void Show(int id, bool show) = 0;
    virtual void SetFocus(int id) = 0;
    virtual int GetFocus() const = 0;
    // Selects the whole text of an edit (after a failed exchange).
    virtual void SelectAll(int id) {}
    // The dialog's height in dialog units (a dialog that folds part of
    // itself away); nothing where the controls have no window.
    virtual void SetDialogHeight(int units) {}

    // The user's actions (the widgets and ScriptedUi call them).
    void UserClick(int id);
    void UserSelect(int id, int index);
    void UserType(int id, const std::string& text);

protected:
    void Fire(int id, UINT code)
    {
        if (notify_)
            notify_(id, code);
    }

private:
    Notify notify_;
};

class MemoryDlgItems : public DlgItems {
public:
    MemoryDlgItems() = default;
    explicit MemoryDlgItems(const DialogTemplate& t);
    void Add(ControlKind kind, int id, const std::string& text = {});

    bool Has(int id) const override { return controls_.count(id) != 0; }
    ControlKind Kind(int id) const override;
    std::string GetText(int id) const override;
    void SetText(int id, const std::string& text) override;
    int GetCheck(int id) const override;
    void SetCheck(int id, int check) override;
    void ResetContent(int id) override;
    int AddString(int id, const std::string& text) override;
    int GetCount(int id) const override;
    std::string GetItemText(int id, int index) const override;
    int GetCurSel(int id) const override;
    void SetCurSel(int id, int index) override;
    void Enable(int id, bool enable) override;
    bool IsEnabled(int id) const override;
    void Show(int id, bool show) override;
    bool IsVisible(int id) const;
    void SetFocus(int id) override { focus_ = id; }
    int GetFocus() const override { return focus_; }
    void SelectAll(int id) override { selectedAll_ = id; }
    int SelectedAll() const { return selectedAll_; }

private:
    struct Control {
        ControlKind kind = ControlKind::Static;
        std::string text;
        int check = 0;
        std::vector<std::string> items;
        int sel = -1;
        bool enabled = true;
        bool visible = true;
    };
    Control* Find(int id);
    const Control* Find(int id) const;
    std::map<int, Control> controls_;
    int focus_ = 0;
    int selectedAll_ = 0;
};

}  // namespace platform

using platform::ControlKind;
using platform::DialogTemplate;
using platform::DlgItems;
using platform::MemoryDlgItems;

// Dialogs by control id: CDialog with DoDataExchange/UpdateData, and property
// sheets of pages. DoModal goes through the modal service (the Qt service
// shows a DialogWidget; ScriptedUi drives the logic over MemoryDlgItems).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/dlg_items.h"
#include "platform/wnd.h"

namespace platform {

class CDialog;

// Thrown by a failed exchange (after the report) to end UpdateData.
class CUserException : public std::exception {
public:
    const char* what() const noexcept override { return "data exchange failed"; }
};

class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CDialog* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
    int m_idLastControl = 0;
    bool m_bEditLastControl = false;
    void PrepareCtrl(int id);
    void PrepareEditCtrl(int id);
    // Reports nothing itself: focuses the last control, throws CUserException.
    [[noreturn]] void Fail();
    DlgItems& Items() const;
};

void DDX_Text(CDataExchange* dx, int id, std::string& value);
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, UINT& value);
// Hexadecimal with or without "0x", at most 8 digits.
void DDX_TextHex(CDataExchange* dx, int id, DWORD& value);
void DDX_Check(CDataExchange* dx, int id, int& value);
// The index of the checked radio button of the group that starts at `id`.
void DDX_Radio(CDataExchange* dx, int id, int& value);
void DDX_CBIndex(CDataExchange* dx, int id, int& index);
void DDX_LBIndex(CDataExchange* dx, int id, int& index);
void DDX_CBString(CDataExchange* dx, int id, std::string& value);
void DDV_MinMaxInt(CDataExchange* dx, int value, int min, int max);
void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT min, UINT max);
void DDV_MaxChars(CDataExchange* dx, const std::string& value, int max);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId = 0, CWnd* parent = nullptr);
    CDialog(std::shared_ptr<const DialogTemplate> t, CWnd* parent = nullptr);

    virtual INT_PTR DoModal();
    // Modeless: items from the host or memory; OnInitDialog runs.
    BOOL CreateModeless(CWnd* parent = nullptr);
    void EndDialog(int result);
    bool IsEnded() const { return ended_; }
    int Result() const { return result_; }

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* dx) {}
    // TRUE: controls -> members, with validation; FALSE: members -> controls.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    UINT TemplateId() const { return templateId_; }
    std::shared_ptr<const DialogTemplate> Template() const;
    CWnd* Owner() const { return owner_; }

    // The controls: set by whoever runs the dialog (DialogWidget, ScriptedUi).
    void AttachItems(DlgItems* items);
    DlgItems& Items();
    bool HasItems() const { return items_ != nullptr; }
    // Runs the start of the dialog's life on attached items (Create, OnInitDialog).
    BOOL StartDialog();
    // The end of a modal run: handle dropped, items detached.
    void FinishDialog();

    std::string GetDlgItemText(int id) { return Items().GetText(id); }
    void SetDlgItemText(int id, const std::string& text) { Items().SetText(id, text); }
    UINT GetDlgItemInt(int id, BOOL* ok = nullptr, BOOL isSigned = TRUE);
    void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE);
    void CheckDlgButton(int id, UINT check) { Items().SetCheck(id, static_cast<int>(check)); }
    UINT IsDlgButtonChecked(int id) { return static_cast<UINT>(Items().GetCheck(id)); }
    void CheckRadioButton(int first, int last, int check);
    void GotoDlgCtrl(int id) { Items().SetFocus(id); }

    DECLARE_DYNAMIC(CDialog)

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    UINT templateId_ = 0;
    std::shared_ptr<const DialogTemplate> template_;
    CWnd* owner_ = nullptr;
    DlgItems* items_ = nullptr;
    std::unique_ptr<MemoryDlgItems> ownItems_;
    bool ended_ = false;
    int result_ = IDCANCEL;
};

class CPropertySheet;

class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(UINT templateId, const std::string& caption = {});
    CPropertyPage(std::shared_ptr<const DialogTemplate> t, const std::string& caption);
    const std::string& Caption() const { return caption_; }
    virtual BOOL OnSetActive() { return TRUE; }
    // Default: UpdateData(TRUE).
    virtual BOOL OnKillActive();
    // Default: OnOK; TRUE accepts.
    virtual BOOL OnApply();
    virtual void OnReset() {}
    void OnOK() override {}
    void OnCancel() override { OnReset(); }
    void SetModified(BOOL changed = TRUE) { modified_ = changed != FALSE; }
    bool IsModified() const { return modified_; }
    bool IsMade() const { return made_; }
    CPropertySheet* Sheet() const { return sheet_; }

    DECLARE_DYNAMIC(CPropertyPage)

private:
    friend class CPropertySheet;
    std::string caption_;
    bool made_ = false;
    bool modified_ = false;
    CPropertySheet* sheet_ = nullptr;
};

// The sheet's Apply button.
inline constexpr int ID_APPLY_NOW = 0x3021;

class CPropertySheet : public CWnd {
public:
    explicit CPropertySheet(const std::string& caption, CWnd* parent = nullptr, UINT selectPage = 0);
    void AddPage(CPropertyPage* page);
    int GetPageCount() const { return static_cast<int>(pages_.size()); }
    CPropertyPage* GetPage(int index) const { return pages_[index]; }
    int GetActiveIndex() const { return active_; }
    CPropertyPage* GetActivePage() const { return active_ >= 0 ? pages_[active_] : nullptr; }
    const std::string& Caption() const { return caption_; }
    CWnd* Owner() const { return owner_; }

    // Items of each page come from the runner (a page is made on first show).
    using ItemsFactory = std::function<DlgItems*(CPropertyPage& page)>;
    void SetItemsFactory(ItemsFactory factory) { factory_ = std::move(factory); }

    // Shows the first page (or the selected one).
    BOOL Start();
    // The sheet's own buttons (IDOK, IDCANCEL, ID_APPLY_NOW) once it shows:
    // a sheet may hide, disable or rename them.
    virtual void OnInitSheet(DlgItems& buttons) {}
    // FALSE when the active page refused to let go.
    BOOL SetActivePage(int index);
    // OK / Apply: the active page's OnKillActive, then OnApply of every made
    // page. FALSE when a page refused.
    BOOL PressOK();
    BOOL PressApply();
    void PressCancel();
    bool IsEnded() const { return ended_; }
    int Result() const { return result_; }
    virtual INT_PTR DoModal();
    void Finish();

    DECLARE_DYNAMIC(CPropertySheet)

private:
    BOOL Apply();
    std::string caption_;
    CWnd* owner_;
    std::vector<CPropertyPage*> pages_;
    std::vector<std::unique_ptr<MemoryDlgItems>> ownItems_;
    ItemsFactory factory_;
    int active_ = -1;
    UINT select_;
    bool ended_ = false;
    int result_ = IDCANCEL;
};

}  // namespace platform

using platform::CDataExchange;
using platform::CDialog;
using platform::CPropertyPage;
using platform::CPropertySheet;
using platform::CUserException;
using platform::DDV_MaxChars;
using platform::DDV_MinMaxInt;
using platform::DDV_MinMaxUInt;
using platform::DDX_CBIndex;
using platform::DDX_CBString;
using platform::DDX_Check;
using platform::DDX_LBIndex;
using platform::DDX_Radio;
using platform::DDX_Text;
using platform::DDX_TextHex;

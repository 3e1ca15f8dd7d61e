// The find and replace dialog of the text views: one modeless dialog for the
// process, in a find form and a replace form, that tells the view which
// opened it what to do by the registered "commdlg_FindReplace" message
// (lParam: the dialog; its flags say find next, replace, replace all, or
// that it closed).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/dialog.h"

// Flags of the find/replace dialog.
inline constexpr DWORD FR_DOWN = 0x00000001;
inline constexpr DWORD FR_WHOLEWORD = 0x00000002;
inline constexpr DWORD FR_MATCHCASE = 0x00000004;
inline constexpr DWORD FR_FINDNEXT = 0x00000008;
inline constexpr DWORD FR_REPLACE = 0x00000010;
inline constexpr DWORD FR_REPLACEALL = 0x00000020;
inline constexpr DWORD FR_DIALOGTERM = 0x00000040;

// Control ids of the dialog.
inline constexpr int IDC_FIND_WHAT = 1152;
inline constexpr int IDC_REPLACE_WITH = 1153;
inline constexpr int IDC_WHOLE_WORD = 1040;
inline constexpr int IDC_MATCH_CASE = 1041;
inline constexpr int IDC_DIRECTION = 1072;
inline constexpr int IDC_UP = 1056;
inline constexpr int IDC_DOWN = 1057;
inline constexpr int IDC_REPLACE = 1024;
inline constexpr int IDC_REPLACE_ALL = 1025;

class CFindReplaceDlg : public CDialog {
public:
    // `flags`: FR_DOWN and FR_MATCHCASE as the dialog starts.
    CFindReplaceDlg(bool findOnly, std::string findText, std::string replaceText, DWORD flags, CWnd* owner);
    ~CFindReplaceDlg() override;

    static std::shared_ptr<const DialogTemplate> MakeTemplate(bool findOnly);

    bool FindOnly() const { return findOnly_; }
    CWnd* NotifyTarget() const { return owner_; }
    // The view that opened the dialog is going: nothing is sent to it any more.
    void DropOwner() { owner_ = nullptr; }
    // What the last notification carried.
    DWORD Flags() const { return flags_; }
    const std::string& GetFindString() const { return findText_; }
    const std::string& GetReplaceString() const { return replaceText_; }

    BOOL OnInitDialog() override;
    // Find Next (IDOK) notifies and keeps the dialog open.
    void OnOK() override;
    // Cancel or close: FR_DIALOGTERM to the view, then the dialog goes.
    void OnCancel() override;
    void OnClose() override { OnCancel(); }
    // Brings the open dialog to the front (the widget's runner sets it).
    std::function<void()> activate;
    // Closes the widget that shows the dialog (the widget's runner sets it).
    std::function<void()> closeWidget;

private:
    void Notify(DWORD what);
    void ReadControls();
    void EnableButtons();
    bool findOnly_;
    std::string findText_;
    std::string replaceText_;
    DWORD flags_;
    CWnd* owner_;
    bool terminated_ = false;
};

// Shows a modeless dialog on widgets: the Qt part installs one; without it
// the dialog runs on controls in memory. Returns the previous runner.
using ModelessRunner = std::function<BOOL(CFindReplaceDlg& dialog)>;
ModelessRunner SetFindDialogRunner(ModelessRunner runner);

// The open dialog of the process (null: none).
CFindReplaceDlg* OpenedFindDialog();
// Makes and shows the one dialog; the previous one must be closed.
CFindReplaceDlg* CreateFindDialog(bool findOnly, const std::string& findText, const std::string& replaceText,
                                  DWORD flags, CWnd* owner);
// Closes the open dialog (as WM_CLOSE does).
void CloseFindDialog();
// The registered "commdlg_FindReplace" message.
UINT FindReplaceMessageId();

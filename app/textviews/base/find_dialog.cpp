#include "find_dialog.h"

#include "text_view_core.h"

namespace {

std::unique_ptr<CFindReplaceDlg>& OpenDialog()
{
    static std::unique_ptr<CFindReplaceDlg> dialog;
    return dialog;
}

// The dialog closed last: its widget or its own handler may still be on the
// stack, so it goes when the next one opens or closes.
std::unique_ptr<CFindReplaceDlg>& ClosedDialog()
{
    static std::unique_ptr<CFindReplaceDlg> dialog;
    return dialog;
}

ModelessRunner& Runner()
{
    static ModelessRunner runner;
    return runner;
}

using platform::ControlTemplate;

ControlTemplate Ctl(ControlKind kind, int id, const char* text, int x, int y, int cx, int cy)
{
    return {kind, id, text, x, y, cx, cy, 0, {}};
}

}  // namespace

CFindReplaceDlg::CFindReplaceDlg(bool findOnly, std::string findText, std::string replaceText, DWORD flags, CWnd* owner)
    : CDialog(MakeTemplate(findOnly), owner), findOnly_(findOnly), findText_(std::move(findText)),
      replaceText_(std::move(replaceText)), flags_(flags & (FR_DOWN | FR_MATCHCASE | FR_WHOLEWORD)), owner_(owner)
{
    CCmdTarget::OnCommand(IDC_REPLACE, [this] { Notify(FR_REPLACE); });
    CCmdTarget::OnCommand(IDC_REPLACE_ALL, [this] { Notify(FR_REPLACEALL); });
    OnNotify(IDC_FIND_WHAT, EN_CHANGE, [this] { EnableButtons(); });
}

CFindReplaceDlg::~CFindReplaceDlg() = default;

std::shared_ptr<const DialogTemplate> CFindReplaceDlg::MakeTemplate(bool findOnly)
{
    using K = ControlKind;
    auto t = std::make_shared<DialogTemplate>();
    if (findOnly) {
        t->caption = "Find";
        t->cx = 236;
        t->cy = 62;
        t->controls = {
            Ctl(K::Static, platform::IDC_STATIC, "Fi&nd what:", 4, 8, 42, 8),
            Ctl(K::Edit, IDC_FIND_WHAT, "", 47, 7, 128, 12),
            Ctl(K::Check, IDC_WHOLE_WORD, "Match &whole word only", 4, 26, 100, 12),
            Ctl(K::Check, IDC_MATCH_CASE, "Match &case", 4, 42, 64, 12),
            Ctl(K::Group, IDC_DIRECTION, "Direction", 107, 26, 68, 28),
            Ctl(K::Radio, IDC_UP, "&Up", 111, 38, 25, 12),
            Ctl(K::Radio, IDC_DOWN, "&Down", 138, 38, 35, 12),
            Ctl(K::DefButton, IDOK, "&Find Next", 182, 5, 50, 14),
            Ctl(K::Button, IDCANCEL, "Cancel", 182, 23, 50, 14),
        };
    } else {
        t->caption = "Replace";
        t->cx = 230;
        t->cy = 94;
        t->controls = {
            Ctl(K::Static, platform::IDC_STATIC, "Fi&nd what:", 4, 9, 48, 8),
            Ctl(K::Edit, IDC_FIND_WHAT, "", 54, 7, 114, 12),
            Ctl(K::Static, platform::IDC_STATIC, "Re&place with:", 4, 26, 48, 8),
            Ctl(K::Edit, IDC_REPLACE_WITH, "", 54, 24, 114, 12),
            Ctl(K::Check, IDC_WHOLE_WORD, "Match &whole word only", 5, 46, 104, 12),
            Ctl(K::Check, IDC_MATCH_CASE, "Match &case", 5, 62, 59, 12),
            Ctl(K::DefButton, IDOK, "&Find Next", 174, 4, 50, 14),
            Ctl(K::Button, IDC_REPLACE, "&Replace", 174, 21, 50, 14),
            Ctl(K::Button, IDC_REPLACE_ALL, "Replace &All", 174, 38, 50, 14),
            Ctl(K::Button, IDCANCEL, "Cancel", 174, 55, 50, 14),
        };
    }
    return t;
}

BOOL CFindReplaceDlg::OnInitDialog()
{
    SetDlgItemText(IDC_FIND_WHAT, findText_);
    if (!findOnly_)
        SetDlgItemText(IDC_REPLACE_WITH, replaceText_);
    CheckDlgButton(IDC_WHOLE_WORD, (flags_ & FR_WHOLEWORD) ? 1 : 0);
    CheckDlgButton(IDC_MATCH_CASE, (flags_ & FR_MATCHCASE) ? 1 : 0);
    if (findOnly_)
        CheckRadioButton(IDC_UP, IDC_DOWN, (flags_ & FR_DOWN) ? IDC_DOWN : IDC_UP);
    EnableButtons();
    GotoDlgCtrl(IDC_FIND_WHAT);
    Items().SelectAll(IDC_FIND_WHAT);
    return FALSE;
}

void CFindReplaceDlg::EnableButtons()
{
    if (!HasItems())
        return;
    const bool any = !GetDlgItemText(IDC_FIND_WHAT).empty();
    for (int id : {static_cast<int>(IDOK), IDC_REPLACE, IDC_REPLACE_ALL})
        if (Items().Has(id))
            Items().Enable(id, any);
}

void CFindReplaceDlg::ReadControls()
{
    findText_ = GetDlgItemText(IDC_FIND_WHAT);
    if (!findOnly_)
        replaceText_ = GetDlgItemText(IDC_REPLACE_WITH);
    flags_ = 0;
    if (IsDlgButtonChecked(IDC_WHOLE_WORD))
        flags_ |= FR_WHOLEWORD;
    if (IsDlgButtonChecked(IDC_MATCH_CASE))
        flags_ |= FR_MATCHCASE;
    // The replace form searches down.
    if (!findOnly_ || IsDlgButtonChecked(IDC_DOWN))
        flags_ |= FR_DOWN;
}

void CFindReplaceDlg::Notify(DWORD what)
{
    if (terminated_)
        return;
    ReadControls();
    if (findText_.empty() && what != FR_DIALOGTERM)
        return;
    flags_ |= what;
    if (owner_ && owner_->GetSafeHwnd())
        owner_->SendMessage(FindReplaceMessageId(), 0, reinterpret_cast<LPARAM>(this));
}

void CFindReplaceDlg::OnOK()
{
    Notify(FR_FINDNEXT);
}

void CFindReplaceDlg::OnCancel()
{
    if (terminated_)
        return;
    Notify(FR_DIALOGTERM);
    terminated_ = true;
    EndDialog(IDCANCEL);
    if (closeWidget)
        closeWidget();
    if (GetSafeHwnd())
        DestroyWindow();
    if (OpenDialog().get() == this) {
        ClosedDialog() = std::move(OpenDialog());
        textcore::SearchState().dialog = nullptr;
    }
}

UINT FindReplaceMessageId()
{
    static const UINT id = RegisterWindowMessage("commdlg_FindReplace");
    return id;
}

ModelessRunner SetFindDialogRunner(ModelessRunner runner)
{
    ModelessRunner previous = std::move(Runner());
    Runner() = std::move(runner);
    return previous;
}

CFindReplaceDlg* OpenedFindDialog()
{
    return OpenDialog().get();
}

CFindReplaceDlg* CreateFindDialog(bool findOnly, const std::string& findText, const std::string& replaceText,
                                  DWORD flags, CWnd* owner)
{
    if (OpenDialog())
        CloseFindDialog();
    auto dialog = std::make_unique<CFindReplaceDlg>(findOnly, findText, replaceText, flags, owner);
    const BOOL shown = Runner() ? Runner()(*dialog) : dialog->CreateModeless(owner);
    if (!shown)
        return nullptr;
    OpenDialog() = std::move(dialog);
    return OpenDialog().get();
}

void CloseFindDialog()
{
    if (CFindReplaceDlg* dialog = OpenDialog().get())
        dialog->OnCancel();
}

#include "shell/macro_dialog.h"

#include "morwen/morwen.h"
#include "platform/file.h"
#include "platform/resources.h"
#include "platform/win_app.h"
#include "shell/hint_box_dlg.h"
#include "shell/macro_files.h"

namespace shell {

namespace {

using platform::ControlKind;
using platform::ControlTemplate;
using platform::DialogTemplate;
using platform::IDC_STATIC;

ControlTemplate Control(ControlKind kind, int id, const char* text, int x, int y, int cx, int cy, DWORD style = 0)
{
    return {kind, id, text, x, y, cx, cy, style, {}};
}

std::string Trimmed(const std::string& s)
{
    const size_t first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

void RegisterMacroDialogs()
{
    static const bool done = [] {
        using platform::resources::AddDialog;
        auto macro = std::make_shared<DialogTemplate>();
        macro->caption = "Macro";
        macro->cx = 236;
        macro->cy = 76;
        macro->controls = {
            Control(ControlKind::Static, IDC_STATIC, "Macro File:", 7, 9, 52, 8),
            Control(ControlKind::DropList, IDC_MACRO_FILE, "", 62, 7, 110, 80),
            Control(ControlKind::Static, IDC_STATIC, "M&acro Name:", 7, 29, 52, 8),
            Control(ControlKind::Combo, IDC_MACRO_NAME, "", 62, 27, 110, 80),
            Control(ControlKind::DefButton, IDC_MACRO_RUN, "&Run", 179, 7, 50, 14),
            Control(ControlKind::Button, IDC_MACRO_EDIT, "&Edit", 179, 25, 50, 14),
            Control(ControlKind::Button, IDC_MACRO_RELOAD, "Re&load", 179, 43, 50, 14),
            Control(ControlKind::Button, IDC_MACRO_CLOSE, "&Close", 62, 55, 50, 14),
        };
        AddDialog(IDD_MACRO, macro);

        auto hint = std::make_shared<DialogTemplate>();
        hint->caption = "Hint";
        hint->cx = 168;
        hint->cy = 64;
        hint->controls = {Control(ControlKind::Static, IDC_HINT_TEXT, "", 9, 9, 151, 48, platform::SS_CENTER)};
        AddDialog(IDD_HINT_BOX, hint);
        return true;
    }();
    (void)done;
}

CMacroDialog::CMacroDialog(std::vector<std::string> files, CWnd* parent)
    : CDialog((RegisterMacroDialogs(), IDD_MACRO), parent), files_(std::move(files))
{
    OnNotify(IDC_MACRO_FILE, CBN_SELCHANGE, [this] { FillProcedures(); });
    OnNotify(IDC_MACRO_RUN, BN_CLICKED, [this] { OnRun(); });
    OnNotify(IDC_MACRO_EDIT, BN_CLICKED, [this] { OnEdit(); });
    OnNotify(IDC_MACRO_CLOSE, BN_CLICKED, [this] { EndDialog(IDOK); });
    OnNotify(IDC_MACRO_RELOAD, BN_CLICKED, [] {});
}

BOOL CMacroDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (const std::string& file : files_)
        Items().AddString(IDC_MACRO_FILE, MacroFileTitle(file));
    Items().SetCurSel(IDC_MACRO_FILE, 0);
    FillProcedures();
    return TRUE;
}

void CMacroDialog::FillProcedures()
{
    const int index = Items().GetCurSel(IDC_MACRO_FILE);
    if (index < 0 || static_cast<size_t>(index) >= files_.size())
        return;
    std::vector<std::string> names;
    try {
        CMacroFileReader reader(files_[static_cast<size_t>(index)]);
        names = MacroProcedures(reader);
    } catch (const platform::CFileException&) {
        ReportError(ERR_MACRO_FILE_READ, ERR_CAPTION, MB_ICONERROR);
    }
    Items().ResetContent(IDC_MACRO_NAME);
    for (const std::string& name : names)
        Items().AddString(IDC_MACRO_NAME, name);
}

void CMacroDialog::OnRun()
{
    const std::string name = Trimmed(GetDlgItemText(IDC_MACRO_NAME));
    if (name.empty()) {
        ReportError(ERR_MACRO_NO_NAME, ERR_CAPTION, 0);
        return;
    }
    if (m_runMacro)
        m_runMacro(name);
}

void CMacroDialog::OnEdit()
{
    const int index = Items().GetCurSel(IDC_MACRO_FILE);
    if (index < 0 || static_cast<size_t>(index) >= files_.size())
        return;
    m_editedFile = files_[static_cast<size_t>(index)];
    if (CWinApp* app = AfxGetApp())
        app->OpenDocumentFile(m_editedFile.c_str());
    EndDialog(IDOK);
}

}  // namespace shell

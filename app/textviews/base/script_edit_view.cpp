#include "script_edit_view.h"

#include <platform/clipboard.h>

#include <algorithm>

#include "text_columns.h"

IMPLEMENT_DYNCREATE(CScriptEditView, CBaseView)

CScriptEditView::CScriptEditView()
{
    if (Buffer().LineCount() == 0)
        Buffer().AppendLine("");
    colourMode = TCM_MACRO;

    OnCommand(ID_EDIT_CUT, [this] { OnEditCut(); });
    OnUpdateCommandUI(ID_EDIT_CUT, [this](CCmdUI* ui) { ui->Enable(HasSelection()); });
    OnCommand(ID_EDIT_PASTE, [this] { OnEditPaste(); });
    OnUpdateCommandUI(ID_EDIT_PASTE, [](CCmdUI* ui) { ui->Enable(platform::GetClipboard().HasText()); });
    OnCommand(ID_EDIT_REPLACE, [this] { OpenFindDialog(false); });
    OnUpdateCommandUI(ID_EDIT_REPLACE, [this](CCmdUI* ui) { ui->Enable(!IsTextEmpty()); });
}

std::vector<std::string> CScriptEditView::GetLines() const
{
    std::vector<std::string> lines;
    for (int i = 0; i < LineCount(); ++i)
        lines.emplace_back(LineText(i));
    return lines;
}

void CScriptEditView::SetLines(const std::vector<std::string>& lines)
{
    Buffer().SetLines(lines.empty() ? std::vector<std::string>{""} : lines);
    ClampToText();
    UpdateScrollInfo(0, 0);
    UpdateCaretPos();
    Invalidate();
}

void CScriptEditView::OnKeyDown(UINT vk, UINT repeat, UINT flags)
{
    CBaseView::OnKeyDown(vk, repeat, flags);
    DeleteForKey(vk, repeat);
}

void CScriptEditView::OnChar(UINT ch, UINT repeat, UINT flags)
{
    TypeCharacter(ch, repeat);
}

void CScriptEditView::OnEditCut()
{
    CutSelection();
}

void CScriptEditView::OnEditPaste()
{
    PasteClipboard();
}

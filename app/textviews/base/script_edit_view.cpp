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
    if (ch < 32 && ch != '\t' && ch != '\r')
        return;
    // The character as many times as the key repeated: each one a typed
    // character of its own, whatever the count.
    const std::string text(1, static_cast<char>(ch));
    const int count = std::max<int>(static_cast<int>(repeat), 1);
    for (int i = 0; i < count; ++i)
        if (!InsertText(text, static_cast<int>(ch)))
            break;
}

void CScriptEditView::OnEditCut()
{
    if (!HasSelection())
        return;
    OnEditCopy();
    DeleteSelection(true);
}

void CScriptEditView::OnEditPaste()
{
    const std::string text = platform::GetClipboard().GetText();
    if (text.empty())
        return;
    InsertText(text, 0);
}

// Find and replace of the text views: the one dialog and its notifications.
#include "base_view.h"
#include "find_dialog.h"

UINT CBaseView::FindReplaceMessage()
{
    return FindReplaceMessageId();
}

void CBaseView::OpenFindDialog(bool findOnly)
{
    textcore::TextViewSearchState& state = textcore::SearchState();
    if (CFindReplaceDlg* open = OpenedFindDialog()) {
        if (open->FindOnly() == findOnly) {
            if (open->activate)
                open->activate();
            return;
        }
        CloseFindDialog();
    }
    std::string text = GetSelectedOrWordText();
    if (text.empty())
        text = state.findText;
    // Whole word is not passed on: the dialog starts without it.
    DWORD flags = (state.searchDown ? FR_DOWN : 0) | (state.matchCase ? FR_MATCHCASE : 0);
    CFindReplaceDlg* dialog = CreateFindDialog(findOnly, text, state.replaceText, flags, this);
    state.dialog = dialog;
    state.findOnly = findOnly;
}

LRESULT CBaseView::OnFindReplace(WPARAM, LPARAM lParam)
{
    auto* dialog = reinterpret_cast<CFindReplaceDlg*>(lParam);
    if (!dialog)
        return 0;
    const DWORD flags = dialog->Flags();
    if (flags & FR_DIALOGTERM) {
        textcore::SearchState().dialog = nullptr;
        return 0;
    }
    const bool down = (flags & FR_DOWN) != 0;
    const bool matchCase = (flags & FR_MATCHCASE) != 0;
    const bool wholeWord = (flags & FR_WHOLEWORD) != 0;
    if (flags & FR_FINDNEXT)
        FindNext(dialog->GetFindString(), down, matchCase, wholeWord);
    else if (flags & FR_REPLACE)
        ReplaceNext(dialog->GetFindString(), down, matchCase, wholeWord, dialog->GetReplaceString());
    else if (flags & FR_REPLACEALL)
        ReplaceAll(dialog->GetFindString(), dialog->GetReplaceString(), matchCase, wholeWord);
    return 0;
}

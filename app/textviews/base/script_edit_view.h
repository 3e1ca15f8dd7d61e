// CScriptEditView: the plain editor of script (macro) text, the code pane of
// the form designer. The common text view on a text of its own (one empty
// line when made), coloured as macro script, with typing, cut, paste and
// replace. It is the only view of its text: no update hints go out.
#pragma once

#include <string>
#include <vector>

#include "base_view.h"

class CScriptEditView : public CBaseView {
public:
    CScriptEditView();

    // The text as the form designer reads and writes it (lines without
    // their line breaks).
    std::vector<std::string> GetLines() const;
    void SetLines(const std::vector<std::string>& lines);

    // The only view of its text: no hints go out.
    void UpdateViewsOfDocument(int hint) override {}

    DECLARE_DYNCREATE(CScriptEditView)

protected:
    void OnKeyDown(UINT vk, UINT repeat, UINT flags) override;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;

private:
    void OnEditCut();
    void OnEditPaste();
};

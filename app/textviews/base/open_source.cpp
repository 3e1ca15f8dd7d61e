// OpenSourceAtLine: the debug windows' Inspect Source and View Source, and
// the editor's Inspect Source of a function, open a file at a line here.
#include "base_view.h"
#include "platform/win_app.h"

bool OpenSourceAtLine(int line, const std::string& path)
{
    CWinApp* app = AfxGetApp();
    if (!app || path.empty())
        return false;
    CDocument* doc = app->OpenDocumentFile(path.c_str());
    if (!doc)
        return false;
    if (doc->Views().empty())
        return true;
    CView* view = doc->Views().front();
    const int top = line > 0 ? line - 1 : 0;
    if (auto* text = dynamic_cast<CBaseView*>(view)) {
        // WM_VSCROLL carries 16 bits of position: a text view takes the
        // line whole, reading a partly loaded file up to it first.
        if (text->IsPartlyLoaded() && top >= text->LineCount())
            text->ReadMoreLines(true);
        text->TextViewCore::OnVScroll(textcore::SB_THUMBPOSITION, top);
    } else {
        view->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(top)), 0);
    }
    view->SendMessage(WM_HSCROLL, MAKEWPARAM(SB_LEFT, 0), 0);
    return true;
}

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
    if (!doc || doc->Views().empty())
        return doc != nullptr;
    CView* view = doc->Views().front();
    // The line at the top of the first view, at the left edge.
    const int top = line > 0 ? line - 1 : 0;
    view->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(top)), 0);
    view->SendMessage(WM_HSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
    return true;
}

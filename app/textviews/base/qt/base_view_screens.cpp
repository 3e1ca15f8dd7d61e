// The text views' windows for tools/screens: the script editor with a macro,
// the find and the replace dialog, and a page of a printed text in the print
// preview.
#include <QPrintPreviewWidget>
#include <QPrinter>

#include <memory>
#include <vector>

#include "base_view_widget.h"
#include "find_dialog.h"
#include "platform/qt/dialog_widget.h"
#include "platform/qt/screens.h"
#include "popup_tip_widget.h"
#include "script_edit_view.h"
#include "shell/settings.h"

namespace textbase::qt {
namespace {

using platform::qt::ScreenRegistrar;

const std::vector<std::string> kMacro = {
    "' Steps the target until the counter reaches its limit",
    "Sub StepToLimit(limit)",
    "    Dim count",
    "    count = 0",
    "    Do While count < limit",
    "        Debugger.Step",
    "        count = count + 1",
    "    Loop",
    "    MsgBox \"Stopped after \" & count & \" steps\"",
    "End Sub",
    "",
    "StepToLimit 10",
};

// Views of the screens live as long as the tool runs; they are never
// destroyed (a window destroyed at exit would outlive the thread's queue).
template <class View>
View* KeepView()
{
    return new View;
}

void PrepareColours()
{
    if (theSettings.FormatColors[0].back == 0 && theSettings.FormatColors[0].fore == 0)
        theSettings.SetDefaultColors();
}

ScreenRegistrar scriptEditor("textviews_script_editor", []() -> QWidget* {
    PrepareColours();
    auto* view = KeepView<CScriptEditView>();
    if (!view->Create(nullptr))
        return nullptr;
    view->SetLines(kMacro);
    auto* widget = new BaseViewWidget(view);
    widget->resize(560, 260);
    view->OnInitialUpdate();
    view->SendMessage(WM_SIZE, 0, MAKELPARAM(widget->viewport()->width(), widget->viewport()->height()));
    view->SetSelection(4, 4, 6, 13, true);
    return widget;
});

QWidget* FindScreen(bool findOnly)
{
    // Kept to the end of the tool, like the views.
    auto* dialog = new CFindReplaceDlg(findOnly, "count", "total", FR_DOWN, nullptr);
    auto* widget = new platform::qt::DialogWidget(*dialog->Template());
    widget->Attach(*dialog);
    return widget;
}

ScreenRegistrar find("textviews_find", [] { return FindScreen(true); });
ScreenRegistrar replace("textviews_replace", [] { return FindScreen(false); });

ScreenRegistrar preview("textviews_print_preview", []() -> QWidget* {
    PrepareColours();
    auto* view = KeepView<CScriptEditView>();
    if (!view->Create(nullptr))
        return nullptr;
    std::vector<std::string> lines;
    for (int i = 0; i < 6; ++i)
        lines.insert(lines.end(), kMacro.begin(), kMacro.end());
    view->SetLines(lines);
    auto* widget = new BaseViewWidget(view);
    widget->resize(560, 300);
    view->OnInitialUpdate();
    view->SetSelection(1, 4, 1, 16, true);
    auto* printer = new QPrinter(QPrinter::HighResolution);
    printer->setResolution(150);
    auto* page = new QPrintPreviewWidget(printer);
    QObject::connect(page, &QPrintPreviewWidget::paintRequested,
                     [view](QPrinter* p) { platform::qt::PrintView(*view, *p); });
    page->resize(620, 800);
    page->setZoomMode(QPrintPreviewWidget::FitInView);
    widget->setParent(page);
    widget->hide();
    return page;
});

// The view's tip window over its text, as a data tip shows a value under the
// pointer resting on "count", and the two-line note of a tip near the
// window's right edge (moved left to stay inside).
ScreenRegistrar tipWindow("textviews_tip_window", []() -> QWidget* {
    PrepareColours();
    auto* window = new QWidget;
    window->resize(560, 260);
    auto* view = KeepView<CScriptEditView>();
    if (!view->Create(nullptr))
        return nullptr;
    view->SetLines(kMacro);
    auto* widget = new BaseViewWidget(view, window);
    widget->setGeometry(0, 0, 560, 260);
    view->OnInitialUpdate();
    view->SendMessage(WM_SIZE, 0, MAKELPARAM(widget->viewport()->width(), widget->viewport()->height()));
    CPopupTipWnd* tip = view->TipWindow();
    if (!tip)
        return nullptr;
    // The pointer rests on "count" of line 7.
    const int cellWidth = widget->CellSize().cx, lineHeight = widget->CellSize().cy;
    QPoint pointer = widget->viewport()->mapToGlobal(QPoint(view->leftMargin + 9 * cellWidth, 6 * lineHeight + 8));
    tip->ShowTipAt({pointer.x(), pointer.y()}, "count=7");
    auto* tipWidget = dynamic_cast<PopupTipWidget*>(tip->GetHost());
    if (!tipWidget)
        return nullptr;
    tipWidget->EmbedIn(window);

    // A second tip of the same view class: a note near the right edge.
    auto* note = new CPopupTipWnd;
    if (!note->CreateTip(view))
        return nullptr;
    pointer = widget->viewport()->mapToGlobal(QPoint(540, 2 * lineHeight));
    note->ShowTipAt({pointer.x(), pointer.y()}, "Function Name:\n       StepToLimit");
    if (auto* noteWidget = dynamic_cast<PopupTipWidget*>(note->GetHost()))
        noteWidget->EmbedIn(window);
    return window;
});

}  // namespace
}  // namespace textbase::qt

// The main frame for tools/screens: its menu bar, the Edit toolbar with the
// find box holding a text, and the status bar; without a build-tool library
// the message pane names the missing one.
#include "mainframe/qt/frame_window.h"
#include <QApplication>

#include "platform/qt/screens.h"
#include "platform/resources.h"
#include "shell/debugger_app.h"
#include "shell/shell_ids.h"

namespace mainframe::qt {
namespace {

platform::qt::ScreenRegistrar frame("mainframe", []() -> QWidget* {
    static shell::CDebuggerApp* app = nullptr;
    if (!app)
        app = new shell::CDebuggerApp;  // the frame's settings and modules live as long as the process
    CWnd* wnd = MakeMainFrameWindow(*app);
    auto* frame = dynamic_cast<CMainFrame*>(wnd);
    if (!frame)
        return nullptr;
    if (frame->StartMessage().empty())
        frame->SetMessageText(platform::resources::LoadString(shell::IDS_IDLE_MESSAGE));
    frame->EditToolBar().AddFindText("main");
    if (auto* combo = frame->EditToolBar().GetComboButton(ID_FIND_BOX))
        combo->SelectItem(0);
    frame->EditToolBar().ButtonsChanged();
    QWidget* window = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "mainframe" && !w->property("screened").toBool())
            window = w;
    if (!window)
        return nullptr;
    window->setProperty("screened", true);
    window->resize(900, 560);
    return window;
});

}  // namespace
}  // namespace mainframe::qt

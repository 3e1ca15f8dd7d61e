#include "mainframe/qt/frame_window.h"

#include "lathris/qt/widgets.h"
#include "shell/shell_ids.h"

namespace mainframe::qt {

CWnd* MakeMainFrameWindow(shell::CDebuggerApp&)
{
    auto* frame = new CMainFrame;
    if (!frame->LoadFrame(shell::IDR_MAINFRAME)) {
        delete frame;
        return nullptr;
    }
    auto* window = new lathris::qt::LathrisFrameWidget(frame);
    window->setObjectName("mainframe");
    window->setWindowTitle(QString::fromStdString(frame->GetTitle()));
    return frame;
}

}  // namespace mainframe::qt

#include "mainframe/qt/frame_window.h"

#include <QLabel>
#include <QStatusBar>

#include "emu_messages.h"
#include "lathris/qt/widgets.h"
#include "mainframe/qt/frame_input_relay.h"
#include "quentor.h"
#include "sarvik.h"
#include "shell/qt/status_bar_widget.h"
#include "shell/shell_ids.h"
#include "tarnel.h"

namespace mainframe::qt {

CWnd* MakeMainFrameWindow(shell::CDebuggerApp&)
{
    auto* frame = new CMainFrame;
    // A frame whose creation fails destroys itself (frames delete
    // themselves once their window is gone).
    if (!frame->LoadFrame(shell::IDR_MAINFRAME))
        return nullptr;
    auto* window = new lathris::qt::LathrisFrameWidget(frame);
    window->setObjectName("mainframe");
    window->setWindowTitle(QString::fromStdString(frame->GetTitle()));
    // Mouse input passes the frame's PreTranslateMessage before its widget.
    new FrameInputRelay(window);
    // The bars' labels are texts: Standard and Build share the first row,
    // Edit (with its find box) and Debug get rows of their own.
    for (UINT id : {frame->EditToolBar().GetDlgCtrlID(), ID_DEBUG_BAR})
        if (QToolBar* bar = window->ToolBarOf(id))
            window->insertToolBarBreak(bar);
    // The status bar is the shell's tinted widget (its panes, text pieces,
    // progress control and the PC pane's double click) filling the window's
    // status line.
    // The generic one made with the window goes (Qt deletes it later; its
    // pane labels go now).
    QStatusBar* generic = window->statusBar();
    auto* line = new QStatusBar;
    line->setSizeGripEnabled(false);
    auto* bar = new shell::qt::StatusBarWidget(&frame->StatusBar(), line);
    bar->setObjectName(QString("bar_%1").arg(frame->StatusBar().GetDlgCtrlID()));
    line->addWidget(bar, 1);
    window->setStatusBar(line);
    qDeleteAll(generic->findChildren<QLabel*>());
    return frame;
}

bool LoadImageAtStart(CMainFrame& frame, const std::string& path)
{
    if (!frame.m_bConnected)
        return false;
    if (LdrLoadWin(path.c_str(), 1, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_FLAG_SEGMENTS, nullptr) != LDR_OK)
        return false;
    ADDR start{0, ADDR_SPACE_TARGET};
    if (LdrGetStartPC(&start) != LDR_OK)
        start = ADDR{0, ADDR_SPACE_TARGET};
    if (EmuResetTarget(start) != EMU_OK)
        return false;
    frame.SendMessage(WM_EMU_REFRESH);
    return true;
}

}  // namespace mainframe::qt

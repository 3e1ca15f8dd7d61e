// The main frame's command route, its own commands (bar toggles, the
// connect command's text, the next child window), the status-bar
// indicators, the one-second run-state timer and the run state the idle
// update shows.
#include <string>

#include "falcrest.h"
#include "mainframe/frame_views.h"
#include "mainframe/main_frame.h"
#include "sarvik/frame_stop.h"
#include "shell/debugger_app.h"
#include "shell/modules.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"
#include "vexlor/vexlor.h"

namespace mainframe {

namespace {

constexpr int CN_EVENT = -2;
constexpr UINT ID_NEXT_CHILD = 32863;  // Ctrl+Tab
constexpr UINT ID_ACCESS_WORD = 32950;
constexpr UINT ID_ACCESS_BYTE = 32949;
constexpr UINT ID_ACCESS_HALF = 32948;
constexpr UINT ID_CLOSE_ALL = 32911;
constexpr UINT ID_WINDOW_LIST_ITEM = 32908;
constexpr UINT ID_USER_BAR_FIRST = 59400;
constexpr UINT ID_USER_BAR_LAST = 59409;

// The run-state pane's text for the low seven bits of the status word; null
// leaves the pane as it is.
const char* RunStateText(DWORD state)
{
    switch (state & 0x7F) {
    case 0:
    case 2: return "Halt";
    case 1:
    case 3:
    case 5:
    case 7: return "Running";
    case 17: return "Sleeping";
    case 33: return "PowerDown";
    case 65: return "Idle";
    default: return nullptr;
    }
}

// The target's run state word with a stop that still waits for its
// handling counted as a run.
DWORD RunStateWithPendingStop(DWORD state)
{
    return (state & 1) == 0 && sarvik::StopAwaitsHandling() ? state | 1 : state;
}

}  // namespace

void CMainFrame::ToggleBar(CControlBar& bar)
{
    ShowControlBar(&bar, bar.IsVisible() ? FALSE : TRUE, FALSE);
}

void CMainFrame::MapCommands()
{
    struct Toggle {
        UINT id;
        CControlBar* bar;
    };
    const Toggle toggles[] = {
        {ID_OUTPUT_BAR, &outputBar_},
        {ID_WORKSPACE_BAR, &workspaceBar_},
        {shell::ID_VIEW_PROJECT_WINDOW, &workspaceBar_},
        {shell::ID_VIEW_OUTPUT_WINDOW, &outputBar_},
        {shell::ID_VIEW_EDIT_TOOLBAR, &editBar_},
    };
    for (const Toggle& t : toggles) {
        CControlBar* bar = t.bar;
        OnCommand(t.id, [this, bar] { ToggleBar(*bar); });
        OnUpdate(t.id, [bar](CCmdUI* ui) { ui->SetCheck(bar->IsVisible() ? 1 : 0); });
    }
    OnCommand(shell::ID_VIEW_DEBUG_TOOLBAR, [this] { ToggleBar(debugBar_); });
    OnUpdate(shell::ID_VIEW_DEBUG_TOOLBAR, [this](CCmdUI* ui) {
        ui->Enable(m_bConnected);
        ui->SetCheck(m_bConnected && debugBar_.IsVisible() ? 1 : 0);
    });

    OnCommand(ID_INVALID_ADDRESS, [] {});
    OnUpdate(ID_INVALID_ADDRESS, [](CCmdUI*) {});

    OnCommand(shell::ID_DEBUG_CONNECT, [this] { OnDebugConnect(); });
    OnUpdate(shell::ID_DEBUG_CONNECT, [this](CCmdUI* ui) { ui->SetText(m_bConnected ? "Re&load" : "Init Debugger"); });

    // The items the optional libraries added: their window entry points
    // with this frame's window.
    OnCommand(shell::ID_EDIT_COMPARE, [this] {
        if (shell::WindowEntryProc sorvelMain = shell::Modules().SorvelMain())
            sorvelMain(m_hWnd);
    });
    OnUpdate(shell::ID_EDIT_COMPARE, [](CCmdUI* ui) { ui->Enable(TRUE); });
    OnCommand(shell::ID_TOOLS_ACTION_RECORD, [this] {
        if (shell::WindowEntryProc hookOpen = shell::Modules().HookOpen())
            hookOpen(m_hWnd);
    });

    // Help > About: the application's about box, told whether this frame
    // has a connected target.
    OnCommand(ID_APP_ABOUT, [this] {
        if (auto* app = dynamic_cast<shell::CDebuggerApp*>(AfxGetApp()))
            app->OnAppAbout(m_bConnected);
    });

    // "&Build Tools": a row's library becomes the tool chain; the item of
    // the tool chain's row is checked.
    const UINT lastBuildTool = shell::ID_BUILD_TOOL_FIRST + 4;
    OnCommandRange(shell::ID_BUILD_TOOL_FIRST, lastBuildTool, [](UINT id) {
        shell::ChooseBuildTool(id - shell::ID_BUILD_TOOL_FIRST, theSettings.ToolChain, shell::Modules().buildTool);
    });
    OnUpdateRange(shell::ID_BUILD_TOOL_FIRST, lastBuildTool, [](CCmdUI* ui) {
        ui->SetCheck(shell::IsChosenBuildTool(ui->m_nID - shell::ID_BUILD_TOOL_FIRST, theSettings.ToolChain) ? 1 : 0);
    });

    OnCommand(ID_NEXT_CHILD, [this] { MDINext(); });
    OnCommand(ID_CLOSE_ALL, [this] { CloseAllChildren(); });
    OnUpdate(ID_CLOSE_ALL, [this](CCmdUI* ui) { ui->Enable(GetActiveFrame() != nullptr); });
    OnUpdate(ID_WINDOW_LIST_ITEM, [](CCmdUI*) {});

    // The user-defined toolbars: shown or hidden when they exist.
    OnCommandRange(ID_USER_BAR_FIRST, ID_USER_BAR_LAST, [this](UINT id) {
        if (CBCGToolBar* bar = m_Impl.GetUserBarByIndex(static_cast<int>(id - ID_USER_BAR_FIRST)))
            ToggleBar(*bar);
    });
    OnUpdateRange(ID_USER_BAR_FIRST, ID_USER_BAR_LAST, [this](CCmdUI* ui) {
        CBCGToolBar* bar = m_Impl.GetUserBarByIndex(static_cast<int>(ui->m_nID - ID_USER_BAR_FIRST));
        ui->Enable(bar != nullptr);
        ui->SetCheck(bar && bar->IsVisible() ? 1 : 0);
    });
    // A reset of the Edit toolbar brings its find box back.
    OnMessage(lathris::BCGM_RESETTOOLBAR(), [this](WPARAM bar, LPARAM) -> LRESULT {
        if (bar == IDR_EDIT_TOOLBAR || bar == editBar_.GetDlgCtrlID())
            editBar_.Reset();
        return 0;
    });
    OnMessage(lathris::BCGM_CUSTOMIZEHELP(), [](WPARAM page, LPARAM) -> LRESULT {
        AfxMessageBox(("Help about page number " + std::to_string(page)).c_str());
        return 0;
    });

    // The memory access size: set only when the target takes it.
    struct Size {
        UINT id;
        int16_t bytes;
    };
    for (Size s : {Size{ID_ACCESS_BYTE, 1}, Size{ID_ACCESS_HALF, 2}, Size{ID_ACCESS_WORD, 4}}) {
        OnCommand(s.id, [s] {
            if (emuSetAccessSize(s.bytes) == 0)
                Globals().accessSize = s.bytes;
        });
        OnUpdate(s.id, [s](CCmdUI* ui) {
            emuGetAccessSize(&Globals().accessSize);
            ui->SetCheck(Globals().accessSize == s.bytes ? 1 : 0);
        });
    }
    UpdateIndicators();
}

void CMainFrame::UpdateIndicators()
{
    // The PC pane: the kept program counter while the target is stopped;
    // enabled only while it runs (the last text stays); untouched before
    // the connection.
    OnUpdate(shell::ID_INDICATOR_PC, [this](CCmdUI* ui) {
        if (!m_bConnected)
            return;
        ui->Enable(TRUE);
        if ((RunStateShown() & 1) == 0)
            ui->SetText(shell::PcPaneText(Globals().keptPc).c_str());
    });
    // The line pane (the editor gives the caret's line once it exists).
    OnUpdate(shell::ID_INDICATOR_LINE, [](CCmdUI* ui) { ui->Enable(TRUE); });
    OnUpdate(shell::ID_INDICATOR_TRACE, [](CCmdUI*) {});
    OnUpdate(shell::ID_INDICATOR_BLANK, [](CCmdUI* ui) { ui->Enable(TRUE); });
}

void CMainFrame::CloseAllChildren()
{
    // Each child is asked once: one whose closing the user refuses stays
    // and ends the command (asking it again would never end).
    while (CMDIChildWnd* child = MDIGetActive()) {
        if (child->SendMessage(WM_CLOSE) != 0 || MDIGetActive() == child)
            break;
    }
}

BOOL CMainFrame::OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info)
{
    if (code == CN_EVENT)
        return FALSE;
    // While an image or memory transfer loads, every item is disabled and
    // nothing runs.
    if (Globals().busyTransfer)
        return FALSE;
    if (FilterCommandWhileInputWaits(id, code, extra, info))
        return TRUE;
    if (m_bConnected && core_ && core_->OnCmdMsg(id, code, extra, info))
        return TRUE;
    return CCJMDIFrameWnd::OnCmdMsg(id, code, extra, info);
}

void CMainFrame::OnIdleUpdateCmdUI()
{
    // Read once, before any button asks: a run that stops during the update
    // is still a run to every button (its stop is handled after the update
    // at the earliest), as is a stop whose announcement waits in the queue.
    const std::optional<DWORD> outer = idleRunState_;
    idleRunState_ = RunStateWithPendingStop(CpuGetCpuStatus1());
    CCJMDIFrameWnd::OnIdleUpdateCmdUI();
    idleRunState_ = outer;
}

DWORD CMainFrame::RunStateShown() const
{
    return idleRunState_ ? *idleRunState_ : CpuGetCpuStatus1();
}

BOOL CMainFrame::PreTranslateMessage(MSG* msg)
{
    // The symbol tree's and the editor's tool tips see the message first.
    if (auto* symbols = dynamic_cast<HoverRelay*>(workspaceBar_.GetView(2)))
        symbols->RelayEvent(*msg);
    if (CMDIChildWnd* child = MDIGetActive())
        if (auto* editor = dynamic_cast<HoverRelay*>(child->GetActiveView()))
            editor->RelayEvent(*msg);
    // The text views' data tips.
    RelayDataTipEvent(*msg);
    return CCJMDIFrameWnd::PreTranslateMessage(msg);
}

void CMainFrame::OnTimer(UINT_PTR id)
{
    // Swallowed while the flash programmer has the target.
    if (!m_bPoll)
        return;
    if (id == m_timerId && m_timerId != 0 && m_bConnected) {
        const DWORD status = RunStateWithPendingStop(CpuGetCpuStatus(0, 1));
        Globals().runStateHigh = status & 0x80;
        if (const char* text = RunStateText(status))
            statusBar_.SetPaneText(shell::kRunStatePane, text);
    }
    CCJMDIFrameWnd::OnTimer(id);
}

}  // namespace mainframe

// CDebugCore: construction, the message map, the run commands and their
// enabling.
#include "appdebug/debug_core.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "appdebug/program_load.h"
#include "appdebug/symbol_records.h"
#include "emu_messages.h"
#include "lookups/sym_lookups.h"
#include "morwen/morwen.h"
#include "platform/messages.h"
#include "platform/modal_ui.h"
#include "platform/win32.h"
#include "platform/win_app.h"
#include "sarvik.h"
#include "shell/settings.h"
#include "shell/small_dialogs.h"

namespace appdebug {

int g_stepSourceLevel = 1;
int g_lastAutomationResult = 0;
DWORD g_lastPc = 0;
DebugWindowPlacement g_windowPlacements[kPlacementCount];

namespace {

CDebugCore* g_currentCore = nullptr;
constexpr EmuResult kTargetLost = -27;

}  // namespace

IMPLEMENT_DYNAMIC(CDebugCore, CCmdTargetPlus)

CDebugCore::CDebugCore(DebugFrame* frame, TargetSide* side)
    : m_pMainFrame(frame), side_(side ? *side : RealTargetSide())
{
    std::memset(g_windowPlacements, 0, sizeof g_windowPlacements);
    if (!g_currentCore)
        g_currentCore = this;
    MapCommands();
    MapAutomation();
}

CDebugCore::~CDebugCore()
{
    Disconnect();
    if (g_currentCore == this)
        g_currentCore = nullptr;
}

void CDebugCore::MapCommands()
{
    const auto notRunning = [this](CCmdUI* ui) { ui->Enable(!IsRunning()); };
    const auto always = [](CCmdUI* ui) { ui->Enable(TRUE); };
    const auto access = [this](CCmdUI* ui) { ui->Enable(AccessAllowed()); };
    const auto disabled = [](CCmdUI* ui) { ui->Enable(FALSE); };

    struct Row {
        UINT id;
        Command action;
        Update update;
    };
    const Row rows[] = {
        {ID_DEBUG_GO, [this] { OnGo(); }, notRunning},
        {ID_DEBUG_HALT, [this] { Halt(); }, always},
        {ID_DEBUG_RESET, [this] { OnReset(); }, always},
        {ID_DEBUG_RESTART, [this] { Restart(); }, always},
        {ID_DEBUG_STEP_INTO, [this] { OnStepInto(); }, notRunning},
        {ID_DEBUG_STEP_OVER, [this] { OnStepOver(); }, notRunning},
        {ID_DEBUG_STEP_OUT, [this] { OnStepOut(); }, notRunning},
        {ID_DEBUG_GOTO_CURSOR, [this] { OnGotoCursor(); }, notRunning},
        {ID_DEBUG_STEP_INTO_CONT, [this] { StepCommand(EMU_STEP_INTO_CONTINUOUS); }, notRunning},
        {ID_DEBUG_STEP_OVER_CONT, [this] { StepCommand(EMU_STEP_OVER_CONTINUOUS); }, notRunning},
        {ID_DEBUG_GO_TILL_CALL, [this] { StepCommand(EMU_GO_TILL_CALL); }, notRunning},
        {ID_DEBUG_GO_INTO_CALL, [this] { StepCommand(EMU_GO_INTO_CALL); }, notRunning},
        {ID_DEBUG_GO_TILL_RETURN, [this] { StepCommand(EMU_GO_TILL_RETURN); }, notRunning},
        {ID_DEBUG_GO_OVER_RETURN, [this] { StepCommand(EMU_GO_OVER_RETURN); }, notRunning},
        {ID_DEBUG_FREE_RUN, [this] { FreeRun(); }, notRunning},
        {ID_DEBUG_JUMP, [this] { OnJump(); }, notRunning},
        {ID_DEBUG_JUMP_TO_CURSOR, [this] { OnJumpToCursor(); }, notRunning},
        {ID_DEBUG_GOTO_ADDRESS, [this] { OnGotoAddress(); }, notRunning},
        {ID_DEBUG_LOAD_PROGRAM, [this] { OnLoadProgram(); }, notRunning},
        {ID_DEBUG_WATCH_WINDOW, [this] { OpenWatchWindow(); }, access},
        {ID_DEBUG_CALL_STACK_WINDOW, [this] { OpenCallStackWindow(); }, access},
        {ID_DEBUG_MEMORY_WINDOW, [this] { OpenMemoryWindow(); }, access},
        {ID_DEBUG_REGISTER_WINDOW, [this] { OpenRegisterWindow(); }, access},
        {ID_DEBUG_KERNEL_VIEW, [this] { OnKernelView(); }, nullptr},
        {ID_DEBUG_MEMORY_ACTIONS, [this] { OnMemoryActions(); }, nullptr},
        {ID_DEBUG_BREAKPOINT, [this] { OnBreakpoint(); }, notRunning},
        {ID_DEBUG_BREAKPOINT_LIST, [this] { OnBreakpointList(); }, always},
        // The watchpoint units are the hardware's: none on the simulator.
        {ID_DEBUG_WATCHPOINT, [this] { OnWatchpoint(); },
         [this](CCmdUI* ui) { ui->Enable(Connected() && theSettings.Simulate == 0); }},
    };
    for (const Row& row : rows) {
        OnCommand(row.id, row.action);
        if (row.update)
            OnUpdate(row.id, row.update);
    }
    // No trace module exists in this system: the commands show the texts of
    // a missing module and stay disabled.
    OnUpdate(ID_DEBUG_TRACE_CONTROL, [](CCmdUI* ui) {
        ui->SetText("Simulator Property");
        ui->Enable(FALSE);
    });
    OnUpdate(ID_DEBUG_TRACE_OFF, [](CCmdUI* ui) {
        ui->SetText("No Trace");
        ui->Enable(FALSE);
    });
    for (const UINT id :
         {ID_DEBUG_TRACE_WINDOW, ID_DEBUG_MEMORY_MAP, ID_DEBUG_BIT_MEMORY, ID_DEBUG_UNNAMED_32947, ID_DEBUG_SYNC_HW})
        OnUpdate(id, disabled);
}

// --- state ------------------------------------------------------------------

bool CDebugCore::Connected() const
{
    return m_pMainFrame && m_pMainFrame->IsConnected();
}

bool CDebugCore::IsRunning() const
{
    DWORD state = 0;
    if (!m_pMainFrame || !m_pMainFrame->ShownRunState(state))
        state = side_.CpuGetCpuStatus1();
    return (state & 1) != 0;
}

bool CDebugCore::AccessAllowed() const
{
    return !IsRunning() || theSettings.RunAccess != 0;
}

void CDebugCore::Send(UINT msg, WPARAM w, LPARAM l)
{
    if (m_pMainFrame && m_pMainFrame->FrameWindow())
        SendMessage(m_pMainFrame->FrameWindow(), msg, w, l);
}

void CDebugCore::Busy(bool on)
{
    Send(WM_EMU_BUSY, 2, on ? 0 : 1);
}

void CDebugCore::FireEvent(int event, short argument)
{
    if (eventSink_)
        eventSink_(event, argument);
    CCmdTargetPlus::FireEvent(event, VTS_I2, static_cast<int>(argument));
}

// --- run commands -----------------------------------------------------------

void CDebugCore::SetStepSourceLevel()
{
    switch (m_pMainFrame ? m_pMainFrame->ActiveChildKind() : ChildFrameKind::None) {
    case ChildFrameKind::Source: g_stepSourceLevel = 1; break;
    case ChildFrameKind::Disassembly: g_stepSourceLevel = 0; break;
    default: break;
    }
}

void CDebugCore::Step(int mode)
{
    // Every step needs the connection (the continuous modes too: no run
    // command acts before the connection is up).
    if (!Connected())
        return;
    SetStepSourceLevel();
    if (mode == EMU_STEP_OVER)
        side_.CpuSetCpuStatus(1);
    Busy(true);
    const EmuResult result = side_.EmuStep(mode, g_stepSourceLevel);
    if (result == kTargetLost)
        ReportTargetLost();
    else if (mode == EMU_STEP_OVER)
        side_.CpuSetCpuStatus(0);
    Busy(false);
}

void CDebugCore::OnStepInto()
{
    if (!CheckBuildBeforeRun() || !Connected() || (side_.CpuGetCpuStatus() & 1) != 0)
        return;
    SetStepSourceLevel();
    const EmuResult result = side_.EmuStep(EMU_STEP_INTO, g_stepSourceLevel);
    if (result == kTargetLost)
        ReportTargetLost();
    else if (result != 0)
        ReportError(static_cast<UINT>(result), IDS_CAPTION, MB_ICONEXCLAMATION);
}

void CDebugCore::OnStepOver()
{
    if (CheckBuildBeforeRun())
        Step(EMU_STEP_OVER);
}

void CDebugCore::OnStepOut()
{
    if (CheckBuildBeforeRun())
        Step(EMU_STEP_OUT);
}

void CDebugCore::StepCommand(int mode)
{
    if (mode >= EMU_STEP_INTO_CONTINUOUS && mode <= EMU_GO_OVER_RETURN)
        Step(mode);
}

void CDebugCore::OnGo()
{
    if (CheckBuildBeforeRun())
        Go(0, -1);
}

int CDebugCore::Go(int mode, int32_t address)
{
    if (!Connected())
        return -1;
    g_lastAutomationResult = 0;
    const ADDR at{static_cast<uint32_t>(address), ADDR_SPACE_TARGET};
    EmuResult result = 0;
    if (mode != 0) {
        result = side_.EmuRun(EMU_RUN_FREE, at);
    } else if (address == -1) {
        result = side_.EmuRun(EMU_RUN_GO, at);
    } else {
        const EmuResult set = side_.AddTempBp(at);
        if (set != 0) {
            g_lastAutomationResult = set;
            return set;
        }
        result = side_.EmuRun(EMU_RUN_GO, at);
    }
    // Every failure is kept for the script server, not only a lost target.
    g_lastAutomationResult = result;
    if (result == kTargetLost)
        ReportTargetLost();
    return result;
}

void CDebugCore::FreeRun()
{
    if (!Connected() || (side_.CpuGetCpuStatus() & 1) != 0)
        return;
    if (side_.EmuRun(EMU_RUN_FREE, {0, 0}) == kTargetLost)
        ReportTargetLost();
}

void CDebugCore::GoTill(ADDR address)
{
    Busy(true);
    if (side_.EmuRun(EMU_RUN_GO_TILL, address) == kTargetLost)
        ReportTargetLost();
    Busy(false);
}

void CDebugCore::OnGotoCursor()
{
    ADDR address{};
    if (CheckBuildBeforeRun() && Connected() && GetCursorAddress(&address))
        GoTill(address);
}

void CDebugCore::Halt()
{
    if (side_.EmuHalt() != 0)
        AfxMessageBox("Could not set ICE mode. Please reset the chip!");
}

void CDebugCore::OnReset()
{
    if (ReportError(IDS_RESET_QUESTION, IDS_CAPTION, MB_YESNO | MB_ICONQUESTION) != IDNO)
        Reset();
}

void CDebugCore::Reset()
{
    if (!Connected())
        return;
    side_.EmuHalt();
    // Without an image the start is address 0 of the target.
    ADDR start{0, ADDR_SPACE_TARGET};
    if (side_.LdrGetStartPC(&start) != 0)
        start = {0, ADDR_SPACE_TARGET};
    side_.EmuResetTarget(start);
    if (theSettings.IsLoadInitFile)
        ExecShellCommand(("include \"" + theSettings.InitFileName).c_str());
    if (side_.LdrGetStartPC(&start) == 0)
        side_.CpuSetPC(start.off);
    Send(WM_EMU_REFRESH, 0, 0);
}

void CDebugCore::Restart()
{
    if (!Connected())
        return;
    // A running target is halted first; EmuHalt returns when it stopped.
    if ((side_.CpuGetCpuStatus() & 1) != 0)
        side_.EmuHalt();
    ADDR start{0, ADDR_SPACE_TARGET};
    const bool haveStart = side_.LdrGetStartPC(&start) == 0;
    // Every path goes through EmuRestart: it sets the PC to the start and
    // closes the program's semihosting host files as a reset does.
    if (theSettings.OnlyStartAddr) {
        side_.EmuRestart(1, "");
        return;
    }
    std::string name = "#" + (theSettings.CMainEntry.empty() ? std::string("main") : theSettings.CMainEntry);
    ADDR entry{0, 2};
    if (side_.SymServerSymToAddr(name, &entry) != 0) {
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        entry = {0, 2};
        if (side_.SymServerSymToAddr(name, &entry) != 0) {
            side_.EmuRestart(1, "");
            return;
        }
    }
    const DWORD pc = haveStart ? start.off : side_.CpuGetPC();
    if ((pc & ~1u) == (entry.off & ~1u)) {
        side_.EmuRestart(1, "");
        return;
    }
    Busy(true);
    if (side_.EmuRestart(0, name) == kTargetLost)
        ReportTargetLost();
    Busy(false);
}

bool CDebugCore::AskAddress(int mode, ADDR* out)
{
    CAddressDlg dialog(mode);
    if (platform::RunModalDialog(dialog) != IDOK)
        return false;
    return side_.AdrTextToAddr(dialog.m_address, out) == 1;
}

void CDebugCore::OnJump()
{
    ADDR address{};
    if (AskAddress(0, &address) && side_.EmuSetPC(address) == kTargetLost)
        ReportTargetLost();
}

void CDebugCore::OnJumpToCursor()
{
    ADDR address{};
    if (GetCursorAddress(&address) && side_.EmuSetPC(address) == kTargetLost)
        ReportTargetLost();
}

void CDebugCore::OnGotoAddress()
{
    ADDR address{};
    if (AskAddress(1, &address))
        GoTill(address);
}

void CDebugCore::OnKernelView()
{
    side_.TaskOpenWindow(0);
}

// The breakpoint dialog starts at the caret's address (none: space 0);
// after OK every view shows the new marks.
void CDebugCore::OnBreakpoint()
{
    ADDR address{0, 0};
    if (!GetCursorAddress(&address))
        address = {0, 0};
    if (side_.BptOpenWindow(nullptr, address) != 0)
        Send(WM_EMU_UPDATE_VIEWS, DVK_BREAKPOINTS, -1);
}

void CDebugCore::OnBreakpointList()
{
    ShowBreakpointList(1);
}

void CDebugCore::ShowBreakpointList(int mode)
{
    side_.BptShowBpListW(mode, m_pMainFrame ? m_pMainFrame->MdiFrame() : nullptr);
}

void CDebugCore::OnWatchpoint()
{
    if (side_.WhptOpenWindow(m_pMainFrame ? m_pMainFrame->FrameWindow() : nullptr) != 0)
        Send(WM_EMU_UPDATE_VIEWS, DVK_BREAKPOINTS, -1);
}

void CDebugCore::OnMemoryActions()
{
    if (m_pMainFrame)
        m_pMainFrame->RunMemoryTools();
}

// Mapped by the libraries of their windows and dialogs as they come.
void CDebugCore::OnPeripheralWindow() {}
void CDebugCore::OnFlashProgramming() {}
void CDebugCore::OnUploadMemory() {}
void CDebugCore::OnDownloadMemory() {}
void CDebugCore::OnTraceControl() {}

void CDebugCore::OnLoadProgram()
{
    LoadProgramFromDialog();
}

int CDebugCore::LoadProgramFromDialog()
{
    HWND frame = m_pMainFrame ? m_pMainFrame->FrameWindow() : nullptr;
    HGLOBAL block = PromptLoadFile(frame);
    if (!block)
        return 0;
    if (!frame) {
        GlobalFree(block);
        return 0;
    }
    // The frame frees the block and answers the loader's result.
    const auto reply = static_cast<LdrResult>(SendMessage(
        frame, WM_EMU_OPEN_IMAGE, static_cast<WPARAM>(theSettings.SrcLoadOption), reinterpret_cast<LPARAM>(block)));
    if (LoadResultIsReported(reply))
        ReportLoadFailure(reply);
    // The common dialogs report no extended error here.
    return 0;
}

// --- services ---------------------------------------------------------------

BOOL CDebugCore::GetCursorAddress(ADDR* out)
{
    if (!m_pMainFrame || !out)
        return FALSE;
    const ChildFrameKind kind = m_pMainFrame->ActiveChildKind();
    if (kind == ChildFrameKind::Source) {
        // The caret's line of the source file, through the file's modules.
        int line = 0;
        std::string path;
        if (!m_pMainFrame->ActiveSourceCaret(line, path))
            return FALSE;
        ADDR start{}, end{};
        if (!lookups::SymFileLineToAddrRange(line, &start, &end, path.c_str()))
            return FALSE;
        *out = start;
        return TRUE;
    }
    if (kind != ChildFrameKind::Disassembly)
        return FALSE;
    return m_pMainFrame->ActiveChildCursorAddress(out) ? TRUE : FALSE;
}

int CDebugCore::ExecShellCommand(const char* command)
{
    if (!Connected() || !command)
        return -1;
    return side_.ShlExecuteCommand(std::string(">") + command);
}

void CDebugCore::ReportTargetLost()
{
    if (ReportError(IDS_TARGET_LOST, IDS_CAPTION, MB_ABORTRETRYIGNORE | MB_ICONHAND) == IDABORT && m_pMainFrame &&
        m_pMainFrame->FrameWindow())
        PostMessage(m_pMainFrame->FrameWindow(), WM_CLOSE, 0, 0);
}

void CDebugCore::SetBuildQuestions(BuildQuestion saveSources, BuildQuestion rebuildImage)
{
    askSave_ = std::move(saveSources);
    askRebuild_ = std::move(rebuildImage);
}

BOOL CDebugCore::CheckBuildBeforeRun()
{
    int reply = -1;
    if (!saveAnswered_) {
        reply = askSave_ ? askSave_() : -1;
        if (reply == IDNO) {
            saveAnswered_ = true;
        } else if (reply == IDYES) {
            saveAnswered_ = rebuildAnswered_ = true;
            return FALSE;
        }
    }
    if (!rebuildAnswered_) {
        reply = askRebuild_ ? askRebuild_() : -1;
        if (reply == IDNO) {
            rebuildAnswered_ = true;
            return TRUE;
        }
    }
    if (reply == IDCANCEL)
        return FALSE;
    if (reply == IDYES) {
        saveAnswered_ = rebuildAnswered_ = true;
        return FALSE;
    }
    return TRUE;
}

void CDebugCore::MarkSourcesModified(BOOL modified)
{
    saveAnswered_ = rebuildAnswered_ = !modified;
}

void SetCurrentDebugCore(CDebugCore* core)
{
    g_currentCore = core;
}

CDebugCore* CurrentDebugCore()
{
    return g_currentCore;
}

int ReportTargetConnectionLost()
{
    if (!g_currentCore)
        return 0;
    g_currentCore->ReportTargetLost();
    return 1;
}

int ReportErrorStop(UINT id)
{
    return ReportError(id, IDS_CAPTION, MB_ICONHAND);
}

void CenterInMainFrame(HWND hwnd)
{
    CWnd* wnd = CWnd::FromHandle(hwnd);
    CWnd* main = AfxGetMainWnd();
    if (!wnd || !main || wnd == main)
        return;
    RECT client, outer;
    main->GetClientRect(&client);
    wnd->GetWindowRect(&outer);
    POINT corner{client.left + (client.Width() - outer.Width()) / 2,
                 client.top + (client.Height() - outer.Height()) / 2};
    main->ClientToScreen(&corner);
    wnd->MoveWindowTo(corner);
}

}  // namespace appdebug

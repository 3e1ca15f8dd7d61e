#include "mainframe/main_frame.h"

#include "brevan/brevan.h"
#include "falcrest.h"
#include "morwen/morwen.h"
#include "platform/modules.h"
#include "platform/resources.h"
#include "sarvik.h"
#include "sarvik/target_events.h"
#include "shell/debugger_app.h"
#include "shell/modules.h"
#include "shell/script_host.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"

namespace mainframe {

IMPLEMENT_DYNCREATE(CMainFrame, CCJMDIFrameWnd)

// The page of a tab whose view class isn't there yet: empty.
class CPendingView : public CView {
    DECLARE_DYNCREATE(CPendingView)
};
IMPLEMENT_DYNCREATE(CPendingView, CView)

namespace {

constexpr UINT IDS_CAPTION = 32769;
constexpr UINT IDS_NO_USER_IMAGES = 32795;
constexpr UINT IDS_NO_TIMER = 32796;
constexpr UINT IDS_SHELL_BUSY = 32800;
constexpr UINT IDS_RUN_ACTIVE = 32801;
constexpr UINT IDS_SCRIPT_RUNNING = 32802;
constexpr UINT IDR_BAR_MENU = 114;
constexpr DWORD kToolBarStyle = 0x2800;
constexpr UINT kFirstUserBar = 59432;
constexpr UINT kLastUserBar = 59441;

std::string& UserImagesPath()
{
    static std::string path;
    return path;
}

// Where the bars keep their states: the application's registry path.
std::string ControlBarsPath()
{
    auto* app = dynamic_cast<shell::CDebuggerApp*>(AfxGetApp());
    std::string path = app && !app->m_registryPath.empty() ? app->m_registryPath : "Software\\Zelkor\\Zelkor for Arm";
    return path + "\\Control Bars";
}

}  // namespace

FrameGlobals& Globals()
{
    static FrameGlobals globals;
    return globals;
}

std::string SetUserImagesFile(const std::string& path)
{
    std::string previous = UserImagesPath();
    UserImagesPath() = path;
    return previous;
}

std::string UserImagesFile()
{
    return UserImagesPath().empty() ? platform::ProgramFolder() + "/User Buttons.bmp" : UserImagesPath();
}

void ReportInvalidAddress()
{
    ReportError(ID_INVALID_ADDRESS, IDS_CAPTION, MB_ICONEXCLAMATION);
}

CMainFrame::CMainFrame()
{
    MapCommands();
    MapMessages();
}

CMainFrame::~CMainFrame() = default;

BOOL CMainFrame::PreCreateWindow(DWORD& style)
{
    style &= ~FWS_ADDTOTITLE;
    return TRUE;
}

BOOL CMainFrame::LoadFrame(UINT resourceId, CWnd* parent, CCreateContext* context)
{
    DWORD style = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE;
    if (!PreCreateWindow(style))
        return FALSE;
    style_ = style;
    shell::RegisterShellResources();
    menu_ = platform::resources::LoadMenu(resourceId);
    if (!CCJMDIFrameWnd::LoadFrame(resourceId, parent, context))
        return FALSE;
    if (menu_)
        SetDefaultMenu(menu_);
    return TRUE;
}

void CMainFrame::OnUpdateFrameTitle(BOOL)
{
    CCJMDIFrameWnd::OnUpdateFrameTitle(FALSE);
}

int CMainFrame::OnCreate()
{
    if (CCJMDIFrameWnd::OnCreate() == -1)
        return -1;

    // The user-defined buttons' images; the frame needs them.
    if (!userImages_.Load(UserImagesFile())) {
        ReportError(IDS_NO_USER_IMAGES, IDS_CAPTION, MB_ICONHAND);
        return -1;
    }
    CBCGToolBar::SetUserImages(&userImages_);

    if (!CreateBars())
        return -1;

    m_timerId = SetTimer(kFrameTimerId, 1000);
    if (m_timerId == 0) {
        ReportError(IDS_NO_TIMER, IDS_CAPTION, MB_ICONHAND);
        return -1;
    }
    core_ = MakeFrameCore(*this);
    // The program's end, however it came (a run's stop, a go or a step
    // command that ended at once), shows in the message pane.
    targetNotices_ = std::make_unique<sarvik::TargetSubscription>([this](const sarvik::TargetNotice& notice) {
        if (notice.event == sarvik::TargetEvent::Stopped && notice.stop == EMU_STOP_EXITED)
            ShowProgramEnd();
    });
    // Scripts reach the core as the application's "Debugger" while connected.
    if (auto* app = dynamic_cast<shell::CDebuggerApp*>(AfxGetApp()))
        app->SetDebuggerDispatch(
            [this]() -> IDispatch* { return m_bConnected && core_ ? core_->Dispatch() : nullptr; });
    // The text views read the connection and the stop position here; no
    // stop has been shown yet.
    CurrentStop() = StopPosition{};
    SetTextViewFrame(this);

    // The optional modules and the build-tool library, once per process. A
    // missing build-tool library leaves its entry points null (every caller
    // tests them) and says so in the message pane.
    std::string message;
    if (!shell::LoadFrameModules(menu_.get(), shell::Modules(), theSettings.ToolChain, message)) {
        startMessage_ = message;
        SetMessageText(message);
    }
    return 0;
}

BOOL CMainFrame::CreateBars()
{
    if (!standardBar_.Create(this, kToolBarStyle, ID_STANDARD_BAR) ||
        !standardBar_.LoadToolBar(shell::IDR_STANDARD_TOOLBAR))
        return FALSE;
    if (!buildBar_.Create(this, kToolBarStyle, ID_BUILD_BAR) || !buildBar_.LoadToolBar(shell::IDR_BUILD_TOOLBAR))
        return FALSE;
    // The connect button keeps the resource's name; the menu item's text
    // follows the connection.
    if (int index = buildBar_.CommandToIndex(shell::ID_DEBUG_CONNECT); index >= 0)
        buildBar_.GetButton(index)->m_strText = "Load";
    if (!statusBar_.Create(this))
        return FALSE;
    if (!editBar_.Create(this, 1, 1))
        return FALSE;

    workspaceBar_.SetMenuID(IDR_BAR_MENU);
    if (!workspaceBar_.Create(this, ID_WORKSPACE_BAR, "Workspace", SIZE{220, 200}, lathris::CBRS_ALIGN_LEFT))
        return FALSE;
    AddTab(workspaceBar_, "Files", "CTreeViewFile");
    AddTab(workspaceBar_, "Class", "CTreeViewClass");
    AddTab(workspaceBar_, "Symbols", "CTreeViewSymbol");
    outputBar_.SetMenuID(IDR_BAR_MENU);
    if (!outputBar_.Create(this, ID_OUTPUT_BAR, "Output", SIZE{220, 200}, lathris::CBRS_ALIGN_BOTTOM))
        return FALSE;
    AddTab(outputBar_, "Build", "CBuildOutputView");
    AddTab(outputBar_, "Find In Files", "CFindOutView");
    AddTab(outputBar_, "Console", "CConsoleView");

    // The toolbars' saved states, then their titles and the user bars.
    const std::string path = ControlBarsPath();
    standardBar_.LoadState(path);
    buildBar_.LoadState(path);
    editBar_.LoadState(path);
    buildBar_.SetWindowText("Build");
    editBar_.SetWindowText("Edit");
    standardBar_.SetWindowText("Standard");
    m_Impl.InitUserToobars(path, kFirstUserBar, kLastUserBar);
    m_Impl.LoadUserToolbars();

    EnableDockingSizeBar(lathris::CBRS_ALIGN_ANY);
    workspaceBar_.EnableDockingOnSizeBar(lathris::CBRS_ALIGN_ANY);
    outputBar_.EnableDockingOnSizeBar(lathris::CBRS_ALIGN_ANY);
    DockSizeBar(&workspaceBar_);
    DockSizeBar(&outputBar_);
    workspaceBar_.ShowWindow(SW_SHOW);
    outputBar_.ShowWindow(SW_SHOW);

    if (!debugBar_.Create(this, kToolBarStyle, ID_DEBUG_BAR) || !debugBar_.LoadToolBar(shell::IDR_DEBUG_TOOLBAR))
        return FALSE;
    debugBar_.SetWindowText("Debug");
    // The saved dock layout (refused whole when damaged); the Debug toolbar
    // stays hidden until the debugger connects, whatever was saved.
    m_Impl.LoadState(path);
    ShowControlBar(&debugBar_, FALSE, FALSE);
    return TRUE;
}

void CMainFrame::AddTab(CCJTabCtrlBar& bar, const char* label, const char* viewClass)
{
    // A view class that isn't there yet keeps its tab: the label over an
    // empty page.
    const CRuntimeClass* cls = CRuntimeClass::FromName(viewClass);
    if (!cls || !bar.AddView(label, cls))
        bar.AddView(label, RUNTIME_CLASS(CPendingView));
}

void CMainFrame::SaveBarLayout()
{
    const std::string path = ControlBarsPath();
    m_Impl.SaveState(path);
    standardBar_.SaveState(path);
    editBar_.SaveState(path);
    buildBar_.SaveState(path);
    m_Impl.SaveUserToolbars();
    userImages_.Save(UserImagesFile());
}

void CMainFrame::OnClose()
{
    if (ShlIsBusy()) {
        ReportError(IDS_SHELL_BUSY, IDS_CAPTION, MB_ICONEXCLAMATION);
        return;
    }
    if (Globals().busyTransfer)
        return;
    // The program waits inside its semihosting call for the console's line:
    // the console comes to the front instead.
    if (ConsoleInputWaits()) {
        ShowConsole();
        return;
    }
    if (EmuIsBusy()) {
        ReportError(IDS_RUN_ACTIVE, IDS_CAPTION, MB_ICONEXCLAMATION);
        return;
    }
    auto* debuggerApp = dynamic_cast<shell::CDebuggerApp*>(AfxGetApp());
    shell::CScriptHost* scripts = debuggerApp ? debuggerApp->ScriptHost() : nullptr;
    if (scripts && !scripts->IsScriptIdle()) {
        ReportError(IDS_SCRIPT_RUNNING, IDS_CAPTION, MB_ICONEXCLAMATION);
        return;
    }
    // The user may still refuse in the save prompt: ask it before anything
    // is torn down, so a refusal leaves the frame as it was.
    CWinApp* app = AfxGetApp();
    const bool mainWindow = app && app->m_pMainWnd == this;
    if (mainWindow && !app->SaveAllModified())
        return;

    SaveBarLayout();
    // The macro settings are written, the script engine closed.
    if (debuggerApp && mainWindow) {
        debuggerApp->SaveMacroSettings(debuggerApp->m_registryPath);
        if (scripts)
            scripts->CloseScriptEngine();
    }
    if (m_timerId) {
        KillTimer(m_timerId);
        m_timerId = 0;
    }
    if (theSettings.ExitOption && core_)
        emuAbort(0);
    if (!mainWindow) {
        DestroyWindow();
        return;
    }
    app->CloseAllDocuments(FALSE);
    DestroyWindow();
    PostQuitMessage(0);
}

void CMainFrame::OnDestroy()
{
    // The breakpoint list goes with the frame; the core's destruction takes
    // the target connection down.
    if (core_)
        core_->ShowBreakpointList(0);
    if (auto* app = dynamic_cast<shell::CDebuggerApp*>(AfxGetApp()))
        app->SetDebuggerDispatch({});
    core_.reset();
    targetNotices_.reset();
    if (GetTextViewFrame() == this)
        SetTextViewFrame(nullptr);
    if (m_timerId) {
        KillTimer(m_timerId);
        m_timerId = 0;
    }
    // Only a frame that really goes tells the modules (a close the user
    // cancels keeps them open).
    shell::CloseFrameModules(shell::Modules());
    CCJMDIFrameWnd::OnDestroy();
}

void CMainFrame::OnConnected()
{
    if (m_bConnected)
        return;
    m_bConnected = TRUE;
    auto* app = dynamic_cast<shell::CDebuggerApp*>(AfxGetApp());
    if (!app)
        return;
    // The ".inc" file named on the command line goes to the command shell.
    std::string include = app->TakePendingInclude();
    if (include.empty())
        return;
    if (includeHandler_)
        includeHandler_(include);
    else if (core_)
        core_->ExecShellCommand("include \"" + include + "\"");
}

}  // namespace mainframe

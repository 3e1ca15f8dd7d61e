// The main frame for tools/screens: before the connection (the menu bar,
// the toolbars with the find box holding a text, the tab bars and the
// status bar; without a build-tool library the message pane names the
// missing one), and connected to the simulator with examples/hello loaded
// and run to its main, or to its end with its output in the Console tab.
#include <QApplication>

#include <cstring>

#include "appdebug/source_lookups.h"
#include "emu_messages.h"
#include "lookups/sym_lookups.h"
#include "mainframe/qt/frame_window.h"
#include "platform/global_memory.h"
#include "platform/messages.h"
#include "platform/qt/screens.h"
#include "platform/resources.h"
#include "quentor.h"
#include "quinar/symbol_store.h"
#include "sarvik.h"
#include "sarvik/frame_stop.h"
#include "shell/debugger_app.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

namespace mainframe::qt {
namespace {

// The frame's newest window, sized for the picture.
QWidget* FrameWindow()
{
    QWidget* window = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "mainframe" && !w->property("screened").toBool())
            window = w;
    if (!window)
        return nullptr;
    window->setProperty("screened", true);
    window->resize(1400, 640);
    return window;
}

shell::CDebuggerApp& ScreensApp()
{
    // The frames' settings and modules live as long as the process.
    static auto* app = new shell::CDebuggerApp;
    return *app;
}

CMainFrame* MakeFrame()
{
    CWnd* wnd = MakeMainFrameWindow(ScreensApp());
    auto* frame = dynamic_cast<CMainFrame*>(wnd);
    if (!frame)
        return nullptr;
    frame->EditToolBar().AddFindText("main");
    if (auto* combo = frame->EditToolBar().GetComboButton(ID_FIND_BOX))
        combo->SelectItem(0);
    frame->EditToolBar().ButtonsChanged();
    return frame;
}

platform::qt::ScreenRegistrar frame("mainframe", []() -> QWidget* {
    CMainFrame* frame = MakeFrame();
    if (!frame)
        return nullptr;
    if (frame->StartMessage().empty())
        frame->SetMessageText(platform::resources::LoadString(shell::IDS_IDLE_MESSAGE));
    return FrameWindow();
});

#ifdef ZK_EXAMPLE_ELF
// How long a screen waits for the example's run: bounded in time, not in
// passes of the pump (every posted stop ends a pass early), and far beyond
// what a loaded machine needs.
constexpr int kRunWaitMs = 60000;

// The frame connected to the simulator with the example run to main; null
// when the connection or the load failed.
CMainFrame* ConnectedFrame()
{
    shell::CDebuggerApp& app = ScreensApp();
    app.m_simulate = TRUE;
    app.m_noPrompt = TRUE;
    theSettings.Simulate = 1;
    CMainFrame* frame = MakeFrame();
    if (!frame)
        return nullptr;
    app.m_pMainWnd = frame;
    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_CONNECT);
    if (!frame->m_bConnected)
        return nullptr;
    // Breakpoints that earlier screens of this process set stay out of this run.
    BptClearAll();
    if (!LoadImageAtStart(*frame, ZK_EXAMPLE_ELF))
        return nullptr;
    // Run to main: the stop comes back as the frame's WM_EMU_ERROR.
    if (quinar::Result<uint32_t> main = quinar::Symbols().AddressOfName("main")) {
        // The start-up code's semihosting calls stop the run on the way.
        const sarvik::RunMark mark = sarvik::MarkRuns();
        EmuRun(EMU_RUN_GO_TILL, ADDR{*main, ADDR_SPACE_TARGET});
        if (!platform::ModalWait([&] { return sarvik::RunsSettled(mark); }, kRunWaitMs))
            return nullptr;
        platform::PumpPending();
    }
    frame->SendMessage(WM_TIMER, kFrameTimerId);
    frame->OnIdleUpdateCmdUI();
    return frame;
}

platform::qt::ScreenRegistrar connected("mainframe_connected",
                                        []() -> QWidget* { return ConnectedFrame() ? FrameWindow() : nullptr; });

// The register and memory windows opened by their commands, tiled in the
// frame's MDI area.
platform::qt::ScreenRegistrar debugWindows("mainframe_debug_windows", []() -> QWidget* {
    CMainFrame* frame = ConnectedFrame();
    if (!frame)
        return nullptr;
    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_REGISTER_WINDOW);
    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_MEMORY_WINDOW);
    frame->MDITile(TRUE);
    platform::PumpPending();
    return FrameWindow();
});

// The example run to its end with Go: its output in the Console tab.
platform::qt::ScreenRegistrar console("mainframe_console", []() -> QWidget* {
    // The settings' defaults for the target's semihosting calls (the
    // screens never load the settings record).
    theSettings.SemiHosting = 1;
    theSettings.SemiHostVector = 8;
    if (theSettings.Protocol.empty())
        theSettings.Protocol = "Simulator";
    theSettings.SetDefaultColors();
    CMainFrame* frame = ConnectedFrame();
    if (!frame)
        return nullptr;
    // The exit is recorded while its call is served; the output before it
    // and the stop it makes are handled once the runs have settled.
    const sarvik::RunMark mark = sarvik::MarkRuns();
    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_GO);
    DWORD reason = 0, status = 0;
    if (!platform::ModalWait([&] { return SemihostGetExit(&reason, &status) != 0 && sarvik::RunsSettled(mark); },
                             kRunWaitMs))
        return nullptr;
    platform::PumpPending();
    frame->SendMessage(WM_TIMER, kFrameTimerId);
    frame->OnIdleUpdateCmdUI();
    return FrameWindow();
});

// examples/hello loaded through WM_EMU_OPEN_IMAGE (as "Load File" sends it)
// and run with Go to a breakpoint on a line of main.c in the loop: main.c in
// front at the stop with the PC line marked, "Halt by breakpoint!" in the
// status bar.
platform::qt::ScreenRegistrar breakpointStop("mainframe_breakpoint_stop", []() -> QWidget* {
    shell::CDebuggerApp& app = ScreensApp();
    // The source template of the program, made from the editor's classes.
    if (app.DocManager()->Templates().empty()) {
        using platform::CRuntimeClass;
        const shell::TemplateRow& row = shell::kTemplateRows[0];
        const CRuntimeClass* doc = CRuntimeClass::FromName(row.docClass);
        const CRuntimeClass* child = CRuntimeClass::FromName(row.frameClass);
        const CRuntimeClass* view = CRuntimeClass::FromName(row.viewClass);
        if (!doc || !child || !view)
            return nullptr;
        app.AddDocTemplate(new CMultiDocTemplate(row.resourceId, doc, child, view));
    }
    app.m_simulate = TRUE;
    app.m_noPrompt = TRUE;
    theSettings.Simulate = 1;
    // The editor's colours and line numbers as a first start sets them.
    if (theSettings.FormatColors[0].back == 0 && theSettings.FormatColors[0].fore == 0)
        theSettings.SetDefaultColors();
    theSettings.LineNumbe = 1;
    CMainFrame* frame = MakeFrame();
    if (!frame)
        return nullptr;
    app.m_pMainWnd = frame;
    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_CONNECT);
    if (!frame->m_bConnected)
        return nullptr;
    BptClearAll();
    const std::string image = ZK_EXAMPLE_ELF;
    HGLOBAL block = platform::GlobalTextBlock(image);
    const DWORD flags = LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_FLAG_SEGMENTS;
    if (frame->SendMessage(WM_EMU_OPEN_IMAGE, flags, reinterpret_cast<LPARAM>(block)) != 0)
        return nullptr;
    ADDR at{};
    if (!appdebug::SourceLineToAddr("main.c", 21, &at))
        return nullptr;
    lookups::ToggleBreakpointAtAddr(at, 0);
    // The example prints before the loop: its semihosting calls stop the run
    // on the way.
    const sarvik::RunMark mark = sarvik::MarkRuns();
    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_GO);
    if (!platform::ModalWait([&] { return sarvik::RunsSettled(mark) && CurrentStop().line == 21; }, kRunWaitMs))
        return nullptr;
    platform::PumpPending();
    frame->MDITile(TRUE);
    frame->SendMessage(WM_TIMER, kFrameTimerId);
    frame->OnIdleUpdateCmdUI();
    return FrameWindow();
});
#endif

}  // namespace
}  // namespace mainframe::qt

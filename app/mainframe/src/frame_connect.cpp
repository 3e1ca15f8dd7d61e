// Command 32803: the first time it connects the debugger (the core brings
// the target side up), then the program is loaded.
#include "appdebug/program_load.h"
#include "falcrest.h"
#include "mainframe/main_frame.h"
#include "shell/debugger_app.h"
#include "shell/settings.h"
#include "vexlor/vexlor.h"

namespace mainframe {

void CMainFrame::OnDebugConnect()
{
    if (!m_bConnected) {
        if (!ConnectDebugger()) {
            AfxMessageBox("Cann't connect with hardware!");
            return;
        }
        std::string target;
        if (theSettings.Simulate) {
            target = "Simulation";
        } else {
            char name[64] = {};
            ProcReturnProcessorName(name);
            target = name;
        }
        if (!target.empty()) {
            SetTitle(GetTitle() + " -- " + target);
            SetWindowText(GetTitle());
        }
    }
    // The active project's image is loaded again; without a project the
    // core asks for a program unless the start said not to.
    auto* app = dynamic_cast<shell::CDebuggerApp*>(AfxGetApp());
    if (app && app->ActiveProject()) {
        const LdrResult result = LoadProjectImage(TRUE);
        if (appdebug::LoadResultIsReported(result))
            appdebug::ReportLoadFailure(result);
        return;
    }
    if (core_ && !(app && app->m_noPrompt))
        core_->LoadProgramFromDialog();
}

BOOL CMainFrame::ConnectDebugger()
{
    if (!core_)
        return FALSE;
    auto* app = dynamic_cast<shell::CDebuggerApp*>(AfxGetApp());
    const BOOL simulate = app ? app->m_simulate : theSettings.Simulate;
    if (!core_->ConnectTarget(simulate))
        return FALSE;
    OnConnected();

    // The Debug toolbar and the command shell's tab join the frame.
    AddTab(outputBar_, "Command", "CShellView");
    ShowControlBar(&debugBar_, TRUE, FALSE);

    statusBar_.SetUpPanes(TRUE);
    emuGetAccessSize(&Globals().accessSize);
    if (theSettings.IsLoadInitFile)
        core_->ExecShellCommand("include \"" + theSettings.InitFileName + "\"");
    return TRUE;
}

}  // namespace mainframe

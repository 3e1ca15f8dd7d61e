// The program load of the main frame: WM_EMU_OPEN_IMAGE takes the image's
// project (kept in memory until project files exist) and loads its image
// through the debugger core; LoadProjectImage is that load.
#include <cstring>

#include "appdebug/program_load.h"
#include "emu_messages.h"
#include "mainframe/main_frame.h"
#include "platform/paths.h"
#include "quinar/quinar.h"
#include "shell/debugger_app.h"
#include "shell/settings.h"
#include "vexlor/vexlor.h"

namespace mainframe {

namespace {

constexpr LdrResult kTargetLost = static_cast<LdrResult>(-27);

// The project of an image: the extension of its file name replaced by
// ".mpj", or ".mpj" appended when the file name has none (a dot in a
// folder's name does not count).
std::string ProjectPathOfImage(const std::string& image)
{
    return platform::ReplaceExtension(image, ".mpj");
}

}  // namespace

LRESULT CMainFrame::OnOpenImage(WPARAM loadOption, LPARAM block)
{
    std::string image;
    auto handle = reinterpret_cast<HGLOBAL>(block);
    if (const char* text = static_cast<const char*>(GlobalLock(handle))) {
        image.assign(text, strnlen(text, GlobalSize(handle)));
        GlobalUnlock(handle);
    }
    GlobalFree(handle);

    const std::string project = ProjectPathOfImage(image);
    shell::g_loadOption = static_cast<int>(loadOption);
    auto* app = dynamic_cast<shell::CDebuggerApp*>(AfxGetApp());
    if (!app)
        return -1;
    int openResult = -1;
    if (platform::IsRegularFile(project)) {
        CDocument* doc = nullptr;
        openResult = app->OpenProject(project, &doc, image.c_str(), 1);
        if (openResult == 0)
            return 0;
    }
    // No project file (or it could not be opened): a project of this image.
    if (app->NewProject(project, image.c_str()))
        return static_cast<LRESULT>(LoadProjectImage(FALSE));
    return openResult;
}

LdrResult CMainFrame::LoadProjectImage(BOOL reloadOnly)
{
    if (!m_bConnected || !core_)
        return LDR_OK;
    auto* app = dynamic_cast<shell::CDebuggerApp*>(AfxGetApp());
    const std::string path = app ? app->GetProjectImagePath() : std::string();
    FrameGlobals& g = Globals();
    g.busyTransfer = TRUE;
    FreeModuleDescMap();
    const LdrResult result = core_->LoadProgramImage(path, static_cast<DWORD>(shell::g_loadOption));
    g.busyTransfer = FALSE;
    if (result == kTargetLost) {
        core_->ReportTargetLost();
        return LDR_OK;
    }
    if (result == appdebug::kLoadRefusedRunning)
        return result;  // nothing was loaded: the image loaded before stays
    if (result != LDR_OK) {
        g.imageLoaded = FALSE;
        return result;
    }
    g.imageLoaded = TRUE;
    // A project restores its debug state here (breakpoints, variables,
    // window layout) once project files exist; this one is kept in memory.
    (void)reloadOnly;
    PostMessage(WM_EMU_UPDATE_VIEWS, DVK_CODE_VIEWS, 0);
    DWORD pc = 0;
    if (CpuGetPC(&pc) == 0)
        g.keptPc = pc;
    core_->FireEvent(kEventLoadEnd, 0);
    return LDR_OK;
}

void CMainFrame::ShowDisassemblyAt(ADDR)
{
    // The disassembly window joins later; a stop without a source line
    // shows nothing more until then.
}

}  // namespace mainframe

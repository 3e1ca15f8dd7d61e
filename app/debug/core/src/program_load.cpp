// The program load: the "Load File" dialog, LoadTargetProgram with its
// progress bar, and the steps after a load.
#include "appdebug/program_load.h"

#include <cstring>

#include "appdebug/source_lookups.h"
#include "appdebug/symbol_records.h"
#include "emu_messages.h"
#include "ldr_result_text.h"
#include "morwen/morwen.h"
#include "platform/global_memory.h"
#include "platform/messages.h"
#include "platform/modal_ui.h"
#include "platform/paths.h"
#include "platform/win32.h"
#include "platform/win_app.h"
#include "shell/settings.h"
#include "shell/status_bar.h"
#include "tarnel.h"

namespace appdebug {

namespace {

constexpr UINT IDS_CAPTION = 32769;

// The progress bar of the load that runs (null: none).
CProgressBar* g_loadBar = nullptr;
bool g_loadRunning = false;

// Marks the load as running for SymGetLoadStatus and the loading flag.
class LoadRunning {
public:
    explicit LoadRunning(CProgressBar* bar)
    {
        g_loadBar = bar;
        g_loadRunning = true;
        shell::g_loadingImage = 1;
    }
    ~LoadRunning()
    {
        g_loadBar = nullptr;
        g_loadRunning = false;
        shell::g_loadingImage = 0;
    }
    LoadRunning(const LoadRunning&) = delete;
    LoadRunning& operator=(const LoadRunning&) = delete;
};

}  // namespace

LdrResult ProgramLoader::LoadTargetProgram(const std::string& path, DWORD flags)
{
    // Messages queued before the load (a stop, a refresh) are handled
    // before the target's state is asked.
    platform::PumpPending();
    if ((side_.CpuGetCpuStatus() & 1) != 0) {
        ReportError(IDS_TARGET_RUNNING, IDS_CAPTION, 0);
        return kLoadRefusedRunning;
    }
    LdrResult result = LDR_OK;
    {
        CProgressBar bar("Loading", 90, 100, 1, 0);
        LoadRunning running(&bar);
        result = side_.LdrLoadWin(path, flags, bar.m_hWnd);
        if (result == LDR_OK) {
            // The new image replaces the program: files the previous one
            // opened on the host are closed now, not at the next reset. (A
            // failed load leaves the previous program as it was.)
            side_.SemihostProgramLoaded();
            SetLoadedImagePath(path);
            AfterProgramLoad(true, path);
        }
    }
    return result;
}

void ProgramLoader::AfterProgramLoad(bool rebuildModules, const std::string& path)
{
    ADDR start{0, ADDR_SPACE_TARGET};
    if (side_.LdrGetStartPC(&start) == 0)
        side_.CpuSetPC(start.off);
    LoadedModuleList& modules = LoadedModules();
    if (rebuildModules) {
        modules.Rebuild();
        for (size_t i = 0; i < modules.Count(); ++i) {
            std::string source = modules.Module(i)->m_name;
            ResolveSourcePath(source, modules.Module(i)->m_handle, path);
            modules.ResolvedPath(i) = source;
        }
    } else if (side_.LdrIsSymbolLoaded()) {
        return;
    } else {
        modules.Clear();
    }
    if (theSettings.LdrClrBP && side_.BptClearBp(ADDR{0, 0}, 0) != 0)
        return;
    if (mainWindow_) {
        SendMessage(mainWindow_, WM_EMU_UPDATE_VIEWS, DVK_SYMBOLS, 0);
        SendMessage(mainWindow_, WM_EMU_UPDATE_VIEWS, DVK_CLASSES, 0);
        SendMessage(mainWindow_, WM_EMU_REFRESH, 0, 0);
    }
}

void ReportLoadFailure(LdrResult result)
{
    platform::MessageBoxRequest request;
    CWnd* main = AfxGetMainWnd();
    request.owner = main ? main->m_hWnd : nullptr;
    request.text = "The program was not loaded: " + LdrResultText(result) + ".";
    ErrGetText(IDS_CAPTION, &request.caption);
    request.type = MB_OK | MB_ICONHAND;
    platform::ShowMessageBox(request);
}

HGLOBAL PromptLoadFile(HWND owner)
{
    platform::FileDialogRequest request;
    request.owner = owner;
    request.open = true;
    request.defaultExt = "elf";
    request.filter = kLoadFileFilter;
    request.flags = platform::OFN_HIDEREADONLY;
    platform::FileDialogResult answer;
    if (!platform::ShowFileDialog(request, answer) || answer.paths.empty() || answer.paths.front().empty())
        return nullptr;
    const std::string& path = answer.paths.front();
    return platform::GlobalTextBlock(path);
}

namespace {

HWND MainWindowHandle()
{
    CWnd* main = AfxGetMainWnd();
    return main ? main->m_hWnd : nullptr;
}

}  // namespace

LdrResult LoadTargetProgram(const std::string& path, DWORD flags)
{
    return ProgramLoader(RealTargetSide(), MainWindowHandle()).LoadTargetProgram(path, flags);
}

void AfterProgramLoad(BOOL rebuildModules, const std::string& path)
{
    ProgramLoader(RealTargetSide(), MainWindowHandle()).AfterProgramLoad(rebuildModules != FALSE, path);
}

BOOL ResolveSourcePath(std::string& path, uint32_t module, const std::string& imagePath)
{
    const std::string name = path;
    const std::string file = platform::FileNameOf(name);
    path.clear();
    if (file.empty())
        return FALSE;
    std::string resolved;
    const DWORD handle = module;
    // tarnel's: the compilation directory, else the image's folder.
    if (LdrGetSrcInfo(file.c_str(), &handle, &resolved) == 0 && platform::IsRegularFile(resolved)) {
        path = platform::ToNativePath(resolved);
        return TRUE;
    }
    for (const std::string& candidate : {name, platform::JoinPath(platform::FolderOf(imagePath), file)}) {
        if (platform::IsRegularFile(candidate)) {
            path = platform::ToNativePath(candidate);
            return TRUE;
        }
    }
    return FALSE;
}

BOOL SymGetLoadStatus(int* percent)
{
    if (percent)
        *percent = g_loadBar ? g_loadBar->Percent() : 0;
    return g_loadRunning ? TRUE : FALSE;
}

}  // namespace appdebug

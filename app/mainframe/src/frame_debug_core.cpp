// The frame's debugger core: CDebugCore, seen from the frame through
// FrameDebugCore, with the frame as the DebugFrame it reports to and the
// libraries as its target side, but for the run state the frame shows.
#include <cstring>

#include "appdebug/debug_core.h"
#include "appdebug/program_load.h"
#include "appdebug/source_lookups.h"
#include "appdebug/target_side.h"
#include "base_view.h"
#include "mainframe/frame_core.h"
#include "mainframe/main_frame.h"
#include "regmem/core_link.h"
#include "shell/settings.h"

namespace mainframe {

namespace {

class FrameSide : public appdebug::DebugFrame {
public:
    explicit FrameSide(CMainFrame& frame) : frame_(frame) {}
    HWND FrameWindow() const override { return frame_.m_hWnd; }
    bool IsConnected() const override { return frame_.m_bConnected != FALSE; }
    appdebug::ChildFrameKind ActiveChildKind() const override
    {
        CMDIChildWnd* child = frame_.MDIGetActive();
        if (!child)
            return appdebug::ChildFrameKind::None;
        const char* name = child->GetRuntimeClass()->m_lpszClassName;
        if (std::strcmp(name, "CChildFrame") == 0)
            return appdebug::ChildFrameKind::Source;
        if (std::strcmp(name, "CAsmFrame") == 0)
            return appdebug::ChildFrameKind::Disassembly;
        return appdebug::ChildFrameKind::Other;
    }
    // The disassembly view gives its caret's address once it is there.
    bool ActiveChildCursorAddress(ADDR*) const override { return false; }
    // A source window: the caret's line of its active view and the path of
    // its document.
    bool ActiveSourceCaret(int& line, std::string& path) const override
    {
        CMDIChildWnd* child = frame_.MDIGetActive();
        if (ActiveChildKind() != appdebug::ChildFrameKind::Source || !child)
            return false;
        auto* view = dynamic_cast<CBaseView*>(child->GetActiveView());
        if (!view || !view->GetDocument())
            return false;
        line = view->GetCaretLine();
        path = view->GetDocument()->GetPathName();
        return true;
    }
    // The register window (kind 1) and the memory windows (4 to 6); the
    // other kinds have no window class yet.
    appdebug::DebugWindow* CreateDebugWindow(int kind, const std::string& title, DWORD) override
    {
        return regmem::CreateRegMemWindow(kind, &frame_, title);
    }
    void RunMemoryTools() override { regmem::RunMemoryTools(&frame_); }
    void ActivateChild(appdebug::DebugWindow* window) override
    {
        if (auto* child = dynamic_cast<CMDIChildWnd*>(CWnd::FromHandle(window->Window())))
            frame_.MDIActivate(child);
    }
    platform::CWnd* MdiFrame() const override { return &frame_; }

private:
    CMainFrame& frame_;
};

// The register and memory windows' services with the frame's Edit toolbar:
// the memory view searches for the find box's text.
class FrameRegMemServices : public regmem::CoreServices {
public:
    explicit FrameRegMemServices(CMainFrame& frame) : CoreServices(frame.m_hWnd), frame_(frame) {}
    std::string FindText() override
    {
        std::string text;
        frame_.GetFindText(text);
        return text;
    }
    void AddFindText(const std::string& text) override { frame_.AddFindText(text); }

private:
    CMainFrame& frame_;
};

// The libraries' side of the frame's core, but for the run state its
// commands follow: the one the frame shows (CMainFrame::RunStateShown).
class FrameTargetSide final : public appdebug::TargetSide {
public:
    explicit FrameTargetSide(const CMainFrame& frame) : frame_(frame), lib_(appdebug::RealTargetSide()) {}

    DWORD CpuGetCpuStatus1() override { return frame_.RunStateShown(); }

    EmuResult EmuStep(int mode, int sourceLevel) override { return lib_.EmuStep(mode, sourceLevel); }
    EmuResult EmuRun(int mode, ADDR address) override { return lib_.EmuRun(mode, address); }
    EmuResult EmuSetPC(ADDR address) override { return lib_.EmuSetPC(address); }
    EmuResult EmuHalt() override { return lib_.EmuHalt(); }
    EmuResult EmuResetTarget(ADDR pc) override { return lib_.EmuResetTarget(pc); }
    EmuResult EmuRestart(int stopAtStart, const std::string& function) override
    {
        return lib_.EmuRestart(stopAtStart, function);
    }
    EmuResult AddTempBp(ADDR address) override { return lib_.AddTempBp(address); }
    int BptOpenWindow(HWND owner, ADDR address) override { return lib_.BptOpenWindow(owner, address); }
    int WhptOpenWindow(HWND owner) override { return lib_.WhptOpenWindow(owner); }
    void BptShowBpListW(int mode, platform::CWnd* mdiFrame) override { lib_.BptShowBpListW(mode, mdiFrame); }
    void EmuInit(HWND frame) override { lib_.EmuInit(frame); }
    EmuResult BptClearBp(ADDR address, int hwUnit) override { return lib_.BptClearBp(address, hwUnit); }
    void SemihostProgramLoaded() override { lib_.SemihostProgramLoaded(); }
    void EmuSetTargetConfig(const EMU_TARGET_CONFIG& config) override { lib_.EmuSetTargetConfig(config); }
    void InitDLL_CpuServer(intptr_t appValue, HWND frame, const std::string& cpu, int endian) override
    {
        lib_.InitDLL_CpuServer(appValue, frame, cpu, endian);
    }
    DWORD CpuGetCpuStatus() override { return lib_.CpuGetCpuStatus(); }
    void CpuSetCpuStatus(int running) override { lib_.CpuSetCpuStatus(running); }
    DWORD CpuGetPC() override { return lib_.CpuGetPC(); }
    void CpuSetPC(DWORD pc) override { lib_.CpuSetPC(pc); }
    int NewABIDLL(int useSimulator, const std::string& port, int* portAddress, const std::string& protocol,
                  int ocdLogPlusOne) override
    {
        return lib_.NewABIDLL(useSimulator, port, portAddress, protocol, ocdLogPlusOne);
    }
    void ExitABIDLL() override { lib_.ExitABIDLL(); }
    void MemCacheDisable(int disable, int disable2) override { lib_.MemCacheDisable(disable, disable2); }
    int LdrGetStartPC(ADDR* out) override { return lib_.LdrGetStartPC(out); }
    LdrResult LdrLoadWin(const std::string& path, unsigned flags, HWND progress) override
    {
        return lib_.LdrLoadWin(path, flags, progress);
    }
    int LdrIsSymbolLoaded() override { return lib_.LdrIsSymbolLoaded(); }
    void MemInitServer(HWND frame) override { lib_.MemInitServer(frame); }
    void MemExitServer() override { lib_.MemExitServer(); }
    void AdrSetExtAddrRange() override { lib_.AdrSetExtAddrRange(); }
    int AdrTextToAddr(const std::string& text, ADDR* out) override { return lib_.AdrTextToAddr(text, out); }
    void ShlInitServer(HWND frame, int flags) override { lib_.ShlInitServer(frame, flags); }
    void ShlStartServer() override { lib_.ShlStartServer(); }
    void ShlExitServer() override { lib_.ShlExitServer(); }
    int ShlExecuteCommand(const std::string& text) override { return lib_.ShlExecuteCommand(text); }
    void SymInitServer(HWND frame, int caseSensitive) override { lib_.SymInitServer(frame, caseSensitive); }
    int SymServerSymToAddr(const std::string& text, ADDR* out) override { return lib_.SymServerSymToAddr(text, out); }
    void SymNotifyTargetHalted() override { lib_.SymNotifyTargetHalted(); }
    void PeriInit() override { lib_.PeriInit(); }
    void PeriRefreshWindow() override { lib_.PeriRefreshWindow(); }
    bool TaskOpenWindow(int mode) override { return lib_.TaskOpenWindow(mode); }

private:
    const CMainFrame& frame_;
    appdebug::TargetSide& lib_;
};

class CoreLink : public FrameDebugCore {
public:
    // The register and memory windows ask their services of this frame's
    // core while it lives.
    explicit CoreLink(CMainFrame& frame)
        : services_(std::make_unique<FrameRegMemServices>(frame)), side_(frame), targetSide_(frame),
          core_(&side_, &targetSide_)
    {
        appdebug::SetCurrentDebugCore(&core_);
        previousServices_ = regmem::SetServices(services_.get());
        // The look-ups reach the loaded-module list, this frame and its
        // transfer flag while the core lives.
        lookups::ProgramLinks links = appdebug::LoadedModuleLinks();
        HWND window = frame.m_hWnd;
        links.mainWindow = [window] { return window; };
        links.transferBusy = [] { return shell::g_loadingImage != 0 || Globals().busyTransfer != FALSE; };
        previousLinks_ = lookups::SetProgramLinks(std::move(links));
        previousQuery_ = CProgressBar::SetLoadStatusQuery(&appdebug::SymGetLoadStatus);
    }
    ~CoreLink() override
    {
        if (appdebug::CurrentDebugCore() == &core_)
            appdebug::SetCurrentDebugCore(nullptr);
        if (&regmem::Services() == services_.get())
            regmem::SetServices(previousServices_);
        lookups::SetProgramLinks(std::move(previousLinks_));
        CProgressBar::SetLoadStatusQuery(previousQuery_);
    }
    BOOL ConnectTarget(BOOL useSimulator) override { return core_.ConnectTarget(useSimulator); }
    BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) override
    {
        return core_.OnCmdMsg(id, code, extra, info);
    }
    void RefreshDebugWindows(int kind, LPARAM param) override { core_.RefreshDebugWindows(kind, param); }
    LRESULT OnDebugWndClosed(int kind) override { return core_.OnDebugWndClosed(kind); }
    int AddWatch(const std::string& expression) override { return core_.AddWatch(expression); }
    int OpenInspectWindow(const std::string& name) override { return core_.OpenInspectWindow(name.c_str()); }
    void ExecShellCommand(const std::string& command) override { core_.ExecShellCommand(command.c_str()); }
    void FireEvent(int event, short value) override { core_.FireEvent(event, value); }
    IDispatch* Dispatch() override { return core_.GetIDispatch(TRUE); }
    void ReportTargetLost() override { core_.ReportTargetLost(); }
    HWND WatchWindow() const override { return core_.WatchWnd() ? core_.WatchWnd()->Window() : nullptr; }
    void LoadProgramFromDialog() override { core_.LoadProgramFromDialog(); }
    LdrResult LoadProgramImage(const std::string& path, DWORD flags) override
    {
        return appdebug::LoadTargetProgram(path, flags);
    }
    void ShowBreakpointList(int mode) override { core_.ShowBreakpointList(mode); }

private:
    std::unique_ptr<FrameRegMemServices> services_;
    regmem::DebugServices* previousServices_ = nullptr;
    lookups::ProgramLinks previousLinks_;
    CProgressBar::LoadStatusQuery previousQuery_ = nullptr;
    FrameSide side_;
    FrameTargetSide targetSide_;
    appdebug::CDebugCore core_;
};

FrameCoreMaker& Maker()
{
    static FrameCoreMaker maker;
    return maker;
}

}  // namespace

FrameCoreMaker SetFrameCoreMaker(FrameCoreMaker maker)
{
    FrameCoreMaker previous = std::move(Maker());
    Maker() = std::move(maker);
    return previous;
}

std::unique_ptr<FrameDebugCore> MakeFrameCore(CMainFrame& frame)
{
    if (Maker())
        return Maker()(frame);
    return std::make_unique<CoreLink>(frame);
}

}  // namespace mainframe

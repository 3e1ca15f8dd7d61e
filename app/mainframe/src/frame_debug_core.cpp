// The frame's debugger core: CDebugCore, seen from the frame through
// FrameDebugCore, with the frame as the DebugFrame it reports to (and the
// run state the frame shows, which the core's commands follow).
#include <cstring>

#include "appdebug/debug_core.h"
#include "appdebug/program_load.h"
#include "appdebug/source_lookups.h"
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
    bool ShownRunState(DWORD& state) const override
    {
        state = frame_.RunStateShown();
        return true;
    }

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

class CoreLink : public FrameDebugCore {
public:
    // The register and memory windows ask their services of this frame's
    // core while it lives.
    explicit CoreLink(CMainFrame& frame)
        : services_(std::make_unique<FrameRegMemServices>(frame)), side_(frame), core_(&side_)
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

// The frame's debugger core: CDebugCore, seen from the frame through
// FrameDebugCore, with the frame as the DebugFrame it reports to.
#include <cstring>

#include "appdebug/debug_core.h"
#include "mainframe/frame_core.h"
#include "mainframe/main_frame.h"

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
    // The source and disassembly views give their caret's address once
    // they are there.
    bool ActiveChildCursorAddress(ADDR*) const override { return false; }
    // No debug window class is registered with the frame yet.
    appdebug::DebugWindow* CreateDebugWindow(int, const std::string&, DWORD) override { return nullptr; }
    void ActivateChild(appdebug::DebugWindow*) override {}

private:
    CMainFrame& frame_;
};

class CoreLink : public FrameDebugCore {
public:
    explicit CoreLink(CMainFrame& frame) : side_(frame), core_(&side_) { appdebug::SetCurrentDebugCore(&core_); }
    ~CoreLink() override
    {
        if (appdebug::CurrentDebugCore() == &core_)
            appdebug::SetCurrentDebugCore(nullptr);
    }
    BOOL ConnectTarget(BOOL useSimulator) override { return core_.ConnectTarget(useSimulator); }
    BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) override
    {
        return core_.OnCmdMsg(id, code, extra, info);
    }
    void RefreshDebugWindows(int kind, LPARAM param) override { core_.RefreshDebugWindows(kind, param); }
    LRESULT OnDebugWndClosed(int kind) override { return core_.OnDebugWndClosed(kind); }
    int AddWatch(const std::string& expression) override { return core_.AddWatch(expression); }
    void ExecShellCommand(const std::string& command) override { core_.ExecShellCommand(command.c_str()); }
    void FireEvent(int event, short value) override { core_.FireEvent(event, value); }
    void ReportTargetLost() override { core_.ReportTargetLost(); }
    HWND WatchWindow() const override { return core_.WatchWnd() ? core_.WatchWnd()->Window() : nullptr; }
    void LoadProgramFromDialog() override { core_.OnLoadProgram(); }

private:
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

// What the main frame asks of its debugger core: the target connection, the
// route of the Debug menu's commands, the refresh and the closing of the
// debug windows by kind, the watch window, the command shell and the
// automation events. The frame owns one core, made in its creation by the
// installed maker and deleted in its destruction (which takes the target
// connection down).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ldr_types.h"
#include "platform/wnd.h"

namespace mainframe {

class CMainFrame;

// The automation events the frame fires on the core.
inline constexpr int kEventHalt = 1;
inline constexpr int kEventLoadEnd = 2;

class FrameDebugCore {
public:
    virtual ~FrameDebugCore() = default;
    // Brings the target side up; FALSE leaves the frame unconnected.
    virtual BOOL ConnectTarget(BOOL useSimulator) = 0;
    // The core's own command route (tried first while connected).
    virtual BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) = 0;
    // Refresh of the debug windows of a DebugViewKind (-1: every window).
    virtual void RefreshDebugWindows(int kind, LPARAM param) = 0;
    // A debug window of that kind went away: forget it. Its result.
    virtual LRESULT OnDebugWndClosed(int kind) = 0;
    // Opens or raises the watch window and adds the expression.
    virtual int AddWatch(const std::string& expression) = 0;
    // A floating inspector titled "Inspect-" + name; 1 when done.
    virtual int OpenInspectWindow(const std::string& name) { return 0; }
    // A command line for the command shell.
    virtual void ExecShellCommand(const std::string& command) = 0;
    // An automation event to the connected sinks.
    virtual void FireEvent(int event, short value) = 0;
    // The fatal target error prompt (Abort closes the main frame).
    virtual void ReportTargetLost() = 0;
    // The watch window, null when it is not open.
    virtual HWND WatchWindow() const { return nullptr; }
    // Without a project: asks for a program file and loads it.
    virtual void LoadProgramFromDialog() {}
    // Loads a program image into the target (LoadTargetProgram): the
    // loader's result (a refusal while running was shown already).
    virtual LdrResult LoadProgramImage(const std::string& path, DWORD flags) { return LDR_E_OPEN; }
    // The breakpoint list window: 0 closes it, 2 refreshes it when open.
    virtual void ShowBreakpointList(int mode) {}
    // The core's automation interface (referenced), or null.
    virtual IDispatch* Dispatch() { return nullptr; }
};

using FrameCoreMaker = std::function<std::unique_ptr<FrameDebugCore>(CMainFrame& frame)>;
// The maker frames created from now on use (null: CDebugCore). Returns the
// previous one.
FrameCoreMaker SetFrameCoreMaker(FrameCoreMaker maker);
std::unique_ptr<FrameDebugCore> MakeFrameCore(CMainFrame& frame);

}  // namespace mainframe

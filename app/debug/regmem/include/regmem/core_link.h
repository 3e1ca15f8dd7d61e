// The register and memory windows as the debugger core opens and keeps
// them: the main frame's CreateDebugWindow makes them with
// CreateRegMemWindow (kind 1 the register window, kinds 4-6 memory
// windows); the core's "Memory Actions" command runs RunMemoryTools; the
// services the windows ask for come from the core (InstallCoreServices).
#pragma once

#include <string>

#include "appdebug/debug_window.h"
#include "platform/frame_wnd.h"
#include "regmem/debug_services.h"

namespace regmem {

// A register or memory window as an MDI child of `frame`, shown; null for
// another kind or when the window could not be made.
appdebug::DebugWindow* CreateRegMemWindow(int kind, CMDIFrameWnd* frame, const std::string& title);

// The memory tools' sheet, modal, owned by `parent`; then the memory
// windows are read again.
void RunMemoryTools(CWnd* parent);

// The services over the main frame's debug core, the settings Simulate and
// RunAccess and the CPU model's run state. `frame` hears the updates.
class CoreServices : public DebugServices {
public:
    explicit CoreServices(HWND frame) : frame_(frame) {}
    HWND MainWindow() override { return frame_; }
    void ReportTargetConnectionLost() override;
    void AddWatch(const std::string& expression) override;
    bool Simulate() override;
    bool AccessRefused() override;

private:
    HWND frame_;
};

}  // namespace regmem

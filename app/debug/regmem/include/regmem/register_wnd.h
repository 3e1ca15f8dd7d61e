// CRegisterWnd: the register window, an MDI child with a tab bar of one
// CCpuView per register group of the CPU model. Tabs float into small
// frames of their own and dock back (WM_EMU_DOCK_TOGGLE); WM_EMU_REFRESH
// refreshes every tab and every floating view.
#pragma once

#include "appdebug/debug_window.h"
#include "dockview/dockable_view.h"
#include "lathris/frame.h"

namespace regmem {

class CRegisterWnd : public CCJMDIChildWnd, public appdebug::DebugWindow {
public:
    CRegisterWnd();
    // The debugger core's view of the window.
    int Kind() const override;
    HWND Window() const override { return m_hWnd; }
    bool IsVisible() const override;
    void BringToTop() override;
    void Show() override;
    // The saved record's rectangle and state (it stores its own there when
    // it is destroyed).
    void ApplyPlacement(const appdebug::DebugWindowPlacement& placement) override;
    void Destroy() override { DestroyWindow(); }
    BOOL OnCreateClient(CCreateContext* context) override;
    CViewTabBar& Tabs() { return tabs_; }
    dockview::DockToggleHost& Dock() { return dock_; }
    // The window that owns the floating frames (the main window).
    static CWnd* FloatOwner();
    static void SetFloatOwner(CWnd* owner);
    // The register window that is open (its tabs' and floating views' dock
    // requests go there); null when none is.
    static HWND Current();

    DECLARE_DYNCREATE(CRegisterWnd)

protected:
    void OnDestroy() override;

private:
    LRESULT OnRefreshAll();
    CViewTabBar tabs_;
    dockview::DockToggleHost dock_;
};

}  // namespace regmem

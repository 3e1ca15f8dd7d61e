// CRegisterWnd: the register window, an MDI child with a tab bar of one
// CCpuView per register group of the CPU model. Tabs float into small
// frames of their own and dock back (WM_EMU_DOCK_TOGGLE); WM_EMU_REFRESH
// refreshes every tab and every floating view.
#pragma once

#include "dockview/dockable_view.h"
#include "lathris/frame.h"

namespace regmem {

class CRegisterWnd : public CCJMDIChildWnd {
public:
    CRegisterWnd();
    BOOL OnCreateClient(CCreateContext* context) override;
    CViewTabBar& Tabs() { return tabs_; }
    dockview::DockToggleHost& Dock() { return dock_; }
    // The window that owns the floating frames (the main window).
    static CWnd* FloatOwner();
    static void SetFloatOwner(CWnd* owner);

    DECLARE_DYNCREATE(CRegisterWnd)

protected:
    void OnDestroy() override;

private:
    LRESULT OnRefreshAll();
    CViewTabBar tabs_;
    dockview::DockToggleHost dock_;
};

}  // namespace regmem

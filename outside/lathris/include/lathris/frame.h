// The main frame and MDI child bases, and the frame's bar manager.
//
// CBCGFrameImpl keeps a frame's customisable toolbars: the user bars (ids
// 59400-59409), their saved states, and the dock layout. The layout's bytes
// come from the frame's widget (DockLayoutHost; saveState/restoreState on
// Qt) wrapped in a "ZKDS" record that names the bars it places; the record
// is the registry value "Control Bars" under the frame's path.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "lathris/bar_state.h"
#include "lathris/tab_bar.h"
#include "lathris/toolbar.h"

namespace lathris {

// Registered messages sent to the main frame: a toolbar's context menu
// (wParam 0, lParam the point), the customize sheet's help, and a request to
// reset a toolbar (wParam the bar id) before its default buttons come back.
UINT BCGM_TOOLBARMENU();
UINT BCGM_CUSTOMIZEHELP();
UINT BCGM_RESETTOOLBAR();

// The widget's side of the dock layout.
class DockLayoutHost {
public:
    virtual ~DockLayoutHost() = default;
    virtual std::string SaveLayout() = 0;
    // False when the bytes are refused (nothing changed then).
    virtual bool RestoreLayout(const std::string& bytes) = 0;
};

class CBCGFrameImpl {
public:
    explicit CBCGFrameImpl(CFrameWnd* frame) : frame_(frame) {}
    ~CBCGFrameImpl();

    // Where user bars are kept and which bar ids they take (spelling as the
    // library has always had it).
    void InitUserToobars(const std::string& path, UINT firstId, UINT lastId);
    // A new empty user bar with the first free id; null when all are taken.
    CBCGToolBar* CreateUserToolbar(const std::string& name);
    BOOL DeleteUserToolbar(CBCGToolBar* bar);
    // The bars saved under the path: made again with their buttons.
    BOOL LoadUserToolbars();
    BOOL SaveUserToolbars();
    CBCGToolBar* GetUserBarByIndex(int index) const;
    int GetUserBarCount() const { return static_cast<int>(userBars_.size()); }

    // Every bar of the frame (toolbars and tab bars) with its state, and the
    // dock layout, under `path`. Loading refuses a damaged or foreign layout
    // (the default layout stays; LastError says where).
    BOOL SaveState(const std::string& path);
    BOOL LoadState(const std::string& path);
    // A whole record whose bars all exist in the frame.
    BOOL IsDockStateValid(const DockState& state) const;
    BOOL IsDockStateValid(const std::string& record) const;
    void SetLayoutHost(DockLayoutHost* host) { layoutHost_ = host; }
    DockLayoutHost* GetLayoutHost() const { return layoutHost_; }
    // The refusals of the last load, one per line ("file: key\value+offset: what").
    const std::string& LastError() const { return error_; }

    // Resets a toolbar after asking the frame (BCGM_RESETTOOLBAR).
    void ResetToolbar(CBCGToolBar* bar);

private:
    CFrameWnd* frame_;
    std::string userPath_;
    UINT firstUserId_ = ID_USER_TOOLBAR_FIRST;
    UINT lastUserId_ = ID_USER_TOOLBAR_LAST;
    std::vector<std::unique_ptr<CBCGToolBar>> userBars_;
    DockLayoutHost* layoutHost_ = nullptr;
    std::string error_;
};

class CCJMDIFrameWnd : public CMDIFrameWnd {
public:
    CCJMDIFrameWnd();
    // Sides on which sizing bars may dock.
    void EnableDockingSizeBar(DWORD alignment) { dockSides_ = alignment & CBRS_ALIGN_ANY; }
    DWORD GetDockingSizeBarSides() const { return dockSides_; }
    // Docks a sizing bar on `side` (CBRS_ALIGN_ bit; 0: the bar's own side).
    // `rect` (may be null) is the wanted place; the layout decides.
    void DockSizeBar(CCJControlBar* bar, DWORD side = 0, const RECT* rect = nullptr);
    // A top-level frame the application made (a floating view) appears with
    // the main frame's window.
    void AttachFloatingFrame(CFrameWnd* frame);
    void DetachFloatingFrame(CFrameWnd* frame);
    BOOL OnCreateClient(CCreateContext* context) override;
    BOOL PreTranslateMessage(MSG* msg) override;

    CBCGFrameImpl m_Impl;

    DECLARE_DYNCREATE(CCJMDIFrameWnd)

private:
    DWORD dockSides_ = 0;
};

class CCJMDIChildWnd : public CMDIChildWnd {
public:
    BOOL OnCreateClient(CCreateContext* context) override;
    DECLARE_DYNCREATE(CCJMDIChildWnd)
};

// The MDI client area of the main frame (its background).
class CBCGMainClientAreaWnd : public CWnd {
public:
    DECLARE_DYNAMIC(CBCGMainClientAreaWnd)
};

}  // namespace lathris

using lathris::CBCGFrameImpl;
using lathris::CBCGMainClientAreaWnd;
using lathris::CCJMDIChildWnd;
using lathris::CCJMDIFrameWnd;

// The lathris part of the demo: a main frame on CCJMDIFrameWnd with a
// customisable toolbar holding a find combo, a workspace tab bar of two views
// (a file list and a dockable register view), a floating register frame,
// and a source child. The frame answers WM_EMU_DOCK_TOGGLE like the
// register window. Qt-free; qt/ shows it.
#pragma once

#include "demo.h"
#include "dockview/dockable_view.h"
#include "lathris/customize.h"
#include "lathris/frame.h"

namespace guidemo {

inline constexpr UINT ID_DEMO_FIND = 32906;         // the toolbar's find combo
inline constexpr UINT IDW_DEMO_WORKSPACE = 0xE810;  // the workspace tab bar

// A list of the project's files.
class CFilesView : public CView {
public:
    bool GetCellPaint(int firstRow, int rows, CellPaint& paint) override;
    std::vector<std::string> files{"main.c", "startup.s", "uart.c", "uart.h", "hello.ld"};
    DECLARE_DYNCREATE(CFilesView)
};

// Registers of one group ("User", "FIQ", ...): a dockable view whose command
// asks the window hosting the workspace (the frame) to float or dock it.
class CRegisterView : public CDockableView {
public:
    CRegisterView();
    bool HasGroup() const override { return true; }
    BYTE GetGroup() const override { return group; }
    void SetGroup(BYTE g) override { group = g; }
    bool GetCellPaint(int firstRow, int rows, CellPaint& paint) override;
    // The rows shown: "R0   00000000" ...
    std::vector<std::string> Lines() const;
    BYTE group = 0;
    static HWND host;  // the window answering the dock request
    DECLARE_DYNCREATE(CRegisterView)
};

class CLathrisDemoFrame : public CCJMDIFrameWnd {
public:
    CLathrisDemoFrame();
    int OnCreate() override;
    lathris::CBCGToolBar toolBar;
    CStatusBar statusBar;
    CViewTabBar workspace;
    dockview::DockToggleHost dock;
    std::vector<std::string> log;  // commands run, for the tests
    DECLARE_DYNCREATE(CLathrisDemoFrame)

protected:
    void OnDestroy() override;
};

// The customize sheet of the frame (made with new; it deletes itself when
// closed): the Standard bar's commands, the source menu's, a user button.
lathris::CBCGToolbarCustomize* OpenCustomize(CLathrisDemoFrame* frame);

// The frame made (hidden) with its bars, a floating "FIQ" register frame and
// `source` (when not empty) open in an MDI child.
CLathrisDemoFrame* MakeLathrisFrame(const std::string& source);

}  // namespace guidemo

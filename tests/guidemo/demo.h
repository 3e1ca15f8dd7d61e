// The window-layer demo: an MDI frame with menu, toolbar and status bar, a
// source document shown by a self-drawn view in a dynamic splitter, an
// options dialog and a two-page sheet. Qt-free; qt/ shows it.
#pragma once

#include <string>
#include <vector>

#include "demo_ids.h"
#include "platform/dialog.h"
#include "platform/win_app.h"

namespace guidemo {

using namespace platform;

// Registers the demo's strings, menus, accelerators, toolbar and dialogs.
void RegisterResources();

class CSourceDoc : public CDocument {
public:
    void Serialize(CArchive& ar) override;
    void DeleteContents() override { lines.clear(); }
    std::vector<std::string> lines;
    DECLARE_DYNCREATE(CSourceDoc)
};

class CSourceView : public CView {
public:
    CSourceView();
    CSourceDoc* GetDocument() const { return static_cast<CSourceDoc*>(CView::GetDocument()); }
    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override;
    bool GetCellPaint(int firstRow, int rows, CellPaint& paint) override;
    // One page of rows, as printed (no selection).
    CellPaint PagePaint(int firstLine, int rows) const;

    // Dropped text becomes lines before the line under the point.
    DWORD OnDragOver(const std::string& text, DWORD keyState, POINT point) override;
    BOOL OnDrop(const std::string& text, DWORD effect, POINT point) override;

    BOOL OnPreparePrinting(CPrintInfo* info) override;
    void OnBeginPrinting(CDC* dc, CPrintInfo* info) override;
    void OnPrint(CDC* dc, CPrintInfo* info) override;

    int TopLine() const { return top_; }
    int CaretLine() const { return caret_; }
    int SelectionAnchor() const { return anchor_; }
    const std::vector<int>& Breakpoints() const { return breakpoints_; }
    int pcLine = 9;  // the demo's program counter mark
    // Where the last context menu was asked for (screen coordinates) and the
    // command its popup returned.
    POINT contextPoint{0, 0};
    UINT contextChoice = 0;

    static constexpr int kMarginCells = 7;
    static const std::vector<CellColors>& Formats();

    DECLARE_DYNCREATE(CSourceView)

protected:
    void OnKeyDown(UINT vk, UINT repeat, UINT flags) override;
    void OnVScroll(UINT code, UINT pos) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnLButtonDown(UINT flags, POINT point) override;
    // The popup of Run/Stop, Build, Copy and the breakpoint toggle, with the
    // main frame as its owner (so it runs the update pass and the command
    // route); a keyboard request (-1, -1) opens it at the top left.
    void OnContextMenu(POINT point) override;

private:
    int PageRows() const;
    void UpdateScroll();
    void ScrollTo(int line);
    void MoveCaret(int line, bool extend);
    CellRow MakeRow(int line, int screenRow, bool selection) const;
    int top_ = 0;
    int caret_ = 0;
    int anchor_ = -1;
    int linesPerPage_ = 60;
    std::vector<int> breakpoints_;
};

class CSourceChild : public CMDIChildWnd {
public:
    BOOL OnCreateClient(CCreateContext* context) override;
    CSplitterWnd splitter;
    DECLARE_DYNCREATE(CSourceChild)
};

class CDemoMainFrame : public CMDIFrameWnd {
public:
    CDemoMainFrame();
    int OnCreate() override;
    CToolBar toolBar;
    CStatusBar statusBar;
    std::vector<std::string> log;  // commands run, for the tests
    bool running = false;
    bool toggled = false;
    DECLARE_DYNCREATE(CDemoMainFrame)

protected:
    void OnTimer(UINT_PTR id) override;
};

class COptionsDlg : public CDialog {
public:
    COptionsDlg();
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    std::string name = "hello";
    DWORD address = 0x8000;
    int verbose = 1;
    int mode = 0;   // 0 ARM, 1 Thumb
    int speed = 1;  // combo index
    int file = 0;   // list index
};

class CViewPage : public CPropertyPage {
public:
    CViewPage();
    void DoDataExchange(CDataExchange* dx) override;
    int tabs = 4;
};

class CTargetPage : public CPropertyPage {
public:
    CTargetPage();
    void DoDataExchange(CDataExchange* dx) override;
    DWORD address = 0x8000;
};

class CDemoApp : public CWinApp {
public:
    CDemoApp();
    BOOL InitInstance() override;
    CMultiDocTemplate* sourceTemplate = nullptr;
    COptionsDlg options;
};

// The demo's main frame made (hidden) with `documents` opened.
CDemoMainFrame* MakeMainFrame(CDemoApp& app);

}  // namespace guidemo

// Frames: the main frame, MDI frame and children, mini frames, splitters.
//
// Command route (OnCmdMsg): an MDI frame asks its active child first (the
// child's active view -> that view's document -> the child frame -> the
// application), then its own active view (the tab-bar view that had the
// focus) -> itself -> the application. Menus and accelerators: the menu bar
// shows the active child's shared menu, else the frame's default menu;
// PreTranslateMessage tries the active child's table, then the frame's.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "platform/control_bars.h"
#include "platform/menu.h"
#include "platform/wnd.h"

namespace platform {

class CDocument;
class CDocTemplate;
class CView;
class CMDIChildWnd;

// What a frame needs to make its views.
struct CCreateContext {
    const CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
    CDocTemplate* m_pNewDocTemplate = nullptr;
    CFrameWnd* m_pCurrentFrame = nullptr;
};

class CFrameWnd : public CWnd {
public:
    CFrameWnd();

    // Create, menu and accelerators of resource `resourceId`, then the client
    // (OnCreateClient: one view of the context's class).
    virtual BOOL LoadFrame(UINT resourceId, CWnd* parent = nullptr, CCreateContext* context = nullptr);
    virtual BOOL OnCreateClient(CCreateContext* context);
    CView* CreateView(CCreateContext* context, UINT id = AFX_IDW_PANE_FIRST);

    virtual CView* GetActiveView() const { return activeView_; }
    void SetActiveView(CView* view, BOOL notify = TRUE);
    virtual CDocument* GetActiveDocument();
    // The frame's active MDI child or itself.
    virtual CFrameWnd* GetActiveFrame() { return this; }
    // Initial update of the views, activation, showing.
    virtual void InitialUpdateFrame(CDocument* doc, BOOL makeVisible);

    // Menus: the frame's own (default) menu and the one shown now.
    void SetDefaultMenu(std::shared_ptr<CMenu> menu);
    std::shared_ptr<CMenu> GetDefaultMenu() const { return defaultMenu_; }
    virtual std::shared_ptr<CMenu> GetShownMenu() const { return defaultMenu_; }
    void SetAccelTable(std::shared_ptr<AccelTable> table) { accel_ = std::move(table); }
    std::shared_ptr<AccelTable> GetAccelTable() const { return accel_; }

    // Bars by id.
    void AddControlBar(CControlBar* bar);
    void RemoveControlBar(CControlBar* bar);
    CControlBar* GetControlBar(UINT id) const;
    const std::vector<CControlBar*>& ControlBars() const { return bars_; }
    void ShowControlBar(CControlBar* bar, BOOL show, BOOL delay = FALSE);
    // The status bar's message pane (pane 0).
    void SetMessageText(const std::string& text);

    // The update pass of the bars (the outermost loop's idle turn).
    virtual void OnIdleUpdateCmdUI();

    std::string GetTitle() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }
    virtual void OnUpdateFrameTitle(BOOL addToTitle);

    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) override;

    DECLARE_DYNCREATE(CFrameWnd)

protected:
    void OnDestroy() override;
    void OnClose() override;
    // Views and bars tell the host; the MDI frame overrides.
    void NotifyHost(HostEvent event, CWnd* about);

    std::shared_ptr<CMenu> defaultMenu_;
    std::shared_ptr<AccelTable> accel_;
    std::vector<CControlBar*> bars_;
    CView* activeView_ = nullptr;
    std::string title_;
};

class CMDIFrameWnd : public CFrameWnd {
public:
    CMDIFrameWnd();

    // The active child (front of the stacking order), or null.
    CMDIChildWnd* MDIGetActive() const;
    // Children front to back.
    const std::vector<CMDIChildWnd*>& MDIChildren() const { return children_; }
    void MDIActivate(CMDIChildWnd* child);
    // WM_MDINEXT: the next child behind the active one (`previous`: the
    // backmost child comes to the front).
    void MDINext(BOOL previous = FALSE);
    void MDICascade() { NotifyHost(HostEvent::Cascade, nullptr); }
    void MDITile(BOOL horizontal)
    {
        NotifyHost(horizontal ? HostEvent::TileHorizontal : HostEvent::TileVertical, nullptr);
    }

    CFrameWnd* GetActiveFrame() override;
    CDocument* GetActiveDocument() override;
    std::shared_ptr<CMenu> GetShownMenu() const override;
    void OnIdleUpdateCmdUI() override;

    // The window list: children in the order they were opened. The "Window"
    // popup (the one holding ID_WINDOW_ commands) ends with a separator and
    // "&1 name" ... "&9 name" (ids from AFX_IDM_FIRST_MDICHILD, the active
    // child checked); choosing one activates that child.
    static constexpr int kMaxListedChildren = 9;
    std::vector<CMDIChildWnd*> MDIWindowList() const;
    static bool IsWindowMenu(const CMenu& popup);
    // Rewrites the list at the end of `popup` when it is the Window popup;
    // false (nothing changed) for another popup.
    bool UpdateWindowMenu(CMenu& popup) const;

    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) override;

    DECLARE_DYNCREATE(CMDIFrameWnd)

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    friend class CMDIChildWnd;
    void AddChild(CMDIChildWnd* child);
    void RemoveChild(CMDIChildWnd* child);
    std::vector<CMDIChildWnd*> children_;  // front: the most recently active
    std::vector<CMDIChildWnd*> opened_;    // in the order they were opened
    CMDIChildWnd* active_ = nullptr;
};

class CMDIChildWnd : public CFrameWnd {
public:
    CMDIChildWnd();
    // Creates the child inside `frame` (the application's main frame when
    // null) with the template's shared menu and accelerators.
    BOOL LoadFrame(UINT resourceId, CWnd* parent = nullptr, CCreateContext* context = nullptr) override;
    CMDIFrameWnd* GetMDIFrame() const { return mdiFrame_; }
    void MDIActivate();
    void MDIDestroy() { DestroyWindow(); }
    void SetSharedMenu(std::shared_ptr<CMenu> menu) { sharedMenu_ = std::move(menu); }
    std::shared_ptr<CMenu> GetSharedMenu() const { return sharedMenu_; }
    void InitialUpdateFrame(CDocument* doc, BOOL makeVisible) override;
    virtual void OnMDIActivate(BOOL activate) {}

    DECLARE_DYNCREATE(CMDIChildWnd)

protected:
    void OnDestroy() override;
    void OnClose() override;

private:
    CMDIFrameWnd* mdiFrame_ = nullptr;
    std::shared_ptr<CMenu> sharedMenu_;
};

// A tool window frame (small caption).
class CMiniFrameWnd : public CFrameWnd {
public:
    DECLARE_DYNCREATE(CMiniFrameWnd)
};

class CSplitterWnd : public CWnd {
public:
    CSplitterWnd();
    BOOL CreateStatic(CWnd* parent, int rows, int cols, UINT id = AFX_IDW_PANE_FIRST);
    // A dynamic splitter starts with one pane of the context's view class;
    // SplitRow/SplitColumn add panes with new views of that class on the same
    // document.
    BOOL Create(CWnd* parent, int maxRows, int maxCols, SIZE minPane, CCreateContext* context,
                UINT id = AFX_IDW_PANE_FIRST);
    BOOL CreateView(int row, int col, const CRuntimeClass* viewClass, SIZE initialSize, CCreateContext* context);
    CWnd* GetPane(int row, int col) const;
    int GetRowCount() const { return rows_; }
    int GetColumnCount() const { return cols_; }
    int GetMaxRows() const { return maxRows_; }
    int GetMaxColumns() const { return maxCols_; }
    bool IsDynamic() const { return dynamic_; }
    BOOL SplitRow(int cyBefore = 0);
    BOOL SplitColumn(int cxBefore = 0);
    void DeleteRow(int row);
    void DeleteColumn(int col);
    static UINT IdFromRowCol(int row, int col) { return AFX_IDW_PANE_FIRST + row * 16 + col; }

    DECLARE_DYNAMIC(CSplitterWnd)

private:
    BOOL AddPane(int row, int col);
    int rows_ = 0, cols_ = 0, maxRows_ = 1, maxCols_ = 1;
    bool dynamic_ = false;
    CCreateContext context_;
};

}  // namespace platform

using platform::CCreateContext;
using platform::CFrameWnd;
using platform::CMDIChildWnd;
using platform::CMDIFrameWnd;
using platform::CMiniFrameWnd;
using platform::CSplitterWnd;

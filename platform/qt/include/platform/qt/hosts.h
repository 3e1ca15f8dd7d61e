// The Qt hosts of the window logic: the self-drawn view, MDI child frames
// (with their splitters), the main frame (QMainWindow + QMdiArea, menus,
// toolbars, status bar), the application key filter, Qt timers and the idle
// turn of the outermost loop.
#pragma once

#include <QAbstractScrollArea>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>

#include <map>
#include <memory>

#include "platform/qt/cell_painter.h"
#include "platform/win_app.h"

class QPrinter;

namespace platform::qt {

// Detach from the logic: the widget goes with deleteLater.
class HostBase : public WindowHost {
public:
    explicit HostBase(QWidget* widget, CWnd* wnd) : widget_(widget), wnd_(wnd) { wnd->SetHost(this); }
    // A widget that goes first leaves its logic without a host.
    ~HostBase() override
    {
        if (wnd_ && wnd_->GetHost() == this)
            wnd_->SetHost(nullptr);
    }
    void Invalidate() override;
    void SetScrollInfo(int, const SCROLLINFO&) override {}
    SCROLLINFO GetScrollInfo(int) const override { return {}; }
    RECT GetClientRect() const override;
    void SetWindowText(const std::string& text) override;
    void ShowWindow(int cmd) override;
    bool IsVisible() const override;
    void SetFocus() override;
    bool HasFocus() const override;
    void Detach() override;
    RECT GetWindowRect() const override;
    POINT ClientOrigin() const override;
    void MoveTo(POINT screen) override;
    // Null once the logic's window was destroyed.
    CWnd* Wnd() const { return wnd_; }

protected:
    QPointer<QWidget> widget_;
    CWnd* wnd_;
};

class ViewWidget : public QAbstractScrollArea, public HostBase {
public:
    ViewWidget(CView* view, QWidget* parent = nullptr, const FontSpec& font = {});
    CView* View() const { return static_cast<CView*>(Wnd()); }
    const CellPainter& Painter() const { return painter_; }
    void SetScrollInfo(int bar, const SCROLLINFO& info) override;
    SCROLLINFO GetScrollInfo(int bar) const override;
    RECT GetClientRect() const override;
    SIZE CellSize() const override { return {painter_.Cell().width(), painter_.Cell().height()}; }
    void Invalidate() override { viewport()->update(); }
    // Rows the viewport shows (a partial last row counts).
    int VisibleRows() const;

protected:
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    // WM_CONTEXTMENU to the logic: the view's handle and the screen point
    // ((-1, -1) when the keyboard asked).
    void contextMenuEvent(QContextMenuEvent*) override;
    void focusInEvent(QFocusEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void dragEnterEvent(QDragEnterEvent*) override;
    void dragMoveEvent(QDragMoveEvent*) override;
    void dropEvent(QDropEvent*) override;

private:
    void OnAction(QScrollBar* bar, int action, UINT msg);
    CellPainter painter_;
    SCROLLINFO info_[2];
};

// A child frame's client: its views, or a splitter of views.
class ChildFrameWidget : public QWidget, public HostBase {
public:
    explicit ChildFrameWidget(CFrameWnd* frame);
    void Notify(HostEvent event, CWnd* about) override;
    // The placement of the MDI sub-window that holds this client; its normal
    // rectangle is kept while the sub-window is maximised or minimised.
    bool GetPlacement(WINDOWPLACEMENT* out) const override;
    bool SetPlacement(const WINDOWPLACEMENT& placement) override;
    // The sub-window the MDI area made for this client.
    void WatchFrame(QMdiSubWindow* sub);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Rebuild();
    QPointer<QMdiSubWindow> sub_;
    QRect normal_;  // in the MDI area's viewport
    QWidget* WidgetFor(CWnd* wnd, QWidget* parent);
};

class MainFrameWidget : public QMainWindow, public HostBase {
public:
    explicit MainFrameWidget(CMDIFrameWnd* frame);
    ~MainFrameWidget() override;
    CMDIFrameWnd* Frame() const { return static_cast<CMDIFrameWnd*>(Wnd()); }
    QMdiArea* MdiArea() const { return mdi_; }
    void Notify(HostEvent event, CWnd* about) override;
    // Builds the menu bar from the frame's shown menu.
    void RebuildMenus();
    void SyncBars();

protected:
    void closeEvent(QCloseEvent* event) override;
    // A bar whose own widget draws it (a status bar with a host): its
    // changes need no sync of the frame's bars.
    bool DrawnByItself(CWnd* about) const;

private:
    QMenu* BuildMenu(CMenu* menu, QWidget* parent);
    void AddChild(CMDIChildWnd* child);
    QMdiArea* mdi_;
    std::map<CWnd*, QMdiSubWindow*> subs_;
    std::map<CControlBar*, QWidget*> bars_;
    QPointer<QMdiSubWindow> lastPlaced_;  // the child window placed last
    bool syncing_ = false;
};

// Turns key events of the application's widgets into MSGs for the
// application's PreTranslateMessage (accelerators first); accepts
// ShortcutOverride for keys in the tables so they beat mnemonics.
class KeyFilter : public QObject {
public:
    explicit KeyFilter(CWinApp* app) : app_(app) {}
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Win32's view of a Qt key: the VK code, 0 when none.
    static int VirtualKey(int qtKey);

private:
    CWinApp* app_;
};

// Installs the key filter, Qt timers and the idle turn for `app`.
class WindowLayer {
public:
    explicit WindowLayer(CWinApp* app);
    ~WindowLayer();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Prints a view through the print protocol on `printer`: pages as the
// logic counts them. Returns the pages printed.
int PrintView(CView& view, QPrinter& printer);
// Replays a display list; with a `dirty` region only the cells that meet it
// (see CellPainter::Paint).
void ReplayDC(QPainter& p, const CDC& dc, const CellPainter& painter, int width, const QRegion& dirty = {});

}  // namespace platform::qt

// The Qt side of lathris: the main frame widget that shows the lathris bars
// (customisable toolbars with combo boxes, tab bars as dock widgets,
// floating frames as tool windows) and keeps the dock layout through
// saveState/restoreState, and the image file codec (BMP through QImage).
#pragma once

#include <QComboBox>
#include <QDockWidget>
#include <QMenu>
#include <QPointer>
#include <QTabWidget>
#include <QToolBar>

#include <map>
#include <vector>

#include "lathris/customize.h"
#include "lathris/frame.h"
#include "platform/qt/hosts.h"

namespace lathris::qt {

using platform::qt::HostBase;
using platform::qt::ViewWidget;

// A CBCGToolBar: actions for buttons, an editable QComboBox ("combo_<id>")
// for a combo button whose typed text the logic reads back at once.
class ToolBarWidget : public QToolBar {
public:
    ToolBarWidget(CBCGToolBar* bar, CFrameWnd* frame, QWidget* parent);
    // Rebuilds when the buttons changed, else only refreshes their states.
    void Sync();
    // Makes the buttons again (their labels come from the shown menu).
    void Rebuild();
    CBCGToolBar* Bar() const { return bar_; }

protected:
    // BCGM_TOOLBARMENU to the frame with the screen point.
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    QString LabelOf(const CBCGToolbarButton& b) const;
    void Command(UINT id);
    CBCGToolBar* bar_;
    CFrameWnd* frame_;
    std::string shape_;  // kinds and ids of the buttons shown
};

// A CCJTabCtrlBar: a dock widget ("bar_<id>") holding a tab widget of the
// bar's views. The tab's context menu holds the view's dock command with
// the text its update handler gives.
class TabBarWidget : public QDockWidget, public HostBase {
public:
    TabBarWidget(CCJTabCtrlBar* bar, QWidget* parent);
    CCJTabCtrlBar* Bar() const { return static_cast<CCJTabCtrlBar*>(Wnd()); }
    QTabWidget* Tabs() const { return tabs_; }
    void Notify(HostEvent event, CWnd* about) override;
    // The popup of a tab (null when its view has no dock command).
    QMenu* TabMenu(int index);

protected:
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void Rebuild();
    QTabWidget* tabs_;
    bool syncing_ = false;
};

// A floating frame (CDockWnd and other mini frames): a tool window with the
// frame's view. Its close box asks the logic (WM_CLOSE), which docks the view.
class FloatingFrameWidget : public QWidget, public HostBase {
public:
    explicit FloatingFrameWidget(CFrameWnd* frame, QWidget* owner);
    CFrameWnd* Frame() const { return static_cast<CFrameWnd*>(Wnd()); }
    void Notify(HostEvent event, CWnd* about) override;
    // The popup of the view (its dock command), null when none.
    QMenu* ViewMenu();

protected:
    void closeEvent(QCloseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void Rebuild();
};

// A CCoolBar: one tool bar row per band row; a band holding a CBCGToolBar
// shows its buttons, another band its text, in the rebar's colours.
class CoolBarWidget : public QToolBar {
public:
    CoolBarWidget(CCoolBar* bar, CFrameWnd* frame, QWidget* parent);
    void Sync();
    CCoolBar* Bar() const { return bar_; }

private:
    CCoolBar* bar_;
    CFrameWnd* frame_;
    unsigned revision_ = ~0u;
    std::vector<QPointer<ToolBarWidget>> inner_;  // the bands' toolbars of the current layout
};

class LathrisFrameWidget : public platform::qt::MainFrameWidget, public DockLayoutHost {
public:
    explicit LathrisFrameWidget(CCJMDIFrameWnd* frame);
    ~LathrisFrameWidget() override;
    CCJMDIFrameWnd* Frame() const { return static_cast<CCJMDIFrameWnd*>(Wnd()); }
    void Notify(HostEvent event, CWnd* about) override;
    void SyncLathrisBars();

    std::string SaveLayout() override;
    bool RestoreLayout(const std::string& bytes) override;

    ToolBarWidget* ToolBarOf(UINT id) const;
    TabBarWidget* TabBarOf(UINT id) const;
    FloatingFrameWidget* FloatingOf(CFrameWnd* frame) const;

private:
    std::map<CControlBar*, QPointer<QWidget>> lathrisBars_;
    std::map<CFrameWnd*, QPointer<FloatingFrameWidget>> floating_;
};

// Reads and writes BMP files with QImage; installed when the library loads.
class QtImageCodec : public ImageFileCodec {
public:
    bool Read(const std::string& file, ImageStrip& strip, std::string& error) override;
    bool Write(const std::string& file, const ImageStrip& strip, std::string& error) override;
};

// A popup of one command with the text the route's update handler gives.
QMenu* CommandMenu(CCmdTarget* target, UINT id, QWidget* parent, std::function<void()> run);

}  // namespace lathris::qt

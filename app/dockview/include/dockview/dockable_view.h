// Views that sit as a tab of a tab bar or float in a small frame of their
// own, and move between the two with one command (ID_VIEW_DOCK_TOGGLE).
//
// The view asks the window hosting its tab bar with WM_EMU_DOCK_TOGGLE
// (wParam 0, lParam the view); the host answers through DockToggleHost.
// Every float or dock makes a fresh view of the same class: only the name
// and the group pass from the old view to the new one.
#pragma once

#include <string>
#include <vector>

#include "emu_messages.h"
#include "lathris/tab_bar.h"
#include "platform/frame_wnd.h"

namespace dockview {

using namespace platform;

// Window styles of the floating frame and its view.
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_BORDER = 0x00800000;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD WS_SYSMENU = 0x00080000;
inline constexpr DWORD MFS_THICKFRAME = 0x00000400;
inline constexpr DWORD kFloatingFrameStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | MFS_THICKFRAME;  // 0x10C80400
inline constexpr DWORD kFloatingViewStyle = WS_CHILD | WS_VISIBLE | WS_BORDER;                       // 0x50800000

class CDockableView : public CView {
public:
    CDockableView();

    // 1 while the view lives in a CDockWnd, 0 while it is a tab.
    int m_nFloating = 0;
    // The tab label, and the floating frame's caption.
    std::string m_strName;

    // The register group a register view carries (its tabs are one group
    // each); other dockable views carry none.
    virtual bool HasGroup() const { return false; }
    virtual BYTE GetGroup() const { return 0; }
    virtual void SetGroup(BYTE group) {}

    // Sends WM_EMU_DOCK_TOGGLE to `host`; 0 when the host did not answer it
    // (or is gone).
    LRESULT RequestDockToggle(HWND host);

    DECLARE_DYNAMIC(CDockableView)
};

// The floating frame of one dockable view.
class CDockWnd : public CMiniFrameWnd {
public:
    CDockWnd() = default;  // dynamic creation sets nothing
    CDockWnd(const CRuntimeClass* viewClass, int group) : m_pViewClass(viewClass), m_nGroup(group) {}

    // A top-level tool window owned by `parent` with `caption`; its client
    // is a new view of the stored class. FALSE when the view could not be
    // made (the frame is destroyed then).
    BOOL Create(const char* className, const std::string& caption, DWORD style, const RECT& rect, CWnd* parent);
    BOOL OnCreateClient(CCreateContext* context) override;
    DWORD GetStyle() const { return style_; }
    RECT GetWindowRect() const { return rect_; }

    CView* m_pView = nullptr;
    const CRuntimeClass* m_pViewClass = nullptr;
    int m_nGroup = 0;  // the low byte is a register view's group

    DECLARE_DYNCREATE(CDockWnd)

protected:
    // The close box docks the view again; a frame left standing by that
    // request (its host is gone) closes itself.
    void OnClose() override;
    void OnDestroy() override;

private:
    DWORD style_ = 0;
    RECT rect_;
};

// The tab bar of dockable views.
class CViewTabBar : public lathris::CCJTabCtrlBar {
public:
    using CCJTabCtrlBar::AddView;
    // A new view of `viewClass` as a tab: a dockable view is marked docked
    // and named `label`; a view with a group takes `group`'s low byte.
    BOOL AddView(const std::string& label, const CRuntimeClass* viewClass, CCreateContext* context, int group);

    DECLARE_DYNAMIC(CViewTabBar)
};

// The host's side of WM_EMU_DOCK_TOGGLE: the window that owns the tab bar
// keeps one and returns its answer.
class DockToggleHost {
public:
    DockToggleHost(CViewTabBar& bar, CWnd* owner) : bar_(bar), owner_(owner) {}
    ~DockToggleHost() = default;  // the frames themselves go with their owner

    // Floats a docked view or docks a floating one: 0 done, -1 refused (the
    // view stays where it was).
    LRESULT OnDockToggle(LPARAM view);
    // A floating frame of a new view of `viewClass` named `caption`, kept in
    // the list of floating frames; null when it could not be made.
    CDockWnd* MakeFloatingFrame(const CRuntimeClass* viewClass, const std::string& caption, int group);
    const std::vector<CDockWnd*>& FloatingFrames() const { return floating_; }
    // Tabs of views that carry a group (the register tabs).
    int GroupTabs() const { return groupTabs_; }
    void SetGroupTabs(int count) { groupTabs_ = count; }

private:
    CViewTabBar& bar_;
    CWnd* owner_;
    std::vector<CDockWnd*> floating_;
    int groupTabs_ = 0;
};

// Eight upper-case hexadecimal digits with leading zeros into `buffer` (at
// least 9 bytes); the characters written (8).
int FormatHex8(char* buffer, DWORD value);

}  // namespace dockview

using dockview::CDockableView;
using dockview::CDockWnd;
using dockview::CViewTabBar;
using dockview::FormatHex8;

// WindowHost: a window logic's only way to its widget. The Qt half of each
// window implements it; Qt-free tests use FakeHost, which records the calls
// and answers with the sizes the test gives.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"
#include "win_ui.h"

namespace platform {

struct RECT {
    LONG left = 0, top = 0, right = 0, bottom = 0;
    LONG Width() const { return right - left; }
    LONG Height() const { return bottom - top; }
};
struct POINT {
    LONG x = 0, y = 0;
};
struct SIZE {
    LONG cx = 0, cy = 0;
};

struct SCROLLINFO {
    UINT cbSize = sizeof(SCROLLINFO);
    UINT fMask = 0;
    int nMin = 0;
    int nMax = 0;
    UINT nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};

// A window's placement (Win32's WINDOWPLACEMENT, 44 bytes): its show
// command and its normal (restored) rectangle. Here the rectangle is in
// screen coordinates for every window, MDI children included.
inline constexpr UINT WPF_RESTORETOMAXIMIZED = 2;
struct WINDOWPLACEMENT {
    UINT length = 44;
    UINT flags = 0;
    UINT showCmd = 0;
    POINT ptMinPosition;
    POINT ptMaxPosition;
    RECT rcNormalPosition;
};
static_assert(sizeof(WINDOWPLACEMENT) == 44);

class CWnd;

// What a frame or splitter tells its widget beyond painting.
enum class HostEvent {
    MenuChanged,  // the frame's shown menu is another one
    ChildAdded,   // an MDI child, splitter pane or bar (`about`)
    ChildRemoved,
    ChildActivated,  // the active MDI child or view changed
    BarsChanged,     // a bar was shown, hidden or changed its buttons or panes
    Cascade,
    TileHorizontal,
    TileVertical,
    Layout,  // the splitter's rows or columns changed
};

class WindowHost {
public:
    virtual ~WindowHost() = default;
    virtual void Invalidate() = 0;
    virtual void InvalidateRows(int firstRow, int lastRow) { Invalidate(); }
    virtual void SetScrollInfo(int bar, const SCROLLINFO& info) = 0;
    virtual SCROLLINFO GetScrollInfo(int bar) const = 0;
    virtual RECT GetClientRect() const = 0;
    virtual void SetWindowText(const std::string& text) = 0;
    virtual void ShowWindow(int cmd) = 0;
    virtual bool IsVisible() const = 0;
    virtual void SetFocus() = 0;
    virtual bool HasFocus() const = 0;
    // The logic's window is gone: the widget goes at the next turn of the loop.
    virtual void Detach() = 0;
    // Cell size of the view's font: width and line height in pixels.
    virtual SIZE CellSize() const { return {8, 16}; }
    virtual void Notify(HostEvent event, CWnd* about) {}
    // The window's outer rectangle and its client origin in screen
    // coordinates; a move keeps the size and puts the outer top-left corner
    // at a screen point.
    virtual RECT GetWindowRect() const { return GetClientRect(); }
    virtual POINT ClientOrigin() const { return {}; }
    virtual void MoveTo(POINT screen) {}
    // The placement of the window (an MDI child: of its frame in the MDI
    // area); false when the host keeps none.
    virtual bool GetPlacement(WINDOWPLACEMENT* out) const { return false; }
    virtual bool SetPlacement(const WINDOWPLACEMENT& placement) { return false; }
};

// The host of Qt-free tests: a client area of the given size, scroll bars
// that keep what they are told, a log of what the logic asked for.
class FakeHost : public WindowHost {
public:
    explicit FakeHost(RECT client = {0, 0, 640, 480}) : client(client) {}
    void Invalidate() override { ++invalidations; }
    void SetScrollInfo(int bar, const SCROLLINFO& info) override;
    SCROLLINFO GetScrollInfo(int bar) const override { return bars[bar == SB_HORZ ? 0 : 1]; }
    RECT GetClientRect() const override { return client; }
    void SetWindowText(const std::string& t) override { text = t; }
    void ShowWindow(int cmd) override { visible = cmd != SW_HIDE && cmd != SW_MINIMIZE; }
    bool IsVisible() const override { return visible; }
    void SetFocus() override { focused = true; }
    bool HasFocus() const override { return focused; }
    void Detach() override { detached = true; }
    SIZE CellSize() const override { return cell; }
    void Notify(HostEvent event, CWnd* about) override { events.push_back(event); }
    RECT GetWindowRect() const override { return window.right > window.left ? window : client; }
    POINT ClientOrigin() const override { return origin; }
    void MoveTo(POINT screen) override
    {
        const RECT r = GetWindowRect();
        window = {screen.x, screen.y, screen.x + r.Width(), screen.y + r.Height()};
    }
    bool GetPlacement(WINDOWPLACEMENT* out) const override
    {
        *out = placement;
        return true;
    }
    bool SetPlacement(const WINDOWPLACEMENT& p) override
    {
        placement = p;
        return true;
    }

    std::vector<HostEvent> events;
    RECT client;
    RECT window;  // empty: the client rectangle
    POINT origin;
    WINDOWPLACEMENT placement = [] {
        WINDOWPLACEMENT p;
        p.showCmd = SW_SHOWNORMAL;
        return p;
    }();
    SIZE cell{8, 16};
    SCROLLINFO bars[2];
    std::string text;
    bool visible = false;
    bool focused = false;
    bool detached = false;
    int invalidations = 0;
};

}  // namespace platform

using platform::POINT;
using platform::RECT;
using platform::SCROLLINFO;
using platform::SIZE;
using platform::WINDOWPLACEMENT;
using platform::WPF_RESTORETOMAXIMIZED;

// CWnd: a window's logic. Its handle is a message sink of the platform
// layer; WindowProc turns messages into the virtual handlers below (after
// the message map's OnMessage entries) and WM_COMMAND into the command route.
// The widget, when there is one, is reached through the WindowHost.
//
// DestroyWindow runs OnDestroy at once, destroys the children, stops the
// timers, drops the handle and tells the host to let the widget go. An
// auto-deleting window (frames, views) is deleted only after the outermost
// message dispatch running on the thread has returned, so a window may
// destroy itself inside its own handler.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/cmd_target.h"
#include "platform/messages.h"
#include "platform/timers.h"
#include "platform/window_host.h"

namespace platform {

class CFrameWnd;

class CWnd : public CCmdTarget, private MessageSink {
public:
    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    static CWnd* FromHandle(HWND hwnd);

    // Registers the handle and sends WM_CREATE; FALSE (and no handle) when
    // OnCreate returns -1.
    virtual BOOL Create(CWnd* parent, UINT id = 0, const std::string& text = {});
    virtual BOOL DestroyWindow();
    bool IsDestroying() const { return destroying_; }

    CWnd* GetParent() const { return parent_; }
    const std::vector<CWnd*>& Children() const { return children_; }
    UINT GetDlgCtrlID() const { return id_; }
    void SetDlgCtrlID(UINT id) { id_ = id; }
    CWnd* GetDescendantWindow(UINT id) const;
    // The nearest frame above (not this window).
    CFrameWnd* GetParentFrame() const;
    // The frame at the top of the parent chain.
    CFrameWnd* GetTopLevelFrame() const;

    void SetHost(WindowHost* host) { host_ = host; }
    WindowHost* GetHost() const { return host_; }

    // Window operations through the host (no-ops without one).
    void Invalidate(BOOL erase = TRUE);
    void GetClientRect(RECT* rect) const;
    // Screen coordinates: the outer rectangle, a client point; a move of the
    // outer top-left corner that keeps the size.
    void GetWindowRect(RECT* rect) const;
    void ClientToScreen(POINT* point) const;
    void MoveWindowTo(POINT screen);
    void ScreenToClient(POINT* point) const;
    // The placement through the host (rectangle in screen coordinates);
    // FALSE without a host that keeps one.
    BOOL GetWindowPlacement(WINDOWPLACEMENT* placement) const;
    BOOL SetWindowPlacement(const WINDOWPLACEMENT* placement);
    BOOL IsZoomed() const;
    int SetScrollInfo(int bar, const SCROLLINFO& info, BOOL redraw = TRUE);
    BOOL GetScrollInfo(int bar, SCROLLINFO* info, UINT mask = SIF_ALL) const;
    int GetScrollPos(int bar) const;
    void SetWindowText(const std::string& text);
    std::string GetWindowText() const { return text_; }
    BOOL ShowWindow(int cmd);
    BOOL IsWindowVisible() const;
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const { return enabled_; }
    CWnd* SetFocus();

    UINT_PTR SetTimer(UINT_PTR id, UINT ms);
    BOOL KillTimer(UINT_PTR id);

    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

    // Key messages before dispatch; TRUE eats the message.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // The route of command ids and control notifications.
    BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) override;

    DECLARE_DYNAMIC(CWnd)

protected:
    // The message map's registrations beside the handlers of the same names.
    using CCmdTarget::OnCommand;
    using CCmdTarget::OnMessage;

    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) { return 0; }
    // WM_COMMAND: a command from a menu or accelerator (lParam 0, code 0 or 1)
    // runs only while its update state is enabled.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // Called after the handle died; auto-deleting windows are deleted then.
    virtual void PostNcDestroy();

    virtual int OnCreate() { return 0; }
    virtual void OnDestroy() {}
    virtual void OnClose() { DestroyWindow(); }
    virtual void OnTimer(UINT_PTR id) {}
    virtual void OnSize(UINT type, int cx, int cy) {}
    virtual void OnSetFocus() {}
    virtual void OnKillFocus() {}
    virtual void OnKeyDown(UINT vk, UINT repeat, UINT flags) {}
    virtual void OnKeyUp(UINT vk, UINT repeat, UINT flags) {}
    virtual void OnChar(UINT ch, UINT repeat, UINT flags) {}
    virtual void OnVScroll(UINT code, UINT pos) {}
    virtual void OnHScroll(UINT code, UINT pos) {}
    virtual void OnLButtonDown(UINT flags, POINT point) {}
    virtual void OnLButtonUp(UINT flags, POINT point) {}
    virtual void OnLButtonDblClk(UINT flags, POINT point) {}
    virtual void OnRButtonDown(UINT flags, POINT point) {}
    virtual void OnMouseMove(UINT flags, POINT point) {}
    virtual BOOL OnMouseWheel(UINT flags, short delta, POINT point) { return FALSE; }
    virtual void OnContextMenu(POINT point) {}

    bool m_bAutoDelete = false;

private:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    CWnd* SinkWindow() override { return this; }
    void AddChild(CWnd* child);
    void RemoveChild(CWnd* child);

    CWnd* parent_ = nullptr;
    std::vector<CWnd*> children_;
    WindowHost* host_ = nullptr;
    UINT id_ = 0;
    std::string text_;
    bool enabled_ = true;
    bool visible_ = false;
    bool destroying_ = false;
};

// Deletes `object` after the outermost dispatch of this thread has returned
// (at once outside any dispatch).
void DeleteAfterDispatch(CObject* object);
// Messages being dispatched to windows on this thread right now.
int DispatchDepth();

}  // namespace platform

using platform::CWnd;

// Command targets: objects with a message map filled in their constructor,
// and the CCmdUI through which the update pass asks a command's handler for
// its state (enabled, checked, text) of a menu item, button or pane.
//
//   CMainFrame::CMainFrame() {
//       OnCommand(ID_FILE_OPEN, [this] { OnFileOpen(); });
//       OnUpdate(ID_EDIT_COPY, [this](CCmdUI* ui) { ui->Enable(HasSelection()); });
//       OnMessage(WM_TIMER, [this](WPARAM id, LPARAM) { OnTimer(id); return 0; });
//   }
//
// OnCmdMsg(id, code, extra, info) serves three uses with one route: execute
// (code CN_COMMAND or a control notification), update (CN_UPDATE_COMMAND_UI,
// extra = the CCmdUI*) and probe (info set: is there a handler, nothing runs).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "command_ids.h"
#include "platform/runtime_class.h"
#include "platform/win32.h"
#include "win_ui.h"

namespace platform {

class CCmdTarget;
class CMenu;

inline constexpr int CN_COMMAND = 0;
inline constexpr int CN_UPDATE_COMMAND_UI = -1;

// Filled by a probe: the object whose map holds the handler.
struct AFX_CMDHANDLERINFO {
    CCmdTarget* pTarget = nullptr;
};

class CCmdUI {
public:
    virtual ~CCmdUI() = default;
    UINT m_nID = 0;
    UINT m_nIndex = 0;
    UINT m_nIndexMax = 0;
    CMenu* m_pMenu = nullptr;  // the menu item's menu
    // A handler that leaves the decision to the next target of the route.
    bool m_bContinueRouting = false;

    virtual void Enable(BOOL on = TRUE);
    virtual void SetCheck(int check = 1);  // 0 off, 1 on, 2 indeterminate
    virtual void SetRadio(BOOL on = TRUE) { SetCheck(on ? 1 : 0); }
    virtual void SetText(const char* text);
    void ContinueRouting() { m_bContinueRouting = true; }

    // Asks `target`'s route for the state; with no update handler the item is
    // enabled iff the route has a command handler (when `disableIfNoHandler`).
    bool DoUpdate(CCmdTarget* target, bool disableIfNoHandler);

    // What the last update asked for (also read by tests and hosts).
    bool enabled = true;
    int checked = 0;
    bool textSet = false;
    std::string text;
    bool handled = false;  // an update handler ran
};

class CCmdTarget : public CObject {
public:
    CCmdTarget() = default;
    ~CCmdTarget() override = default;

    // The route: this object's map; derived classes pass on to the next
    // target. True when a handler took the command.
    virtual BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info);

    // The state the update pass would show for a command routed from here.
    CCmdUI QueryCommandState(UINT id);

    DECLARE_DYNAMIC(CCmdTarget)

protected:
    using Command = std::function<void()>;
    using CommandEx = std::function<BOOL(UINT id)>;  // FALSE: routing goes on
    using Update = std::function<void(CCmdUI*)>;
    using Message = std::function<LRESULT(WPARAM, LPARAM)>;

    void OnCommand(UINT id, Command handler);
    void OnCommandRange(UINT first, UINT last, std::function<void(UINT id)> handler);
    void OnCommandEx(UINT id, CommandEx handler);
    void OnUpdate(UINT id, Update handler);
    // The same, for views: CView::OnUpdate (the document's notification)
    // hides the name there.
    void OnUpdateCommandUI(UINT id, Update handler) { OnUpdate(id, std::move(handler)); }
    void OnUpdateRange(UINT first, UINT last, Update handler);
    // Control notifications (BN_CLICKED, EN_CHANGE, LBN_SELCHANGE...).
    void OnNotify(UINT id, int code, Command handler);
    void OnMessage(UINT msg, Message handler);

    // The window message handler for `msg`, or null.
    const Message* FindMessage(UINT msg) const;

    // This object's own map only.
    BOOL DispatchOwn(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info);

private:
    struct Entry {
        int code;
        UINT first, last;
        std::function<BOOL(UINT id, void* extra)> fn;
    };
    std::vector<Entry> entries_;
    std::vector<std::pair<UINT, Message>> messages_;
};

}  // namespace platform

using platform::AFX_CMDHANDLERINFO;
using platform::CCmdTarget;
using platform::CCmdUI;
using platform::CN_COMMAND;
using platform::CN_UPDATE_COMMAND_UI;

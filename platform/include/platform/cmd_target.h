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
//
// The automation side: a dispatch map, filled in the constructor like the
// message map, and reference counting by clients.
//
//   CBkptObj::CBkptObj() {
//       EnableAutomation();
//       DispProperty("Address", VT_I4, [this](DispatchCall& c) { ... });  // DISPID 1
//       DispMethod("Clear", VT_EMPTY, VTS_NONE, [this](DispatchCall&) { ... });  // DISPID 2
//   }
//
// DISPIDs go by position in the map, from 1, unless a member names its own
// (DISPID_VALUE, DISPID_NEWENUM). The object's external reference count
// starts at one, the creator's; GetIDispatch(TRUE) and clients add to it, and
// the last ExternalRelease calls OnFinalRelease, which deletes the object.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "command_ids.h"
#include "platform/automation_types.h"
#include "platform/runtime_class.h"
#include "platform/win32.h"
#include "win_ui.h"

class IDispatch;
class IConnectionPoint;
namespace zk::automation {
class DispatchCall;
}

namespace platform {

class CCmdTarget;
class CMenu;
struct CmdTargetAutomation;

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
    CCmdTarget();
    ~CCmdTarget() override;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // The route: this object's map; derived classes pass on to the next
    // target. True when a handler took the command.
    virtual BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info);

    // The state the update pass would show for a command routed from here.
    CCmdUI QueryCommandState(UINT id);

    DECLARE_DYNAMIC(CCmdTarget)

    // --- Automation ---
    // Makes the object answer IDispatch from its dispatch map.
    void EnableAutomation();
    // Adds the connection-point container (IConnectionPointContainer), whose
    // points are GetConnectionHook's and GetExtraConnectionPoints'.
    void EnableConnections();
    bool IsAutomationEnabled() const;
    // The object's dispatch interface (one more reference when addRef), or
    // null without automation.
    IDispatch* GetIDispatch(BOOL addRef);
    // The object behind a dispatch interface of this layer's objects, else null.
    static CCmdTarget* FromIDispatch(IDispatch* dispatch);
    ULONG ExternalAddRef();
    // At zero: OnFinalRelease. A release at zero does nothing.
    ULONG ExternalRelease();
    HRESULT ExternalQueryInterface(REFIID iid, void** object);
    ULONG ExternalRefCount() const;
    // The last client let go: deletes the object.
    virtual void OnFinalRelease();
    // The object's own dispatch interface, answered by QueryInterface like
    // IDispatch; FALSE when it has none.
    virtual BOOL GetDispatchIID(IID* iid);
    // The connection point of an events interface (not referenced), or null.
    virtual IConnectionPoint* GetConnectionHook(REFIID iid);
    // Appends further connection points (not referenced); TRUE when it did.
    virtual BOOL GetExtraConnectionPoints(std::vector<IConnectionPoint*>* points);
    // Further interfaces of the object (referenced by the caller's
    // QueryInterface, which adds the reference), or null.
    virtual void* GetInterfaceHook(REFIID iid);

    using DispHandler = std::function<HRESULT(zk::automation::DispatchCall&)>;

protected:
    // Dispatch map entries, numbered by position. A get writes
    // call.Result(); a put reads call.Value(), already of the property's
    // type. A property without a put is read-only.
    void DispProperty(const char* name, VARTYPE type, DispHandler get, DispHandler put = {});
    void DispMethod(const char* name, VARTYPE result, const char* params, DispHandler method, uint8_t optional = 0);
    // The same under a fixed DISPID.
    void DispPropertyId(const char* name, DISPID dispid, VARTYPE type, DispHandler get, DispHandler put = {});
    void DispMethodId(const char* name, DISPID dispid, VARTYPE result, const char* params, DispHandler method,
                      uint8_t optional = 0);
    // The source named in the exception information of failed calls.
    void SetAutomationSource(const char* source);

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
    friend struct CmdTargetAutomation;
    CmdTargetAutomation& Automation();
    std::unique_ptr<CmdTargetAutomation> automation_;
};

}  // namespace platform

using platform::AFX_CMDHANDLERINFO;
using platform::CCmdTarget;
using platform::CCmdUI;
using platform::CN_COMMAND;
using platform::CN_UPDATE_COMMAND_UI;

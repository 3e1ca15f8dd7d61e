#include "shell/qedit_proxy.h"

#include "platform/automation_ids.h"
#include "platform/dispatch.h"
#include "shell/debugger_app.h"

namespace shell {

using zk::automation::DispatchCall;

IMPLEMENT_DYNCREATE(CQEditProxy, CCmdTarget)

COleObjectFactory g_qeditProxyFactory(CLSID_Application, RUNTIME_CLASS(CQEditProxy), TRUE, "Vantirel.Application");

namespace {

HRESULT Dispatch(DispatchCall& call, IDispatch* object)
{
    call.Result().vt = VT_DISPATCH;
    call.Result().pdispVal = object;  // referenced, or null
    return S_OK;
}

}  // namespace

CQEditProxy::CQEditProxy()
{
    EnableAutomation();
    AfxOleLockApp();
    DispProperty("Debugger", VT_DISPATCH,
                 [this](DispatchCall& c) { return Dispatch(c, m_pApp ? m_pApp->DebuggerDispatch() : nullptr); });
    DispProperty("App", VT_DISPATCH, [this](DispatchCall& c) {
        CCmdTarget* server = m_pApp ? m_pApp->ScriptServer() : nullptr;
        return Dispatch(c, server ? server->GetIDispatch(TRUE) : nullptr);
    });
    DispMethod("AddRefer", VT_EMPTY, VTS_NONE, [this](DispatchCall&) {
        ExternalAddRef();
        return S_OK;
    });
    DispMethod("ReleaseRefer", VT_EMPTY, VTS_NONE, [this](DispatchCall&) {
        ExternalRelease();
        return S_OK;
    });

    m_pApp = dynamic_cast<CDebuggerApp*>(AfxGetApp());
    if (m_pApp) {
        m_pApp->m_pAutomationProxy = this;
        if (m_pApp->m_pMainWnd)
            m_pApp->m_pMainWnd->ShowWindow(SW_SHOW);
    }
}

CQEditProxy::~CQEditProxy()
{
    if (m_pApp) {
        m_pApp->m_pAutomationProxy = nullptr;
        // Only a program started for automation ends with its last client.
        if (!AfxOleGetUserCtrl())
            PostQuitMessage(0);
    }
    AfxOleUnlockApp();
}

}  // namespace shell

// CScriptServer: the engine's life (start, load, execute, forms, stop,
// close) and the site through which the engine finds the named items and
// reports errors.
#include "scriptsrv/script_server.h"

#include <strings.h>

#include "appdebug/debug_core.h"
#include "platform/automation_ids.h"
#include "platform/ole.h"
#include "platform/win_app.h"
#include "shell/settings.h"

namespace scriptsrv {

const IID IID_IScriptServer = {0x79276215, 0x7C43, 0x4F0B, {0xBF, 0xD8, 0x24, 0x47, 0x3A, 0xF7, 0x3A, 0x52}};
const IID IID_IScriptEvents = {0x5E0C7A21, 0x93D4, 0x4B18, {0x8A, 0x61, 0x2F, 0x47, 0xC9, 0x0E, 0x15, 0xB3}};
const CLSID CLSID_ScriptServer = {0x18E5C56A, 0xE505, 0x4724, {0xA7, 0xD2, 0x14, 0x70, 0x91, 0x30, 0x9B, 0x8A}};

namespace {

constexpr char kScripter[] = "Scripter";
constexpr DWORD kScripterFlags = SCRIPTITEM_ISVISIBLE | SCRIPTITEM_ISSOURCE | SCRIPTITEM_GLOBALMEMBERS;
constexpr DWORD kItemFlags = SCRIPTITEM_ISVISIBLE | SCRIPTITEM_ISSOURCE;

const zk::automation::DispatchMember kScriptEvents[] = {
    {"DebugError", 1, zk::automation::MemberKind::Method, VTS_BSTR VTS_I4, VT_EMPTY},
};

}  // namespace

// The site's references are the server's.
class CScriptServer::Site final : public IActiveScriptSite {
public:
    explicit Site(CScriptServer& owner) : owner_(owner) {}
    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IActiveScriptSite) {
            *object = static_cast<IActiveScriptSite*>(this);
        } else if (riid == IID_IActiveScriptSiteWindow) {
            *object = owner_.siteWindow_.get();
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return owner_.ExternalAddRef(); }
    ULONG Release() override { return owner_.ExternalRelease(); }
    HRESULT GetLCID(LCID*) override { return E_NOTIMPL; }
    HRESULT GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item, ITypeInfo** typeInfo) override
    {
        return owner_.GetItemInfo(name, mask, item, typeInfo);
    }
    HRESULT GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    HRESULT OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    HRESULT OnStateChange(SCRIPTSTATE) override { return S_OK; }
    HRESULT OnScriptError(IActiveScriptError* error) override { return owner_.OnScriptError(error); }
    HRESULT OnEnterScript() override { return S_OK; }
    HRESULT OnLeaveScript() override { return S_OK; }

private:
    CScriptServer& owner_;
};

class CScriptServer::SiteWindow final : public IActiveScriptSiteWindow {
public:
    explicit SiteWindow(CScriptServer& owner) : owner_(owner) {}
    HRESULT QueryInterface(REFIID riid, void** object) override { return owner_.site_->QueryInterface(riid, object); }
    ULONG AddRef() override { return owner_.ExternalAddRef(); }
    ULONG Release() override { return owner_.ExternalRelease(); }
    HRESULT GetWindow(HWND* window) override
    {
        if (!window)
            return E_POINTER;
        CWinApp* app = AfxGetApp();
        if (!app || !app->m_pMainWnd || !app->m_pMainWnd->m_hWnd)
            return E_FAIL;
        *window = app->m_pMainWnd->m_hWnd;
        return S_OK;
    }
    // The program's windows follow the script's modal boxes by themselves.
    HRESULT EnableModeless(BOOL) override { return AfxGetApp() ? S_OK : E_FAIL; }

private:
    CScriptServer& owner_;
};

IMPLEMENT_DYNCREATE(CScriptServer, CCmdTargetPlus)

CScriptServer::CScriptServer() : site_(std::make_unique<Site>(*this)), siteWindow_(std::make_unique<SiteWindow>(*this))
{
    m_piidPrimary = &IID_IScriptServer;
    m_piidEvents = &IID_IScriptEvents;
    SetAutomationSource("Scripter");
    AfxOleLockApp();
    zk::script::RegisterVBScriptEngine();
    MapMembers();
}

CScriptServer::~CScriptServer()
{
    CloseScriptEngine();
    DropFormItems();
    SetSimulatorObject(nullptr);
    AfxOleUnlockApp();
}

HRESULT CScriptServer::GetClassID(CLSID* clsid)
{
    *clsid = CLSID_ScriptServer;
    return S_OK;
}

zk::automation::DispatchTable CScriptServer::GetEventMap() const
{
    return kScriptEvents;
}

IActiveScriptSite* CScriptServer::ScriptSite()
{
    return site_.get();
}

void CScriptServer::SetSimulatorObject(IDispatch* simulator)
{
    if (simulator)
        simulator->AddRef();
    if (simulator_)
        simulator_->Release();
    simulator_ = simulator;
}

HRESULT CScriptServer::AddItem(const char* name, DWORD flags)
{
    return engine_ ? engine_->AddNamedItem(name, flags) : E_UNEXPECTED;
}

BOOL CScriptServer::StartScriptEngine()
{
    void* made = nullptr;
    if (FAILED(CoCreateInstance(CLSID_VBScript, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript, &made)) || !made)
        return FALSE;
    engine_ = static_cast<IActiveScript*>(made);
    void* parse = nullptr;
    if (FAILED(engine_->QueryInterface(IID_IActiveScriptParse, &parse)) || !parse ||
        FAILED(engine_->SetScriptSite(site_.get())) || FAILED(static_cast<IActiveScriptParse*>(parse)->InitNew())) {
        if (parse)
            static_cast<IActiveScriptParse*>(parse)->Release();
        ReleaseEngine();
        return FALSE;
    }
    parser_ = static_cast<IActiveScriptParse*>(parse);

    objects_[kScripter] = this;
    AddItem(kScripter, kScripterFlags);
    if (theSettings.Simulate && simulator_) {
        pointers_["SimObj"] = simulator_;
        AddItem("SimObj", kItemFlags);
    }
    objects_["Debugger"] = appdebug::CurrentDebugCore();
    AddItem("Debugger", kItemFlags);
    return TRUE;
}

BOOL CScriptServer::LoadScriptText(const std::string& text)
{
    if (running_) {
        SCRIPTSTATE state = SCRIPTSTATE_UNINITIALIZED;
        engine_->GetScriptState(&state);
        if (state != SCRIPTSTATE_CONNECTED)
            engine_->SetScriptState(SCRIPTSTATE_CONNECTED);
        parser_->ParseScriptText(text.c_str(), kScripter, nullptr, nullptr, 0, 0, 0, nullptr, nullptr);
        return TRUE;
    }
    if (!StartScriptEngine()) {
        AfxMessageBox("Failed to create script engine. Cannot execute script.", MB_OK);
        return FALSE;
    }
    // Not connected yet: the procedures become known, top-level statements
    // wait for the first connection.
    parser_->ParseScriptText(text.c_str(), kScripter, nullptr, "''", 0, 0, SCRIPTTEXT_ISVISIBLE, nullptr, nullptr);
    running_ = true;
    return TRUE;
}

void CScriptServer::ExecuteScript(const std::string& text)
{
    SCRIPTSTATE state = SCRIPTSTATE_UNINITIALIZED;
    if (!running_ || !engine_ || FAILED(engine_->GetScriptState(&state)))
        return;
    if (state == SCRIPTSTATE_CONNECTED)
        engine_->SetScriptState(SCRIPTSTATE_DISCONNECTED);
    engine_->SetScriptState(SCRIPTSTATE_CONNECTED);
    parser_->ParseScriptText(text.c_str(), kScripter, nullptr, nullptr, 0, 0, 0, nullptr, nullptr);
}

BOOL CScriptServer::LoadForm(IDispatch* form)
{
    if (!running_) {
        if (!StartScriptEngine())
            return FALSE;
        running_ = true;
    }
    SCRIPTSTATE state = SCRIPTSTATE_UNINITIALIZED;
    if (SUCCEEDED(engine_->GetScriptState(&state)) && state == SCRIPTSTATE_CONNECTED)
        engine_->SetScriptState(SCRIPTSTATE_DISCONNECTED);

    DropFormItems();
    if (form) {
        form->AddRef();
        heldForm_["Form"] = form;
    }
    pointers_["Form"] = form;
    AddItem("Form", kItemFlags);
    if (!form)
        return TRUE;

    COleDispatchDriver formDriver(form, FALSE);
    try {
        IDispatch* collection = nullptr;
        formDriver.GetProperty(DISPID_VALUE, VT_DISPATCH, &collection);
        COleDispatchDriver controls(collection, TRUE);
        for (LONG index = 0;; ++index) {
            LONG count = 0;
            controls.GetProperty(kDispidFormControlCount, VT_I4, &count);
            if (index >= count)
                break;
            IDispatch* control = nullptr;
            controls.InvokeHelper(kDispidFormControlItem, DISPATCH_METHOD, VT_DISPATCH, &control, VTS_I4, index);
            COleDispatchDriver item(control, TRUE);
            std::string name;
            item.GetProperty(kDispidFormControlName, VT_BSTR, &name);
            // The server holds each control while the form runs.
            if (IDispatch*& held = heldForm_[name]; held != control) {
                if (held)
                    held->Release();
                held = item.DetachDispatch();
            }
            pointers_[name] = control;
            if (FAILED(AddItem(name.c_str(), kItemFlags))) {
                AfxMessageBox(("AddNamedItem failed. Item name: <" + name + ">").c_str(), MB_OK);
                return FALSE;
            }
        }
    } catch (const COleDispatchException&) {
        return FALSE;
    }
    return TRUE;
}

void CScriptServer::DropFormItems()
{
    for (auto& [name, control] : heldForm_) {
        if (auto it = pointers_.find(name); it != pointers_.end() && it->second == control)
            it->second = nullptr;
        if (control)
            control->Release();
    }
    heldForm_.clear();
}

HRESULT CScriptServer::StopScript()
{
    if (!running_)
        return S_OK;
    SCRIPTSTATE state = SCRIPTSTATE_UNINITIALIZED;
    if (HRESULT hr = engine_->GetScriptState(&state); FAILED(hr))
        return hr;
    if (state == SCRIPTSTATE_CONNECTED)
        engine_->SetScriptState(SCRIPTSTATE_DISCONNECTED);
    if (!IsScriptIdle())
        return S_OK;
    engine_->SetScriptState(SCRIPTSTATE_UNINITIALIZED);
    CloseScriptEngine();
    return S_OK;
}

BOOL CScriptServer::CloseScriptEngine()
{
    if (!running_ || !engine_)
        return TRUE;
    SCRIPTSTATE state = SCRIPTSTATE_UNINITIALIZED;
    if (FAILED(engine_->GetScriptState(&state)))
        return FALSE;
    if (state == SCRIPTSTATE_CONNECTED) {
        engine_->SetScriptState(SCRIPTSTATE_DISCONNECTED);
        engine_->SetScriptState(SCRIPTSTATE_UNINITIALIZED);
    }
    if (FAILED(engine_->Close()))
        return FALSE;
    ReleaseEngine();
    // A stopped form's controls are no longer the script's.
    DropFormItems();
    running_ = false;
    return TRUE;
}

void CScriptServer::ReleaseEngine()
{
    if (parser_)
        parser_->Release();
    parser_ = nullptr;
    if (engine_) {
        engine_->Close();
        engine_->Release();
    }
    engine_ = nullptr;
}

BOOL CScriptServer::IsScriptIdle()
{
    if (!running_ || !engine_)
        return TRUE;
    SCRIPTTHREADSTATE state = SCRIPTTHREADSTATE_NOTINSCRIPT;
    if (FAILED(engine_->GetScriptThreadState(SCRIPTTHREADID_CURRENT, &state)))
        return TRUE;
    return state != SCRIPTTHREADSTATE_RUNNING;
}

HRESULT CScriptServer::GetItemInfo(const char* name, DWORD mask, IUnknown** item, ITypeInfo** typeInfo)
{
    if ((mask & SCRIPTINFO_ITYPEINFO) && !typeInfo)
        return E_INVALIDARG;
    if ((mask & SCRIPTINFO_IUNKNOWN) && !item)
        return E_INVALIDARG;
    if (mask & SCRIPTINFO_ITYPEINFO)
        *typeInfo = nullptr;
    if (mask & SCRIPTINFO_IUNKNOWN)
        *item = nullptr;
    if (!name)
        return E_INVALIDARG;

    // The server itself, by any case. It carries no type library: its
    // members are found by name through its dispatch interface.
    if (strcasecmp(name, kScripter) == 0) {
        if (mask & SCRIPTINFO_IUNKNOWN)
            *item = GetIDispatch(TRUE);
        return S_OK;
    }

    IUnknown* object = nullptr;
    if (auto it = objects_.find(name); it != objects_.end()) {
        if (!it->second)
            return E_FAIL;
        object = it->second->GetIDispatch(FALSE);
    } else if (auto p = pointers_.find(name); p != pointers_.end()) {
        object = p->second;
    } else {
        return TYPE_E_ELEMENTNOTFOUND;
    }
    if (!object)
        return E_FAIL;
    if (mask & SCRIPTINFO_ITYPEINFO) {
        void* info = nullptr;
        if (SUCCEEDED(object->QueryInterface(shell::IID_IProvideClassInfo, &info)) && info) {
            auto* classInfo = static_cast<IProvideClassInfo2*>(info);
            const HRESULT hr = classInfo->GetClassInfo(typeInfo);
            classInfo->Release();
            if (FAILED(hr))
                return E_FAIL;
        }
    }
    if (mask & SCRIPTINFO_IUNKNOWN) {
        object->AddRef();
        *item = object;
    }
    return S_OK;
}

HRESULT CScriptServer::OnScriptError(IActiveScriptError* error)
{
    EXCEPINFO info{};
    error->GetExceptionInfo(&info);
    DWORD cookie = 0;
    ULONG line = 0;
    LONG column = 0;
    error->GetSourcePosition(&cookie, &line, &column);
    const std::string text = ScriptErrorText(info.bstrDescription ? info.bstrDescription : "",
                                             info.bstrSource ? info.bstrSource : "", line, info.wCode, info.scode);
    zk::automation::ClearExcepInfo(&info);
    AfxMessageBox(text.c_str(), MB_OK);
    return S_OK;
}

}  // namespace scriptsrv

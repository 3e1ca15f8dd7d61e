// The members of IScriptServer, DISPIDs 1 to 16 in this order: what
// scripts call on "Scripter" (without a prefix).
#include <string>

#include "appdebug/debug_core.h"
#include "morwen/morwen.h"
#include "platform/dispatch.h"
#include "platform/modules.h"
#include "platform/win_app.h"
#include "scriptsrv/script_server.h"
#include "shell/debugger_app.h"
#include "shell/hint_box_dlg.h"

namespace scriptsrv {

namespace {

using zk::automation::DispatchCall;

constexpr UINT ID_DEBUG_CONNECT = 32803;

HRESULT Dispatch(DispatchCall& call, IDispatch* object)
{
    call.Result().vt = VT_DISPATCH;
    call.Result().pdispVal = object;  // referenced, or null
    return S_OK;
}

HRESULT Text(DispatchCall& call, const std::string& text)
{
    call.Result().vt = VT_BSTR;
    call.Result().bstrVal = SysAllocString(text.c_str());
    return S_OK;
}

HRESULT Long(DispatchCall& call, LONG value)
{
    call.Result().vt = VT_I4;
    call.Result().lVal = value;
    return S_OK;
}

HRESULT EmptyText(DispatchCall& call)
{
    return Text(call, "");
}

// A put that is taken and changes nothing.
HRESULT Ignored(DispatchCall&)
{
    return S_OK;
}

// The program's folder without a trailing separator.
std::string AppFolder()
{
    std::string folder = platform::ProgramFolder();
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    return folder;
}

}  // namespace

void CScriptServer::MapMembers()
{
    // 1: the active project's automation object (no project document
    // carries one yet: null). Setting it changes nothing.
    DispProperty(
        "ActiveProject", VT_DISPATCH, [](DispatchCall& c) { return Dispatch(c, nullptr); }, Ignored);
    // 2-5: always empty; setting them changes nothing.
    for (const char* name : {"ExePath", "SrcPath", "IncPath", "ExtName"})
        DispProperty(name, VT_BSTR, EmptyText, Ignored);
    // 6-7: read-only.
    DispProperty("AppPath", VT_BSTR, [](DispatchCall& c) { return Text(c, AppFolder()); });
    DispProperty("LastError", VT_I4, [](DispatchCall& c) { return Long(c, appdebug::g_lastAutomationResult); });

    // 8: an object of the class registry by ProgID.
    DispMethod("HostCreateObject", VT_DISPATCH, VTS_VARIANT, [](DispatchCall& c) {
        const VARIANT& progId = c.Arg(0);
        if (progId.vt != VT_BSTR || !progId.bstrVal)
            return c.Raise(E_INVALIDARG, "The argument is not a ProgID text.");
        CLSID clsid;
        if (FAILED(CLSIDFromProgID(progId.bstrVal, &clsid)))
            return c.Raise(E_INVALIDARG, "The class is not registered.");
        void* object = nullptr;
        if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch, &object)) || !object)
            return c.Raise(E_FAIL, "The object could not be created.");
        return Dispatch(c, static_cast<IDispatch*>(object));
    });
    // 9: a program path, started without a shell.
    DispMethod("ExecuteCommand", VT_I4, VTS_BSTR, [](DispatchCall& c) { return Long(c, StartProgram(c.Text(0))); });
    // 10: a project by path; its document's automation object (none yet).
    DispMethod("OpenProject", VT_DISPATCH, VTS_BSTR, [](DispatchCall& c) {
        if (auto* app = dynamic_cast<shell::CDebuggerApp*>(AfxGetApp())) {
            CDocument* document = nullptr;
            app->OpenProject(c.Text(0), &document, nullptr, 0);
        }
        return Dispatch(c, nullptr);
    });
    // 11: the "Load" command to the main frame; the frame's connected flag.
    DispMethod("StartDebug", VT_BOOL, VTS_NONE, [](DispatchCall& c) {
        CWinApp* app = AfxGetApp();
        if (app && app->m_pMainWnd && app->m_pMainWnd->m_hWnd)
            SendMessage(app->m_pMainWnd->m_hWnd, WM_COMMAND, ID_DEBUG_CONNECT, 0);
        appdebug::CDebugCore* core = appdebug::CurrentDebugCore();
        const bool connected = core && core->MainFrame() && core->MainFrame()->IsConnected();
        c.Result().vt = VT_BOOL;
        c.Result().boolVal = connected ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
    // 12: a file as a document; embedded objects' containers don't exist
    // here, so no document has a dispatch interface to give.
    DispMethod("OpenDocument", VT_DISPATCH, VTS_BSTR, [](DispatchCall& c) {
        if (CWinApp* app = AfxGetApp())
            app->OpenDocumentFile(c.Text(0).c_str());
        return Dispatch(c, nullptr);
    });
    // 13: a sound file, else the default beep.
    DispMethod("PlaySounds", VT_EMPTY, VTS_BSTR, [](DispatchCall& c) {
        if (!PlaySoundFile(c.Text(0)))
            MessageBeep(1);
        return S_OK;
    });
    // 14: the hint box, modal.
    DispMethod("HintBox", VT_EMPTY, VTS_BSTR VTS_I4 VTS_I2, [](DispatchCall& c) {
        CHintBoxDlg box(c.Text(0), c.I4(1), c.Arg(2).iVal);
        box.DoModal();
        return S_OK;
    });
    // 15: seconds of total time while messages are pumped.
    DispMethod("Wait", VT_EMPTY, VTS_I4, [this](DispatchCall& c) {
        Wait(c.I4(0));
        return S_OK;
    });
    // 16: a numbered error's text.
    DispMethod("GetErrorStr", VT_BSTR, VTS_I4, [](DispatchCall& c) {
        ZkString text;
        ErrGetText(static_cast<UINT>(c.I4(0)), &text);
        if (text.size() > 255)
            text.resize(255);
        return Text(c, text);
    });
}

}  // namespace scriptsrv

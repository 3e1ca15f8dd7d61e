// CScriptServer: the host of the VBScript engine that runs the macro files.
// One object for the life of the program (the application makes it by
// run-time class name at start-up). It is itself the automation object
// "Scripter" of scripts (IScriptServer, its members callable without a
// prefix), and it names the debugger core "Debugger", an optional simulator
// object "SimObj", and while a designed form runs the form "Form" and each
// of its controls by the control's name.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/script/active_script.h"
#include "shell/cmd_target_plus.h"
#include "shell/script_host.h"

namespace scriptsrv {

extern const IID IID_IScriptServer;
extern const IID IID_IScriptEvents;
extern const CLSID CLSID_ScriptServer;

// The form's control collection and a control, as LoadForm reads them.
inline constexpr DISPID kDispidFormControlCount = 60;
inline constexpr DISPID kDispidFormControlItem = 0x6002000D;
inline constexpr DISPID kDispidFormControlName = static_cast<DISPID>(0x80010000);

class CScriptServer : public CCmdTargetPlus, public shell::CScriptHost {
    DECLARE_DYNCREATE(CScriptServer)
public:
    CScriptServer();
    ~CScriptServer() override;

    // --- Engine operations (the application shell and the form designer) --
    // Creates the engine and adds the standing items.
    BOOL StartScriptEngine();
    BOOL LoadScriptText(const std::string& text) override;
    void ExecuteScript(const std::string& text) override;
    // Adds a designed form as "Form" and its controls by name. `form` is the
    // form's control: its default property (DISPID 0) is the control
    // collection. The server holds the form and its controls until the
    // engine stops.
    BOOL LoadForm(IDispatch* form);
    HRESULT StopScript() override;
    BOOL CloseScriptEngine() override;
    BOOL IsScriptIdle() override;

    HRESULT GetClassID(CLSID* clsid) override;
    zk::automation::DispatchTable GetEventMap() const override;

    // The simulator object behind "SimObj" (referenced while set; null: none).
    void SetSimulatorObject(IDispatch* simulator);

    // Read by tests.
    bool EngineRunning() const { return running_; }
    IActiveScript* Engine() const { return engine_; }
    bool HasNamedObject(const std::string& name) const { return objects_.count(name) != 0; }
    bool HasNamedPointer(const std::string& name) const { return pointers_.count(name) != 0; }

    // The site the engine calls back (public for tests of its answers).
    class Site;
    class SiteWindow;
    IActiveScriptSite* ScriptSite();

    // The Wait member: waits `seconds` of total time while messages are
    // pumped; Esc ends it, 0 or less ends after the first message.
    void Wait(LONG seconds);

private:
    void MapMembers();
    HRESULT GetItemInfo(const char* name, DWORD mask, IUnknown** item, ITypeInfo** typeInfo);
    HRESULT OnScriptError(IActiveScriptError* error);
    HRESULT AddItem(const char* name, DWORD flags);
    void DropFormItems();
    void ReleaseEngine();

    // item name -> framework object ("Scripter", "Debugger")
    std::map<std::string, CCmdTarget*> objects_;
    // item name -> dispatch pointer ("SimObj", "Form", the form's controls);
    // the form's entries are held (referenced) until the engine stops.
    std::map<std::string, IDispatch*> pointers_;
    std::map<std::string, IDispatch*> heldForm_;
    IDispatch* simulator_ = nullptr;
    bool running_ = false;
    IActiveScript* engine_ = nullptr;
    IActiveScriptParse* parser_ = nullptr;
    std::unique_ptr<Site> site_;
    std::unique_ptr<SiteWindow> siteWindow_;
};

// The text of OnScriptError's message box.
std::string ScriptErrorText(const std::string& description, const std::string& source, unsigned line, int code,
                            SCODE scode);

// ExecuteCommand: starts the program at `path` (no shell, no arguments),
// does not wait and reaps the child when it ends. 0, or -1 when it could
// not be started.
int StartProgram(const std::string& path);
// PlaySounds: plays the file with aplay when it is installed and the file
// exists; FALSE otherwise (the caller beeps).
bool PlaySoundFile(const std::string& path);

}  // namespace scriptsrv

using scriptsrv::CScriptServer;

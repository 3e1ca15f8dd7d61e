// The script engine's host interface (Active Scripting): the site a host
// gives the engine, the engine and its parser, the error record handed to
// the site, and the published numbers of states, item, text and info flags.
// The engine itself is VBScript, created through the class registry
// (CLSID_VBScript, ProgID "VBScript") once RegisterVBScriptEngine ran.
#pragma once

#include "platform/connection.h"

enum SCRIPTSTATE : int {
    SCRIPTSTATE_UNINITIALIZED = 0,
    SCRIPTSTATE_INITIALIZED = 5,
    SCRIPTSTATE_STARTED = 1,
    SCRIPTSTATE_CONNECTED = 2,
    SCRIPTSTATE_DISCONNECTED = 3,
    SCRIPTSTATE_CLOSED = 4,
};

enum SCRIPTTHREADSTATE : int {
    SCRIPTTHREADSTATE_NOTINSCRIPT = 0,
    SCRIPTTHREADSTATE_RUNNING = 1,
};

using SCRIPTTHREADID = DWORD;
inline constexpr SCRIPTTHREADID SCRIPTTHREADID_CURRENT = static_cast<SCRIPTTHREADID>(-1);
inline constexpr SCRIPTTHREADID SCRIPTTHREADID_BASE = static_cast<SCRIPTTHREADID>(-2);
inline constexpr SCRIPTTHREADID SCRIPTTHREADID_ALL = static_cast<SCRIPTTHREADID>(-3);

inline constexpr DWORD SCRIPTITEM_ISVISIBLE = 0x00000002;
inline constexpr DWORD SCRIPTITEM_ISSOURCE = 0x00000004;
inline constexpr DWORD SCRIPTITEM_GLOBALMEMBERS = 0x00000008;
inline constexpr DWORD SCRIPTITEM_ISPERSISTENT = 0x00000040;
inline constexpr DWORD SCRIPTITEM_CODEONLY = 0x00000200;
inline constexpr DWORD SCRIPTITEM_NOCODE = 0x00000400;

inline constexpr DWORD SCRIPTTEXT_DELAYEXECUTION = 0x00000001;
inline constexpr DWORD SCRIPTTEXT_ISVISIBLE = 0x00000002;
inline constexpr DWORD SCRIPTTEXT_ISEXPRESSION = 0x00000020;
inline constexpr DWORD SCRIPTTEXT_ISPERSISTENT = 0x00000040;

inline constexpr DWORD SCRIPTINFO_IUNKNOWN = 0x00000001;
inline constexpr DWORD SCRIPTINFO_ITYPEINFO = 0x00000002;

inline constexpr DWORD SCRIPTINTERRUPT_DEBUG = 0x00000001;
inline constexpr DWORD SCRIPTINTERRUPT_RAISEEXCEPTION = 0x00000002;

inline constexpr HRESULT SCRIPT_E_REPORTED = hresult(0x80020101);
inline constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = hresult(0x8002802B);

inline constexpr IID IID_IActiveScript = {0xBB1A2AE1, 0xA4F9, 0x11CF, {0x8F, 0x20, 0x00, 0x80, 0x5F, 0x2C, 0xD0, 0x64}};
inline constexpr IID IID_IActiveScriptParse32 = {
    0xBB1A2AE2, 0xA4F9, 0x11CF, {0x8F, 0x20, 0x00, 0x80, 0x5F, 0x2C, 0xD0, 0x64}};
inline constexpr IID IID_IActiveScriptParse64 = {
    0xC7EF7658, 0xE1EE, 0x480E, {0x97, 0xEA, 0xD5, 0x2C, 0xB4, 0xD7, 0x6D, 0x17}};
// A 64-bit build's parser.
inline constexpr IID IID_IActiveScriptParse = IID_IActiveScriptParse64;
inline constexpr IID IID_IActiveScriptSite = {
    0xDB01A1E3, 0xA42B, 0x11CF, {0x8F, 0x20, 0x00, 0x80, 0x5F, 0x2C, 0xD0, 0x64}};
inline constexpr IID IID_IActiveScriptError = {
    0xEAE1BA61, 0xA4ED, 0x11CF, {0x8F, 0x20, 0x00, 0x80, 0x5F, 0x2C, 0xD0, 0x64}};
inline constexpr IID IID_IActiveScriptSiteWindow = {
    0xD10F6761, 0x83E9, 0x11CF, {0x8F, 0x20, 0x00, 0x80, 0x5F, 0x2C, 0xD0, 0x64}};

// One script error: the exception information (number in wCode for the
// language's own errors, SCODE, source, description) and its position:
// the text's cookie, the line (1-based, plus the first line the host gave)
// and the 0-based character position in it.
class IActiveScriptError : public IUnknown {
public:
    virtual HRESULT GetExceptionInfo(EXCEPINFO* info) = 0;
    virtual HRESULT GetSourcePosition(DWORD* sourceContext, ULONG* lineNumber, LONG* charPosition) = 0;
    virtual HRESULT GetSourceLineText(BSTR* line) = 0;
};

class IActiveScriptSite : public IUnknown {
public:
    virtual HRESULT GetLCID(LCID* lcid) = 0;
    virtual HRESULT GetItemInfo(LPCOLESTR name, DWORD returnMask, IUnknown** item, ITypeInfo** typeInfo) = 0;
    virtual HRESULT GetDocVersionString(BSTR* version) = 0;
    virtual HRESULT OnScriptTerminate(const VARIANT* result, const EXCEPINFO* info) = 0;
    virtual HRESULT OnStateChange(SCRIPTSTATE state) = 0;
    virtual HRESULT OnScriptError(IActiveScriptError* error) = 0;
    virtual HRESULT OnEnterScript() = 0;
    virtual HRESULT OnLeaveScript() = 0;
};

class IActiveScriptSiteWindow : public IUnknown {
public:
    virtual HRESULT GetWindow(HWND* window) = 0;
    virtual HRESULT EnableModeless(BOOL enable) = 0;
};

class IActiveScript : public IUnknown {
public:
    virtual HRESULT SetScriptSite(IActiveScriptSite* site) = 0;
    virtual HRESULT GetScriptSite(REFIID riid, void** object) = 0;
    virtual HRESULT SetScriptState(SCRIPTSTATE state) = 0;
    virtual HRESULT GetScriptState(SCRIPTSTATE* state) = 0;
    virtual HRESULT Close() = 0;
    virtual HRESULT AddNamedItem(LPCOLESTR name, DWORD flags) = 0;
    virtual HRESULT AddTypeLib(const GUID& libid, DWORD major, DWORD minor, DWORD flags) = 0;
    // The script's global procedures and variables as one dispatch object.
    virtual HRESULT GetScriptDispatch(LPCOLESTR itemName, IDispatch** dispatch) = 0;
    virtual HRESULT GetCurrentScriptThreadID(SCRIPTTHREADID* id) = 0;
    virtual HRESULT GetScriptThreadID(DWORD threadId, SCRIPTTHREADID* id) = 0;
    virtual HRESULT GetScriptThreadState(SCRIPTTHREADID id, SCRIPTTHREADSTATE* state) = 0;
    // Ends the running script at its next statement; may be called from any thread.
    virtual HRESULT InterruptScriptThread(SCRIPTTHREADID id, const EXCEPINFO* info, DWORD flags) = 0;
    virtual HRESULT Clone(IActiveScript** copy) = 0;
};

class IActiveScriptParse : public IUnknown {
public:
    virtual HRESULT InitNew() = 0;
    virtual HRESULT AddScriptlet(LPCOLESTR defaultName, LPCOLESTR code, LPCOLESTR itemName, LPCOLESTR subItemName,
                                 LPCOLESTR eventName, LPCOLESTR delimiter, DWORD sourceContextCookie,
                                 ULONG startingLine, DWORD flags, BSTR* name, EXCEPINFO* info) = 0;
    // Parses text: with the engine started or connected it runs at once;
    // before, its procedures become known and its top-level code waits.
    virtual HRESULT ParseScriptText(LPCOLESTR code, LPCOLESTR itemName, IUnknown* context, LPCOLESTR delimiter,
                                    DWORD sourceContextCookie, ULONG startingLine, DWORD flags, VARIANT* result,
                                    EXCEPINFO* info) = 0;
};

namespace zk::script {

// Registers the engine in the class registry under CLSID_VBScript and "VBScript".
void RegisterVBScriptEngine();
// A new engine with one reference.
IActiveScript* NewVBScriptEngine();

// Test and fuzzing hooks of an engine made here: a statement budget after
// which the running script ends as if interrupted (0: none), and the
// statements run so far.
void SetStatementBudget(IActiveScript* engine, uint64_t statements);
uint64_t StatementsRun(IActiveScript* engine);
// The longest string any script of the process may build (64 MB unless set).
void SetStringLimit(size_t bytes);

}  // namespace zk::script

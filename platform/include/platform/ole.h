// Automation around CCmdTarget: the client-side driver of a dispatch
// interface, the class factory that makes command targets for clients of
// the in-process class registry, and the application's lock count that
// decides whether a program started for automation may end.
#pragma once

#include <cstdarg>
#include <stdexcept>
#include <string>

#include "platform/cmd_target.h"
#include "platform/connection.h"

namespace platform {

// A failed call through COleDispatchDriver: the result, and the exception
// information's code and texts when the object gave them.
class COleDispatchException : public std::runtime_error {
public:
    COleDispatchException(HRESULT hr, SCODE code, WORD wCode, std::string source, std::string description);
    HRESULT m_hr;  // Invoke's result
    SCODE m_scError;
    WORD m_wCode;
    std::string m_strSource;
    std::string m_strDescription;
};

// Calls a dispatch interface by DISPID. Attach takes over a reference
// (released at Release/destruction when autoRelease); Detach hands it back.
class COleDispatchDriver {
public:
    COleDispatchDriver() = default;
    explicit COleDispatchDriver(IDispatch* dispatch, BOOL autoRelease = TRUE);
    COleDispatchDriver(const COleDispatchDriver& other);
    COleDispatchDriver& operator=(const COleDispatchDriver& other);
    ~COleDispatchDriver();

    // A new object of the class (by CLSID or ProgID) from the class registry.
    BOOL CreateDispatch(REFCLSID clsid);
    BOOL CreateDispatch(const char* progId);
    void AttachDispatch(IDispatch* dispatch, BOOL autoRelease = TRUE);
    IDispatch* DetachDispatch();
    void ReleaseDispatch();

    // Calls the member with arguments described by a VTS_ string. The
    // result, for resultType VT_I2 / VT_I4 / VT_BOOL / VT_R8 / VT_BSTR /
    // VT_DISPATCH / VT_VARIANT, goes to a short / LONG / BOOL / double /
    // std::string / IDispatch* (referenced) / VARIANT. Throws
    // COleDispatchException when the call fails.
    void InvokeHelper(DISPID dispid, WORD flags, VARTYPE resultType, void* result, const char* paramTypes, ...);
    void InvokeHelperV(DISPID dispid, WORD flags, VARTYPE resultType, void* result, const char* paramTypes,
                       va_list arguments);
    void GetProperty(DISPID dispid, VARTYPE type, void* value);
    // value as InvokeHelper's argument of that type (an int for VT_I4...).
    void SetProperty(DISPID dispid, VARTYPE type, ...);

    IDispatch* m_lpDispatch = nullptr;
    BOOL m_bAutoRelease = TRUE;
};

// A class of command targets offered to clients: registered under its CLSID
// and ProgID, each creation makes a new object of the run-time class (or
// through OnCreateObject). A single-instance factory makes one object while
// it is registered and refuses further requests.
class COleObjectFactory {
public:
    COleObjectFactory(REFCLSID clsid, const CRuntimeClass* runtimeClass, BOOL multiInstance, const char* progId);
    virtual ~COleObjectFactory();

    // Enters the factory in the class registry (every factory made so far
    // with RegisterAll).
    BOOL Register();
    void Revoke();
    static BOOL RegisterAll();
    static void RevokeAll();
    BOOL IsRegistered() const { return m_registered; }

    REFCLSID GetClassID() const { return m_clsid; }
    const char* GetProgID() const { return m_progId.c_str(); }

protected:
    // A new object with its creator's reference, or null.
    virtual CCmdTarget* OnCreateObject();

private:
    IUnknown* Create();
    CLSID m_clsid;
    const CRuntimeClass* m_pRuntimeClass;
    BOOL m_bMultiInstance;
    std::string m_progId;
    BOOL m_registered = FALSE;
    int m_made = 0;
};

}  // namespace platform

// The count of locks on the application: objects of clients and documents
// that keep a program started for automation alive.
void AfxOleLockApp();
void AfxOleUnlockApp();
LONG AfxOleLockCount();
// TRUE when the user started the program (the default); FALSE when it runs
// for automation, so that it ends with its last client.
void AfxOleSetUserCtrl(BOOL userCtrl);
BOOL AfxOleGetUserCtrl();

using platform::COleDispatchDriver;
using platform::COleDispatchException;
using platform::COleObjectFactory;

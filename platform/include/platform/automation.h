// The in-process automation layer: reference-counted objects, VARIANT values
// with their conversion rules, length-prefixed strings, safe arrays of
// VARIANT, dispatch interfaces and per-thread error information. Qt-free;
// the C-shaped functions keep the published names and argument orders.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "automation_types.h"

// The root of every object: interface discovery and the reference count.
// Release deletes the object when the count reaches zero.
class IUnknown {
public:
    virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    virtual ~IUnknown() = default;
};

// A BSTR points at UTF-8 text preceded by its 32-bit byte length and followed
// by a NUL; the length, not the NUL, ends it, so embedded NULs survive.
using BSTR = char*;

struct VARIANT;
class IDispatch;
struct SAFEARRAY;

struct VARIANT {
    VARTYPE vt;
    uint16_t wReserved1, wReserved2, wReserved3;
    union {
        uint8_t bVal;
        SHORT iVal;
        LONG lVal;
        float fltVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        SAFEARRAY* parray;
        uint8_t* pbVal;
        SHORT* piVal;
        LONG* plVal;
        float* pfltVal;
        double* pdblVal;
        VARIANT_BOOL* pboolVal;
        SCODE* pscode;
        DATE* pdate;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        SAFEARRAY** pparray;
        VARIANT* pvarVal;
        void* byref;
    };
};
using VARIANTARG = VARIANT;

// Arguments of one Invoke: rgvarg holds the named arguments first, then the
// positional ones last-first (rgvarg[cArgs - 1] is the first argument).
struct DISPPARAMS {
    VARIANTARG* rgvarg;
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
    SCODE scode;
};

class ITypeInfo;

// Late-bound calls by DISPID. Names are found without regard to case.
class IDispatch : public IUnknown {
public:
    virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
    virtual HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) = 0;
    virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* dispids) = 0;
    virtual HRESULT Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                           EXCEPINFO* excepInfo, UINT* argErr) = 0;
};

// A collection's enumerator (the object behind DISPID_NEWENUM).
class IEnumVARIANT : public IUnknown {
public:
    virtual HRESULT Next(ULONG count, VARIANT* items, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumVARIANT** copy) = 0;
};

// Error information of the last failed call on this thread.
class IErrorInfo : public IUnknown {
public:
    virtual HRESULT GetGUID(GUID* guid) = 0;
    virtual HRESULT GetSource(BSTR* source) = 0;
    virtual HRESULT GetDescription(BSTR* description) = 0;
    virtual HRESULT GetHelpFile(BSTR* helpFile) = 0;
    virtual HRESULT GetHelpContext(DWORD* helpContext) = 0;
};

// Strings.
BSTR SysAllocString(const char* text);
BSTR SysAllocStringLen(const char* text, UINT length);
UINT SysStringLen(BSTR text);
void SysFreeString(BSTR text);

// VARIANT values. VariantClear frees what the value owns (string, array,
// interface reference); VariantCopy copies deeply; VariantChangeType applies
// the automation conversion rules, DISP_E_OVERFLOW and DISP_E_TYPEMISMATCH
// on values that do not fit or do not convert.
void VariantInit(VARIANT* v);
HRESULT VariantClear(VARIANT* v);
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src);
inline constexpr uint16_t VARIANT_NOVALUEPROP = 0x1;  // do not ask an object for its value
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, uint16_t flags, VARTYPE vt);

// Safe arrays (elements of VT_VARIANT; other element types are refused).
struct SAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
};

struct SAFEARRAY {
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    void* pvData;
    SAFEARRAYBOUND rgsabound[1];  // cDims of them, the last dimension first
};

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims, const SAFEARRAYBOUND* bounds);
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements);
HRESULT SafeArrayDestroy(SAFEARRAY* array);
UINT SafeArrayGetDim(SAFEARRAY* array);
HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound);
HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound);
HRESULT SafeArrayGetElement(SAFEARRAY* array, const LONG* indices, void* value);
HRESULT SafeArrayPutElement(SAFEARRAY* array, const LONG* indices, void* value);
HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy);
HRESULT SafeArrayLock(SAFEARRAY* array);
HRESULT SafeArrayUnlock(SAFEARRAY* array);

// Per-thread error information: SetErrorInfo takes a reference (null clears);
// GetErrorInfo hands it over once and clears it (S_FALSE when there is none).
HRESULT SetErrorInfo(ULONG reserved, IErrorInfo* info);
HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** info);
// Builds an error-information object and sets it for this thread.
HRESULT SetAutomationError(const GUID& guid, const char* source, const char* description);

namespace zk::automation {

// Objects of this layer alive in the process; tests check it returns to its
// starting value, so that every reference count reached zero.
long LiveObjects();

// Base of every object of the layer: a thread-safe reference count starting
// at one for the creator, deletion at zero, and the live-object count. A
// Release of an object whose count is already zero (one never owned) does
// nothing and answers zero.
class RefCounted {
public:
    RefCounted();
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;

protected:
    virtual ~RefCounted();
    ULONG AddRefImpl();
    ULONG ReleaseImpl();

private:
    std::atomic<ULONG> m_refs{1};
};

}  // namespace zk::automation

// GUIDs as text: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (digits in either
// case when read; upper case when written). CLSIDFromString answers
// CO_E_CLASSSTRING for anything else. StringFromGUID2 needs 39 characters
// and answers their count with the NUL, or 0 when the buffer is short.
HRESULT CLSIDFromString(const char* text, CLSID* clsid);
int StringFromGUID2(const GUID& guid, char* text, int size);

// Dispatch over a member table in place of a type library: each member has
// its name, DISPID, kind, parameter types (a VTS_ string) and result type.
// DispatchObject answers GetIDsOfNames without regard to case and Invoke as
// method, get, put and putref, with arguments last-first, the put's named
// argument, named parameters, optional and by-reference arguments, and
// exception information.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <span>
#include <string>

#include "automation.h"

// Parameter-type strings: one character per parameter, the VARIANT type,
// with 0x40 added for a by-reference parameter.
#define VTS_NONE ""
#define VTS_I2 "\x02"
#define VTS_I4 "\x03"
#define VTS_R4 "\x04"
#define VTS_R8 "\x05"
#define VTS_DATE "\x07"
#define VTS_BSTR "\x08"
#define VTS_DISPATCH "\x09"
#define VTS_SCODE "\x0A"
#define VTS_BOOL "\x0B"
#define VTS_VARIANT "\x0C"
#define VTS_UNKNOWN "\x0D"
#define VTS_UI1 "\x11"
#define VTS_PI2 "\x42"
#define VTS_PI4 "\x43"
#define VTS_PR4 "\x44"
#define VTS_PR8 "\x45"
#define VTS_PDATE "\x47"
#define VTS_PBSTR "\x48"
#define VTS_PDISPATCH "\x49"
#define VTS_PBOOL "\x4B"
#define VTS_PVARIANT "\x4C"
#define VTS_PUI1 "\x51"

namespace zk::automation {

inline constexpr uint8_t kVtsByRef = 0x40;

class DispatchObject;
class DispatchCall;

using MemberHandler = HRESULT (*)(DispatchObject& self, DispatchCall& call);

enum class MemberKind : uint8_t { Method, Property };

struct DispatchMember {
    const char* name;
    DISPID dispid;
    MemberKind kind;
    const char* params;              // VTS_ string; for a property, its index parameters
    VARTYPE result;                  // VT_EMPTY: nothing; for a property, its value type
    uint8_t optional = 0;            // trailing parameters that may be left out
    MemberHandler invoke = nullptr;  // a method, or a property's get
    MemberHandler put = nullptr;
    MemberHandler putref = nullptr;
    const char* paramNames = nullptr;  // comma-separated, for named arguments
};

using DispatchTable = std::span<const DispatchMember>;

// One call's arguments in declared order, converted to the declared types
// (by-reference ones point at the caller's storage), and its result.
class DispatchCall {
public:
    size_t Count() const { return m_count; }
    // The member called (its DISPID).
    DISPID Member() const { return m_dispid; }
    bool Missing(size_t i) const { return i >= m_count || m_args[i].vt == VT_ERROR; }
    VARIANT& Arg(size_t i) { return m_args[i]; }
    LONG I4(size_t i) const { return m_args[i].lVal; }
    std::string Text(size_t i) const;
    // The value a put or putref assigns.
    VARIANT& Value() { return m_value; }
    VARIANT& Result() { return m_result; }
    // Fails the call with DISP_E_EXCEPTION, the code and the text in the
    // exception information and in this thread's error information.
    HRESULT Raise(SCODE code, const char* description);

    ~DispatchCall();

private:
    friend class DispatchObject;
    static constexpr size_t kMaxParams = 16;
    VARIANT m_args[kMaxParams];
    size_t m_count = 0;
    DISPID m_dispid = DISPID_UNKNOWN;
    VARIANT m_value;
    VARIANT m_result;
    EXCEPINFO* m_excepInfo = nullptr;
    const char* m_source = "";
};

// A reference-counted object answering IDispatch from its member table.
class DispatchObject : public IDispatch, public RefCounted {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override { return AddRefImpl(); }
    ULONG Release() override { return ReleaseImpl(); }
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* dispids) override;
    HRESULT Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepInfo, UINT* argErr) override;

protected:
    virtual DispatchTable Members() const = 0;
    // The source named in exception information.
    virtual const char* SourceName() const { return ""; }
    // Interfaces beyond IUnknown and IDispatch (a dual interface's IID, a
    // connection point container...); null when not supported.
    virtual void* OtherInterface(REFIID) { return nullptr; }
};

// Fills an exception-information record (the strings are the caller's to free).
void FillExcepInfo(EXCEPINFO* info, SCODE code, const char* source, const char* description);
void ClearExcepInfo(EXCEPINFO* info);

// Calls a member by DISPID with arguments described by a VTS_ string, as a
// client's wrapper class does: VTS_I2, VTS_I4, VTS_BOOL, VTS_UI1 take int;
// VTS_R4, VTS_R8, VTS_DATE double; VTS_BSTR const char*; VTS_DISPATCH
// IDispatch*; VTS_UNKNOWN IUnknown*; VTS_VARIANT const VARIANT*; VTS_SCODE
// SCODE; by-reference types a pointer to the value. A put passes its value
// as the last argument. The result, when asked for, is converted to
// resultType.
HRESULT InvokeHelper(IDispatch* object, DISPID dispid, WORD flags, VARTYPE resultType, VARIANT* result,
                     EXCEPINFO* excepInfo, const char* paramTypes, ...);
HRESULT InvokeHelperV(IDispatch* object, DISPID dispid, WORD flags, VARTYPE resultType, VARIANT* result,
                      EXCEPINFO* excepInfo, const char* paramTypes, va_list arguments);

}  // namespace zk::automation

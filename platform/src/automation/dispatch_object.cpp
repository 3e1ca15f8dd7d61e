// Invoke and GetIDsOfNames over a member table.
#include <cctype>
#include <cstring>
#include <string_view>

#include "platform/dispatch.h"

namespace zk::automation {

namespace {

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The position of a parameter name in a comma-separated list, or -1.
DISPID ParamIndex(const char* list, std::string_view name)
{
    if (!list)
        return DISPID_UNKNOWN;
    std::string_view rest(list);
    for (DISPID index = 0; !rest.empty(); ++index) {
        const size_t comma = rest.find(',');
        std::string_view item = rest.substr(0, comma);
        while (!item.empty() && item.front() == ' ')
            item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ')
            item.remove_suffix(1);
        if (SameName(item, name))
            return index;
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    return DISPID_UNKNOWN;
}

bool IsMissing(const VARIANT& v)
{
    return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND;
}

BSTR Text(const char* s)
{
    return s ? SysAllocString(s) : nullptr;
}

// Converts one argument to its declared type; a by-reference parameter
// takes the caller's reference itself.
HRESULT Convert(const VARIANT& arg, uint8_t type, VARIANT* out)
{
    if (type & kVtsByRef) {
        const VARTYPE base = type & ~kVtsByRef;
        if (!(arg.vt & VT_BYREF) || !arg.byref || (base != VT_VARIANT && (arg.vt & ~VT_BYREF) != base))
            return DISP_E_TYPEMISMATCH;
        *out = arg;
        return S_OK;
    }
    if (type == VT_VARIANT)
        return VariantCopyInd(out, &arg);
    return VariantChangeType(out, &arg, 0, type);
}

}  // namespace

std::string DispatchCall::Text(size_t i) const
{
    const VARIANT& v = m_args[i];
    if (v.vt != VT_BSTR || !v.bstrVal)
        return {};
    return std::string(v.bstrVal, SysStringLen(v.bstrVal));
}

HRESULT DispatchCall::Raise(SCODE code, const char* description)
{
    if (m_excepInfo)
        FillExcepInfo(m_excepInfo, code, m_source, description);
    SetAutomationError(GUID_NULL, m_source, description);
    return DISP_E_EXCEPTION;
}

DispatchCall::~DispatchCall()
{
    for (size_t i = 0; i < m_count; ++i)
        VariantClear(&m_args[i]);  // by-reference ones own nothing
    VariantClear(&m_value);
    VariantClear(&m_result);
}

void FillExcepInfo(EXCEPINFO* info, SCODE code, const char* source, const char* description)
{
    ClearExcepInfo(info);
    info->scode = code;
    info->bstrSource = Text(source);
    info->bstrDescription = Text(description);
}

void ClearExcepInfo(EXCEPINFO* info)
{
    if (!info)
        return;
    SysFreeString(info->bstrSource);
    SysFreeString(info->bstrDescription);
    SysFreeString(info->bstrHelpFile);
    std::memset(info, 0, sizeof(EXCEPINFO));
}

HRESULT DispatchObject::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    void* found = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch)
        found = static_cast<IDispatch*>(this);
    else
        found = OtherInterface(riid);
    *object = found;
    if (!found)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

HRESULT DispatchObject::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;  // the member table stands in for a type library
    return S_OK;
}

HRESULT DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT DispatchObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* dispids)
{
    if (riid != GUID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    if (!names || !dispids || count == 0)
        return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i)
        dispids[i] = DISPID_UNKNOWN;
    const DispatchMember* member = nullptr;
    for (const DispatchMember& m : Members())
        if (names[0] && SameName(m.name, names[0])) {
            member = &m;
            break;
        }
    if (!member)
        return DISP_E_UNKNOWNNAME;
    dispids[0] = member->dispid;
    HRESULT hr = S_OK;
    for (UINT i = 1; i < count; ++i) {
        dispids[i] = names[i] ? ParamIndex(member->paramNames, names[i]) : DISPID_UNKNOWN;
        if (dispids[i] == DISPID_UNKNOWN)
            hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT DispatchObject::Invoke(DISPID dispid, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO* excepInfo, UINT* argErr)
{
    if (riid != GUID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    if (!params || (params->cArgs && !params->rgvarg) || (params->cNamedArgs && !params->rgdispidNamedArgs) ||
        params->cNamedArgs > params->cArgs)
        return E_INVALIDARG;
    const DispatchMember* member = nullptr;
    for (const DispatchMember& m : Members())
        if (m.dispid == dispid) {
            member = &m;
            break;
        }
    if (!member)
        return DISP_E_MEMBERNOTFOUND;

    // Choose the handler from the kind of call.
    MemberHandler handler = nullptr;
    const bool assign = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    if (assign) {
        if (member->kind != MemberKind::Property)
            return DISP_E_MEMBERNOTFOUND;
        if (flags & DISPATCH_PROPERTYPUTREF && member->putref)
            handler = member->putref;
        else if (flags & DISPATCH_PROPERTYPUT)
            handler = member->put;
        if (!handler)
            return DISP_E_MEMBERNOTFOUND;
        // The assigned value is the one argument named DISPID_PROPERTYPUT.
        if (params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            return DISP_E_PARAMNOTOPTIONAL;
    } else if (member->kind == MemberKind::Method
                   ? (flags & DISPATCH_METHOD) || (flags & DISPATCH_PROPERTYGET && member->result != VT_EMPTY)
                   : (flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) != 0) {
        handler = member->invoke;
    }
    if (!handler)
        return DISP_E_MEMBERNOTFOUND;

    DispatchCall call;
    VariantInit(&call.m_value);
    VariantInit(&call.m_result);
    call.m_excepInfo = excepInfo;
    call.m_source = SourceName();
    call.m_dispid = dispid;
    const size_t declared = member->params ? std::strlen(member->params) : 0;
    if (declared > DispatchCall::kMaxParams)
        return E_UNEXPECTED;
    for (size_t i = 0; i < declared; ++i)
        VariantInit(&call.m_args[i]);
    call.m_count = declared;

    // Where each parameter's argument is in rgvarg: named ones first, then
    // the positional ones last-first.
    const UINT named = params->cNamedArgs;
    const UINT positional = params->cArgs - named;
    if (positional > declared)
        return DISP_E_BADPARAMCOUNT;
    long slot[DispatchCall::kMaxParams];
    for (size_t i = 0; i < declared; ++i)
        slot[i] = i < positional ? static_cast<long>(params->cArgs - 1 - i) : -1;
    if (!assign) {
        for (UINT j = 0; j < named; ++j) {
            const DISPID id = params->rgdispidNamedArgs[j];
            if (id < 0 || static_cast<size_t>(id) >= declared || slot[id] != -1) {
                if (argErr)
                    *argErr = j;
                return DISP_E_PARAMNOTFOUND;
            }
            slot[id] = j;
        }
    }
    const size_t required = declared - std::min<size_t>(member->optional, declared);
    for (size_t i = 0; i < declared; ++i) {
        if (slot[i] < 0 || IsMissing(params->rgvarg[slot[i]])) {
            if (i < required)
                return DISP_E_PARAMNOTOPTIONAL;
            call.m_args[i].vt = VT_ERROR;
            call.m_args[i].scode = DISP_E_PARAMNOTFOUND;
            continue;
        }
        const HRESULT hr = Convert(params->rgvarg[slot[i]], static_cast<uint8_t>(member->params[i]), &call.m_args[i]);
        if (FAILED(hr)) {
            if (argErr)
                *argErr = static_cast<UINT>(slot[i]);
            return hr;
        }
    }
    if (assign) {
        const VARTYPE type = handler == member->putref ? VT_DISPATCH : member->result;
        const HRESULT hr = Convert(params->rgvarg[0], static_cast<uint8_t>(type), &call.m_value);
        if (FAILED(hr)) {
            if (argErr)
                *argErr = 0;
            return hr;
        }
    }

    // The object stays alive for the whole call, even if the handler lets go
    // of the caller's last reference.
    AddRef();
    const HRESULT hr = handler(*this, call);
    if (SUCCEEDED(hr) && result) {
        VariantClear(result);
        *result = call.m_result;
        VariantInit(&call.m_result);
    }
    Release();
    return hr;
}

}  // namespace zk::automation

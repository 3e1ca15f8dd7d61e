// COleDispatchDriver: typed calls on a dispatch interface that throw on failure.
#include <cstdio>
#include <cstring>

#include "platform/ole.h"

namespace platform {

namespace {

std::string Text(BSTR s)
{
    return s ? std::string(s, SysStringLen(s)) : std::string();
}

std::string Message(HRESULT hr, const std::string& description)
{
    if (!description.empty())
        return description;
    char text[32];
    std::snprintf(text, sizeof text, "automation call failed: 0x%08X", static_cast<unsigned>(hr));
    return text;
}

// Moves a call's result into the caller's typed storage.
HRESULT StoreResult(VARIANT& out, VARTYPE type, void* result)
{
    if (!result || type == VT_EMPTY)
        return S_OK;
    if (type == VT_VARIANT) {
        auto* v = static_cast<VARIANT*>(result);
        VariantClear(v);
        *v = out;
        VariantInit(&out);
        return S_OK;
    }
    VARIANT typed;
    VariantInit(&typed);
    HRESULT hr = VariantChangeType(&typed, &out, 0, type);
    if (FAILED(hr))
        return hr;
    switch (type) {
    case VT_I2: *static_cast<SHORT*>(result) = typed.iVal; break;
    case VT_I4: *static_cast<LONG*>(result) = typed.lVal; break;
    case VT_BOOL: *static_cast<BOOL*>(result) = typed.boolVal ? TRUE : FALSE; break;
    case VT_R8: *static_cast<double*>(result) = typed.dblVal; break;
    case VT_BSTR: *static_cast<std::string*>(result) = Text(typed.bstrVal); break;
    case VT_DISPATCH:
        *static_cast<IDispatch**>(result) = typed.pdispVal;
        VariantInit(&typed);  // the caller keeps the reference
        break;
    default: hr = DISP_E_BADVARTYPE; break;
    }
    VariantClear(&typed);
    return hr;
}

}  // namespace

COleDispatchException::COleDispatchException(HRESULT hr, SCODE code, WORD wCode, std::string source,
                                             std::string description)
    : std::runtime_error(Message(hr, description)), m_hr(hr), m_scError(code), m_wCode(wCode),
      m_strSource(std::move(source)), m_strDescription(std::move(description))
{}

COleDispatchDriver::COleDispatchDriver(IDispatch* dispatch, BOOL autoRelease)
    : m_lpDispatch(dispatch), m_bAutoRelease(autoRelease)
{}

COleDispatchDriver::COleDispatchDriver(const COleDispatchDriver& other)
    : m_lpDispatch(other.m_lpDispatch), m_bAutoRelease(TRUE)
{
    if (m_lpDispatch)
        m_lpDispatch->AddRef();
}

COleDispatchDriver& COleDispatchDriver::operator=(const COleDispatchDriver& other)
{
    if (this != &other) {
        if (other.m_lpDispatch)
            other.m_lpDispatch->AddRef();
        ReleaseDispatch();
        m_lpDispatch = other.m_lpDispatch;
        m_bAutoRelease = TRUE;
    }
    return *this;
}

COleDispatchDriver::~COleDispatchDriver()
{
    ReleaseDispatch();
}

BOOL COleDispatchDriver::CreateDispatch(REFCLSID clsid)
{
    IDispatch* made = nullptr;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch, reinterpret_cast<void**>(&made))) || !made)
        return FALSE;
    AttachDispatch(made, TRUE);
    return TRUE;
}

BOOL COleDispatchDriver::CreateDispatch(const char* progId)
{
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(progId, &clsid)))
        return FALSE;
    return CreateDispatch(clsid);
}

void COleDispatchDriver::AttachDispatch(IDispatch* dispatch, BOOL autoRelease)
{
    ReleaseDispatch();
    m_lpDispatch = dispatch;
    m_bAutoRelease = autoRelease;
}

IDispatch* COleDispatchDriver::DetachDispatch()
{
    IDispatch* d = m_lpDispatch;
    m_lpDispatch = nullptr;
    return d;
}

void COleDispatchDriver::ReleaseDispatch()
{
    IDispatch* d = DetachDispatch();
    if (d && m_bAutoRelease)
        d->Release();
}

void COleDispatchDriver::InvokeHelper(DISPID dispid, WORD flags, VARTYPE resultType, void* result,
                                      const char* paramTypes, ...)
{
    va_list list;
    va_start(list, paramTypes);
    try {
        InvokeHelperV(dispid, flags, resultType, result, paramTypes, list);
    } catch (...) {
        va_end(list);
        throw;
    }
    va_end(list);
}

void COleDispatchDriver::InvokeHelperV(DISPID dispid, WORD flags, VARTYPE resultType, void* result,
                                       const char* paramTypes, va_list arguments)
{
    if (!m_lpDispatch)
        throw COleDispatchException(E_POINTER, 0, 0, {}, "no dispatch interface attached");
    VARIANT out;
    VariantInit(&out);
    EXCEPINFO info;
    std::memset(&info, 0, sizeof info);
    HRESULT hr =
        zk::automation::InvokeHelperV(m_lpDispatch, dispid, flags, VT_EMPTY, &out, &info, paramTypes, arguments);
    if (SUCCEEDED(hr))
        hr = StoreResult(out, resultType, result);
    VariantClear(&out);
    if (FAILED(hr)) {
        COleDispatchException e(hr, info.scode, info.wCode, Text(info.bstrSource), Text(info.bstrDescription));
        zk::automation::ClearExcepInfo(&info);
        throw e;
    }
    zk::automation::ClearExcepInfo(&info);
}

void COleDispatchDriver::GetProperty(DISPID dispid, VARTYPE type, void* value)
{
    InvokeHelper(dispid, DISPATCH_PROPERTYGET, type, value, VTS_NONE);
}

void COleDispatchDriver::SetProperty(DISPID dispid, VARTYPE type, ...)
{
    const char params[2] = {static_cast<char>(type), 0};
    va_list list;
    va_start(list, type);
    try {
        InvokeHelperV(dispid, type == VT_DISPATCH ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr,
                      params, list);
    } catch (...) {
        va_end(list);
        throw;
    }
    va_end(list);
}

}  // namespace platform

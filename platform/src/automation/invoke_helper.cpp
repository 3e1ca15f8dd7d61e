// The client side: calls by DISPID with a parameter-type string.
#include <cstdarg>
#include <cstring>
#include <vector>

#include "platform/dispatch.h"

namespace zk::automation {

namespace {

// Reads one argument of the given VTS type into a VARIANT.
HRESULT TakeArgument(uint8_t type, va_list& list, VARIANT* v)
{
    VariantInit(v);
    if (type & kVtsByRef) {
        v->vt = VT_BYREF | (type & ~kVtsByRef);
        v->byref = va_arg(list, void*);
        return v->byref ? S_OK : E_POINTER;
    }
    v->vt = type;
    switch (type) {
    case VT_I2: v->iVal = static_cast<SHORT>(va_arg(list, int)); break;
    case VT_I4: v->lVal = static_cast<LONG>(va_arg(list, int)); break;
    case VT_UI1: v->bVal = static_cast<uint8_t>(va_arg(list, int)); break;
    case VT_BOOL: v->boolVal = va_arg(list, int) ? VARIANT_TRUE : VARIANT_FALSE; break;
    case VT_R4: v->fltVal = static_cast<float>(va_arg(list, double)); break;
    case VT_R8: v->dblVal = va_arg(list, double); break;
    case VT_DATE: v->date = va_arg(list, double); break;
    case VT_ERROR: v->scode = va_arg(list, SCODE); break;
    case VT_BSTR: v->bstrVal = SysAllocString(va_arg(list, const char*)); break;
    case VT_DISPATCH:
    case VT_UNKNOWN:
        v->punkVal = va_arg(list, IUnknown*);
        if (v->punkVal)
            v->punkVal->AddRef();
        break;
    case VT_VARIANT: {
        const VARIANT* src = va_arg(list, const VARIANT*);
        v->vt = VT_EMPTY;
        return src ? VariantCopy(v, src) : E_POINTER;
    }
    default: v->vt = VT_EMPTY; return DISP_E_BADVARTYPE;
    }
    return S_OK;
}

}  // namespace

HRESULT InvokeHelper(IDispatch* object, DISPID dispid, WORD flags, VARTYPE resultType, VARIANT* result,
                     EXCEPINFO* excepInfo, const char* paramTypes, ...)
{
    va_list list;
    va_start(list, paramTypes);
    const HRESULT hr = InvokeHelperV(object, dispid, flags, resultType, result, excepInfo, paramTypes, list);
    va_end(list);
    return hr;
}

HRESULT InvokeHelperV(IDispatch* object, DISPID dispid, WORD flags, VARTYPE resultType, VARIANT* result,
                      EXCEPINFO* excepInfo, const char* paramTypes, va_list arguments)
{
    if (!object)
        return E_POINTER;
    const size_t count = paramTypes ? std::strlen(paramTypes) : 0;
    std::vector<VARIANT> args(count);
    va_list list;
    va_copy(list, arguments);
    HRESULT hr = S_OK;
    // The first argument goes last in rgvarg.
    size_t taken = 0;
    for (; taken < count && SUCCEEDED(hr); ++taken)
        hr = TakeArgument(static_cast<uint8_t>(paramTypes[taken]), list, &args[count - 1 - taken]);
    va_end(list);
    if (SUCCEEDED(hr)) {
        DISPID putId = DISPID_PROPERTYPUT;
        DISPPARAMS params = {args.data(), nullptr, static_cast<UINT>(count), 0};
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            params.rgdispidNamedArgs = &putId;
            params.cNamedArgs = 1;
        }
        VARIANT out;
        VariantInit(&out);
        UINT argErr = 0;
        hr = object->Invoke(dispid, GUID_NULL, LOCALE_USER_DEFAULT, flags, &params, &out, excepInfo, &argErr);
        if (SUCCEEDED(hr) && result) {
            if (resultType == VT_EMPTY || resultType == VT_VARIANT) {
                VariantClear(result);
                *result = out;
                VariantInit(&out);
            } else {
                hr = VariantChangeType(result, &out, 0, resultType);
            }
        }
        VariantClear(&out);
    }
    for (size_t i = 0; i < count; ++i)
        VariantClear(&args[i]);
    return hr;
}

}  // namespace zk::automation

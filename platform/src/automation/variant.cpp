// VARIANT values: clear, copy and the automation conversion rules.
#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>

#include "platform/automation.h"
#include "variant_text.h"

using namespace zk::automation;

void VariantInit(VARIANT* v)
{
    std::memset(v, 0, sizeof(VARIANT));
    v->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* v)
{
    if (!v)
        return E_POINTER;
    if (v->vt & VT_BYREF) {
        // A reference owns nothing.
    } else if (v->vt & VT_ARRAY) {
        HRESULT hr = SafeArrayDestroy(v->parray);
        if (FAILED(hr))
            return hr;
    } else {
        switch (v->vt) {
        case VT_BSTR: SysFreeString(v->bstrVal); break;
        case VT_DISPATCH:
        case VT_UNKNOWN:
            if (v->punkVal)
                v->punkVal->Release();
            break;
        default: break;
        }
    }
    VariantInit(v);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src)
{
    if (!dest || !src)
        return E_POINTER;
    if (dest == src)
        return S_OK;
    VARIANT copy = *src;
    if (!(src->vt & VT_BYREF)) {
        if (src->vt & VT_ARRAY) {
            if (src->parray) {
                HRESULT hr = SafeArrayCopy(src->parray, &copy.parray);
                if (FAILED(hr))
                    return hr;
            }
        } else if (src->vt == VT_BSTR) {
            if (src->bstrVal) {
                copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
                if (!copy.bstrVal)
                    return E_OUTOFMEMORY;
            }
        } else if (src->vt == VT_DISPATCH || src->vt == VT_UNKNOWN) {
            if (src->punkVal)
                src->punkVal->AddRef();
        }
    }
    VariantClear(dest);
    *dest = copy;
    return S_OK;
}

HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src)
{
    if (!dest || !src)
        return E_POINTER;
    if (!(src->vt & VT_BYREF))
        return VariantCopy(dest, src);
    if (!src->byref)
        return E_INVALIDARG;
    const VARTYPE base = src->vt & ~VT_BYREF;
    if (base == VT_VARIANT)
        return VariantCopyInd(dest, src->pvarVal);
    VARIANT value;
    VariantInit(&value);
    value.vt = base;
    if (base & VT_ARRAY) {
        value.parray = *src->pparray;
    } else {
        switch (base) {
        case VT_UI1: value.bVal = *src->pbVal; break;
        case VT_I2: value.iVal = *src->piVal; break;
        case VT_I4: value.lVal = *src->plVal; break;
        case VT_R4: value.fltVal = *src->pfltVal; break;
        case VT_R8: value.dblVal = *src->pdblVal; break;
        case VT_DATE: value.date = *src->pdate; break;
        case VT_BOOL: value.boolVal = *src->pboolVal; break;
        case VT_ERROR: value.scode = *src->pscode; break;
        case VT_BSTR: value.bstrVal = *src->pbstrVal; break;
        case VT_DISPATCH:
        case VT_UNKNOWN: value.punkVal = *src->ppunkVal; break;
        default: return DISP_E_BADVARTYPE;
        }
    }
    return VariantCopy(dest, &value);  // copies what the reference points at
}

namespace {

bool IsNumeric(VARTYPE vt)
{
    switch (vt) {
    case VT_UI1:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_DATE:
    case VT_BOOL: return true;
    default: return false;
    }
}

// The default member's value of an object, as scripts read "obj" as a value.
HRESULT ValueOfObject(const VARIANT& src, uint16_t flags, VARIANT* value)
{
    if (flags & VARIANT_NOVALUEPROP || !src.pdispVal)
        return DISP_E_TYPEMISMATCH;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    HRESULT hr = src.pdispVal->Invoke(DISPID_VALUE, GUID_NULL, LOCALE_USER_DEFAULT,
                                      DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none, value, nullptr, nullptr);
    if (FAILED(hr))
        return hr == DISP_E_MEMBERNOTFOUND ? DISP_E_TYPEMISMATCH : hr;
    if (value->vt == VT_DISPATCH) {  // one level only: no endless chains
        VariantClear(value);
        return DISP_E_TYPEMISMATCH;
    }
    return S_OK;
}

HRESULT ToDouble(const VARIANT& src, VARTYPE target, double* out)
{
    switch (src.vt) {
    case VT_EMPTY: *out = 0; return S_OK;
    case VT_UI1: *out = src.bVal; return S_OK;
    case VT_I2: *out = src.iVal; return S_OK;
    case VT_I4: *out = src.lVal; return S_OK;
    case VT_R4: *out = src.fltVal; return S_OK;
    case VT_R8: *out = src.dblVal; return S_OK;
    case VT_DATE: *out = src.date; return S_OK;
    case VT_BOOL: *out = src.boolVal ? -1 : 0; return S_OK;
    case VT_BSTR: {
        std::string_view text(src.bstrVal ? src.bstrVal : "", SysStringLen(src.bstrVal));
        if (target == VT_DATE && SUCCEEDED(ParseDate(text, out)))
            return S_OK;
        if (target == VT_BOOL) {
            std::string word(text);
            for (char& c : word)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (word == "true") {
                *out = -1;
                return S_OK;
            }
            if (word == "false") {
                *out = 0;
                return S_OK;
            }
        }
        return ParseNumber(text, out);
    }
    default: return DISP_E_TYPEMISMATCH;
    }
}

// Rounds half to even, as the conversion to integers does (2.5 -> 2, 3.5 -> 4).
HRESULT ToInteger(double value, double low, double high, long* out)
{
    if (std::isnan(value))
        return DISP_E_OVERFLOW;
    double r = std::nearbyint(value);  // the default mode rounds half to even
    if (r < low || r > high)
        return DISP_E_OVERFLOW;
    *out = static_cast<long>(r);
    return S_OK;
}

HRESULT NumberTo(double value, VARTYPE vt, VARIANT* out)
{
    long n = 0;
    HRESULT hr = S_OK;
    switch (vt) {
    case VT_UI1:
        if (SUCCEEDED(hr = ToInteger(value, 0, 255, &n)))
            out->bVal = static_cast<uint8_t>(n);
        break;
    case VT_I2:
        if (SUCCEEDED(hr = ToInteger(value, -32768, 32767, &n)))
            out->iVal = static_cast<SHORT>(n);
        break;
    case VT_I4:
        if (SUCCEEDED(hr = ToInteger(value, -2147483648.0, 2147483647.0, &n)))
            out->lVal = static_cast<LONG>(n);
        break;
    case VT_R4:
        if (std::isnan(value) || std::fabs(value) > FLT_MAX)
            return DISP_E_OVERFLOW;
        out->fltVal = static_cast<float>(value);
        break;
    case VT_R8:
        if (!std::isfinite(value))
            return DISP_E_OVERFLOW;
        out->dblVal = value;
        break;
    case VT_DATE:
        // 1 January 100 to 31 December 9999.
        if (!(value >= -657434.0 && value < 2958466.0))
            return DISP_E_OVERFLOW;
        out->date = value;
        break;
    case VT_BOOL: out->boolVal = value != 0 ? VARIANT_TRUE : VARIANT_FALSE; break;
    default: return DISP_E_BADVARTYPE;
    }
    if (SUCCEEDED(hr))
        out->vt = vt;
    return hr;
}

HRESULT ToText(const VARIANT& src, VARIANT* out)
{
    std::string text;
    switch (src.vt) {
    case VT_EMPTY: break;
    case VT_UI1: text = std::to_string(src.bVal); break;
    case VT_I2: text = std::to_string(src.iVal); break;
    case VT_I4: text = std::to_string(src.lVal); break;
    case VT_R4: text = FormatDouble(src.fltVal, 7); break;
    case VT_R8: text = FormatDouble(src.dblVal, 15); break;
    case VT_DATE: text = FormatDate(src.date); break;
    case VT_BOOL: text = src.boolVal ? "True" : "False"; break;
    default: return DISP_E_TYPEMISMATCH;
    }
    out->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!out->bstrVal)
        return E_OUTOFMEMORY;
    out->vt = VT_BSTR;
    return S_OK;
}

HRESULT ChangeValue(VARIANT* out, const VARIANT& src, uint16_t flags, VARTYPE vt)
{
    if (src.vt == VT_DISPATCH && vt != VT_DISPATCH && vt != VT_UNKNOWN && vt != VT_EMPTY) {
        VARIANT value;
        VariantInit(&value);
        HRESULT hr = ValueOfObject(src, flags, &value);
        if (SUCCEEDED(hr))
            hr = ChangeValue(out, value, flags, vt);
        VariantClear(&value);
        return hr;
    }
    if (src.vt == vt && !(vt & VT_BYREF))
        return VariantCopy(out, &src);
    if (vt & (VT_ARRAY | VT_BYREF) || src.vt & VT_ARRAY)
        return DISP_E_TYPEMISMATCH;
    if (vt == VT_EMPTY) {
        VariantInit(out);
        return S_OK;
    }
    if (vt == VT_NULL) {
        VariantInit(out);
        out->vt = VT_NULL;
        return S_OK;
    }
    if (src.vt == VT_NULL || src.vt == VT_ERROR || vt == VT_ERROR)
        return DISP_E_TYPEMISMATCH;
    if (IsNumeric(vt)) {
        double value;
        HRESULT hr = ToDouble(src, vt, &value);
        return FAILED(hr) ? hr : NumberTo(value, vt, out);
    }
    switch (vt) {
    case VT_BSTR: return ToText(src, out);
    case VT_DISPATCH:
    case VT_UNKNOWN:
        if (src.vt == VT_EMPTY) {
            out->vt = vt;
            out->punkVal = nullptr;
            return S_OK;
        }
        if (src.vt != VT_DISPATCH && src.vt != VT_UNKNOWN)
            return DISP_E_TYPEMISMATCH;
        if (!src.punkVal) {
            out->vt = vt;
            out->punkVal = nullptr;
            return S_OK;
        }
        if (vt == VT_UNKNOWN) {
            src.punkVal->AddRef();
            out->punkVal = src.punkVal;
        } else {
            void* dispatch = nullptr;
            if (FAILED(src.punkVal->QueryInterface(IID_IDispatch, &dispatch)))
                return DISP_E_TYPEMISMATCH;
            out->pdispVal = static_cast<IDispatch*>(dispatch);
        }
        out->vt = vt;
        return S_OK;
    case VT_VARIANT: return VariantCopy(out, &src);
    default: return DISP_E_BADVARTYPE;
    }
}

}  // namespace

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, uint16_t flags, VARTYPE vt)
{
    if (!dest || !src)
        return E_POINTER;
    // Work on a dereferenced copy so that dest may be src.
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = VariantCopyInd(&value, src);
    if (FAILED(hr))
        return hr;
    VARIANT result;
    VariantInit(&result);
    hr = ChangeValue(&result, value, flags, vt);
    VariantClear(&value);
    if (FAILED(hr))
        return hr;
    VariantClear(dest);
    *dest = result;
    return S_OK;
}

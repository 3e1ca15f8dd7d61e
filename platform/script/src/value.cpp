#include "value.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace zk::script {

namespace {
size_t g_stringLimit = size_t{64} << 20;
}  // namespace

size_t StringLimit()
{
    return g_stringLimit;
}

void SetStringLimit(size_t bytes)
{
    g_stringLimit = bytes;
}

void Value::Copy(const VARIANT& src)
{
    Clear();
    HRESULT hr = (src.vt & VT_BYREF) ? VariantCopyInd(this, &src) : VariantCopy(this, &src);
    if (FAILED(hr))
        Throw(hr == E_OUTOFMEMORY ? 7 : 13);
}

Value Value::Int(int16_t v)
{
    Value r;
    r.vt = VT_I2;
    r.iVal = v;
    return r;
}
Value Value::Long(int32_t v)
{
    Value r;
    r.vt = VT_I4;
    r.lVal = v;
    return r;
}
Value Value::Dbl(double v)
{
    Value r;
    r.vt = VT_R8;
    r.dblVal = v;
    return r;
}
Value Value::Date(double v)
{
    Value r;
    r.vt = VT_DATE;
    r.date = v;
    return r;
}
Value Value::Bool(bool v)
{
    Value r;
    r.vt = VT_BOOL;
    r.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
    return r;
}
Value Value::Str(std::string_view s)
{
    Value r;
    r.bstrVal = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
    if (!r.bstrVal)
        Throw(7);
    r.vt = VT_BSTR;
    return r;
}
Value Value::Null()
{
    Value r;
    r.vt = VT_NULL;
    return r;
}
Value Value::Object(IDispatch* d)
{
    Value r;
    r.vt = VT_DISPATCH;
    r.pdispVal = d;
    if (d)
        d->AddRef();
    return r;
}
Value Value::Missing()
{
    Value r;
    r.vt = VT_ERROR;
    r.scode = DISP_E_PARAMNOTFOUND;
    return r;
}

std::string_view Value::Text() const
{
    return bstrVal ? std::string_view(bstrVal, SysStringLen(bstrVal)) : std::string_view();
}

Value Deref(const Value& v)
{
    if (v.vt != VT_DISPATCH && v.vt != VT_UNKNOWN)
        return v;
    if (!v.punkVal)
        Throw(91);
    Value d;
    if (FAILED(VariantChangeType(&d, &v, 0, VT_DISPATCH)) || !d.pdispVal)
        Throw(438);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    Value result;
    EXCEPINFO info{};
    HRESULT hr = d.pdispVal->Invoke(DISPID_VALUE, GUID_NULL, LOCALE_USER_DEFAULT,
                                    DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none, &result, &info, nullptr);
    if (FAILED(hr)) {
        std::string source = info.bstrSource ? info.bstrSource : "";
        std::string text = info.bstrDescription ? info.bstrDescription : "";
        SCODE code = info.scode;
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
        if (hr == DISP_E_EXCEPTION)
            ThrowMember(code ? code : hr, source, text);
        Throw(hr == DISP_E_MEMBERNOTFOUND || hr == DISP_E_UNKNOWNNAME ? 438 : 13);
    }
    if (result.IsObject())
        Throw(438);
    return result;
}

bool IsNumericType(VARTYPE vt)
{
    switch (vt) {
    case VT_EMPTY:
    case VT_BOOL:
    case VT_UI1:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_DATE: return true;
    default: return false;
    }
}

namespace {

bool ParsePrefixed(std::string_view s, double* out)
{
    size_t b = 0;
    while (b < s.size() && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    s.remove_prefix(b);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    if (s.size() < 3 || s[0] != '&')
        return false;
    int base = (s[1] == 'h' || s[1] == 'H') ? 16 : (s[1] == 'o' || s[1] == 'O') ? 8 : 0;
    if (!base)
        return false;
    uint64_t n = 0;
    for (size_t i = 2; i < s.size(); ++i) {
        int d = -1;
        char c = s[i];
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d < 0 || d >= base || n > 0xFFFFFFFFull)
            return false;
        n = n * base + d;
    }
    if (n > 0xFFFFFFFFull)
        return false;
    *out = n <= 0xFFFF && s.size() <= 6 && base == 16 ? static_cast<int16_t>(n) : static_cast<int32_t>(n);
    return true;
}

}  // namespace

double ToDouble(const Value& v)
{
    switch (v.vt) {
    case VT_EMPTY: return 0;
    case VT_NULL: Throw(94);
    case VT_BOOL: return v.boolVal ? -1 : 0;
    case VT_UI1: return v.bVal;
    case VT_I2: return v.iVal;
    case VT_I4: return v.lVal;
    case VT_R4: return v.fltVal;
    case VT_R8: return v.dblVal;
    case VT_DATE: return v.date;
    case VT_BSTR: {
        double d;
        if (ParsePrefixed(v.Text(), &d))
            return d;
        Value r;
        HRESULT hr = VariantChangeType(&r, &v, 0, VT_R8);
        if (hr == DISP_E_OVERFLOW)
            Throw(6);
        if (FAILED(hr))
            Throw(13);
        return r.dblVal;
    }
    case VT_DISPATCH:
    case VT_UNKNOWN: return ToDouble(Deref(v));
    default: Throw(13);
    }
}

int32_t ToLong(const Value& v)
{
    if (v.vt == VT_I4)
        return v.lVal;
    if (v.vt == VT_I2)
        return v.iVal;
    double d = std::nearbyint(ToDouble(v));
    if (!(d >= -2147483648.0 && d <= 2147483647.0))
        Throw(6);
    return static_cast<int32_t>(d);
}

int16_t ToInt(const Value& v)
{
    int32_t n = ToLong(v);
    if (n < -32768 || n > 32767)
        Throw(6);
    return static_cast<int16_t>(n);
}

bool ToBool(const Value& v)
{
    switch (v.vt) {
    case VT_BOOL: return v.boolVal != 0;
    case VT_NULL: Throw(94);
    case VT_BSTR: {
        Value r;
        if (FAILED(VariantChangeType(&r, &v, 0, VT_BOOL)))
            Throw(13);
        return r.boolVal != 0;
    }
    default: return ToDouble(v) != 0;
    }
}

std::string ToStr(const Value& v)
{
    switch (v.vt) {
    case VT_BSTR: return std::string(v.Text());
    case VT_EMPTY: return {};
    case VT_NULL: Throw(94);
    case VT_BOOL: return v.boolVal ? "True" : "False";
    case VT_DISPATCH:
    case VT_UNKNOWN: return ToStr(Deref(v));
    default: {
        if (v.IsArray() || v.vt == VT_ERROR)
            Throw(13);
        Value r;
        if (FAILED(VariantChangeType(&r, &v, 0, VT_BSTR)))
            Throw(13);
        return std::string(r.Text());
    }
    }
}

Value ChangeType(const Value& v, VARTYPE vt)
{
    switch (vt) {
    case VT_I2: return Value::Int(ToInt(v));
    case VT_I4: return Value::Long(ToLong(v));
    case VT_UI1: {
        int32_t n = ToLong(v);
        if (n < 0 || n > 255)
            Throw(6);
        Value r;
        r.vt = VT_UI1;
        r.bVal = static_cast<uint8_t>(n);
        return r;
    }
    case VT_R8: {
        double d = ToDouble(v);
        return Value::Dbl(d);
    }
    case VT_BOOL: return Value::Bool(ToBool(v));
    case VT_BSTR: return Value::Str(ToStr(v));
    case VT_DATE: {
        if (v.vt == VT_BSTR) {
            Value r;
            if (FAILED(VariantChangeType(&r, &v, 0, VT_DATE)))
                Throw(13);
            return r;
        }
        return Value::Date(ToDouble(v));
    }
    default: Throw(13);
    }
}

namespace {

// Ranks of the numeric types for promotion: Byte < Integer < Long < Double.
enum Rank { kByte = 1, kInt = 2, kLong = 3, kDouble = 5 };

int RankOf(const Value& v)
{
    switch (v.vt) {
    case VT_UI1: return kByte;
    case VT_EMPTY:
    case VT_BOOL:
    case VT_I2: return kInt;
    case VT_I4: return kLong;
    default: return kDouble;
    }
}

Value FromInteger(int64_t n, int rank)
{
    if (rank <= kByte && n >= 0 && n <= 255) {
        Value r;
        r.vt = VT_UI1;
        r.bVal = static_cast<uint8_t>(n);
        return r;
    }
    if (rank <= kInt && n >= -32768 && n <= 32767)
        return Value::Int(static_cast<int16_t>(n));
    if (n >= INT32_MIN && n <= INT32_MAX)
        return Value::Long(static_cast<int32_t>(n));
    return Value::Dbl(static_cast<double>(n));
}

int64_t IntegerOf(const Value& v)
{
    switch (v.vt) {
    case VT_UI1: return v.bVal;
    case VT_I2: return v.iVal;
    case VT_I4: return v.lVal;
    case VT_BOOL: return v.boolVal ? -1 : 0;
    default: return 0;
    }
}

Value Finite(double d)
{
    if (!std::isfinite(d))
        Throw(6);
    return Value::Dbl(d);
}

Value Arith(Op op, const Value& a, const Value& b)
{
    if (a.vt == VT_NULL || b.vt == VT_NULL)
        return Value::Null();
    int rank = std::max(RankOf(a), RankOf(b));
    if (a.vt == VT_EMPTY && b.vt == VT_UI1)
        rank = kByte;
    if (b.vt == VT_EMPTY && a.vt == VT_UI1)
        rank = kByte;
    if (a.vt == VT_BOOL && b.vt == VT_UI1)
        rank = kInt;
    if (rank < kDouble) {
        int64_t x = IntegerOf(a), y = IntegerOf(b);
        int64_t r = op == Op::Add ? x + y : op == Op::Sub ? x - y : x * y;
        return FromInteger(r, rank);
    }
    double x = ToDouble(a), y = ToDouble(b);
    double r = op == Op::Add ? x + y : op == Op::Sub ? x - y : x * y;
    bool date = (a.vt == VT_DATE) != (b.vt == VT_DATE) && op != Op::Mul;
    if (date) {
        Value d = Value::Date(r);
        if (!(r >= -657434.0 && r < 2958466.0))
            Throw(6);
        return d;
    }
    return Finite(r);
}

Value IntegerDivide(Op op, const Value& a, const Value& b)
{
    if (a.vt == VT_NULL || b.vt == VT_NULL)
        return Value::Null();
    int32_t x = ToLong(a), y = ToLong(b);
    if (y == 0)
        Throw(11);
    int rank = std::max(RankOf(a), RankOf(b));
    if (rank > kLong)
        rank = kLong;
    if (a.vt == VT_BSTR || b.vt == VT_BSTR)
        rank = kLong;
    int64_t r = op == Op::IntDiv ? int64_t(x) / y : int64_t(x) % y;
    if (r > INT32_MAX)
        Throw(6);
    return FromInteger(r, rank);
}

// Three-valued logic with Null, then Boolean or 32-bit bitwise logic.
Value Logic(Op op, const Value& a, const Value& b)
{
    bool an = a.vt == VT_NULL, bn = b.vt == VT_NULL;
    if (an || bn) {
        if (an && bn)
            return Value::Null();
        const Value& other = an ? b : a;
        if (op == Op::And && other.vt != VT_NULL && ToDouble(other) == 0)
            return other.vt == VT_BOOL ? Value::Bool(false) : FromInteger(0, RankOf(other) > kInt ? kLong : kInt);
        if (op == Op::Or && ToLong(other) == -1)
            return other.vt == VT_BOOL ? Value::Bool(true) : FromInteger(-1, RankOf(other) > kInt ? kLong : kInt);
        if (op == Op::Imp) {
            if (an && ToLong(b) == -1)
                return b.vt == VT_BOOL ? Value::Bool(true) : FromInteger(-1, kLong);
            if (bn && ToLong(a) == 0)
                return a.vt == VT_BOOL ? Value::Bool(true) : FromInteger(-1, kLong);
        }
        return Value::Null();
    }
    bool boolean = a.vt == VT_BOOL && b.vt == VT_BOOL;
    int32_t x = ToLong(a), y = ToLong(b);
    int32_t r = 0;
    switch (op) {
    case Op::And: r = x & y; break;
    case Op::Or: r = x | y; break;
    case Op::Xor: r = x ^ y; break;
    case Op::Eqv: r = ~(x ^ y); break;
    default: r = ~x | y; break;
    }
    if (boolean)
        return Value::Bool(r != 0);
    int rank = std::max(RankOf(a), RankOf(b));
    if (rank <= kInt) {
        if (a.vt == VT_UI1 && b.vt == VT_UI1)
            return FromInteger(r & 0xFF, kByte);
        return Value::Int(static_cast<int16_t>(r));
    }
    return Value::Long(r);
}

bool SameObject(const Value& a, const Value& b)
{
    if (!a.IsObject() || !b.IsObject())
        Throw(424);
    if (!a.punkVal || !b.punkVal)
        return a.punkVal == b.punkVal;
    void* x = nullptr;
    void* y = nullptr;
    a.punkVal->QueryInterface(IID_IUnknown, &x);
    b.punkVal->QueryInterface(IID_IUnknown, &y);
    if (x)
        static_cast<IUnknown*>(x)->Release();
    if (y)
        static_cast<IUnknown*>(y)->Release();
    return x == y;
}

}  // namespace

int Compare(const Value& a0, const Value& b0, bool textCompare)
{
    const Value& a = a0;
    const Value& b = b0;
    if (a.IsObject() || b.IsObject())
        return Compare(a.IsObject() ? Deref(a) : a, b.IsObject() ? Deref(b) : b, textCompare);
    if (a.vt == VT_NULL || b.vt == VT_NULL)
        return 2;
    if (a.IsArray() || b.IsArray())
        Throw(13);
    bool as = a.vt == VT_BSTR, bs = b.vt == VT_BSTR;
    if (as && bs) {
        std::string_view x = a.Text(), y = b.Text();
        if (textCompare) {
            size_t n = std::min(x.size(), y.size());
            for (size_t i = 0; i < n; ++i) {
                int cx = std::tolower(static_cast<unsigned char>(x[i]));
                int cy = std::tolower(static_cast<unsigned char>(y[i]));
                if (cx != cy)
                    return cx < cy ? -1 : 1;
            }
            return x.size() == y.size() ? 0 : x.size() < y.size() ? -1 : 1;
        }
        int c = x.compare(y);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    if (as || bs) {
        const Value& other = as ? b : a;
        if (other.vt == VT_EMPTY) {  // Empty is the empty string here
            bool empty = (as ? a : b).Text().empty();
            int c = empty ? 0 : 1;
            return as ? c : -c;
        }
        return as ? 1 : -1;  // a number is less than a string
    }
    if (a.vt != VT_R8 && b.vt != VT_R8 && a.vt != VT_DATE && b.vt != VT_DATE && a.vt != VT_R4 && b.vt != VT_R4) {
        int64_t x = IntegerOf(a), y = IntegerOf(b);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    double x = ToDouble(a), y = ToDouble(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

Value Binary(Op op, const Value& a, const Value& b)
{
    switch (op) {
    case Op::Is: return Value::Bool(SameObject(a, b));
    case Op::Cat: {
        if (a.vt == VT_NULL && b.vt == VT_NULL)
            return Value::Null();
        std::string s = a.vt == VT_NULL ? std::string() : ToStr(a);
        if (b.vt != VT_NULL)
            s += ToStr(b);
        if (s.size() > g_stringLimit)
            Throw(14);
        return Value::Str(s);
    }
    case Op::Eq:
    case Op::Ne:
    case Op::Lt:
    case Op::Gt:
    case Op::Le:
    case Op::Ge: {
        int c = Compare(a, b);
        if (c == 2)
            return Value::Null();
        bool r = op == Op::Eq ? c == 0
            : op == Op::Ne    ? c != 0
            : op == Op::Lt    ? c < 0
            : op == Op::Gt    ? c > 0
            : op == Op::Le    ? c <= 0
                              : c >= 0;
        return Value::Bool(r);
    }
    default: break;
    }
    if (a.IsObject() || b.IsObject())
        return Binary(op, a.IsObject() ? Deref(a) : a, b.IsObject() ? Deref(b) : b);
    if (a.IsArray() || b.IsArray())
        Throw(13);
    switch (op) {
    case Op::Add:
        if (a.vt == VT_BSTR && b.vt == VT_BSTR) {
            if (a.Text().size() + b.Text().size() > g_stringLimit)
                Throw(14);
            std::string s(a.Text());
            s += b.Text();
            return Value::Str(s);
        }
        if (a.vt == VT_EMPTY && b.vt == VT_BSTR)
            return b;
        if (b.vt == VT_EMPTY && a.vt == VT_BSTR)
            return a;
        return Arith(op, a, b);
    case Op::Sub:
    case Op::Mul: return Arith(op, a, b);
    case Op::Div: {
        if (a.vt == VT_NULL || b.vt == VT_NULL)
            return Value::Null();
        double x = ToDouble(a), y = ToDouble(b);
        if (y == 0)
            Throw(x == 0 ? 6 : 11);
        return Finite(x / y);
    }
    case Op::IntDiv:
    case Op::Mod: return IntegerDivide(op, a, b);
    case Op::Pow: {
        if (a.vt == VT_NULL || b.vt == VT_NULL)
            return Value::Null();
        double x = ToDouble(a), y = ToDouble(b);
        if (x < 0 && y != std::floor(y))
            Throw(5);
        if (x == 0 && y < 0)
            Throw(5);
        return Finite(std::pow(x, y));
    }
    default: return Logic(op, a, b);
    }
}

Value Unary(Op op, const Value& a)
{
    if (a.IsObject())
        return Unary(op, Deref(a));
    if (a.IsArray())
        Throw(13);
    if (a.vt == VT_NULL)
        return Value::Null();
    if (op == Op::Not) {
        if (a.vt == VT_BOOL)
            return Value::Bool(!a.boolVal);
        int32_t x = ToLong(a);
        if (RankOf(a) <= kInt && a.vt != VT_BSTR) {
            if (a.vt == VT_UI1)
                return FromInteger(~x & 0xFF, kByte);
            return Value::Int(static_cast<int16_t>(~x));
        }
        return Value::Long(~x);
    }
    switch (a.vt) {
    case VT_EMPTY: return Value::Int(0);
    case VT_BOOL:
    case VT_UI1:
    case VT_I2:
    case VT_I4: return FromInteger(-IntegerOf(a), a.vt == VT_I4 ? kLong : kInt);
    case VT_DATE: return Value::Date(-a.date);
    default: return Value::Dbl(-ToDouble(a));
    }
}

std::string TypeName(const Value& v)
{
    if (v.IsArray())
        return "Variant()";
    switch (v.vt) {
    case VT_EMPTY: return "Empty";
    case VT_NULL: return "Null";
    case VT_I2: return "Integer";
    case VT_I4: return "Long";
    case VT_R4: return "Single";
    case VT_R8: return "Double";
    case VT_DATE: return "Date";
    case VT_BSTR: return "String";
    case VT_BOOL: return "Boolean";
    case VT_UI1: return "Byte";
    case VT_ERROR: return "Error";
    case VT_UNKNOWN: return v.punkVal ? "Unknown" : "Nothing";
    case VT_DISPATCH: return v.pdispVal ? "Object" : "Nothing";
    default: return "Unknown";
    }
}

int VarTypeOf(const Value& v)
{
    if (v.IsArray())
        return VT_ARRAY | VT_VARIANT;
    return v.vt;
}

}  // namespace zk::script

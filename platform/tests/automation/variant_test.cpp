// VARIANT conversions against the automation conversion rules, strings with
// embedded NULs and safe arrays at their bounds.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>

#include "platform/automation.h"

namespace {

std::string Text(const VARIANT& v)
{
    return std::string(v.bstrVal, SysStringLen(v.bstrVal));
}

VARIANT Str(const std::string& s)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
    return v;
}

VARIANT Num(VARTYPE vt, double x)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    switch (vt) {
    case VT_UI1: v.bVal = static_cast<uint8_t>(x); break;
    case VT_I2: v.iVal = static_cast<SHORT>(x); break;
    case VT_I4: v.lVal = static_cast<LONG>(x); break;
    case VT_R4: v.fltVal = static_cast<float>(x); break;
    case VT_R8: v.dblVal = x; break;
    case VT_DATE: v.date = x; break;
    case VT_BOOL: v.boolVal = static_cast<VARIANT_BOOL>(x); break;
    case VT_ERROR: v.scode = static_cast<SCODE>(x); break;
    default: break;
    }
    return v;
}

double AsDouble(const VARIANT& v)
{
    switch (v.vt) {
    case VT_UI1: return v.bVal;
    case VT_I2: return v.iVal;
    case VT_I4: return v.lVal;
    case VT_R4: return v.fltVal;
    case VT_R8: return v.dblVal;
    case VT_DATE: return v.date;
    case VT_BOOL: return v.boolVal;
    default: return NAN;
    }
}

// One conversion: a source value, a target type, and the result code with
// the value (a number, or the text for VT_BSTR targets).
struct Case {
    const char* name;
    VARIANT (*make)();
    VARTYPE to;
    HRESULT hr;
    double number;
    const char* text;
};

#define N(vt, x) [] { return Num(vt, x); }
#define S(s) [] { return Str(s); }

const Case kCases[] = {
    // Numbers at their range edges.
    {"I4 32767 to I2", N(VT_I4, 32767), VT_I2, S_OK, 32767, nullptr},
    {"I4 32768 to I2", N(VT_I4, 32768), VT_I2, DISP_E_OVERFLOW, 0, nullptr},
    {"I4 -32768 to I2", N(VT_I4, -32768), VT_I2, S_OK, -32768, nullptr},
    {"I4 -32769 to I2", N(VT_I4, -32769), VT_I2, DISP_E_OVERFLOW, 0, nullptr},
    {"I2 -1 to UI1", N(VT_I2, -1), VT_UI1, DISP_E_OVERFLOW, 0, nullptr},
    {"I2 255 to UI1", N(VT_I2, 255), VT_UI1, S_OK, 255, nullptr},
    {"I2 256 to UI1", N(VT_I2, 256), VT_UI1, DISP_E_OVERFLOW, 0, nullptr},
    {"R8 2147483647.4 to I4", N(VT_R8, 2147483647.4), VT_I4, S_OK, 2147483647, nullptr},
    {"R8 2147483647.5 to I4", N(VT_R8, 2147483647.5), VT_I4, DISP_E_OVERFLOW, 0, nullptr},
    {"R8 -2147483648 to I4", N(VT_R8, -2147483648.0), VT_I4, S_OK, -2147483648.0, nullptr},
    {"R8 1e39 to R4", N(VT_R8, 1e39), VT_R4, DISP_E_OVERFLOW, 0, nullptr},
    {"R8 FLT_MAX to R4", N(VT_R8, FLT_MAX), VT_R4, S_OK, FLT_MAX, nullptr},
    // Rounding to integers goes half to even.
    {"R8 2.5 to I2", N(VT_R8, 2.5), VT_I2, S_OK, 2, nullptr},
    {"R8 3.5 to I2", N(VT_R8, 3.5), VT_I2, S_OK, 4, nullptr},
    {"R8 -2.5 to I4", N(VT_R8, -2.5), VT_I4, S_OK, -2, nullptr},
    {"R4 0.4 to UI1", N(VT_R4, 0.4), VT_UI1, S_OK, 0, nullptr},
    // True is -1, any non-zero number is True.
    {"BOOL True to I4", N(VT_BOOL, -1), VT_I4, S_OK, -1, nullptr},
    {"BOOL True to UI1", N(VT_BOOL, -1), VT_UI1, DISP_E_OVERFLOW, 0, nullptr},
    {"BOOL False to R8", N(VT_BOOL, 0), VT_R8, S_OK, 0, nullptr},
    {"I4 5 to BOOL", N(VT_I4, 5), VT_BOOL, S_OK, -1, nullptr},
    {"R8 0.1 to BOOL", N(VT_R8, 0.1), VT_BOOL, S_OK, -1, nullptr},
    {"I2 0 to BOOL", N(VT_I2, 0), VT_BOOL, S_OK, 0, nullptr},
    {"BOOL True to BSTR", N(VT_BOOL, -1), VT_BSTR, S_OK, 0, "True"},
    {"BOOL False to BSTR", N(VT_BOOL, 0), VT_BSTR, S_OK, 0, "False"},
    {"BSTR true to BOOL", S("tRuE"), VT_BOOL, S_OK, -1, nullptr},
    {"BSTR False to BOOL", S("False"), VT_BOOL, S_OK, 0, nullptr},
    {"BSTR -3 to BOOL", S("-3"), VT_BOOL, S_OK, -1, nullptr},
    {"BSTR yes to BOOL", S("yes"), VT_BOOL, DISP_E_TYPEMISMATCH, 0, nullptr},
    // Text and numbers.
    {"BSTR 42 to I4", S(" 42 "), VT_I4, S_OK, 42, nullptr},
    {"BSTR -1.5e3 to R8", S("-1.5e3"), VT_R8, S_OK, -1500, nullptr},
    {"BSTR .5 to R8", S(".5"), VT_R8, S_OK, 0.5, nullptr},
    {"BSTR 2.5 to I2", S("2.5"), VT_I2, S_OK, 2, nullptr},
    {"BSTR 40000 to I2", S("40000"), VT_I2, DISP_E_OVERFLOW, 0, nullptr},
    {"BSTR abc to I4", S("abc"), VT_I4, DISP_E_TYPEMISMATCH, 0, nullptr},
    {"BSTR empty to I4", S(""), VT_I4, DISP_E_TYPEMISMATCH, 0, nullptr},
    {"BSTR 12abc to I4", S("12abc"), VT_I4, DISP_E_TYPEMISMATCH, 0, nullptr},
    {"BSTR inf to R8", S("inf"), VT_R8, DISP_E_TYPEMISMATCH, 0, nullptr},
    {"BSTR nan to R8", S("nan"), VT_R8, DISP_E_TYPEMISMATCH, 0, nullptr},
    {"BSTR 0x10 to I4", S("0x10"), VT_I4, DISP_E_TYPEMISMATCH, 0, nullptr},
    {"BSTR 1e to R8", S("1e"), VT_R8, DISP_E_TYPEMISMATCH, 0, nullptr},
    {"BSTR 400 digits to R8", [] { return Str(std::string(400, '9')); }, VT_R8, DISP_E_OVERFLOW, 0, nullptr},
    {"BSTR 400 digits to I4", [] { return Str(std::string(400, '9')); }, VT_I4, DISP_E_OVERFLOW, 0, nullptr},
    {"BSTR 1e-400 to R8", S("1e-400"), VT_R8, S_OK, 0, nullptr},
    {"BSTR with NUL to I4",
     [] {
         return Str(std::string("12\0"
                                "3",
                                4));
     },
     VT_I4, DISP_E_TYPEMISMATCH, 0, nullptr},
    {"I4 -7 to BSTR", N(VT_I4, -7), VT_BSTR, S_OK, 0, "-7"},
    {"UI1 200 to BSTR", N(VT_UI1, 200), VT_BSTR, S_OK, 0, "200"},
    {"R8 0.1 to BSTR", N(VT_R8, 0.1), VT_BSTR, S_OK, 0, "0.1"},
    {"R8 1/3 to BSTR", N(VT_R8, 1.0 / 3), VT_BSTR, S_OK, 0, "0.333333333333333"},
    {"R8 1e20 to BSTR", N(VT_R8, 1e20), VT_BSTR, S_OK, 0, "1E+20"},
    {"R8 -2.5 to BSTR", N(VT_R8, -2.5), VT_BSTR, S_OK, 0, "-2.5"},
    {"R4 0.1 to BSTR", N(VT_R4, 0.1), VT_BSTR, S_OK, 0, "0.1"},
    // Dates: day 0 is 30 December 1899; the fraction is the time of day.
    {"DATE 0 to BSTR", N(VT_DATE, 0), VT_BSTR, S_OK, 0, "12/30/1899"},
    {"DATE 2 to BSTR", N(VT_DATE, 2), VT_BSTR, S_OK, 0, "1/1/1900"},
    {"DATE 36526.75 to BSTR", N(VT_DATE, 36526.75), VT_BSTR, S_OK, 0, "1/1/2000 6:00:00 PM"},
    {"DATE 0.5 to BSTR", N(VT_DATE, 0.5), VT_BSTR, S_OK, 0, "12:00:00 PM"},
    {"DATE -1.25 to BSTR", N(VT_DATE, -1.25), VT_BSTR, S_OK, 0, "12/29/1899 6:00:00 AM"},
    {"BSTR 2/29/2000 to DATE", S("2/29/2000"), VT_DATE, S_OK, 36585, nullptr},
    {"BSTR 2/29/1900 to DATE", S("2/29/1900"), VT_DATE, DISP_E_TYPEMISMATCH, 0, nullptr},
    {"BSTR ISO to DATE", S("2000-01-01 18:00"), VT_DATE, S_OK, 36526.75, nullptr},
    {"BSTR 12:00:00 AM to DATE", S("1/1/2000 12:00:00 AM"), VT_DATE, S_OK, 36526, nullptr},
    {"BSTR 13:00 PM to DATE", S("13:00 PM"), VT_DATE, DISP_E_TYPEMISMATCH, 0, nullptr},
    {"BSTR number to DATE", S("3.5"), VT_DATE, S_OK, 3.5, nullptr},
    {"R8 1e7 to DATE", N(VT_R8, 1e7), VT_DATE, DISP_E_OVERFLOW, 0, nullptr},
    {"DATE 1.5 to R8", N(VT_DATE, 1.5), VT_R8, S_OK, 1.5, nullptr},
    // Between the number types the callers pass.
    {"I2 -5 to R4", N(VT_I2, -5), VT_R4, S_OK, -5, nullptr},
    {"UI1 255 to I2", N(VT_UI1, 255), VT_I2, S_OK, 255, nullptr},
    {"I4 -1 to UI1", N(VT_I4, -1), VT_UI1, DISP_E_OVERFLOW, 0, nullptr},
    {"R4 1.5 to I4", N(VT_R4, 1.5), VT_I4, S_OK, 2, nullptr},
    {"I4 16777217 to R4", N(VT_I4, 16777217), VT_R4, S_OK, 16777216, nullptr},
    {"DATE 1.75 to I4", N(VT_DATE, 1.75), VT_I4, S_OK, 2, nullptr},
    {"I2 3 to DATE", N(VT_I2, 3), VT_DATE, S_OK, 3, nullptr},
    {"BOOL True to DATE", N(VT_BOOL, -1), VT_DATE, S_OK, -1, nullptr},
    {"BSTR 255 to UI1", S("255"), VT_UI1, S_OK, 255, nullptr},
    {"BSTR -0 to I2", S("-0"), VT_I2, S_OK, 0, nullptr},
    {"BSTR 1E308 to R4", S("1E308"), VT_R4, DISP_E_OVERFLOW, 0, nullptr},
    {"BSTR -2147483648 to I4", S("-2147483648"), VT_I4, S_OK, -2147483648.0, nullptr},
    {"BSTR 2147483648 to I4", S("2147483648"), VT_I4, DISP_E_OVERFLOW, 0, nullptr},
    // EMPTY, NULL and ERROR.
    {"EMPTY to I4", [] { return Num(VT_EMPTY, 0); }, VT_I4, S_OK, 0, nullptr},
    {"EMPTY to BSTR", [] { return Num(VT_EMPTY, 0); }, VT_BSTR, S_OK, 0, ""},
    {"EMPTY to BOOL", [] { return Num(VT_EMPTY, 0); }, VT_BOOL, S_OK, 0, nullptr},
    {"NULL to I4", [] { return Num(VT_NULL, 0); }, VT_I4, DISP_E_TYPEMISMATCH, 0, nullptr},
    {"NULL to BSTR", [] { return Num(VT_NULL, 0); }, VT_BSTR, DISP_E_TYPEMISMATCH, 0, nullptr},
    {"ERROR to I4", N(VT_ERROR, 5), VT_I4, DISP_E_TYPEMISMATCH, 0, nullptr},
    {"I4 to ERROR", N(VT_I4, 5), VT_ERROR, DISP_E_TYPEMISMATCH, 0, nullptr},
    {"I4 to DISPATCH", N(VT_I4, 5), VT_DISPATCH, DISP_E_TYPEMISMATCH, 0, nullptr},
};

#undef N
#undef S

class Conversion : public testing::TestWithParam<Case> {};

TEST_P(Conversion, FollowsTheRules)
{
    const Case& c = GetParam();
    VARIANT src = c.make();
    VARIANT dst;
    VariantInit(&dst);
    EXPECT_EQ(VariantChangeType(&dst, &src, 0, c.to), c.hr);
    if (c.hr == S_OK) {
        ASSERT_EQ(dst.vt, c.to);
        if (c.text)
            EXPECT_EQ(Text(dst), c.text);
        else
            EXPECT_DOUBLE_EQ(AsDouble(dst), c.number);
    } else {
        EXPECT_EQ(dst.vt, VT_EMPTY);  // a failed conversion leaves the target alone
    }
    VariantClear(&src);
    VariantClear(&dst);
}

INSTANTIATE_TEST_SUITE_P(Table, Conversion, testing::ValuesIn(kCases), [](const testing::TestParamInfo<Case>& info) {
    std::string name;
    for (const char* p = info.param.name; *p; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
});

TEST(Conversion, DoublesAndDatesGoToTextAndBack)
{
    for (double x : {0.1, -123.456, 1e-10, 6.02214076e23, 3.0, 1.0 / 7}) {
        VARIANT v = Num(VT_R8, x);
        ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_BSTR), S_OK);
        ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_R8), S_OK);
        EXPECT_NEAR(v.dblVal, x, std::fabs(x) * 1e-14) << x;
    }
    for (double d : {0.0, 36526.75, 2958465.5, -657434.0, 45000.0 + 13.0 / 86400, -1.25}) {
        VARIANT v = Num(VT_DATE, d);
        ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_BSTR), S_OK) << d;
        const std::string text = Text(v);
        ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_DATE), S_OK) << text;
        EXPECT_NEAR(v.date, d, 1e-9) << text;
    }
}

TEST(Conversion, ByReferenceSourcesAreReadThrough)
{
    LONG value = 70000;
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_BYREF | VT_I4;
    ref.plVal = &value;
    VARIANT out;
    VariantInit(&out);
    EXPECT_EQ(VariantChangeType(&out, &ref, 0, VT_I2), DISP_E_OVERFLOW);
    EXPECT_EQ(VariantChangeType(&out, &ref, 0, VT_BSTR), S_OK);
    EXPECT_EQ(Text(out), "70000");
    VariantClear(&out);
    EXPECT_EQ(value, 70000);  // the referenced value is not owned
}

TEST(Conversion, ObjectsBetweenUnknownAndDispatch)
{
    VARIANT empty, out;
    VariantInit(&empty);
    VariantInit(&out);
    ASSERT_EQ(VariantChangeType(&out, &empty, 0, VT_DISPATCH), S_OK);
    EXPECT_EQ(out.vt, VT_DISPATCH);
    EXPECT_EQ(out.pdispVal, nullptr);
    VARIANT null;
    VariantInit(&null);
    null.vt = VT_NULL;
    EXPECT_EQ(VariantChangeType(&out, &null, 0, VT_UNKNOWN), DISP_E_TYPEMISMATCH);
    // A null object has no value to read.
    EXPECT_EQ(VariantChangeType(&out, &out, 0, VT_I4), DISP_E_TYPEMISMATCH);
}

TEST(Strings, KeepEmbeddedNulsThroughCopy)
{
    const std::string raw("a\0b\0", 4);
    VARIANT v = Str(raw);
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &v), S_OK);
    EXPECT_NE(copy.bstrVal, v.bstrVal);
    EXPECT_EQ(Text(copy), raw);
    ASSERT_EQ(VariantChangeType(&copy, &copy, 0, VT_BSTR), S_OK);
    EXPECT_EQ(Text(copy), raw);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    VariantClear(&v);
    VariantClear(&copy);
}

TEST(SafeArrays, BoundsAndElements)
{
    SAFEARRAYBOUND bounds[2] = {{2, 1}, {3, -1}};  // (1 To 2, -1 To 1)
    SAFEARRAY* a = SafeArrayCreate(VT_VARIANT, 2, bounds);
    ASSERT_NE(a, nullptr);
    LONG lo, hi;
    EXPECT_EQ(SafeArrayGetLBound(a, 2, &lo), S_OK);
    EXPECT_EQ(SafeArrayGetUBound(a, 2, &hi), S_OK);
    EXPECT_EQ(lo, -1);
    EXPECT_EQ(hi, 1);
    EXPECT_EQ(SafeArrayGetUBound(a, 3, &hi), DISP_E_BADINDEX);
    VARIANT v = Str("x");
    const LONG at[2] = {2, 1};
    EXPECT_EQ(SafeArrayPutElement(a, at, &v), S_OK);
    const LONG outside[2] = {3, 0};
    EXPECT_EQ(SafeArrayPutElement(a, outside, &v), DISP_E_BADINDEX);
    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(a, &copy), S_OK);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);
    VARIANT got;
    ASSERT_EQ(SafeArrayGetElement(copy, at, &got), S_OK);
    EXPECT_EQ(Text(got), "x");
    EXPECT_EQ(SafeArrayLock(copy), S_OK);
    EXPECT_EQ(SafeArrayDestroy(copy), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(SafeArrayUnlock(copy), S_OK);
    EXPECT_EQ(SafeArrayUnlock(copy), E_UNEXPECTED);
    EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
    VariantClear(&got);
    VariantClear(&v);
}

TEST(SafeArrays, BoundsThatWrap32BitsAreRefused)
{
    EXPECT_EQ(SafeArrayCreateVector(VT_VARIANT, 0x7FFFFFFF, 2), nullptr);
    EXPECT_EQ(SafeArrayCreateVector(VT_VARIANT, 1, 0xFFFFFFFF), nullptr);
    const SAFEARRAYBOUND huge[2] = {{0x10000, 0}, {0x10000, 0}};
    EXPECT_EQ(SafeArrayCreate(VT_VARIANT, 2, huge), nullptr);
    EXPECT_EQ(SafeArrayCreateVector(VT_I4, 0, 4), nullptr);  // VARIANT elements only
    SAFEARRAY* edge = SafeArrayCreateVector(VT_VARIANT, 0x7FFFFFFF, 1);
    ASSERT_NE(edge, nullptr);
    const LONG last = 0x7FFFFFFF, before = -0x7FFFFFFF - 1;
    VARIANT v;
    EXPECT_EQ(SafeArrayGetElement(edge, &last, &v), S_OK);
    EXPECT_EQ(SafeArrayGetElement(edge, &before, &v), DISP_E_BADINDEX);
    SafeArrayDestroy(edge);
    SAFEARRAY* empty = SafeArrayCreateVector(VT_VARIANT, 0, 0);
    ASSERT_NE(empty, nullptr);
    LONG hi;
    EXPECT_EQ(SafeArrayGetUBound(empty, 1, &hi), S_OK);
    EXPECT_EQ(hi, -1);
    SafeArrayDestroy(empty);
}

TEST(SafeArrays, ArrayVariantsCopyDeeply)
{
    SAFEARRAY* a = SafeArrayCreateVector(VT_VARIANT, 0, 1);
    VARIANT s = Str("deep");
    const LONG i = 0;
    SafeArrayPutElement(a, &i, &s);
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ARRAY | VT_VARIANT;
    v.parray = a;
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &v), S_OK);
    EXPECT_NE(copy.parray, a);
    VariantClear(&v);
    VARIANT got;
    ASSERT_EQ(SafeArrayGetElement(copy.parray, &i, &got), S_OK);
    EXPECT_EQ(Text(got), "deep");
    EXPECT_EQ(VariantChangeType(&got, &copy, 0, VT_I4), DISP_E_TYPEMISMATCH);
    VariantClear(&got);
    VariantClear(&copy);
    VariantClear(&s);
}

}  // namespace

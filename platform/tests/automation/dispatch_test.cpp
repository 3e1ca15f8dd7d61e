// The test object driven through dispatch only, as a script host drives it.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "test_object.h"

namespace zk::automation::testing {
namespace {

VARIANT I4(LONG x)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = x;
    return v;
}

VARIANT Str(const char* s)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(s);
    return v;
}

VARIANT MissingArg()
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ERROR;
    v.scode = DISP_E_PARAMNOTFOUND;
    return v;
}

std::string Text(const VARIANT& v)
{
    return v.vt == VT_BSTR ? std::string(v.bstrVal, SysStringLen(v.bstrVal)) : "<not text>";
}

// Every test ends with every object it made gone.
class Dispatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_live = LiveObjects();
        m_object = NewTestObject();
    }
    void TearDown() override
    {
        if (m_object)
            EXPECT_EQ(m_object->Release(), 0u);
        IErrorInfo* info = nullptr;
        if (GetErrorInfo(0, &info) == S_OK)
            info->Release();
        EXPECT_EQ(LiveObjects(), m_live);
    }
    // Invokes with arguments given last-first, as DISPPARAMS holds them.
    HRESULT Call(DISPID id, WORD flags, std::vector<VARIANT> args, VARIANT* result = nullptr,
                 std::vector<DISPID> named = {}, UINT* argErr = nullptr, EXCEPINFO* info = nullptr)
    {
        DISPPARAMS p = {args.data(), named.data(), static_cast<UINT>(args.size()), static_cast<UINT>(named.size())};
        const HRESULT hr = m_object->Invoke(id, GUID_NULL, LOCALE_USER_DEFAULT, flags, &p, result, info, argErr);
        for (VARIANT& v : args)
            VariantClear(&v);
        return hr;
    }
    HRESULT Put(DISPID id, VARIANT value, WORD flags = DISPATCH_PROPERTYPUT)
    {
        return Call(id, flags, {value}, nullptr, {DISPID_PROPERTYPUT});
    }

    long m_live = 0;
    IDispatch* m_object = nullptr;
};

TEST_F(Dispatch, NamesAreFoundInAnyCase)
{
    const char* names[] = {"nAmE", "JOIN", "_newenum", "value"};
    const DISPID expected[] = {kName, kJoin, DISPID_UNKNOWN, DISPID_VALUE};
    for (int i = 0; i < 4; ++i) {
        char* one[] = {const_cast<char*>(names[i])};
        DISPID id = 99;
        EXPECT_EQ(m_object->GetIDsOfNames(GUID_NULL, one, 1, 0, &id),
                  expected[i] == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK)
            << names[i];
        EXPECT_EQ(id, expected[i]) << names[i];
    }
    char* withParams[] = {const_cast<char*>("join"), const_cast<char*>("SEPARATOR"), const_cast<char*>("First"),
                          const_cast<char*>("nope")};
    DISPID ids[4];
    EXPECT_EQ(m_object->GetIDsOfNames(GUID_NULL, withParams, 4, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], kJoin);
    EXPECT_EQ(ids[1], 2);
    EXPECT_EQ(ids[2], 0);
    EXPECT_EQ(ids[3], DISPID_UNKNOWN);
    EXPECT_EQ(m_object->GetIDsOfNames(IID_IDispatch, withParams, 1, 0, ids), DISP_E_UNKNOWNINTERFACE);
}

TEST_F(Dispatch, PropertiesGetPutAndPutref)
{
    VARIANT r;
    VariantInit(&r);
    EXPECT_EQ(Put(kName, Str("core")), S_OK);
    EXPECT_EQ(Call(kName, DISPATCH_PROPERTYGET, {}, &r), S_OK);
    EXPECT_EQ(Text(r), "core");
    VariantClear(&r);
    // A put names its value DISPID_PROPERTYPUT; without it the value is missing.
    EXPECT_EQ(Call(kName, DISPATCH_PROPERTYPUT, {Str("x")}), DISP_E_PARAMNOTOPTIONAL);
    // Read-only, and no such member.
    EXPECT_EQ(Put(kCount, I4(3)), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Call(77, DISPATCH_PROPERTYGET, {}, &r), DISP_E_MEMBERNOTFOUND);
    // The put converts the value to the property's type.
    UINT argErr = 99;
    EXPECT_EQ(Call(DISPID_VALUE, DISPATCH_PROPERTYPUT, {Str("x")}, nullptr, {DISPID_PROPERTYPUT}, &argErr),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);
    EXPECT_EQ(Put(DISPID_VALUE, Str(" 41 ")), S_OK);
    EXPECT_EQ(Call(DISPID_VALUE, DISPATCH_PROPERTYGET | DISPATCH_METHOD, {}, &r), S_OK);
    EXPECT_EQ(r.vt, VT_I4);
    EXPECT_EQ(r.lVal, 41);

    // putref keeps the object; a plain put of an object property is refused.
    IDispatch* child = NewTestObject();
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_DISPATCH;
    ref.pdispVal = child;
    child->AddRef();
    EXPECT_EQ(Put(kChild, ref, DISPATCH_PROPERTYPUT), DISP_E_MEMBERNOTFOUND);
    child->AddRef();
    EXPECT_EQ(Put(kChild, ref, DISPATCH_PROPERTYPUTREF), S_OK);
    EXPECT_EQ(child->Release(), 1u);  // the parent holds the one left
    EXPECT_EQ(Call(kChild, DISPATCH_PROPERTYGET, {}, &r), S_OK);
    EXPECT_EQ(r.pdispVal, child);
    // An object read as a value gives its default member.
    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(VariantChangeType(&value, &r, 0, VT_BSTR), S_OK);
    EXPECT_EQ(Text(value), "7");
    EXPECT_EQ(VariantChangeType(&value, &r, VARIANT_NOVALUEPROP, VT_I4), DISP_E_TYPEMISMATCH);
    VariantClear(&value);
    VariantClear(&r);
}

TEST_F(Dispatch, UnknownBecomesDispatchByQueryInterface)
{
    VARIANT unk, disp;
    VariantInit(&unk);
    VariantInit(&disp);
    unk.vt = VT_UNKNOWN;
    unk.punkVal = m_object;
    m_object->AddRef();
    ASSERT_EQ(VariantChangeType(&disp, &unk, 0, VT_DISPATCH), S_OK);
    EXPECT_EQ(disp.pdispVal, m_object);
    ASSERT_EQ(VariantChangeType(&unk, &disp, 0, VT_UNKNOWN), S_OK);  // the old value released
    // Only a dispatch interface has a value; a bare one converts to nothing.
    EXPECT_EQ(VariantChangeType(&unk, &unk, 0, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(unk.vt, VT_UNKNOWN);
    EXPECT_EQ(VariantChangeType(&disp, &disp, 0, VT_I4), S_OK);  // its default member
    EXPECT_EQ(disp.lVal, 7);
    VariantClear(&unk);
    VariantClear(&disp);
    EXPECT_EQ(m_object->AddRef(), 2u);  // every copy gave its reference back
    m_object->Release();
}

TEST_F(Dispatch, ArgumentsComeLastFirst)
{
    VARIANT r;
    VariantInit(&r);
    EXPECT_EQ(Call(kJoin, DISPATCH_METHOD, {Str("b"), Str("a")}, &r), S_OK);
    EXPECT_EQ(Text(r), "a,b");
    VariantClear(&r);
    EXPECT_EQ(Call(kJoin, DISPATCH_METHOD, {MissingArg(), Str("b"), Str("a")}, &r), S_OK);
    EXPECT_EQ(Text(r), "a,b");
    VariantClear(&r);
    EXPECT_EQ(Call(kJoin, DISPATCH_METHOD, {Str("-"), Str("b"), Str("a")}, &r), S_OK);
    EXPECT_EQ(Text(r), "a-b");
    VariantClear(&r);
    // Named arguments come first in rgvarg, in any order.
    EXPECT_EQ(Call(kJoin, DISPATCH_METHOD, {Str("a"), Str("+"), Str("b")}, &r, {1, 2}), S_OK);
    EXPECT_EQ(Text(r), "b+a");
    VariantClear(&r);
    EXPECT_EQ(Call(kAdd, DISPATCH_METHOD, {I4(5)}, &r), S_OK);
    EXPECT_EQ(r.lVal, 105);
    EXPECT_EQ(Call(kAdd, DISPATCH_METHOD, {Str("2"), I4(5)}, &r), S_OK);
    EXPECT_EQ(r.lVal, 7);
}

TEST_F(Dispatch, ArgumentErrors)
{
    VARIANT r;
    VariantInit(&r);
    struct Row {
        const char* what;
        DISPID id;
        std::vector<VARIANT> args;
        std::vector<DISPID> named;
        HRESULT hr;
        UINT argErr;
    };
    std::vector<Row> rows;
    rows.push_back({"too many", kAdd, {I4(1), I4(2), I4(3)}, {}, DISP_E_BADPARAMCOUNT, 99});
    rows.push_back({"required missing", kJoin, {Str("a")}, {}, DISP_E_PARAMNOTOPTIONAL, 99});
    rows.push_back({"required given as missing", kAdd, {MissingArg()}, {}, DISP_E_PARAMNOTOPTIONAL, 99});
    rows.push_back({"no number", kAdd, {Str("x"), I4(1)}, {}, DISP_E_TYPEMISMATCH, 0});
    rows.push_back({"too big", kAdd, {I4(1), Str("1e10")}, {}, DISP_E_OVERFLOW, 1});
    rows.push_back({"sum too big", kAdd, {I4(0x7FFFFFFF), I4(1)}, {}, DISP_E_OVERFLOW, 99});
    rows.push_back({"unknown named", kJoin, {Str("a"), Str("b"), Str("c")}, {7}, DISP_E_PARAMNOTFOUND, 0});
    rows.push_back({"named twice", kJoin, {Str("a"), Str("b"), Str("c")}, {0}, DISP_E_PARAMNOTFOUND, 0});
    rows.push_back({"by value for by reference", kTwice, {I4(3)}, {}, DISP_E_TYPEMISMATCH, 0});
    for (Row& row : rows) {
        UINT argErr = 99;
        EXPECT_EQ(Call(row.id, DISPATCH_METHOD, row.args, &r, row.named, &argErr), row.hr) << row.what;
        EXPECT_EQ(argErr, row.argErr) << row.what;
        VariantClear(&r);
    }
}

TEST_F(Dispatch, ByReferenceArgumentsAreWrittenBack)
{
    LONG n = 21;
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_BYREF | VT_I4;
    ref.plVal = &n;
    EXPECT_EQ(Call(kTwice, DISPATCH_METHOD, {ref}), S_OK);
    EXPECT_EQ(n, 42);
}

TEST_F(Dispatch, FailureFillsExceptionInformation)
{
    EXCEPINFO info = {};
    EXPECT_EQ(Call(kFail, DISPATCH_METHOD, {}, nullptr, {}, nullptr, &info), DISP_E_EXCEPTION);
    EXPECT_EQ(info.scode, kFailCode);
    EXPECT_STREQ(info.bstrSource, kTestProgId);
    EXPECT_STREQ(info.bstrDescription, "The operation failed");
    ClearExcepInfo(&info);
    IErrorInfo* error = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &error), S_OK);
    BSTR text = nullptr;
    EXPECT_EQ(error->GetDescription(&text), S_OK);
    EXPECT_STREQ(text, "The operation failed");
    SysFreeString(text);
    error->Release();
    EXPECT_EQ(GetErrorInfo(0, &error), S_FALSE);  // handed over once
    // Error information belongs to the thread that failed.
    EXPECT_EQ(Call(kFail, DISPATCH_METHOD, {}), DISP_E_EXCEPTION);
    HRESULT elsewhere = S_OK;
    std::thread([&] {
        IErrorInfo* other = nullptr;
        elsewhere = GetErrorInfo(0, &other);
    }).join();
    EXPECT_EQ(elsewhere, S_FALSE);
    const long before = LiveObjects();
    std::thread([] { SetAutomationError(GUID_NULL, "worker", "left behind"); }).join();
    EXPECT_EQ(LiveObjects(), before);  // released with its thread
    ASSERT_EQ(GetErrorInfo(0, &error), S_OK);
    error->Release();
    // Without a record the code alone tells.
    EXPECT_EQ(Call(kFail, DISPATCH_METHOD, {}), DISP_E_EXCEPTION);
}

TEST_F(Dispatch, CollectionEnumeratorKeepsItsPlace)
{
    VARIANT items, e;
    VariantInit(&items);
    VariantInit(&e);
    ASSERT_EQ(Call(kItems, DISPATCH_PROPERTYGET, {}, &items), S_OK);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    ASSERT_EQ(items.pdispVal->Invoke(DISPID_NEWENUM, GUID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none, &e,
                                     nullptr, nullptr),
              S_OK);
    IEnumVARIANT* en = nullptr;
    ASSERT_EQ(e.punkVal->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&en)), S_OK);
    VARIANT got[5];
    ULONG fetched = 99;
    EXPECT_EQ(en->Next(1, got, &fetched), S_OK);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(Text(got[0]), "one");
    VariantClear(&got[0]);
    IEnumVARIANT* clone = nullptr;
    ASSERT_EQ(en->Clone(&clone), S_OK);
    EXPECT_EQ(en->Next(5, got, &fetched), S_FALSE);  // more than remain
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(Text(got[0]), "two");
    EXPECT_EQ(Text(got[1]), "three");
    VariantClear(&got[0]);
    VariantClear(&got[1]);
    EXPECT_EQ(clone->Next(1, got, &fetched), S_OK);  // the clone went on from "one"
    EXPECT_EQ(Text(got[0]), "two");
    VariantClear(&got[0]);
    EXPECT_EQ(clone->Skip(5), S_FALSE);
    EXPECT_EQ(clone->Next(1, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(en->Reset(), S_OK);
    EXPECT_EQ(en->Skip(2), S_OK);
    EXPECT_EQ(en->Next(1, got, nullptr), S_OK);
    EXPECT_EQ(Text(got[0]), "three");
    VariantClear(&got[0]);
    // Item is the collection's default member, with an index.
    VARIANT index = I4(2), item;
    VariantInit(&item);
    DISPPARAMS one = {&index, nullptr, 1, 0};
    EXPECT_EQ(items.pdispVal->Invoke(DISPID_VALUE, GUID_NULL, 0, DISPATCH_PROPERTYGET, &one, &item, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(Text(item), "two");
    VariantClear(&item);
    index.lVal = 4;
    EXPECT_EQ(items.pdispVal->Invoke(DISPID_VALUE, GUID_NULL, 0, DISPATCH_PROPERTYGET, &one, &item, nullptr, nullptr),
              DISP_E_BADINDEX);
    clone->Release();
    en->Release();
    VariantClear(&e);
    VariantClear(&items);
}

}  // namespace
}  // namespace zk::automation::testing

// The breakpoints as automation objects: each record's properties, the
// collection that follows the breakpoint list, its enumerator and errors,
// and scripts that walk, change and keep breakpoints.
#include <platform/automation_ids.h>
#include <platform/ole.h>

#include "bp_collection.h"
#include "sarvik_fixture.h"
#include "test_object.h"
#include "test_site.h"

namespace sarvik::test {
namespace {

using zk::automation::DispatchCall;
using zk::automation::LiveObjects;

enum : DISPID { kType = 1, kAddress = 2, kEnable = 3, kAdd = 1, kCount = 2, kRemove = 5, kClear = 6 };

// Every object of the automation layer (records, collection, enumerators,
// error information) is gone at the end of each test.
class BpAutomation : public SarvikTest {
protected:
    void SetUp() override
    {
        m_live = LiveObjects();
        SarvikTest::SetUp();
    }
    void TearDown() override
    {
        SarvikTest::TearDown();
        SetErrorInfo(0, nullptr);
        EXPECT_EQ(LiveObjects(), m_live);
    }
    static COleDispatchDriver Collection()
    {
        IDispatch* d = BptGetBkptCollection();
        EXPECT_NE(d, nullptr);
        return COleDispatchDriver(d);
    }
    static LONG Count(COleDispatchDriver& c)
    {
        LONG n = -1;
        c.GetProperty(kCount, VT_I4, &n);
        return n;
    }
    static LONG AddressOfItem(COleDispatchDriver& c, LONG index)
    {
        IDispatch* item = nullptr;
        c.InvokeHelper(DISPID_VALUE, DISPATCH_METHOD | DISPATCH_PROPERTYGET, VT_DISPATCH, &item, VTS_I4, index);
        COleDispatchDriver b(item);
        LONG address = 0;
        b.GetProperty(kAddress, VT_I4, &address);
        return address;
    }
    // The error number a call through the driver failed with, and the
    // thread's error information it left.
    template <typename Call>
    static int ErrorOf(Call call)
    {
        try {
            call();
        } catch (const COleDispatchException& e) {
            IErrorInfo* info = nullptr;
            EXPECT_EQ(GetErrorInfo(0, &info), S_OK);
            if (info) {
                GUID guid = GUID_NULL;
                BSTR source = nullptr;
                info->GetGUID(&guid);
                info->GetSource(&source);
                EXPECT_EQ(guid, IID_IBreakpoints);
                EXPECT_STREQ(source, "Vantirel");
                SysFreeString(source);
                info->Release();
            }
            return e.m_hr == DISP_E_EXCEPTION ? e.m_scError & 0xFFFF : -1;
        }
        return 0;
    }
    long m_live = 0;
};

TEST_F(BpAutomation, RecordPropertiesReadTheRecordAndEnableChangesOnlyTheFlag)
{
    Set(0x8000);
    CBpDataEx* record = BptGetList()->front();
    COleDispatchDriver bp(record->GetIDispatch(TRUE));
    VARIANT type;
    VariantInit(&type);
    bp.GetProperty(kType, VT_VARIANT, &type);
    EXPECT_EQ(type.vt, VT_I2);
    EXPECT_EQ(type.iVal, 0);
    LONG address = 0;
    bp.GetProperty(kAddress, VT_I4, &address);
    EXPECT_EQ(address, 0x8000);

    Fake().calls.clear();
    struct Row {
        int put;
        int enabled;
    } rows[] = {{0, 0}, {5, 1}, {0, 0}, {-1, 1}};
    for (const Row& r : rows) {
        bp.SetProperty(kEnable, VT_I4, r.put);
        EXPECT_EQ(record->IsEnable(), r.enabled) << r.put;
        LONG got = -1;
        bp.GetProperty(kEnable, VT_I4, &got);
        EXPECT_EQ(got, r.enabled);
    }
    EXPECT_TRUE(Fake().calls.empty());  // the target is not told
    EXPECT_THROW(bp.SetProperty(kAddress, VT_I4, 0x100), COleDispatchException);
    EXPECT_EQ(record->GetAddr().off, 0x8000u);
}

TEST_F(BpAutomation, CollectionFollowsTheListInOrder)
{
    ResetLibrary();
    EXPECT_EQ(BptGetBkptCollection(), nullptr);  // made by EmuInit only
    EmuInit(window_);

    Set(0x100);
    Set(0x200);
    Set(0x300);
    COleDispatchDriver c = Collection();
    EXPECT_EQ(Count(c), 3);
    EXPECT_EQ(AddressOfItem(c, 0), 0x100);  // the oldest at the lower bound
    EXPECT_EQ(AddressOfItem(c, 2), 0x300);
    EXPECT_EQ(ErrorOf([&] { AddressOfItem(c, 3); }), kCollectionBadIndex);
    EXPECT_EQ(ErrorOf([&] { AddressOfItem(c, -1); }), kCollectionBadIndex);

    const ADDR first{0x100, ADDR_SPACE_TARGET};
    ASSERT_EQ(BptClearBp(&first, 0), EMU_OK);
    EXPECT_EQ(Count(c), 2);
    EXPECT_EQ(AddressOfItem(c, 0), 0x200);  // the later ones moved down

    // A new connection's collection holds the records already set.
    EmuInit(window_);
    COleDispatchDriver again = Collection();
    EXPECT_NE(again.m_lpDispatch, c.m_lpDispatch);
    EXPECT_EQ(Count(again), 2);
    EXPECT_EQ(AddressOfItem(again, 1), 0x300);

    ASSERT_EQ(BptClearAll(), EMU_OK);
    EXPECT_EQ(Count(again), 0);
}

TEST_F(BpAutomation, EnumeratorFetchesInBatchesAndClonesKeepThePlace)
{
    for (uint32_t a : {0x10u, 0x20u, 0x30u})
        Set(a);
    COleDispatchDriver c = Collection();
    VARIANT e;
    VariantInit(&e);
    c.InvokeHelper(DISPID_NEWENUM, DISPATCH_METHOD | DISPATCH_PROPERTYGET, VT_VARIANT, &e, VTS_NONE);
    ASSERT_EQ(e.vt, VT_UNKNOWN);
    IEnumVARIANT* items = nullptr;
    ASSERT_EQ(e.punkVal->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&items)), S_OK);
    VariantClear(&e);

    VARIANT got[10];
    ULONG fetched = 99;
    ASSERT_EQ(items->Next(1, got, &fetched), S_OK);
    EXPECT_EQ(fetched, 1u);
    VariantClear(&got[0]);
    IEnumVARIANT* copy = nullptr;
    ASSERT_EQ(items->Clone(&copy), S_OK);
    EXPECT_EQ(items->Next(10, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    for (ULONG i = 0; i < fetched; ++i) {
        EXPECT_EQ(got[i].vt, VT_DISPATCH);
        VariantClear(&got[i]);
    }
    EXPECT_EQ(items->Next(10, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(copy->Next(10, got, &fetched), S_FALSE);  // the clone went on from the second
    EXPECT_EQ(fetched, 2u);
    COleDispatchDriver second(got[0].pdispVal, FALSE);
    LONG address = 0;
    second.GetProperty(kAddress, VT_I4, &address);
    EXPECT_EQ(address, 0x20);
    for (ULONG i = 0; i < fetched; ++i)
        VariantClear(&got[i]);
    EXPECT_EQ(copy->Skip(5), S_FALSE);
    EXPECT_EQ(copy->Reset(), S_OK);
    EXPECT_EQ(copy->Skip(3), S_OK);
    copy->Release();
    items->Release();
}

TEST_F(BpAutomation, AddRefusesWhatIsNoBreakpointAndAFullCollection)
{
    Set(0x40);
    COleDispatchDriver c = Collection();
    // An object that is not a breakpoint item.
    COleDispatchDriver other(zk::automation::testing::NewTestObject());
    EXPECT_EQ(
        ErrorOf([&] { c.InvokeHelper(kAdd, DISPATCH_METHOD, VT_EMPTY, nullptr, VTS_DISPATCH, other.m_lpDispatch); }),
        kCollectionNotABreakpoint);
    EXPECT_EQ(ErrorOf([&] { c.InvokeHelper(kRemove, DISPATCH_METHOD, VT_EMPTY, nullptr, VTS_I4, 1); }),
              kCollectionBadIndex);
    EXPECT_EQ(Count(c), 1);

    // A collection of one slot from lower bound 1.
    auto* small = new BreakpointCollection(1, 1);
    COleDispatchDriver s(small);
    IDispatch* item = BptGetList()->front()->GetIDispatch(FALSE);
    EXPECT_EQ(small->Add(item), S_OK);
    EXPECT_EQ(small->Add(item), CollectionError(kCollectionFull));
    EXPECT_EQ(ErrorOf([&] { AddressOfItem(s, 0); }), kCollectionBadIndex);
    EXPECT_EQ(AddressOfItem(s, 1), 0x40);
    s.InvokeHelper(kClear, DISPATCH_METHOD, VT_EMPTY, nullptr, VTS_NONE);
    EXPECT_EQ(Count(s), 0);
}

TEST_F(BpAutomation, AFailedAddLeavesTheRecordToTheList)
{
    Core().breakpoints.AttachCollection(new BreakpointCollection(1, 0));
    Set(0x500);
    Set(0x600);  // the collection is full: the list still holds the record
    ASSERT_EQ(BptGetList()->size(), 2u);
    EXPECT_EQ(BptGetList()->back()->GetAddr().off, 0x600u);
    EXPECT_EQ(BptGetList()->back()->ExternalRefCount(), 1u);
    SetErrorInfo(0, nullptr);
    const ADDR second{0x600, ADDR_SPACE_TARGET};
    ASSERT_EQ(BptClearBp(&second, 0), EMU_OK);
    COleDispatchDriver c = Collection();
    EXPECT_EQ(Count(c), 1);
}

// Scripts see the collection as an item: For Each, the default member,
// errors with their number and source, and items kept past their clearing.
class Hook final : public CCmdTarget {
public:
    Hook()
    {
        EnableAutomation();
        DispMethod("ClearAll", VT_EMPTY, VTS_NONE, [](DispatchCall&) {
            BptClearAll();
            return S_OK;
        });
        DispProperty("Breakpoints", VT_DISPATCH, [](DispatchCall& c) {
            c.Result().vt = VT_DISPATCH;
            c.Result().pdispVal = BptGetBkptCollection();
            return S_OK;
        });
    }
};

TEST_F(BpAutomation, ScriptsWalkChangeAndKeepBreakpoints)
{
    Set(0x8000);
    Set(0x8010);
    auto* hook = new Hook;
    const zk::script::testing::RunResult r = zk::script::testing::RunScriptWith(
        "Set bps = Debugger.Breakpoints\n"
        "For Each b In bps\n Out.Print Hex(b.Address) & \" \" & b.Enable & \" \" & TypeName(b.Type)\nNext\n"
        "bps(1).Enable = 0\n"
        "Out.Print bps(1).Enable\n"
        "On Error Resume Next\n"
        "Set x = bps(bps.Count)\n"
        "Out.Print Err.Number & \" \" & Err.Source\n"
        "On Error GoTo 0\n"
        "Set kept = bps(0)\n"
        "Debugger.ClearAll\n"
        "Out.Print bps.Count & \" \" & Hex(kept.Address)\n",
        "Debugger", hook->GetIDispatch(FALSE));
    EXPECT_EQ(zk::script::testing::Joined(r.output), "8000 1 Integer|8010 1 Integer|0|1003 Vantirel|0 8000");
    EXPECT_TRUE(r.errors.empty());
    EXPECT_TRUE(BptGetList()->empty());
    EXPECT_EQ(hook->ExternalRelease(), 0u);
}

}  // namespace
}  // namespace sarvik::test

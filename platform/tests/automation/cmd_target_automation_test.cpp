// The automation side of command targets: the dispatch map, external
// reference counts, connection points, the driver and the class factory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ole.h"

namespace platform {
namespace {

using zk::automation::DispatchCall;
using zk::automation::LiveObjects;

const IID IID_ICounter = {0x1F00AA01, 0x0001, 0x0002, {1, 2, 3, 4, 5, 6, 7, 8}};
const IID IID_ICounterEvents = {0x1F00AA02, 0x0001, 0x0002, {1, 2, 3, 4, 5, 6, 7, 8}};
const CLSID CLSID_Counter = {0x1F00AA03, 0x0001, 0x0002, {1, 2, 3, 4, 5, 6, 7, 8}};

// "Value" (1, get and put), "Name" (2, read-only), "Add" (3, method),
// "Item" (DISPID_VALUE, indexed by the default member's call), "Parent" (5,
// an object property: get and put).
class CCounter : public CCmdTarget {
    DECLARE_DYNCREATE(CCounter)
public:
    CCounter()
    {
        EnableAutomation();
        DispProperty(
            "Value", VT_I4, [this](DispatchCall& c) { return Set(c.Result(), value); },
            [this](DispatchCall& c) {
                value = c.Value().lVal;
                return S_OK;
            });
        DispProperty("Name", VT_BSTR, [](DispatchCall& c) {
            c.Result().vt = VT_BSTR;
            c.Result().bstrVal = SysAllocString("counter");
            return S_OK;
        });
        DispMethod("Add", VT_I4, VTS_I4 VTS_I4, [this](DispatchCall& c) {
            value += c.I4(0) + c.I4(1);
            return Set(c.Result(), value);
        });
        DispMethodId("Item", DISPID_VALUE, VT_I4, VTS_I4, [](DispatchCall& c) {
            if (c.I4(0) < 0)
                return c.Raise(hresult(0x800A0009), "Subscript out of range");
            return Set(c.Result(), c.I4(0) * 10);
        });
        DispProperty(
            "Parent", VT_DISPATCH,
            [](DispatchCall& c) {
                c.Result().vt = VT_DISPATCH;
                c.Result().pdispVal = nullptr;
                return S_OK;
            },
            [this](DispatchCall& c) {
                parentNull = c.Value().vt == VT_DISPATCH && !c.Value().pdispVal;
                return S_OK;
            });
        ++alive;
    }
    ~CCounter() override { --alive; }
    BOOL GetDispatchIID(IID* iid) override
    {
        *iid = IID_ICounter;
        return TRUE;
    }
    static HRESULT Set(VARIANT& v, LONG n)
    {
        v.vt = VT_I4;
        v.lVal = n;
        return S_OK;
    }
    LONG value = 0;
    bool parentNull = false;
    static inline int alive = 0;
};
IMPLEMENT_DYNCREATE(CCounter, CCmdTarget)

// A source of events through one connection point, found by hook or as an
// extra point.
class CSource : public CCmdTarget {
public:
    explicit CSource(bool asHook)
        : m_asHook(asHook), m_point(new zk::automation::ConnectionPoint(nullptr, IID_ICounterEvents))
    {
        EnableAutomation();
        EnableConnections();
    }
    ~CSource() override
    {
        m_point->Detach();
        m_point->Release();
    }
    IConnectionPoint* GetConnectionHook(REFIID iid) override
    {
        return m_asHook && iid == IID_ICounterEvents ? m_point : nullptr;
    }
    BOOL GetExtraConnectionPoints(std::vector<IConnectionPoint*>* points) override
    {
        if (m_asHook)
            return FALSE;
        points->push_back(m_point);
        return TRUE;
    }
    bool m_asHook;
    zk::automation::ConnectionPoint* m_point;
};

class CmdTargetAutomation : public ::testing::Test {
protected:
    void SetUp() override { m_live = LiveObjects(); }
    void TearDown() override
    {
        SetErrorInfo(0, nullptr);  // what a raised error left
        EXPECT_EQ(CCounter::alive, 0);
        EXPECT_EQ(LiveObjects(), m_live);
    }
    long m_live = 0;
};

TEST_F(CmdTargetAutomation, DispatchMapNumbersMembersByPositionAndServesGetPutAndMethods)
{
    auto* counter = new CCounter;
    COleDispatchDriver driver(counter->GetIDispatch(FALSE));  // takes over the creator's reference

    struct Row {
        const char* name;
        DISPID dispid;
    } rows[] = {{"Value", 1}, {"name", 2}, {"ADD", 3}, {"Item", DISPID_VALUE}};
    for (const Row& r : rows) {
        std::string n = r.name;
        LPOLESTR names[] = {n.data()};
        DISPID id = 99;
        EXPECT_EQ(driver.m_lpDispatch->GetIDsOfNames(GUID_NULL, names, 1, 0, &id), S_OK) << r.name;
        EXPECT_EQ(id, r.dispid) << r.name;
    }

    driver.SetProperty(1, VT_I4, 5);
    LONG n = 0;
    driver.InvokeHelper(3, DISPATCH_METHOD, VT_I4, &n, VTS_I4 VTS_I4, 2, 3);
    EXPECT_EQ(n, 10);
    EXPECT_EQ(counter->value, 10);
    std::string name;
    driver.GetProperty(2, VT_BSTR, &name);
    EXPECT_EQ(name, "counter");
    driver.InvokeHelper(DISPID_VALUE, DISPATCH_METHOD | DISPATCH_PROPERTYGET, VT_I4, &n, VTS_I4, 4);
    EXPECT_EQ(n, 40);

    // An object property takes its put by reference (a script's Set); a
    // property of another type refuses it.
    IDispatch* none = nullptr;
    driver.SetProperty(5, VT_DISPATCH, none);
    EXPECT_TRUE(counter->parentNull);
    try {
        driver.InvokeHelper(1, DISPATCH_PROPERTYPUTREF, VT_EMPTY, nullptr, VTS_I4, 7);
        ADD_FAILURE() << "put by reference of a number succeeded";
    } catch (const COleDispatchException& e) {
        EXPECT_EQ(e.m_hr, DISP_E_MEMBERNOTFOUND);
    }

    // A read-only property refuses a put; a raised error carries its texts.
    try {
        driver.SetProperty(2, VT_BSTR, "x");
        ADD_FAILURE() << "put of a read-only property succeeded";
    } catch (const COleDispatchException& e) {
        EXPECT_EQ(e.m_hr, DISP_E_MEMBERNOTFOUND);
    }
    try {
        driver.InvokeHelper(DISPID_VALUE, DISPATCH_METHOD, VT_I4, &n, VTS_I4, -1);
        ADD_FAILURE() << "raised error not thrown";
    } catch (const COleDispatchException& e) {
        EXPECT_EQ(e.m_hr, DISP_E_EXCEPTION);
        EXPECT_EQ(e.m_scError, hresult(0x800A0009));
        EXPECT_EQ(e.m_strDescription, "Subscript out of range");
    }
}

TEST_F(CmdTargetAutomation, ExternalReferencesEndInOnFinalRelease)
{
    auto* counter = new CCounter;
    EXPECT_EQ(counter->ExternalRefCount(), 1u);
    IDispatch* d = counter->GetIDispatch(TRUE);
    EXPECT_EQ(counter->ExternalRefCount(), 2u);
    EXPECT_EQ(CCmdTarget::FromIDispatch(d), counter);

    // The dispatch IID answers like IDispatch; unknown interfaces do not.
    void* same = nullptr;
    ASSERT_EQ(d->QueryInterface(IID_ICounter, &same), S_OK);
    EXPECT_EQ(same, d);
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(d->QueryInterface(IID_IConnectionPointContainer, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(counter->ExternalRefCount(), 3u);
    static_cast<IDispatch*>(same)->Release();

    EXPECT_EQ(d->Release(), 1u);
    EXPECT_EQ(CCounter::alive, 1);
    EXPECT_EQ(counter->ExternalRelease(), 0u);
    EXPECT_EQ(CCounter::alive, 0);

    // A target without automation has no dispatch interface.
    CCmdTarget plain;
    EXPECT_EQ(plain.GetIDispatch(TRUE), nullptr);
    EXPECT_EQ(CCmdTarget::FromIDispatch(nullptr), nullptr);
}

TEST_F(CmdTargetAutomation, ConnectionPointsAreFoundByHookOrAmongTheExtraPoints)
{
    for (bool asHook : {true, false}) {
        SCOPED_TRACE(asHook ? "hook" : "extra");
        auto* source = new CSource(asHook);
        IConnectionPointContainer* container = nullptr;
        ASSERT_EQ(source->ExternalQueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)),
                  S_OK);
        EXPECT_EQ(source->ExternalRefCount(), 2u);  // the container's reference is the object's
        IConnectionPoint* point = nullptr;
        EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, &point), CONNECT_E_NOCONNECTION);
        ASSERT_EQ(container->FindConnectionPoint(IID_ICounterEvents, &point), S_OK);
        EXPECT_EQ(point, source->m_point);
        point->Release();
        IDispatch* back = nullptr;
        ASSERT_EQ(container->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&back)), S_OK);
        EXPECT_EQ(back, source->GetIDispatch(FALSE));
        back->Release();
        container->Release();
        EXPECT_EQ(source->ExternalRelease(), 0u);
    }
}

TEST_F(CmdTargetAutomation, ObjectFactoryMakesTargetsForClientsByClassIdAndProgId)
{
    {
        COleObjectFactory factory(CLSID_Counter, RUNTIME_CLASS(CCounter), TRUE, "Test.Counter");
        COleDispatchDriver none;
        EXPECT_FALSE(none.CreateDispatch("Test.Counter"));  // not registered yet
        ASSERT_TRUE(COleObjectFactory::RegisterAll());
        EXPECT_TRUE(factory.IsRegistered());

        COleDispatchDriver a, b;
        ASSERT_TRUE(a.CreateDispatch("test.counter"));
        ASSERT_TRUE(b.CreateDispatch(CLSID_Counter));
        EXPECT_EQ(CCounter::alive, 2);
        EXPECT_EQ(CCmdTarget::FromIDispatch(a.m_lpDispatch)->ExternalRefCount(), 1u);
        a.SetProperty(1, VT_I4, 7);
        LONG v = 0;
        b.GetProperty(1, VT_I4, &v);
        EXPECT_EQ(v, 0);  // a new object each time
        a.ReleaseDispatch();
        EXPECT_EQ(CCounter::alive, 1);
    }  // the factory leaves the registry with its destruction
    COleDispatchDriver late;
    EXPECT_FALSE(late.CreateDispatch(CLSID_Counter));

    // A single-instance class serves one client.
    COleObjectFactory single(CLSID_Counter, RUNTIME_CLASS(CCounter), FALSE, nullptr);
    single.Register();
    COleDispatchDriver first, second;
    EXPECT_TRUE(first.CreateDispatch(CLSID_Counter));
    EXPECT_FALSE(second.CreateDispatch(CLSID_Counter));
    EXPECT_FALSE(single.IsRegistered());
}

TEST_F(CmdTargetAutomation, ApplicationLockCountsDownToZeroAndNoFurther)
{
    const LONG start = AfxOleLockCount();
    AfxOleLockApp();
    AfxOleLockApp();
    EXPECT_EQ(AfxOleLockCount(), start + 2);
    AfxOleUnlockApp();
    AfxOleUnlockApp();
    EXPECT_EQ(AfxOleLockCount(), start);
    if (start == 0) {
        AfxOleUnlockApp();
        EXPECT_EQ(AfxOleLockCount(), 0);
    }
    EXPECT_TRUE(AfxOleGetUserCtrl());
}

}  // namespace
}  // namespace platform

// Connection points, class information, the class registry and the
// VTS-string call helper, on the test object.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_object.h"

namespace zk::automation::testing {
namespace {

class Events : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_live = LiveObjects();
        m_object = NewTestObject();
        IConnectionPointContainer* container = nullptr;
        ASSERT_EQ(m_object->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)), S_OK);
        EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, &m_point), CONNECT_E_NOCONNECTION);
        ASSERT_EQ(container->FindConnectionPoint(DIID_TestEvents, &m_point), S_OK);
        container->Release();
    }
    void TearDown() override
    {
        if (m_point)
            m_point->Release();
        if (m_object)
            m_object->Release();
        EXPECT_EQ(LiveObjects(), m_live);
    }
    HRESULT Raise(LONG value)
    {
        return InvokeHelper(m_object, kRaise, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, VTS_I4, value);
    }

    long m_live = 0;
    IDispatch* m_object = nullptr;
    IConnectionPoint* m_point = nullptr;
    std::vector<std::string> m_log;
};

TEST_F(Events, SinksAreCalledInConnectionOrderUntilUnadvised)
{
    auto* a = new TestSink("a", &m_log, true);
    auto* b = new TestSink("b", &m_log, false);  // plain dispatch only
    auto* c = new TestSink("c", &m_log, false, false);
    DWORD ca = 0, cb = 0, cc = 7;
    EXPECT_EQ(m_point->Advise(b, &cb), S_OK);
    EXPECT_EQ(m_point->Advise(a, &ca), S_OK);
    EXPECT_EQ(m_point->Advise(c, &cc), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cc, 0u);
    EXPECT_NE(ca, cb);
    EXPECT_EQ(Raise(1), S_OK);
    EXPECT_EQ(m_point->Unadvise(cb), S_OK);
    EXPECT_EQ(m_point->Unadvise(cb), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(m_point->Unadvise(12345), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(Raise(2), S_OK);
    EXPECT_EQ(m_log, (std::vector<std::string>{"b:1", "a:1", "a:2"}));
    EXPECT_EQ(m_point->Unadvise(ca), S_OK);
    for (TestSink* s : {a, b, c})
        EXPECT_EQ(s->Release(), 0u);  // the point kept no reference
}

TEST_F(Events, FailingSinkIsSkippedAndNoSinkIsNoEvent)
{
    EXPECT_EQ(Raise(1), S_OK);  // nobody connected
    auto* a = new TestSink("a", &m_log, true);
    auto* b = new TestSink("b", &m_log, true);
    a->result = E_FAIL;
    DWORD ca = 0, cb = 0;
    m_point->Advise(a, &ca);
    m_point->Advise(b, &cb);
    EXPECT_EQ(Raise(3), S_OK);
    EXPECT_EQ(m_log, (std::vector<std::string>{"a:3", "b:3"}));
    m_point->Unadvise(ca);
    m_point->Unadvise(cb);
    a->Release();
    b->Release();
}

TEST_F(Events, SinkMayDisconnectOthersOrReleaseTheSourceInsideAnEvent)
{
    auto* a = new TestSink("a", &m_log, true);
    auto* b = new TestSink("b", &m_log, true);
    DWORD ca = 0, cb = 0;
    m_point->Advise(a, &ca);
    m_point->Advise(b, &cb);
    a->onEvent = [&] { m_point->Unadvise(cb); };
    EXPECT_EQ(Raise(1), S_OK);
    EXPECT_EQ(m_log, (std::vector<std::string>{"a:1"}));
    // The source's last reference dropped inside its own event.
    a->onEvent = [&] {
        m_object->Release();
        m_object = nullptr;
    };
    IDispatch* object = m_object;
    EXPECT_EQ(InvokeHelper(object, kRaise, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, VTS_I4, 2), S_OK);
    EXPECT_EQ(m_log.back(), "a:2");
    IConnectionPointContainer* owner = reinterpret_cast<IConnectionPointContainer*>(1);
    EXPECT_EQ(m_point->GetConnectionPointContainer(&owner), E_UNEXPECTED);  // owner gone
    EXPECT_EQ(owner, nullptr);
    m_point->Unadvise(ca);
    a->Release();
    b->Release();
}

TEST_F(Events, ClassInformationNamesTheEventsInterface)
{
    IProvideClassInfo2* info = nullptr;
    ASSERT_EQ(m_object->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(&info)), S_OK);
    GUID events = GUID_NULL;
    EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events), S_OK);
    EXPECT_EQ(events, DIID_TestEvents);
    IID pointIid = GUID_NULL;
    EXPECT_EQ(m_point->GetConnectionInterface(&pointIid), S_OK);
    EXPECT_EQ(pointIid, DIID_TestEvents);
    EXPECT_EQ(info->GetGUID(2, &events), E_INVALIDARG);
    EXPECT_EQ(events, GUID_NULL);
    info->Release();
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(m_object->QueryInterface(IID_IEnumVARIANT, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
}

TEST_F(Events, ClassRegistryCreatesByProgId)
{
    RegisterTestObject();
    CLSID clsid = GUID_NULL;
    EXPECT_EQ(CLSIDFromProgID("zelkor.testOBJECT", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_TestObject);
    EXPECT_EQ(CLSIDFromProgID("Zelkor.Nothing", &clsid), CO_E_CLASSSTRING);
    IDispatch* made = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_TestObject, nullptr, CLSCTX_ALL, IID_IDispatch, reinterpret_cast<void**>(&made)),
              S_OK);
    VARIANT name;
    VariantInit(&name);
    EXPECT_EQ(InvokeHelper(made, kName, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, nullptr, VTS_BSTR, "made"), S_OK);
    EXPECT_EQ(InvokeHelper(made, kCount, DISPATCH_PROPERTYGET, VT_BSTR, &name, nullptr, VTS_NONE), S_OK);
    EXPECT_STREQ(name.bstrVal, "4");
    VariantClear(&name);
    EXPECT_EQ(InvokeHelper(made, kJoin, DISPATCH_METHOD, VT_BSTR, &name, nullptr, VTS_BSTR VTS_BSTR VTS_VARIANT, "x",
                           "y", nullptr),
              E_POINTER);
    EXPECT_EQ(made->Release(), 0u);
    IUnknown* outer = m_object;
    void* out = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_TestObject, outer, CLSCTX_ALL, IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(CoCreateInstance(DIID_TestEvents, nullptr, CLSCTX_ALL, IID_IUnknown, &out), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoCreateInstance(CLSID_TestObject, nullptr, CLSCTX_ALL, IID_IConnectionPoint, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    UnregisterClass(CLSID_TestObject);
    EXPECT_EQ(CLSIDFromProgID(kTestProgId, &clsid), CO_E_CLASSSTRING);
}

}  // namespace
}  // namespace zk::automation::testing

#include "test_object.h"

#include <algorithm>
#include <memory>

namespace zk::automation::testing {

namespace {

BSTR Bstr(const std::string& s)
{
    return SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
}

class TestCollection final : public DispatchObject {
public:
    explicit TestCollection(std::vector<std::string> items) : m_items(std::move(items)) {}

protected:
    DispatchTable Members() const override
    {
        static const DispatchMember members[] = {
            {"Count", 1, MemberKind::Property, VTS_NONE, VT_I4, 0,
             [](DispatchObject& self, DispatchCall& call) {
                 call.Result().vt = VT_I4;
                 call.Result().lVal = static_cast<LONG>(static_cast<TestCollection&>(self).m_items.size());
                 return S_OK;
             }},
            {"Item", DISPID_VALUE, MemberKind::Property, VTS_I4, VT_BSTR, 0,
             [](DispatchObject& self, DispatchCall& call) {
                 auto& items = static_cast<TestCollection&>(self).m_items;
                 const LONG i = call.I4(0);
                 if (i < 1 || static_cast<size_t>(i) > items.size())
                     return DISP_E_BADINDEX;
                 call.Result().vt = VT_BSTR;
                 call.Result().bstrVal = Bstr(items[i - 1]);
                 return S_OK;
             }},
            {"_NewEnum", DISPID_NEWENUM, MemberKind::Method, VTS_NONE, VT_UNKNOWN, 0,
             [](DispatchObject& self, DispatchCall& call) {
                 std::vector<VARIANT> values;
                 for (const std::string& s : static_cast<TestCollection&>(self).m_items) {
                     VARIANT v;
                     VariantInit(&v);
                     v.vt = VT_BSTR;
                     v.bstrVal = Bstr(s);
                     values.push_back(v);
                 }
                 call.Result().vt = VT_UNKNOWN;
                 call.Result().punkVal = NewVariantEnumerator(values);
                 for (VARIANT& v : values)
                     VariantClear(&v);
                 return S_OK;
             }},
        };
        return members;
    }
    const char* SourceName() const override { return "Zelkor.TestCollection"; }

private:
    std::vector<std::string> m_items;
};

class TestObject final : public DispatchObject, public IConnectionPointContainer, public IProvideClassInfo2 {
public:
    TestObject() : m_events(new ConnectionPoint(this, DIID_TestEvents)) {}
    ~TestObject() override
    {
        m_events->Detach();
        m_events->Release();
        if (m_child)
            m_child->Release();
    }

    HRESULT QueryInterface(REFIID riid, void** object) override { return DispatchObject::QueryInterface(riid, object); }
    ULONG AddRef() override { return DispatchObject::AddRef(); }
    ULONG Release() override { return DispatchObject::Release(); }

    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) override
    {
        if (!point)
            return E_POINTER;
        *point = nullptr;
        if (riid != DIID_TestEvents)
            return CONNECT_E_NOCONNECTION;
        m_events->AddRef();
        *point = m_events;
        return S_OK;
    }
    HRESULT GetClassInfo(ITypeInfo** info) override
    {
        if (info)
            *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetGUID(DWORD kind, GUID* guid) override
    {
        if (!guid)
            return E_POINTER;
        if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
            *guid = GUID_NULL;
            return E_INVALIDARG;
        }
        *guid = DIID_TestEvents;
        return S_OK;
    }

protected:
    void* OtherInterface(REFIID riid) override
    {
        if (riid == IID_IConnectionPointContainer)
            return static_cast<IConnectionPointContainer*>(this);
        if (riid == IID_IProvideClassInfo2)
            return static_cast<IProvideClassInfo2*>(this);
        return nullptr;
    }
    const char* SourceName() const override { return kTestProgId; }
    DispatchTable Members() const override;

private:
    static TestObject& Self(DispatchObject& o) { return static_cast<TestObject&>(o); }

    std::string m_name = "unnamed";
    LONG m_value = 7;
    IDispatch* m_child = nullptr;
    ConnectionPoint* m_events;
};

DispatchTable TestObject::Members() const
{
    static const DispatchMember members[] = {
        {"Name", kName, MemberKind::Property, VTS_NONE, VT_BSTR, 0,
         [](DispatchObject& o, DispatchCall& call) {
             call.Result().vt = VT_BSTR;
             call.Result().bstrVal = Bstr(Self(o).m_name);
             return S_OK;
         },
         [](DispatchObject& o, DispatchCall& call) {
             const VARIANT& v = call.Value();
             Self(o).m_name.assign(v.bstrVal, SysStringLen(v.bstrVal));
             return S_OK;
         }},
        {"Count", kCount, MemberKind::Property, VTS_NONE, VT_I4, 0,
         [](DispatchObject& o, DispatchCall& call) {
             call.Result().vt = VT_I4;
             call.Result().lVal = static_cast<LONG>(Self(o).m_name.size());
             return S_OK;
         }},
        {"Value", DISPID_VALUE, MemberKind::Property, VTS_NONE, VT_I4, 0,
         [](DispatchObject& o, DispatchCall& call) {
             call.Result().vt = VT_I4;
             call.Result().lVal = Self(o).m_value;
             return S_OK;
         },
         [](DispatchObject& o, DispatchCall& call) {
             Self(o).m_value = call.Value().lVal;
             return S_OK;
         }},
        {"Child", kChild, MemberKind::Property, VTS_NONE, VT_DISPATCH, 0,
         [](DispatchObject& o, DispatchCall& call) {
             call.Result().vt = VT_DISPATCH;
             call.Result().pdispVal = Self(o).m_child;
             if (Self(o).m_child)
                 Self(o).m_child->AddRef();
             return S_OK;
         },
         nullptr,
         [](DispatchObject& o, DispatchCall& call) {
             IDispatch*& child = Self(o).m_child;
             if (child)
                 child->Release();
             child = call.Value().pdispVal;
             if (child)
                 child->AddRef();
             return S_OK;
         }},
        // Add(a, [b = 100]) -> a + b
        {"Add", kAdd, MemberKind::Method, VTS_I4 VTS_I4, VT_I4, 1,
         [](DispatchObject&, DispatchCall& call) {
             const double sum = double(call.I4(0)) + (call.Missing(1) ? 100 : call.I4(1));
             VARIANT v;
             VariantInit(&v);
             v.vt = VT_R8;
             v.dblVal = sum;
             return VariantChangeType(&call.Result(), &v, 0, VT_I4);
         },
         nullptr, nullptr, "a,b"},
        // Join(first, second, [separator = ","])
        {"Join", kJoin, MemberKind::Method, VTS_BSTR VTS_BSTR VTS_BSTR, VT_BSTR, 1,
         [](DispatchObject&, DispatchCall& call) {
             const std::string sep = call.Missing(2) ? "," : call.Text(2);
             call.Result().vt = VT_BSTR;
             call.Result().bstrVal = Bstr(call.Text(0) + sep + call.Text(1));
             return S_OK;
         },
         nullptr, nullptr, "first, second, separator"},
        {"Twice", kTwice, MemberKind::Method, VTS_PI4, VT_EMPTY, 0,
         [](DispatchObject&, DispatchCall& call) {
             *call.Arg(0).plVal *= 2;
             return S_OK;
         }},
        {"Fail", kFail, MemberKind::Method, VTS_NONE, VT_EMPTY, 0,
         [](DispatchObject&, DispatchCall& call) { return call.Raise(kFailCode, "The operation failed"); }},
        {"Items", kItems, MemberKind::Property, VTS_NONE, VT_DISPATCH, 0,
         [](DispatchObject&, DispatchCall& call) {
             call.Result().vt = VT_DISPATCH;
             call.Result().pdispVal = new TestCollection({"one", "two", "three"});
             return S_OK;
         }},
        {"Raise", kRaise, MemberKind::Method, VTS_I4, VT_EMPTY, 0,
         [](DispatchObject& o, DispatchCall& call) {
             Self(o).m_events->FireEvent(kEventChanged, VTS_I4, call.I4(0));
             return S_OK;
         }},
    };
    return members;
}

}  // namespace

IDispatch* NewTestObject()
{
    return new TestObject;
}

void RegisterTestObject()
{
    RegisterClass(CLSID_TestObject, kTestProgId,
                  [] { return static_cast<IUnknown*>(static_cast<DispatchObject*>(new TestObject)); });
}

TestSink::TestSink(std::string tag, std::vector<std::string>* log, bool answersEvents, bool answersDispatch)
    : m_tag(std::move(tag)), m_log(log), m_answersEvents(answersEvents), m_answersDispatch(answersDispatch)
{}

HRESULT TestSink::QueryInterface(REFIID riid, void** object)
{
    if (riid == IID_IDispatch && !m_answersDispatch) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    return DispatchObject::QueryInterface(riid, object);
}

void* TestSink::OtherInterface(REFIID riid)
{
    return m_answersEvents && riid == DIID_TestEvents ? static_cast<IDispatch*>(this) : nullptr;
}

DispatchTable TestSink::Members() const
{
    static const DispatchMember members[] = {
        {"Changed", kEventChanged, MemberKind::Method, VTS_I4, VT_EMPTY, 0,
         [](DispatchObject& o, DispatchCall& call) {
             auto& sink = static_cast<TestSink&>(o);
             sink.m_log->push_back(sink.m_tag + ":" + std::to_string(call.I4(0)));
             if (sink.onEvent)
                 sink.onEvent();
             return sink.result;
         }},
    };
    return members;
}

}  // namespace zk::automation::testing

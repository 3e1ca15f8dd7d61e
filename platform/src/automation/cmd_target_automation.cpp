// The automation side of CCmdTarget: the dispatch part answering from the
// object's dispatch map, the connection-point container part, and the
// external reference count that both parts share with the object.
#include <deque>
#include <string>

#include "platform/cmd_target.h"
#include "platform/connection.h"

namespace platform {

using zk::automation::DispatchCall;
using zk::automation::DispatchMember;
using zk::automation::DispatchObject;
using zk::automation::DispatchTable;
using zk::automation::MemberKind;

namespace {

// One entry of a dispatch map; its texts stay where they are (deque).
struct DispEntry {
    std::string name;
    std::string params;
    DISPID dispid;
    CCmdTarget::DispHandler invoke;
    CCmdTarget::DispHandler put;
};

}  // namespace

struct CmdTargetAutomation {
    // The IDispatch of the object. Its references are the object's.
    class Dispatch final : public DispatchObject {
    public:
        explicit Dispatch(CmdTargetAutomation& part) : m_part(part) {}
        ~Dispatch() override = default;
        ULONG AddRef() override { return m_part.owner.ExternalAddRef(); }
        ULONG Release() override { return m_part.owner.ExternalRelease(); }
        CmdTargetAutomation& Part() { return m_part; }

    protected:
        DispatchTable Members() const override { return m_part.members; }
        const char* SourceName() const override { return m_part.source.c_str(); }
        void* OtherInterface(REFIID riid) override { return m_part.OtherInterface(riid); }

    private:
        CmdTargetAutomation& m_part;
    };

    // The IConnectionPointContainer of the object.
    class Container final : public IConnectionPointContainer {
    public:
        explicit Container(CmdTargetAutomation& part) : m_part(part) {}
        ~Container() override = default;
        HRESULT QueryInterface(REFIID riid, void** object) override
        {
            return m_part.owner.ExternalQueryInterface(riid, object);
        }
        ULONG AddRef() override { return m_part.owner.ExternalAddRef(); }
        ULONG Release() override { return m_part.owner.ExternalRelease(); }
        HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) override
        {
            if (!point)
                return E_POINTER;
            *point = m_part.owner.GetConnectionHook(riid);
            if (!*point) {
                std::vector<IConnectionPoint*> extra;
                m_part.owner.GetExtraConnectionPoints(&extra);
                for (IConnectionPoint* p : extra) {
                    IID iid = GUID_NULL;
                    if (p && SUCCEEDED(p->GetConnectionInterface(&iid)) && iid == riid) {
                        *point = p;
                        break;
                    }
                }
            }
            if (!*point)
                return CONNECT_E_NOCONNECTION;
            (*point)->AddRef();
            return S_OK;
        }

    private:
        CmdTargetAutomation& m_part;
    };

    explicit CmdTargetAutomation(CCmdTarget& o) : owner(o) {}

    void* OtherInterface(REFIID riid)
    {
        if (!enabled)
            return nullptr;
        if (container && riid == IID_IConnectionPointContainer)
            return static_cast<IConnectionPointContainer*>(container.get());
        IID own = GUID_NULL;
        if (owner.GetDispatchIID(&own) && own == riid)
            return static_cast<IDispatch*>(dispatch.get());
        return owner.GetInterfaceHook(riid);
    }

    void Add(const char* name, DISPID dispid, MemberKind kind, VARTYPE type, const char* params,
             CCmdTarget::DispHandler invoke, CCmdTarget::DispHandler put, uint8_t optional)
    {
        if (dispid == DISPID_UNKNOWN)
            dispid = static_cast<DISPID>(entries.size() + 1);
        entries.push_back({name ? name : "", params ? params : "", dispid, std::move(invoke), std::move(put)});
        const DispEntry& e = entries.back();
        DispatchMember m{e.name.c_str(), dispid, kind, e.params.c_str(), type, optional};
        m.invoke = e.invoke ? &CallInvoke : nullptr;
        m.put = e.put ? &CallPut : nullptr;
        // An object property is assigned with Set (a put by reference).
        if (kind == MemberKind::Property && (type == VT_DISPATCH || type == VT_UNKNOWN))
            m.putref = m.put;
        members.push_back(m);
    }

    static DispEntry* Find(DispatchObject& self, DISPID dispid)
    {
        for (DispEntry& e : static_cast<Dispatch&>(self).Part().entries)
            if (e.dispid == dispid)
                return &e;
        return nullptr;
    }
    static HRESULT CallInvoke(DispatchObject& self, DispatchCall& call)
    {
        DispEntry* e = Find(self, call.Member());
        return e && e->invoke ? e->invoke(call) : DISP_E_MEMBERNOTFOUND;
    }
    static HRESULT CallPut(DispatchObject& self, DispatchCall& call)
    {
        DispEntry* e = Find(self, call.Member());
        return e && e->put ? e->put(call) : DISP_E_MEMBERNOTFOUND;
    }

    CCmdTarget& owner;
    bool enabled = false;
    ULONG refs = 1;  // the creator's
    std::string source;
    std::deque<DispEntry> entries;
    std::vector<DispatchMember> members;
    std::unique_ptr<Dispatch> dispatch;
    std::unique_ptr<Container> container;
};

CCmdTarget::CCmdTarget() = default;

CCmdTarget::~CCmdTarget() = default;

CmdTargetAutomation& CCmdTarget::Automation()
{
    if (!automation_)
        automation_ = std::make_unique<CmdTargetAutomation>(*this);
    return *automation_;
}

void CCmdTarget::EnableAutomation()
{
    CmdTargetAutomation& a = Automation();
    if (!a.dispatch)
        a.dispatch = std::make_unique<CmdTargetAutomation::Dispatch>(a);
    a.enabled = true;
}

void CCmdTarget::EnableConnections()
{
    CmdTargetAutomation& a = Automation();
    if (!a.container)
        a.container = std::make_unique<CmdTargetAutomation::Container>(a);
}

bool CCmdTarget::IsAutomationEnabled() const
{
    return automation_ && automation_->enabled;
}

IDispatch* CCmdTarget::GetIDispatch(BOOL addRef)
{
    if (!IsAutomationEnabled())
        return nullptr;
    if (addRef)
        ExternalAddRef();
    return automation_->dispatch.get();
}

CCmdTarget* CCmdTarget::FromIDispatch(IDispatch* dispatch)
{
    auto* part = dynamic_cast<CmdTargetAutomation::Dispatch*>(dispatch);
    return part ? &part->Part().owner : nullptr;
}

ULONG CCmdTarget::ExternalAddRef()
{
    return ++Automation().refs;
}

ULONG CCmdTarget::ExternalRelease()
{
    CmdTargetAutomation& a = Automation();
    if (a.refs == 0)
        return 0;
    if (--a.refs == 0) {
        OnFinalRelease();
        return 0;
    }
    return a.refs;
}

HRESULT CCmdTarget::ExternalQueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!IsAutomationEnabled())
        return E_NOINTERFACE;
    return automation_->dispatch->QueryInterface(iid, object);
}

ULONG CCmdTarget::ExternalRefCount() const
{
    return automation_ ? automation_->refs : 1;
}

void CCmdTarget::OnFinalRelease()
{
    delete this;
}

BOOL CCmdTarget::GetDispatchIID(IID*)
{
    return FALSE;
}

IConnectionPoint* CCmdTarget::GetConnectionHook(REFIID)
{
    return nullptr;
}

BOOL CCmdTarget::GetExtraConnectionPoints(std::vector<IConnectionPoint*>*)
{
    return FALSE;
}

void* CCmdTarget::GetInterfaceHook(REFIID)
{
    return nullptr;
}

void CCmdTarget::DispProperty(const char* name, VARTYPE type, DispHandler get, DispHandler put)
{
    DispPropertyId(name, DISPID_UNKNOWN, type, std::move(get), std::move(put));
}

void CCmdTarget::DispMethod(const char* name, VARTYPE result, const char* params, DispHandler method, uint8_t optional)
{
    DispMethodId(name, DISPID_UNKNOWN, result, params, std::move(method), optional);
}

void CCmdTarget::DispPropertyId(const char* name, DISPID dispid, VARTYPE type, DispHandler get, DispHandler put)
{
    Automation().Add(name, dispid, MemberKind::Property, type, VTS_NONE, std::move(get), std::move(put), 0);
}

void CCmdTarget::DispMethodId(const char* name, DISPID dispid, VARTYPE result, const char* params, DispHandler method,
                              uint8_t optional)
{
    Automation().Add(name, dispid, MemberKind::Method, result, params, std::move(method), {}, optional);
}

void CCmdTarget::SetAutomationSource(const char* source)
{
    Automation().source = source ? source : "";
}

}  // namespace platform

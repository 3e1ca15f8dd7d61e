#include "shell/cmd_target_plus.h"

namespace shell {

IMPLEMENT_DYNCREATE(CCmdTargetPlus, CCmdTarget)

// IProvideClassInfo2 of the object: its references are the object's.
class CCmdTargetPlus::ClassInfo final : public IProvideClassInfo2 {
public:
    explicit ClassInfo(CCmdTargetPlus& owner) : owner_(owner) {}
    ~ClassInfo() override = default;
    HRESULT QueryInterface(REFIID riid, void** object) override { return owner_.ExternalQueryInterface(riid, object); }
    ULONG AddRef() override { return owner_.ExternalAddRef(); }
    ULONG Release() override { return owner_.ExternalRelease(); }
    // No type library is carried: the class's type information is not there.
    HRESULT GetClassInfo(ITypeInfo** info) override
    {
        if (!info)
            return E_POINTER;
        *info = nullptr;
        CLSID clsid;
        owner_.GetClassID(&clsid);
        return TYPE_E_ELEMENTNOTFOUND;
    }
    HRESULT GetGUID(DWORD kind, GUID* guid) override
    {
        if (!guid)
            return E_POINTER;
        if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
            *guid = GUID_NULL;
            return E_INVALIDARG;
        }
        *guid = owner_.m_piidEvents ? *owner_.m_piidEvents : GUID_NULL;
        return S_OK;
    }

private:
    inline static constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = hresult(0x8002802B);
    CCmdTargetPlus& owner_;
};

CCmdTargetPlus::CCmdTargetPlus() : classInfo_(std::make_unique<ClassInfo>(*this))
{
    EnableAutomation();
    EnableConnections();
}

CCmdTargetPlus::~CCmdTargetPlus()
{
    if (point_) {
        point_->Detach();
        point_->Release();
    }
}

zk::automation::ConnectionPoint* CCmdTargetPlus::Point()
{
    if (!point_) {
        IConnectionPointContainer* container = nullptr;
        ExternalQueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
        point_ = new zk::automation::ConnectionPoint(container, GUID_NULL);
        if (container)
            ExternalRelease();  // the point names its owner without holding it
    }
    // The derived class sets the events interface after the base is built.
    point_->SetInterface(m_piidEvents ? *m_piidEvents : GUID_NULL);
    if (m_piidEvents) {
        const zk::automation::DispatchTable events = GetEventMap();
        if (!events.empty())
            zk::automation::RegisterInterface(*m_piidEvents, events);
    }
    return point_;
}

IConnectionPoint* CCmdTargetPlus::EventConnectionPoint()
{
    return Point();
}

void CCmdTargetPlus::FireEvent(DISPID dispid, const char* paramTypes, ...)
{
    va_list list;
    va_start(list, paramTypes);
    FireEventV(dispid, paramTypes, list);
    va_end(list);
}

void CCmdTargetPlus::FireEventV(DISPID dispid, const char* paramTypes, va_list arguments)
{
    if (point_)
        point_->FireEventV(dispid, paramTypes, arguments);
}

BOOL CCmdTargetPlus::GetDispatchIID(IID* iid)
{
    if (!m_piidPrimary)
        return FALSE;
    *iid = *m_piidPrimary;
    return TRUE;
}

IConnectionPoint* CCmdTargetPlus::GetConnectionHook(REFIID iid)
{
    if (!m_piidEvents || iid != *m_piidEvents)
        return nullptr;
    return Point();
}

BOOL CCmdTargetPlus::GetExtraConnectionPoints(std::vector<IConnectionPoint*>* points)
{
    points->push_back(Point());
    return TRUE;
}

void* CCmdTargetPlus::GetInterfaceHook(REFIID iid)
{
    if (iid == IID_IProvideClassInfo2 || iid == IID_IProvideClassInfo)
        return static_cast<IProvideClassInfo2*>(classInfo_.get());
    return nullptr;
}

HRESULT CCmdTargetPlus::GetClassID(CLSID* clsid)
{
    *clsid = GUID_NULL;
    return S_OK;
}

}  // namespace shell

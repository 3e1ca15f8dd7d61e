// Connection points: sinks asked for the events interface, then for plain
// dispatch, kept in connection order.
#include "platform/connection.h"

namespace zk::automation {

ConnectionPoint::ConnectionPoint(IConnectionPointContainer* owner, const IID& events) : m_owner(owner), m_events(events)
{}

ConnectionPoint::~ConnectionPoint()
{
    for (Sink& s : m_sinks)
        s.sink->Release();
}

HRESULT ConnectionPoint::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid)
{
    if (!iid)
        return E_POINTER;
    *iid = m_events;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container)
{
    if (!container)
        return E_POINTER;
    *container = m_owner;
    if (!m_owner)
        return E_UNEXPECTED;
    m_owner->AddRef();
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie)
{
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    if (!sink)
        return E_POINTER;
    void* dispatch = nullptr;
    if (FAILED(sink->QueryInterface(m_events, &dispatch)) && FAILED(sink->QueryInterface(IID_IDispatch, &dispatch)))
        return CONNECT_E_CANNOTCONNECT;
    *cookie = m_nextCookie++;
    m_sinks.push_back({*cookie, static_cast<IDispatch*>(dispatch)});
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie)
{
    for (auto it = m_sinks.begin(); it != m_sinks.end(); ++it) {
        if (it->cookie == cookie) {
            IDispatch* sink = it->sink;
            m_sinks.erase(it);
            sink->Release();
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

void ConnectionPoint::FireEvent(DISPID dispid, const char* paramTypes, ...)
{
    va_list list;
    va_start(list, paramTypes);
    FireEventV(dispid, paramTypes, list);
    va_end(list);
}

void ConnectionPoint::FireEventV(DISPID dispid, const char* paramTypes, va_list arguments)
{
    Call(dispid, nullptr, paramTypes, arguments);
}

void ConnectionPoint::Fire(DISPID dispid, DISPPARAMS* params)
{
    va_list none{};
    Call(dispid, params, nullptr, none);
}

void ConnectionPoint::Call(DISPID dispid, DISPPARAMS* params, const char* paramTypes, va_list arguments)
{
    // The sinks of this moment, each held, and the point and its owner held:
    // a sink may disconnect, or drop the owner's last reference, in its call.
    std::vector<Sink> sinks = m_sinks;
    for (Sink& s : sinks)
        s.sink->AddRef();
    AddRef();
    IConnectionPointContainer* owner = m_owner;
    if (owner)
        owner->AddRef();
    for (Sink& s : sinks) {
        bool connected = false;
        for (const Sink& now : m_sinks)
            connected = connected || now.cookie == s.cookie;
        if (!connected)  // one an earlier sink disconnected is not called
            continue;
        if (params) {
            s.sink->Invoke(dispid, GUID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, params, nullptr, nullptr, nullptr);
        } else {
            va_list list;
            va_copy(list, arguments);
            InvokeHelperV(s.sink, dispid, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, paramTypes, list);
            va_end(list);
        }
    }
    for (Sink& s : sinks)
        s.sink->Release();
    if (owner)
        owner->Release();
    Release();
}

void ConnectionPoint::Detach()
{
    m_owner = nullptr;
}

}  // namespace zk::automation

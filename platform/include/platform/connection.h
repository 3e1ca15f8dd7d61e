// Collections' enumerators, connection points for events, class information
// and the in-process class registry.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "dispatch.h"

class IConnectionPointContainer;

// One outgoing (events) interface of an object; sinks are called in the
// order they were connected.
class IConnectionPoint : public IUnknown {
public:
    virtual HRESULT GetConnectionInterface(IID* iid) = 0;
    virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) = 0;
    virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;
    virtual HRESULT Unadvise(DWORD cookie) = 0;
};

class IConnectionPointContainer : public IUnknown {
public:
    virtual HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) = 0;
};

inline constexpr DWORD GUIDKIND_DEFAULT_SOURCE_DISP_IID = 1;

// Class information: here only the default source (events) interface.
class IProvideClassInfo2 : public IUnknown {
public:
    virtual HRESULT GetClassInfo(ITypeInfo** info) = 0;
    virtual HRESULT GetGUID(DWORD kind, GUID* guid) = 0;
};

class IClassFactory : public IUnknown {
public:
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;
};

inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
inline constexpr DWORD CLSCTX_ALL = 0x17;

// The class registry: on Linux every object lives in this process.
HRESULT CLSIDFromProgID(const char* progId, CLSID* clsid);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** object);
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* reserved, REFIID riid, void** object);

namespace zk::automation {

// A new object with one reference, or null.
using ClassCreator = std::function<IUnknown*()>;
// Registers (or replaces) a class; progId may be null.
void RegisterClass(const CLSID& clsid, const char* progId, ClassCreator create);
void UnregisterClass(const CLSID& clsid);

// The type library's dispatch interfaces in place of type information: the
// members (names and DISPIDs) of an interface by IID, so that a script
// engine binds an object's events to procedures by name. The table must
// outlive its registration.
void RegisterInterface(const IID& iid, DispatchTable members);
DispatchTable FindInterface(const IID& iid);

// An enumerator over a snapshot of values; clones share the snapshot and
// start at the original's place.
IEnumVARIANT* NewVariantEnumerator(const std::vector<VARIANT>& items);

// A connection point owned by an object (its container). Fire calls every
// sink connected at that moment; a sink may Unadvise, or release the owner,
// inside the call.
class ConnectionPoint final : public IConnectionPoint, public RefCounted {
public:
    ConnectionPoint(IConnectionPointContainer* owner, const IID& events);
    ~ConnectionPoint() override;

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override { return AddRefImpl(); }
    ULONG Release() override { return ReleaseImpl(); }
    HRESULT GetConnectionInterface(IID* iid) override;
    HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT Unadvise(DWORD cookie) override;

    void Fire(DISPID dispid, DISPPARAMS* params);
    // The same with the arguments described by a VTS_ string, as an event
    // map's entry gives them. A sink that fails is skipped.
    void FireEvent(DISPID dispid, const char* paramTypes, ...);
    void FireEventV(DISPID dispid, const char* paramTypes, va_list arguments);
    size_t SinkCount() const { return m_sinks.size(); }
    // The events interface, when its owner learns it after making the point.
    void SetInterface(const IID& events) { m_events = events; }
    // The owner calls this when it goes, so the point never names it again.
    void Detach();

private:
    void Call(DISPID dispid, DISPPARAMS* params, const char* paramTypes, va_list arguments);
    struct Sink {
        DWORD cookie;
        IDispatch* sink;
    };
    IConnectionPointContainer* m_owner;
    IID m_events;
    std::vector<Sink> m_sinks;
    DWORD m_nextCookie = 1;
};

}  // namespace zk::automation

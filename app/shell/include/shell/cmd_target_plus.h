// CCmdTargetPlus: an automation object with an outgoing events interface.
// Clients (a script engine among them) find the events interface through
// IProvideClassInfo2, connect through the connection point and receive
// what FireEvent sends. A derived class sets the two interface ids in its
// constructor and lists its events in GetEventMap.
#pragma once

#include <cstdarg>

#include "platform/cmd_target.h"
#include "platform/connection.h"

namespace shell {

// The published id of class information without the default source query.
inline constexpr IID IID_IProvideClassInfo = {
    0xB196B283, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};

class CCmdTargetPlus : public CCmdTarget {
    DECLARE_DYNCREATE(CCmdTargetPlus)
public:
    CCmdTargetPlus();
    ~CCmdTargetPlus() override;

    // Calls the event on every connected sink, in connection order; a sink
    // that fails is passed over.
    void FireEvent(DISPID dispid, const char* paramTypes, ...);
    void FireEventV(DISPID dispid, const char* paramTypes, va_list arguments);

    BOOL GetDispatchIID(IID* iid) override;
    IConnectionPoint* GetConnectionHook(REFIID iid) override;
    BOOL GetExtraConnectionPoints(std::vector<IConnectionPoint*>* points) override;
    void* GetInterfaceHook(REFIID iid) override;

    // The events (name, DISPID, parameter types); the base has none. The
    // table is what a type library would tell a script engine of the events
    // interface, so that its handlers are bound by name.
    virtual zk::automation::DispatchTable GetEventMap() const { return {}; }
    // The class id; the base gives the null GUID.
    virtual HRESULT GetClassID(CLSID* clsid);

    // The connection point of the events interface (its GetConnectionInterface
    // gives the null GUID while no events interface is set).
    IConnectionPoint* EventConnectionPoint();
    size_t ConnectedSinks() const { return point_ ? point_->SinkCount() : 0; }

protected:
    const IID* m_piidEvents = nullptr;   // the outgoing (source) dispatch interface
    const IID* m_piidPrimary = nullptr;  // the object's own dispatch interface

private:
    class ClassInfo;
    zk::automation::ConnectionPoint* Point();
    zk::automation::ConnectionPoint* point_ = nullptr;
    std::unique_ptr<ClassInfo> classInfo_;
};

}  // namespace shell

using shell::CCmdTargetPlus;

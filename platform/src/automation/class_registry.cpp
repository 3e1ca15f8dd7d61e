// The in-process class registry: CLSID, ProgID and a creating function.
#include <cctype>
#include <mutex>
#include <string>
#include <vector>

#include "platform/connection.h"

namespace zk::automation {

namespace {

struct ClassEntry {
    CLSID clsid;
    std::string progId;
    ClassCreator create;
};

struct Registry {
    std::mutex lock;
    std::vector<ClassEntry> classes;
};

// Never destroyed: static class factories leave it in their destructors,
// which may run after this file's statics at the end of the process.
Registry& Classes()
{
    static auto* registry = new Registry;
    return *registry;
}

bool SameProgId(const std::string& a, const char* b)
{
    const std::string other(b);
    if (a.size() != other.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(other[i])))
            return false;
    return true;
}

ClassCreator Find(const CLSID& clsid)
{
    Registry& r = Classes();
    std::lock_guard guard(r.lock);
    for (const ClassEntry& e : r.classes)
        if (e.clsid == clsid)
            return e.create;
    return nullptr;
}

class ClassFactory final : public IClassFactory, public RefCounted {
public:
    explicit ClassFactory(ClassCreator create) : m_create(create) {}
    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return AddRefImpl(); }
    ULONG Release() override { return ReleaseImpl(); }
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        IUnknown* created = m_create();
        if (!created)
            return E_OUTOFMEMORY;
        const HRESULT hr = created->QueryInterface(riid, object);
        created->Release();
        return hr;
    }
    HRESULT LockServer(BOOL) override { return S_OK; }

private:
    ClassCreator m_create;
};

}  // namespace

void RegisterClass(const CLSID& clsid, const char* progId, ClassCreator create)
{
    Registry& r = Classes();
    std::lock_guard guard(r.lock);
    for (ClassEntry& e : r.classes)
        if (e.clsid == clsid) {
            e.progId = progId ? progId : "";
            e.create = create;
            return;
        }
    r.classes.push_back({clsid, progId ? progId : "", create});
}

void UnregisterClass(const CLSID& clsid)
{
    Registry& r = Classes();
    std::lock_guard guard(r.lock);
    std::erase_if(r.classes, [&](const ClassEntry& e) { return e.clsid == clsid; });
}

namespace {

struct Interfaces {
    std::mutex lock;
    std::vector<std::pair<IID, DispatchTable>> tables;
};

Interfaces& TheInterfaces()
{
    static Interfaces interfaces;
    return interfaces;
}

}  // namespace

void RegisterInterface(const IID& iid, DispatchTable members)
{
    Interfaces& r = TheInterfaces();
    std::lock_guard<std::mutex> hold(r.lock);
    for (auto& entry : r.tables)
        if (entry.first == iid) {
            entry.second = members;
            return;
        }
    r.tables.emplace_back(iid, members);
}

DispatchTable FindInterface(const IID& iid)
{
    Interfaces& r = TheInterfaces();
    std::lock_guard<std::mutex> hold(r.lock);
    for (auto& entry : r.tables)
        if (entry.first == iid)
            return entry.second;
    return {};
}

}  // namespace zk::automation

using namespace zk::automation;

HRESULT CLSIDFromProgID(const char* progId, CLSID* clsid)
{
    if (!progId || !clsid)
        return E_INVALIDARG;
    Registry& r = Classes();
    std::lock_guard guard(r.lock);
    for (const ClassEntry& e : r.classes)
        if (!e.progId.empty() && SameProgId(e.progId, progId)) {
            *clsid = e.clsid;
            return S_OK;
        }
    *clsid = GUID_NULL;
    return CO_E_CLASSSTRING;
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void*, REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!(context & CLSCTX_INPROC_SERVER))
        return REGDB_E_CLASSNOTREG;
    const ClassCreator create = Find(clsid);
    if (!create)
        return REGDB_E_CLASSNOTREG;
    auto* factory = new ClassFactory(create);
    const HRESULT hr = factory->QueryInterface(riid, object);
    factory->Release();
    return hr;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    IClassFactory* factory = nullptr;
    HRESULT hr = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr))
        return hr;
    hr = factory->CreateInstance(outer, riid, object);
    factory->Release();
    return hr;
}

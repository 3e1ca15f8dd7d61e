#include "platform/runtime_class.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <string>

namespace platform {
namespace {

struct ClassTable {
    std::mutex mutex;
    std::map<std::string, const CRuntimeClass*, std::less<>> byName;
};

ClassTable& Classes()
{
    static auto* table = new ClassTable;
    return *table;
}

}  // namespace

const CRuntimeClass CObject::classCObject = {"CObject", static_cast<int>(sizeof(CObject)), 0xFFFF, nullptr, nullptr};

const CRuntimeClass* CObject::GetRuntimeClass() const
{
    return &classCObject;
}

void CObject::Serialize(CArchive&) {}

bool CObject::IsKindOf(const CRuntimeClass* cls) const
{
    return GetRuntimeClass()->IsDerivedFrom(cls);
}

bool CObject::IsSerializable() const
{
    return GetRuntimeClass()->m_wSchema != 0xFFFF;
}

CObject* CRuntimeClass::CreateObject() const
{
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
        if (c == base)
            return true;
    return false;
}

const CRuntimeClass* CRuntimeClass::FromName(std::string_view name)
{
    std::lock_guard<std::mutex> lock(Classes().mutex);
    auto it = Classes().byName.find(name);
    return it == Classes().byName.end() ? nullptr : it->second;
}

CObject* CRuntimeClass::CreateObject(std::string_view name)
{
    const CRuntimeClass* cls = FromName(name);
    return cls ? cls->CreateObject() : nullptr;
}

void CRuntimeClass::Register(const CRuntimeClass* cls)
{
    std::lock_guard<std::mutex> lock(Classes().mutex);
    auto [it, added] = Classes().byName.emplace(cls->m_lpszClassName, cls);
    if (!added && it->second != cls)
        std::fprintf(stderr, "platform: class name %s registered twice; the first one is kept\n", cls->m_lpszClassName);
}

}  // namespace platform

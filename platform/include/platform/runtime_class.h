// Run-time class records: classes that can be asked for their class, made by
// name (documents, views, frames that a template creates) and written to and
// read from archives (CArchive::WriteObject/ReadObject store the class name).
//
//   class CProjectDoc : public CDocument {
//       DECLARE_DYNCREATE(CProjectDoc)
//   };
//   IMPLEMENT_DYNCREATE(CProjectDoc, CDocument)      // in one .cpp
//
// DECLARE_SERIAL/IMPLEMENT_SERIAL(cls, base, schema) add the archive schema.
// Class names are registered when the defining library is loaded; one name
// belongs to one class in the process.
#pragma once

#include <string_view>

#include "win_types.h"

namespace platform {

class CArchive;
class CObject;

// A schema with this bit accepts objects stored with another schema; the
// class reads the stored one from CArchive::GetObjectSchema.
inline constexpr UINT VERSIONABLE_SCHEMA = 0x80000000u;

struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;  // 0xFFFF: not serialisable
    CObject* (*m_pfnCreateObject)();
    const CRuntimeClass* m_pBaseClass;

    // A new object, or null when the class is not dynamically creatable.
    CObject* CreateObject() const;
    bool IsDerivedFrom(const CRuntimeClass* base) const;

    // A registered class by exact name, or null.
    static const CRuntimeClass* FromName(std::string_view name);
    static CObject* CreateObject(std::string_view name);
    // Registers a class by name; the first class of a name keeps it.
    static void Register(const CRuntimeClass* cls);
};

using RuntimeClass = CRuntimeClass;

class CObject {
public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual void Serialize(CArchive& ar);
    bool IsKindOf(const CRuntimeClass* cls) const;
    bool IsSerializable() const;

    static const CRuntimeClass classCObject;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

// Registers a class record at load time.
struct ClassRegistrar {
    explicit ClassRegistrar(const CRuntimeClass* cls) { CRuntimeClass::Register(cls); }
};

}  // namespace platform

using platform::CObject;
using platform::CRuntimeClass;
using platform::VERSIONABLE_SCHEMA;

#define RUNTIME_CLASS(cls) (&cls::class##cls)

#define DECLARE_DYNAMIC(cls)                                                                                           \
public:                                                                                                                \
    static const ::platform::CRuntimeClass class##cls;                                                                 \
    const ::platform::CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(cls)                                                                                         \
    DECLARE_DYNAMIC(cls)                                                                                               \
    static ::platform::CObject* CreateObject();

#define DECLARE_SERIAL(cls)                                                                                            \
    DECLARE_DYNCREATE(cls)                                                                                             \
    friend ::platform::CArchive& operator>>(::platform::CArchive& ar, cls*& object);

#define ZK_IMPLEMENT_RUNTIMECLASS(cls, base, schema, create)                                                           \
    const ::platform::CRuntimeClass cls::class##cls = {#cls, static_cast<int>(sizeof(cls)), schema, create,            \
                                                       RUNTIME_CLASS(base)};                                           \
    static const ::platform::ClassRegistrar zk_registrar_##cls(&cls::class##cls);                                      \
    const ::platform::CRuntimeClass* cls::GetRuntimeClass() const                                                      \
    {                                                                                                                  \
        return RUNTIME_CLASS(cls);                                                                                     \
    }

#define IMPLEMENT_DYNAMIC(cls, base) ZK_IMPLEMENT_RUNTIMECLASS(cls, base, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(cls, base)                                                                                 \
    ::platform::CObject* cls::CreateObject()                                                                           \
    {                                                                                                                  \
        return new cls;                                                                                                \
    }                                                                                                                  \
    ZK_IMPLEMENT_RUNTIMECLASS(cls, base, 0xFFFF, cls::CreateObject)

#define IMPLEMENT_SERIAL(cls, base, schema)                                                                            \
    ::platform::CObject* cls::CreateObject()                                                                           \
    {                                                                                                                  \
        return new cls;                                                                                                \
    }                                                                                                                  \
    ZK_IMPLEMENT_RUNTIMECLASS(cls, base, schema, cls::CreateObject)                                                    \
    ::platform::CArchive& operator>>(::platform::CArchive& ar, cls*& object)                                           \
    {                                                                                                                  \
        object = static_cast<cls*>(ar.ReadObject(RUNTIME_CLASS(cls)));                                                 \
        return ar;                                                                                                     \
    }

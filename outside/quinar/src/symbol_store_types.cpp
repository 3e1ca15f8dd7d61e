// SymbolStore's type operations over the store's type table.
#include "quinar/symbol_store.h"
#include "store.h"

namespace quinar {

namespace {

TypeTable& Types()
{
    return TheStore().Types();
}

}  // namespace

Result<uint32_t> SymbolStore::HighestTypeIndex()
{
    uint32_t highest = 0;
    SymResult r = Types().Alloc(&highest);
    return {r, r == SYM_OK ? highest : 0};
}

SymResult SymbolStore::AddType(uint32_t index, const SymTypeDesc& desc)
{
    return Types().Add(index, desc);
}

SymResult SymbolStore::SetTypeBase(uint32_t index, uint32_t base)
{
    return Types().SetBase(index, base);
}

SymResult SymbolStore::SetTypeSize(uint32_t index, uint32_t size)
{
    return Types().SetSize(index, size);
}

SymResult SymbolStore::SetPointerTarget(uint32_t index, uint32_t target)
{
    return Types().SetTarget(index, target, false);
}

SymResult SymbolStore::SetReferenceTarget(uint32_t index, uint32_t target)
{
    return Types().SetTarget(index, target, true);
}

Result<uint32_t> SymbolStore::PointerTarget(uint32_t index) const
{
    uint32_t target = 0;
    SymResult r = Types().GetTarget(index, &target);
    return {r, r == SYM_OK ? target : 0};
}

SymResult SymbolStore::SetArrayDims(uint32_t index, const SymArrayDim& dim)
{
    return Types().SetArrayDims(index, dim);
}

SymResult SymbolStore::UpdateArrayDims(uint32_t index, const SymArrayDim& dim)
{
    if (!Types().Known(dim.element))
        return SYM_E_NO_TYPE;
    return Types().SetArrayDims(index, dim);
}

SymResult SymbolStore::AddStructMember(uint32_t index, const SymStructMember& member)
{
    return Types().AddMember(index, member);
}

SymResult SymbolStore::SetBitField(uint32_t index, const SymBitFieldInfo& info)
{
    return Types().SetBitField(index, info);
}

SymResult SymbolStore::AddEnumConstant(uint32_t index, int32_t value, std::string_view name)
{
    return Types().AddEnumConstant(index, value, name);
}

SymResult SymbolStore::AddProcType(uint32_t index, uint32_t returnType, uint32_t parameterCount)
{
    return Types().AddProcType(index, returnType, parameterCount);
}

SymResult SymbolStore::AddProcParam(uint32_t procType, uint32_t parameterType)
{
    return Types().AddProcParam(procType, parameterType);
}

SymResult SymbolStore::AddClassType(uint32_t index)
{
    return Types().AddClassType(index);
}

SymResult SymbolStore::AddClassSlot(uint32_t index, const SymClassSlot& slot)
{
    return Types().AddClassSlot(index, slot);
}

Result<TypeInfo> SymbolStore::Type(uint32_t index) const
{
    const TypeRecord* t = Types().Find(index);
    if (!t)
        return {SYM_E_NO_TYPE, {}};
    TypeInfo info;
    info.code = static_cast<SymTypeCode>(t->code);
    info.size = Types().SizeOf(index);
    info.sizeKnown = t->sizeKnown || info.size != 0;
    info.name = t->name;
    info.link = t->link;
    return {SYM_OK, std::move(info)};
}

Result<std::string> SymbolStore::TypeText(uint32_t index) const
{
    if (!Types().Known(index))
        return {SYM_E_NO_TYPE, {}};
    return {SYM_OK, Types().Text(index)};
}

Result<uint32_t> SymbolStore::BaseType(uint32_t index) const
{
    const uint32_t base = Types().Resolve(index);
    return {base == 0 ? SYM_E_NO_TYPE : SYM_OK, base};
}

Result<MemberInfo> SymbolStore::StructMember(uint32_t index, uint32_t n) const
{
    const TypeTable& types = Types();
    const TypeRecord* t = types.Find(types.Resolve(index));
    if (!t)
        return {SYM_E_NO_TYPE, {}};
    if (t->code == SYM_TYPE_CLASS) {
        // Data members of a class, in slot order.
        for (uint32_t slot = 0;; ++slot) {
            const SlotItem* s = types.Slot(*t, slot);
            if (!s)
                return {SYM_E_NOT_FOUND, {}};
            if (s->isFunction)
                continue;
            if (n-- > 0)
                continue;
            return {SYM_OK, {s->name, s->type, s->offset, 0, 0}};
        }
    }
    const MemberItem* m = types.Member(*t, n);
    if (!m)
        return {t->code == SYM_TYPE_STRUCT || t->code == SYM_TYPE_UNION ? SYM_E_NOT_FOUND : SYM_E_WRONG_TYPE, {}};
    return {SYM_OK, {m->name, m->type, m->offset, m->bitOffset, m->bitSize}};
}

Result<ClassMember> SymbolStore::ClassSlot(uint32_t index, uint32_t n) const
{
    const TypeTable& types = Types();
    const TypeRecord* t = types.Find(types.Resolve(index));
    if (!t)
        return {SYM_E_NO_TYPE, {}};
    if (t->code != SYM_TYPE_CLASS)
        return {SYM_E_WRONG_TYPE, {}};
    const SlotItem* s = types.Slot(*t, n);
    if (!s)
        return {SYM_E_NOT_FOUND, {}};
    return {SYM_OK, {s->name, s->type, s->offset, s->isFunction != 0, s->lowPc, s->highPc, s->access}};
}

std::span<const uint32_t> SymbolStore::ClassTypes() const
{
    return Types().ClassTypes();
}

}  // namespace quinar

// Entry points of the type operations.
#include <algorithm>
#include <cstring>

#include "store.h"

using namespace quinar;

namespace {

TypeTable& Types()
{
    return TheStore().Types();
}

}  // namespace

extern "C" {

SymResult SymAllocTypeIndex(uint32_t* highest)
{
    return Types().Alloc(highest);
}

SymResult SymAddTypeRecord(uint32_t index, const SymTypeDesc* desc)
{
    if (!desc)
        return SYM_E_ARGUMENT;
    return Types().Add(index, *desc);
}

SymResult SymSetTypeBase(uint32_t index, uint32_t base)
{
    return Types().SetBase(index, base);
}

SymResult SymSetTypeSize(uint32_t index, uint32_t size)
{
    return Types().SetSize(index, size);
}

SymResult SymSetPointerTarget(uint32_t index, uint32_t target)
{
    return Types().SetTarget(index, target, false);
}

SymResult SymAddTypeReferenceTypeIndex(uint32_t index, uint32_t target)
{
    return Types().SetTarget(index, target, true);
}

SymResult SymUpdateTypePointerTypeIndex(uint32_t index, uint32_t target)
{
    return Types().SetTarget(index, target, false);
}

SymResult SymGetPointerTarget(uint32_t index, uint32_t* target)
{
    return Types().GetTarget(index, target);
}

SymResult SymSetArrayDims(uint32_t index, const SymArrayDim* dim)
{
    if (!dim)
        return SYM_E_ARGUMENT;
    return Types().SetArrayDims(index, *dim);
}

SymResult SymUpdateTypeCArray(uint32_t index, const SymArrayDim* dim)
{
    if (!dim)
        return SYM_E_ARGUMENT;
    if (!Types().Known(dim->element))
        return SYM_E_NO_TYPE;
    return Types().SetArrayDims(index, *dim);
}

SymResult SymAddStructMember(uint32_t index, const SymStructMember* member)
{
    if (!member)
        return SYM_E_ARGUMENT;
    return Types().AddMember(index, *member);
}

SymResult SymSetBitFieldInfo(uint32_t index, const SymBitFieldInfo* info)
{
    if (!info)
        return SYM_E_ARGUMENT;
    return Types().SetBitField(index, *info);
}

SymResult SymAddEnumConstant(uint32_t index, int32_t value, const char* name)
{
    return Types().AddEnumConstant(index, value, name);
}

SymResult SymAddProcType(uint32_t index, uint32_t, uint32_t, uint32_t, uint32_t returnType, uint32_t parameterCount,
                         uint32_t, uint32_t* out)
{
    SymResult r = Types().AddProcType(index, returnType, parameterCount);
    if (r == SYM_OK && out)
        *out = index;
    return r;
}

SymResult SymAddProcParam(uint32_t procType, uint32_t parameterType)
{
    return Types().AddProcParam(procType, parameterType);
}

SymResult SymGetTypeRecord(uint32_t index, SymTypeDesc* out)
{
    return Types().Describe(index, out);
}

SymResult SymAddClassType(uint32_t index)
{
    return Types().AddClassType(index);
}

SymResult SymAddTypeClass(uint32_t index, const SymClassSlot* slot)
{
    if (!slot)
        return SYM_E_ARGUMENT;
    return Types().AddClassSlot(index, *slot);
}

SymResult BuildDetailedType(uint32_t index, char* text)
{
    if (!text)
        return SYM_E_ARGUMENT;
    text[0] = '\0';
    if (!Types().Known(index))
        return SYM_E_NO_TYPE;
    std::string s = Types().Text(index);
    size_t n = std::min<size_t>(s.size(), SYM_TYPE_NAME_SIZE - 1);
    std::memcpy(text, s.data(), n);
    text[n] = '\0';
    return SYM_OK;
}

SymResult SymGetBaseType(uint32_t index, uint32_t* base)
{
    if (!base)
        return SYM_E_ARGUMENT;
    *base = Types().Resolve(index);
    return *base == 0 ? SYM_E_NO_TYPE : SYM_OK;
}

namespace {

void CopyName(char* buffer, const std::string& name)
{
    if (!buffer)
        return;
    size_t n = std::min<size_t>(name.size(), SYM_MEMBER_NAME_SIZE - 1);
    std::memcpy(buffer, name.data(), n);
    buffer[n] = '\0';
}

}  // namespace

SymResult SymGetStructMember(uint32_t index, uint32_t n, SymMemberInfo* out)
{
    if (!out)
        return SYM_E_ARGUMENT;
    const TypeRecord* t = Types().Find(Types().Resolve(index));
    if (!t)
        return SYM_E_NO_TYPE;
    if (t->code == SYM_TYPE_CLASS) {
        // Data members of a class, in slot order.
        for (uint32_t slot = 0;; ++slot) {
            const SlotItem* s = Types().Slot(*t, slot);
            if (!s)
                return SYM_E_NOT_FOUND;
            if (s->isFunction)
                continue;
            if (n-- > 0)
                continue;
            CopyName(out->name, s->name);
            out->type = s->type;
            out->offset = s->offset;
            out->bitOffset = out->bitSize = 0;
            return SYM_OK;
        }
    }
    const MemberItem* m = Types().Member(*t, n);
    if (!m)
        return t->code == SYM_TYPE_STRUCT || t->code == SYM_TYPE_UNION ? SYM_E_NOT_FOUND : SYM_E_WRONG_TYPE;
    CopyName(out->name, m->name);
    out->type = m->type;
    out->offset = m->offset;
    out->bitOffset = m->bitOffset;
    out->bitSize = m->bitSize;
    return SYM_OK;
}

SymResult SymGetTypeClassNth(uint32_t index, uint32_t n, SymClassMemberInfo* out)
{
    if (!out)
        return SYM_E_ARGUMENT;
    const TypeRecord* t = Types().Find(Types().Resolve(index));
    if (!t)
        return SYM_E_NO_TYPE;
    if (t->code != SYM_TYPE_CLASS)
        return SYM_E_WRONG_TYPE;
    const SlotItem* s = Types().Slot(*t, n);
    if (!s)
        return SYM_E_NOT_FOUND;
    CopyName(out->name, s->name);
    out->type = s->type;
    out->offset = s->offset;
    out->isFunction = s->isFunction;
    out->lowPc = s->lowPc;
    out->highPc = s->highPc;
    out->access = s->access;
    return SYM_OK;
}

const SymClassInfo* SymGetAllClassInfo()
{
    static SymClassInfo info;
    const std::vector<uint32_t>& types = Types().ClassTypes();
    info.count = static_cast<uint32_t>(types.size());
    info.types = types.data();
    return &info;
}

}  // extern "C"

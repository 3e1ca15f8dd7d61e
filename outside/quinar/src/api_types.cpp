// Entry points of the type operations.
#include "boundary.h"

using namespace quinar;

extern "C" {

SymResult SymAllocTypeIndex(uint32_t* highest)
{
    if (!highest)
        return SYM_E_ARGUMENT;
    return Deliver(Symbols().HighestTypeIndex(), highest);
}

SymResult SymAddTypeRecord(uint32_t index, const SymTypeDesc* desc)
{
    if (!desc)
        return SYM_E_ARGUMENT;
    return Symbols().AddType(index, *desc);
}

SymResult SymSetTypeBase(uint32_t index, uint32_t base)
{
    return Symbols().SetTypeBase(index, base);
}

SymResult SymSetTypeSize(uint32_t index, uint32_t size)
{
    return Symbols().SetTypeSize(index, size);
}

SymResult SymSetPointerTarget(uint32_t index, uint32_t target)
{
    return Symbols().SetPointerTarget(index, target);
}

SymResult SymAddTypeReferenceTypeIndex(uint32_t index, uint32_t target)
{
    return Symbols().SetReferenceTarget(index, target);
}

SymResult SymUpdateTypePointerTypeIndex(uint32_t index, uint32_t target)
{
    return Symbols().SetPointerTarget(index, target);
}

SymResult SymGetPointerTarget(uint32_t index, uint32_t* target)
{
    if (!target)
        return SYM_E_ARGUMENT;
    return Deliver(Symbols().PointerTarget(index), target);
}

SymResult SymSetArrayDims(uint32_t index, const SymArrayDim* dim)
{
    if (!dim)
        return SYM_E_ARGUMENT;
    return Symbols().SetArrayDims(index, *dim);
}

SymResult SymUpdateTypeCArray(uint32_t index, const SymArrayDim* dim)
{
    if (!dim)
        return SYM_E_ARGUMENT;
    return Symbols().UpdateArrayDims(index, *dim);
}

SymResult SymAddStructMember(uint32_t index, const SymStructMember* member)
{
    if (!member)
        return SYM_E_ARGUMENT;
    return Symbols().AddStructMember(index, *member);
}

SymResult SymSetBitFieldInfo(uint32_t index, const SymBitFieldInfo* info)
{
    if (!info)
        return SYM_E_ARGUMENT;
    return Symbols().SetBitField(index, *info);
}

SymResult SymAddEnumConstant(uint32_t index, int32_t value, const char* name)
{
    return Symbols().AddEnumConstant(index, value, name ? name : "");
}

SymResult SymAddProcType(uint32_t index, uint32_t, uint32_t, uint32_t, uint32_t returnType, uint32_t parameterCount,
                         uint32_t, uint32_t* out)
{
    SymResult r = Symbols().AddProcType(index, returnType, parameterCount);
    if (r == SYM_OK)
        Put(out, index);
    return r;
}

SymResult SymAddProcParam(uint32_t procType, uint32_t parameterType)
{
    return Symbols().AddProcParam(procType, parameterType);
}

SymResult SymGetTypeRecord(uint32_t index, SymTypeDesc* out)
{
    if (!out)
        return SYM_E_ARGUMENT;
    auto r = Symbols().Type(index);
    if (r) {
        out->valid = 1;
        out->code = r->code;
        out->size = r->size;
        out->sizeKnown = r->sizeKnown ? 1 : 0;
        out->link = r->link;
        CopyText(out->nameBuffer, SYM_TYPE_NAME_SIZE, r->name);
    }
    return r.status;
}

SymResult SymAddClassType(uint32_t index)
{
    return Symbols().AddClassType(index);
}

SymResult SymAddTypeClass(uint32_t index, const SymClassSlot* slot)
{
    if (!slot)
        return SYM_E_ARGUMENT;
    return Symbols().AddClassSlot(index, *slot);
}

SymResult BuildDetailedType(uint32_t index, char* text)
{
    if (!text)
        return SYM_E_ARGUMENT;
    text[0] = '\0';
    auto r = Symbols().TypeText(index);
    CopyText(text, SYM_TYPE_NAME_SIZE, r.value);
    return r.status;
}

SymResult SymGetBaseType(uint32_t index, uint32_t* base)
{
    if (!base)
        return SYM_E_ARGUMENT;
    auto r = Symbols().BaseType(index);
    *base = r.value;
    return r.status;
}

SymResult SymGetStructMember(uint32_t index, uint32_t n, SymMemberInfo* out)
{
    if (!out)
        return SYM_E_ARGUMENT;
    auto r = Symbols().StructMember(index, n);
    if (r) {
        CopyText(out->name, SYM_MEMBER_NAME_SIZE, r->name);
        out->type = r->type;
        out->offset = r->offset;
        out->bitOffset = r->bitOffset;
        out->bitSize = r->bitSize;
    }
    return r.status;
}

SymResult SymGetTypeClassNth(uint32_t index, uint32_t n, SymClassMemberInfo* out)
{
    if (!out)
        return SYM_E_ARGUMENT;
    auto r = Symbols().ClassSlot(index, n);
    if (r) {
        CopyText(out->name, SYM_MEMBER_NAME_SIZE, r->name);
        out->type = r->type;
        out->offset = r->offset;
        out->isFunction = r->isFunction ? 1 : 0;
        out->lowPc = r->lowPc;
        out->highPc = r->highPc;
        out->access = r->access;
    }
    return r.status;
}

const SymClassInfo* SymGetAllClassInfo()
{
    static SymClassInfo info;
    const std::span<const uint32_t> types = Symbols().ClassTypes();
    info.count = static_cast<uint32_t>(types.size());
    info.types = types.data();
    return &info;
}

}  // extern "C"

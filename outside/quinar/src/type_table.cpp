#include "type_table.h"

#include <algorithm>
#include <cstring>

namespace quinar {

namespace {

// DWARF 1 user fundamental codes (GNU extensions: the low byte is the size)
// and the predefined ids they stand for.
struct UserCode {
    uint32_t code;
    uint32_t id;
};
constexpr UserCode kUserCodes[] = {
    {0x8008, 70}, {0x8108, 71}, {0x8208, 72}, {0x9001, 73}, {0x9101, 74}, {0x9201, 75}, {0x9302, 76},
    {0x9402, 77}, {0x9502, 78}, {0x9604, 79}, {0x9704, 80}, {0x9804, 81}, {0x9908, 82}, {0x9A08, 83},
    {0x9B08, 84}, {0xA004, 85}, {0xA108, 86}, {0xA20C, 87}, {0xA310, 88},
};

uint32_t PredefinedIdOf(uint32_t index)
{
    for (const UserCode& u : kUserCodes)
        if (u.code == index)
            return u.id;
    return index;
}

constexpr int kMaxDepth = 32;  // typedef and pointer chains deeper than this are malformed

}  // namespace

void TypeTable::AddPredefined(uint32_t index, const char* name, uint32_t size, bool isSigned, bool isFloat,
                              uint32_t code)
{
    TypeRecord t;
    t.index = index;
    t.code = code;
    t.size = size;
    t.sizeKnown = true;
    t.predefined = true;
    t.isSigned = isSigned;
    t.isFloat = isFloat;
    t.name = name;
    byIndex_[index] = static_cast<uint32_t>(records_.size());
    records_.push_back(std::move(t));
}

void TypeTable::Clear()
{
    byIndex_.clear();
    records_.clear();
    members_.clear();
    enums_.clear();
    params_.clear();
    slots_.clear();
    classTypes_.clear();
    highest_ = SYM_FIRST_TYPE_INDEX - 1;

    // DWARF 1 fundamental types, sized for the ARM procedure call standard.
    AddPredefined(1, "char", 1, true, false);
    AddPredefined(2, "signed char", 1, true, false);
    AddPredefined(3, "unsigned char", 1, false, false);
    AddPredefined(4, "short", 2, true, false);
    AddPredefined(5, "short", 2, true, false);
    AddPredefined(6, "unsigned short", 2, false, false);
    AddPredefined(7, "int", 4, true, false);
    AddPredefined(8, "int", 4, true, false);
    AddPredefined(9, "unsigned int", 4, false, false);
    AddPredefined(10, "long", 4, true, false);
    AddPredefined(11, "long", 4, true, false);
    AddPredefined(12, "unsigned long", 4, false, false);
    AddPredefined(13, "void *", 4, false, false);
    AddPredefined(14, "float", 4, true, true);
    AddPredefined(15, "double", 8, true, true);
    AddPredefined(16, "long double", 8, true, true);
    AddPredefined(17, "complex float", 8, true, true);
    AddPredefined(18, "complex double", 16, true, true);
    AddPredefined(20, "void", 0, false, false);
    AddPredefined(21, "bool", 1, false, false);
    AddPredefined(22, "complex long double", 16, true, true);
    AddPredefined(23, "label", 4, false, false);
    // Ids of the user fundamental codes.
    AddPredefined(70, "long long", 8, true, false);
    AddPredefined(71, "signed long long", 8, true, false);
    AddPredefined(72, "unsigned long long", 8, false, false);
    AddPredefined(73, "int8", 1, true, false);
    AddPredefined(74, "signed int8", 1, true, false);
    AddPredefined(75, "unsigned int8", 1, false, false);
    AddPredefined(76, "int16", 2, true, false);
    AddPredefined(77, "signed int16", 2, true, false);
    AddPredefined(78, "unsigned int16", 2, false, false);
    AddPredefined(79, "int32", 4, true, false);
    AddPredefined(80, "signed int32", 4, true, false);
    AddPredefined(81, "unsigned int32", 4, false, false);
    AddPredefined(82, "int64", 8, true, false);
    AddPredefined(83, "signed int64", 8, true, false);
    AddPredefined(84, "unsigned int64", 8, false, false);
    AddPredefined(85, "real32", 4, true, true);
    AddPredefined(86, "real64", 8, true, true);
    AddPredefined(87, "real96", 12, true, true);
    AddPredefined(88, "real128", 16, true, true);
}

const TypeRecord* TypeTable::Find(uint32_t index) const
{
    auto it = byIndex_.find(PredefinedIdOf(index));
    return it == byIndex_.end() ? nullptr : &records_[it->second];
}

TypeRecord* TypeTable::FindMutable(uint32_t index)
{
    auto it = byIndex_.find(PredefinedIdOf(index));
    return it == byIndex_.end() ? nullptr : &records_[it->second];
}

SymResult TypeTable::Alloc(uint32_t* highest)
{
    if (!highest)
        return SYM_E_ARGUMENT;
    // Readers take up to 256 above the value (classes); keep all of it below
    // the kind bits that handles use, so no type index looks like a handle.
    if (highest_ >= kSerialMask - 0x1000)
        return SYM_E_FULL;
    *highest = highest_;
    ++highest_;  // the caller's index + 1 is now in use
    return SYM_OK;
}

SymResult TypeTable::Add(uint32_t index, const SymTypeDesc& desc)
{
    if (index == 0)
        return SYM_E_ARGUMENT;
    if (Find(index))
        return SYM_E_TYPE_TAKEN;
    TypeRecord t;
    t.index = index;
    t.code = desc.code;
    t.size = desc.size;
    t.sizeKnown = desc.sizeKnown != 0;
    if (desc.name)
        t.name = desc.name;
    byIndex_[index] = static_cast<uint32_t>(records_.size());
    records_.push_back(std::move(t));
    if (index > highest_)
        highest_ = index;
    return SYM_OK;
}

SymResult TypeTable::Editable(uint32_t index, TypeRecord*& t)
{
    t = FindMutable(index);
    if (!t)
        return SYM_E_NO_TYPE;
    return t->predefined ? SYM_E_WRONG_TYPE : SYM_OK;
}

SymResult TypeTable::SetBase(uint32_t index, uint32_t base)
{
    TypeRecord* t = nullptr;
    if (SymResult r = Editable(index, t); r != SYM_OK)
        return r;
    t->link = base;
    return SYM_OK;
}

SymResult TypeTable::SetSize(uint32_t index, uint32_t size)
{
    TypeRecord* t = FindMutable(index);
    if (!t)
        return SYM_E_NO_TYPE;
    t->size = size;
    t->sizeKnown = true;
    return SYM_OK;
}

SymResult TypeTable::SetTarget(uint32_t index, uint32_t target, bool referenceOnly)
{
    TypeRecord* t = nullptr;
    if (SymResult r = Editable(index, t); r != SYM_OK)
        return r;
    if (referenceOnly && t->code != SYM_TYPE_REFERENCE)
        return SYM_E_WRONG_TYPE;
    t->link = target;
    return SYM_OK;
}

SymResult TypeTable::GetTarget(uint32_t index, uint32_t* target) const
{
    if (!target)
        return SYM_E_ARGUMENT;
    const TypeRecord* t = Find(Resolve(index));
    if (!t)
        return SYM_E_NO_TYPE;
    if (t->code != SYM_TYPE_POINTER && t->code != SYM_TYPE_REFERENCE)
        return SYM_E_WRONG_TYPE;
    *target = t->link;
    return SYM_OK;
}

SymResult TypeTable::SetArrayDims(uint32_t index, const SymArrayDim& dim)
{
    TypeRecord* t = nullptr;
    if (SymResult r = Editable(index, t); r != SYM_OK)
        return r;
    t->link = dim.element;
    t->bound = dim.bound;
    t->dimsSet = true;
    return SYM_OK;
}

template <class Items>
void TypeTable::Chain(TypeRecord& t, Items& items)
{
    uint32_t position = static_cast<uint32_t>(items.size() - 1);
    if (t.lastItem == kNone)
        t.firstItem = position;
    else
        items[t.lastItem].next = position;
    t.lastItem = position;
    ++t.itemCount;
}

SymResult TypeTable::AddMember(uint32_t index, const SymStructMember& m)
{
    TypeRecord* t = nullptr;
    if (SymResult r = Editable(index, t); r != SYM_OK)
        return r;
    members_.push_back({m.name ? m.name : "", m.type, m.offset, m.byteSize, m.bitOffset, m.bitSize});
    Chain(*t, members_);
    return SYM_OK;
}

SymResult TypeTable::SetBitField(uint32_t index, const SymBitFieldInfo& info)
{
    TypeRecord* t = nullptr;
    if (SymResult r = Editable(index, t); r != SYM_OK)
        return r;
    t->link = info.baseType;
    if (!t->sizeKnown || t->size == 0) {
        t->size = info.byteSize;
        t->sizeKnown = info.byteSize != 0;
    }
    t->bitOffset = info.bitOffset;
    t->bitSize = info.bitSize;
    t->bitFieldSet = true;
    const TypeRecord* base = Find(Resolve(info.baseType));
    t->isSigned = base && base->isSigned;
    return SYM_OK;
}

SymResult TypeTable::AddEnumConstant(uint32_t index, int32_t value, std::string_view name)
{
    TypeRecord* t = nullptr;
    if (SymResult r = Editable(index, t); r != SYM_OK)
        return r;
    enums_.push_back({std::string(name), value});
    Chain(*t, enums_);
    return SYM_OK;
}

SymResult TypeTable::AddProcType(uint32_t index, uint32_t returnType, uint32_t parameterCount)
{
    if (index == 0)
        return SYM_E_ARGUMENT;
    TypeRecord* t = FindMutable(index);
    if (!t) {
        // Some readers describe a procedure type with this call alone.
        SymTypeDesc desc{1, SYM_TYPE_PROC, 0, {""}, 1, 0};
        if (SymResult r = Add(index, desc); r != SYM_OK)
            return r;
        t = FindMutable(index);
    }
    if (t->predefined)
        return SYM_E_WRONG_TYPE;
    t->link = returnType;
    t->declaredParams = parameterCount;
    return SYM_OK;
}

SymResult TypeTable::AddProcParam(uint32_t index, uint32_t parameterType)
{
    TypeRecord* t = nullptr;
    if (SymResult r = Editable(index, t); r != SYM_OK)
        return r;
    params_.push_back({parameterType});
    Chain(*t, params_);
    return SYM_OK;
}

SymResult TypeTable::AddClassSlot(uint32_t index, const SymClassSlot& s)
{
    TypeRecord* t = nullptr;
    if (SymResult r = Editable(index, t); r != SYM_OK)
        return r;
    slots_.push_back({s.name ? s.name : "", s.type, s.offset, s.isFunction, s.lowPc, s.highPc, s.access});
    Chain(*t, slots_);
    return SYM_OK;
}

SymResult TypeTable::AddClassType(uint32_t index)
{
    const TypeRecord* t = Find(index);
    if (!t)
        return SYM_E_NO_TYPE;
    if (t->predefined)
        return SYM_E_WRONG_TYPE;
    classTypes_.push_back(index);
    return SYM_OK;
}

uint32_t TypeTable::SizeOf(uint32_t index) const
{
    return SizeOf(index, 0);
}

uint32_t TypeTable::SizeOf(uint32_t index, int depth) const
{
    const TypeRecord* t = Find(index);
    if (!t || depth > kMaxDepth)
        return 0;
    switch (t->code) {
    case SYM_TYPE_TYPEDEF: return t->size != 0 ? t->size : SizeOf(t->link, depth + 1);
    case SYM_TYPE_ARRAY:
        if (t->dimsSet) {
            // An upper bound of 0xFFFFFFFF is an array of unknown length.
            uint64_t count = uint64_t{t->bound} + 1;
            if (count > 0xFFFFFFFFull)
                count = 0;
            uint64_t total = count * SizeOf(t->link, depth + 1);
            if (total != 0 && total <= 0xFFFFFFFFull)
                return static_cast<uint32_t>(total);
        }
        return t->size;
    case SYM_TYPE_POINTER: return t->size != 0 ? t->size : 4;
    case SYM_TYPE_REFERENCE: return t->size != 0 ? t->size : 4;
    default: return t->size;
    }
}

uint32_t TypeTable::Resolve(uint32_t index) const
{
    for (int depth = 0; depth <= kMaxDepth; ++depth) {
        const TypeRecord* t = Find(index);
        if (!t)
            return 0;
        if (t->code != SYM_TYPE_TYPEDEF)
            return index;
        index = t->link;
    }
    return 0;
}

SymResult TypeTable::Describe(uint32_t index, SymTypeDesc* out) const
{
    if (!out)
        return SYM_E_ARGUMENT;
    const TypeRecord* t = Find(index);
    if (!t)
        return SYM_E_NO_TYPE;
    out->valid = 1;
    out->code = t->code;
    out->size = SizeOf(index);
    out->sizeKnown = (t->sizeKnown || out->size != 0) ? 1 : 0;
    out->link = t->link;
    if (out->nameBuffer) {
        size_t n = std::min<size_t>(t->name.size(), SYM_TYPE_NAME_SIZE - 1);
        std::memcpy(out->nameBuffer, t->name.data(), n);
        out->nameBuffer[n] = '\0';
    }
    return SYM_OK;
}

const MemberItem* TypeTable::Member(const TypeRecord& t, uint32_t n) const
{
    if (t.code != SYM_TYPE_STRUCT && t.code != SYM_TYPE_UNION)
        return nullptr;
    uint32_t at = t.firstItem;
    for (; at != kNone && n > 0; --n)
        at = members_[at].next;
    return at == kNone ? nullptr : &members_[at];
}

const SlotItem* TypeTable::Slot(const TypeRecord& t, uint32_t n) const
{
    if (t.code != SYM_TYPE_CLASS)
        return nullptr;
    uint32_t at = t.firstItem;
    for (; at != kNone && n > 0; --n)
        at = slots_[at].next;
    return at == kNone ? nullptr : &slots_[at];
}

}  // namespace quinar

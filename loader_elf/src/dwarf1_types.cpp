#include "dwarf1_types.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "demangle.h"
#include "quinar/quinar.h"

namespace tarnel {
namespace {

// Modifier bytes of 0x0063 and 0x0083.
constexpr uint8_t MOD_POINTER_TO = 1;
constexpr uint8_t MOD_REFERENCE_TO = 2;
constexpr uint8_t MOD_CONST = 3;
constexpr uint8_t MOD_VOLATILE = 4;

// Subscript formats: the low bits tell which bound is a location (X) and
// not a constant (C); formats 4 to 7 name the index type by reference.
constexpr uint8_t FMT_ELEMENT_TYPE = 8;

// A type entry being read, for as long as its builder runs.
class Reading {
public:
    Reading(Dwarf1ReadContext& cx, uint32_t offset) : cx_(cx), offset_(offset), nested_(cx, offset)
    {
        cx_.reading.insert(offset_);
    }
    ~Reading() { cx_.reading.erase(offset_); }
    Reading(const Reading&) = delete;
    Reading& operator=(const Reading&) = delete;

private:
    Dwarf1ReadContext& cx_;
    uint32_t offset_;
    Dwarf1Nested nested_;
};

// A new type record; its index, or nothing when the store refused.
std::optional<uint32_t> NewType(Dwarf1ReadContext& cx, uint32_t code, std::optional<uint32_t> size,
                                std::string_view name)
{
    uint32_t index = 0;
    LdrResult r = LDR_OK;
    if (!cx.records.NewTypeIndex(1, index, r))
        return std::nullopt;
    if (!cx.records.AddType({index, code, size.value_or(0), name, size.has_value()}))
        return std::nullopt;
    return index;
}

void Map(Dwarf1ReadContext& cx, uint32_t offset, uint32_t index)
{
    cx.tables.dwarf1Types.insert_or_assign(offset, index);
}

// The user type a reference names: mapped now, or waiting.
Dwarf1Type UserType(Dwarf1ReadContext& cx, uint32_t reference, uint32_t at)
{
    const uint32_t offset = cx.section.OffsetOf(reference, at);
    Dwarf1Type t;
    if (const std::optional<uint32_t> index = Dwarf1TypeAt(cx, offset))
        t.type = *index;
    else {
        t.type = reference;
        t.waiting = offset;
    }
    return t;
}

// Pointer and reference modifiers over `base`.
Dwarf1Type Modified(Dwarf1ReadContext& cx, Dwarf1Type base, std::span<const uint8_t> modifiers)
{
    uint32_t pointers = 0;
    uint8_t mark = 0;
    for (uint8_t m : modifiers) {
        if (m == MOD_POINTER_TO) {
            ++pointers;
            mark = MOD_POINTER_TO;
        } else if (m == MOD_REFERENCE_TO) {
            mark = MOD_REFERENCE_TO;
        } else if (m == MOD_CONST || m == MOD_VOLATILE) {
            base.constVolatile = true;
        }
    }
    if (mark == 0)
        return base;
    const uint32_t count = mark == MOD_POINTER_TO ? pointers : 1;
    const uint32_t code = mark == MOD_POINTER_TO ? SYM_TYPE_POINTER : SYM_TYPE_REFERENCE;
    Dwarf1Type top = base;
    for (uint32_t i = 0; i < count; ++i) {
        const std::optional<uint32_t> index = NewType(cx, code, 4, "");
        if (!index)
            return top;
        if (code == SYM_TYPE_POINTER)
            cx.records.SetPointerTarget(*index, top.type);
        else
            cx.records.SetReferenceTarget(*index, top.type);
        if (top.waiting)
            cx.load.pendingLinks.push_back({*index, *top.waiting, false});
        top.type = *index;
        top.waiting.reset();
    }
    return top;
}

// The children of a type entry: [end of the entry, its sibling).
uint32_t ChildrenEnd(Dwarf1ReadContext& cx, const Dwarf1Entry& e, uint32_t limit)
{
    return e.Find(DW1_AT_SIBLING) ? NextOffset(cx.section, e, limit) : e.End();
}

std::optional<uint32_t> ByteSize(const Dwarf1Entry& e)
{
    const Dwarf1Attribute* a = e.Find(DW1_AT_BYTE_SIZE);
    return a ? std::optional<uint32_t>(a->value) : std::nullopt;
}

LdrResult BuildTypedef(Dwarf1ReadContext& cx, const Dwarf1Entry& e)
{
    const Dwarf1Type base = Dwarf1TypeOf(cx, e);
    const std::optional<uint32_t> size = base.waiting ? std::nullopt : Dwarf1TypeSize(cx, base.type);
    const std::optional<uint32_t> index = NewType(cx, SYM_TYPE_TYPEDEF, size, PlainName(e.Text(DW1_AT_NAME)));
    if (!index)
        return LDR_E_SYMBOL_CALL;
    Map(cx, e.offset, *index);
    if (!cx.records.SetTypeBase(*index, base.type))
        return LDR_E_SYMBOL_CALL;
    if (base.waiting)
        cx.load.pendingLinks.push_back({*index, *base.waiting, true});
    return LDR_OK;
}

LdrResult BuildEnumeration(Dwarf1ReadContext& cx, const Dwarf1Entry& e)
{
    const std::optional<uint32_t> index = NewType(cx, SYM_TYPE_ENUM, ByteSize(e), PlainName(e.Text(DW1_AT_NAME)));
    if (!index)
        return LDR_E_SYMBOL_CALL;
    Map(cx, e.offset, *index);
    const Dwarf1Attribute* list = e.Find(DW1_AT_ELEMENT_LIST);
    if (!list)
        return LDR_OK;
    // Each element: a u32 value and a name, in the order stored (the
    // reverse of the source's).
    ByteCursor c(list->block, cx.section.bigEndian, ".debug");
    while (c.Ok() && !c.AtEnd()) {
        const int32_t value = static_cast<int32_t>(c.U32());
        const std::string_view name = c.CString();
        if (!c.Ok())
            throw Dwarf1Damage(e.offset, "enumeration element list cut short");
        if (!cx.records.AddEnumConstant(*index, value, name))
            return LDR_E_SYMBOL_CALL;
    }
    return LDR_OK;
}

// The type attribute inside a subscript block or an element list: a code
// and its value.
Dwarf1Type TypeAttributeIn(Dwarf1ReadContext& cx, ByteCursor& c, uint32_t at)
{
    Dwarf1Entry one;
    one.offset = at;
    Dwarf1Attribute a;
    a.code = c.U16();
    switch (a.code) {
    case DW1_AT_FUND_TYPE: a.value = c.U16(); break;
    case DW1_AT_USER_DEF_TYPE: a.value = c.U32(); break;
    case DW1_AT_MOD_FUND_TYPE:
    case DW1_AT_MOD_U_D_TYPE: a.block = c.Block(c.U16()); break;
    default: throw Dwarf1Damage(at, "array element type not understood");
    }
    if (!c.Ok())
        throw Dwarf1Damage(at, "array subscript data cut short");
    one.attributes.push_back(a);
    return Dwarf1TypeOf(cx, one);
}

LdrResult BuildArray(Dwarf1ReadContext& cx, const Dwarf1Entry& e)
{
    const Dwarf1Attribute* data = e.Find(DW1_AT_SUBSCR_DATA);
    if (!data)
        return LDR_OK;
    ByteCursor c(data->block, cx.section.bigEndian, ".debug");
    std::vector<uint32_t> bounds;
    Dwarf1Type element;
    bool elementRead = false;
    while (c.Ok() && !c.AtEnd()) {
        const uint8_t format = c.U8();
        if (format == FMT_ELEMENT_TYPE) {
            element = TypeAttributeIn(cx, c, e.offset);
            elementRead = true;
            break;
        }
        if (format > 7)
            throw Dwarf1Damage(e.offset, "unknown array subscript format");
        if (format < 4)
            c.U16();  // the index's fundamental type
        else
            c.U32();  // the index type's reference
        // A bound given as a location (format bit set) is not constant.
        auto bound = [&](bool location) -> uint32_t {
            if (!location)
                return c.U32();
            c.Skip(c.U16());
            return 0;
        };
        bound((format & 2) != 0);
        bounds.push_back(bound((format & 1) != 0));
    }
    if (!c.Ok() || !elementRead || bounds.empty())
        throw Dwarf1Damage(e.offset, "array subscript data cut short");

    // One type per dimension, the innermost first; the outermost is the
    // entry's type.
    uint32_t inner = element.type;
    std::optional<uint32_t> innerSize = element.waiting ? std::nullopt : Dwarf1TypeSize(cx, element.type);
    std::optional<uint32_t> index;
    for (size_t d = bounds.size(); d-- > 0;) {
        const std::optional<uint32_t> size =
            innerSize ? std::optional<uint32_t>((bounds[d] + 1) * *innerSize) : std::nullopt;
        index = NewType(cx, SYM_TYPE_ARRAY, size, d == 0 ? PlainName(e.Text(DW1_AT_NAME)) : "");
        if (!index || !cx.records.SetArrayDimension(*index, inner, bounds[d]))
            return LDR_E_SYMBOL_CALL;
        if (d + 1 == bounds.size() && element.waiting)
            cx.load.pendingArrays.push_back({*element.waiting, bounds[d], *index});
        inner = *index;
        innerSize = size;
    }
    Map(cx, e.offset, *index);
    return LDR_OK;
}

// The formal parameters among [from, end): their types.
std::vector<uint32_t> ParameterTypes(Dwarf1ReadContext& cx, uint32_t from, uint32_t end)
{
    std::vector<uint32_t> types;
    for (uint32_t p = from; p < end;) {
        const Dwarf1Entry child = cx.section.Read(p, end);
        if (child.null)
            break;
        if (child.tag == DW1_TAG_FORMAL_PARAMETER)
            types.push_back(Dwarf1TypeOf(cx, child).type);
        else if (IsDwarf1TypeTag(child.tag))
            ReadDwarf1TypeEntry(cx, child, end);
        p = NextOffset(cx.section, child, end);
    }
    return types;
}

LdrResult BuildSubroutineType(Dwarf1ReadContext& cx, const Dwarf1Entry& e, uint32_t limit)
{
    const Dwarf1Type result = Dwarf1TypeOf(cx, e);
    const std::vector<uint32_t> parameters = ParameterTypes(cx, e.End(), ChildrenEnd(cx, e, limit));
    const std::optional<uint32_t> index = NewType(cx, SYM_TYPE_PROC, 0, PlainName(e.Text(DW1_AT_NAME)));
    if (!index)
        return LDR_E_SYMBOL_CALL;
    Map(cx, e.offset, *index);
    return cx.records.SetProcedure(*index, result.type, parameters) ? LDR_OK : LDR_E_SYMBOL_CALL;
}

// A data member: its type (a bit-field type over it for bit fields).
struct MemberSlot {
    std::string name;
    uint32_t type = 0;
    uint32_t offset = 0;
    uint32_t byteSize = 0;
    uint32_t bitOffset = 0;
    uint32_t bitSize = 0;
    uint32_t access = SYM_ACCESS_PUBLIC;
    bool isFunction = false;
    uint32_t lowPc = 0, highPc = 0;
};

// The member's byte offset: the constant of its location atoms.
uint32_t MemberOffset(const Dwarf1ReadContext& cx, const Dwarf1Entry& e)
{
    const Dwarf1Attribute* location = e.Find(DW1_AT_LOCATION);
    if (!location)
        return 0;
    ByteCursor c(location->block, cx.section.bigEndian, ".debug");
    uint32_t offset = 0;
    while (c.Ok() && !c.AtEnd()) {
        const uint8_t atom = c.U8();
        if (atom == DW1_OP_CONST)
            offset += c.U32();
        else if (atom != DW1_OP_ADD)
            break;
    }
    return offset;
}

uint32_t AccessOf(const Dwarf1Entry& e)
{
    if (e.Find(DW1_AT_PRIVATE))
        return SYM_ACCESS_PRIVATE;
    if (e.Find(DW1_AT_PROTECTED))
        return SYM_ACCESS_PROTECTED;
    return SYM_ACCESS_PUBLIC;
}

std::optional<MemberSlot> ReadMember(Dwarf1ReadContext& cx, const Dwarf1Entry& e)
{
    MemberSlot m;
    m.name = std::string(PlainName(e.Text(DW1_AT_NAME)));
    const Dwarf1Type t = Dwarf1TypeOf(cx, e);
    m.type = t.type;
    m.offset = MemberOffset(cx, e);
    m.access = AccessOf(e);
    m.byteSize = ByteSize(e).value_or(0);
    const Dwarf1Attribute* bitSize = e.Find(DW1_AT_BIT_SIZE);
    if (!bitSize)
        return m;
    const Dwarf1Attribute* bitOffset = e.Find(DW1_AT_BIT_OFFSET);
    m.bitSize = bitSize->value;
    m.bitOffset = bitOffset ? bitOffset->value : 0;
    if (m.byteSize == 0)
        m.byteSize = Dwarf1TypeSize(cx, t.type).value_or(0);
    const std::optional<uint32_t> field = NewType(cx, SYM_TYPE_BITFIELD, m.byteSize, "");
    if (!field || !cx.records.SetBitField(*field, {m.byteSize, m.bitOffset, m.bitSize, t.type}))
        return std::nullopt;
    m.type = *field;
    return m;
}

// A member function of a class: its slot, and its name for the function
// name map.
MemberSlot ReadMemberFunction(Dwarf1ReadContext& cx, const Dwarf1Entry& e, const std::string& className)
{
    MemberSlot m;
    m.isFunction = true;
    m.access = AccessOf(e);
    m.type = Dwarf1TypeOf(cx, e).type;
    const std::string name(PlainName(e.Text(DW1_AT_NAME)));
    m.name = className + "::" + name;
    const std::string_view linkage = e.Text(DW1_AT_MANGLED_NAME);
    const std::string signature = linkage.empty() ? std::string() : DemangleSymbol(linkage);
    cx.records.AddFunctionName(signature.find("::") != std::string::npos ? signature : m.name + "()", m.name);
    const Dwarf1Attribute* low = e.Find(DW1_AT_LOW_PC);
    const Dwarf1Attribute* high = e.Find(DW1_AT_HIGH_PC);
    if (low && high && high->value > low->value) {
        m.lowPc = low->value;
        m.highPc = high->value - 1;
    }
    return m;
}

bool HasMemberFunctions(Dwarf1ReadContext& cx, uint32_t from, uint32_t end)
{
    for (uint32_t p = from; p < end;) {
        const Dwarf1Entry child = cx.section.Read(p, end);
        if (child.null)
            return false;
        if (child.tag == DW1_TAG_GLOBAL_SUBROUTINE || child.tag == DW1_TAG_SUBROUTINE)
            return true;
        p = NextOffset(cx.section, child, end);
    }
    return false;
}

// Structures, unions and classes. The record is stored (and mapped) before
// the members are read, so that members that refer to it find it, and no
// type made for a member can take its index.
LdrResult BuildStructure(Dwarf1ReadContext& cx, const Dwarf1Entry& e, uint32_t limit)
{
    const uint32_t end = ChildrenEnd(cx, e, limit);
    const std::optional<uint32_t> size = ByteSize(e);
    const bool isClass = e.tag == DW1_TAG_CLASS_TYPE || HasMemberFunctions(cx, e.End(), end);
    const uint32_t code = isClass ? SYM_TYPE_CLASS : e.tag == DW1_TAG_UNION_TYPE ? SYM_TYPE_UNION : SYM_TYPE_STRUCT;
    const std::string name(PlainName(e.Text(DW1_AT_NAME)));
    const std::optional<uint32_t> index = NewType(cx, code, size, name);
    if (!index)
        return LDR_E_SYMBOL_CALL;
    Map(cx, e.offset, *index);
    if (isClass)
        cx.load.classes.emplace_back(e.offset, *size);

    LdrResult result = LDR_OK;
    std::vector<MemberSlot> slots;
    for (uint32_t p = e.End(); p < end;) {
        const Dwarf1Entry child = cx.section.Read(p, end);
        if (child.null)
            break;
        if (child.tag == DW1_TAG_MEMBER) {
            std::optional<MemberSlot> m = ReadMember(cx, child);
            if (m)
                slots.push_back(std::move(*m));
            else
                result = LDR_E_SYMBOL_CALL;
        } else if (isClass && (child.tag == DW1_TAG_GLOBAL_SUBROUTINE || child.tag == DW1_TAG_SUBROUTINE)) {
            slots.push_back(ReadMemberFunction(cx, child, name));
        } else if (IsDwarf1TypeTag(child.tag)) {
            ReadDwarf1TypeEntry(cx, child, end);
        }
        // Parameters of member functions and base classes are not recorded.
        p = NextOffset(cx.section, child, end);
    }
    for (const MemberSlot& m : slots) {
        const bool ok = isClass
            ? cx.records.AddClassSlot(*index, {m.name, m.type, m.offset, m.isFunction, m.lowPc, m.highPc, m.access})
            : cx.records.AddMember(*index, {m.name, m.type, m.offset, m.byteSize, m.bitOffset, m.bitSize});
        if (!ok)
            return LDR_E_SYMBOL_CALL;
    }
    if (isClass && !cx.records.CompleteClass(*index))
        return LDR_E_SYMBOL_CALL;
    return result;
}

}  // namespace

bool IsDwarf1TypeTag(uint16_t tag)
{
    switch (tag) {
    case DW1_TAG_ARRAY_TYPE:
    case DW1_TAG_CLASS_TYPE:
    case DW1_TAG_ENUMERATION_TYPE:
    case DW1_TAG_STRUCTURE_TYPE:
    case DW1_TAG_SUBROUTINE_TYPE:
    case DW1_TAG_TYPEDEF:
    case DW1_TAG_UNION_TYPE: return true;
    default: return false;
    }
}

uint32_t MapUserFundamentalType(uint32_t code)
{
    static constexpr std::array<std::pair<uint32_t, uint32_t>, 19> IDS{{
        {0x8008, 70}, {0x8108, 71}, {0x8208, 72}, {0x9001, 73}, {0x9101, 74}, {0x9201, 75}, {0x9302, 76},
        {0x9402, 77}, {0x9502, 78}, {0x9604, 79}, {0x9704, 80}, {0x9804, 81}, {0x9908, 82}, {0x9A08, 83},
        {0x9B08, 84}, {0xA004, 85}, {0xA108, 86}, {0xA20C, 87}, {0xA310, 88},
    }};
    for (const auto& [c, id] : IDS)
        if (c == code)
            return id;
    return 0;
}

std::optional<uint32_t> Dwarf1TypeSize(Dwarf1ReadContext& cx, uint32_t type)
{
    if (std::optional<uint32_t> size = cx.records.TypeSize(type))
        return size;
    if (const uint32_t id = MapUserFundamentalType(type); id != 0)
        return cx.records.TypeSize(id);
    return std::nullopt;
}

Dwarf1Type Dwarf1TypeOf(Dwarf1ReadContext& cx, const Dwarf1Entry& e, uint32_t fallback)
{
    for (const Dwarf1Attribute& a : e.attributes) {
        switch (a.code) {
        case DW1_AT_FUND_TYPE: return {a.value, false, {}};
        case DW1_AT_USER_DEF_TYPE: return UserType(cx, a.value, e.offset);
        case DW1_AT_MOD_FUND_TYPE:
        case DW1_AT_MOD_U_D_TYPE: {
            const size_t width = a.code == DW1_AT_MOD_FUND_TYPE ? 2 : 4;
            if (a.block.size() < width)
                throw Dwarf1Damage(e.offset, "modified type cut short");
            ByteCursor c(a.block.subspan(a.block.size() - width), cx.section.bigEndian, ".debug");
            const uint32_t base = static_cast<uint32_t>(c.Fixed(static_cast<unsigned>(width)));
            const Dwarf1Type t = width == 2 ? Dwarf1Type{base, false, {}} : UserType(cx, base, e.offset);
            return Modified(cx, t, a.block.first(a.block.size() - width));
        }
        default: break;
        }
    }
    return {fallback, false, {}};
}

std::optional<uint32_t> Dwarf1TypeAt(Dwarf1ReadContext& cx, uint32_t offset)
{
    uint32_t index = 0;
    bool found = false;
    cx.tables.LookUpDwarf1Type(offset, &index, &found);
    if (found)
        return index;
    if (cx.reading.contains(offset) || cx.demandDepth >= DWARF1_DEMAND_DEPTH)
        return std::nullopt;
    const Dwarf1Entry e = cx.section.Read(offset, cx.section.Size());
    // Classes are read in their turn: their members may name what refers
    // to them.
    if (e.null || !IsDwarf1TypeTag(e.tag) || e.tag == DW1_TAG_CLASS_TYPE)
        return std::nullopt;
    ++cx.demandDepth;
    try {
        ReadDwarf1TypeEntry(cx, e, cx.section.Size());
    } catch (...) {
        --cx.demandDepth;
        throw;
    }
    --cx.demandDepth;
    cx.tables.LookUpDwarf1Type(offset, &index, &found);
    return found ? std::optional<uint32_t>(index) : std::nullopt;
}

LdrResult ReadDwarf1TypeEntry(Dwarf1ReadContext& cx, const Dwarf1Entry& e, uint32_t limit)
{
    uint32_t known = 0;
    bool found = false;
    cx.tables.LookUpDwarf1Type(e.offset, &known, &found);
    if (found || cx.reading.contains(e.offset))
        return LDR_OK;  // read on demand before its turn
    Reading reading(cx, e.offset);
    switch (e.tag) {
    case DW1_TAG_ARRAY_TYPE: return BuildArray(cx, e);
    case DW1_TAG_SUBROUTINE_TYPE: return BuildSubroutineType(cx, e, limit);
    case DW1_TAG_TYPEDEF: return BuildTypedef(cx, e);
    case DW1_TAG_ENUMERATION_TYPE: return BuildEnumeration(cx, e);
    case DW1_TAG_STRUCTURE_TYPE:
    case DW1_TAG_UNION_TYPE:
    case DW1_TAG_CLASS_TYPE:
        // A declaration without a size builds nothing.
        if (!ByteSize(e))
            return LDR_OK;
        return BuildStructure(cx, e, limit);
    default: return LDR_OK;
    }
}

void CompleteDwarf1Arrays(Dwarf1ReadContext& cx)
{
    std::erase_if(cx.load.pendingArrays, [&](const Dwarf1PendingArray& a) {
        uint32_t index = 0;
        bool found = false;
        cx.tables.LookUpDwarf1Type(a.elementReference, &index, &found);
        return found && cx.records.UpdateArrayDimension(a.arrayIndex, index, a.bound);
    });
}

void FixDwarf1TypeLinks(LoaderTables& tables, QuinarRecords& records, Dwarf1LoadState& load)
{
    for (const Dwarf1PendingLink& link : load.pendingLinks) {
        uint32_t index = 0;
        bool found = false;
        tables.LookUpDwarf1Type(link.reference, &index, &found);
        if (!found)
            continue;
        if (link.isBase)
            records.SetTypeBase(link.typeIndex, index);
        else
            records.UpdatePointerTarget(link.typeIndex, index);
    }
    load.pendingLinks.clear();
}

}  // namespace tarnel

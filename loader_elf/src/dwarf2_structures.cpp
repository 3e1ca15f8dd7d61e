#include "dwarf2_structures.h"

#include <string>
#include <vector>

#include "dwarf2_constants.h"
#include "dwarf2_context.h"
#include "dwarf2_functions.h"
#include "dwarf2_locations.h"
#include "dwarf2_types.h"
#include "quinar/quinar.h"

namespace tarnel {
namespace {

// A class's index is this far above the allocated value, leaving room for
// the types its members make before the class itself is stored.
constexpr uint32_t CLASS_INDEX_STEP = 256;
constexpr uint32_t STRUCTURE_INDEX_STEP = 3;

struct Member {
    std::string name;
    uint32_t typeEntry = 0;
    uint32_t type = 0;
    uint32_t offset = 0;
    uint32_t byteSize = 0;
    std::optional<uint32_t> bitOffset;
    uint32_t bitSize = 0;
    uint32_t access = SYM_ACCESS_PUBLIC;
};

uint32_t MemberOffset(const Dwarf2Unit& unit, const std::optional<FormValue>& location)
{
    if (!location)
        return 0;  // union members
    if (location->kind == FormClass::Block)
        return DecodeLocation(unit, location->block).value;
    if (location->kind == FormClass::Constant)
        return static_cast<uint32_t>(location->number);
    return 0;
}

Member ReadMember(Dwarf2Unit& unit, const Dwarf2Abbrev& abbrev)
{
    const EntryAttributes a = ReadLeafEntry(unit, abbrev);
    Member m;
    m.name = std::string(a.name);
    m.typeEntry = a.type;
    m.offset = MemberOffset(unit, a.memberLocation);
    m.byteSize = a.byteSize.value_or(0);
    m.bitOffset = a.bitOffset;
    m.bitSize = a.bitSize.value_or(0);
    m.access = AccessOf(a.accessibility);
    return m;
}

// The member's type; a bit field gets a bit-field type ('g') over it.
LdrResult ResolveMemberType(Dwarf2Unit& unit, Member& m)
{
    m.type = ResolveTypeRef(unit, m.typeEntry);
    if (!m.bitOffset)
        return LDR_OK;
    QuinarRecords& records = Context(unit).records;
    uint32_t index = 0;
    LdrResult r = LDR_OK;
    if (!records.NewTypeIndex(1, index, r))
        return r;
    if (!records.AddType({index, SYM_TYPE_BITFIELD, m.byteSize, "", m.byteSize != 0}) ||
        !records.SetBitField(index, {m.byteSize, *m.bitOffset, m.bitSize, m.type}))
        return LDR_E_SYMBOL_CALL;
    m.type = index;
    return LDR_OK;
}

}  // namespace

uint32_t AccessOf(const std::optional<uint32_t>& accessibility)
{
    switch (accessibility.value_or(DW_ACCESS_public)) {
    case DW_ACCESS_protected: return SYM_ACCESS_PROTECTED;
    case DW_ACCESS_private: return SYM_ACCESS_PRIVATE;
    default: return SYM_ACCESS_PUBLIC;
    }
}

LdrResult ReadStructureType(Dwarf2Unit& unit, Dwarf2Entry& entry, const EntryAttributes& a, uint32_t& made)
{
    const Dwarf2Abbrev& abbrev = entry.abbrev;
    QuinarRecords& records = Context(unit).records;
    const bool gnu = unit.kind == COMPILER_GNU_C;
    if (!gnu && unit.kind != COMPILER_ARM && unit.kind != COMPILER_GREEN_HILLS) {
        if (abbrev.children)
            SkipChildren(unit);
        return LDR_OK;
    }
    // Member functions (and, from GNU C++, base classes) make it a class.
    const bool isClass = abbrev.children &&
        (gnu ? ChildrenInclude(unit, {DW_TAG_subprogram, DW_TAG_inheritance})
             : ChildrenInclude(unit, {DW_TAG_subprogram}));
    if (isClass) {
        if (!a.byteSize) {
            SkipChildren(unit);
            return LDR_E_SYMBOL_CALL;
        }
        return ReadClassType(unit, entry, a, made);
    }

    std::vector<Member> members;
    uint32_t offset = 0;
    while (const Dwarf2Abbrev* child = abbrev.children ? NextChild(unit, offset) : nullptr) {
        if (child->tag == DW_TAG_member) {
            members.push_back(ReadMember(unit, *child));
        } else if (IsTypeTag(child->tag)) {
            Dwarf2Entry nested{offset, *child};
            ReadDwarf2TypeEntry(unit, nested);
        } else {
            SkipEntry(unit, *child);
        }
    }
    if (!unit.entries.Ok())
        return LDR_OK;
    // Member types now, so that a member naming a type declared later in
    // the structure finds it.
    for (Member& m : members)
        if (LdrResult r = ResolveMemberType(unit, m); r != LDR_OK)
            return r;

    uint32_t index = 0;
    LdrResult r = LDR_OK;
    if (!records.NewTypeIndex(STRUCTURE_INDEX_STEP, index, r))
        return r;
    // An index holding a type already: the structure names none.
    if (records.IndexTaken(index))
        return LDR_OK;
    const uint32_t code = abbrev.tag == DW_TAG_union_type ? SYM_TYPE_UNION : SYM_TYPE_STRUCT;
    if (!records.AddType({index, code, a.byteSize.value_or(0), a.name, a.byteSize.has_value()}))
        return LDR_E_SYMBOL_CALL;
    for (const Member& m : members)
        if (!records.AddMember(index, {m.name, m.type, m.offset, m.byteSize, m.bitOffset.value_or(0), m.bitSize}))
            return LDR_E_SYMBOL_CALL;
    made = index;
    return LDR_OK;
}

LdrResult ReadClassType(Dwarf2Unit& unit, Dwarf2Entry& entry, const EntryAttributes& a, uint32_t& made)
{
    const Dwarf2Abbrev& abbrev = entry.abbrev;
    Dwarf2ReadContext& cx = Context(unit);
    if (!a.byteSize) {
        if (abbrev.children)
            SkipChildren(unit);
        return LDR_OK;
    }
    uint32_t index = 0;
    LdrResult r = LDR_OK;
    if (!cx.records.NewTypeIndex(CLASS_INDEX_STEP, index, r)) {
        if (abbrev.children)
            SkipChildren(unit);
        return r;
    }
    // Mapped before the members are read: members that refer to the class
    // (this pointers, self references) find it.
    MapDwarf2Type(cx.tables, entry.offset, index, a.name);
    if (a.completes != 0)
        MapDwarf2Type(cx.tables, a.completes, index, a.name);
    const std::string className(a.name);

    std::vector<ClassSlot> slots;
    uint32_t offset = 0;
    while (const Dwarf2Abbrev* child = abbrev.children ? NextChild(unit, offset) : nullptr) {
        if (child->tag == DW_TAG_member) {
            Member m = ReadMember(unit, *child);
            if (LdrResult mr = ResolveMemberType(unit, m); mr != LDR_OK)
                r = mr;
            slots.push_back({m.name, m.type, m.offset, 0, 0, 0, m.access});
        } else if (child->tag == DW_TAG_subprogram) {
            Dwarf2Entry function{offset, *child};
            ClassSlot slot;
            ReadMemberFunction(unit, function, className, slot);
            slots.push_back(std::move(slot));
        } else if (IsTypeTag(child->tag)) {
            Dwarf2Entry nested{offset, *child};
            ReadDwarf2TypeEntry(unit, nested);
        } else {
            // Base classes and template parameters are not recorded.
            SkipEntry(unit, *child);
        }
    }
    // A class not stored after all (damage; more member types than the room
    // left below its index) names no type.
    if (r == LDR_OK && cx.records.IndexTaken(index))
        r = LDR_E_SYMBOL_CALL;
    if (!unit.entries.Ok() || r != LDR_OK ||
        !cx.records.AddType({index, SYM_TYPE_CLASS, *a.byteSize, className, true})) {
        cx.tables.dwarf2Types.erase(entry.offset);
        if (a.completes != 0)
            cx.tables.dwarf2Types.erase(a.completes);
        return unit.entries.Ok() && r == LDR_OK ? LDR_E_SYMBOL_CALL : r;
    }
    for (const ClassSlot& s : slots)
        if (!cx.records.AddClassSlot(index, {s.name, s.type, s.offset, s.isFunction != 0, s.lowPc, s.highPc, s.access}))
            return LDR_E_SYMBOL_CALL;
    if (!cx.records.CompleteClass(index))
        return LDR_E_SYMBOL_CALL;
    made = index;
    return LDR_OK;
}

}  // namespace tarnel

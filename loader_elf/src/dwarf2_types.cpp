#include "dwarf2_types.h"

#include <string>
#include <vector>

#include "dwarf2_constants.h"
#include "dwarf2_context.h"
#include "dwarf2_structures.h"
#include "dwarf2_walk.h"
#include "quinar/quinar.h"

namespace tarnel {
namespace {

// The bound of an array dimension whose length is not known (int a[]).
constexpr uint32_t UNKNOWN_BOUND = 0xFFFFFFFF;
constexpr uint32_t POINTER_SIZE = 4;

// Marks an entry as being read for as long as its reader runs.
class ReadingEntry {
public:
    ReadingEntry(Dwarf2PassState& pass, uint32_t offset) : pass_(pass), offset_(offset)
    {
        pass_.reading.insert(offset);
    }
    ~ReadingEntry() { pass_.reading.erase(offset_); }
    ReadingEntry(const ReadingEntry&) = delete;
    ReadingEntry& operator=(const ReadingEntry&) = delete;

private:
    Dwarf2PassState& pass_;
    uint32_t offset_;
};

// One level of on-demand reading, for as long as it runs.
class DemandLevel {
public:
    explicit DemandLevel(Dwarf2PassState& pass) : pass_(pass) { ++pass_.demandDepth; }
    ~DemandLevel() { --pass_.demandDepth; }
    DemandLevel(const DemandLevel&) = delete;
    DemandLevel& operator=(const DemandLevel&) = delete;

private:
    Dwarf2PassState& pass_;
};

bool IsAggregateTag(uint16_t tag)
{
    return tag == DW_TAG_structure_type || tag == DW_TAG_union_type || tag == DW_TAG_class_type ||
        tag == DW_TAG_enumeration_type;
}

// The unit's top-level type entries that complete a declaration, found once
// per unit.
const std::unordered_map<uint32_t, uint32_t>& DefinitionsOf(const Dwarf2Unit& unit)
{
    Dwarf2PassState& p = Context(unit).pass;
    if (p.definitionsUnit == unit.headerOffset)
        return p.definitions;
    p.definitionsUnit = unit.headerOffset;
    p.definitions.clear();
    Dwarf2Unit at;
    const Dwarf2Abbrev* top = nullptr;
    if (!EntryAt(unit, unit.entriesOffset, at, top) || !top->children)
        return p.definitions;
    SkipAttributes(at, *top);
    uint32_t offset = 0;
    while (const Dwarf2Abbrev* child = NextChild(at, offset)) {
        if (IsAggregateTag(child->tag)) {
            EntryAttributes a;
            ReadEntryAttributes(at, *child, a);
            if (a.completes != 0 && !a.declaration)
                p.definitions.try_emplace(a.completes, offset);
        } else {
            SkipAttributes(at, *child);
        }
        if (child->children)
            SkipChildren(at);
    }
    return p.definitions;
}

}  // namespace

namespace {

void KeepLink(Dwarf2ReadContext& cx, uint32_t typeIndex, uint32_t entryOffset, bool isBase)
{
    cx.tables.dwarf2PendingLinks.push_back({typeIndex, entryOffset, isBase});
}

// Each type reader below gives its result and, in `made`, the type it made
// or found (0: none).

LdrResult ReadBaseType(const EntryAttributes& a, uint32_t& made)
{
    made = BaseTypeIndex(a.encoding.value_or(0), a.byteSize.value_or(0), a.name);
    return LDR_OK;
}

LdrResult ReadPointerType(Dwarf2ReadContext& cx, const EntryAttributes& a, uint32_t& made)
{
    // Only the map: the target may be the structure whose members are
    // being read; it is completed after the pass.
    uint32_t target = 0;
    bool keep = false;
    if (a.type != 0) {
        target = cx.tables.LookUpDwarf2Type(a.type);
        keep = target == 0;
        if (keep)
            target = a.type;
    }
    uint32_t index = 0;
    LdrResult r = LDR_OK;
    if (!cx.records.NewTypeIndex(1, index, r))
        return r;
    if (!cx.records.AddType({index, SYM_TYPE_POINTER, POINTER_SIZE, a.name, true}) ||
        !cx.records.SetPointerTarget(index, target))
        return LDR_E_SYMBOL_CALL;
    if (keep)
        KeepLink(cx, index, a.type, false);
    made = index;
    return LDR_OK;
}

LdrResult ReadReferenceType(Dwarf2Unit& unit, const EntryAttributes& a, uint32_t& made)
{
    Dwarf2ReadContext& cx = Context(unit);
    const TypeRef target = ResolveType(unit, a.type);
    uint32_t index = 0;
    LdrResult r = LDR_OK;
    if (!cx.records.NewTypeIndex(1, index, r))
        return r;
    if (!cx.records.AddType({index, SYM_TYPE_REFERENCE, a.byteSize.value_or(POINTER_SIZE), a.name, false}))
        return LDR_E_SYMBOL_CALL;
    if (r = cx.records.SetReferenceTarget(index, target.cycle ? a.type : target.index); r != LDR_OK)
        return r;
    if (target.cycle)
        KeepLink(cx, index, a.type, false);
    made = index;
    return LDR_OK;
}

// const and volatile qualify their type without a quinar type of their
// own. A qualified type reached through a cycle stays unmapped (`cycle`).
LdrResult ReadQualifiedType(Dwarf2Unit& unit, const EntryAttributes& a, uint32_t& made, bool& cycle)
{
    const TypeRef target = ResolveType(unit, a.type);
    made = target.index;
    cycle = target.cycle;
    return LDR_OK;
}

// A typedef that has the name of the class it names, met before that class
// was mapped, makes no type yet; read again later (on demand), it does.
bool WaitsForItsClass(Dwarf2Unit& unit, uint32_t offset, uint32_t target, std::string_view name)
{
    Dwarf2Unit at;
    const Dwarf2Abbrev* abbrev = nullptr;
    if (!EntryAt(unit, target, at, abbrev) || abbrev->tag != DW_TAG_class_type)
        return false;
    EntryAttributes c;
    ReadEntryAttributes(at, *abbrev, c);
    if (!at.entries.Ok() || c.name != name)
        return false;
    Context(unit).pass.typedefGuard.emplace(offset, target);
    return true;
}

LdrResult ReadTypedef(Dwarf2Unit& unit, uint32_t offset, const EntryAttributes& a, uint32_t& made)
{
    Dwarf2ReadContext& cx = Context(unit);
    const LoaderTables& t = cx.tables;
    Dwarf2PassState& p = cx.pass;
    uint32_t target = a.type;
    if (auto guard = p.typedefGuard.find(offset); guard != p.typedefGuard.end())
        target = guard->second;
    TypeRef base{t.LookUpDwarf2Type(target), false};
    if (base.index == 0 && target != 0) {
        if (WaitsForItsClass(unit, offset, target, a.name))
            return LDR_E_SYMBOL_CALL;
        base = ResolveType(unit, target);
    }
    uint32_t index = 0;
    LdrResult r = LDR_OK;
    if (!cx.records.NewTypeIndex(1, index, r))
        return r;
    if (!cx.records.AddType({index, SYM_TYPE_TYPEDEF, 0, a.name, false}) || !cx.records.SetTypeBase(index, base.index))
        return LDR_E_SYMBOL_CALL;
    if (base.cycle)
        KeepLink(cx, index, target, true);
    made = index;
    return LDR_OK;
}

uint32_t BoundOf(const std::optional<FormValue>& v)
{
    // A reference (a variable holding the length) or no bound: not known.
    if (!v || (v->kind != FormClass::Constant && v->kind != FormClass::Address))
        return UNKNOWN_BOUND;
    return static_cast<uint32_t>(v->number);
}

LdrResult ReadArrayType(Dwarf2Unit& unit, const Dwarf2Abbrev& abbrev, const EntryAttributes& a, uint32_t& made)
{
    QuinarRecords& records = Context(unit).records;
    const uint32_t element = ResolveTypeRef(unit, a.type);
    std::vector<uint32_t> bounds;
    ForEachChild(unit, abbrev, DW_TAG_subrange_type,
                 [&](const EntryAttributes& s) { bounds.push_back(BoundOf(s.upperBound)); });
    if (!unit.entries.Ok())
        return LDR_OK;
    if (bounds.empty())
        bounds.push_back(UNKNOWN_BOUND);
    // One type per dimension, the last made first: each holds the next.
    uint32_t inner = element;
    for (auto bound = bounds.rbegin(); bound != bounds.rend(); ++bound) {
        uint32_t index = 0;
        LdrResult r = LDR_OK;
        if (!records.NewTypeIndex(1, index, r))
            return r;
        if (!records.AddType({index, SYM_TYPE_ARRAY, 0, a.name, false}) ||
            !records.SetArrayDimension(index, inner, *bound))
            return LDR_E_SYMBOL_CALL;
        inner = index;
    }
    made = inner;
    return LDR_OK;
}

LdrResult ReadSubroutineType(Dwarf2Unit& unit, const Dwarf2Abbrev& abbrev, const EntryAttributes& a, uint32_t& made)
{
    QuinarRecords& records = Context(unit).records;
    const uint32_t returnType = a.type != 0 ? ResolveTypeRef(unit, a.type) : SYM_TYPE_VOID;
    std::vector<uint32_t> parameters;
    ForEachChild(unit, abbrev, DW_TAG_formal_parameter,
                 [&](const EntryAttributes& p) { parameters.push_back(ResolveTypeRef(unit, p.type)); });
    if (!unit.entries.Ok())
        return LDR_OK;
    uint32_t index = 0;
    LdrResult r = LDR_OK;
    if (!records.NewTypeIndex(1, index, r))
        return r;
    if (!records.AddType({index, SYM_TYPE_PROC, 0, a.name, true}))
        return LDR_E_SYMBOL_CALL;
    made = index;
    return records.SetProcedure(index, returnType, parameters) ? LDR_OK : LDR_E_SYMBOL_CALL;
}

LdrResult ReadEnumeration(Dwarf2Unit& unit, const Dwarf2Abbrev& abbrev, const EntryAttributes& a, uint32_t& made)
{
    QuinarRecords& records = Context(unit).records;
    uint32_t index = 0;
    LdrResult r = LDR_OK;
    if (!records.NewTypeIndex(1, index, r)) {
        if (abbrev.children)
            SkipChildren(unit);
        return r;
    }
    bool added = records.AddType({index, SYM_TYPE_ENUM, a.byteSize.value_or(0), a.name, a.byteSize.has_value()});
    ForEachChild(unit, abbrev, DW_TAG_enumerator, [&](const EntryAttributes& e) {
        // A value given as a block or a string is not a number: 0.
        const bool number = e.constValue && e.constValue->kind == FormClass::Constant;
        const int32_t value = number ? static_cast<int32_t>(static_cast<uint32_t>(e.constValue->number)) : 0;
        if (added && unit.entries.Ok())
            added = records.AddEnumConstant(index, value, e.name);
    });
    if (!added)
        return LDR_E_SYMBOL_CALL;
    made = index;
    return LDR_OK;
}

}  // namespace

bool IsTypeTag(uint16_t tag)
{
    switch (tag) {
    case DW_TAG_array_type:
    case DW_TAG_class_type:
    case DW_TAG_enumeration_type:
    case DW_TAG_structure_type:
    case DW_TAG_subroutine_type:
    case DW_TAG_typedef:
    case DW_TAG_union_type:
    case DW_TAG_pointer_type:
    case DW_TAG_reference_type:
    case DW_TAG_base_type:
    case DW_TAG_const_type:
    case DW_TAG_volatile_type: return true;
    default: return false;
    }
}

uint32_t BaseTypeIndex(uint32_t encoding, uint32_t byteSize, std::string_view name)
{
    auto integer = [&](bool isSigned) -> uint32_t {
        switch (byteSize) {
        case 1: return isSigned ? 2 : 3;
        case 2: return isSigned ? 5 : 6;
        case 4:
            if (isSigned)
                return name == "int" ? 8 : 11;
            return name == "unsigned int" ? 9 : 12;
        // quinar's "long long" and "unsigned long long".
        case 8: return isSigned ? 70 : 72;
        default: return SYM_TYPE_VOID;
        }
    };
    switch (encoding) {
    case DW_ATE_address: return 13;
    case DW_ATE_boolean: return 21;
    case DW_ATE_complex_float: return byteSize == 16 ? 18 : 17;
    case DW_ATE_float:
        switch (byteSize) {
        case 4: return 14;
        case 8: return 15;
        case 16: return 16;
        default: return integer(true);
        }
    case DW_ATE_signed: return integer(true);
    case DW_ATE_signed_char: return 2;
    case DW_ATE_unsigned: return integer(false);
    case DW_ATE_unsigned_char: return 3;
    default: return SYM_TYPE_INT;
    }
}

void MapDwarf2Type(LoaderTables& tables, uint32_t offset, uint32_t index, std::string_view name)
{
    if (index != 0)
        tables.dwarf2Types.try_emplace(offset, Dwarf2TypeEntry{offset, index, std::string(name)});
}

TypeRead ReadType(Dwarf2Unit& unit, Dwarf2Entry& entry)
{
    const Dwarf2Abbrev& abbrev = entry.abbrev;
    Dwarf2ReadContext& cx = Context(unit);
    Dwarf2PassState& p = cx.pass;
    entry.childrenRead = true;
    const NestedEntry level(p, unit.entries);
    if (!unit.entries.Ok())
        return {};
    if (cx.tables.dwarf2Types.count(entry.offset) || p.reading.count(entry.offset)) {
        // Made already (read on demand before the walk came to it).
        SkipEntry(unit, abbrev);
        return {};
    }
    ReadingEntry reading(p, entry.offset);
    EntryAttributes a;
    ReadEntryAttributes(unit, abbrev, a);
    if (!unit.entries.Ok())
        return {};
    // A definition that completes a declaration takes its name.
    std::string declaredName;
    if (a.name.empty() && a.completes != 0) {
        declaredName = OriginOf(unit, a.completes).name;
        a.name = declaredName;
    }
    // A declaration is the type that defines it, where the unit has one.
    if (IsAggregateTag(abbrev.tag) && a.declaration && !a.byteSize) {
        const auto& definitions = DefinitionsOf(unit);
        if (auto it = definitions.find(entry.offset); it != definitions.end()) {
            if (abbrev.children)
                SkipChildren(unit);
            const TypeRef definition = ResolveType(unit, it->second);
            if (!definition.cycle)
                MapDwarf2Type(cx.tables, entry.offset, definition.index, a.name);
            return {LDR_OK, definition};
        }
    }

    LdrResult r = LDR_OK;
    uint32_t made = 0;
    bool cycle = false;
    bool kept = false;  // whether the result becomes the pass's
    bool childrenLeft = abbrev.children;
    switch (abbrev.tag) {
    case DW_TAG_base_type: r = ReadBaseType(a, made); break;
    case DW_TAG_pointer_type:
        r = ReadPointerType(cx, a, made);
        kept = true;
        break;
    case DW_TAG_reference_type:
        r = ReadReferenceType(unit, a, made);
        kept = true;
        break;
    case DW_TAG_const_type:
    case DW_TAG_volatile_type:
        r = ReadQualifiedType(unit, a, made, cycle);
        kept = true;
        break;
    case DW_TAG_typedef: r = ReadTypedef(unit, entry.offset, a, made); break;
    case DW_TAG_array_type:
        r = ReadArrayType(unit, abbrev, a, made);
        childrenLeft = false;
        break;
    case DW_TAG_subroutine_type:
        r = ReadSubroutineType(unit, abbrev, a, made);
        childrenLeft = false;
        break;
    case DW_TAG_enumeration_type:
        r = ReadEnumeration(unit, abbrev, a, made);
        childrenLeft = false;
        break;
    case DW_TAG_structure_type:
    case DW_TAG_union_type:
        r = ReadStructureType(unit, entry, a, made);
        childrenLeft = false;
        break;
    case DW_TAG_class_type:
        r = ReadClassType(unit, entry, a, made);
        childrenLeft = false;
        break;
    default: break;
    }
    if (childrenLeft)
        SkipChildren(unit);
    if (r == LDR_OK && !cycle) {
        MapDwarf2Type(cx.tables, entry.offset, made, a.name);
        if (a.completes != 0 && IsAggregateTag(abbrev.tag))
            MapDwarf2Type(cx.tables, a.completes, made, a.name);
    }
    return {kept ? r : LDR_OK, {made, cycle}};
}

LdrResult ReadDwarf2TypeEntry(Dwarf2Unit& unit, Dwarf2Entry& entry)
{
    return ReadType(unit, entry).result;
}

TypeRef ResolveType(Dwarf2Unit& unit, uint32_t offset)
{
    if (offset == 0)
        return {};
    Dwarf2ReadContext& cx = Context(unit);
    const LoaderTables& t = cx.tables;
    if (uint32_t index = t.LookUpDwarf2Type(offset))
        return {index, false};
    Dwarf2PassState& p = cx.pass;
    // An entry being read, or one too deep to read now: like a cycle, the
    // link waits for the fix-up (the walk reads the entry in its turn).
    if (p.reading.count(offset) || p.demandDepth >= MAX_TYPE_DEMAND_DEPTH)
        return {0, true};
    Dwarf2Unit at;
    const Dwarf2Abbrev* abbrev = nullptr;
    if (!EntryAt(unit, offset, at, abbrev) || !IsTypeTag(abbrev->tag))
        return {};
    TypeRead read;
    {
        DemandLevel level(p);
        Dwarf2Entry entry{offset, *abbrev};
        read = ReadType(at, entry);
    }
    const uint32_t index = t.LookUpDwarf2Type(offset);
    return {index, index == 0 && read.type.cycle};
}

uint32_t ResolveTypeRef(Dwarf2Unit& unit, uint32_t offset)
{
    return ResolveType(unit, offset).index;
}

void FixDwarf2TypeLinks(LoaderTables& t, QuinarRecords& records)
{
    for (const PendingTypeLink& link : t.dwarf2PendingLinks) {
        const uint32_t type = t.LookUpDwarf2Type(link.entryOffset);
        if (link.isBase)
            records.SetTypeBase(link.typeIndex, type);
        else
            records.UpdatePointerTarget(link.typeIndex, type);
    }
    t.dwarf2PendingLinks.clear();
}

}  // namespace tarnel

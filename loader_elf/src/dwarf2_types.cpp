#include "dwarf2_types.h"

#include <string>
#include <vector>

#include "dwarf2_constants.h"
#include "dwarf2_pass_state.h"
#include "dwarf2_structures.h"
#include "dwarf2_walk.h"
#include "load_state.h"
#include "quinar/quinar.h"

namespace tarnel {
namespace {

// The bound of an array dimension whose length is not known (int a[]).
constexpr uint32_t UNKNOWN_BOUND = 0xFFFFFFFF;
constexpr uint32_t POINTER_SIZE = 4;

// Marks an entry as being read for as long as its reader runs.
class ReadingEntry {
public:
    explicit ReadingEntry(uint32_t offset) : offset_(offset) { Dwarf2Pass().reading.insert(offset); }
    ~ReadingEntry() { Dwarf2Pass().reading.erase(offset_); }
    ReadingEntry(const ReadingEntry&) = delete;
    ReadingEntry& operator=(const ReadingEntry&) = delete;

private:
    uint32_t offset_;
};

// One level of on-demand reading, for as long as it runs.
class DemandLevel {
public:
    DemandLevel() { ++Dwarf2Pass().demandDepth; }
    ~DemandLevel() { --Dwarf2Pass().demandDepth; }
    DemandLevel(const DemandLevel&) = delete;
    DemandLevel& operator=(const DemandLevel&) = delete;
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
    Dwarf2PassState& p = Dwarf2Pass();
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
            if (a.specification != 0 && !a.declaration)
                p.definitions.try_emplace(a.specification, offset);
        } else {
            SkipAttributes(at, *child);
        }
        if (child->children)
            SkipChildren(at);
    }
    return p.definitions;
}

}  // namespace

bool AddType(uint32_t index, uint32_t code, uint32_t size, std::string_view name, bool sizeKnown)
{
    const std::string text(name);
    SymTypeDesc desc{};
    desc.valid = 1;
    desc.code = code;
    desc.size = size;
    desc.name = text.c_str();
    desc.sizeKnown = sizeKnown ? 1 : 0;
    return SymAddTypeRecord(index, &desc) == SYM_OK;
}

namespace {

void KeepLink(uint32_t typeIndex, uint32_t entryOffset, bool isBase)
{
    State().tables.dwarf2PendingLinks.push_back({typeIndex, entryOffset, isBase});
}

LdrResult ReadBaseType(const EntryAttributes& a)
{
    Dwarf2Pass().currentTypeIndex = BaseTypeIndex(a.encoding.value_or(0), a.byteSize.value_or(0), a.name);
    return LDR_OK;
}

LdrResult ReadPointerType(const EntryAttributes& a)
{
    // Only the map: the target may be the structure whose members are
    // being read; it is completed after the pass.
    uint32_t target = 0;
    bool keep = false;
    if (a.type != 0) {
        target = State().tables.LookUpDwarf2Type(a.type);
        keep = target == 0;
        if (keep)
            target = a.type;
    }
    uint32_t index = 0;
    LdrResult r = LDR_OK;
    if (!NewTypeIndex(1, index, r))
        return r;
    if (!AddType(index, SYM_TYPE_POINTER, POINTER_SIZE, a.name, true) || SymSetPointerTarget(index, target) != SYM_OK)
        return LDR_E_SYMBOL_CALL;
    if (keep)
        KeepLink(index, a.type, false);
    Dwarf2Pass().currentTypeIndex = index;
    return LDR_OK;
}

LdrResult ReadReferenceType(Dwarf2Unit& unit, const EntryAttributes& a)
{
    const TypeRef target = ResolveType(unit, a.type);
    uint32_t index = 0;
    LdrResult r = LDR_OK;
    if (!NewTypeIndex(1, index, r))
        return r;
    if (!AddType(index, SYM_TYPE_REFERENCE, a.byteSize.value_or(POINTER_SIZE), a.name, false))
        return LDR_E_SYMBOL_CALL;
    if (SymResult s = SymAddTypeReferenceTypeIndex(index, target.cycle ? a.type : target.index); s != SYM_OK)
        return static_cast<LdrResult>(s);
    if (target.cycle)
        KeepLink(index, a.type, false);
    Dwarf2Pass().currentTypeIndex = index;
    return LDR_OK;
}

// const and volatile qualify their type without a quinar type of their
// own. A qualified type reached through a cycle stays unmapped (`cycle`).
LdrResult ReadQualifiedType(Dwarf2Unit& unit, const EntryAttributes& a, bool& cycle)
{
    const TypeRef target = ResolveType(unit, a.type);
    Dwarf2Pass().currentTypeIndex = target.index;
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
    Dwarf2Pass().typedefGuard.emplace(offset, target);
    return true;
}

LdrResult ReadTypedef(Dwarf2Unit& unit, uint32_t offset, const EntryAttributes& a)
{
    const LoaderTables& t = State().tables;
    Dwarf2PassState& p = Dwarf2Pass();
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
    if (!NewTypeIndex(1, index, r))
        return r;
    if (!AddType(index, SYM_TYPE_TYPEDEF, 0, a.name, false) || SymSetTypeBase(index, base.index) != SYM_OK)
        return LDR_E_SYMBOL_CALL;
    if (base.cycle)
        KeepLink(index, target, true);
    p.currentTypeIndex = index;
    return LDR_OK;
}

uint32_t BoundOf(const std::optional<FormValue>& v)
{
    // A reference (a variable holding the length) or no bound: not known.
    if (!v || (v->kind != FormClass::Constant && v->kind != FormClass::Address))
        return UNKNOWN_BOUND;
    return static_cast<uint32_t>(v->number);
}

LdrResult ReadArrayType(Dwarf2Unit& unit, const Dwarf2Abbrev& abbrev, const EntryAttributes& a)
{
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
        if (!NewTypeIndex(1, index, r))
            return r;
        const SymArrayDim dim{inner, *bound};
        if (!AddType(index, SYM_TYPE_ARRAY, 0, a.name, false) || SymSetArrayDims(index, &dim) != SYM_OK)
            return LDR_E_SYMBOL_CALL;
        inner = index;
    }
    Dwarf2Pass().currentTypeIndex = inner;
    return LDR_OK;
}

LdrResult ReadSubroutineType(Dwarf2Unit& unit, const Dwarf2Abbrev& abbrev, const EntryAttributes& a)
{
    const uint32_t returnType = a.type != 0 ? ResolveTypeRef(unit, a.type) : SYM_TYPE_VOID;
    std::vector<uint32_t> parameters;
    ForEachChild(unit, abbrev, DW_TAG_formal_parameter,
                 [&](const EntryAttributes& p) { parameters.push_back(ResolveTypeRef(unit, p.type)); });
    if (!unit.entries.Ok())
        return LDR_OK;
    uint32_t index = 0;
    LdrResult r = LDR_OK;
    if (!NewTypeIndex(1, index, r))
        return r;
    if (!AddType(index, SYM_TYPE_PROC, 0, a.name, true))
        return LDR_E_SYMBOL_CALL;
    Dwarf2Pass().currentTypeIndex = index;
    if (SymAddProcType(index, 0, 0, 0, returnType, static_cast<uint32_t>(parameters.size()), 0, nullptr) != SYM_OK)
        return LDR_E_SYMBOL_CALL;
    for (uint32_t type : parameters)
        if (SymAddProcParam(index, type) != SYM_OK)
            return LDR_E_SYMBOL_CALL;
    return LDR_OK;
}

LdrResult ReadEnumeration(Dwarf2Unit& unit, const Dwarf2Abbrev& abbrev, const EntryAttributes& a)
{
    uint32_t index = 0;
    LdrResult r = LDR_OK;
    if (!NewTypeIndex(1, index, r)) {
        if (abbrev.children)
            SkipChildren(unit);
        return r;
    }
    bool added = AddType(index, SYM_TYPE_ENUM, a.byteSize.value_or(0), a.name, a.byteSize.has_value());
    ForEachChild(unit, abbrev, DW_TAG_enumerator, [&](const EntryAttributes& e) {
        // A value given as a block or a string is not a number: 0.
        const bool number = e.constValue && e.constValue->kind == FormClass::Constant;
        const int32_t value = number ? static_cast<int32_t>(static_cast<uint32_t>(e.constValue->number)) : 0;
        const std::string name(e.name);
        if (added && unit.entries.Ok())
            added = SymAddEnumConstant(index, value, name.c_str()) == SYM_OK;
    });
    if (!added)
        return LDR_E_SYMBOL_CALL;
    Dwarf2Pass().currentTypeIndex = index;
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

void MapDwarf2Type(uint32_t offset, uint32_t index, std::string_view name)
{
    if (index != 0)
        State().tables.dwarf2Types.try_emplace(offset, Dwarf2TypeEntry{offset, index, std::string(name)});
}

bool NewTypeIndex(uint32_t step, uint32_t& index, LdrResult& result)
{
    uint32_t highest = 0;
    if (SymResult r = SymAllocTypeIndex(&highest); r != SYM_OK) {
        result = static_cast<LdrResult>(r);
        return false;
    }
    index = highest + step;
    return true;
}

LdrResult ReadDwarf2TypeEntry(Dwarf2Unit& unit, Dwarf2Entry& entry)
{
    const Dwarf2Abbrev& abbrev = entry.abbrev;
    Dwarf2PassState& p = Dwarf2Pass();
    entry.childrenRead = true;
    const NestedEntry level(unit.entries);
    if (!unit.entries.Ok())
        return LDR_OK;
    if (State().tables.dwarf2Types.count(entry.offset) || p.reading.count(entry.offset)) {
        // Made already (read on demand before the walk came to it).
        SkipEntry(unit, abbrev);
        return LDR_OK;
    }
    ReadingEntry reading(entry.offset);
    EntryAttributes a;
    ReadEntryAttributes(unit, abbrev, a);
    if (!unit.entries.Ok())
        return LDR_OK;
    p.currentTypeIndex = 0;
    // A definition that completes a declaration takes its name.
    std::string declaredName;
    if (a.name.empty() && a.specification != 0) {
        declaredName = OriginOf(unit, a.specification).name;
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
                MapDwarf2Type(entry.offset, definition.index, a.name);
            p.currentTypeIndex = definition.index;
            p.cycleReached = definition.cycle;
            return LDR_OK;
        }
    }

    LdrResult r = LDR_OK;
    bool cycle = false;
    bool kept = false;  // whether the result becomes the pass's
    bool childrenLeft = abbrev.children;
    switch (abbrev.tag) {
    case DW_TAG_base_type: r = ReadBaseType(a); break;
    case DW_TAG_pointer_type:
        r = ReadPointerType(a);
        kept = true;
        break;
    case DW_TAG_reference_type:
        r = ReadReferenceType(unit, a);
        kept = true;
        break;
    case DW_TAG_const_type:
    case DW_TAG_volatile_type:
        r = ReadQualifiedType(unit, a, cycle);
        kept = true;
        break;
    case DW_TAG_typedef: r = ReadTypedef(unit, entry.offset, a); break;
    case DW_TAG_array_type:
        r = ReadArrayType(unit, abbrev, a);
        childrenLeft = false;
        break;
    case DW_TAG_subroutine_type:
        r = ReadSubroutineType(unit, abbrev, a);
        childrenLeft = false;
        break;
    case DW_TAG_enumeration_type:
        r = ReadEnumeration(unit, abbrev, a);
        childrenLeft = false;
        break;
    case DW_TAG_structure_type:
    case DW_TAG_union_type:
        r = ReadStructureType(unit, entry, a);
        childrenLeft = false;
        break;
    case DW_TAG_class_type:
        r = ReadClassType(unit, entry, a);
        childrenLeft = false;
        break;
    default: break;
    }
    if (childrenLeft)
        SkipChildren(unit);
    if (r == LDR_OK && !cycle) {
        MapDwarf2Type(entry.offset, p.currentTypeIndex, a.name);
        if (a.specification != 0 && IsAggregateTag(abbrev.tag))
            MapDwarf2Type(a.specification, p.currentTypeIndex, a.name);
    }
    // For ResolveType, which reads it as soon as this returns.
    p.cycleReached = cycle;
    return kept ? r : LDR_OK;
}

TypeRef ResolveType(Dwarf2Unit& unit, uint32_t offset)
{
    if (offset == 0)
        return {};
    const LoaderTables& t = State().tables;
    if (uint32_t index = t.LookUpDwarf2Type(offset))
        return {index, false};
    Dwarf2PassState& p = Dwarf2Pass();
    // An entry being read, or one too deep to read now: like a cycle, the
    // link waits for the fix-up (the walk reads the entry in its turn).
    if (p.reading.count(offset) || p.demandDepth >= MAX_TYPE_DEMAND_DEPTH)
        return {0, true};
    Dwarf2Unit at;
    const Dwarf2Abbrev* abbrev = nullptr;
    if (!EntryAt(unit, offset, at, abbrev) || !IsTypeTag(abbrev->tag))
        return {};
    const uint32_t current = p.currentTypeIndex;
    {
        DemandLevel level;
        Dwarf2Entry entry{offset, *abbrev};
        ReadDwarf2TypeEntry(at, entry);
    }
    const bool cycle = p.cycleReached;
    p.cycleReached = false;
    p.currentTypeIndex = current;
    const uint32_t index = t.LookUpDwarf2Type(offset);
    return {index, index == 0 && cycle};
}

uint32_t ResolveTypeRef(Dwarf2Unit& unit, uint32_t offset)
{
    return ResolveType(unit, offset).index;
}

void FixDwarf2TypeLinks()
{
    LoaderTables& t = State().tables;
    for (const PendingTypeLink& link : t.dwarf2PendingLinks) {
        const uint32_t type = t.LookUpDwarf2Type(link.entryOffset);
        if (link.isBase)
            SymSetTypeBase(link.typeIndex, type);
        else
            SymUpdateTypePointerTypeIndex(link.typeIndex, type);
    }
    t.dwarf2PendingLinks.clear();
}

}  // namespace tarnel

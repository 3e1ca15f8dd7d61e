#include "dwarf2_walk.h"

#include "dwarf2_constants.h"
#include "dwarf2_context.h"

namespace tarnel {
namespace {

// Specification and abstract-origin chains followed for a name or type.
constexpr int MAX_ORIGIN_CHAIN = 8;

const Dwarf2Abbrev* AbbrevOfCode(Dwarf2Unit& unit, uint64_t code)
{
    const Dwarf2Abbrev* abbrev =
        code > 0xFFFFFFFF ? nullptr : Context(unit).tables.LookUpAbbrev(static_cast<uint32_t>(code));
    if (!abbrev)
        unit.entries.Fail("unknown abbreviation code");
    return abbrev;
}

FormValue Value(Dwarf2Unit& unit, uint16_t form)
{
    FormValue v;
    ReadFormValue(unit, form, v);
    return v;
}

}  // namespace

const Dwarf2Abbrev* NextChild(Dwarf2Unit& unit, uint32_t& offset)
{
    ByteCursor& c = unit.entries;
    if (!c.Ok() || c.AtEnd())
        return nullptr;
    offset = static_cast<uint32_t>(c.Offset());
    const uint64_t code = c.ULeb128();
    if (!c.Ok() || code == 0)
        return nullptr;
    return AbbrevOfCode(unit, code);
}

void StepBack(Dwarf2Unit& unit, uint32_t offset)
{
    unit.entries.SeekTo(offset);
}

void SkipEntry(Dwarf2Unit& unit, const Dwarf2Abbrev& abbrev)
{
    SkipAttributes(unit, abbrev);
    if (abbrev.children)
        SkipChildren(unit);
}

void SkipChildren(Dwarf2Unit& unit)
{
    // Depth-counted, not recursive: damaged nesting costs no stack.
    ByteCursor& c = unit.entries;
    uint32_t depth = 1;
    while (depth > 0 && c.Ok() && !c.AtEnd()) {
        const uint64_t code = c.ULeb128();
        if (!c.Ok())
            return;
        if (code == 0) {
            --depth;
            continue;
        }
        const Dwarf2Abbrev* abbrev = AbbrevOfCode(unit, code);
        if (!abbrev)
            return;
        SkipAttributes(unit, *abbrev);
        if (abbrev->children)
            ++depth;
    }
}

bool ChildrenInclude(const Dwarf2Unit& unit, std::initializer_list<uint16_t> tags)
{
    Dwarf2Unit ahead = unit;
    uint32_t offset = 0;
    while (const Dwarf2Abbrev* abbrev = NextChild(ahead, offset)) {
        for (uint16_t tag : tags)
            if (abbrev->tag == tag)
                return true;
        SkipEntry(ahead, *abbrev);
    }
    return false;
}

bool EntryAt(const Dwarf2Unit& unit, uint32_t offset, Dwarf2Unit& at, const Dwarf2Abbrev*& abbrev)
{
    if (offset < unit.entriesOffset)
        return false;
    at = unit;
    at.entries.SeekTo(offset);
    const uint64_t code = at.entries.ULeb128();
    if (!at.entries.Ok() || code == 0)
        return false;
    abbrev = code > 0xFFFFFFFF ? nullptr : Context(unit).tables.LookUpAbbrev(static_cast<uint32_t>(code));
    return abbrev != nullptr;
}

void ReadEntryAttributes(Dwarf2Unit& unit, const Dwarf2Abbrev& abbrev, EntryAttributes& a)
{
    for (const auto& [name, form] : abbrev.attributes) {
        switch (name) {
        case DW_AT_name: a.name = ReadString(unit, form); break;
        case DW_AT_MIPS_linkage_name: a.linkageName = ReadString(unit, form); break;
        case DW_AT_type: a.type = ReadTypeReference(unit, form); break;
        case DW_AT_specification: a.completes = ReadTypeReference(unit, form); break;
        case DW_AT_abstract_origin: a.abstractOrigin = ReadTypeReference(unit, form); break;
        case DW_AT_byte_size: a.byteSize = ReadNumber(unit, form); break;
        case DW_AT_bit_offset: a.bitOffset = ReadNumber(unit, form); break;
        case DW_AT_bit_size: a.bitSize = ReadNumber(unit, form); break;
        case DW_AT_encoding: a.encoding = ReadNumber(unit, form); break;
        case DW_AT_low_pc: a.lowPc = ReadNumber(unit, form); break;
        case DW_AT_high_pc: a.highPc = ReadNumber(unit, form); break;
        case DW_AT_ranges: a.ranges = ReadNumber(unit, form); break;
        case DW_AT_accessibility: a.accessibility = ReadNumber(unit, form); break;
        case DW_AT_location: a.location = Value(unit, form); break;
        case DW_AT_frame_base: a.frameBase = Value(unit, form); break;
        case DW_AT_data_member_location: a.memberLocation = Value(unit, form); break;
        case DW_AT_const_value: a.constValue = Value(unit, form); break;
        case DW_AT_upper_bound: a.upperBound = Value(unit, form); break;
        case DW_AT_declaration: a.declaration = ReadFlag(unit, form); break;
        case DW_AT_external: a.external = ReadFlag(unit, form); break;
        case DW_AT_artificial: a.artificial = ReadFlag(unit, form); break;
        default: SkipValue(unit, form); break;
        }
        if (!unit.entries.Ok())
            return;
    }
}

EntryAttributes ReadLeafEntry(Dwarf2Unit& unit, const Dwarf2Abbrev& abbrev)
{
    EntryAttributes a;
    ReadEntryAttributes(unit, abbrev, a);
    if (abbrev.children)
        SkipChildren(unit);
    return a;
}

OriginInfo OriginOf(const Dwarf2Unit& unit, uint32_t offset)
{
    const auto& declarations = Context(unit).pass.memberDeclarations;
    OriginInfo info;
    bool named = false;
    for (int step = 0; step < MAX_ORIGIN_CHAIN && offset != 0; ++step) {
        Dwarf2Unit at;
        const Dwarf2Abbrev* abbrev = nullptr;
        if (!EntryAt(unit, offset, at, abbrev))
            break;
        EntryAttributes a;
        ReadEntryAttributes(at, *abbrev, a);
        if (!at.entries.Ok())
            break;
        if (!named) {
            if (auto it = declarations.find(offset); it != declarations.end()) {
                info.name = it->second;
                named = true;
            } else if (!a.name.empty()) {
                info.name = std::string(a.name);
                named = true;
            }
        }
        if (info.type == 0)
            info.type = a.type;
        info.external = info.external || a.external;
        offset = a.completes != 0 ? a.completes : a.abstractOrigin;
    }
    return info;
}

}  // namespace tarnel

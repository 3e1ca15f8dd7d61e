// Walking the entries below a DWARF 2 entry, and reading an entry's
// attributes in one pass.
//
// The readers read an entry's attributes, then its children one by one up
// to the null entry that ends them; a child a reader has no use for is
// stepped over with everything below it. An entry elsewhere in the unit
// (a type, the declaration a definition completes, an abstract instance)
// is read through a copy of the unit's cursor, so the walk keeps its place.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "dwarf2_forms.h"
#include "dwarf2_unit.h"
#include "loader_tables.h"

namespace tarnel {

// The next child of the entry whose children are being read: its offset
// and abbreviation. Null at the null entry that ends the children (it is
// passed), at the end of the unit, or when the cursor failed (an unknown
// abbreviation code fails it).
const Dwarf2Abbrev* NextChild(Dwarf2Unit& unit, uint32_t& offset);
// Puts the cursor back at an entry's start: the next NextChild gives it again.
void StepBack(Dwarf2Unit& unit, uint32_t offset);
// Steps over the rest of an entry whose code has been read: its
// attributes, then its children when its abbreviation announces them.
void SkipEntry(Dwarf2Unit& unit, const Dwarf2Abbrev& abbrev);
// Steps over the children left, up to and including the null entry that
// ends them.
void SkipChildren(Dwarf2Unit& unit);
// True when the children ahead (not their descendants) include an entry of
// one of the tags. The cursor does not move.
bool ChildrenInclude(const Dwarf2Unit& unit, std::initializer_list<uint16_t> tags);

// A copy of the unit standing after the abbreviation code of the entry at
// `offset` (a .debug_info offset). False when the entry is not in this unit
// or its code is unknown.
bool EntryAt(const Dwarf2Unit& unit, uint32_t offset, Dwarf2Unit& at, const Dwarf2Abbrev*& abbrev);

// What the readers use of an entry's attributes; the others are stepped
// over by form.
struct EntryAttributes {
    std::string_view name;
    std::string_view linkageName;  // DW_AT_MIPS_linkage_name
    uint32_t type = 0;             // DW_AT_type as an entry offset; 0: none
    uint32_t completes = 0;        // the declaration this entry completes, as an entry offset; 0: none
    uint32_t abstractOrigin = 0;
    std::optional<uint32_t> byteSize, bitOffset, bitSize, encoding, lowPc, highPc, ranges;
    std::optional<uint32_t> accessibility;
    std::optional<FormValue> location, frameBase, memberLocation, constValue, upperBound;
    bool declaration = false;
    bool external = false;
    bool artificial = false;
};

// Reads every attribute of the entry at the cursor (after its code).
void ReadEntryAttributes(Dwarf2Unit& unit, const Dwarf2Abbrev& abbrev, EntryAttributes& a);

// The attributes of an entry whose code has been read; its children are
// stepped over.
EntryAttributes ReadLeafEntry(Dwarf2Unit& unit, const Dwarf2Abbrev& abbrev);

// Hands the attributes of each child of `parent` that has the tag to
// `take`; other children, and everything below, are stepped over.
template <class Take>
void ForEachChild(Dwarf2Unit& unit, const Dwarf2Abbrev& parent, uint16_t tag, Take take)
{
    uint32_t offset = 0;
    while (const Dwarf2Abbrev* child = parent.children ? NextChild(unit, offset) : nullptr) {
        if (child->tag == tag)
            take(ReadLeafEntry(unit, *child));
        else
            SkipEntry(unit, *child);
    }
}

// What an entry elsewhere in the unit says of a declaration it completes
// or an abstract instance it is made from, following its specification
// and abstract origin: the first name found (a member function's
// declaration gives its qualified name), the first type, and whether any
// of them is external.
struct OriginInfo {
    std::string name;
    uint32_t type = 0;
    bool external = false;
};
OriginInfo OriginOf(const Dwarf2Unit& unit, uint32_t offset);

}  // namespace tarnel

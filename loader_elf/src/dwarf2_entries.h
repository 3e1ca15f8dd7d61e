// The entry readers of the DWARF 2 unit pass: what becomes of the entries at
// the top level of a unit (the compile unit's children).
//
// The unit walk reads the compile-unit entry itself and hands each top-level
// entry of the tags below to the slot of its kind, with the unit's cursor
// standing after the entry's abbreviation code. A reader reads the entry's
// attributes with the value readers of dwarf2_forms.h (SkipValue for those
// it does not use) and leaves the cursor after them; a reader that also
// reads the entry's children (up to and including the null entry that ends
// them) sets `childrenRead`. Otherwise the walk steps over the children,
// attribute by attribute, and hands none of them to a reader: entries below
// the top level reach readers only through the reader of their parent.
// An empty slot steps over its entries the same way.
//
// A reader's nonzero result is kept as the pass's result; a failed cursor
// ends the unit with a message naming the place.
#pragma once

#include <cstdint>
#include <functional>

#include "dwarf2_unit.h"
#include "ldr_types.h"
#include "loader_tables.h"

namespace tarnel {

struct Dwarf2Entry {
    uint32_t offset = 0;  // of its abbreviation code in .debug_info (the Dwarf2TypeMap key)
    const Dwarf2Abbrev& abbrev;
    bool childrenRead = false;
};

using Dwarf2EntryReader = std::function<LdrResult(Dwarf2Unit& unit, Dwarf2Entry& entry)>;

struct Dwarf2EntryReaders {
    // array, class, enumeration, structure, subroutine type, typedef, union,
    // pointer, reference, base, const and volatile types.
    Dwarf2EntryReader type;
    Dwarf2EntryReader subprogram;  // subprogram and inlined_subroutine
    Dwarf2EntryReader variable;    // variables at file level
    Dwarf2EntryReader label;
    Dwarf2EntryReader lexicalBlock;
    // At the end of the unit pass, for what the readers keep for one pass.
    std::function<void()> passDone;
};

// The readers of this library; tests may put others in place of them with
// Dwarf2Entries() and restore them with ResetDwarf2Entries().
Dwarf2EntryReaders DefaultDwarf2EntryReaders();
Dwarf2EntryReaders& Dwarf2Entries();
void ResetDwarf2Entries();

// The slot for an entry of this tag at the top level, or null.
const Dwarf2EntryReader* EntryReaderFor(const Dwarf2EntryReaders& readers, uint16_t tag);

}  // namespace tarnel

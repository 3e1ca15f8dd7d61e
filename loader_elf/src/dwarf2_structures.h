// Structures, unions and classes of DWARF 2 (dwarf2_structures.cpp): their
// members, bit fields, access and member functions.
#pragma once

#include "dwarf2_entries.h"
#include "dwarf2_unit.h"
#include "dwarf2_walk.h"
#include "ldr_types.h"

namespace tarnel {

// A structure or union entry whose attributes have been read (the cursor
// before its children). A structure with member functions or (GNU) base
// classes is read as a class. Units of no known compiler make nothing.
LdrResult ReadStructureType(Dwarf2Unit& unit, Dwarf2Entry& entry, const EntryAttributes& a, uint32_t& made);
// A class entry, or a structure that proved to be one; without a byte size
// (a declaration) nothing is made. `made`: the type made, when one was.
LdrResult ReadClassType(Dwarf2Unit& unit, Dwarf2Entry& entry, const EntryAttributes& a, uint32_t& made);

}  // namespace tarnel

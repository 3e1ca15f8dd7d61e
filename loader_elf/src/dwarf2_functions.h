// DWARF 2 functions and variables (dwarf2_functions.cpp): subprograms with
// their parameters, locals and lexical blocks, nested and inlined
// functions, global and static variables, labels, and the member functions
// of classes.
//
// Which subprogram reader runs depends on the unit's compiler kind: GNU C
// (4) and the ARM and Green Hills tools (8, 2) have their own; units of
// other producers add no functions. Each function becomes a procedure type
// ('x'), a public symbol with its code range and a symbol block holding
// its parameters and locals. Beside the location words of each variable,
// quinar keeps the image's own location description (dwarf2_locations.h),
// and each function's frame base.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "dwarf2_entries.h"
#include "dwarf2_unit.h"
#include "ldr_types.h"

namespace tarnel {

// The entry readers of the subprogram, variable, label and lexical-block
// slots (top level).
LdrResult ReadDwarf2Subprogram(Dwarf2Unit& unit, Dwarf2Entry& entry);
LdrResult ReadDwarf2Variable(Dwarf2Unit& unit, Dwarf2Entry& entry);
LdrResult ReadDwarf2Label(Dwarf2Unit& unit, Dwarf2Entry& entry);
LdrResult ReadDwarf2LexicalBlock(Dwarf2Unit& unit, Dwarf2Entry& entry);

// A member slot of a class as SymAddTypeClass takes it.
struct ClassSlot {
    std::string name;
    uint32_t type = 0;
    uint32_t offset = 0;
    uint32_t isFunction = 0;
    uint32_t lowPc = 0;
    uint32_t highPc = 0;  // last address; 0 with lowPc 0 when it has no code
    uint32_t access = 0;  // SYM_ACCESS_*
};

// A DW_TAG_subprogram child of a class named `className`: fills the slot
// (qualified name "Class::name"), records the declaration for the
// definition that completes it, and makes the function when the entry has
// code of its own.
LdrResult ReadMemberFunction(Dwarf2Unit& unit, Dwarf2Entry& entry, const std::string& className, ClassSlot& slot);

// DW_AT_accessibility as a SYM_ACCESS_* code (public when absent).
uint32_t AccessOf(const std::optional<uint32_t>& accessibility);

}  // namespace tarnel

// The DWARF 1 reader: the compile units of ".debug" (one quinar module
// each, with their functions, variables and types) and the line tables of
// ".line". Damage (a length past the section or its unit, a sibling that
// does not move forward, a reference outside ".debug", a line table cut
// short) ends its unit or table with LDR_E_READ and a message naming the
// place; the next unit or table is read when its place is known.
#pragma once

#include <cstdint>

#include "debug_dispatch.h"
#include "dwarf1_context.h"
#include "ldr_types.h"

namespace tarnel {

// Every top-level entry of the section: compile units, labels, padding.
// LDR_OK, LDR_E_READ after damage, LDR_E_USER_ABORT (Esc), LDR_E_MODULE
// (the store refused a module, or a vendor entry this reader does not
// know).
LdrResult ReadDwarf1UnitPass(ReaderCall& call, Dwarf1ReadContext& cx);

// The line tables of `line` (the ".line" section's bytes): each a u32
// length (header included), a u32 base address, then rows of a u32 line,
// a u16 position in the line and a u32 address offset. With `rowsWanted`
// clear only the modules' names are attached.
LdrResult ReadDwarf1LinePass(std::span<const uint8_t> line, Dwarf1ReadContext& cx, bool rowsWanted);

// The kind of compiler a unit's producer names, and whether the producer
// is the Thumb compiler's.
CompilerKind Dwarf1ProducerKind(std::string& producer);

}  // namespace tarnel

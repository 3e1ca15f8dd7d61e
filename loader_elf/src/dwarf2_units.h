// The DWARF 2 unit pass over .debug_info (the dwarf2Units reader slot).
//
// Units of version 2 are read; units of other versions (DWARF 3 to 5 of
// current libraries) are stepped over by their length. Per unit: the
// abbreviation table from .debug_abbrev, the compile-unit entry (module,
// range, compiler kind, source record, the unit's line program), then the
// top-level entries handed to the entry readers of dwarf2_entries.h.
// Damage (a unit past the section's end, an abbreviation offset outside
// .debug_abbrev, an unknown abbreviation code or form, a string offset
// outside .debug_str) ends that unit with LDR_E_READ as the pass's result
// and a message naming section and offset; the next unit is read when its
// place is known.
#pragma once

#include "debug_dispatch.h"
#include "ldr_types.h"

namespace tarnel {

struct Dwarf2ReadContext;

// The pass over the image of `call` with its read context.
LdrResult ReadDwarf2UnitPass(ReaderCall& call, Dwarf2ReadContext& cx);
// The dwarf2Units reader slot: the pass with a read context of the load
// that runs (dwarf2_slots.cpp).
LdrResult ReadDwarf2Units(ReaderCall& call);

}  // namespace tarnel

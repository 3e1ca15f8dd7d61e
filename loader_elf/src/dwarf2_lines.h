// ReadDwarf2LineProgram: the line programs of .debug_line made into quinar
// line tables (the dwarf2Lines reader slot); it runs after the unit pass.
//
// A program belongs to the module of the unit whose DW_AT_stmt_list names
// it; a program no unit names (units of other versions, damaged units) to
// the module of a unit of its first file's name, or to a module of its own.
// Each file of the program is a source file of that module: a row of
// another file than the open table's ends that table and begins one of the
// file's name (the state registers go on unchanged). A table ends with a
// row of line 0 at the address where the next file or the end of the
// sequence takes over, and gives the module its address range.
//
// Programs of version 2 and 3 are read; others are stepped over by their
// length. Damage ends that program with LDR_E_READ and a message naming
// section and offset; the next one is read.
#pragma once

#include <cstdint>

#include "image_file.h"
#include "ldr_types.h"

namespace tarnel {

// 0, LDR_E_READ (a damaged program), LDR_E_STABS (quinar refused a line
// table: the pass ends) or LDR_E_MODULE (quinar refused a module: the pass
// ends).
struct Dwarf2ReadContext;

// The pass over .debug_line with its read context.
LdrResult ReadDwarf2LinePass(ImageFile& file, Dwarf2ReadContext& cx);
// The dwarf2Lines reader slot: the pass with a read context of the load
// that runs (dwarf2_slots.cpp).
LdrResult ReadDwarf2LineProgram(ImageFile& file, bool mode, uint32_t one);

}  // namespace tarnel

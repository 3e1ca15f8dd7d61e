// The compile-unit entry of a DWARF 2 unit: its attributes, the compiler
// kind from its producer, its code range, its source record and its module
// in quinar (one row of UnitRangeTable per new unit name).
#pragma once

#include <cstdint>
#include <string_view>

#include "byte_cursor.h"
#include "debug_dispatch.h"
#include "dwarf2_unit.h"
#include "loader_tables.h"

namespace tarnel {

struct ProducerKind {
    CompilerKind kind = COMPILER_NONE;
    bool thumb = false;  // "THUMB C": the unit's range is Thumb code
};

// The first of "GHS C", "GNU C", "ARM", "THUMB C" that the producer text
// contains without regard to case.
ProducerKind KindOfProducer(std::string_view producer);

struct CompileUnitPass {
    const ReaderCall& call;
    ByteCursor ranges;       // .debug_ranges, empty when the image has none
    uint32_t rowsAdded = 0;  // rows of UnitRangeTable added by this pass
};

// Reads the compile-unit entry (the unit's cursor after its abbreviation
// code) and opens or reopens the unit's module. 0, or the result that ends
// the pass: LDR_E_USER_ABORT (Esc), LDR_E_MODULE (quinar refused the
// module) or that of SymAddModuleOpenByDescNew.
LdrResult ReadCompileUnitEntry(CompileUnitPass& pass, Dwarf2Unit& unit, const Dwarf2Abbrev& abbrev);

// At the end of a unit: its module closed and given the unit's range.
void CloseUnitModule(const CompileUnitPass& pass, Dwarf2Unit& unit);

}  // namespace tarnel

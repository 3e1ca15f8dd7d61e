// One DWARF 2 compile unit while the unit pass reads it: where it lies, the
// cursor over its entries (which the entry readers read from), the string
// section of DW_FORM_strp, and what the pass made of it in quinar.
#pragma once

#include <cstdint>

#include "byte_cursor.h"
#include "ldr_types.h"

namespace tarnel {

struct Dwarf2ReadContext;

// A unit or module range start that means "no range" to quinar.
inline constexpr uint32_t NO_RANGE_START = 0xFFFFFFFF;

struct Dwarf2Unit {
    uint32_t headerOffset = 0;  // of the unit header, in .debug_info
    uint16_t version = 0;
    uint32_t abbrevOffset = 0;
    uint8_t addressSize = 4;
    uint32_t entriesOffset = 0;  // of the first entry, in .debug_info
    // The unit after its header; offsets are those of .debug_info. The
    // first failure ends the unit.
    ByteCursor entries;
    ByteCursor strings;    // .debug_str, empty when the image has none
    ByteCursor locations;  // .debug_loc, empty when the image has none

    CompilerKind kind = COMPILER_NONE;  // from this unit's producer
    bool moduleOpen = false;            // the compile-unit entry opened (or reopened) its module
    uint32_t module = 0;                // 0: quinar gave no handle
    uint32_t start = NO_RANGE_START;    // the unit's code, inclusive
    uint32_t end = 0;
    // The compile unit's DW_AT_low_pc (0 without one): location lists count
    // their addresses from it.
    uint32_t baseAddress = 0;

    // The pass's read context (dwarf2_context.h); the value readers of
    // dwarf2_forms.h do without one.
    Dwarf2ReadContext* context = nullptr;
};

}  // namespace tarnel

// DWARF 1 types: the type entries of a unit (arrays, structures, unions,
// classes, enumerations, typedefs, subroutine types) and the type
// attributes of variables, members and functions, made into quinar types.
// Fundamental types are not stored: their code is their type index. The
// type map (LoaderTables::dwarf1Types) keeps which entry became which
// index; references to entries not read yet are completed at the end of
// the unit (arrays) or after all units (pointer, reference and typedef
// targets).
#pragma once

#include <cstdint>
#include <optional>

#include "dwarf1_context.h"
#include "dwarf1_entries.h"
#include "ldr_types.h"

namespace tarnel {

// What a type attribute names.
struct Dwarf1Type {
    uint32_t type = DW1_FT_VOID;  // a fundamental code or type index
    bool constVolatile = false;   // a const or volatile modifier was seen
    // The entry (an offset in .debug) the type still waits for; then
    // `type` is the raw reference.
    std::optional<uint32_t> waiting;
};

// Whether the tag is one of a type entry.
bool IsDwarf1TypeTag(uint16_t tag);

// The type of `e`'s type attribute (0x55, 0x63, 0x72, 0x83); `fallback`
// when it has none. Pointer and reference modifiers make their types.
Dwarf1Type Dwarf1TypeOf(Dwarf1ReadContext& cx, const Dwarf1Entry& e, uint32_t fallback = DW1_FT_VOID);

// Builds the type of a type entry (and what it holds). LDR_OK, or
// LDR_E_SYMBOL_CALL when the store refused a call.
LdrResult ReadDwarf1TypeEntry(Dwarf1ReadContext& cx, const Dwarf1Entry& e, uint32_t limit);

// The type index of the entry at `offset`, reading it now when it was not
// read yet (within the demand depth; classes wait for their turn).
std::optional<uint32_t> Dwarf1TypeAt(Dwarf1ReadContext& cx, uint32_t offset);

// The store's id of a user fundamental code (0x8000 and up), else 0.
uint32_t MapUserFundamentalType(uint32_t code);

// The byte size of a fundamental code or type index, when known.
std::optional<uint32_t> Dwarf1TypeSize(Dwarf1ReadContext& cx, uint32_t type);

// End of a unit: arrays whose element type is known now.
void CompleteDwarf1Arrays(Dwarf1ReadContext& cx);

// After all units: pointer, reference and typedef targets read later than
// the types that name them.
void FixDwarf1TypeLinks(LoaderTables& tables, QuinarRecords& records, Dwarf1LoadState& load);

}  // namespace tarnel

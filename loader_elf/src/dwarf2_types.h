// The DWARF 2 type readers: every type entry becomes a quinar type (or, for
// base, const and volatile types, the index of one) and is mapped in
// `tables.dwarf2Types` under its entry offset, so that it is made once and
// later references find it.
//
// Type indexes: the value SymAllocTypeIndex gives plus 1; structures and
// unions plus 3, classes plus 256. Base types map to quinar's predefined
// indexes (BaseTypeIndex).
//
// A reference to a type entry not mapped yet reads that entry on the spot
// (ResolveType), except where a reference may lead back into the entry
// being read: pointers, and references reached through a cycle, keep the
// target's entry offset, and the fix-up after the pass
// (FixDwarf2TypeLinks) puts the mapped type in its place.
#pragma once

#include <cstdint>
#include <string_view>

#include "dwarf2_entries.h"
#include "dwarf2_quinar.h"
#include "dwarf2_unit.h"
#include "ldr_types.h"
#include "loader_tables.h"

namespace tarnel {

struct TypeRef {
    uint32_t index = 0;  // 0: no type
    bool cycle = false;  // the entry is being read now (a reference back into it)
};

// What reading one type entry gave: the reader's result (LDR_OK for the
// kinds whose failure is not the pass's) and the type made or found, or
// the cycle it reached (then it stays unmapped, for the fix-up).
struct TypeRead {
    LdrResult result = LDR_OK;
    TypeRef type;
};

// Any type entry, at the top level or below (the cursor after the entry's
// code). Reads its children. An entry already mapped is stepped over.
TypeRead ReadType(Dwarf2Unit& unit, Dwarf2Entry& entry);
// The entry reader of the type slot: ReadType's result.
LdrResult ReadDwarf2TypeEntry(Dwarf2Unit& unit, Dwarf2Entry& entry);

// The type of the entry at `offset`: the mapped index, or the entry read
// now. 0 for an offset of 0, an entry of another tag or outside the unit.
TypeRef ResolveType(Dwarf2Unit& unit, uint32_t offset);
// The same, for callers that treat a cycle as no type.
uint32_t ResolveTypeRef(Dwarf2Unit& unit, uint32_t offset);

// Predefined quinar index of a base type (DW_ATE_* encoding, byte size).
uint32_t BaseTypeIndex(uint32_t encoding, uint32_t byteSize, std::string_view name);

bool IsTypeTag(uint16_t tag);

// Maps an entry to a type (the first mapping of an entry stays; index 0
// maps nothing).
void MapDwarf2Type(LoaderTables& tables, uint32_t offset, uint32_t index, std::string_view name);

// After the unit pass: pointer and reference targets and typedef bases
// kept as entry offsets become the types mapped to those entries (0 when
// none was); then the list of such links is emptied.
void FixDwarf2TypeLinks(LoaderTables& tables, QuinarRecords& records);
// The same over the load that runs (the pointer pass after the DWARF 2
// units, dwarf2_slots.cpp).
void FixDwarf2TypeLinks();

}  // namespace tarnel

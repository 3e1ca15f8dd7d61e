// The abbreviation declarations of a DWARF 2 unit (.debug_abbrev).
#pragma once

#include <cstdint>
#include <unordered_map>

#include "byte_cursor.h"
#include "loader_tables.h"

namespace tarnel {

// Reads the declarations at the cursor's place into `table` (emptied first)
// up to the code 0 that ends them: code, tag, children flag, then (name,
// form) pairs up to a name of 0. A later declaration of a code replaces an
// earlier one. False when the cursor failed.
bool ReadAbbreviations(ByteCursor& abbrev, std::unordered_map<uint32_t, Dwarf2Abbrev>& table);

}  // namespace tarnel

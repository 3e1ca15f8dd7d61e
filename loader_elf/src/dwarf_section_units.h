// The units of a DWARF section (.debug_info, .debug_line), one after the
// other: each a 32-bit length and that many bytes.
#pragma once

#include <cstdint>
#include <optional>

#include "byte_cursor.h"
#include "read_errors.h"

namespace tarnel {

struct SectionUnit {
    uint32_t offset = 0;  // of its length field
    uint32_t length = 0;
    ByteCursor bytes;  // what follows the length field
};

// The next unit, or nothing to read this time: a 64-bit unit is stepped
// over (no such DWARF on a 32-bit target); a reserved length fails the
// section's cursor; a unit longer than the rest of the section is reported
// through `damage` and ends the section.
std::optional<SectionUnit> NextSectionUnit(ByteCursor& section, ReaderDamage& damage);

}  // namespace tarnel

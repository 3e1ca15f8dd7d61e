// DWARF 1 subroutines, variables and labels of a compile unit: procedure
// types and function symbols, parameters and locals in the function's
// symbol block, globals and statics, code labels. Every variable gets,
// beside its location words, its location as one DWARF expression over
// all addresses, so that it is read as a DWARF 2 variable is.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "dwarf1_context.h"
#include "dwarf1_entries.h"
#include "ldr_types.h"

namespace tarnel {

// A subroutine entry (global or static) and, with full detail, its body.
LdrResult ReadDwarf1Subroutine(Dwarf1ReadContext& cx, const Dwarf1Entry& e, uint32_t limit, bool isStatic);

// A global variable entry of a unit.
void ReadDwarf1GlobalVariable(Dwarf1ReadContext& cx, const Dwarf1Entry& e);

// A local variable entry outside any function (a file-scope static).
void ReadDwarf1FileVariable(Dwarf1ReadContext& cx, const Dwarf1Entry& e);

// A label entry; false when the store refused it.
bool AddDwarf1Label(Dwarf1ReadContext& cx, const Dwarf1Entry& e);

// End of a unit: variables whose type is known now; one message for
// those still refused.
void RetryDwarf1PendingVariables(Dwarf1ReadContext& cx, uint32_t unitOffset);

// The value and size of the ELF symbol named "_" + `linkage` (or
// `linkage` itself), when the image's symbol table holds one.
struct LinkageSymbol {
    uint32_t value = 0;
    uint32_t size = 0;
};
std::optional<LinkageSymbol> FindLinkageSymbol(const Dwarf1ReadContext& cx, std::string_view linkage);

}  // namespace tarnel

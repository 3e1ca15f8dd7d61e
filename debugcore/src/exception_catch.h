// Exception catching: software breakpoints on the ARM exception vectors that
// the exception-catch mask selects, and the console line that names the
// exception when one of them is hit.
#pragma once

#include <cstdint>

namespace sarvik {

// For each selected vector a missing breakpoint is set; with `apply` also
// disabled ones are enabled and those of vectors no longer selected cleared.
// Then the code views are told to redraw.
void PlantCatchBreakpoints(bool apply);
// Clears the catch breakpoints at the vector base of `mask` (its bit 31).
void ClearCatchBreakpoints(uint32_t mask);
// After a breakpoint hit at pc: names the exception on the console when pc
// is a selected vector.
void ReportCaughtException(uint32_t pc);

}  // namespace sarvik

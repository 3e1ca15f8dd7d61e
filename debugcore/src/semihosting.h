// The ARM semihosting service: the program on the target executes SWI
// 0x123456 (ARM) or SWI 0xAB (Thumb) with the operation in r0 and its
// argument in r1; the SWI vector carries a breakpoint, and when the target
// stops there the service performs the operation on the host, puts the
// result into r0 and returns the target to its caller.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace sarvik {

struct SemihostState {
    int lastErrno = 0;  // the host errno of the last failed operation (SYS_ERRNO)
    std::string commandLine;
    std::chrono::steady_clock::time_point programStart = std::chrono::steady_clock::now();
    bool exited = false;  // SYS_EXIT or SYS_EXIT_EXTENDED since the last go or reset
    uint32_t exitReason = 0;
    uint32_t exitStatus = 0;
};

// Served when the semihosting option is 1 and the protocol index is 1, 2
// or 4 (Angel targets serve themselves).
bool SemihostingServed();

// The program starts again (library set-up, reset, restart): its host files
// are closed, the clock starts again and no end is reported.
void SemihostProgramStarts();
// A go: the program's reported end is forgotten.
void ClearSemihostExit();
// The library's fresh state (the command line too).
void ResetSemihosting();

// Before each plant of a run (not a free run), after the catch breakpoints:
// the breakpoint on the vector when semihosting is served, a plain enabled
// one; one that is there already starts counting again.
void PlantSemihostVectorBreakpoint();

}  // namespace sarvik

// Starting the target: shared by a go and by the stop entry's resume.
#pragma once

#include "sarvik.h"

namespace sarvik {

// One go. Only the till address and the free-run flag change what the run
// does; the rest is kept as the program gave it.
struct RunRequest {
    ADDR from{};
    ADDR till{};  // space 0: none
    bool fly = false;
    bool freeRun = false;
    uint32_t count = 0;
};

// The common body of every go: a temporary breakpoint for a go-till, the
// step off the PC (a semihosting call it reached served), the breakpoint
// test at the new PC, planting and emuGo. The program's reported end is
// forgotten first.
EmuResult RunSequence(RunRequest& request);

// The PC at an address of code, with the CPSR's T bit for that code (a PC
// put into Thumb code in ARM state would run the halfwords as ARM
// instructions); aligned to the code unless `align` is false.
EmuResult SetPcForCode(uint32_t offset, bool align = true);

// Set PC of a command: refused while a step command or the target runs;
// the views are refreshed after a change.
EmuResult SetPcWhenStopped(uint32_t offset, bool align);

// The halt: aborts the target, waits for the stop, takes the break words
// out and refreshes; the halt text command writes its texts to the shell.
EmuResult HaltTarget(bool toShell);

// What the stop entry does; without `serveSemihosting` the break words
// come out and nothing else happens (a step aborted by Esc).
int TargetStopped(bool serveSemihosting);

// Plants the break words and starts the target (emuGo). On a failure of
// the start the words come out again (the records stay) and the result is
// the failure.
EmuResult PlantAndGo();

// The target runs (the run state is asked of the target).
bool TargetRuns();

}  // namespace sarvik

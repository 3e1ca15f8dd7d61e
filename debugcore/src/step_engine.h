// The step engine: the request of one step command and the body that both
// EmuStep and the step text command run.
#pragma once

#include <cstdint>
#include <string>

#include "sarvik.h"

namespace sarvik {

struct StepRequest {
    int mode = EMU_STEP_INTO;
    bool countGiven = false;
    uint16_t count = 0;
    uint16_t made = 0;
    // Step Into until a register, or the byte at an address, holds the value.
    bool registerCondition = false;
    std::string registerName;
    bool memoryCondition = false;
    ADDR memoryAddress{};
    DWORD value = 0;
    bool showLine = false;  // the instruction at the PC goes to the shell afterwards
    ADDR pc{};
};

// Modes 3 and 4 step until Esc or a halt; breakpoints do not end them.
inline bool Continuous(int mode)
{
    return mode == EMU_STEP_INTO_CONTINUOUS || mode == EMU_STEP_OVER_CONTINUOUS;
}

// The step body: the PC, the run-command-active flag for the command's
// whole duration, the source-level or instruction-level step, the shown
// line, the refresh.
EmuResult RunStepBody(StepRequest& request, int sourceLevel);

// The steppers (the flags are set by the body; each returns the command's
// result).
EmuResult InstructionLevelStep(StepRequest& request);
EmuResult SourceLevelStep(StepRequest& request);
EmuResult StepOut(StepRequest& request);
EmuResult CallReturnStep(StepRequest& request);

}  // namespace sarvik

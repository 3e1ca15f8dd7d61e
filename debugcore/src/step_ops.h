// The operations every stepper is made of: a go-till whose stop the engine
// waits for itself (pumping the GUI thread's messages, Esc ending it), one
// instruction, a run of instructions to the start of a source line, and
// the questions about the code at the PC.
#pragma once

#include <cstdint>

#include "sarvik.h"

namespace sarvik::step {

// How an operation ended.
enum class Stop {
    Arrived,     // at its address (a line start for StepToLineStart)
    Breakpoint,  // a breakpoint hit ends the step (the break-in-steps flag)
    Elsewhere,   // the target stopped for another reason, or the PC stays
    Ended,       // the program reported its end through semihosting
    Aborted,     // Esc or a halt
    Failed,      // a target call failed: `result`
};

struct Outcome {
    Stop stop = Stop::Arrived;
    EmuResult result = EMU_OK;
};

struct TillOptions {
    // Breakpoints do not end a continuous step.
    bool continuous = false;
    // The arrival counts only with the stack pointer at or above this (a
    // return to a recursive function's own call site from deeper frames
    // does not).
    uint32_t minimumSp = 0;
};

// The go-till over the call at the PC: its return counts only with the
// stack pointer back where it is now (a recursive call returns to the same
// address from its deeper calls first).
TillOptions OverCallAtPc(bool continuous);

// The GUI thread's waiting messages are dispatched (timers dropped); Esc
// clears the stepping flag. True when Esc was pressed.
bool TakeMessages();

// One instruction (emuStepOne); a Thumb BL's two halves are one. A failure
// is posted to the main window as WM_EMU_ERROR and returned.
Outcome StepOnce();

// Runs the target to `address` (the go-till of the step engine) and waits
// for its stop. A breakpoint hit on the way ends it (unless continuous or
// the break-in-steps flag is clear); a breakpoint whose count or condition
// does not hit, a served semihosting call, and an arrival below minimumSp
// go on to the address.
Outcome RunTill(uint32_t address, const TillOptions& options = {});

// Instruction by instruction until the PC is at the start of a source line
// (Arrived); Esc gives Aborted. Also ends when the program reports its end
// or the PC stays where it was (a normal end): no later line comes.
Outcome StepToLineStart();

// A semihosting call at the vector that the last instruction reached is
// served; true when the program reported its end.
bool ServeSemihosting();

// The source line of an address.
struct SourceLine {
    uint32_t module = 0;
    uint32_t file = 0;
    uint32_t line = 0;
    uint32_t start = 0;
    uint32_t end = 0;       // inclusive
    bool statement = true;  // the range begins a statement (else it lies inside one)
    bool SameLine(const SourceLine& other) const { return file == other.file && line == other.line; }
    // A source step stops here: the first address of a statement's range.
    bool StartsAt(uint32_t pc) const { return pc == start && statement; }
};
bool LineAt(uint32_t address, SourceLine* line);

// The PC (0 or the CPU model's failure).
EmuResult Pc(uint32_t* pc);
// The code at the PC runs in Thumb state (the CPSR's T bit).
bool ThumbState();
// DadClassifyInstruction's flags for code of that state in the target's
// byte order.
DWORD CodeFlags(bool thumb);
// DadIsLibFuncCall's answer for the call at `address` (its first four
// bytes as the target holds them): 0, or the read's failure and no answer.
int LibraryCallAnswer(uint32_t address, int* answer);

}  // namespace sarvik::step

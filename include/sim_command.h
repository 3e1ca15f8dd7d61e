// The simulator library's entry (libDorvel.so): one process-wide ARM/Thumb
// simulator driven through command codes, and the stop hook through which the
// run thread announces the end of a free run.
#pragma once

#include <cstdint>

// Command codes of Sim_Command. Arguments that carry host pointers are
// pointer-sized. Every code returns 0, except:
// - while a run goes only STATUS and HALT act (CLOSE halts the run first);
//   every other code returns -1 and touches nothing (a second GO is ignored);
// - READ_MEM and WRITE_MEM return -1 when the unit is not 1, 2 or 4, when a
//   buffer is missing, or when the protection unit refused any part of the
//   block (refused bytes read as 0; refused writes are skipped; the rest of
//   the block is still transferred);
// - READ_REG, WRITE_REG, STATUS and INSTRUCTION_COUNT return -1 for a missing
//   result pointer.
// Codes that are not listed do nothing and return 0.
enum SimCommandCode : int {
    SIM_CMD_INIT = 0,
    SIM_CMD_GO = 1,
    SIM_CMD_READ_REG = 2,   // a1 SimRegNumber, a2 uint32_t* result
    SIM_CMD_WRITE_REG = 3,  // a1 SimRegNumber (low 16 bits, signed), a2 value
    // a1 unit (1, 2, 4; low 16 bits), a2 address, a3 buffer, a4 length in
    // bytes (low 16 bits). Every byte goes to or comes from its own address:
    // units move where they are aligned and fit, the rest as bytes. The
    // buffer holds the bytes in target order.
    SIM_CMD_READ_MEM = 6,    // through the data-side debug path (cached lines seen as cached)
    SIM_CMD_WRITE_MEM = 7,   // past both caches, invalidating their lines
    SIM_CMD_SET_BREAK = 41,  // a1 address: "break 0x%08x"
    // Silent: the target library sends it before every go, so it prints
    // nothing and changes nothing (the command language's "help" shows the
    // command summary).
    SIM_CMD_HELP = 42,
    SIM_CMD_DISABLE_BREAKS = 43,  // "break -da"
    SIM_CMD_STEP = 44,            // "step": one instruction
    SIM_CMD_STATUS = 45,          // a1 char*: 1 stopped, 0 running
    SIM_CMD_HALT = 46,            // stops the run and waits for the run thread to end
    SIM_CMD_CLOSE = 47,           // halts a run, then releases the simulator's resources
    // a1 uint32_t*: the instructions executed since the processor's last
    // reset (counting on modulo 2^32)
    SIM_CMD_INSTRUCTION_COUNT = 48,
};

// Why a free run ended, from the run loop's last result code: 1008 (the
// fetched word ends the run) is a normal end for SWI 0x11 and a break word
// otherwise; 1010 is the self-modify check; 1011 a reset of the whole
// simulator that a program asked for through the coprocessor's control
// register (the run ends after that instruction, the PC is 0); any other
// code ends a free run only on a halt request.
enum SimStopReason : int {
    SIM_STOP_NORMAL_END = 1,    // the normal-end word SWI 0x11 (0xEF000011)
    SIM_STOP_BREAK_WORD = 2,    // a planted break word (0xFEDEFEDE, Thumb 0xFEDE)
    SIM_STOP_HALT_REQUEST = 3,  // code 46 (halt) or close
    SIM_STOP_SELF_MODIFY = 4,   // the self-modify check fired
    SIM_STOP_RESET = 5,         // a coprocessor write reset the simulator
};

// Called once on the run thread after a free run ended, with the reason, the
// run loop's last result code and the PC where the run stopped; the status
// already reads "stopped". It must not call back into the simulator on that
// thread (halt and close wait for the thread): there only STATUS and HALT
// (which then just asks the run to stop) act, every other code returns -1.
// Post, never send.
using SimStopHook = void (*)(void* context, int reason, int lastResult, uint32_t pc);

extern "C" {
int Sim_Command(int cmd, intptr_t a1, intptr_t a2, intptr_t a3, intptr_t a4);
// Registers (or, with a null hook, removes) the one stop hook.
void Sim_SetStopHook(SimStopHook hook, void* context);
}

// The names the target library binds by.
inline constexpr const char* SIM_LIBRARY_NAME = "Dorvel.dll";
inline constexpr const char* SIM_COMMAND_ENTRY = "Sim_Command";
inline constexpr const char* SIM_STOP_HOOK_ENTRY = "Sim_SetStopHook";

// The simulator library's entry (libDorvel.so): one process-wide ARM/Thumb
// simulator driven through command codes, and the stop hook through which the
// run thread announces the end of a free run.
#pragma once

#include <cstdint>

// Command codes of Sim_Command. Arguments that carry host pointers are
// pointer-sized; every code returns 0.
enum SimCommandCode : int {
    SIM_CMD_INIT = 0,
    SIM_CMD_GO = 1,
    SIM_CMD_READ_REG = 2,        // a1 SimRegNumber, a2 uint32_t* result
    SIM_CMD_WRITE_REG = 3,       // a1 SimRegNumber (low 16 bits, signed), a2 value
    SIM_CMD_READ_MEM = 6,        // a1 unit (1, 2, 4), a2 address, a3 destination, a4 length
    SIM_CMD_WRITE_MEM = 7,       // a1 unit, a2 address, a3 source, a4 length
    SIM_CMD_SET_BREAK = 41,      // a1 address
    SIM_CMD_HELP = 42,
    SIM_CMD_DISABLE_BREAKS = 43,
    SIM_CMD_STEP = 44,
    SIM_CMD_STATUS = 45,         // a1 char*: 1 stopped, 0 running
    SIM_CMD_HALT = 46,
    SIM_CMD_CLOSE = 47,
};

// Why a free run ended.
enum SimStopReason : int {
    SIM_STOP_NORMAL_END = 1,    // the normal-end word SWI 0x11 (0xEF000011)
    SIM_STOP_BREAK_WORD = 2,    // a planted break word (0xFEDEFEDE, Thumb 0xFEDE)
    SIM_STOP_HALT_REQUEST = 3,  // code 46 (halt) or close
    SIM_STOP_SELF_MODIFY = 4,   // the self-modify check fired
};

// Called once on the run thread after a free run ended, with the reason, the
// run loop's last result code and the PC where the run stopped. It must not
// call back into the simulator on that thread; post, never send.
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

// Types shared by the target access library, the debugger core library and
// the program: target addresses, call results, register numbers, halt causes
// and the target configuration record.
#pragma once

#include <cstdint>

// A target address: 32-bit offset and 16-bit address space (1 = target
// memory; 0 = no address, or a source position whose offset is a line number).
struct ADDR {
    uint32_t off = 0;
    uint16_t seg = 0;
    friend bool operator==(const ADDR&, const ADDR&) = default;
};
inline constexpr uint16_t ADDR_SPACE_NONE = 0;
inline constexpr uint16_t ADDR_SPACE_TARGET = 1;

// Result of every emu* call and of the run-control exports.
using EmuResult = int32_t;
inline constexpr EmuResult EMU_OK = 0;
inline constexpr EmuResult EMU_NO_BACKEND = 1;  // simulator library or entry missing
inline constexpr EmuResult EMU_REFUSED = -1;
inline constexpr EmuResult EMU_RANGES_EQUAL = -7;   // compare: the two ranges are equal
inline constexpr EmuResult EMU_ESC_STEPPING = -13;  // Esc while stepping to a line start
inline constexpr EmuResult EMU_TARGET_LOST = -27;   // target lost or step time-out
inline constexpr EmuResult EMU_LINK_RECEIVE = -52;  // link receive failure

// Register numbers of the simulator entry and of emuGetReg/emuSetReg.
enum SimRegNumber : int {
    SIM_REG_CPSR = 0,
    SIM_REG_R0 = 1,  // r0 to r15 of the current mode are 1 to 16
    SIM_REG_SP = 14,
    SIM_REG_LR = 15,
    SIM_REG_PC = 16,
    SIM_REG_SPSR = 17,    // of the current mode
    SIM_REG_R8_FIQ = 18,  // r8 to r14 of FIQ are 18 to 24
    SIM_REG_SPSR_FIQ = 25,
    SIM_REG_R13_SVC = 26,
    SIM_REG_R14_SVC = 27,
    SIM_REG_SPSR_SVC = 28,
    SIM_REG_R13_ABT = 29,
    SIM_REG_R14_ABT = 30,
    SIM_REG_SPSR_ABT = 31,
    SIM_REG_R13_IRQ = 32,
    SIM_REG_R14_IRQ = 33,
    SIM_REG_SPSR_IRQ = 34,
    SIM_REG_R13_UND = 35,
    SIM_REG_R14_UND = 36,
    SIM_REG_SPSR_UND = 37,
    SIM_REG_LAST = 37,
    SIM_REG_WATCH_FIRST = 49,  // watchpoint-unit registers, answered by the target library
    SIM_REG_WATCH_LAST = 64,
};

// Halt cause carried in the low 16 bits of WM_EMU_ERROR's lParam.
enum HaltCause : uint16_t {
    HALT_BOARD_RESET = 4,
    HALT_BUS_ERROR = 8,
    HALT_ADDRESS_ERROR = 12,
    HALT_ILLEGAL_INSTRUCTION = 16,
    HALT_ZERO_DIVIDE = 20,
    HALT_MACHINE_CHECK = 24,
    HALT_TRAP_VECTOR = 28,
    HALT_PRIVILEGE_VIOLATION = 32,
    HALT_STEPPING = 36,
    HALT_A_LINE = 40,
    HALT_F_LINE = 44,
    HALT_HARDWARE_BREAKPOINT = 48,
    HALT_COPROCESSOR_PROTOCOL = 52,
    HALT_FORMAT_ERROR = 56,
    HALT_FORMAT_ERROR_2 = 60,
    HALT_BREAKPOINT = 128,
    HALT_ABORT_SWITCH = 284,
};

// The connection protocol index (word 3 of EMU_TARGET_CONFIG).
enum EmuProtocol : uint32_t {
    EMU_PROTOCOL_NONE = 0,
    EMU_PROTOCOL_PELLITON = 1,
    EMU_PROTOCOL_TAMBER = 2,
    EMU_PROTOCOL_ANGEL = 3,
    EMU_PROTOCOL_SIMULATOR = 4,
};

// Target configuration the program sends the debugger core library after
// connect and after option changes: five 32-bit words.
struct EMU_TARGET_CONFIG {
    uint32_t options;         // bit 0 break in steps, bit 1 step calls, bit 2 hardware
                              // breakpoints, bits 8-31 semihosting option (1 = on)
    uint32_t semihostVector;  // semihosting SWI vector address (default 8)
    uint32_t topOfMemory;     // for the semihosting heap information
    uint32_t protocol;        // EmuProtocol
    uint32_t exceptionCatch;  // exception-catch mask; bit 31: vectors at 0xFFFF0000
};
static_assert(sizeof(EMU_TARGET_CONFIG) == 20);

inline constexpr uint32_t EMU_CFG_BREAK_IN_STEPS = 0x1;
inline constexpr uint32_t EMU_CFG_STEP_CALLS = 0x2;
inline constexpr uint32_t EMU_CFG_HW_BREAKPOINTS = 0x4;
inline constexpr uint32_t EMU_CFG_SEMIHOST_SHIFT = 8;

inline constexpr uint32_t EMU_CATCH_ERROR = 0x001;
inline constexpr uint32_t EMU_CATCH_FIQ = 0x002;
inline constexpr uint32_t EMU_CATCH_IRQ = 0x004;
inline constexpr uint32_t EMU_CATCH_ADDRESS = 0x008;
inline constexpr uint32_t EMU_CATCH_DATA_ABORT = 0x010;
inline constexpr uint32_t EMU_CATCH_PREFETCH_ABORT = 0x020;
inline constexpr uint32_t EMU_CATCH_SWI = 0x040;
inline constexpr uint32_t EMU_CATCH_UNDEFINED = 0x080;
inline constexpr uint32_t EMU_CATCH_RESET = 0x100;
inline constexpr uint32_t EMU_CATCH_HIGH_VECTORS = 0x80000000u;
inline constexpr uint32_t EMU_CATCH_DEFAULT = 0x1B9;

// The software break word planted by the debugger (ARM state; Thumb: 0xFEDE).
inline constexpr uint32_t EMU_BREAK_WORD = 0xFEDEFEDEu;
inline constexpr uint16_t EMU_BREAK_HALFWORD = 0xFEDE;

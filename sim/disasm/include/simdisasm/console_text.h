// The fixed text layouts the simulator's commands share: PSR text, register
// displays, the CP15 display, the configuration block, the next-instruction
// line and the disassembly listing. Plain functions returning the text; the
// print routine (sim_output.h) sends it to the console and the log.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "simcore/cp15.h"
#include "simcore/cpu_state.h"

namespace zk::sim {

// "NZCVIFT" (capital = bit set, lower case = clear), "_", the mode name of
// bits 0-4 ("User32", "FIQ32", "IRQ32", "SVC32", "Abort32", "Undef32",
// "System32", else "UNKNOWN"). After reset the CPSR reads "nzcvIFt_SVC32".
std::string PsrText(uint32_t psr);

// "register": r0-r14 of `mode`, the PC, the CPSR and, except for USER,
// SYSTEM (and the invalid mode, which has the USER view), that mode's SPSR.
std::string RegisterDisplay(const CpuState& cpu, Mode mode);

// "register -d": the dirty banked registers, " R%du=0x%08x " ... "\n".
std::string DirtyRegisterDisplay(const CpuState& cpu);

// "cregister": the coprocessor's registers (simcore/cp15.h). CR7 holds
// operations, not a value: CR7[0] shows 0.
std::string CoprocessorDisplay(const Cp15Registers& regs);

// What "config" without options shows.
struct ConfigDisplay {
    std::string processor = "DI600";
    std::string endian = "Little";
    uint32_t icacheBytes = 0x2000;
    uint32_t icacheWays = 2;
    uint32_t dcacheBytes = 0x2000;
    uint32_t dcacheWays = 2;
    bool print = false;
    bool log = false;
    bool selfModifyCheck = false;
    bool complement = false;
    std::string logFile;        // empty: "NONE"
    std::string writeDataFile;  // empty: "NONE"
};

std::string ConfigurationBlock(const ConfigDisplay& config);

// "| Next>>> 0x%08x: 0x%08x  .... :    <disassembly>\n" (Thumb: the
// instruction as four digits), shown after step and run.
std::string NextInstructionLine(uint32_t pc, uint32_t instruction, bool thumb);

// One line of the "disassemble" listing; the line of the PC is marked
// "| >>>>>> " in place of "|        ".
std::string DisassemblyLine(uint32_t address, uint32_t instruction, bool thumb, bool atPc);

// The listing's defaults: from PC - 16 (ARM) or PC - 8 (Thumb), 0 when the
// PC is smaller, over 64 (ARM) or 32 (Thumb) bytes.
uint32_t DefaultListingStart(uint32_t pc, bool thumb);
uint32_t DefaultListingLength(bool thumb);

// Reads one instruction (4 or 2 bytes) for the listing; false when the
// memory system refuses the read.
using InstructionReader = std::function<bool(uint32_t address, unsigned width, uint32_t& value)>;

// The listing from `start` (rounded down to a multiple of 4) over `length`
// bytes, one line per instruction; a refused read ends it with
// "Can not access this memory address!!!\n".
std::string DisassemblyListing(uint32_t start, uint32_t length, bool thumb, uint32_t pc, const InstructionReader& read);

inline constexpr const char* kMemoryRefusedText = "Can not access this memory address!!!\n";

}  // namespace zk::sim

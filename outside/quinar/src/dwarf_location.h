// DWARF location expressions evaluated at a stop: where a variable lives
// (a register, or a target address computed on the expression stack), and
// a function's frame base. The DWARF 2 operations of a 32-bit target
// (later versions' operations are refused); a composite location
// (DW_OP_piece) is a list of the places of the object's parts.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "quinar/quinar.h"

namespace quinar {

// What an expression reads while it runs.
struct DwarfMachine {
    // A register by DWARF number (ARM: 0-15 are r0-r15).
    std::function<SymResult(uint32_t reg, uint32_t* value)> readRegister;
    // size bytes (1 to 4) of target memory as a number.
    std::function<SymResult(uint32_t address, uint32_t size, uint32_t* value)> readMemory;
    // The frame base of the function (DW_OP_fbreg); null when it has none.
    std::function<SymResult(uint32_t* base)> frameBase;
    bool bigEndian = false;  // operands of DW_OP_addr and DW_OP_constNu/s
    // A value on the stack before the first operation (call-frame rules
    // start with the CFA there).
    bool pushInitial = false;
    uint32_t initial = 0;
};

struct DwarfLocation {
    bool inRegister = false;
    uint32_t where = 0;  // register number or target address
};

// SYM_E_NO_VALUE when the expression cannot be evaluated (empty, malformed,
// an operation this machine does not have, a stack underflow, a failed
// read); SYM_OK with the place otherwise.
SymResult EvaluateDwarfLocation(const uint8_t* expr, uint32_t length, const DwarfMachine& machine,
                                DwarfLocation* location);

// One part of an object in a composite location, the first part at the
// object's lowest address.
struct DwarfPiece {
    enum Kind : uint8_t { Register, Memory, Missing };  // Missing: optimised out
    Kind kind = Missing;
    uint32_t where = 0;  // register number or target address
    uint32_t size = 0;   // bytes
};

// The same, taking composite locations too: an expression with DW_OP_piece
// gives its parts in `pieces` (a simple location leaves them empty and
// gives *location). A piece's expression is evaluated from an empty stack.
SymResult EvaluateDwarfPieces(const uint8_t* expr, uint32_t length, const DwarfMachine& machine,
                              DwarfLocation* location, std::vector<DwarfPiece>* pieces);

// A frame base: a register location stands for the register's value.
SymResult EvaluateDwarfFrameBase(const uint8_t* expr, uint32_t length, const DwarfMachine& machine, uint32_t* base);

}  // namespace quinar

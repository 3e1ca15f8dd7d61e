// Symbols seen from a scope, and the values of objects at the target's
// stop: the shared pieces of SymFindSymbolByName, SymGetSymbolInfo and
// SymEvaluateExpr.
#pragma once

#include <cstdint>
#include <string_view>

#include "store.h"

namespace quinar {

// Registers named in expressions carry kind SYM_KIND_REGISTER and the CPU
// model's register id + 1 as serial (r0-r15 are 0-15, then CPSR and SPSR).
inline constexpr uint32_t kRegisterCount = 18;
uint32_t RegisterHandle(uint32_t id);
// False when the handle names no register.
bool RegisterOf(uint32_t handle, uint32_t* id);
// "@r0", "@(r0)" or "$r0"; false when the text is no register reference.
bool ParseRegisterReference(std::string_view text, uint32_t* id);
const char* RegisterName(uint32_t id);

// The symbol of a name from a scope (see SymFindSymbolByName). With a PC,
// of locals of one name the first whose location holds there wins (the
// locals of a function's lexical blocks share its scope).
SymResult FindSymbol(Store& s, uint32_t scope, std::string_view name, uint32_t* handle, const uint32_t* pc = nullptr);

// Where an object lives at a stop.
struct Place {
    bool inRegister = false;
    uint32_t where = 0;  // target address, or register id (DWARF 0-15 and the CPU model's agree)
    // A value with no single place (a constant, or parts from several
    // places put together), already read: its first `size` bytes (at most
    // 8) as a number in `bits`.
    bool isValue = false;
    uint32_t size = 0;
    uint64_t bits = 0;
};
// The place of a variable at a stop at *pc (null: the PC is not known): its
// location description where the image gives one (registers, memory and
// the function's frame base read from the target), else its location
// words. SYM_E_NO_VALUE when it has no place there.
SymResult PlaceOfVariable(Store& s, uint32_t handle, const uint32_t* pc, Place* place);
// False when the variable's location description covers no piece at pc.
bool LocationHoldsAt(Store& s, uint32_t handle, uint32_t pc);

// The place of a symbol at a stop at *pc (null: not known) and its type
// index: variables and data labels by their records, labels at their value
// (untyped), registers by id (untyped). SYM_E_WRONG_TYPE for a function or
// module (an address, not a value).
SymResult PlaceOfSymbol(Store& s, uint32_t handle, const uint32_t* pc, Place* place, uint32_t* type);
// size bytes (1 to 8) at a place as a number: a register's low bytes (8:
// the next register is the high word), memory in the target's byte order;
// of a value, SYM_E_NO_VALUE when it has fewer bytes.
SymResult ReadPlace(const Place& place, uint32_t size, uint64_t* bits);
// The function (else the module) at the PC: where the names of an
// expression are looked up. 0 when nothing holds the PC.
uint32_t ScopeAt(Store& s, uint32_t pc);

// Reads from the target through the CPU model and the memory library;
// SYM_E_NO_VALUE when the target does not answer.
SymResult ReadTargetRegister(uint32_t id, uint32_t* value);
// size bytes (1 to 8) at address, as a number in the target's byte order.
SymResult ReadTargetMemory(uint32_t address, uint32_t size, uint64_t* value);
// The same as a 32-bit number (DWARF expressions' reads, saved words).
SymResult ReadTargetWord(uint32_t address, uint32_t size, uint32_t* value);
bool TargetPc(uint32_t* pc);
// The CPU model's own result of reading the PC (EMU_TARGET_LOST when the
// target connection is lost).
int ReadTargetPc(uint32_t* pc);
bool TargetBigEndian();

}  // namespace quinar

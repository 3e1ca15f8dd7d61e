// Words of the command language: constants, register names, memory forms,
// coprocessor register words, operators, and the evaluation of an operand
// of a set of kinds against the simulator and the user symbols.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "command_table.h"

namespace zk::sim {

// A constant: decimal digits or "0x" and hexadecimal digits. The value is
// taken as strtoul with base 0 takes it on a 32-bit host: a leading 0 makes
// the rest octal (as far as octal digits go), and a value that does not fit
// 32 bits is 0xFFFFFFFF.
std::optional<uint32_t> ParseConstant(std::string_view word);

// Register names: "r0" to "r15" (0-15), "sp" 13, "lr" 14, "pc" 15, "cpsr"
// and "psr" 16, "spsr" 17; any case.
std::optional<unsigned> RegisterNameNumber(std::string_view word);
inline constexpr unsigned kNameCpsr = 16;
inline constexpr unsigned kNameSpsr = 17;
// The register a name gives, read in the current mode (the PC masked).
uint32_t ReadNamedRegister(const Session& session, unsigned number);
// SimRegNumber of a name's register.
inline int SimRegisterOf(unsigned number)
{
    return number == kNameCpsr ? 0 : static_cast<int>(number) + 1;
}

// "mw(x)", "mh(x)", "mb(x)" with x a register name or a constant.
struct MemoryForm {
    unsigned width = 4;
    std::string_view inner;
};
std::optional<MemoryForm> ParseMemoryForm(std::string_view word);
// The form's address (its register or constant).
uint32_t MemoryFormAddress(const Session& session, const MemoryForm& form);

// "cr0" to "cr15": the register number.
std::optional<unsigned> CoprocessorRegisterWord(std::string_view word);

// "=" 0, "+=" 1, "-=" 2, "*=" 3, "/=" 4, "%=" 5.
std::optional<unsigned> AssignmentOperator(std::string_view word);
// ">" 0, ">=" 1, "==" 2, "<=" 3, "<" 4, "!=" 5.
std::optional<unsigned> ComparisonOperator(std::string_view word);
// The value an assignment gives, unsigned; division or remainder by 0
// leaves the old value.
uint32_t ApplyAssignment(unsigned op, uint32_t old, uint32_t operand);
bool ApplyComparison(unsigned op, uint32_t a, uint32_t b);

// Case-insensitive equality of two words.
bool SameWord(std::string_view a, std::string_view b);

// Evaluates `word` as an operand of `kinds`; keyword operands look the word
// up in `keywords`. False when the word fits none of the kinds (a memory form
// whose read is refused prints its message and does not fit).
bool EvaluateOperand(Session& session, unsigned kinds, std::string_view word, const OptionSpec* keywords, Operand& out);

}  // namespace zk::sim

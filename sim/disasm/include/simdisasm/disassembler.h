// The simulator's disassembler: one ARM word or one Thumb halfword, with its
// address, becomes one line of text. It decodes through the shared encoding
// table (armdecode), the same rows the executors dispatch on, so an encoding
// the executor rejects reads "Unsupported instruction!!!" here.
//
// Layout: an ARM mnemonic (name, condition, suffixes) fills a field of nine
// characters and the operands follow from the tenth; a Thumb mnemonic is a
// fixed text with its own trailing blanks, followed by the operands.
//   DisassembleArm(0xE92D400F, 0)  -> "stmdb    r13!,{r0-r3,r14}"
//   DisassembleThumb(0xB500, 0)    -> "push       {r14}"
#pragma once

#include <cstdint>
#include <string>

namespace zk::sim {

std::string DisassembleArm(uint32_t word, uint32_t address);
std::string DisassembleThumb(uint16_t halfword, uint32_t address);

// The texts of the disassembly that mean "no instruction".
inline constexpr const char* kUnsupportedText = "Unsupported instruction!!!";
inline constexpr const char* kUndefinedText = "Undefined Instruction";
inline constexpr const char* kBlHalfText = "???";

// Number text: below 10 a single decimal digit, otherwise "0x" and lower-case
// hexadecimal.
std::string NumberText(uint32_t value);

// Register name: "r0" to "r14", "pc" for r15.
std::string RegisterName(unsigned reg);

// Register list (bit i = ri) in ascending order: a run of three or more as
// "first-last", a run of two as "a,b", runs separated by ",".
std::string RegisterListText(uint32_t list);

}  // namespace zk::sim

// The tables of ARM and Thumb lines that the line assembler is checked
// with against arm-none-eabi-as: every ARM row kind and Thumb format, with
// conditions, S, each shifter operand, every addressing and write-back form,
// register lists, PSR transfers, swi, bx, bl and the coprocessor forms. The
// lines lie one after the other from kBase (branch targets are in reach
// from there).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pirell::test {

inline constexpr uint32_t kBase = 0x8000;

std::vector<std::string> ArmTable();
std::vector<std::string> ThumbTable();
// ARM lines in gas's unified syntax (its first line switches gas to it;
// lines that begin with "." are gas's alone): suffixes after the condition,
// the shift instructions.
std::vector<std::string> UnifiedArmTable();

}  // namespace pirell::test

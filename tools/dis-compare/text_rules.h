// Text rules that bring our disassembly and objdump's to one canonical
// spelling before they are compared. Each rule removes a difference of
// notation only, never one of meaning:
//   - case and blanks: objdump writes "r0, r1" and "CPSR", we write "r0,r1" and
//     "cpsr"; canonical is lower case with a blank only between two words;
//   - register names: objdump's raw names still use "sp" in Thumb forms and
//     "r15" or "pc" for r15; canonical are r13, r14 and "pc";
//   - numbers: objdump writes immediates in decimal, we write a digit below
//     10 or "0x" hex; canonical is "0x" hex (a "-" sign stays separate);
//   - register lists: we compress runs ("r0-r3"), objdump lists every
//     register; canonical is the full list;
//   - a zero immediate offset "[rN,#0]": objdump leaves it out in ARM code;
//   - mnemonics: objdump writes unified syntax (condition last: "ldrbne",
//     "smullsvs"), we write the classic order ("ldrneb", "smullvss");
//     canonical is base + suffixes + "." + condition.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zk::tools {

// Lower case; blanks only between two words ("r1,lsl r2").
std::string Squash(std::string_view text);

// "0x" and lower-case hex.
std::string Hex(uint32_t value);

// A number in "0x" hex or decimal, with an optional "-" (taken modulo 2^32).
std::optional<uint32_t> ParseNumber(std::string_view text);
// Hex digits with or without "0x".
std::optional<uint32_t> ParseHex(std::string_view text);

// Operands split at the commas outside brackets and braces.
std::vector<std::string> SplitOperands(std::string_view squashed);
std::string JoinOperands(const std::vector<std::string>& operands);

// Register names, numbers after "#", register lists and zero offsets in
// canonical form (on squashed text). Bare numeric operands become hex too.
std::string CanonicalOperands(std::string_view squashed);

// A mnemonic split into base, suffix letters and condition.
struct Mnemonic {
    std::string base;
    std::string suffix;
    std::string cond;
    std::string Canonical() const { return base + suffix + (cond.empty() || cond == "al" ? "" : "." + cond); }
};

// Which suffixes a base takes.
struct MnemonicRule {
    const char* base;
    std::vector<const char*> suffixes;
};

// Splits a mnemonic by the rules: base, then the suffix letters with the
// condition before, between or after them. Empty when no rule fits or two
// readings differ.
std::optional<Mnemonic> SplitMnemonic(std::string_view mnemonic, const std::vector<MnemonicRule>& rules);

}  // namespace zk::tools

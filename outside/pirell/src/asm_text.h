// Reading the text of one assembler line: the mnemonic split into its base
// name and suffixes, and a cursor over the operands whose first error
// sticks. Mnemonics, register names and condition codes are read without
// regard to case; symbol names keep theirs.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pirell/assembler.h"

namespace pirell::as {

// A line cut into its mnemonic and operands. Lines over kMaxAssemblerLine
// characters and lines with characters outside printable ASCII are refused.
struct LineParts {
    AsmError error = AsmError::None;
    std::string_view mnemonic;
    std::string_view operands;
};
LineParts SplitLine(std::string_view text);

// Condition code of a two-letter text ("eq" ... "al", "hs" = cs, "lo" = cc),
// nothing for another text.
std::optional<unsigned> ConditionCode(std::string_view text);

// The readings of a mnemonic as base + suffixes, the condition either right
// after the base or at the end ("ldreqb" and "ldrbeq" both read as ldr, eq,
// "b"). Every base of `bases` that begins the mnemonic gives the readings
// that split the rest so; the caller keeps those whose suffix it knows.
struct MnemonicReading {
    std::string base;
    std::string suffix;  // the suffixes other than the condition, in order
    unsigned cond = 14;  // always when none is given
};
std::vector<MnemonicReading> ReadMnemonic(std::string_view mnemonic, const std::vector<std::string_view>& bases);

class OperandCursor {
public:
    explicit OperandCursor(std::string_view text) : text_(text) {}

    AsmError Error() const { return error_; }
    bool Ok() const { return error_ == AsmError::None; }
    // Records the first error only.
    void Fail(AsmError e)
    {
        if (error_ == AsmError::None)
            error_ = e;
    }

    // After blanks: is the text used up?
    bool AtEnd();
    // After blanks: the next character is c (then it is taken).
    bool Take(char c);
    // The same, a syntax error when it is not there.
    void Expect(char c);
    bool Peek(char c);
    // Expects the end of the text (stray characters are a syntax error).
    void ExpectEnd();

    // A register name: r0-r15, sp, lr, pc, fp, ip, sl, sb, a1-a4, v1-v8.
    // "r16" and the like are a register error; other texts leave the cursor
    // where it was and give nothing (no error).
    std::optional<unsigned> TryRegister();
    unsigned Register();  // the same, a syntax error when absent
    // A coprocessor number "p0"-"p15", a coprocessor register "c0"-"c15" or
    // "cr0"-"cr15".
    unsigned CoprocNumber();
    unsigned CoprocRegister();

    // A number: optional sign, decimal, 0x hexadecimal or 0b binary. The
    // value must fit in 32 bits (as unsigned, or as a negative number).
    std::optional<int64_t> TryNumber();
    int64_t Number();
    // "#" (optional when `hashOptional`) and a number.
    int64_t Immediate(bool hashOptional = true);

    // A register list "{r0-r3,lr}": the bit mask (bit i = ri).
    uint32_t RegisterList();

    // A keyword ("lsl", "cpsr_fc"'s "cpsr") not followed by a name
    // character; taken when it is there.
    bool TakeKeyword(std::string_view keyword);
    // The name at the cursor (letters, digits, '_'), taken; empty when none.
    std::string Name();

    // The rest of the operand up to the next ',' or the end, without blanks
    // around it (an address text).
    std::string Word();

private:
    void SkipBlanks();
    std::string_view Rest() const { return text_.substr(pos_); }

    std::string_view text_;
    size_t pos_ = 0;
    AsmError error_ = AsmError::None;
};

// An address operand: "#name", "name", "0x8000", "8000", "#0x8000" (read
// hexadecimal, like the address texts of the rest of the system).
std::optional<uint32_t> AddressOperand(OperandCursor& cursor, const SymbolResolver& symbols);

}  // namespace pirell::as

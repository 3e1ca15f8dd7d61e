// pirell's line assembler: one ARM or Thumb instruction (a Thumb BL pair
// is one, four bytes) from a line of text, encoded through the simulator's
// encoding table (zk_armdecode): the rows give every field's position, and
// the code is decoded again to make sure it reads back as the row meant.
//
// The syntax is the disassembler's (sim/disasm) and gas's divided syntax
// for ARMv4T, with unified suffix order accepted too ("ldrbeq", "movseq"):
//   movs r0,r1,lsl #2      ldreqb r0,[r1,#-4]!     stmdb r13!,{r0-r3,r14}
//   msr cpsr_fc,r0         b 0x8000   bl #main     ldr r0,#0x8010 (PC-relative)
// Branch targets and PC-relative operands are address texts: hexadecimal
// with or without "0x" (objdump's "bl 80" too), or "#name" for a function
// of the symbol library; a bare name is a symbol unless it is hexadecimal
// ("b add" branches to 0xadd, "b #add" to the function).
// Thumb "mov rd, rs" of low registers is ADD rd, rs, #0 as in gas's divided
// syntax, "movs rd, rs" LSL rd, rs, #0 as in its unified syntax.
// Immediates are decimal, 0x hexadecimal or 0b binary, optionally negative.
// What cannot be encoded (an immediate out of range, a branch too far) is
// refused, never truncated.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pirell {

enum class AsmError {
    None,
    TooLong,    // the text exceeds kMaxAssemblerLine
    Mnemonic,   // no instruction of the code set has this name and suffixes
    Syntax,     // operands missing, malformed or followed by stray characters
    Register,   // no such register (r16), or one the form cannot take
    Immediate,  // a value the encoding cannot hold
    Range,      // a branch or PC-relative target out of reach
    Alignment,  // a target the encoding cannot express at this alignment
    Address,    // an address text that names nothing
};

// The assemble dialog's edit holds at most 255 characters.
inline constexpr size_t kMaxAssemblerLine = 255;

// "#name" or a bare name through the symbol library.
using SymbolResolver = std::function<std::optional<uint32_t>(const std::string& name)>;

struct AssembledCode {
    AsmError error = AsmError::None;
    bool thumb = false;
    unsigned length = 0;             // bytes: 4 (ARM, Thumb BL) or 2
    std::array<uint16_t, 2> half{};  // Thumb halfwords in address order
    uint32_t word = 0;               // ARM word

    // The bytes as they lie in memory in the given byte order.
    std::array<uint8_t, 4> Bytes(bool bigEndian) const;
};

AssembledCode AssembleArm(std::string_view text, uint32_t address, const SymbolResolver& symbols);
AssembledCode AssembleThumb(std::string_view text, uint32_t address, const SymbolResolver& symbols);

// In the code set given; ARM code at an address that is not a multiple of
// 4, Thumb code at an odd one: AsmError::Alignment.
AssembledCode AssembleLine(std::string_view text, uint32_t address, bool thumb, const SymbolResolver& symbols);

std::string_view AsmErrorName(AsmError e);

}  // namespace pirell

// Operand fields of ARM and Thumb encodings: which bits of an instruction
// hold which operand. Every row of the encoding tables names its fields with
// these ids, so the executor, the disassembler and the instruction classifier
// extract operands the same way.
#pragma once

#include <array>
#include <cstdint>

namespace zk::armdecode {

enum class FieldId : uint8_t {
    None,
    Cond,      // condition code (ARM bits 28-31, Thumb conditional branch 8-11)
    Opcode,    // data-processing opcode, Thumb operation selector
    SetFlags,  // S
    Rn,
    Rd,
    Rs,
    Rm,
    RdHi,  // long multiply
    RdLo,
    Imm,            // plain immediate (Thumb imm3/imm5/imm7/imm8/imm11, ARM imm12, SWI number)
    Rotate,         // ARM immediate operand: rotation / 2
    ShiftAmount,    // immediate shift amount
    ShiftType,      // LSL, LSR, ASR, ROR
    RegisterShift,  // bit 4 of a data-processing operand: shift by Rs
    ImmediateForm,  // ARM I bit (bit 25; bit 22 for halfword transfers)
    PreIndex,       // P
    Up,             // U
    Byte,           // B
    WriteBack,      // W
    Load,           // L
    Link,           // B/BL link bit
    Accumulate,     // A of MUL/MLA and long multiply
    Signed,         // long multiply U bit (1 = signed)
    SignedHalf,     // SH of halfword transfers (01 H, 10 SB, 11 SH)
    ImmHigh,        // halfword transfer immediate, bits 8-11
    ImmLow,         // halfword transfer immediate, bits 0-3
    Spsr,           // R of MRS/MSR (1 = SPSR)
    FieldMask,      // MSR c/x/s/f lanes
    RegisterList,
    CpNumber,  // coprocessor number
    CpOpcode1,
    CpOpcode2,
    CRn,
    CRm,
    CRd,
    HighRd,    // Thumb H1
    HighRs,    // Thumb H2
    PcOrLr,    // Thumb PUSH/POP R bit
    SpBase,    // Thumb load address: 1 = from SP
    Negative,  // Thumb adjust SP: subtract
    Ro,        // Thumb register offset
    Rb,        // Thumb base register
    BlHigh,    // Thumb BL half: 0 first (offset high), 1 second
};

struct FieldSpec {
    FieldId id = FieldId::None;
    uint8_t lsb = 0;
    uint8_t width = 0;
};

inline constexpr int kMaxFields = 14;
using FieldLayout = std::array<FieldSpec, kMaxFields>;

constexpr uint32_t ExtractBits(uint32_t word, uint8_t lsb, uint8_t width)
{
    return (word >> lsb) & (width >= 32 ? 0xFFFFFFFFu : ((1u << width) - 1u));
}

constexpr FieldSpec FindField(const FieldLayout& layout, FieldId id)
{
    for (const FieldSpec& f : layout) {
        if (f.id == id)
            return f;
    }
    return {};
}

constexpr bool HasField(const FieldLayout& layout, FieldId id)
{
    return FindField(layout, id).id != FieldId::None;
}

// The field's value, 0 when the layout has no such field.
constexpr uint32_t Extract(const FieldLayout& layout, uint32_t word, FieldId id)
{
    const FieldSpec f = FindField(layout, id);
    return f.id == FieldId::None ? 0 : ExtractBits(word, f.lsb, f.width);
}

}  // namespace zk::armdecode

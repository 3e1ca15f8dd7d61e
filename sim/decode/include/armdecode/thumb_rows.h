// The Thumb (ARMv4T, 16-bit) encoding table: the classic formats, BL as two
// halves, in decode order. Every row's mask lies within bits 6-15, so the
// 1024-entry key of bits 6-15 decides the row alone.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "armdecode/fields.h"
#include "armdecode/row_order.h"

namespace zk::armdecode {

enum class ThumbKind : uint8_t {
    ShiftImm,            // LSL, LSR, ASR Rd, Rs, #imm5
    AddSubReg,           // ADD, SUB Rd, Rs, Rn
    AddSubImm,           // ADD, SUB Rd, Rs, #imm3
    MovCmpAddSubImm,     // MOV, CMP, ADD, SUB Rd, #imm8
    Alu,                 // the sixteen ALU operations on low registers
    HiRegOp,             // ADD, CMP, MOV with a high register
    HiRegBx,             // BX Rs
    LoadPcRel,           // LDR Rd, [PC, #imm8 x 4]
    LoadStoreReg,        // LDR, STR, LDRB, STRB [Rb, Ro]
    LoadStoreSignedReg,  // STRH, LDSB, LDRH, LDSH [Rb, Ro]
    LoadStoreImm,        // LDR, STR, LDRB, STRB [Rb, #imm5]
    LoadStoreHalfImm,    // LDRH, STRH [Rb, #imm5 x 2]
    LoadStoreSpRel,      // LDR, STR Rd, [SP, #imm8 x 4]
    LoadAddress,         // ADD Rd, PC or SP, #imm8 x 4
    AdjustSp,            // ADD SP, #+/-imm7 x 4
    PushPop,
    LoadStoreMultiple,  // LDMIA, STMIA Rb!, {list}
    CondBranch,
    Swi,
    Branch,
    BlPrefix,  // BL first half (offset high part)
    BlSuffix,  // BL second half
    Invalid,
    Count
};

struct ThumbRow {
    uint16_t mask;
    uint16_t value;
    ThumbKind kind;
    std::string_view name;
    FieldLayout fields;
};

namespace thumb_layout {
using F = FieldId;
inline constexpr FieldLayout kNone{};
inline constexpr FieldLayout kShiftImm{{{F::Opcode, 11, 2}, {F::Imm, 6, 5}, {F::Rs, 3, 3}, {F::Rd, 0, 3}}};
inline constexpr FieldLayout kAddSubReg{{{F::Opcode, 9, 1}, {F::Rn, 6, 3}, {F::Rs, 3, 3}, {F::Rd, 0, 3}}};
inline constexpr FieldLayout kAddSubImm{{{F::Opcode, 9, 1}, {F::Imm, 6, 3}, {F::Rs, 3, 3}, {F::Rd, 0, 3}}};
inline constexpr FieldLayout kMovCmpAddSubImm{{{F::Opcode, 11, 2}, {F::Rd, 8, 3}, {F::Imm, 0, 8}}};
inline constexpr FieldLayout kAlu{{{F::Opcode, 6, 4}, {F::Rs, 3, 3}, {F::Rd, 0, 3}}};
inline constexpr FieldLayout kHiReg{
    {{F::Opcode, 8, 2}, {F::HighRd, 7, 1}, {F::HighRs, 6, 1}, {F::Rs, 3, 3}, {F::Rd, 0, 3}}};
inline constexpr FieldLayout kLoadPcRel{{{F::Rd, 8, 3}, {F::Imm, 0, 8}}};
inline constexpr FieldLayout kLoadStoreReg{
    {{F::Load, 11, 1}, {F::Byte, 10, 1}, {F::Ro, 6, 3}, {F::Rb, 3, 3}, {F::Rd, 0, 3}}};
inline constexpr FieldLayout kLoadStoreSignedReg{{{F::Opcode, 10, 2}, {F::Ro, 6, 3}, {F::Rb, 3, 3}, {F::Rd, 0, 3}}};
inline constexpr FieldLayout kLoadStoreImm{
    {{F::Byte, 12, 1}, {F::Load, 11, 1}, {F::Imm, 6, 5}, {F::Rb, 3, 3}, {F::Rd, 0, 3}}};
inline constexpr FieldLayout kLoadStoreHalfImm{{{F::Load, 11, 1}, {F::Imm, 6, 5}, {F::Rb, 3, 3}, {F::Rd, 0, 3}}};
inline constexpr FieldLayout kLoadStoreSpRel{{{F::Load, 11, 1}, {F::Rd, 8, 3}, {F::Imm, 0, 8}}};
inline constexpr FieldLayout kLoadAddress{{{F::SpBase, 11, 1}, {F::Rd, 8, 3}, {F::Imm, 0, 8}}};
inline constexpr FieldLayout kAdjustSp{{{F::Negative, 7, 1}, {F::Imm, 0, 7}}};
inline constexpr FieldLayout kPushPop{{{F::Load, 11, 1}, {F::PcOrLr, 8, 1}, {F::RegisterList, 0, 8}}};
inline constexpr FieldLayout kLoadStoreMultiple{{{F::Load, 11, 1}, {F::Rb, 8, 3}, {F::RegisterList, 0, 8}}};
inline constexpr FieldLayout kCondBranch{{{F::Cond, 8, 4}, {F::Imm, 0, 8}}};
inline constexpr FieldLayout kSwi{{{F::Imm, 0, 8}}};
inline constexpr FieldLayout kBranch{{{F::Imm, 0, 11}}};
inline constexpr FieldLayout kBl{{{F::BlHigh, 11, 1}, {F::Imm, 0, 11}}};
}  // namespace thumb_layout

inline constexpr std::array kThumbRows = {
    ThumbRow{0xFC00, 0x1800, ThumbKind::AddSubReg, "add/sub register", thumb_layout::kAddSubReg},
    ThumbRow{0xFC00, 0x1C00, ThumbKind::AddSubImm, "add/sub immediate", thumb_layout::kAddSubImm},
    ThumbRow{0xE000, 0x0000, ThumbKind::ShiftImm, "shift immediate", thumb_layout::kShiftImm},
    ThumbRow{0xE000, 0x2000, ThumbKind::MovCmpAddSubImm, "mov/cmp/add/sub immediate", thumb_layout::kMovCmpAddSubImm},
    ThumbRow{0xFC00, 0x4000, ThumbKind::Alu, "alu", thumb_layout::kAlu},
    // ADD, CMP and MOV of the high-register format need a high register;
    // BX needs H1 clear.
    ThumbRow{0xFFC0, 0x4400, ThumbKind::Invalid, "add low registers", thumb_layout::kNone},
    ThumbRow{0xFFC0, 0x4500, ThumbKind::Invalid, "cmp low registers", thumb_layout::kNone},
    ThumbRow{0xFFC0, 0x4600, ThumbKind::Invalid, "mov low registers", thumb_layout::kNone},
    ThumbRow{0xFF80, 0x4780, ThumbKind::Invalid, "bx with H1", thumb_layout::kNone},
    ThumbRow{0xFF00, 0x4700, ThumbKind::HiRegBx, "bx", thumb_layout::kHiReg},
    ThumbRow{0xFC00, 0x4400, ThumbKind::HiRegOp, "high register operation", thumb_layout::kHiReg},
    ThumbRow{0xF800, 0x4800, ThumbKind::LoadPcRel, "ldr pc-relative", thumb_layout::kLoadPcRel},
    ThumbRow{0xF200, 0x5000, ThumbKind::LoadStoreReg, "ldr/str register", thumb_layout::kLoadStoreReg},
    ThumbRow{0xF200, 0x5200, ThumbKind::LoadStoreSignedReg, "halfword/signed register",
             thumb_layout::kLoadStoreSignedReg},
    ThumbRow{0xE000, 0x6000, ThumbKind::LoadStoreImm, "ldr/str immediate", thumb_layout::kLoadStoreImm},
    ThumbRow{0xF000, 0x8000, ThumbKind::LoadStoreHalfImm, "ldrh/strh immediate", thumb_layout::kLoadStoreHalfImm},
    ThumbRow{0xF000, 0x9000, ThumbKind::LoadStoreSpRel, "ldr/str sp-relative", thumb_layout::kLoadStoreSpRel},
    ThumbRow{0xF000, 0xA000, ThumbKind::LoadAddress, "load address", thumb_layout::kLoadAddress},
    ThumbRow{0xFF00, 0xB000, ThumbKind::AdjustSp, "adjust sp", thumb_layout::kAdjustSp},
    ThumbRow{0xF600, 0xB400, ThumbKind::PushPop, "push/pop", thumb_layout::kPushPop},
    ThumbRow{0xF000, 0xB000, ThumbKind::Invalid, "miscellaneous", thumb_layout::kNone},
    ThumbRow{0xF000, 0xC000, ThumbKind::LoadStoreMultiple, "ldmia/stmia", thumb_layout::kLoadStoreMultiple},
    ThumbRow{0xFF00, 0xDF00, ThumbKind::Swi, "swi", thumb_layout::kSwi},
    ThumbRow{0xFF00, 0xDE00, ThumbKind::Invalid, "branch condition 1110", thumb_layout::kNone},
    ThumbRow{0xF000, 0xD000, ThumbKind::CondBranch, "conditional branch", thumb_layout::kCondBranch},
    ThumbRow{0xF800, 0xE000, ThumbKind::Branch, "branch", thumb_layout::kBranch},
    ThumbRow{0xF800, 0xE800, ThumbKind::Invalid, "0xe800-0xefff", thumb_layout::kNone},
    ThumbRow{0xF800, 0xF000, ThumbKind::BlPrefix, "bl first half", thumb_layout::kBl},
    ThumbRow{0xF800, 0xF800, ThumbKind::BlSuffix, "bl second half", thumb_layout::kBl},
    ThumbRow{0x0000, 0x0000, ThumbKind::Invalid, "unknown", thumb_layout::kNone},
};
static_assert(DecodeOrderSound(kThumbRows),
              "a row of kThumbRows is covered by an earlier row or the catch-all is not last");

// The dispatch key: bits 6-15, 1024 values.
constexpr unsigned ThumbKey(uint32_t halfword)
{
    return (halfword >> 6) & 0x3FFu;
}

constexpr int ThumbRowIndexForKey(unsigned key)
{
    const uint32_t h = key << 6;
    for (int i = 0; i < static_cast<int>(kThumbRows.size()); ++i) {
        if ((h & kThumbRows[i].mask) == kThumbRows[i].value)
            return i;
    }
    return static_cast<int>(kThumbRows.size()) - 1;
}

static_assert(
    [] {
        for (const ThumbRow& r : kThumbRows) {
            if (r.mask & 0x3F)
                return false;
        }
        return true;
    }(),
    "every Thumb row must be decided by bits 6-15");

}  // namespace zk::armdecode

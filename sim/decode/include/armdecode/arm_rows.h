// The ARM (ARMv4T, 32-bit) encoding table: one row per encoding class, in
// decode order. The first row whose (word & mask) == value names the class;
// the condition field (bits 28-31) takes no part in decoding. Rows of kind
// Invalid are encodings the core rejects (undefined-instruction exception);
// UndefinedSpace is the architecture's undefined instruction space.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "armdecode/fields.h"
#include "armdecode/row_order.h"

namespace zk::armdecode {

enum class ArmKind : uint8_t {
    DataProcessing,  // AND ... MVN with immediate, shift-by-immediate or shift-by-register operand
    Multiply,        // MUL, MLA
    MultiplyLong,    // UMULL, UMLAL, SMULL, SMLAL
    Swap,            // SWP, SWPB
    HalfwordImm,     // LDRH, STRH, LDRSB, LDRSH with an immediate offset
    HalfwordReg,     // the same with a register offset
    Mrs,
    MsrImm,
    MsrReg,
    Bx,
    SingleTransferImm,  // LDR, STR, LDRB, STRB with an immediate offset
    SingleTransferReg,  // the same with a shifted register offset
    BlockTransfer,      // LDM, STM
    Branch,             // B, BL
    CoprocTransfer,     // LDC, STC
    CoprocDataOp,       // CDP
    CoprocRegister,     // MRC, MCR
    Swi,
    UndefinedSpace,  // bits 25-27 = 011 with bit 4 set
    Invalid,         // an encoding the decoder rejects
    Count
};

struct ArmRow {
    uint32_t mask;
    uint32_t value;
    ArmKind kind;
    std::string_view name;
    FieldLayout fields;
};

namespace arm_layout {
using F = FieldId;
inline constexpr FieldSpec kCond{F::Cond, 28, 4};
inline constexpr FieldLayout kNone{{kCond}};
inline constexpr FieldLayout kDataProcessing{{kCond,
                                              {F::ImmediateForm, 25, 1},
                                              {F::Opcode, 21, 4},
                                              {F::SetFlags, 20, 1},
                                              {F::Rn, 16, 4},
                                              {F::Rd, 12, 4},
                                              {F::Rotate, 8, 4},
                                              {F::Imm, 0, 8},
                                              {F::ShiftAmount, 7, 5},
                                              {F::ShiftType, 5, 2},
                                              {F::RegisterShift, 4, 1},
                                              {F::Rs, 8, 4},
                                              {F::Rm, 0, 4}}};
inline constexpr FieldLayout kMultiply{{kCond,
                                        {F::Accumulate, 21, 1},
                                        {F::SetFlags, 20, 1},
                                        {F::Rd, 16, 4},
                                        {F::Rn, 12, 4},
                                        {F::Rs, 8, 4},
                                        {F::Rm, 0, 4}}};
inline constexpr FieldLayout kMultiplyLong{{kCond,
                                            {F::Signed, 22, 1},
                                            {F::Accumulate, 21, 1},
                                            {F::SetFlags, 20, 1},
                                            {F::RdHi, 16, 4},
                                            {F::RdLo, 12, 4},
                                            {F::Rs, 8, 4},
                                            {F::Rm, 0, 4}}};
inline constexpr FieldLayout kSwap{{kCond, {F::Byte, 22, 1}, {F::Rn, 16, 4}, {F::Rd, 12, 4}, {F::Rm, 0, 4}}};
inline constexpr FieldLayout kHalfwordImm{{kCond,
                                           {F::PreIndex, 24, 1},
                                           {F::Up, 23, 1},
                                           {F::ImmediateForm, 22, 1},
                                           {F::WriteBack, 21, 1},
                                           {F::Load, 20, 1},
                                           {F::Rn, 16, 4},
                                           {F::Rd, 12, 4},
                                           {F::ImmHigh, 8, 4},
                                           {F::SignedHalf, 5, 2},
                                           {F::ImmLow, 0, 4}}};
inline constexpr FieldLayout kHalfwordReg{{kCond,
                                           {F::PreIndex, 24, 1},
                                           {F::Up, 23, 1},
                                           {F::ImmediateForm, 22, 1},
                                           {F::WriteBack, 21, 1},
                                           {F::Load, 20, 1},
                                           {F::Rn, 16, 4},
                                           {F::Rd, 12, 4},
                                           {F::SignedHalf, 5, 2},
                                           {F::Rm, 0, 4}}};
inline constexpr FieldLayout kMrs{{kCond, {F::Spsr, 22, 1}, {F::Rd, 12, 4}}};
inline constexpr FieldLayout kMsrImm{
    {kCond, {F::Spsr, 22, 1}, {F::FieldMask, 16, 4}, {F::Rotate, 8, 4}, {F::Imm, 0, 8}}};
inline constexpr FieldLayout kMsrReg{{kCond, {F::Spsr, 22, 1}, {F::FieldMask, 16, 4}, {F::Rm, 0, 4}}};
inline constexpr FieldLayout kBx{{kCond, {F::Rm, 0, 4}}};
inline constexpr FieldLayout kSingleTransferImm{{kCond,
                                                 {F::ImmediateForm, 25, 1},
                                                 {F::PreIndex, 24, 1},
                                                 {F::Up, 23, 1},
                                                 {F::Byte, 22, 1},
                                                 {F::WriteBack, 21, 1},
                                                 {F::Load, 20, 1},
                                                 {F::Rn, 16, 4},
                                                 {F::Rd, 12, 4},
                                                 {F::Imm, 0, 12}}};
inline constexpr FieldLayout kSingleTransferReg{{kCond,
                                                 {F::ImmediateForm, 25, 1},
                                                 {F::PreIndex, 24, 1},
                                                 {F::Up, 23, 1},
                                                 {F::Byte, 22, 1},
                                                 {F::WriteBack, 21, 1},
                                                 {F::Load, 20, 1},
                                                 {F::Rn, 16, 4},
                                                 {F::Rd, 12, 4},
                                                 {F::ShiftAmount, 7, 5},
                                                 {F::ShiftType, 5, 2},
                                                 {F::Rm, 0, 4}}};
inline constexpr FieldLayout kBlockTransfer{{kCond,
                                             {F::PreIndex, 24, 1},
                                             {F::Up, 23, 1},
                                             {F::SetFlags, 22, 1},  // S: user bank / restore CPSR
                                             {F::WriteBack, 21, 1},
                                             {F::Load, 20, 1},
                                             {F::Rn, 16, 4},
                                             {F::RegisterList, 0, 16}}};
inline constexpr FieldLayout kBranch{{kCond, {F::Link, 24, 1}, {F::Imm, 0, 24}}};
inline constexpr FieldLayout kCoprocTransfer{{kCond,
                                              {F::PreIndex, 24, 1},
                                              {F::Up, 23, 1},
                                              {F::Byte, 22, 1},  // N (long transfer)
                                              {F::WriteBack, 21, 1},
                                              {F::Load, 20, 1},
                                              {F::Rn, 16, 4},
                                              {F::CRd, 12, 4},
                                              {F::CpNumber, 8, 4},
                                              {F::Imm, 0, 8}}};
inline constexpr FieldLayout kCoprocDataOp{{kCond,
                                            {F::CpOpcode1, 20, 4},
                                            {F::CRn, 16, 4},
                                            {F::CRd, 12, 4},
                                            {F::CpNumber, 8, 4},
                                            {F::CpOpcode2, 5, 3},
                                            {F::CRm, 0, 4}}};
inline constexpr FieldLayout kCoprocRegister{{kCond,
                                              {F::CpOpcode1, 21, 3},
                                              {F::Load, 20, 1},  // 1 = MRC
                                              {F::CRn, 16, 4},
                                              {F::Rd, 12, 4},
                                              {F::CpNumber, 8, 4},
                                              {F::CpOpcode2, 5, 3},
                                              {F::CRm, 0, 4}}};
inline constexpr FieldLayout kSwi{{kCond, {F::Imm, 0, 24}}};
}  // namespace arm_layout

// Decode order of the ARMv4T core. The first nine rows sort by bits 25-27;
// from the BX row on, bits 26-27 are 00.
inline constexpr std::array kArmRows = {
    ArmRow{0x0E000010, 0x06000010, ArmKind::UndefinedSpace, "undefined", arm_layout::kNone},
    ArmRow{0x0E000000, 0x04000000, ArmKind::SingleTransferImm, "ldr/str immediate", arm_layout::kSingleTransferImm},
    ArmRow{0x0E000000, 0x06000000, ArmKind::SingleTransferReg, "ldr/str register", arm_layout::kSingleTransferReg},
    ArmRow{0x0E000000, 0x08000000, ArmKind::BlockTransfer, "ldm/stm", arm_layout::kBlockTransfer},
    ArmRow{0x0E000000, 0x0A000000, ArmKind::Branch, "b/bl", arm_layout::kBranch},
    ArmRow{0x0E000000, 0x0C000000, ArmKind::CoprocTransfer, "ldc/stc", arm_layout::kCoprocTransfer},
    ArmRow{0x0F000010, 0x0E000000, ArmKind::CoprocDataOp, "cdp", arm_layout::kCoprocDataOp},
    ArmRow{0x0F000010, 0x0E000010, ArmKind::CoprocRegister, "mrc/mcr", arm_layout::kCoprocRegister},
    ArmRow{0x0F000000, 0x0F000000, ArmKind::Swi, "swi", arm_layout::kSwi},
    ArmRow{0x0FFFFFF0, 0x012FFF10, ArmKind::Bx, "bx", arm_layout::kBx},
    ArmRow{0x0FC000F0, 0x00000090, ArmKind::Multiply, "mul/mla", arm_layout::kMultiply},
    ArmRow{0x0F8000F0, 0x00800090, ArmKind::MultiplyLong, "long multiply", arm_layout::kMultiplyLong},
    ArmRow{0x0FB00FF0, 0x01000090, ArmKind::Swap, "swp", arm_layout::kSwap},
    // Halfword stores exist only as STRH (SH = 01); SH = 00 is not a transfer.
    ArmRow{0x0E1000D0, 0x000000D0, ArmKind::Invalid, "signed store", arm_layout::kNone},
    ArmRow{0x0E0000F0, 0x00000090, ArmKind::Invalid, "halfword transfer SH=00", arm_layout::kNone},
    ArmRow{0x0E400090, 0x00400090, ArmKind::HalfwordImm, "halfword transfer immediate", arm_layout::kHalfwordImm},
    ArmRow{0x0E400F90, 0x00000090, ArmKind::HalfwordReg, "halfword transfer register", arm_layout::kHalfwordReg},
    // MRS and MSR live in the space of the tests without S; fields that must
    // be all ones or zeros are checked by the row's mask.
    ArmRow{0x0FBF0FFF, 0x010F0000, ArmKind::Mrs, "mrs", arm_layout::kMrs},
    ArmRow{0x0FB00000, 0x01000000, ArmKind::Invalid, "mrs, bad fields", arm_layout::kNone},
    ArmRow{0x0FB0F000, 0x0320F000, ArmKind::MsrImm, "msr immediate", arm_layout::kMsrImm},
    ArmRow{0x0FB00000, 0x03200000, ArmKind::Invalid, "msr immediate, bad fields", arm_layout::kNone},
    ArmRow{0x0FB0FFF0, 0x0120F000, ArmKind::MsrReg, "msr register", arm_layout::kMsrReg},
    ArmRow{0x0FB00010, 0x01200000, ArmKind::Invalid, "msr register, bad fields", arm_layout::kNone},
    ArmRow{0x0E000090, 0x00000090, ArmKind::Invalid, "multiply/transfer space", arm_layout::kNone},
    ArmRow{0x0D900000, 0x01000000, ArmKind::Invalid, "test without S", arm_layout::kNone},
    ArmRow{0x0C000000, 0x00000000, ArmKind::DataProcessing, "data processing", arm_layout::kDataProcessing},
    ArmRow{0x00000000, 0x00000000, ArmKind::Invalid, "unknown", arm_layout::kNone},
};
static_assert(DecodeOrderSound(kArmRows),
              "a row of kArmRows is covered by an earlier row or the catch-all is not last");

// The dispatch key: bits 20-27 and 4-7, 4096 values.
inline constexpr uint32_t kArmKeyMask = 0x0FF000F0;
constexpr unsigned ArmKey(uint32_t word)
{
    return ((word >> 16) & 0xFF0u) | ((word >> 4) & 0xFu);
}
// A word whose bits 20-27 and 4-7 are the key's and all others zero.
constexpr uint32_t ArmKeyWord(unsigned key)
{
    return ((key & 0xFF0u) << 16) | ((key & 0xFu) << 4);
}

// Can the row match some word with this key?
constexpr bool ArmRowFitsKey(const ArmRow& row, unsigned key)
{
    return (ArmKeyWord(key) & row.mask & kArmKeyMask) == (row.value & kArmKeyMask);
}
// Does every word with this key that reaches the row match it?
constexpr bool ArmRowDecidedByKey(const ArmRow& row)
{
    return (row.mask & ~kArmKeyMask) == 0;
}

// Index of the first row at or after `from` that can match a word with this key.
constexpr int ArmCandidate(unsigned key, int from = 0)
{
    for (int i = from; i < static_cast<int>(kArmRows.size()); ++i) {
        if (ArmRowFitsKey(kArmRows[i], key))
            return i;
    }
    return static_cast<int>(kArmRows.size()) - 1;
}

// First-match decode by walking the rows; the tables of arm_decode.h give the
// same answer faster.
constexpr int ArmRowIndexSlow(uint32_t word)
{
    for (int i = 0; i < static_cast<int>(kArmRows.size()); ++i) {
        if ((word & kArmRows[i].mask) == kArmRows[i].value)
            return i;
    }
    return static_cast<int>(kArmRows.size()) - 1;
}

}  // namespace zk::armdecode

// The one decoder of the project: maps an ARM word or a Thumb halfword to its
// row of the encoding tables (arm_rows.h, thumb_rows.h). The simulator's
// executors, the disassembler and the instruction classifier all decode
// through these rows; the lookup tables are built once from them.
//
//   const ArmRow& row = DecodeArm(word);
//   if (row.kind == ArmKind::DataProcessing) {
//       uint32_t rd = Extract(row.fields, word, FieldId::Rd);
//       ...
//   }
#pragma once

#include <cstdint>
#include <string_view>

#include "armdecode/arm_rows.h"
#include "armdecode/fields.h"
#include "armdecode/thumb_rows.h"

namespace zk::armdecode {

// Index into kArmRows of the first row that matches the word.
int DecodeArmIndex(uint32_t word);
inline const ArmRow& DecodeArm(uint32_t word)
{
    return kArmRows[DecodeArmIndex(word)];
}

// Index into kThumbRows of the row that matches the halfword.
int DecodeThumbIndex(uint16_t halfword);
inline const ThumbRow& DecodeThumb(uint16_t halfword)
{
    return kThumbRows[DecodeThumbIndex(halfword)];
}

inline uint32_t Field(const ArmRow& row, uint32_t word, FieldId id)
{
    return Extract(row.fields, word, id);
}
inline uint32_t Field(const ThumbRow& row, uint16_t halfword, FieldId id)
{
    return Extract(row.fields, halfword, id);
}

// Short names of the kinds ("data processing", "bx", ...).
std::string_view KindName(ArmKind kind);
std::string_view KindName(ThumbKind kind);

// ARM condition field: 0 EQ ... 14 AL, 15 NV (never on ARMv4).
enum class Condition : uint8_t { EQ, NE, CS, CC, MI, PL, VS, VC, HI, LS, GE, LT, GT, LE, AL, NV };

// Does the condition hold for the flags (CPSR bits 28-31 given as bits 3..0 = N Z C V)?
constexpr bool ConditionHolds(unsigned cond, unsigned nzcv)
{
    const bool n = nzcv & 8, z = nzcv & 4, c = nzcv & 2, v = nzcv & 1;
    switch (cond & 15) {
    case 0: return z;
    case 1: return !z;
    case 2: return c;
    case 3: return !c;
    case 4: return n;
    case 5: return !n;
    case 6: return v;
    case 7: return !v;
    case 8: return c && !z;
    case 9: return !c || z;
    case 10: return n == v;
    case 11: return n != v;
    case 12: return !z && n == v;
    case 13: return z || n != v;
    case 14: return true;
    default: return false;
    }
}

}  // namespace zk::armdecode

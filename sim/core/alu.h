// Flag and shifter rules shared by the ARM and Thumb executors.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "armdecode/arm_decode.h"
#include "simcore/cpu_state.h"

namespace zk::sim {

inline constexpr uint32_t kFlagN = 0x80000000u;
inline constexpr uint32_t kFlagZ = 0x40000000u;
inline constexpr uint32_t kFlagC = 0x20000000u;
inline constexpr uint32_t kFlagV = 0x10000000u;

enum ShiftType : unsigned { kLsl = 0, kLsr = 1, kAsr = 2, kRor = 3 };

inline uint32_t CarryFlag(const CpuState& cpu)
{
    return (cpu.cpsr >> 29) & 1;
}

// Bit c of kConditionTable[cond]: does cond hold for NZCV = c?
inline constexpr std::array<uint16_t, 16> kConditionTable = [] {
    std::array<uint16_t, 16> t{};
    for (unsigned cond = 0; cond < 16; ++cond) {
        for (unsigned nzcv = 0; nzcv < 16; ++nzcv) {
            if (armdecode::ConditionHolds(cond, nzcv))
                t[cond] |= static_cast<uint16_t>(1u << nzcv);
        }
    }
    return t;
}();

inline bool ConditionPasses(unsigned cond, uint32_t cpsr)
{
    return (kConditionTable[cond] >> (cpsr >> 28)) & 1;
}

// N and Z from the result; C and V kept.
inline void SetNZ(CpuState& cpu, uint32_t result)
{
    cpu.cpsr = (cpu.cpsr & ~(kFlagN | kFlagZ)) | (result & kFlagN) | (result == 0 ? kFlagZ : 0u);
}

// Logical result: N, Z from the result, C from the shifter, V kept.
inline void SetNZC(CpuState& cpu, uint32_t result, uint32_t carry)
{
    cpu.cpsr =
        (cpu.cpsr & ~(kFlagN | kFlagZ | kFlagC)) | (result & kFlagN) | (result == 0 ? kFlagZ : 0u) | (carry << 29);
}

inline void SetNZCV(CpuState& cpu, uint32_t result, uint32_t carry, uint32_t overflow)
{
    cpu.cpsr =
        (cpu.cpsr & 0x0FFFFFFFu) | (result & kFlagN) | (result == 0 ? kFlagZ : 0u) | (carry << 29) | (overflow << 28);
}

// a + b + carryIn. C is the carry out of bit 31; V is set when both operands
// have one sign and the result the other.
template <bool kSetFlags>
inline uint32_t Add(CpuState& cpu, uint32_t a, uint32_t b, uint32_t carryIn)
{
    const uint64_t wide = uint64_t{a} + b + carryIn;
    const auto r = static_cast<uint32_t>(wide);
    if constexpr (kSetFlags)
        SetNZCV(cpu, r, static_cast<uint32_t>(wide >> 32), ((a ^ r) & (b ^ r)) >> 31);
    return r;
}

// a - b - (1 - carryIn), computed as a + ~b + carryIn: C is "no borrow", V is
// set when the operands' signs differ and the result's sign is b's.
template <bool kSetFlags>
inline uint32_t Sub(CpuState& cpu, uint32_t a, uint32_t b, uint32_t carryIn)
{
    const uint64_t wide = uint64_t{a} + uint64_t{~b} + carryIn;
    const auto r = static_cast<uint32_t>(wide);
    if constexpr (kSetFlags)
        SetNZCV(cpu, r, static_cast<uint32_t>(wide >> 32), ((a ^ b) & (a ^ r)) >> 31);
    return r;
}

struct Shifted {
    uint32_t value;
    uint32_t carry;  // 0 or 1
};

// Shift by an immediate amount 0-31 (bits 7-11 of the instruction).
template <unsigned kType>
inline Shifted ShiftByImmediate(uint32_t rm, unsigned amount, uint32_t carryIn)
{
    if constexpr (kType == kLsl) {
        if (amount == 0)
            return {rm, carryIn};
        return {rm << amount, (rm >> (32 - amount)) & 1};
    } else if constexpr (kType == kLsr) {
        if (amount == 0)
            return {0, rm >> 31};  // LSR #32 is encoded as LSR #0
        return {rm >> amount, (rm >> (amount - 1)) & 1};
    } else if constexpr (kType == kAsr) {
        // ASR #32 is encoded as ASR #0: every bit a copy of the sign.
        if (amount == 0)
            return {static_cast<uint32_t>(static_cast<int32_t>(rm) >> 31), rm >> 31};
        return {static_cast<uint32_t>(static_cast<int32_t>(rm) >> amount), (rm >> (amount - 1)) & 1};
    } else {
        if (amount == 0)
            return {(carryIn << 31) | (rm >> 1), rm & 1};  // ROR #0 is RRX
        return {std::rotr(rm, static_cast<int>(amount)), (rm >> (amount - 1)) & 1};
    }
}

// Shift by the bottom byte of a register (0-255).
template <unsigned kType>
inline Shifted ShiftByRegister(uint32_t rm, uint32_t amount, uint32_t carryIn)
{
    if (amount == 0)
        return {rm, carryIn};
    if constexpr (kType == kLsl) {
        if (amount < 32)
            return {rm << amount, (rm >> (32 - amount)) & 1};
        return {0, amount == 32 ? (rm & 1) : 0};
    } else if constexpr (kType == kLsr) {
        if (amount < 32)
            return {rm >> amount, (rm >> (amount - 1)) & 1};
        return {0, amount == 32 ? (rm >> 31) : 0};
    } else if constexpr (kType == kAsr) {
        if (amount < 32)
            return {static_cast<uint32_t>(static_cast<int32_t>(rm) >> amount), (rm >> (amount - 1)) & 1};
        return {static_cast<uint32_t>(static_cast<int32_t>(rm) >> 31), rm >> 31};
    } else {
        const unsigned r = amount & 31;
        if (r == 0)
            return {rm, rm >> 31};  // ROR by 32, 64, ...: value unchanged, C = bit 31
        return {std::rotr(rm, static_cast<int>(r)), (rm >> (r - 1)) & 1};
    }
}

// LDR of a word at an unaligned address: the aligned word rotated so the
// addressed byte is the lowest.
inline uint32_t RotateLoaded(uint32_t word, uint32_t addr)
{
    return std::rotr(word, static_cast<int>((addr & 3) * 8));
}

inline uint32_t SignExtend(uint32_t value, unsigned bits)
{
    const uint32_t m = 1u << (bits - 1);
    return (value ^ m) - m;
}

}  // namespace zk::sim

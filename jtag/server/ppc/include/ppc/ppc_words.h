// The PowerPC instruction words the probe feeds to a halted core (instruction
// stuffing), built from their standard encodings. Special, time-base and
// device control register numbers go into the split 10-bit field: the low
// five bits of the number first, then the high five.
#pragma once

#include <cstdint>

namespace ppc {

// The rS/rD field of general register n (bits 21-25).
constexpr uint32_t GprField(unsigned n)
{
    return (n & 31u) << 21;
}

// The split field of a special, time-base or device control register number.
constexpr uint32_t SplitField(uint32_t number)
{
    return (((number & 31u) << 5) | ((number >> 5) & 31u)) << 11;
}

// What a split field holds (the inverse of SplitField).
constexpr uint32_t SplitNumber(uint32_t word)
{
    const uint32_t field = (word >> 11) & 0x3FFu;
    return ((field & 31u) << 5) | (field >> 5);
}

// Special registers the layers use.
inline constexpr uint32_t kSprLr = 8;
inline constexpr uint32_t kSprSrr0 = 26;  // the 8xx's program counter in debug mode
inline constexpr uint32_t kSprSrr1 = 27;  // the 8xx's machine state in debug mode
inline constexpr uint32_t kSprIcr = 148;  // 8xx interrupt cause, cleared by reading
inline constexpr uint32_t kSprDpdr = 630;  // 8xx development port data register
inline constexpr uint32_t kSprDbdr = 1011;  // 403 debug data register
inline constexpr uint32_t kSprDccr = 1018;  // 403 data cache cacheability, one bit per 128 MB
inline constexpr uint32_t kSprIccr = 1019;  // 403 instruction cache cacheability
inline constexpr uint32_t kTbl = 268;
inline constexpr uint32_t kTbu = 269;
inline constexpr uint32_t kDcrBase = 1024;  // device control registers are numbered from here

// Transfers between a general register and the debug data registers.
constexpr uint32_t MoveGprToDbdr(unsigned n)
{
    return 0x7C13FBA6u | GprField(n);
}
constexpr uint32_t MoveDbdrToGpr(unsigned n)
{
    return 0x7C13FAA6u | GprField(n);
}
constexpr uint32_t MoveGprToDpdr(unsigned n)
{
    return 0x7C169BA6u | GprField(n);
}
constexpr uint32_t MoveDpdrToGpr(unsigned n)
{
    return 0x7C169AA6u | GprField(n);
}

// Moves through r1.
constexpr uint32_t MoveFromSpr(uint32_t spr)
{
    return 0x7C2002A6u | SplitField(spr);
}
constexpr uint32_t MoveToSpr(uint32_t spr)
{
    return 0x7C2003A6u | SplitField(spr);
}
constexpr uint32_t MoveFromTimeBase(uint32_t tbr)
{
    return 0x7C2002E6u | SplitField(tbr);
}
constexpr uint32_t MoveFromDcr(uint32_t dcr)
{
    return 0x7C200286u | SplitField(dcr);
}
constexpr uint32_t MoveToDcr(uint32_t dcr)
{
    return 0x7C200386u | SplitField(dcr);
}
inline constexpr uint32_t kMoveFromMsr = 0x7C2000A6;
inline constexpr uint32_t kMoveToMsr = 0x7C200124;
inline constexpr uint32_t kMoveFromCr = 0x7C200026;
inline constexpr uint32_t kMoveToCr = 0x7C2FF120;  // all eight fields

inline constexpr uint32_t kBranchAndLinkNext = 0x48000001;  // LR = address + 4
inline constexpr uint32_t kBranchToLr = 0x4E800020;

// r0 through r1 with update, and r0 at r1 + 0.
inline constexpr uint32_t kLoadWordUpdate = 0x84010004;
inline constexpr uint32_t kLoadHalfUpdate = 0xA4010002;
inline constexpr uint32_t kLoadByteUpdate = 0x8C010001;
inline constexpr uint32_t kStoreWordUpdate = 0x94010004;
inline constexpr uint32_t kStoreHalfUpdate = 0xB4010002;
inline constexpr uint32_t kStoreByteUpdate = 0x9C010001;
inline constexpr uint32_t kLoadWord = 0x80010000;
inline constexpr uint32_t kStoreWord = 0x90010000;

// r0 = immediate (sign-extended), r0 = immediate << 16, r0 |= immediate.
constexpr uint32_t LoadImmediate(uint16_t value)
{
    return 0x38000000u | value;
}
constexpr uint32_t LoadImmediateShifted(uint16_t value)
{
    return 0x3C000000u | value;
}
constexpr uint32_t OrImmediate(uint16_t value)
{
    return 0x60000000u | value;
}
inline constexpr uint32_t kNoOperation = 0x60000000;  // ori r0,r0,0

// Cache maintenance at r1.
inline constexpr uint32_t kIcacheBlockInvalidate = 0x7C000FAC;
inline constexpr uint32_t kDcacheBlockStore = 0x7C00086C;
inline constexpr uint32_t kDcacheClassInvalidate = 0x7C000B8C;
inline constexpr uint32_t kIcacheClassInvalidate = 0x7C000F8C;
inline constexpr uint32_t kInstructionSync = 0x4C00012C;
inline constexpr uint32_t kReturnFromInterrupt = 0x4C000064;

// Floating point through f1 and the word pair at r1.
inline constexpr uint32_t kMoveFromFpscr = 0xFC20048E;  // f1 = FPSCR
inline constexpr uint32_t kMoveToFpscr = 0xFDFE0D8E;  // FPSCR = f1, all fields
constexpr uint32_t StoreDouble(unsigned n)
{
    return 0xD8010000u | GprField(n);
}
constexpr uint32_t LoadDouble(unsigned n)
{
    return 0xC8010000u | GprField(n);
}

// The 128 MB region bit of an address in the cache cacheability registers.
constexpr uint32_t RegionBit(uint32_t address)
{
    return 0x80000000u >> (address >> 27);
}

}  // namespace ppc

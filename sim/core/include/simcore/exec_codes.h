// Result codes of the executors and the run loop. Codes below 1001 name the
// class of the instruction that was executed; codes from 1001 up are events.
#pragma once

namespace zk::sim {

enum ExecCode : int {
    // ARM instruction classes.
    kArmDataProcessing = 0,
    kArmMultiply = 3,
    kArmMultiplyLong = 4,
    kArmMrs = 5,
    kArmMsrImm = 6,
    kArmMsrReg = 7,
    kArmBx = 8,
    kArmTransferImm = 9,
    kArmTransferReg = 10,
    kArmHalfwordImm = 11,
    kArmHalfwordReg = 12,
    kArmSwap = 13,
    kArmBlockTransfer = 14,
    kArmCoprocRegister = 16,
    kArmBranch = 18,
    // Thumb instruction classes.
    kThumbShiftImm = 21,
    kThumbAddSubReg = 22,
    kThumbAddImm3 = 230,
    kThumbSubImm3 = 231,
    kThumbMovImm8 = 240,
    kThumbCmpImm8 = 241,
    kThumbAddImm8 = 242,
    kThumbSubImm8 = 243,
    kThumbAlu = 25,
    kThumbHiReg = 26,
    kThumbLoadPcRel = 27,
    kThumbTransferReg = 28,
    kThumbHalfSignedReg = 29,
    kThumbTransferImm = 30,
    kThumbHalfImm = 31,
    kThumbSpRel = 32,
    kThumbLoadAddress = 33,
    kThumbAdjustSp = 34,
    kThumbPushPop = 35,
    kThumbMultiple = 36,
    kThumbCondBranch = 37,
    kThumbBranch = 39,
    kThumbBlFirst = 41,
    kThumbBlSecond = 42,
    // Events.
    kUndefined = 1001,  // undefined, unsupported or refused instruction
    kSwi = 1002,
    kPrefetchAbort = 1003,    // fetch refused by the protection unit
    kDataAbort = 1004,        // load or store refused
    kConditionFailed = 1007,  // ARM condition failed, instruction skipped
    kNormalEnd = 1008,        // a normal-end or break word was fetched
    kSelfModify = 1010,       // the self-modify check stopped the run
    kReset = 1011,            // a coprocessor write asked for a reset of the whole simulator
};

constexpr bool IsEvent(int code)
{
    return code >= kUndefined;
}

// The words that end a run: SWI 0x11 and the ARM break word in ARM state, the
// Thumb break halfword in Thumb state.
inline constexpr unsigned kNormalEndWord = 0xEF000011u;
inline constexpr unsigned kBreakWord = 0xFEDEFEDEu;
inline constexpr unsigned kBreakHalfword = 0xFEDEu;

}  // namespace zk::sim

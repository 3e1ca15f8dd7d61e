// ARM executor. Each row kind of the encoding table has one handler template
// whose parameters are named by the bits that select its behaviour (opcode,
// S, shift type, P/U/B/W/L ...); the dispatch table reads those bits of each
// key through the rows' layouts, and the handlers read the rest of the word.
#include <bit>
#include <utility>

#include "alu.h"
#include "exec_tables.h"
#include "simcore/exec_codes.h"

namespace zk::sim {

namespace {

using armdecode::ArmKind;
using armdecode::kArmRows;

namespace L = armdecode::arm_layout;
using F = armdecode::FieldId;

// An operand field of a row's layout read from a word (or from a dispatch
// key's word, for the fields that select a handler): the bit positions are
// the encoding table's, written nowhere else.
template <const armdecode::FieldLayout& kLayout, F kId>
constexpr uint32_t Get(uint32_t w)
{
    constexpr armdecode::FieldSpec f = armdecode::FindField(kLayout, kId);
    static_assert(f.id == kId, "the row's layout has no such field");
    return armdecode::ExtractBits(w, f.lsb, f.width);
}

// ---- data processing ---------------------------------------------------

constexpr bool IsLogical(unsigned op)
{
    return op == 0 || op == 1 || op == 8 || op == 9 || op == 12 || op == 13 || op == 14 || op == 15;
}
constexpr bool IsTest(unsigned op)
{
    return op >= 8 && op <= 11;
}

// kImmediate: a rotated 8-bit immediate operand; else Rm shifted by kShiftType,
// by Rs when kRegisterShift, else by an immediate amount.
template <unsigned kOpcode, bool kSetFlags, bool kImmediate, bool kRegisterShift, unsigned kShiftType>
int DataProcessing(Core& c, uint32_t w)
{
    constexpr auto& kL = L::kDataProcessing;

    CpuState& cpu = c.cpu;
    const unsigned rn = Get<kL, F::Rn>(w);
    const unsigned rd = Get<kL, F::Rd>(w);
    const uint32_t cin = CarryFlag(cpu);
    const uint32_t cpsrBefore = cpu.cpsr;
    uint32_t a;
    Shifted op2;
    if constexpr (kImmediate) {
        const unsigned rot = Get<kL, F::Rotate>(w) * 2;
        const uint32_t value = std::rotr(Get<kL, F::Imm>(w), static_cast<int>(rot));
        op2 = {value, rot ? value >> 31 : cin};
        a = cpu.r[rn];
    } else if constexpr (kRegisterShift) {
        // With a register-specified shift the PC reads 12 ahead (the shift
        // takes an extra cycle before the operands are read).
        const unsigned rm = Get<kL, F::Rm>(w);
        const uint32_t vm = rm == kRegPc ? cpu.r[kRegPc] + 4 : cpu.r[rm];
        op2 = ShiftByRegister<kShiftType>(vm, cpu.r[Get<kL, F::Rs>(w)] & 0xFFu, cin);
        a = rn == kRegPc ? cpu.r[kRegPc] + 4 : cpu.r[rn];
    } else {
        op2 = ShiftByImmediate<kShiftType>(cpu.r[Get<kL, F::Rm>(w)], Get<kL, F::ShiftAmount>(w), cin);
        a = cpu.r[rn];
    }
    const uint32_t b = op2.value;

    // With S and Rd = r15 the CPSR comes from the SPSR afterwards, so the
    // flags computed here are never seen.
    constexpr bool kFlags = kSetFlags;
    uint32_t r;
    if constexpr (kOpcode == 0 || kOpcode == 8)
        r = a & b;
    else if constexpr (kOpcode == 1 || kOpcode == 9)
        r = a ^ b;
    else if constexpr (kOpcode == 2 || kOpcode == 10)
        r = Sub<kFlags>(cpu, a, b, 1);
    else if constexpr (kOpcode == 3)
        r = Sub<kFlags>(cpu, b, a, 1);
    else if constexpr (kOpcode == 4 || kOpcode == 11)
        r = Add<kFlags>(cpu, a, b, 0);
    else if constexpr (kOpcode == 5)
        r = Add<kFlags>(cpu, a, b, cin);
    else if constexpr (kOpcode == 6)
        r = Sub<kFlags>(cpu, a, b, cin);
    else if constexpr (kOpcode == 7)
        r = Sub<kFlags>(cpu, b, a, cin);
    else if constexpr (kOpcode == 12)
        r = a | b;
    else if constexpr (kOpcode == 13)
        r = b;
    else if constexpr (kOpcode == 14)
        r = a & ~b;
    else
        r = ~b;
    if constexpr (kSetFlags && IsLogical(kOpcode))
        SetNZC(cpu, r, op2.carry);

    if constexpr (!IsTest(kOpcode)) {
        if constexpr (kSetFlags) {
            if (rd == kRegPc) {
                // MOVS pc, ... returns from an exception: CPSR := SPSR. Modes
                // without an SPSR keep the CPSR of before the instruction.
                cpu.WritePc(r);
                cpu.WriteCpsr(HasSpsr(cpu.mode) ? cpu.Spsr() : cpsrBefore);
                return kArmDataProcessing;
            }
        }
        cpu.SetReg(rd, r);
    }
    return kArmDataProcessing;
}

// ---- multiply ------------------------------------------------------------

template <bool kAccumulate, bool kSetFlags>
int Multiply(Core& c, uint32_t w)
{
    constexpr auto& kL = L::kMultiply;
    CpuState& cpu = c.cpu;
    uint32_t r = cpu.r[Get<kL, F::Rm>(w)] * cpu.r[Get<kL, F::Rs>(w)];
    if constexpr (kAccumulate)
        r += cpu.r[Get<kL, F::Rn>(w)];
    if constexpr (kSetFlags)
        SetNZ(cpu, r);
    cpu.SetReg(Get<kL, F::Rd>(w), r);
    return kArmMultiply;
}

template <bool kSigned, bool kAccumulate, bool kSetFlags>
int MultiplyLong(Core& c, uint32_t w)
{
    constexpr auto& kL = L::kMultiplyLong;
    CpuState& cpu = c.cpu;
    const unsigned lo = Get<kL, F::RdLo>(w), hi = Get<kL, F::RdHi>(w);
    const uint32_t m = cpu.r[Get<kL, F::Rm>(w)], s = cpu.r[Get<kL, F::Rs>(w)];
    uint64_t product;
    if constexpr (kSigned) {
        product = static_cast<uint64_t>(int64_t{static_cast<int32_t>(m)} * int64_t{static_cast<int32_t>(s)});
    } else {
        product = uint64_t{m} * s;
    }
    if constexpr (kAccumulate)
        product += (uint64_t{cpu.r[hi]} << 32) | cpu.r[lo];
    if constexpr (kSetFlags) {
        cpu.cpsr = (cpu.cpsr & ~(kFlagN | kFlagZ)) | (static_cast<uint32_t>(product >> 32) & kFlagN) |
            (product == 0 ? kFlagZ : 0u);
    }
    cpu.SetReg(lo, static_cast<uint32_t>(product));
    cpu.SetReg(hi, static_cast<uint32_t>(product >> 32));
    return kArmMultiplyLong;
}

// ---- loads and stores ----------------------------------------------------

// Base write-back after a transfer: Rn := offset address, never into r15 and
// not over a register just loaded from the same base.
inline void WriteBack(CpuState& cpu, unsigned rn, uint32_t value)
{
    if (rn != kRegPc)
        cpu.SetReg(rn, value);
}

// The addressing, access and base write-back that single and halfword
// transfers share: the access uses the offset address when pre-indexed, else
// the base; `extend` turns the loaded bytes into the register value.
template <const armdecode::FieldLayout& kLayout, bool kPre, bool kAdd, bool kWriteBack, bool kLoad, unsigned kWidth,
          typename Extend>
int TransferAt(Core& c, uint32_t w, uint32_t offset, Mode mode, int code, Extend extend)
{
    CpuState& cpu = c.cpu;
    const unsigned rn = Get<kLayout, F::Rn>(w), rd = Get<kLayout, F::Rd>(w);
    const uint32_t base = cpu.r[rn];
    const uint32_t offsetAddr = kAdd ? base + offset : base - offset;
    const uint32_t addr = kPre ? offsetAddr : base;
    // Post-indexed transfers always write the base back.
    constexpr bool kBaseWritten = !kPre || kWriteBack;
    if constexpr (kLoad) {
        uint32_t v;
        if (!c.mem.Load(addr, mode, kWidth, v))
            return kDataAbort;
        v = extend(v, addr);
        if (kBaseWritten && rn != rd)
            WriteBack(cpu, rn, offsetAddr);
        cpu.SetReg(rd, v);
    } else {
        // A stored r15 is the instruction's address + 12.
        const uint32_t v = rd == kRegPc ? cpu.r[kRegPc] + 4 : cpu.r[rd];
        if (!c.mem.StoreData(addr, mode, kWidth, v))
            return kDataAbort;
        if (kBaseWritten)
            WriteBack(cpu, rn, offsetAddr);
    }
    return code;
}

// LDR, STR, LDRB, STRB; kImmediate: a 12-bit offset, else Rm shifted by
// kShiftType.
template <bool kPre, bool kAdd, bool kImmediate, bool kWriteBack, bool kLoad, bool kByte, unsigned kShiftType>
int SingleTransfer(Core& c, uint32_t w)
{
    constexpr auto& kImmLayout = L::kSingleTransferImm;
    constexpr auto& kRegLayout = L::kSingleTransferReg;
    constexpr auto& kLayout = kImmediate ? kImmLayout : kRegLayout;

    CpuState& cpu = c.cpu;
    uint32_t offset;
    if constexpr (!kImmediate) {
        offset = ShiftByImmediate<kShiftType>(cpu.r[Get<kRegLayout, F::Rm>(w)], Get<kRegLayout, F::ShiftAmount>(w),
                                              CarryFlag(cpu))
                     .value;
    } else {
        offset = Get<kImmLayout, F::Imm>(w);
    }
    // LDRT/STRT (post-indexed with W) check the permissions of USER mode.
    const Mode mode = (!kPre && kWriteBack) ? Mode::User : cpu.mode;
    constexpr unsigned kWidth = kByte ? 1 : 4;
    return TransferAt<kLayout, kPre, kAdd, kWriteBack, kLoad, kWidth>(
        c, w, offset, mode, kImmediate ? kArmTransferImm : kArmTransferReg,
        [](uint32_t v, uint32_t addr) { return kByte ? v : RotateLoaded(v, addr); });
}

// LDRH, STRH, LDRSB, LDRSH; kSH is 1 H, 2 SB, 3 SH; kImmediate: an 8-bit
// offset, else Rm.
template <bool kPre, bool kAdd, bool kImmediate, bool kWriteBack, bool kLoad, unsigned kSH>
int HalfwordTransfer(Core& c, uint32_t w)
{
    constexpr auto& kImmLayout = L::kHalfwordImm;
    constexpr auto& kRegLayout = L::kHalfwordReg;
    constexpr auto& kLayout = kImmediate ? kImmLayout : kRegLayout;
    uint32_t offset;
    if constexpr (kImmediate)
        offset = (Get<kImmLayout, F::ImmHigh>(w) << 4) | Get<kImmLayout, F::ImmLow>(w);
    else
        offset = c.cpu.r[Get<kRegLayout, F::Rm>(w)];
    constexpr unsigned kWidth = kSH == 2 ? 1 : 2;
    return TransferAt<kLayout, kPre, kAdd, kWriteBack, kLoad, kWidth>(
        c, w, offset, c.cpu.mode, kImmediate ? kArmHalfwordImm : kArmHalfwordReg, [](uint32_t v, uint32_t) {
            if constexpr (kSH == 2)
                return SignExtend(v, 8);
            if constexpr (kSH == 3)
                return SignExtend(v, 16);
            return v;
        });
}

// LDM and STM; kUserBank is the S bit (the USER bank, or CPSR := SPSR for a
// load that includes r15).
template <bool kPre, bool kAdd, bool kUserBank, bool kWriteBack, bool kLoad>
int BlockTransfer(Core& c, uint32_t w)
{
    constexpr auto& kLayout = L::kBlockTransfer;

    CpuState& cpu = c.cpu;
    const unsigned rn = Get<kLayout, F::Rn>(w);
    uint32_t list = Get<kLayout, F::RegisterList>(w);
    const auto n = static_cast<uint32_t>(std::popcount(list));
    if (list == 0)
        list = 1;  // an empty list transfers r0, with n taken as 0
    const uint32_t base = cpu.r[rn];
    const uint32_t final = kAdd ? base + 4 * n : base - 4 * n;
    uint32_t addr = kAdd ? (kPre ? base + 4 : base) : (kPre ? final : final + 4);
    const bool pcInList = list & 0x8000u;
    // With S the USER bank is transferred, except by a load that includes r15.
    const bool userBank = kUserBank && !(kLoad && pcInList);
    const auto lowest = static_cast<unsigned>(std::countr_zero(list));

    if constexpr (kLoad) {
        for (uint32_t rest = list; rest; rest &= rest - 1) {
            const auto i = static_cast<unsigned>(std::countr_zero(rest));
            uint32_t v;
            if (!c.mem.Load(addr, cpu.mode, 4, v))
                return kDataAbort;
            if (userBank) {
                cpu.SetUserReg(i, v);
            } else {
                cpu.SetReg(i, v);
            }
            addr += 4;
        }
        // A base in the list keeps the value loaded into it, wherever it
        // stands in the list (as the ARM7TDMI does).
        if (kWriteBack && !(list & (1u << rn)))
            WriteBack(cpu, rn, final);
        // LDM with S and r15 returns from an exception.
        if (kUserBank && pcInList && HasSpsr(cpu.mode))
            cpu.WriteCpsr(cpu.Spsr());
    } else {
        for (uint32_t rest = list; rest; rest &= rest - 1) {
            const auto i = static_cast<unsigned>(std::countr_zero(rest));
            uint32_t v;
            if (i == kRegPc) {
                v = cpu.r[kRegPc] + 4;
            } else if (kWriteBack && i == rn) {
                // A written-back base stores its original value when it is
                // the lowest register of the list (gcc's "push {sp, lr}"
                // relies on it), else the final address.
                v = i == lowest ? base : final;
            } else {
                v = userBank ? cpu.UserReg(i) : cpu.r[i];
            }
            if (!c.mem.StoreData(addr, cpu.mode, 4, v))
                return kDataAbort;
            addr += 4;
        }
        if (kWriteBack)
            WriteBack(cpu, rn, final);
    }
    return kArmBlockTransfer;
}

int Swap(Core& c, uint32_t w)
{
    CpuState& cpu = c.cpu;
    constexpr auto& kL = L::kSwap;
    const uint32_t addr = cpu.r[Get<kL, F::Rn>(w)];
    const uint32_t source = cpu.r[Get<kL, F::Rm>(w)];
    const unsigned width = Get<kL, F::Byte>(w) ? 1 : 4;
    // The read looks at the data side without allocating and the write
    // invalidates the line, so the swap always reaches memory.
    uint32_t v;
    if (!c.mem.Read(addr, cpu.mode, AccessKind::DebugData, width, v))
        return kDataAbort;
    if (!c.mem.Write(addr, cpu.mode, AccessKind::InvalidateD, width, source))
        return kDataAbort;
    if (width == 4)
        v = RotateLoaded(v, addr);
    cpu.SetReg(Get<kL, F::Rd>(w), v);
    return kArmSwap;
}

// ---- status registers, branches, coprocessor -------------------------------

int Mrs(Core& c, uint32_t w)
{
    CpuState& cpu = c.cpu;
    uint32_t v = cpu.cpsr;
    if (Get<L::kMrs, F::Spsr>(w))
        v = HasSpsr(cpu.mode) ? cpu.Spsr() : 0;
    cpu.SetReg(Get<L::kMrs, F::Rd>(w), v);
    return kArmMrs;
}

template <bool kImm>
int Msr(Core& c, uint32_t w)
{
    constexpr auto& kL = kImm ? L::kMsrImm : L::kMsrReg;
    CpuState& cpu = c.cpu;
    uint32_t v;
    if constexpr (kImm) {
        v = std::rotr(Get<L::kMsrImm, F::Imm>(w), static_cast<int>(Get<L::kMsrImm, F::Rotate>(w) * 2));
    } else {
        v = cpu.r[Get<L::kMsrReg, F::Rm>(w)];
    }
    const unsigned lanes = Get<kL, F::FieldMask>(w);
    if (Get<kL, F::Spsr>(w)) {
        cpu.MsrSpsr(v, lanes);
    } else {
        cpu.MsrCpsr(v, lanes);
    }
    return kImm ? kArmMsrImm : kArmMsrReg;
}

int Bx(Core& c, uint32_t w)
{
    CpuState& cpu = c.cpu;
    const uint32_t target = cpu.r[Get<L::kBx, F::Rm>(w)];
    cpu.SetThumb(target & 1);
    cpu.WritePc(target);
    return kArmBx;
}

template <bool kLink>
int Branch(Core& c, uint32_t w)
{
    CpuState& cpu = c.cpu;
    if constexpr (kLink)
        cpu.SetReg(kRegLr, cpu.nextPc);
    // The 24-bit word offset, sign-extended, in bytes.
    const auto offset = static_cast<uint32_t>(static_cast<int32_t>(Get<L::kBranch, F::Imm>(w) << 8) >> 6);
    cpu.WritePc(cpu.r[kRegPc] + offset);
    return kArmBranch;
}

int CoprocRegister(Core& c, uint32_t w)
{
    CpuState& cpu = c.cpu;
    constexpr auto& kL = L::kCoprocRegister;
    if (Get<kL, F::CpNumber>(w) != 15 || !c.cp15)
        return kUndefined;
    const unsigned opc1 = Get<kL, F::CpOpcode1>(w), crn = Get<kL, F::CRn>(w), crm = Get<kL, F::CRm>(w),
                   opc2 = Get<kL, F::CpOpcode2>(w);
    const unsigned rd = Get<kL, F::Rd>(w);
    if (Get<kL, F::Load>(w)) {
        uint32_t v;
        if (!c.cp15->Read(opc1, crn, crm, opc2, cpu.mode, v))
            return kUndefined;
        if (rd != kRegPc)
            cpu.SetReg(rd, v);
        return kArmCoprocRegister;
    }
    const uint32_t v = rd == kRegPc ? cpu.r[kRegPc] + 4 : cpu.r[rd];
    switch (c.cp15->Write(opc1, crn, crm, opc2, cpu.mode, v)) {
    case Cp15Write::Refused: return kUndefined;
    case Cp15Write::ResetRequested: return kReset;  // the run loop resets after this instruction
    default: return kArmCoprocRegister;
    }
}

// ---- dispatch ------------------------------------------------------------

int Swi(Core&, uint32_t)
{
    return kSwi;
}

// LDC, STC, CDP, the undefined space and rejected encodings.
int Undefined(Core&, uint32_t)
{
    return kUndefined;
}

// The handler of a row kind for the words of a dispatch key: the bits that
// select its behaviour are read from the key's word through the row's
// layout. Bits a variant ignores are passed as 0, so that keys differing
// only there share one handler.
template <ArmKind kKind, unsigned kKey>
constexpr ArmHandler Select()
{
    constexpr uint32_t kw = armdecode::ArmKeyWord(kKey);
    if constexpr (kKind == ArmKind::DataProcessing) {
        constexpr auto& kL = L::kDataProcessing;
        constexpr bool kImm = Get<kL, F::ImmediateForm>(kw);
        constexpr bool kRegShift = !kImm && Get<kL, F::RegisterShift>(kw);
        constexpr unsigned kType = kImm ? 0 : Get<kL, F::ShiftType>(kw);
        return &DataProcessing<Get<kL, F::Opcode>(kw), Get<kL, F::SetFlags>(kw) != 0, kImm, kRegShift, kType>;
    } else if constexpr (kKind == ArmKind::Multiply) {
        constexpr auto& kL = L::kMultiply;
        return &Multiply<Get<kL, F::Accumulate>(kw) != 0, Get<kL, F::SetFlags>(kw) != 0>;
    } else if constexpr (kKind == ArmKind::MultiplyLong) {
        constexpr auto& kL = L::kMultiplyLong;
        return &MultiplyLong<Get<kL, F::Signed>(kw) != 0, Get<kL, F::Accumulate>(kw) != 0,
                             Get<kL, F::SetFlags>(kw) != 0>;
    } else if constexpr (kKind == ArmKind::Swap) {
        return &Swap;
    } else if constexpr (kKind == ArmKind::HalfwordImm || kKind == ArmKind::HalfwordReg) {
        constexpr bool kImm = kKind == ArmKind::HalfwordImm;
        constexpr auto& kL = kImm ? L::kHalfwordImm : L::kHalfwordReg;
        return &HalfwordTransfer<Get<kL, F::PreIndex>(kw) != 0, Get<kL, F::Up>(kw) != 0, kImm,
                                 Get<kL, F::WriteBack>(kw) != 0, Get<kL, F::Load>(kw) != 0, Get<kL, F::SignedHalf>(kw)>;
    } else if constexpr (kKind == ArmKind::SingleTransferImm || kKind == ArmKind::SingleTransferReg) {
        constexpr bool kImm = kKind == ArmKind::SingleTransferImm;
        constexpr auto& kL = kImm ? L::kSingleTransferImm : L::kSingleTransferReg;
        constexpr unsigned kType = kImm ? 0 : Get<L::kSingleTransferReg, F::ShiftType>(kw);
        return &SingleTransfer<Get<kL, F::PreIndex>(kw) != 0, Get<kL, F::Up>(kw) != 0, kImm,
                               Get<kL, F::WriteBack>(kw) != 0, Get<kL, F::Load>(kw) != 0, Get<kL, F::Byte>(kw) != 0,
                               kType>;
    } else if constexpr (kKind == ArmKind::BlockTransfer) {
        constexpr auto& kL = L::kBlockTransfer;
        return &BlockTransfer<Get<kL, F::PreIndex>(kw) != 0, Get<kL, F::Up>(kw) != 0, Get<kL, F::SetFlags>(kw) != 0,
                              Get<kL, F::WriteBack>(kw) != 0, Get<kL, F::Load>(kw) != 0>;
    } else if constexpr (kKind == ArmKind::Branch) {
        return &Branch<Get<L::kBranch, F::Link>(kw) != 0>;
    } else if constexpr (kKind == ArmKind::Mrs) {
        return &Mrs;
    } else if constexpr (kKind == ArmKind::MsrImm) {
        return &Msr<true>;
    } else if constexpr (kKind == ArmKind::MsrReg) {
        return &Msr<false>;
    } else if constexpr (kKind == ArmKind::Bx) {
        return &Bx;
    } else if constexpr (kKind == ArmKind::CoprocRegister) {
        return &CoprocRegister;
    } else if constexpr (kKind == ArmKind::Swi) {
        return &Swi;
    } else {
        return &Undefined;
    }
}

template <int kRow, unsigned kKey>
constexpr ArmHandler RowHandler()
{
    return Select<kArmRows[kRow].kind, kKey>();
}

// Keys whose first candidate row tests bits outside the key try the rows in
// decode order.
template <unsigned kKey, int kRow>
int ArmChain(Core& c, uint32_t w)
{
    constexpr auto& row = kArmRows[kRow];
    if constexpr (armdecode::ArmRowDecidedByKey(row)) {
        return RowHandler<kRow, kKey>()(c, w);
    } else {
        if ((w & row.mask) == row.value)
            return RowHandler<kRow, kKey>()(c, w);
        return ArmChain<kKey, armdecode::ArmCandidate(kKey, kRow + 1)>(c, w);
    }
}

template <unsigned kKey>
constexpr ArmHandler ArmHandlerFor()
{
    constexpr int first = armdecode::ArmCandidate(kKey);
    if constexpr (armdecode::ArmRowDecidedByKey(kArmRows[first])) {
        return RowHandler<first, kKey>();
    } else {
        return &ArmChain<kKey, first>;
    }
}

template <size_t... kKeys>
constexpr std::array<ArmHandler, 4096> MakeArmTable(std::index_sequence<kKeys...>)
{
    return {ArmHandlerFor<static_cast<unsigned>(kKeys)>()...};
}

}  // namespace

extern const std::array<ArmHandler, 4096> kArmHandlers;
constexpr std::array<ArmHandler, 4096> kArmHandlers = MakeArmTable(std::make_index_sequence<4096>{});

int ExecuteArm(Core& core, uint32_t word)
{
    return kArmHandlers[armdecode::ArmKey(word)](core, word);
}

}  // namespace zk::sim

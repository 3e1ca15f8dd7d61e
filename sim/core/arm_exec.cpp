// ARM executor. Each row kind of the encoding table has one handler template;
// the bits of the dispatch key that select a variant (opcode, S, shift type,
// P/U/B/W/L ...) are template parameters, the rest is read from the word.
#include <bit>
#include <utility>

#include "alu.h"
#include "exec_tables.h"
#include "simcore/exec_codes.h"

namespace zk::sim {

namespace {

using armdecode::ArmKind;
using armdecode::kArmRows;

constexpr uint32_t Bit(uint32_t w, unsigned n)
{
    return (w >> n) & 1;
}
constexpr unsigned RegAt(uint32_t w, unsigned lsb)
{
    return (w >> lsb) & 15;
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

template <unsigned kKey>
int DataProcessing(Core& c, uint32_t w)
{
    constexpr uint32_t kw = armdecode::ArmKeyWord(kKey);
    constexpr bool kImm = Bit(kw, 25);
    constexpr unsigned kOp = (kw >> 21) & 15;
    constexpr bool kS = Bit(kw, 20);
    constexpr bool kRegShift = !kImm && Bit(kw, 4);
    constexpr unsigned kType = (kw >> 5) & 3;

    CpuState& cpu = c.cpu;
    const unsigned rn = RegAt(w, 16);
    const unsigned rd = RegAt(w, 12);
    const uint32_t cin = CarryFlag(cpu);
    const uint32_t cpsrBefore = cpu.cpsr;
    uint32_t a;
    Shifted op2;
    if constexpr (kImm) {
        const unsigned rot = ((w >> 8) & 15) * 2;
        const uint32_t value = std::rotr(w & 0xFFu, static_cast<int>(rot));
        op2 = {value, rot ? value >> 31 : cin};
        a = cpu.r[rn];
    } else if constexpr (kRegShift) {
        // With a register-specified shift the PC reads 12 ahead (the shift
        // takes an extra cycle before the operands are read).
        const unsigned rm = RegAt(w, 0);
        const uint32_t vm = rm == kRegPc ? cpu.r[kRegPc] + 4 : cpu.r[rm];
        op2 = ShiftByRegister<kType>(vm, cpu.r[RegAt(w, 8)] & 0xFFu, cin);
        a = rn == kRegPc ? cpu.r[kRegPc] + 4 : cpu.r[rn];
    } else {
        op2 = ShiftByImmediate<kType>(cpu.r[RegAt(w, 0)], (w >> 7) & 31, cin);
        a = cpu.r[rn];
    }
    const uint32_t b = op2.value;

    // With S and Rd = r15 the CPSR comes from the SPSR afterwards, so the
    // flags computed here are never seen.
    constexpr bool kFlags = kS;
    uint32_t r;
    if constexpr (kOp == 0 || kOp == 8)
        r = a & b;
    else if constexpr (kOp == 1 || kOp == 9)
        r = a ^ b;
    else if constexpr (kOp == 2 || kOp == 10)
        r = Sub<kFlags>(cpu, a, b, 1);
    else if constexpr (kOp == 3)
        r = Sub<kFlags>(cpu, b, a, 1);
    else if constexpr (kOp == 4 || kOp == 11)
        r = Add<kFlags>(cpu, a, b, 0);
    else if constexpr (kOp == 5)
        r = Add<kFlags>(cpu, a, b, cin);
    else if constexpr (kOp == 6)
        r = Sub<kFlags>(cpu, a, b, cin);
    else if constexpr (kOp == 7)
        r = Sub<kFlags>(cpu, b, a, cin);
    else if constexpr (kOp == 12)
        r = a | b;
    else if constexpr (kOp == 13)
        r = b;
    else if constexpr (kOp == 14)
        r = a & ~b;
    else
        r = ~b;
    if constexpr (kS && IsLogical(kOp))
        SetNZC(cpu, r, op2.carry);

    if constexpr (!IsTest(kOp)) {
        if constexpr (kS) {
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

template <unsigned kKey>
int Multiply(Core& c, uint32_t w)
{
    constexpr uint32_t kw = armdecode::ArmKeyWord(kKey);
    CpuState& cpu = c.cpu;
    uint32_t r = cpu.r[RegAt(w, 0)] * cpu.r[RegAt(w, 8)];
    if constexpr (Bit(kw, 21))
        r += cpu.r[RegAt(w, 12)];
    if constexpr (Bit(kw, 20))
        SetNZ(cpu, r);
    cpu.SetReg(RegAt(w, 16), r);
    return kArmMultiply;
}

template <unsigned kKey>
int MultiplyLong(Core& c, uint32_t w)
{
    constexpr uint32_t kw = armdecode::ArmKeyWord(kKey);
    CpuState& cpu = c.cpu;
    const unsigned lo = RegAt(w, 12), hi = RegAt(w, 16);
    const uint32_t m = cpu.r[RegAt(w, 0)], s = cpu.r[RegAt(w, 8)];
    uint64_t product;
    if constexpr (Bit(kw, 22)) {
        product = static_cast<uint64_t>(int64_t{static_cast<int32_t>(m)} * int64_t{static_cast<int32_t>(s)});
    } else {
        product = uint64_t{m} * s;
    }
    if constexpr (Bit(kw, 21))
        product += (uint64_t{cpu.r[hi]} << 32) | cpu.r[lo];
    if constexpr (Bit(kw, 20)) {
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
template <bool kP, bool kU, bool kW, bool kL, unsigned kWidth, typename Extend>
int TransferAt(Core& c, uint32_t w, uint32_t offset, Mode mode, int code, Extend extend)
{
    CpuState& cpu = c.cpu;
    const unsigned rn = RegAt(w, 16), rd = RegAt(w, 12);
    const uint32_t base = cpu.r[rn];
    const uint32_t offsetAddr = kU ? base + offset : base - offset;
    const uint32_t addr = kP ? offsetAddr : base;
    constexpr bool kWriteBack = !kP || kW;
    if constexpr (kL) {
        uint32_t v;
        if (!c.mem.Load(addr, mode, kWidth, v))
            return kDataAbort;
        v = extend(v, addr);
        if (kWriteBack && rn != rd)
            WriteBack(cpu, rn, offsetAddr);
        cpu.SetReg(rd, v);
    } else {
        // A stored r15 is the instruction's address + 12.
        const uint32_t v = rd == kRegPc ? cpu.r[kRegPc] + 4 : cpu.r[rd];
        if (!c.mem.StoreData(addr, mode, kWidth, v))
            return kDataAbort;
        if (kWriteBack)
            WriteBack(cpu, rn, offsetAddr);
    }
    return code;
}

template <unsigned kKey>
int SingleTransfer(Core& c, uint32_t w)
{
    constexpr uint32_t kw = armdecode::ArmKeyWord(kKey);
    constexpr bool kRegOffset = Bit(kw, 25);
    constexpr bool kP = Bit(kw, 24), kU = Bit(kw, 23), kB = Bit(kw, 22), kW = Bit(kw, 21), kL = Bit(kw, 20);
    constexpr unsigned kType = (kw >> 5) & 3;

    CpuState& cpu = c.cpu;
    uint32_t offset;
    if constexpr (kRegOffset) {
        offset = ShiftByImmediate<kType>(cpu.r[RegAt(w, 0)], (w >> 7) & 31, CarryFlag(cpu)).value;
    } else {
        offset = w & 0xFFFu;
    }
    // LDRT/STRT (post-indexed with W) check the permissions of USER mode.
    const Mode mode = (!kP && kW) ? Mode::User : cpu.mode;
    return TransferAt < kP, kU, kW, kL,
           kB ? 1
              : 4 > (c, w, offset, mode, kRegOffset ? kArmTransferReg : kArmTransferImm,
                     [](uint32_t v, uint32_t addr) { return kB ? v : RotateLoaded(v, addr); });
}

template <unsigned kKey>
int HalfwordTransfer(Core& c, uint32_t w)
{
    constexpr uint32_t kw = armdecode::ArmKeyWord(kKey);
    constexpr bool kP = Bit(kw, 24), kU = Bit(kw, 23), kImm = Bit(kw, 22), kW = Bit(kw, 21), kL = Bit(kw, 20);
    constexpr unsigned kSH = (kw >> 5) & 3;  // 1 H, 2 SB, 3 SH
    const uint32_t offset = kImm ? (((w >> 4) & 0xF0u) | (w & 0xFu)) : c.cpu.r[RegAt(w, 0)];
    return TransferAt < kP, kU, kW, kL,
           kSH == 2
               ? 1
               : 2 > (c, w, offset, c.cpu.mode, kImm ? kArmHalfwordImm : kArmHalfwordReg, [](uint32_t v, uint32_t) {
                     if constexpr (kSH == 2)
                         return SignExtend(v, 8);
                     if constexpr (kSH == 3)
                         return SignExtend(v, 16);
                     return v;
                 });
}

template <unsigned kKey>
int BlockTransfer(Core& c, uint32_t w)
{
    constexpr uint32_t kw = armdecode::ArmKeyWord(kKey);
    constexpr bool kP = Bit(kw, 24), kU = Bit(kw, 23), kS = Bit(kw, 22), kW = Bit(kw, 21), kL = Bit(kw, 20);

    CpuState& cpu = c.cpu;
    const unsigned rn = RegAt(w, 16);
    uint32_t list = w & 0xFFFFu;
    const auto n = static_cast<uint32_t>(std::popcount(list));
    if (list == 0)
        list = 1;  // an empty list transfers r0, with n taken as 0
    const uint32_t base = cpu.r[rn];
    const uint32_t final = kU ? base + 4 * n : base - 4 * n;
    uint32_t addr = kU ? (kP ? base + 4 : base) : (kP ? final : final + 4);
    const bool pcInList = list & 0x8000u;
    // With S the USER bank is transferred, except by a load that includes r15.
    const bool userBank = kS && !(kL && pcInList);
    const auto lowest = static_cast<unsigned>(std::countr_zero(list));

    if constexpr (kL) {
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
        if (kW && !(list & (1u << rn)))
            WriteBack(cpu, rn, final);
        // LDM with S and r15 returns from an exception.
        if (kS && pcInList && HasSpsr(cpu.mode))
            cpu.WriteCpsr(cpu.Spsr());
    } else {
        for (uint32_t rest = list; rest; rest &= rest - 1) {
            const auto i = static_cast<unsigned>(std::countr_zero(rest));
            uint32_t v;
            if (i == kRegPc) {
                v = cpu.r[kRegPc] + 4;
            } else if (kW && i == rn) {
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
        if (kW)
            WriteBack(cpu, rn, final);
    }
    return kArmBlockTransfer;
}

int Swap(Core& c, uint32_t w)
{
    CpuState& cpu = c.cpu;
    const uint32_t addr = cpu.r[RegAt(w, 16)];
    const uint32_t source = cpu.r[RegAt(w, 0)];
    const unsigned width = Bit(w, 22) ? 1 : 4;
    // The read looks at the data side without allocating and the write
    // invalidates the line, so the swap always reaches memory.
    uint32_t v;
    if (!c.mem.Read(addr, cpu.mode, AccessKind::DebugData, width, v))
        return kDataAbort;
    if (!c.mem.Write(addr, cpu.mode, AccessKind::InvalidateD, width, source))
        return kDataAbort;
    if (width == 4)
        v = RotateLoaded(v, addr);
    cpu.SetReg(RegAt(w, 12), v);
    return kArmSwap;
}

// ---- status registers, branches, coprocessor -------------------------------

int Mrs(Core& c, uint32_t w)
{
    CpuState& cpu = c.cpu;
    uint32_t v = cpu.cpsr;
    if (Bit(w, 22))
        v = HasSpsr(cpu.mode) ? cpu.Spsr() : 0;
    cpu.SetReg(RegAt(w, 12), v);
    return kArmMrs;
}

template <bool kImm>
int Msr(Core& c, uint32_t w)
{
    CpuState& cpu = c.cpu;
    uint32_t v;
    if constexpr (kImm) {
        v = std::rotr(w & 0xFFu, static_cast<int>(((w >> 8) & 15) * 2));
    } else {
        v = cpu.r[RegAt(w, 0)];
    }
    const unsigned lanes = (w >> 16) & 15;
    if (Bit(w, 22)) {
        cpu.MsrSpsr(v, lanes);
    } else {
        cpu.MsrCpsr(v, lanes);
    }
    return kImm ? kArmMsrImm : kArmMsrReg;
}

int Bx(Core& c, uint32_t w)
{
    CpuState& cpu = c.cpu;
    const uint32_t target = cpu.r[RegAt(w, 0)];
    cpu.SetThumb(target & 1);
    cpu.WritePc(target);
    return kArmBx;
}

template <unsigned kKey>
int Branch(Core& c, uint32_t w)
{
    constexpr bool kLink = Bit(armdecode::ArmKeyWord(kKey), 24);
    CpuState& cpu = c.cpu;
    if constexpr (kLink)
        cpu.SetReg(kRegLr, cpu.nextPc);
    const auto offset = static_cast<uint32_t>(static_cast<int32_t>(w << 8) >> 6);
    cpu.WritePc(cpu.r[kRegPc] + offset);
    return kArmBranch;
}

int CoprocRegister(Core& c, uint32_t w)
{
    CpuState& cpu = c.cpu;
    if (RegAt(w, 8) != 15 || !c.cp15)
        return kUndefined;
    const unsigned opc1 = (w >> 21) & 7, crn = RegAt(w, 16), crm = RegAt(w, 0), opc2 = (w >> 5) & 7;
    const unsigned rd = RegAt(w, 12);
    if (Bit(w, 20)) {
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

// The key bits a kind's handler depends on; the others are cleared so that
// keys that differ only in operand bits share one instantiation.
constexpr unsigned CanonicalKey(ArmKind kind, unsigned key)
{
    switch (kind) {
    case ArmKind::DataProcessing:
        if (key & 0x200)
            return key & 0xFF0;  // immediate operand: bits 4-7 are the rotation
        if (key & 0x1)
            return key;      // shift by register
        return key & 0xFF7;  // shift by immediate: bit 7 is the amount
    case ArmKind::SingleTransferImm: return key & 0xFF0;
    case ArmKind::SingleTransferReg: return key & 0xFF6;
    case ArmKind::HalfwordImm:
    case ArmKind::HalfwordReg: return key & 0xFF6;
    case ArmKind::BlockTransfer:
    case ArmKind::Multiply:
    case ArmKind::MultiplyLong: return key & 0xFF0;
    case ArmKind::Branch: return key & 0xF00;
    default: return 0;
    }
}

template <ArmKind kKind, unsigned kKey>
int ArmImpl(Core& c, uint32_t w)
{
    if constexpr (kKind == ArmKind::DataProcessing)
        return DataProcessing<kKey>(c, w);
    else if constexpr (kKind == ArmKind::Multiply)
        return Multiply<kKey>(c, w);
    else if constexpr (kKind == ArmKind::MultiplyLong)
        return MultiplyLong<kKey>(c, w);
    else if constexpr (kKind == ArmKind::Swap)
        return Swap(c, w);
    else if constexpr (kKind == ArmKind::HalfwordImm || kKind == ArmKind::HalfwordReg)
        return HalfwordTransfer<kKey>(c, w);
    else if constexpr (kKind == ArmKind::Mrs)
        return Mrs(c, w);
    else if constexpr (kKind == ArmKind::MsrImm)
        return Msr<true>(c, w);
    else if constexpr (kKind == ArmKind::MsrReg)
        return Msr<false>(c, w);
    else if constexpr (kKind == ArmKind::Bx)
        return Bx(c, w);
    else if constexpr (kKind == ArmKind::SingleTransferImm || kKind == ArmKind::SingleTransferReg)
        return SingleTransfer<kKey>(c, w);
    else if constexpr (kKind == ArmKind::BlockTransfer)
        return BlockTransfer<kKey>(c, w);
    else if constexpr (kKind == ArmKind::Branch)
        return Branch<kKey>(c, w);
    else if constexpr (kKind == ArmKind::CoprocRegister)
        return CoprocRegister(c, w);
    else if constexpr (kKind == ArmKind::Swi)
        return kSwi;
    else
        return kUndefined;  // LDC, STC, CDP, the undefined space and rejected encodings
}

template <int kRow, unsigned kKey>
constexpr ArmHandler RowHandler()
{
    constexpr ArmKind kind = kArmRows[kRow].kind;
    return &ArmImpl<kind, CanonicalKey(kind, kKey)>;
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

// Thumb executor (ARMv4T). Handlers per row kind of the shared encoding
// table, with template parameters named by the bits that select their
// behaviour; the dispatch table reads those bits of each key through the
// rows' layouts.
#include <bit>
#include <utility>

#include "alu.h"
#include "exec_tables.h"
#include "simcore/exec_codes.h"

namespace zk::sim {

namespace {

using armdecode::kThumbRows;
using armdecode::ThumbKind;

namespace L = armdecode::thumb_layout;
using F = armdecode::FieldId;

// An operand field of a row's layout read from a halfword: the bit positions
// are the encoding table's, written nowhere else.
template <const armdecode::FieldLayout& kLayout, F kId>
constexpr uint32_t Get(uint32_t h)
{
    constexpr armdecode::FieldSpec f = armdecode::FindField(kLayout, kId);
    static_assert(f.id == kId, "the row's layout has no such field");
    return armdecode::ExtractBits(h, f.lsb, f.width);
}
// The same field of the halfword a dispatch key (bits 6-15) stands for.
template <const armdecode::FieldLayout& kLayout, F kId>
constexpr uint32_t KeyGet(unsigned key)
{
    return Get<kLayout, kId>(key << 6);
}

// kOp: LSL, LSR, ASR.
template <unsigned kOp>
int ShiftImm(Core& c, uint32_t h)
{
    constexpr auto& kL = L::kShiftImm;
    CpuState& cpu = c.cpu;
    const Shifted s = ShiftByImmediate<kOp>(cpu.r[Get<kL, F::Rs>(h)], Get<kL, F::Imm>(h), CarryFlag(cpu));
    SetNZC(cpu, s.value, s.carry);
    cpu.SetReg(Get<kL, F::Rd>(h), s.value);
    return kThumbShiftImm;
}

// kImm: the immediate row (third operand #imm3), else the register row.
template <bool kImm, bool kSub>
int AddSub(Core& c, uint32_t h)
{
    constexpr auto& kL = kImm ? L::kAddSubImm : L::kAddSubReg;
    CpuState& cpu = c.cpu;
    const uint32_t a = cpu.r[Get<kL, F::Rs>(h)];
    uint32_t b;
    if constexpr (kImm)
        b = Get<L::kAddSubImm, F::Imm>(h);
    else
        b = cpu.r[Get<L::kAddSubReg, F::Rn>(h)];
    const uint32_t r = kSub ? Sub<true>(cpu, a, b, 1) : Add<true>(cpu, a, b, 0);
    cpu.SetReg(Get<kL, F::Rd>(h), r);
    if constexpr (kImm)
        return kSub ? kThumbSubImm3 : kThumbAddImm3;
    return kThumbAddSubReg;
}

template <unsigned kOp>
int MovCmpAddSubImm(Core& c, uint32_t h)
{
    constexpr auto& kL = L::kMovCmpAddSubImm;
    CpuState& cpu = c.cpu;
    const unsigned rd = Get<kL, F::Rd>(h);
    const uint32_t imm = Get<kL, F::Imm>(h);
    if constexpr (kOp == 0) {
        SetNZ(cpu, imm);
        cpu.SetReg(rd, imm);
        return kThumbMovImm8;
    } else if constexpr (kOp == 1) {
        Sub<true>(cpu, cpu.r[rd], imm, 1);
        return kThumbCmpImm8;
    } else if constexpr (kOp == 2) {
        cpu.SetReg(rd, Add<true>(cpu, cpu.r[rd], imm, 0));
        return kThumbAddImm8;
    } else {
        cpu.SetReg(rd, Sub<true>(cpu, cpu.r[rd], imm, 1));
        return kThumbSubImm8;
    }
}

template <unsigned kOp>
int Alu(Core& c, uint32_t h)
{
    CpuState& cpu = c.cpu;
    const unsigned rd = Get<L::kAlu, F::Rd>(h);
    const uint32_t a = cpu.r[rd];
    const uint32_t b = cpu.r[Get<L::kAlu, F::Rs>(h)];
    const uint32_t cin = CarryFlag(cpu);
    auto logical = [&](uint32_t r) {
        SetNZ(cpu, r);
        cpu.SetReg(rd, r);
    };
    auto shifted = [&](Shifted s) {
        SetNZC(cpu, s.value, s.carry);
        cpu.SetReg(rd, s.value);
    };
    if constexpr (kOp == 0)
        logical(a & b);
    else if constexpr (kOp == 1)
        logical(a ^ b);
    else if constexpr (kOp == 2)
        shifted(ShiftByRegister<kLsl>(a, b & 0xFFu, cin));
    else if constexpr (kOp == 3)
        shifted(ShiftByRegister<kLsr>(a, b & 0xFFu, cin));
    else if constexpr (kOp == 4)
        shifted(ShiftByRegister<kAsr>(a, b & 0xFFu, cin));
    else if constexpr (kOp == 5)
        cpu.SetReg(rd, Add<true>(cpu, a, b, cin));
    else if constexpr (kOp == 6)
        cpu.SetReg(rd, Sub<true>(cpu, a, b, cin));
    else if constexpr (kOp == 7)
        shifted(ShiftByRegister<kRor>(a, b & 0xFFu, cin));
    else if constexpr (kOp == 8)
        SetNZ(cpu, a & b);
    else if constexpr (kOp == 9)
        cpu.SetReg(rd, Sub<true>(cpu, 0, b, 1));  // NEG
    else if constexpr (kOp == 10)
        Sub<true>(cpu, a, b, 1);
    else if constexpr (kOp == 11)
        Add<true>(cpu, a, b, 0);
    else if constexpr (kOp == 12)
        logical(a | b);
    else if constexpr (kOp == 13)
        logical(a * b);  // MUL: C and V kept
    else if constexpr (kOp == 14)
        logical(a & ~b);
    else
        logical(~b);
    return kThumbAlu;
}

// ADD, CMP, MOV with high registers: r15 reads PC + 4, not word-aligned.
template <unsigned kOp, bool kHighRd, bool kHighRs>
int HiRegOp(Core& c, uint32_t h)
{
    constexpr auto& kL = L::kHiReg;
    CpuState& cpu = c.cpu;
    const unsigned rd = Get<kL, F::Rd>(h) | (kHighRd ? 8u : 0u);
    const unsigned rs = Get<kL, F::Rs>(h) | (kHighRs ? 8u : 0u);
    if constexpr (kOp == 0)
        cpu.SetReg(rd, cpu.r[rd] + cpu.r[rs]);
    else if constexpr (kOp == 1)
        Sub<true>(cpu, cpu.r[rd], cpu.r[rs], 1);
    else
        cpu.SetReg(rd, cpu.r[rs]);
    return kThumbHiReg;
}

template <bool kHighRs>
int HiRegBx(Core& c, uint32_t h)
{
    CpuState& cpu = c.cpu;
    const uint32_t target = cpu.r[Get<L::kHiReg, F::Rs>(h) | (kHighRs ? 8u : 0u)];
    cpu.SetThumb(target & 1);
    cpu.WritePc(target);
    return kThumbHiReg;
}

int LoadPcRel(Core& c, uint32_t h)
{
    CpuState& cpu = c.cpu;
    const uint32_t addr = (cpu.r[kRegPc] & ~3u) + Get<L::kLoadPcRel, F::Imm>(h) * 4;
    uint32_t v;
    if (!c.mem.Load(addr, cpu.mode, 4, v))
        return kDataAbort;
    cpu.SetReg(Get<L::kLoadPcRel, F::Rd>(h), v);
    return kThumbLoadPcRel;
}

// LDR/STR/LDRB/STRB at addr; LDR rotates an unaligned word.
template <bool kLoad, bool kByte>
int Transfer(Core& c, unsigned rd, uint32_t addr, int code)
{
    CpuState& cpu = c.cpu;
    constexpr unsigned kWidth = kByte ? 1 : 4;
    if constexpr (kLoad) {
        uint32_t v;
        if (!c.mem.Load(addr, cpu.mode, kWidth, v))
            return kDataAbort;
        if constexpr (!kByte)
            v = RotateLoaded(v, addr);
        cpu.SetReg(rd, v);
    } else {
        if (!c.mem.StoreData(addr, cpu.mode, kWidth, cpu.r[rd]))
            return kDataAbort;
    }
    return code;
}

template <bool kLoad, bool kByte>
int LoadStoreReg(Core& c, uint32_t h)
{
    constexpr auto& kL = L::kLoadStoreReg;
    const uint32_t addr = c.cpu.r[Get<kL, F::Rb>(h)] + c.cpu.r[Get<kL, F::Ro>(h)];
    return Transfer<kLoad, kByte>(c, Get<kL, F::Rd>(h), addr, kThumbTransferReg);
}

template <bool kLoad, bool kByte>
int LoadStoreImm(Core& c, uint32_t h)
{
    constexpr auto& kL = L::kLoadStoreImm;
    const uint32_t imm = Get<kL, F::Imm>(h);
    const uint32_t addr = c.cpu.r[Get<kL, F::Rb>(h)] + (kByte ? imm : imm * 4);
    return Transfer<kLoad, kByte>(c, Get<kL, F::Rd>(h), addr, kThumbTransferImm);
}

template <bool kLoad>
int LoadStoreSpRel(Core& c, uint32_t h)
{
    constexpr auto& kL = L::kLoadStoreSpRel;
    const uint32_t addr = c.cpu.r[kRegSp] + Get<kL, F::Imm>(h) * 4;
    return Transfer<kLoad, false>(c, Get<kL, F::Rd>(h), addr, kThumbSpRel);
}

// STRH, LDSB, LDRH, LDSH (op 0-3) at addr.
template <unsigned kOp>
int TransferHalf(Core& c, unsigned rd, uint32_t addr, int code)
{
    CpuState& cpu = c.cpu;
    if constexpr (kOp == 0) {
        if (!c.mem.StoreData(addr, cpu.mode, 2, cpu.r[rd] & 0xFFFFu))
            return kDataAbort;
    } else {
        uint32_t v;
        if (!c.mem.Load(addr, cpu.mode, kOp == 1 ? 1 : 2, v))
            return kDataAbort;
        if constexpr (kOp == 1)
            v = SignExtend(v, 8);
        if constexpr (kOp == 3)
            v = SignExtend(v, 16);
        cpu.SetReg(rd, v);
    }
    return code;
}

template <unsigned kOp>
int LoadStoreSignedReg(Core& c, uint32_t h)
{
    constexpr auto& kL = L::kLoadStoreSignedReg;
    const uint32_t addr = c.cpu.r[Get<kL, F::Rb>(h)] + c.cpu.r[Get<kL, F::Ro>(h)];
    return TransferHalf<kOp>(c, Get<kL, F::Rd>(h), addr, kThumbHalfSignedReg);
}

template <bool kLoad>
int LoadStoreHalfImm(Core& c, uint32_t h)
{
    constexpr auto& kL = L::kLoadStoreHalfImm;
    const uint32_t addr = c.cpu.r[Get<kL, F::Rb>(h)] + Get<kL, F::Imm>(h) * 2;
    constexpr unsigned kOp = kLoad ? 2 : 0;  // LDRH or STRH
    return TransferHalf<kOp>(c, Get<kL, F::Rd>(h), addr, kThumbHalfImm);
}

template <bool kSpBase>
int LoadAddress(Core& c, uint32_t h)
{
    CpuState& cpu = c.cpu;
    constexpr auto& kL = L::kLoadAddress;
    const uint32_t base = kSpBase ? cpu.r[kRegSp] : (cpu.r[kRegPc] & ~3u);
    cpu.SetReg(Get<kL, F::Rd>(h), base + Get<kL, F::Imm>(h) * 4);
    return kThumbLoadAddress;
}

template <bool kNegative>
int AdjustSp(Core& c, uint32_t h)
{
    CpuState& cpu = c.cpu;
    const uint32_t imm = Get<L::kAdjustSp, F::Imm>(h) * 4;
    cpu.SetReg(kRegSp, kNegative ? cpu.r[kRegSp] - imm : cpu.r[kRegSp] + imm);
    return kThumbAdjustSp;
}

// kPop: POP, else PUSH; kExtra: LR for PUSH, PC for POP.
template <bool kPop, bool kExtra>
int PushPop(Core& c, uint32_t h)
{
    CpuState& cpu = c.cpu;
    uint32_t list = Get<L::kPushPop, F::RegisterList>(h);
    const auto n = static_cast<uint32_t>(std::popcount(list)) + (kExtra ? 1 : 0);
    if (list == 0 && !kExtra)
        list = 1;  // an empty list transfers r0, with n taken as 0
    if constexpr (kPop) {
        uint32_t addr = cpu.r[kRegSp];
        for (uint32_t rest = list; rest; rest &= rest - 1) {
            uint32_t v;
            if (!c.mem.Load(addr, cpu.mode, 4, v))
                return kDataAbort;
            cpu.SetReg(static_cast<unsigned>(std::countr_zero(rest)), v);
            addr += 4;
        }
        if constexpr (kExtra) {
            // ARMv4T: a popped PC stays in Thumb state.
            uint32_t v;
            if (!c.mem.Load(addr, cpu.mode, 4, v))
                return kDataAbort;
            cpu.WritePc(v);
        }
        cpu.SetReg(kRegSp, cpu.r[kRegSp] + 4 * n);
    } else {
        const uint32_t start = cpu.r[kRegSp] - 4 * n;
        uint32_t addr = start;
        for (uint32_t rest = list; rest; rest &= rest - 1) {
            if (!c.mem.StoreData(addr, cpu.mode, 4, cpu.r[std::countr_zero(rest)]))
                return kDataAbort;
            addr += 4;
        }
        if constexpr (kExtra) {
            if (!c.mem.StoreData(addr, cpu.mode, 4, cpu.r[kRegLr]))
                return kDataAbort;
        }
        cpu.SetReg(kRegSp, start);
    }
    return kThumbPushPop;
}

template <bool kLoad>
int LoadStoreMultiple(Core& c, uint32_t h)
{
    constexpr auto& kL = L::kLoadStoreMultiple;
    CpuState& cpu = c.cpu;
    const unsigned rb = Get<kL, F::Rb>(h);
    uint32_t list = Get<kL, F::RegisterList>(h);
    const auto n = static_cast<uint32_t>(std::popcount(list));
    if (list == 0)
        list = 1;
    uint32_t addr = cpu.r[rb];
    const uint32_t final = addr + 4 * n;
    if constexpr (kLoad) {
        for (uint32_t rest = list; rest; rest &= rest - 1) {
            uint32_t v;
            if (!c.mem.Load(addr, cpu.mode, 4, v))
                return kDataAbort;
            cpu.SetReg(static_cast<unsigned>(std::countr_zero(rest)), v);
            addr += 4;
        }
        // Rb in the list keeps the value loaded into it, wherever it stands
        // (gcc's "ldmia r1!, {r1, r2}" reads a struct through r1).
        if (!(list & (1u << rb)))
            cpu.SetReg(rb, final);
    } else {
        // Rb stores its original value when it is the lowest register of
        // the list, else the final address.
        const uint32_t baseValue = std::countr_zero(list) == static_cast<int>(rb) ? cpu.r[rb] : final;
        for (uint32_t rest = list; rest; rest &= rest - 1) {
            const auto i = static_cast<unsigned>(std::countr_zero(rest));
            if (!c.mem.StoreData(addr, cpu.mode, 4, i == rb ? baseValue : cpu.r[i]))
                return kDataAbort;
            addr += 4;
        }
        cpu.SetReg(rb, final);
    }
    return kThumbMultiple;
}

template <unsigned kCond>
int CondBranch(Core& c, uint32_t h)
{
    CpuState& cpu = c.cpu;
    if (ConditionPasses(kCond, cpu.cpsr)) {
        cpu.WritePc(cpu.r[kRegPc] + (SignExtend(Get<L::kCondBranch, F::Imm>(h), 8) << 1));
    }
    return kThumbCondBranch;
}

int Branch(Core& c, uint32_t h)
{
    CpuState& cpu = c.cpu;
    cpu.WritePc(cpu.r[kRegPc] + (SignExtend(Get<L::kBranch, F::Imm>(h), 11) << 1));
    return kThumbBranch;
}

int BlFirst(Core& c, uint32_t h)
{
    CpuState& cpu = c.cpu;
    cpu.SetReg(kRegLr, cpu.r[kRegPc] + (SignExtend(Get<L::kBl, F::Imm>(h), 11) << 12));
    return kThumbBlFirst;
}

int BlSecond(Core& c, uint32_t h)
{
    CpuState& cpu = c.cpu;
    const uint32_t target = cpu.r[kRegLr] + Get<L::kBl, F::Imm>(h) * 2;
    cpu.SetReg(kRegLr, cpu.nextPc | 1);
    cpu.WritePc(target);
    return kThumbBlSecond;
}

int Swi(Core&, uint32_t)
{
    return kSwi;
}

int Undefined(Core&, uint32_t)
{
    return kUndefined;
}

// The handler of a row kind for the halfwords of a dispatch key: the bits
// that select its behaviour are read from the key's halfword through the
// row's layout.
template <ThumbKind kKind, unsigned kKey>
constexpr ThumbHandler Select()
{
    if constexpr (kKind == ThumbKind::ShiftImm)
        return &ShiftImm<KeyGet<L::kShiftImm, F::Opcode>(kKey)>;
    else if constexpr (kKind == ThumbKind::AddSubReg)
        return &AddSub<false, KeyGet<L::kAddSubReg, F::Opcode>(kKey) != 0>;
    else if constexpr (kKind == ThumbKind::AddSubImm)
        return &AddSub<true, KeyGet<L::kAddSubImm, F::Opcode>(kKey) != 0>;
    else if constexpr (kKind == ThumbKind::MovCmpAddSubImm)
        return &MovCmpAddSubImm<KeyGet<L::kMovCmpAddSubImm, F::Opcode>(kKey)>;
    else if constexpr (kKind == ThumbKind::Alu)
        return &Alu<KeyGet<L::kAlu, F::Opcode>(kKey)>;
    else if constexpr (kKind == ThumbKind::HiRegOp)
        return &HiRegOp<KeyGet<L::kHiReg, F::Opcode>(kKey), KeyGet<L::kHiReg, F::HighRd>(kKey) != 0,
                        KeyGet<L::kHiReg, F::HighRs>(kKey) != 0>;
    else if constexpr (kKind == ThumbKind::HiRegBx)
        return &HiRegBx<KeyGet<L::kHiReg, F::HighRs>(kKey) != 0>;
    else if constexpr (kKind == ThumbKind::LoadPcRel)
        return &LoadPcRel;
    else if constexpr (kKind == ThumbKind::LoadStoreReg)
        return &LoadStoreReg<KeyGet<L::kLoadStoreReg, F::Load>(kKey) != 0,
                             KeyGet<L::kLoadStoreReg, F::Byte>(kKey) != 0>;
    else if constexpr (kKind == ThumbKind::LoadStoreSignedReg)
        return &LoadStoreSignedReg<KeyGet<L::kLoadStoreSignedReg, F::Opcode>(kKey)>;
    else if constexpr (kKind == ThumbKind::LoadStoreImm)
        return &LoadStoreImm<KeyGet<L::kLoadStoreImm, F::Load>(kKey) != 0,
                             KeyGet<L::kLoadStoreImm, F::Byte>(kKey) != 0>;
    else if constexpr (kKind == ThumbKind::LoadStoreHalfImm)
        return &LoadStoreHalfImm<KeyGet<L::kLoadStoreHalfImm, F::Load>(kKey) != 0>;
    else if constexpr (kKind == ThumbKind::LoadStoreSpRel)
        return &LoadStoreSpRel<KeyGet<L::kLoadStoreSpRel, F::Load>(kKey) != 0>;
    else if constexpr (kKind == ThumbKind::LoadAddress)
        return &LoadAddress<KeyGet<L::kLoadAddress, F::SpBase>(kKey) != 0>;
    else if constexpr (kKind == ThumbKind::AdjustSp)
        return &AdjustSp<KeyGet<L::kAdjustSp, F::Negative>(kKey) != 0>;
    else if constexpr (kKind == ThumbKind::PushPop)
        return &PushPop<KeyGet<L::kPushPop, F::Load>(kKey) != 0, KeyGet<L::kPushPop, F::PcOrLr>(kKey) != 0>;
    else if constexpr (kKind == ThumbKind::LoadStoreMultiple)
        return &LoadStoreMultiple<KeyGet<L::kLoadStoreMultiple, F::Load>(kKey) != 0>;
    else if constexpr (kKind == ThumbKind::CondBranch)
        return &CondBranch<KeyGet<L::kCondBranch, F::Cond>(kKey)>;
    else if constexpr (kKind == ThumbKind::Swi)
        return &Swi;
    else if constexpr (kKind == ThumbKind::Branch)
        return &Branch;
    else if constexpr (kKind == ThumbKind::BlPrefix)
        return &BlFirst;
    else if constexpr (kKind == ThumbKind::BlSuffix)
        return &BlSecond;
    else
        return &Undefined;
}

template <unsigned kKey>
constexpr ThumbHandler ThumbHandlerFor()
{
    return Select<kThumbRows[armdecode::ThumbRowIndexForKey(kKey)].kind, kKey>();
}

template <size_t... kKeys>
constexpr std::array<ThumbHandler, 1024> MakeThumbTable(std::index_sequence<kKeys...>)
{
    return {ThumbHandlerFor<static_cast<unsigned>(kKeys)>()...};
}

}  // namespace

extern const std::array<ThumbHandler, 1024> kThumbHandlers;
constexpr std::array<ThumbHandler, 1024> kThumbHandlers = MakeThumbTable(std::make_index_sequence<1024>{});

}  // namespace zk::sim

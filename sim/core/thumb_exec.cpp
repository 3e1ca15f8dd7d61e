// Thumb executor (ARMv4T). Handlers per row kind of the shared encoding
// table, specialised on the key bits that select the operation.
#include <bit>
#include <utility>

#include "alu.h"
#include "exec_tables.h"
#include "simcore/exec_codes.h"

namespace zk::sim {

namespace {

using armdecode::kThumbRows;
using armdecode::ThumbKind;

constexpr unsigned Low3(uint32_t h, unsigned lsb)
{
    return (h >> lsb) & 7;
}
constexpr uint32_t KeyBit(unsigned key, unsigned bit)
{
    return ((key << 6) >> bit) & 1;
}
constexpr unsigned KeyField(unsigned key, unsigned lsb, unsigned width)
{
    return ((key << 6) >> lsb) & ((1u << width) - 1);
}

template <unsigned kKey>
int ShiftImm(Core& c, uint32_t h)
{
    constexpr unsigned kOp = KeyField(kKey, 11, 2);  // LSL, LSR, ASR
    CpuState& cpu = c.cpu;
    const Shifted s = ShiftByImmediate<kOp>(cpu.r[Low3(h, 3)], (h >> 6) & 31, CarryFlag(cpu));
    SetNZC(cpu, s.value, s.carry);
    cpu.SetReg(Low3(h, 0), s.value);
    return kThumbShiftImm;
}

template <unsigned kKey>
int AddSub(Core& c, uint32_t h)
{
    constexpr bool kImm = KeyBit(kKey, 10);
    constexpr bool kSub = KeyBit(kKey, 9);
    CpuState& cpu = c.cpu;
    const uint32_t a = cpu.r[Low3(h, 3)];
    const uint32_t b = kImm ? Low3(h, 6) : cpu.r[Low3(h, 6)];
    const uint32_t r = kSub ? Sub<true>(cpu, a, b, 1) : Add<true>(cpu, a, b, 0);
    cpu.SetReg(Low3(h, 0), r);
    if constexpr (kImm)
        return kSub ? kThumbSubImm3 : kThumbAddImm3;
    return kThumbAddSubReg;
}

template <unsigned kKey>
int MovCmpAddSubImm(Core& c, uint32_t h)
{
    constexpr unsigned kOp = KeyField(kKey, 11, 2);
    CpuState& cpu = c.cpu;
    const unsigned rd = Low3(h, 8);
    const uint32_t imm = h & 0xFFu;
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

template <unsigned kKey>
int Alu(Core& c, uint32_t h)
{
    constexpr unsigned kOp = KeyField(kKey, 6, 4);
    CpuState& cpu = c.cpu;
    const unsigned rd = Low3(h, 0);
    const uint32_t a = cpu.r[rd];
    const uint32_t b = cpu.r[Low3(h, 3)];
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
template <unsigned kKey>
int HiRegOp(Core& c, uint32_t h)
{
    constexpr unsigned kOp = KeyField(kKey, 8, 2);
    CpuState& cpu = c.cpu;
    const unsigned rd = Low3(h, 0) | (KeyBit(kKey, 7) << 3);
    const unsigned rs = Low3(h, 3) | (KeyBit(kKey, 6) << 3);
    if constexpr (kOp == 0)
        cpu.SetReg(rd, cpu.r[rd] + cpu.r[rs]);
    else if constexpr (kOp == 1)
        Sub<true>(cpu, cpu.r[rd], cpu.r[rs], 1);
    else
        cpu.SetReg(rd, cpu.r[rs]);
    return kThumbHiReg;
}

template <unsigned kKey>
int HiRegBx(Core& c, uint32_t h)
{
    CpuState& cpu = c.cpu;
    const uint32_t target = cpu.r[Low3(h, 3) | (KeyBit(kKey, 6) << 3)];
    cpu.SetThumb(target & 1);
    cpu.WritePc(target);
    return kThumbHiReg;
}

int LoadPcRel(Core& c, uint32_t h)
{
    CpuState& cpu = c.cpu;
    const uint32_t addr = (cpu.r[kRegPc] & ~3u) + (h & 0xFFu) * 4;
    uint32_t v;
    if (!c.mem.Load(addr, cpu.mode, 4, v))
        return kDataAbort;
    cpu.SetReg(Low3(h, 8), v);
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

template <unsigned kKey>
int LoadStoreReg(Core& c, uint32_t h)
{
    const uint32_t addr = c.cpu.r[Low3(h, 3)] + c.cpu.r[Low3(h, 6)];
    return Transfer<KeyBit(kKey, 11), KeyBit(kKey, 10)>(c, Low3(h, 0), addr, kThumbTransferReg);
}

template <unsigned kKey>
int LoadStoreImm(Core& c, uint32_t h)
{
    constexpr bool kByte = KeyBit(kKey, 12);
    const uint32_t imm = (h >> 6) & 31;
    const uint32_t addr = c.cpu.r[Low3(h, 3)] + (kByte ? imm : imm * 4);
    return Transfer<KeyBit(kKey, 11), kByte>(c, Low3(h, 0), addr, kThumbTransferImm);
}

template <unsigned kKey>
int LoadStoreSpRel(Core& c, uint32_t h)
{
    const uint32_t addr = c.cpu.r[kRegSp] + (h & 0xFFu) * 4;
    return Transfer<KeyBit(kKey, 11), false>(c, Low3(h, 8), addr, kThumbSpRel);
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

template <unsigned kKey>
int LoadStoreSignedReg(Core& c, uint32_t h)
{
    const uint32_t addr = c.cpu.r[Low3(h, 3)] + c.cpu.r[Low3(h, 6)];
    return TransferHalf<KeyField(kKey, 10, 2)>(c, Low3(h, 0), addr, kThumbHalfSignedReg);
}

template <unsigned kKey>
int LoadStoreHalfImm(Core& c, uint32_t h)
{
    const uint32_t addr = c.cpu.r[Low3(h, 3)] + ((h >> 6) & 31) * 2;
    return TransferHalf < KeyBit(kKey, 11) ? 2 : 0 > (c, Low3(h, 0), addr, kThumbHalfImm);
}

template <unsigned kKey>
int LoadAddress(Core& c, uint32_t h)
{
    CpuState& cpu = c.cpu;
    const uint32_t base = KeyBit(kKey, 11) ? cpu.r[kRegSp] : (cpu.r[kRegPc] & ~3u);
    cpu.SetReg(Low3(h, 8), base + (h & 0xFFu) * 4);
    return kThumbLoadAddress;
}

template <unsigned kKey>
int AdjustSp(Core& c, uint32_t h)
{
    CpuState& cpu = c.cpu;
    const uint32_t imm = (h & 0x7Fu) * 4;
    cpu.SetReg(kRegSp, KeyBit(kKey, 7) ? cpu.r[kRegSp] - imm : cpu.r[kRegSp] + imm);
    return kThumbAdjustSp;
}

template <unsigned kKey>
int PushPop(Core& c, uint32_t h)
{
    constexpr bool kPop = KeyBit(kKey, 11);
    constexpr bool kExtra = KeyBit(kKey, 8);  // LR for PUSH, PC for POP
    CpuState& cpu = c.cpu;
    uint32_t list = h & 0xFFu;
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

template <unsigned kKey>
int LoadStoreMultiple(Core& c, uint32_t h)
{
    constexpr bool kLoad = KeyBit(kKey, 11);
    CpuState& cpu = c.cpu;
    const unsigned rb = Low3(h, 8);
    uint32_t list = h & 0xFFu;
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

template <unsigned kKey>
int CondBranch(Core& c, uint32_t h)
{
    constexpr unsigned kCond = KeyField(kKey, 8, 4);
    CpuState& cpu = c.cpu;
    if (ConditionPasses(kCond, cpu.cpsr)) {
        cpu.WritePc(cpu.r[kRegPc] + (SignExtend(h & 0xFFu, 8) << 1));
    }
    return kThumbCondBranch;
}

int Branch(Core& c, uint32_t h)
{
    CpuState& cpu = c.cpu;
    cpu.WritePc(cpu.r[kRegPc] + (SignExtend(h & 0x7FFu, 11) << 1));
    return kThumbBranch;
}

int BlFirst(Core& c, uint32_t h)
{
    CpuState& cpu = c.cpu;
    cpu.SetReg(kRegLr, cpu.r[kRegPc] + (SignExtend(h & 0x7FFu, 11) << 12));
    return kThumbBlFirst;
}

int BlSecond(Core& c, uint32_t h)
{
    CpuState& cpu = c.cpu;
    const uint32_t target = cpu.r[kRegLr] + (h & 0x7FFu) * 2;
    cpu.SetReg(kRegLr, cpu.nextPc | 1);
    cpu.WritePc(target);
    return kThumbBlSecond;
}

constexpr unsigned CanonicalKey(ThumbKind kind, unsigned key)
{
    switch (kind) {
    case ThumbKind::ShiftImm:
    case ThumbKind::MovCmpAddSubImm:
    case ThumbKind::LoadStoreImm:
    case ThumbKind::LoadStoreHalfImm:
    case ThumbKind::LoadStoreSpRel:
    case ThumbKind::LoadAddress:
    case ThumbKind::LoadStoreMultiple: return key & 0x3E0;  // bits 11-15
    case ThumbKind::AddSubReg:
    case ThumbKind::AddSubImm:
    case ThumbKind::LoadStoreReg:
    case ThumbKind::LoadStoreSignedReg: return key & 0x3F8;  // bits 9-15
    case ThumbKind::Alu:
    case ThumbKind::HiRegOp:
    case ThumbKind::HiRegBx: return key;
    case ThumbKind::AdjustSp: return key & 0x3FE;  // bits 7-15
    case ThumbKind::PushPop:
    case ThumbKind::CondBranch: return key & 0x3FC;  // bits 8-15
    default: return 0;
    }
}

template <ThumbKind kKind, unsigned kKey>
int ThumbImpl(Core& c, uint32_t h)
{
    if constexpr (kKind == ThumbKind::ShiftImm)
        return ShiftImm<kKey>(c, h);
    else if constexpr (kKind == ThumbKind::AddSubReg || kKind == ThumbKind::AddSubImm)
        return AddSub<kKey>(c, h);
    else if constexpr (kKind == ThumbKind::MovCmpAddSubImm)
        return MovCmpAddSubImm<kKey>(c, h);
    else if constexpr (kKind == ThumbKind::Alu)
        return Alu<kKey>(c, h);
    else if constexpr (kKind == ThumbKind::HiRegOp)
        return HiRegOp<kKey>(c, h);
    else if constexpr (kKind == ThumbKind::HiRegBx)
        return HiRegBx<kKey>(c, h);
    else if constexpr (kKind == ThumbKind::LoadPcRel)
        return LoadPcRel(c, h);
    else if constexpr (kKind == ThumbKind::LoadStoreReg)
        return LoadStoreReg<kKey>(c, h);
    else if constexpr (kKind == ThumbKind::LoadStoreSignedReg)
        return LoadStoreSignedReg<kKey>(c, h);
    else if constexpr (kKind == ThumbKind::LoadStoreImm)
        return LoadStoreImm<kKey>(c, h);
    else if constexpr (kKind == ThumbKind::LoadStoreHalfImm)
        return LoadStoreHalfImm<kKey>(c, h);
    else if constexpr (kKind == ThumbKind::LoadStoreSpRel)
        return LoadStoreSpRel<kKey>(c, h);
    else if constexpr (kKind == ThumbKind::LoadAddress)
        return LoadAddress<kKey>(c, h);
    else if constexpr (kKind == ThumbKind::AdjustSp)
        return AdjustSp<kKey>(c, h);
    else if constexpr (kKind == ThumbKind::PushPop)
        return PushPop<kKey>(c, h);
    else if constexpr (kKind == ThumbKind::LoadStoreMultiple)
        return LoadStoreMultiple<kKey>(c, h);
    else if constexpr (kKind == ThumbKind::CondBranch)
        return CondBranch<kKey>(c, h);
    else if constexpr (kKind == ThumbKind::Swi)
        return kSwi;
    else if constexpr (kKind == ThumbKind::Branch)
        return Branch(c, h);
    else if constexpr (kKind == ThumbKind::BlPrefix)
        return BlFirst(c, h);
    else if constexpr (kKind == ThumbKind::BlSuffix)
        return BlSecond(c, h);
    else
        return kUndefined;
}

template <unsigned kKey>
constexpr ThumbHandler ThumbHandlerFor()
{
    constexpr ThumbKind kind = kThumbRows[armdecode::ThumbRowIndexForKey(kKey)].kind;
    return &ThumbImpl<kind, CanonicalKey(kind, kKey)>;
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

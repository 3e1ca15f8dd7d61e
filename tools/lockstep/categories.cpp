#include "categories.h"

#include <bit>

#include "armdecode/arm_decode.h"

namespace zk::tools {

namespace {

using armdecode::ArmKind;
using armdecode::FieldId;
using armdecode::ThumbKind;

// r15 reads the instruction's address + 8 in ARM state, + 4 in Thumb state.
uint32_t ArmReg(const sim::CpuState& cpu, unsigned n)
{
    return n == 15 ? cpu.pc + 8 : cpu.r[n];
}

// The offset of a shift by an immediate amount (the same shifter as the executor).
uint32_t ShiftedOffset(const sim::CpuState& cpu, uint32_t rm, unsigned type, unsigned amount)
{
    const uint32_t c = (cpu.cpsr >> 29) & 1;
    switch (type) {
    case 0: return amount ? rm << amount : rm;
    case 1: return amount ? rm >> amount : 0;
    case 2: return static_cast<uint32_t>(static_cast<int32_t>(rm) >> (amount ? amount : 31));
    default: return amount ? std::rotr(rm, static_cast<int>(amount)) : (c << 31) | (rm >> 1);
    }
}

CategorySet ClassifyArm(const sim::CpuState& cpu, uint32_t word)
{
    const unsigned cond = word >> 28;
    if (cond == 0xF)
        return word == sim::kBreakWord ? 0 : Bit(Category::NvCondition);
    if (!armdecode::ConditionHolds(cond, cpu.cpsr >> 28))
        return 0;
    const armdecode::ArmRow& row = armdecode::DecodeArm(word);
    auto f = [&](FieldId id) { return armdecode::Field(row, word, id); };
    switch (row.kind) {
    case ArmKind::DataProcessing:
        if (!f(FieldId::ImmediateForm) && f(FieldId::RegisterShift) && (f(FieldId::Rm) == 15 || f(FieldId::Rn) == 15))
            return Bit(Category::ShiftedPcRead);
        return 0;
    case ArmKind::SingleTransferImm:
    case ArmKind::SingleTransferReg: {
        if (!f(FieldId::Load))
            return f(FieldId::Rd) == 15 ? Bit(Category::StorePc) : 0;
        if (f(FieldId::Byte))
            return 0;
        uint32_t offset = f(FieldId::Imm);
        if (row.kind == ArmKind::SingleTransferReg) {
            offset = ShiftedOffset(cpu, ArmReg(cpu, f(FieldId::Rm)), f(FieldId::ShiftType), f(FieldId::ShiftAmount));
        }
        const uint32_t base = ArmReg(cpu, f(FieldId::Rn));
        const uint32_t addr = !f(FieldId::PreIndex) ? base : f(FieldId::Up) ? base + offset : base - offset;
        return (addr & 3) ? Bit(Category::UnalignedWord) : 0;
    }
    case ArmKind::HalfwordImm:
    case ArmKind::HalfwordReg: {
        if (!f(FieldId::Load))
            return f(FieldId::Rd) == 15 ? Bit(Category::StorePc) : 0;
        if (f(FieldId::SignedHalf) == 2)
            return 0;  // LDRSB
        const uint32_t offset = row.kind == ArmKind::HalfwordImm ? (f(FieldId::ImmHigh) << 4) | f(FieldId::ImmLow)
                                                                 : ArmReg(cpu, f(FieldId::Rm));
        const uint32_t base = ArmReg(cpu, f(FieldId::Rn));
        const uint32_t addr = !f(FieldId::PreIndex) ? base : f(FieldId::Up) ? base + offset : base - offset;
        return (addr & 1) ? Bit(Category::UnalignedHalf) : 0;
    }
    case ArmKind::BlockTransfer:
        return (!f(FieldId::Load) && (f(FieldId::RegisterList) & 0x8000)) ? Bit(Category::StorePc) : 0;
    default: return 0;
    }
}

CategorySet ClassifyThumb(const sim::CpuState& cpu, uint32_t h)
{
    const armdecode::ThumbRow& row = armdecode::DecodeThumb(static_cast<uint16_t>(h));
    auto f = [&](FieldId id) { return armdecode::Field(row, static_cast<uint16_t>(h), id); };
    switch (row.kind) {
    case ThumbKind::LoadStoreReg:
        if (f(FieldId::Load) && !f(FieldId::Byte) && ((cpu.r[f(FieldId::Rb)] + cpu.r[f(FieldId::Ro)]) & 3))
            return Bit(Category::UnalignedWord);
        return 0;
    case ThumbKind::LoadStoreImm:
        if (f(FieldId::Load) && !f(FieldId::Byte) && (cpu.r[f(FieldId::Rb)] & 3))
            return Bit(Category::UnalignedWord);
        return 0;
    case ThumbKind::LoadStoreSpRel: return (f(FieldId::Load) && (cpu.r[13] & 3)) ? Bit(Category::UnalignedWord) : 0;
    case ThumbKind::LoadStoreSignedReg:
        if (f(FieldId::Opcode) >= 2 && ((cpu.r[f(FieldId::Rb)] + cpu.r[f(FieldId::Ro)]) & 1))
            return Bit(Category::UnalignedHalf);
        return 0;
    case ThumbKind::LoadStoreHalfImm:
        return (f(FieldId::Load) && (cpu.r[f(FieldId::Rb)] & 1)) ? Bit(Category::UnalignedHalf) : 0;
    default: return 0;
    }
}

}  // namespace

CategorySet Classify(const sim::Simulator& sim)
{
    const sim::CpuState& cpu = sim.Cpu();
    const sim::SparseStore& store = sim.Memory().Store();
    if (cpu.thumb)
        return ClassifyThumb(cpu, store.Read(cpu.pc, 2));
    return ClassifyArm(cpu, store.Read(cpu.pc, 4));
}

}  // namespace zk::tools

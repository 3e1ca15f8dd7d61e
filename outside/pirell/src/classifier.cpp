#include "classifier.h"

#include "armdecode/arm_decode.h"

namespace pirell {

namespace {

using zk::armdecode::ArmKind;
using zk::armdecode::ArmRow;
using zk::armdecode::Field;
using zk::armdecode::FieldId;
using zk::armdecode::ThumbKind;
using zk::armdecode::ThumbRow;

constexpr uint32_t kSp = 13, kLr = 14, kPc = 15;
constexpr uint32_t kOpMov = 13;

// A branch offset field, sign-extended from the width the row's layout
// gives it.
template <class Row>
uint32_t SignedField(const Row& row, uint32_t instruction, FieldId id)
{
    const zk::armdecode::FieldSpec spec = zk::armdecode::FindField(row.fields, id);
    const uint32_t sign = 1u << (spec.width - 1);
    return (zk::armdecode::ExtractBits(instruction, spec.lsb, spec.width) ^ sign) - sign;
}

// "mov rd, rm" with the register operand unshifted (LSL #0).
bool ArmMovesRegister(const ArmRow& row, uint32_t word, uint32_t rd, uint32_t rm)
{
    auto f = [&](FieldId id) { return Field(row, word, id); };
    return row.kind == ArmKind::DataProcessing && !f(FieldId::ImmediateForm) && f(FieldId::Opcode) == kOpMov &&
        f(FieldId::Rd) == rd && f(FieldId::Rm) == rm && !f(FieldId::RegisterShift) && f(FieldId::ShiftAmount) == 0 &&
        f(FieldId::ShiftType) == 0;
}

// "mov lr, pc": LR takes the address of the instruction after the next one,
// the return address of a branch to a register that follows.
bool ArmSetsReturnAddress(uint32_t word)
{
    return ArmMovesRegister(zk::armdecode::DecodeArm(word), word, kLr, kPc);
}

// A load of `reg` from the stack that pops it: ldm sp! with reg in the list,
// or ldr reg, [sp], #4.
bool ArmPops(uint32_t word, uint32_t reg)
{
    const auto& row = zk::armdecode::DecodeArm(word);
    if (row.kind == ArmKind::BlockTransfer)
        return Field(row, word, FieldId::Load) && Field(row, word, FieldId::Rn) == kSp &&
            Field(row, word, FieldId::WriteBack) && (Field(row, word, FieldId::RegisterList) >> reg & 1u);
    if (row.kind == ArmKind::SingleTransferImm)
        return Field(row, word, FieldId::Load) && Field(row, word, FieldId::Rn) == kSp &&
            Field(row, word, FieldId::Rd) == reg && !Field(row, word, FieldId::PreIndex) &&
            Field(row, word, FieldId::Up) && !Field(row, word, FieldId::Byte) && Field(row, word, FieldId::Imm) == 4;
    return false;
}

// An instruction that writes the PC other than a branch or BX: a call when
// "mov lr, pc" came before, a return when it takes the link register or a
// word from the stack, else a branch.
Classified PcWrite(bool isReturn, std::optional<uint32_t> previous)
{
    if (previous && ArmSetsReturnAddress(*previous))
        return {DAD_KIND_CALL, 4, DAD_TARGET_UNKNOWN};
    return {isReturn ? DAD_KIND_RETURN : DAD_KIND_BRANCH, 4, DAD_TARGET_UNKNOWN};
}

// The full register numbers of the high-register format: H1 and H2 are
// bit 3 of Rd and Rs.
uint32_t HighRd(const ThumbRow& row, uint16_t h)
{
    return Field(row, h, FieldId::HighRd) << 3 | Field(row, h, FieldId::Rd);
}
uint32_t HighRs(const ThumbRow& row, uint16_t h)
{
    return Field(row, h, FieldId::HighRs) << 3 | Field(row, h, FieldId::Rs);
}

// "mov lr, pc", as in ARM code.
bool ThumbSetsReturnAddress(uint16_t h)
{
    const auto& row = zk::armdecode::DecodeThumb(h);
    return row.kind == ThumbKind::HiRegOp && Field(row, h, FieldId::Opcode) == 2 && HighRd(row, h) == kLr &&
        HighRs(row, h) == kPc;
}

bool ThumbPops(uint16_t h, uint32_t reg)
{
    const auto& row = zk::armdecode::DecodeThumb(h);
    return row.kind == ThumbKind::PushPop && Field(row, h, FieldId::Load) && reg < 8 &&
        (Field(row, h, FieldId::RegisterList) >> reg & 1u);
}

// The first half carries the offset's signed high part, the second its
// low part in halfwords.
uint32_t BlTarget(uint32_t prefixAddress, uint16_t prefix, uint16_t suffix)
{
    const uint32_t high = SignedField(zk::armdecode::DecodeThumb(prefix), prefix, FieldId::Imm) << 12;
    return prefixAddress + 4 + high + (Field(zk::armdecode::DecodeThumb(suffix), suffix, FieldId::Imm) << 1);
}

}  // namespace

std::optional<uint32_t> ArmBxRegister(uint32_t word)
{
    const auto& row = zk::armdecode::DecodeArm(word);
    if (row.kind != ArmKind::Bx)
        return std::nullopt;
    return Field(row, word, FieldId::Rm);
}

std::optional<uint32_t> ThumbBxRegister(uint16_t h)
{
    const auto& row = zk::armdecode::DecodeThumb(h);
    if (row.kind != ThumbKind::HiRegBx)
        return std::nullopt;
    return HighRs(row, h);
}

Classified ClassifyArm(uint32_t word, uint32_t address, std::optional<uint32_t> previous)
{
    const auto& row = zk::armdecode::DecodeArm(word);
    auto f = [&](FieldId id) { return Field(row, word, id); };
    switch (row.kind) {
    case ArmKind::Branch: {
        // The offset counts in words from the instruction's address + 8.
        const uint32_t target = address + 8 + (SignedField(row, word, FieldId::Imm) << 2);
        return {f(FieldId::Link) ? DAD_KIND_CALL : DAD_KIND_BRANCH, 4, target};
    }
    case ArmKind::Bx: {
        const uint32_t rm = f(FieldId::Rm);
        if (rm == kLr)
            return {DAD_KIND_RETURN, 4, DAD_TARGET_UNKNOWN};
        if (previous && ArmPops(*previous, rm))
            return {DAD_KIND_RETURN, 4, DAD_TARGET_UNKNOWN};
        return PcWrite(false, previous);
    }
    case ArmKind::DataProcessing: {
        const uint32_t op = f(FieldId::Opcode);
        // TST, TEQ, CMP and CMN write no register.
        if (f(FieldId::Rd) != kPc || (op >= 8 && op <= 11))
            return {};
        return PcWrite(ArmMovesRegister(row, word, kPc, kLr), previous);
    }
    case ArmKind::SingleTransferImm:
    case ArmKind::SingleTransferReg:
        if (!f(FieldId::Load) || f(FieldId::Rd) != kPc)
            return {};
        return PcWrite(ArmPops(word, kPc), previous);
    case ArmKind::BlockTransfer:
        if (!f(FieldId::Load) || !(f(FieldId::RegisterList) >> kPc & 1u))
            return {};
        return PcWrite(true, previous);
    default: return {};
    }
}

Classified ClassifyThumb(uint16_t h, std::optional<uint16_t> next, uint32_t address, std::optional<uint16_t> previous)
{
    const auto& row = zk::armdecode::DecodeThumb(h);
    auto f = [&](FieldId id) { return Field(row, h, id); };
    switch (row.kind) {
    case ThumbKind::BlPrefix:
        // The first half only sets LR; with its second half it is the call.
        if (next && zk::armdecode::DecodeThumb(*next).kind == ThumbKind::BlSuffix)
            return {DAD_KIND_CALL, 4, BlTarget(address, h, *next)};
        return {DAD_KIND_PLAIN, 2, DAD_TARGET_UNKNOWN};
    case ThumbKind::BlSuffix: {
        const bool afterPrefix = previous && zk::armdecode::DecodeThumb(*previous).kind == ThumbKind::BlPrefix;
        return {DAD_KIND_CALL, 2, afterPrefix ? BlTarget(address - 2, *previous, h) : DAD_TARGET_UNKNOWN};
    }
    case ThumbKind::CondBranch: return {DAD_KIND_BRANCH, 2, address + 4 + (SignedField(row, h, FieldId::Imm) << 1)};
    case ThumbKind::Branch: return {DAD_KIND_BRANCH, 2, address + 4 + (SignedField(row, h, FieldId::Imm) << 1)};
    case ThumbKind::HiRegBx: {
        const uint32_t rs = HighRs(row, h);
        if (rs == kLr || (previous && ThumbPops(*previous, rs)))
            return {DAD_KIND_RETURN, 2, DAD_TARGET_UNKNOWN};
        if (previous && ThumbSetsReturnAddress(*previous))
            return {DAD_KIND_CALL, 2, DAD_TARGET_UNKNOWN};
        return {DAD_KIND_BRANCH, 2, DAD_TARGET_UNKNOWN};
    }
    case ThumbKind::HiRegOp: {
        const uint32_t rd = HighRd(row, h);
        const uint32_t rs = HighRs(row, h);
        const uint32_t op = f(FieldId::Opcode);
        if (rd != kPc || op == 1)  // CMP writes no register
            return {DAD_KIND_PLAIN, 2, DAD_TARGET_UNKNOWN};
        if (op == 2 && rs == kLr)
            return {DAD_KIND_RETURN, 2, DAD_TARGET_UNKNOWN};
        if (previous && ThumbSetsReturnAddress(*previous))
            return {DAD_KIND_CALL, 2, DAD_TARGET_UNKNOWN};
        return {DAD_KIND_BRANCH, 2, DAD_TARGET_UNKNOWN};
    }
    case ThumbKind::PushPop:
        if (f(FieldId::Load) && f(FieldId::PcOrLr))
            return {DAD_KIND_RETURN, 2, DAD_TARGET_UNKNOWN};
        return {DAD_KIND_PLAIN, 2, DAD_TARGET_UNKNOWN};
    default: return {DAD_KIND_PLAIN, 2, DAD_TARGET_UNKNOWN};
    }
}

}  // namespace pirell

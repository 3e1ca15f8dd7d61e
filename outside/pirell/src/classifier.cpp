#include "classifier.h"

#include "armdecode/arm_decode.h"

namespace pirell {

namespace {

using zk::armdecode::ArmKind;
using zk::armdecode::FieldId;
using zk::armdecode::ThumbKind;

constexpr uint32_t kSp = 13, kLr = 14, kPc = 15;
constexpr uint32_t kOpMov = 13;

uint32_t SignExtend(uint32_t value, unsigned bits)
{
    const uint32_t sign = 1u << (bits - 1);
    return (value ^ sign) - sign;
}

// "mov lr, pc": LR takes the address of the instruction after the next one,
// the return address of a branch to a register that follows.
bool ArmSetsReturnAddress(uint32_t word)
{
    const auto& row = zk::armdecode::DecodeArm(word);
    using zk::armdecode::Field;
    return row.kind == ArmKind::DataProcessing && Field(row, word, FieldId::ImmediateForm) == 0 &&
           Field(row, word, FieldId::Opcode) == kOpMov && Field(row, word, FieldId::Rd) == kLr &&
           Field(row, word, FieldId::Rm) == kPc && Field(row, word, FieldId::RegisterShift) == 0 &&
           Field(row, word, FieldId::ShiftAmount) == 0 && Field(row, word, FieldId::ShiftType) == 0;
}

// A load of `reg` from the stack that pops it: ldm sp! with reg in the list,
// or ldr reg, [sp], #4.
bool ArmPops(uint32_t word, uint32_t reg)
{
    const auto& row = zk::armdecode::DecodeArm(word);
    using zk::armdecode::Field;
    if (row.kind == ArmKind::BlockTransfer)
        return Field(row, word, FieldId::Load) && Field(row, word, FieldId::Rn) == kSp &&
               Field(row, word, FieldId::WriteBack) && (Field(row, word, FieldId::RegisterList) >> reg & 1u);
    if (row.kind == ArmKind::SingleTransferImm)
        return Field(row, word, FieldId::Load) && Field(row, word, FieldId::Rn) == kSp &&
               Field(row, word, FieldId::Rd) == reg && !Field(row, word, FieldId::PreIndex) &&
               Field(row, word, FieldId::Up) && !Field(row, word, FieldId::Byte) &&
               Field(row, word, FieldId::Imm) == 4;
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

bool ThumbSetsReturnAddress(uint16_t h)
{
    const auto& row = zk::armdecode::DecodeThumb(h);
    using zk::armdecode::Field;
    return row.kind == ThumbKind::HiRegOp && Field(row, h, FieldId::Opcode) == 2 &&
           (Field(row, h, FieldId::HighRd) << 3 | Field(row, h, FieldId::Rd)) == kLr &&
           (Field(row, h, FieldId::HighRs) << 3 | Field(row, h, FieldId::Rs)) == kPc;
}

bool ThumbPops(uint16_t h, uint32_t reg)
{
    const auto& row = zk::armdecode::DecodeThumb(h);
    using zk::armdecode::Field;
    return row.kind == ThumbKind::PushPop && Field(row, h, FieldId::Load) && reg < 8 &&
           (Field(row, h, FieldId::RegisterList) >> reg & 1u);
}

uint32_t BlTarget(uint32_t prefixAddress, uint16_t prefix, uint16_t suffix)
{
    const uint32_t high = SignExtend(prefix & 0x7FFu, 11) << 12;
    return prefixAddress + 4 + high + ((suffix & 0x7FFu) << 1);
}

}  // namespace

std::optional<uint32_t> ArmBxRegister(uint32_t word)
{
    const auto& row = zk::armdecode::DecodeArm(word);
    if (row.kind != ArmKind::Bx)
        return std::nullopt;
    return zk::armdecode::Field(row, word, FieldId::Rm);
}

std::optional<uint32_t> ThumbBxRegister(uint16_t h)
{
    const auto& row = zk::armdecode::DecodeThumb(h);
    if (row.kind != ThumbKind::HiRegBx)
        return std::nullopt;
    using zk::armdecode::Field;
    return Field(row, h, FieldId::HighRs) << 3 | Field(row, h, FieldId::Rs);
}

Classified ClassifyArm(uint32_t word, uint32_t address, std::optional<uint32_t> previous)
{
    const auto& row = zk::armdecode::DecodeArm(word);
    using zk::armdecode::Field;
    auto f = [&](FieldId id) { return Field(row, word, id); };
    switch (row.kind) {
    case ArmKind::Branch: {
        // The offset counts in words from the instruction's address + 8.
        const uint32_t target = address + 8 + (SignExtend(f(FieldId::Imm), 24) << 2);
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
        const bool fromLr = op == kOpMov && !f(FieldId::ImmediateForm) && f(FieldId::Rm) == kLr &&
                            !f(FieldId::RegisterShift) && f(FieldId::ShiftAmount) == 0 && f(FieldId::ShiftType) == 0;
        return PcWrite(fromLr, previous);
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
    default:
        return {};
    }
}

Classified ClassifyThumb(uint16_t h, std::optional<uint16_t> next, uint32_t address, std::optional<uint16_t> previous)
{
    const auto& row = zk::armdecode::DecodeThumb(h);
    using zk::armdecode::Field;
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
    case ThumbKind::CondBranch:
        return {DAD_KIND_BRANCH, 2, address + 4 + (SignExtend(f(FieldId::Imm), 8) << 1)};
    case ThumbKind::Branch:
        return {DAD_KIND_BRANCH, 2, address + 4 + (SignExtend(f(FieldId::Imm), 11) << 1)};
    case ThumbKind::HiRegBx: {
        const uint32_t rs = f(FieldId::HighRs) << 3 | f(FieldId::Rs);
        if (rs == kLr || (previous && ThumbPops(*previous, rs)))
            return {DAD_KIND_RETURN, 2, DAD_TARGET_UNKNOWN};
        if (previous && ThumbSetsReturnAddress(*previous))
            return {DAD_KIND_CALL, 2, DAD_TARGET_UNKNOWN};
        return {DAD_KIND_BRANCH, 2, DAD_TARGET_UNKNOWN};
    }
    case ThumbKind::HiRegOp: {
        const uint32_t rd = f(FieldId::HighRd) << 3 | f(FieldId::Rd);
        const uint32_t rs = f(FieldId::HighRs) << 3 | f(FieldId::Rs);
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
    default:
        return {DAD_KIND_PLAIN, 2, DAD_TARGET_UNKNOWN};
    }
}

}  // namespace pirell

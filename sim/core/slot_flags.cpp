// Which decoded instructions a run may step over without looking at the next
// PC: every field is read through the encoding rows' layouts.
#include "armdecode/arm_decode.h"
#include "simcore/decoded_page.h"
#include "simcore/exec_codes.h"

namespace zk::sim {

namespace {

using armdecode::ArmKind;
using armdecode::Field;
using armdecode::FieldId;
using armdecode::ThumbKind;

constexpr uint32_t kPcRegister = 15;

bool ArmStraight(uint32_t word)
{
    const armdecode::ArmRow& row = armdecode::DecodeArm(word);
    const auto field = [&](FieldId id) { return Field(row, word, id); };
    switch (row.kind) {
    case ArmKind::DataProcessing: {
        // TST, TEQ, CMP and CMN (opcodes 8-11) write no register.
        const uint32_t op = field(FieldId::Opcode);
        return (op >= 8 && op <= 11) || field(FieldId::Rd) != kPcRegister;
    }
    case ArmKind::Multiply:
    case ArmKind::Swap:
    case ArmKind::Mrs: return field(FieldId::Rd) != kPcRegister;
    case ArmKind::MultiplyLong: return field(FieldId::RdHi) != kPcRegister && field(FieldId::RdLo) != kPcRegister;
    case ArmKind::HalfwordImm:
    case ArmKind::HalfwordReg:
    case ArmKind::SingleTransferImm:
    case ArmKind::SingleTransferReg:
        // Write-back into r15 is never done; only a load into r15 branches.
        return !field(FieldId::Load) || field(FieldId::Rd) != kPcRegister;
    case ArmKind::BlockTransfer: return !field(FieldId::Load) || !(field(FieldId::RegisterList) & (1u << kPcRegister));
    default: return false;  // branches, status writes, coprocessor, SWI, undefined
    }
}

bool ThumbStraight(uint32_t halfword)
{
    const auto h = static_cast<uint16_t>(halfword);
    const armdecode::ThumbRow& row = armdecode::DecodeThumb(h);
    const auto field = [&](FieldId id) { return Field(row, h, id); };
    switch (row.kind) {
    case ThumbKind::ShiftImm:
    case ThumbKind::AddSubReg:
    case ThumbKind::AddSubImm:
    case ThumbKind::MovCmpAddSubImm:
    case ThumbKind::Alu:
    case ThumbKind::LoadPcRel:
    case ThumbKind::LoadStoreReg:
    case ThumbKind::LoadStoreSignedReg:
    case ThumbKind::LoadStoreImm:
    case ThumbKind::LoadStoreHalfImm:
    case ThumbKind::LoadStoreSpRel:
    case ThumbKind::LoadAddress:
    case ThumbKind::AdjustSp:
    case ThumbKind::LoadStoreMultiple:
    case ThumbKind::BlPrefix: return true;
    case ThumbKind::HiRegOp: {
        // ADD (0) and MOV (2) write Rd; CMP (1) writes only the flags.
        const uint32_t rd = (field(FieldId::HighRd) << 3) | field(FieldId::Rd);
        return field(FieldId::Opcode) == 1 || rd != kPcRegister;
    }
    case ThumbKind::PushPop: return !(field(FieldId::Load) && field(FieldId::PcOrLr));
    default: return false;  // branches, BX, the BL's second half, SWI, undefined
    }
}

}  // namespace

uint8_t ArmSlotFlags(uint32_t word)
{
    if (word == kNormalEndWord || word == kBreakWord)
        return 0;
    return kSlotRunnable | (ArmStraight(word) ? kSlotStraight : 0);
}

uint8_t ThumbSlotFlags(uint32_t halfword)
{
    // The break halfword may be the second half of a BL; the full pass decides.
    if (halfword == kBreakHalfword)
        return 0;
    return kSlotRunnable | (ThumbStraight(halfword) ? kSlotStraight : 0);
}

}  // namespace zk::sim

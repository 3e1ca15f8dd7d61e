// The shared decoder: table lookups agree with the first-match walk over the
// rows, and sample encodings land in the right rows.
#include <gtest/gtest.h>

#include <random>

#include "armdecode/arm_decode.h"

namespace zk::armdecode {
namespace {

TEST(ArmDecode, TableLookupAgreesWithFirstMatchForEveryKey)
{
    std::mt19937 rng(1234);
    for (unsigned key = 0; key < 4096; ++key) {
        for (int i = 0; i < 64; ++i) {
            const uint32_t word = (rng() & ~kArmKeyMask) | ArmKeyWord(key);
            ASSERT_EQ(DecodeArmIndex(word), ArmRowIndexSlow(word)) << std::hex << word;
        }
    }
}

struct ArmSample {
    uint32_t word;
    ArmKind kind;
    const char* text;
};

TEST(ArmDecode, SampleEncodings)
{
    const ArmSample samples[] = {
        {0xE12FFF1E, ArmKind::Bx, "bx lr"},
        {0xE12FFF10, ArmKind::Bx, "bx r0"},
        {0xE0000291, ArmKind::Multiply, "mul r0, r1, r2"},
        {0xE0230291, ArmKind::Multiply, "mla r3, r1, r2, r0"},
        {0xE0810392, ArmKind::MultiplyLong, "umull r0, r1, r2, r3"},
        {0xE1010092, ArmKind::Swap, "swp r0, r2, [r1]"},
        {0xE1D000B0, ArmKind::HalfwordImm, "ldrh r0, [r0]"},
        {0xE19100B2, ArmKind::HalfwordReg, "ldrh r0, [r1, r2]"},
        {0xE1C000D0, ArmKind::Invalid, "ldrd (not ARMv4)"},
        {0xE19000F1 | 0x100, ArmKind::Invalid, "register halfword with bits 8-11 set"},
        {0xE10F0000, ArmKind::Mrs, "mrs r0, cpsr"},
        {0xE14F0000, ArmKind::Mrs, "mrs r0, spsr"},
        {0xE10F0001, ArmKind::Invalid, "mrs with bits 0-11 set"},
        {0xE129F000, ArmKind::MsrReg, "msr cpsr_fc, r0"},
        {0xE328F20F, ArmKind::MsrImm, "msr cpsr_f, #0xF0000000"},
        {0xE1200000, ArmKind::Invalid, "msr with bits 12-15 clear"},
        {0xE1400001, ArmKind::Invalid, "cmp without S"},
        {0xE3500001, ArmKind::DataProcessing, "cmp r0, #1"},
        {0xE1A00000, ArmKind::DataProcessing, "nop"},
        {0xE0810312, ArmKind::DataProcessing, "add r0, r1, r2, lsl r3"},
        {0xE5910004, ArmKind::SingleTransferImm, "ldr r0, [r1, #4]"},
        {0xE7910102, ArmKind::SingleTransferReg, "ldr r0, [r1, r2, lsl #2]"},
        {0xE7F000F0, ArmKind::UndefinedSpace, "udf"},
        {0xE8BD8010, ArmKind::BlockTransfer, "ldmia sp!, {r4, pc}"},
        {0xEAFFFFFE, ArmKind::Branch, "b ."},
        {0xEB000000, ArmKind::Branch, "bl"},
        {0xED900000, ArmKind::CoprocTransfer, "ldc"},
        {0xEE000000, ArmKind::CoprocDataOp, "cdp"},
        {0xEE110F10, ArmKind::CoprocRegister, "mrc p15, 0, r0, c1, c0, 0"},
        {0xEF000011, ArmKind::Swi, "swi 0x11"},
    };
    for (const ArmSample& s : samples)
        EXPECT_EQ(DecodeArm(s.word).kind, s.kind) << s.text;
}

TEST(ArmDecode, FieldsComeFromTheRowLayout)
{
    const uint32_t word = 0xE0910312;  // adds r0, r1, r2, lsl r3
    const ArmRow& row = DecodeArm(word);
    EXPECT_EQ(Field(row, word, FieldId::Opcode), 4u);
    EXPECT_EQ(Field(row, word, FieldId::SetFlags), 1u);
    EXPECT_EQ(Field(row, word, FieldId::Rn), 1u);
    EXPECT_EQ(Field(row, word, FieldId::Rd), 0u);
    EXPECT_EQ(Field(row, word, FieldId::Rs), 3u);
    EXPECT_EQ(Field(row, word, FieldId::Rm), 2u);
    EXPECT_EQ(Field(row, word, FieldId::RegisterShift), 1u);
    EXPECT_EQ(Field(row, word, FieldId::Cond), 14u);
    EXPECT_FALSE(HasField(row.fields, FieldId::RegisterList));
}

struct ThumbSample {
    uint16_t halfword;
    ThumbKind kind;
    const char* text;
};

TEST(ThumbDecode, SampleEncodings)
{
    const ThumbSample samples[] = {
        {0x0048, ThumbKind::ShiftImm, "lsls r0, r1, #1"},
        {0x1888, ThumbKind::AddSubReg, "adds r0, r1, r2"},
        {0x1C08, ThumbKind::AddSubImm, "adds r0, r1, #0"},
        {0x2005, ThumbKind::MovCmpAddSubImm, "movs r0, #5"},
        {0x4248, ThumbKind::Alu, "negs r0, r1"},
        {0x4448, ThumbKind::HiRegOp, "add r0, r9"},
        {0x4408, ThumbKind::Invalid, "add r0, r1 in the high-register format"},
        {0x46C8, ThumbKind::HiRegOp, "mov r8, r9"},
        {0x4770, ThumbKind::HiRegBx, "bx lr"},
        {0x47F0, ThumbKind::Invalid, "bx with H1"},
        {0x4801, ThumbKind::LoadPcRel, "ldr r0, [pc, #4]"},
        {0x5888, ThumbKind::LoadStoreReg, "ldr r0, [r1, r2]"},
        {0x5E88, ThumbKind::LoadStoreSignedReg, "ldsh r0, [r1, r2]"},
        {0x6848, ThumbKind::LoadStoreImm, "ldr r0, [r1, #4]"},
        {0x8848, ThumbKind::LoadStoreHalfImm, "ldrh r0, [r1, #2]"},
        {0x9801, ThumbKind::LoadStoreSpRel, "ldr r0, [sp, #4]"},
        {0xA001, ThumbKind::LoadAddress, "add r0, pc, #4"},
        {0xB082, ThumbKind::AdjustSp, "sub sp, #8"},
        {0xB500, ThumbKind::PushPop, "push {lr}"},
        {0xBD10, ThumbKind::PushPop, "pop {r4, pc}"},
        {0xBE00, ThumbKind::Invalid, "bkpt (not ARMv4T)"},
        {0xC103, ThumbKind::LoadStoreMultiple, "stmia r1!, {r0, r1}"},
        {0xD0FE, ThumbKind::CondBranch, "beq ."},
        {0xDEFE, ThumbKind::Invalid, "condition 1110"},
        {0xDF12, ThumbKind::Swi, "swi 0x12"},
        {0xE7FE, ThumbKind::Branch, "b ."},
        {0xE800, ThumbKind::Invalid, "0xe800"},
        {0xF000, ThumbKind::BlPrefix, "bl first half"},
        {0xFEDE, ThumbKind::BlSuffix, "bl second half 0x6de"},
    };
    for (const ThumbSample& s : samples)
        EXPECT_EQ(DecodeThumb(s.halfword).kind, s.kind) << s.text;
}

}  // namespace
}  // namespace zk::armdecode

// The decode-order check the tables pass at compile time: a row after a more
// general one that matches all its words, a catch-all that is not last and a
// table without one are refused.
TEST(DecodeOrder, RowsCoveredByEarlierRowsAreRefused)
{
    struct Row {
        uint16_t mask, value;
    };
    using zk::armdecode::DecodeOrderSound;
    static_assert(DecodeOrderSound(std::array{Row{0xFF80, 0x4780}, Row{0xFF00, 0x4700}, Row{0, 0}}));
    static_assert(!DecodeOrderSound(std::array{Row{0xFF00, 0x4700}, Row{0xFF80, 0x4780}, Row{0, 0}}));
    static_assert(!DecodeOrderSound(std::array{Row{0xFF00, 0x4700}, Row{0, 0}, Row{0xF000, 0x1000}}));
    static_assert(!DecodeOrderSound(std::array{Row{0xFF00, 0x4700}}));
    SUCCEED();
}

// The call stack found with the call-frame rules: the rows a loader hands
// over, the target's registers and the saved words in its memory (the test
// stands in for the CPU model and the memory library).
#include <gmock/gmock.h>

#include <vector>

#include "fake_stop.h"
#include "store_fixture.h"

namespace quinar::test {
namespace {

constexpr uint32_t kSp = 13, kLr = 14, kFp = 11;

SymFrameRow Row(uint32_t address, uint32_t cfaRegister, int32_t cfaOffset)
{
    SymFrameRow row{};
    row.address = address;
    row.cfaRegister = cfaRegister;
    row.cfaOffset = cfaOffset;
    return row;
}

SymFrameRow& Saved(SymFrameRow& row, uint32_t reg, int32_t offset)
{
    row.rules[reg] = {SYM_RULE_OFFSET, offset, nullptr, 0};
    return row;
}

// gcc's ARM frame at -O0: push {fp, lr}; add fp, sp, #4; body.
void AddArmFunction(uint32_t start, uint32_t end)
{
    SymFrameRow rows[3] = {Row(start, kSp, 0), Row(start + 4, kSp, 8), Row(start + 8, kFp, 4)};
    for (SymFrameRow* r : {&rows[1], &rows[2]}) {
        Saved(*r, kFp, -8);
        Saved(*r, kLr, -4);
    }
    ASSERT_EQ(SymAddFrameTable(start, end, kLr, rows, 3), SYM_OK);
}

class FrameWalkTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        Stop() = FakeStop{};
        OpenModule("walk.c", 0x1000, 0x3FFF);
        AddFunction("leaf", 0x1000, 0x10FF);
        ASSERT_EQ(SymEndSymbolBlock(), SYM_OK);
        AddFunction("middle", 0x2000, 0x20FF);
        ASSERT_EQ(SymEndSymbolBlock(), SYM_OK);
        AddFunction("outer", 0x3000, 0x30FF);
        ASSERT_EQ(SymEndSymbolBlock(), SYM_OK);
        SymCloseModule(0);
        ASSERT_EQ(SymEndLoad(), SYM_OK);
        AddArmFunction(0x1000, 0x1100);
        AddArmFunction(0x2000, 0x2100);
        // The outermost frame marks its return address undefined.
        SymFrameRow outer = Row(0x3000, kSp, 0);
        outer.rules[kLr].kind = SYM_RULE_UNDEFINED;
        ASSERT_EQ(SymAddFrameTable(0x3000, 0x3100, kLr, &outer, 1), SYM_OK);
    }

    static uint32_t Function(uint32_t address)
    {
        uint32_t handle = 0;
        SymGetAddrInfo(SYM_ADDR_CODE, address, nullptr, nullptr, nullptr, nullptr, &handle, nullptr);
        return handle;
    }

    // A stack of frames: leaf (stopped at 0x1010) called from middle
    // (0x2010), called from Thumb code in outer (0x3011).
    void BuildStack()
    {
        FakeStop& s = Stop();
        s.regs[kSp] = 0x7F00;
        s.regs[kFp] = 0x7F0C;  // leaf's CFA 0x7F10
        s.regs[kLr] = 0x2011;  // stale: leaf saved it
        s.regs[15] = 0x1010;
        s.PokeWord(0x7F08, 0x7F3C);  // leaf's saved fp: middle's CFA 0x7F40
        s.PokeWord(0x7F0C, 0x2010);
        s.PokeWord(0x7F38, 0x7FFC);
        s.PokeWord(0x7F3C, 0x3011);
    }

    struct Up {
        uint32_t caller = 0, returnAddress = 0, cfa = 0, function = 0;
    };
    static Up CallerOf(uint32_t frame, SymResult expected = SYM_OK)
    {
        Up up;
        EXPECT_EQ(SymGetFrameCaller(frame, &up.caller, &up.returnAddress, &up.cfa, &up.function), expected);
        return up;
    }
};

TEST_F(FrameWalkTest, CallersComeFromTheSavedWordsUpToTheOutermostFrame)
{
    for (bool big : {false, true}) {
        SCOPED_TRACE(big ? "big-endian" : "little-endian");
        Stop().bigEndian = big;
        Stop().memory.clear();
        BuildStack();
        uint32_t frame = 0, caller = 0, function = 0;
        ASSERT_EQ(StackAddrMapBlock(0x1010, &frame, &caller, &function), SYM_OK);
        EXPECT_NE(frame, 0u);
        EXPECT_NE(caller, 0u);
        EXPECT_EQ(function, Function(0x1000));

        const Up middle = CallerOf(frame);
        EXPECT_EQ(middle.caller, caller);
        EXPECT_EQ(middle.returnAddress, 0x2010u);
        EXPECT_EQ(middle.cfa, 0x7F10u);
        EXPECT_EQ(middle.function, Function(0x2000));

        const Up outer = CallerOf(middle.caller);
        EXPECT_EQ(outer.returnAddress, 0x3010u) << "the Thumb bit is not part of the address";
        EXPECT_EQ(outer.cfa, 0x7F40u);
        EXPECT_EQ(outer.function, Function(0x3000));
        CallerOf(outer.caller, SYM_E_NOT_FOUND);
    }
}

TEST_F(FrameWalkTest, AtTheEntryTheReturnAddressIsStillInTheLinkRegister)
{
    BuildStack();
    Stop().regs[kLr] = 0x2010;
    uint32_t frame = 0, caller = 0;
    ASSERT_EQ(StackAddrMapBlock(0x1000, &frame, &caller, nullptr), SYM_OK);
    const Up up = CallerOf(frame);
    EXPECT_EQ(up.returnAddress, 0x2010u);
    EXPECT_EQ(up.cfa, 0x7F00u) << "the CFA is the stack pointer before the push";
}

TEST_F(FrameWalkTest, WithoutRulesOrRegistersThereIsNoCaller)
{
    BuildStack();
    uint32_t frame = 0, caller = 7, function = 7;
    ASSERT_EQ(StackAddrMapBlock(0x5000, &frame, &caller, &function), SYM_OK);  // no table covers it
    EXPECT_EQ(caller, 0u);
    EXPECT_EQ(function, 0u);
    CallerOf(frame, SYM_E_NOT_FOUND);

    ASSERT_EQ(StackAddrMapBlock(0x3004, &frame, &caller, nullptr), SYM_OK);
    EXPECT_EQ(caller, 0u) << "an undefined return address: the outermost frame";

    // A saved word that cannot be read, then a stack that does not ascend.
    ASSERT_EQ(StackAddrMapBlock(0x1010, &frame, &caller, nullptr), SYM_OK);
    const uint32_t old = frame;
    Stop().unreadable.insert(0x7F0C);
    ASSERT_EQ(StackAddrMapBlock(0x1010, &frame, &caller, nullptr), SYM_OK);
    EXPECT_EQ(caller, 0u);
    EXPECT_EQ(CallerOf(old, SYM_E_BAD_HANDLE).caller, 0u) << "a new walk retires the old handles";
    Stop().unreadable.clear();
    Stop().PokeWord(0x7F08, 0x7F00);  // middle's CFA below leaf's
    ASSERT_EQ(StackAddrMapBlock(0x1010, &frame, &caller, nullptr), SYM_OK);
    ASSERT_NE(caller, 0u);
    CallerOf(caller, SYM_E_NOT_FOUND);

    Stop().targetGone = true;
    EXPECT_EQ(StackAddrMapBlock(0x1010, &frame, &caller, nullptr), SYM_E_NO_VALUE);
    EXPECT_EQ(SymGetFrameCaller(0x12345, nullptr, nullptr, nullptr, nullptr), SYM_E_BAD_HANDLE);
}

// The rules other than saved words: a CFA and saved words by expression, a
// return address kept in another register, values given by offset and
// expression.
TEST_F(FrameWalkTest, ExpressionRegisterAndValueRules)
{
    SymClearSymbolTables(0);
    const uint8_t cfaExpr[] = {0x7D, 0x10};  // DW_OP_breg13 16
    const uint8_t fpSaved[] = {0x38, 0x1C};  // CFA - 8: DW_OP_lit8, DW_OP_minus
    const uint8_t r4Value[] = {0x74, 0x01};  // DW_OP_breg4 1
    SymFrameRow row = Row(0x1000, 0, 0);
    row.cfaExpr = cfaExpr;
    row.cfaExprLength = sizeof cfaExpr;
    row.rules[kFp] = {SYM_RULE_EXPRESSION, 0, fpSaved, sizeof fpSaved};
    row.rules[4] = {SYM_RULE_VAL_EXPRESSION, 0, r4Value, sizeof r4Value};
    row.rules[5] = {SYM_RULE_VAL_OFFSET, -16, nullptr, 0};
    row.rules[kLr] = {SYM_RULE_REGISTER, 12, nullptr, 0};
    ASSERT_EQ(SymAddFrameTable(0x1000, 0x1100, kLr, &row, 1), SYM_OK);
    // The caller's own frame counts from the fp that the expression rule
    // recovered.
    SymFrameRow up = Row(0x2000, kFp, 4);
    Saved(up, kLr, -4);
    ASSERT_EQ(SymAddFrameTable(0x2000, 0x2100, kLr, &up, 1), SYM_OK);

    FakeStop& s = Stop();
    s.regs[kSp] = 0x7F00;
    s.regs[12] = 0x2041;
    s.PokeWord(0x7F08, 0x7F7C);
    s.PokeWord(0x7F7C, 0x5000);
    uint32_t frame = 0, caller = 0;
    ASSERT_EQ(StackAddrMapBlock(0x1004, &frame, &caller, nullptr), SYM_OK);
    const Up one = CallerOf(frame);
    EXPECT_EQ(one.returnAddress, 0x2040u);
    EXPECT_EQ(one.cfa, 0x7F10u);
    const Up two = CallerOf(one.caller);
    EXPECT_EQ(two.cfa, 0x7F80u);
    EXPECT_EQ(two.returnAddress, 0x5000u);
}

TEST_F(FrameWalkTest, TablesAreCheckedAndTheFirstOfOverlappingOnesHolds)
{
    SymFrameRow rows[2] = {Row(0x4000, kSp, 0), Row(0x4000, kSp, 8)};
    EXPECT_EQ(SymAddFrameTable(0x4000, 0x4100, kLr, rows, 0), SYM_E_ARGUMENT);
    EXPECT_EQ(SymAddFrameTable(0x4000, 0x4100, 16, rows, 1), SYM_E_ARGUMENT);
    EXPECT_EQ(SymAddFrameTable(0x4004, 0x4100, kLr, rows, 1), SYM_E_ARGUMENT) << "the first row is at the start";
    EXPECT_EQ(SymAddFrameTable(0x4000, 0x4000, kLr, rows, 1), SYM_OK) << "an empty range adds nothing";
    // Overlapping 0x1000..0x1100 added first: the lower range holds.
    rows[0] = Row(0x0F00, kSp, 0);
    rows[0].rules[kLr].kind = SYM_RULE_UNDEFINED;
    ASSERT_EQ(SymAddFrameTable(0x0F00, 0x1080, kLr, rows, 1), SYM_OK);
    BuildStack();
    uint32_t frame = 0, caller = 0;
    ASSERT_EQ(StackAddrMapBlock(0x1010, &frame, &caller, nullptr), SYM_OK);
    EXPECT_EQ(caller, 0u);

    SymClearSymbolTables(0);
    ASSERT_EQ(StackAddrMapBlock(0x2010, &frame, &caller, nullptr), SYM_OK);
    EXPECT_EQ(caller, 0u) << "the rules go with the symbols";
}

}  // namespace
}  // namespace quinar::test

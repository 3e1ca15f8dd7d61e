// The breakpoint list: set, clear, enable, find and the hit test.
#include <platform/scripted_ui_gtest.h>

#include "sarvik_fixture.h"

namespace sarvik::test {
namespace {

using ::testing::ElementsAre;
using ManagerTest = SarvikTest;

TEST_F(ManagerTest, SetMakesARecordFromTheArgumentsAndTellsTheTarget)
{
    const ADDR at{0x8000, 1};
    ASSERT_EQ(BptSetBp(&at, "r0==1", 5, 0, 1, 0x20001000), EMU_OK);
    const ADDR off{0x8004, 1};
    ASSERT_EQ(BptSetBp(&off, nullptr, 0, 0, 0, 0), EMU_OK);
    EXPECT_THAT(Fake().calls, ElementsAre("emuSetBp(0x8000)")) << "a disabled breakpoint is not sent";

    const CBpList& list = *BptGetList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]->GetCount(), 5u);
    EXPECT_EQ(list[0]->GetBpType(), 1);
    EXPECT_EQ(list[0]->GetBpCondition(), "r0==1");
    EXPECT_EQ(list[0]->GetAccessAddr(), (ADDR{0x20001000, 1}));
    EXPECT_EQ(list[0]->GetSymbol(), "");
    EXPECT_EQ(list[0]->GetBkpt()->savedWord, BP_NO_SAVED_WORD);
    EXPECT_EQ(list[1]->IsEnable(), 0);
    EXPECT_EQ(list[1]->GetBpType(), 0);
    EXPECT_EQ(list[1]->GetAccessAddr(), BP_NO_ACCESS_ADDR) << "access address 0 is none";
}

TEST_F(ManagerTest, RefusedSetsLeaveNothingBehind)
{
    const ADDR at{0x8000, 1};
    {
        // An address outside code asks first; No sets nothing.
        platform::GTestScriptedUi ui;
        ui.AnswerMessageBox(IDNO, "The address is out of range,\n do you want to set it really?");
        ui.AnswerMessageBox(IDYES, "out of range");
        Fake().inCode = 0;
        EXPECT_EQ(BptSetBp(&at, "", 1, 0, 1, 0xFFFFFFFFu), 1);
        EXPECT_TRUE(BptGetList()->empty());
        EXPECT_EQ(BptSetBp(&at, "", 1, 0, 1, 0xFFFFFFFFu), EMU_OK);
        Fake().inCode = 1;
    }
    BptDeleteAllObjects();
    Fake().calls.clear();

    Fake().failNext["emuSetBp"] = EMU_TARGET_LOST;
    EXPECT_EQ(BptSetBp(&at, "", 1, 0, 1, 0xFFFFFFFFu), EMU_TARGET_LOST);
    EXPECT_TRUE(BptGetList()->empty()) << "a breakpoint the target refused is not recorded";

    for (size_t i = 0; i < BPT_LIST_CAPACITY; ++i)
        Set(static_cast<uint32_t>(i * 4));
    Fake().calls.clear();
    const ADDR extra{0x40000000, 1};
    EXPECT_EQ(BptSetBp(&extra, "", 1, 0, 1, 0xFFFFFFFFu), 1) << "the list is full";
    EXPECT_EQ(BptGetList()->size(), BPT_LIST_CAPACITY);
    EXPECT_TRUE(Fake().calls.empty()) << "nothing reaches the target";
}

TEST_F(ManagerTest, FindMarksTellEnabledDisabledAndUnitBreakpoints)
{
    Set(0x100);
    const ADDR disabled{0x108, 1};
    ASSERT_EQ(BptSetBp(&disabled, "", 1, 0, 0, 0xFFFFFFFFu), EMU_OK);
    const ADDR unitAt{0x200, 1};
    ASSERT_EQ(BptSetBp(&unitAt, "", 1, 1, 1, 0xFFFFFFFFu), EMU_OK);
    // Lines 7 (two code ranges) and 9 of module 0x10000001.
    Fake().lineRanges[{0x10000001, 7}] = {{0xF0, 0xFF}, {0x104, 0x10B}};
    Fake().lineRanges[{0x10000001, 9}] = {{0x1F0, 0x207}};

    struct Case {
        const char* what;
        ADDR from;
        ADDR to;
        BPT_MARK mark;
        uint32_t found;  // offset of the record handed back, 0 for none
    };
    const Case cases[] = {
        {"exact enabled", {0x100, 1}, {0, 0}, BPT_MARK_SW_ENABLED, 0x100},
        {"exact disabled", {0x108, 1}, {0, 0}, BPT_MARK_SW_DISABLED, 0x108},
        {"exact misses a neighbour", {0x104, 1}, {0, 0}, BPT_MARK_NONE, 0},
        {"range holds the disabled one", {0x104, 1}, {0x10C, 1}, BPT_MARK_SW_DISABLED, 0x108},
        {"range end is inclusive", {0x101, 1}, {0x108, 1}, BPT_MARK_SW_DISABLED, 0x108},
        {"to with offset 0 is exact", {0x100, 1}, {0, 1}, BPT_MARK_SW_ENABLED, 0x100},
        {"unit breakpoint", {0x200, 1}, {0, 0}, BPT_MARK_UNIT_ENABLED, 0},
        {"line: a record inside its second range", {7, 0}, {0x10000001, 0}, BPT_MARK_SW_DISABLED, 0x108},
        {"line: unit inside the range", {9, 0}, {0x10000001, 0}, BPT_MARK_UNIT_ENABLED, 0},
        {"line without code", {8, 0}, {0x10000001, 0}, BPT_MARK_NONE, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CBpData* found = nullptr;
        EXPECT_EQ(BptFindBp(&c.from, c.to, &found), c.mark);
        EXPECT_EQ(found ? found->GetAddr().off : 0u, c.found);
        EXPECT_EQ(BptFindBp(&c.from, c.to, nullptr), c.mark);
    }
}

TEST_F(ManagerTest, CheckHitStopsAskingAtTheFirstRecordThatHits)
{
    Set(0x100, 1);
    Set(0x100, 2);
    const ADDR pc{0x100, 1};
    EXPECT_EQ(BptCheckHit(&pc), BPT_HIT_PERMANENT);
    EXPECT_EQ((*BptGetList())[1]->GetHitCount(), 0u) << "the second record was not asked";

    BptDeleteAllObjects();
    Set(0x100, 3);
    Set(0x100, 2);
    // Pass 1: neither; pass 2: the second; pass 3: the first, and the
    // second is not asked; pass 4: the second is at its first pass again.
    std::vector<int> hits;
    for (int i = 0; i < 4; ++i)
        hits.push_back(BptCheckHit(&pc));
    EXPECT_THAT(hits, ElementsAre(0, 1, 1, 0));
    EXPECT_EQ((*BptGetList())[0]->GetHitCount(), 1u);
    EXPECT_EQ((*BptGetList())[1]->GetHitCount(), 1u);

    BptResetHitCounts();
    for (const CBpDataEx* r : *BptGetList())
        EXPECT_EQ(r->GetHitCount(), 0u);
}

TEST_F(ManagerTest, CheckHitTellsTemporaryRecordsAndUnits)
{
    ASSERT_EQ(AddTempBp(0x300, 1), EMU_OK);
    const ADDR temp{0x300, 1};
    EXPECT_EQ(BptCheckHit(&temp), BPT_HIT_TEMPORARY);

    const ADDR unitAt{0x400, 1};
    ASSERT_EQ(BptSetBp(&unitAt, "", 1, 1, 1, 0xFFFFFFFFu), EMU_OK);
    EXPECT_EQ(BptCheckHit(&unitAt), BPT_HIT_UNIT_ENABLED);
    ASSERT_EQ(BptEnableBp(&unitAt, 0, 0), EMU_OK);
    EXPECT_EQ(BptCheckHit(&unitAt), BPT_HIT_UNIT_DISABLED);
    const ADDR nothing{0x404, 1};
    EXPECT_EQ(BptCheckHit(&nothing), 0);
}

TEST_F(ManagerTest, ClearRemovesEveryRecordAtTheOffsetOnlyWhenTheTargetAgrees)
{
    Set(0x100);
    Set(0x104);
    Set(0x100, 3);
    const ADDR at{0x100, 0};
    Fake().failNext["emuClrBp"] = EMU_TARGET_LOST;
    EXPECT_EQ(BptClearBp(&at, 0), EMU_TARGET_LOST);
    EXPECT_EQ(ListOffsets().size(), 3u);
    EXPECT_EQ(BptClearBp(&at, 0), EMU_OK);
    EXPECT_THAT(ListOffsets(), ElementsAre(0x104u));

    const ADDR noUnit{0x104, 1};
    EXPECT_EQ(BptClearBp(&noUnit, 1), EMU_REFUSED) << "no watchpoint unit at the address";
    EXPECT_EQ(ListOffsets().size(), 1u);

    Set(0x108);
    Fake().calls.clear();
    EXPECT_EQ(BptClearAll(), EMU_OK);
    EXPECT_TRUE(ListOffsets().empty());
    EXPECT_THAT(Fake().calls, ElementsAre("emuClrBp(0x0)"));

    Set(0x10C);
    Fake().calls.clear();
    BptDeleteAllObjects();
    EXPECT_TRUE(ListOffsets().empty());
    EXPECT_TRUE(Fake().calls.empty()) << "deleting the objects leaves the target alone";
}

TEST_F(ManagerTest, EnableActsOnlyWhereTheStateChanges)
{
    Set(0x100);
    const ADDR unitAt{0x200, 1};
    ASSERT_EQ(BptSetBp(&unitAt, "", 1, 1, 1, 0xFFFFFFFFu), EMU_OK);
    const ADDR at{0x100, 1};
    Fake().calls.clear();

    EXPECT_EQ(BptEnableBp(&at, 0, 1), EMU_OK) << "already enabled: nothing";
    EXPECT_EQ(BptEnableBp(&at, 0, 0), EMU_OK);
    EXPECT_EQ((*BptGetList())[0]->IsEnable(), 0);
    EXPECT_EQ(BptEnableBp(&at, 0, 0), EMU_OK) << "already disabled: nothing";
    Fake().failNext["emuSetBp"] = -52;
    EXPECT_EQ(BptEnableBp(&at, 0, 1), -52) << "the target's answer";
    EXPECT_EQ(BptEnableBp(&unitAt, 0, 0), EMU_OK);
    EXPECT_EQ(BptFindBp(&unitAt, {0, 0}, nullptr), BPT_MARK_UNIT_DISABLED);
    EXPECT_EQ(BptEnableBp(&unitAt, 0, 1), EMU_OK) << "a disabled unit is not enabled again here";
    EXPECT_THAT(Fake().calls, ElementsAre("emuClrBp(0x100)", "emuSetBp(0x100)", "emuEnableHwBp(0,u0)"));
}

}  // namespace
}  // namespace sarvik::test

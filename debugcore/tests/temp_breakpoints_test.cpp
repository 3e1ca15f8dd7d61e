// Temporary breakpoints of go-till and Step Over.
#include "sarvik_fixture.h"

namespace sarvik::test {
namespace {

using ::testing::ElementsAre;

class TempBreakpointTest : public SarvikTest {
protected:
    // Hardware-breakpoint mode from the first record on (unit 1 stays free).
    void HardwareMode()
    {
        ResetLibrary();
        EmuInit(window_);
        const EMU_TARGET_CONFIG config = Config(0x005);
        EmuSetTargetConfig(&config);
        Fake().calls.clear();
    }
};

TEST_F(TempBreakpointTest, AGoTillMakesATemporaryRecordThatRemoveTakesAway)
{
    Set(0x100);
    ASSERT_EQ(AddTempBp(0x200, 1), EMU_OK);
    ASSERT_EQ(BptGetList()->size(), 2u);
    EXPECT_EQ(BptGetList()->back()->GetLife(), BPLIFE_TEMPORARY);
    EXPECT_EQ(RemoveTempBp({}), EMU_OK);
    EXPECT_THAT(ListOffsets(), ElementsAre(0x100u));
    EXPECT_THAT(Fake().calls, ElementsAre("emuSetBp(0x100)", "emuSetBp(0x200)", "emuClrBp(0x200)"));

    // An enabled breakpoint at the address is used as it is.
    const CBpDataEx* user = BptGetList()->front();
    ASSERT_EQ(AddTempBp(0x100, 1), EMU_OK);
    EXPECT_EQ(user->GetLife(), BPLIFE_PERMANENT);
    EXPECT_EQ(BptGetList()->size(), 1u);
}

// A breakpoint the user set at the go-till's address while the target ran
// stays when the go-till ends.
TEST_F(TempBreakpointTest, AUsersBreakpointSetAtTheGoTillsAddressStays)
{
    ASSERT_EQ(AddTempBp(0x200, 1), EMU_OK);
    Set(0x200, 4);
    Fake().calls.clear();
    ASSERT_EQ(RemoveTempBp({}), EMU_OK);
    ASSERT_EQ(BptGetList()->size(), 1u);
    EXPECT_EQ(BptGetList()->front()->GetLife(), BPLIFE_PERMANENT);
    EXPECT_EQ(BptGetList()->front()->GetCount(), 4u);
    EXPECT_TRUE(Fake().calls.empty()) << "the address keeps its breakpoint in the target";
}

// A go-till to a user's disabled breakpoint enables it for the one run; it
// stops there whatever its count, and comes back disabled with everything
// else it had, at its place in the list.
TEST_F(TempBreakpointTest, AGoTillAtADisabledBreakpointGivesItBackUnchanged)
{
    Set(0x100);
    const ADDR at{0x200, 1};
    ASSERT_EQ(BptSetBp(&at, "r0>2", 3, 0, 0, 0x9000), EMU_OK);
    Set(0x300);
    CBpDataEx* user = (*BptGetList())[1];
    user->SetSymbol("worker");

    ASSERT_EQ(AddTempBp(0x200, 1), EMU_OK);
    EXPECT_EQ(user->IsEnable(), 1);
    EXPECT_EQ(user->GetLife(), BPLIFE_ENABLED_ONCE);
    ASSERT_EQ(BptLoadBreakpoints(1), EMU_OK);
    ASSERT_EQ(EmuTargetStopped(), EMU_OK);
    EXPECT_EQ(BptGetList()->size(), 3u) << "the stop keeps the user's record";
    EXPECT_EQ(BptCheckHit(&at), BPT_HIT_TEMPORARY) << "the go-till's target stops despite count 3";

    Fake().calls.clear();
    ASSERT_EQ(RemoveTempBp({}), EMU_OK);
    ASSERT_EQ(BptGetList()->size(), 3u);
    EXPECT_EQ((*BptGetList())[1], user) << "same record, same place";
    EXPECT_EQ(user->IsEnable(), 0);
    EXPECT_EQ(user->GetLife(), BPLIFE_PERMANENT);
    EXPECT_EQ(user->GetSymbol(), "worker");
    EXPECT_EQ(user->GetCount(), 3u);
    EXPECT_EQ(user->GetBpCondition(), "r0>2");
    EXPECT_EQ(user->GetBpType(), 1);
    EXPECT_EQ(user->GetAccessAddr(), (ADDR{0x9000, 1}));
    EXPECT_THAT(Fake().calls, ElementsAre("emuClrBp(0x200)"));
}

// A go-till (run to cursor) to a user's enabled breakpoint whose count or
// condition lets the pass go on still ends there; the step engine, which
// tests its own arrival, and the runs after the go-till see the count.
TEST_F(TempBreakpointTest, AGoTillEndsAtAnEnabledBreakpointWhoseCountIsNotReached)
{
    Set(0x200, 3);
    const ADDR at{0x200, 1};
    ASSERT_EQ(AddTempBp(0x200, 1), EMU_OK);
    EXPECT_EQ(BptGetList()->size(), 1u);
    EXPECT_EQ(BptCheckHit(&at), BPT_HIT_TEMPORARY) << "the go-till's address";
    EXPECT_EQ((*BptGetList())[0]->GetHitCount(), 1u) << "the pass was counted";
    const ADDR elsewhere{0x204, 1};
    EXPECT_EQ(BptCheckHit(&elsewhere), 0);

    Core().run.runCommandActive = 1;
    EXPECT_EQ(BptCheckHit(&at), 0) << "inside a step command the count holds";
    Core().run.runCommandActive = 0;

    ASSERT_EQ(RemoveTempBp({}), EMU_OK);
    EXPECT_EQ(BptCheckHit(&at), BPT_HIT_PERMANENT) << "third pass";
    EXPECT_EQ(BptCheckHit(&at), 0) << "the go-till has ended";

    // The same for a go-till on a watchpoint unit in hardware-breakpoint mode.
    HardwareMode();
    Set(0x300, 5);
    const ADDR unitTill{0x300, 1};
    ASSERT_EQ(AddTempBp(0x300, 1), EMU_OK);
    EXPECT_EQ(BptCheckHit(&unitTill), BPT_HIT_TEMPORARY);
    ASSERT_EQ(RemoveTempBp({}), EMU_OK);
    EXPECT_EQ(BptCheckHit(&unitTill), 0);
}

TEST_F(TempBreakpointTest, AFullListRefusesTheGoTill)
{
    for (size_t i = 0; i < BPT_LIST_CAPACITY; ++i)
        Set(static_cast<uint32_t>(0x100000 + i * 4));
    EXPECT_EQ(AddTempBp(0x200, 1), 1);
    EXPECT_EQ(BptGetList()->size(), BPT_LIST_CAPACITY);
}

TEST_F(TempBreakpointTest, HardwareModeTakesAFreeUnit)
{
    HardwareMode();
    ASSERT_EQ(AddTempBp(0x400, 1), EMU_OK);
    EXPECT_TRUE(BptGetList()->empty());
    const ADDR till{0x400, 1};
    EXPECT_EQ(BptFindBp(&till, {0, 0}, nullptr), BPT_MARK_NONE) << "the unit's record is not changed";
    ASSERT_EQ(RemoveTempBp({}), EMU_OK);
    ASSERT_EQ(RemoveTempBp({}), EMU_OK);
    EXPECT_THAT(Fake().calls, ElementsAre("emuSetHwBp(u0,0x400,mask 0x0,ctl 0xfff70100)", "emuClrHwBp(u0)"))
        << "released once";
}

TEST_F(TempBreakpointTest, HardwareModeWithBothUnitsUsedBorrowsUnitZero)
{
    HardwareMode();
    const ADDR a{0x500, 1};
    const ADDR b{0x600, 1};
    ASSERT_EQ(BptSetBp(&a, "", 1, 1, 1, 0xFFFFFFFFu), EMU_OK);
    ASSERT_EQ(BptSetBp(&b, "", 1, 1, 1, 0xFFFFFFFFu), EMU_OK);
    Fake().calls.clear();
    ASSERT_EQ(AddTempBp(0x700, 1), EMU_OK);
    ASSERT_EQ(RemoveTempBp({}), EMU_OK);
    EXPECT_THAT(
        Fake().calls,
        ElementsAre("emuSetHwBp(u0,0x700,mask 0x0,ctl 0xfff70100)", "emuSetHwBp(u0,0x500,mask 0x0,ctl 0xfff70100)"));
    EXPECT_EQ(BptFindBp(&a, {0, 0}, nullptr), BPT_MARK_UNIT_ENABLED);
}

// The simulator has no watchpoint units: a unit there would never stop the
// go-till, so the temporary breakpoint is a software one.
TEST_F(TempBreakpointTest, HardwareModeOnATargetWithoutUnitsUsesSoftwareBreakpoints)
{
    HardwareMode();
    Fake().unitsPresent = false;
    Fake().Poke(0x800, {1, 2, 3, 4});
    ASSERT_EQ(AddTempBp(0x800, 1), EMU_OK);
    ASSERT_EQ(BptGetList()->size(), 1u);
    ASSERT_EQ(BptLoadBreakpoints(1), EMU_OK);
    EXPECT_EQ(Fake().PeekWord(0x800), EMU_BREAK_WORD);
    ASSERT_EQ(EmuTargetStopped(), EMU_OK);
    EXPECT_EQ(Fake().Peek(0x800, 4), (std::vector<uint8_t>{1, 2, 3, 4}));
    ASSERT_EQ(RemoveTempBp({}), EMU_OK);
    EXPECT_TRUE(BptGetList()->empty());
    EXPECT_TRUE(Fake().Calls("emuSetHwBp").empty());

    const ADDR at{0x900, 1};
    EXPECT_EQ(BptSetBp(&at, "", 1, 1, 1, 0xFFFFFFFFu), 1) << "no unit to put a unit breakpoint on";
    EXPECT_EQ(BptFindBp(&at, {0, 0}, nullptr), BPT_MARK_NONE);
}

}  // namespace
}  // namespace sarvik::test

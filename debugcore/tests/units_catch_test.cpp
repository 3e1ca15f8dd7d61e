// Watchpoint units and exception catching.
#include "sarvik_fixture.h"

namespace sarvik::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class UnitsCatchTest : public SarvikTest {
protected:
    void Configure(uint32_t options, uint32_t catchMask)
    {
        const EMU_TARGET_CONFIG config = Config(options, catchMask);
        EmuSetTargetConfig(&config);
    }
};

TEST_F(UnitsCatchTest, UnitOneIsReservedForTheBreakWordOutsideHardwareMode)
{
    ResetLibrary();
    Configure(0x001, 0);
    Configure(0x001, 0);
    EXPECT_THAT(Fake().Calls("emuSetHwBp"), ElementsAre("emuSetHwBp(u1,0x0,mask 0xffffffff,ctl 0xf70100)"))
        << "once, while the unit is free";
    EXPECT_EQ(static_cast<uint32_t>(Fake().unitRegs[54 + 7]), EMU_BREAK_WORD) << "data value of unit 1";
    EXPECT_EQ(Fake().unitRegs[55 + 7], 0) << "data compared in full";
    const ADDR any{0, 1};
    EXPECT_EQ(BptFindBp(&any, {0xFFFFFFFFu, 1}, nullptr), BPT_MARK_NONE) << "its address is not compared";

    ResetLibrary();
    Fake().calls.clear();
    Configure(0x005, 0);
    EXPECT_THAT(Fake().Calls("emuSetHwBp"), IsEmpty()) << "hardware-breakpoint mode keeps unit 1 free";
}

TEST_F(UnitsCatchTest, UnitBreakpointsTakeTheFreeUnitAndClearWithTheirRecords)
{
    const ADDR a{0x1000, 1};
    const ADDR b{0x2000, 1};
    ASSERT_EQ(BptSetBp(&a, "", 1, 1, 1, 0xFFFFFFFFu), EMU_OK);
    EXPECT_EQ(BptSetBp(&b, "", 1, 1, 1, 0xFFFFFFFFu), 1) << "unit 1 is reserved: none free";
    EXPECT_THAT(Fake().Calls("emuSetHwBp"), ElementsAre("emuSetHwBp(u0,0x1000,mask 0x0,ctl 0xfff70100)"));
    EXPECT_TRUE(BptGetList()->empty()) << "a unit breakpoint has no record";

    Set(0x1000);
    Fake().failNext["emuClrHwBp"] = EMU_TARGET_LOST;
    EXPECT_EQ(BptClearBp(&a, 1), EMU_TARGET_LOST);
    EXPECT_EQ(BptFindBp(&a, {0, 0}, nullptr), BPT_MARK_SW_ENABLED);
    EXPECT_EQ(BptClearBp(&a, 1), EMU_OK);
    EXPECT_EQ(BptFindBp(&a, {0, 0}, nullptr), BPT_MARK_NONE) << "the unit and the record at its offset";
    ASSERT_EQ(BptSetBp(&b, "", 1, 1, 1, 0xFFFFFFFFu), EMU_OK) << "unit 0 is free again";
}

TEST_F(UnitsCatchTest, CatchBreakpointsFollowTheMaskAndMoveWithTheVectorBase)
{
    Configure(0x001, EMU_CATCH_DEFAULT);
    EXPECT_THAT(ListOffsets(), ElementsAre(0x00u, 0x04u, 0x0Cu, 0x10u))
        << "Reset, Undefined, Prefetch Abort, Data Abort; Error and Address Exception plant nothing";
    ASSERT_EQ(Messages(WM_EMU_UPDATE_VIEWS).size(), 1u);
    EXPECT_EQ(Messages(WM_EMU_UPDATE_VIEWS)[0].wParam, static_cast<WPARAM>(DVK_CODE_VIEWS));

    Set(0x14);  // a user's breakpoint on the reserved vector is not a catch breakpoint
    Configure(0x001, EMU_CATCH_DEFAULT | EMU_CATCH_HIGH_VECTORS);
    EXPECT_THAT(ListOffsets(), ElementsAre(0x14u, 0xFFFF0000u, 0xFFFF0004u, 0xFFFF000Cu, 0xFFFF0010u));
    Configure(0x001, EMU_CATCH_DEFAULT | EMU_CATCH_HIGH_VECTORS);
    EXPECT_EQ(ListOffsets().size(), 5u) << "the same base is planted again without doubles";

    // A new mask: a disabled catch breakpoint is enabled again, a vector no
    // longer caught is cleared, a new one added.
    const ADDR reset{0xFFFF0000, 1};
    ASSERT_EQ(BptEnableBp(&reset, 0, 0), EMU_OK);
    Configure(0x001, EMU_CATCH_HIGH_VECTORS | EMU_CATCH_RESET | EMU_CATCH_FIQ);
    EXPECT_THAT(ListOffsets(), ElementsAre(0x14u, 0xFFFF0000u, 0xFFFF001Cu));
    EXPECT_EQ(BptGetList()->at(1)->IsEnable(), 1);

    // The load adds missing ones but clears nothing.
    BptDeleteAllObjects();
    Set(0xFFFF0004);
    ASSERT_EQ(BptLoadBreakpoints(1), EMU_OK);
    EXPECT_THAT(ListOffsets(), ElementsAre(0xFFFF0004u, 0xFFFF0000u, 0xFFFF001Cu));
    ASSERT_EQ(EmuTargetStopped(), EMU_OK);
}

TEST_F(UnitsCatchTest, AHitOnACaughtVectorNamesTheException)
{
    Configure(0x001, EMU_CATCH_SWI | EMU_CATCH_HIGH_VECTORS);
    const ADDR swi{0xFFFF0008, 1};
    ASSERT_EQ(BptCheckHit(&swi), BPT_HIT_PERMANENT);
    const auto out = Messages(WM_EMU_SEMIHOST_IO);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].wParam, 0u);
    EXPECT_EQ(out[0].text,
              "\x01"
              "Encounter the Software Interrupt Exception!\n");

    // A breakpoint at a vector that the mask does not select says nothing.
    messages_.clear();
    Set(0xFFFF0004);
    const ADDR undef{0xFFFF0004, 1};
    ASSERT_EQ(BptCheckHit(&undef), BPT_HIT_PERMANENT);
    EXPECT_THAT(Messages(WM_EMU_SEMIHOST_IO), IsEmpty());
}

}  // namespace
}  // namespace sarvik::test

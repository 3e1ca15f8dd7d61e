// Planting and taking out the break instructions around a run.
#include "planting.h"
#include "sarvik_fixture.h"

namespace sarvik::test {
namespace {

using ::testing::ElementsAre;

// Distinct bytes at 0x8000-0x80FF (ARM code) and 0x9000-0x90FF (Thumb code).
std::vector<uint8_t> Image(uint32_t base)
{
    std::vector<uint8_t> bytes(0x100);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(base >> 8 ^ (i * 7 + 1));
    return bytes;
}

class PlantingTest : public SarvikTest {
protected:
    void SetUp() override
    {
        SarvikTest::SetUp();
        Fake().Poke(0x8000, Image(0x8000));
        Fake().Poke(0x9000, Image(0x9000));
        Fake().thumbRanges = {{0x9000, 0x90FF}};
    }
    static std::vector<uint8_t> Slice(uint32_t base, size_t from, size_t count)
    {
        const std::vector<uint8_t> image = Image(base);
        return {image.begin() + static_cast<long>(from), image.begin() + static_cast<long>(from + count)};
    }
    static bool ImageIntact()
    {
        return Fake().Peek(0x8000, 0x100) == Image(0x8000) && Fake().Peek(0x9000, 0x100) == Image(0x9000);
    }
};

TEST_F(PlantingTest, ArmBreakpointsGetTheBreakWordAndComeBackAtTheStop)
{
    Set(0x8000);
    Set(0x8008);
    const ADDR off{0x8004, 1};
    ASSERT_EQ(BptSetBp(&off, "", 1, 0, 0, 0xFFFFFFFFu), EMU_OK);
    Fake().calls.clear();

    ASSERT_EQ(BptLoadBreakpoints(1), EMU_OK);
    EXPECT_EQ(Fake().PeekWord(0x8000), EMU_BREAK_WORD);
    EXPECT_EQ(Fake().PeekWord(0x8008), EMU_BREAK_WORD);
    EXPECT_EQ(Fake().Peek(0x8004, 4), Slice(0x8000, 4, 4)) << "a disabled breakpoint is not planted";
    EXPECT_EQ(Fake().Calls("emuEnableSwBkpt").size(), 1u);
    const CBpDataEx& first = *(*BptGetList())[0];
    EXPECT_EQ(first.GetStatus(), BKPT_STATUS_PLANTED);
    const std::vector<uint8_t> image = Image(0x8000);
    EXPECT_EQ(first.GetBkpt()->savedWord,
              uint32_t{image[0]} | uint32_t{image[1]} << 8 | uint32_t{image[2]} << 16 | uint32_t{image[3]} << 24)
        << "the replaced bytes in memory order";

    Fake().calls.clear();
    ASSERT_EQ(EmuTargetStopped(), EMU_OK);
    EXPECT_TRUE(ImageIntact());
    EXPECT_THAT(Fake().Calls("MemWrite"), ElementsAre("MemWrite(0x8008,4)", "MemWrite(0x8000,4)"))
        << "restored newest first";
    EXPECT_EQ(Fake().Calls("emuDisableSwBkpt").size(), 1u);
    for (const CBpDataEx* r : *BptGetList())
        EXPECT_EQ(r->GetStatus(), BKPT_STATUS_RESTORED);
}

// Two breakpoints on neighbouring Thumb halfwords across a word boundary:
// each gets the halfword 0xFEDE and the instructions around them stay whole,
// in either byte order and whichever was set first.
TEST_F(PlantingTest, NeighbouringThumbHalfwordsArePlantedAsHalfwords)
{
    for (bool bigEndian : {false, true}) {
        for (bool lowFirst : {true, false}) {
            SCOPED_TRACE(testing::Message() << (bigEndian ? "big" : "little") << "-endian, "
                                            << (lowFirst ? "0x9012 first" : "0x9014 first"));
            Fake().bigEndian = bigEndian;
            BptDeleteAllObjects();
            Set(lowFirst ? 0x9012 : 0x9014);
            Set(lowFirst ? 0x9014 : 0x9012);
            ASSERT_EQ(BptLoadBreakpoints(1), EMU_OK);
            EXPECT_EQ(Fake().PeekHalf(0x9012), EMU_BREAK_HALFWORD);
            EXPECT_EQ(Fake().PeekHalf(0x9014), EMU_BREAK_HALFWORD);
            EXPECT_EQ(Fake().Peek(0x9010, 2), Slice(0x9000, 0x10, 2));
            EXPECT_EQ(Fake().Peek(0x9016, 2), Slice(0x9000, 0x16, 2));
            ASSERT_EQ(EmuTargetStopped(), EMU_OK);
            EXPECT_TRUE(ImageIntact());
        }
    }
    EXPECT_TRUE(Fake().Calls("width mismatch").empty());
}

TEST_F(PlantingTest, BigEndianTargetsGetTheBreakWordInTheirOrder)
{
    Fake().bigEndian = true;
    Set(0x8010);
    ASSERT_EQ(BptLoadBreakpoints(1), EMU_OK);
    EXPECT_EQ(Fake().Peek(0x8010, 4), (std::vector<uint8_t>{0xFE, 0xDE, 0xFE, 0xDE}));
    ASSERT_EQ(EmuTargetStopped(), EMU_OK);
    EXPECT_TRUE(ImageIntact());
}

TEST_F(PlantingTest, UnalignedAddressesPlantAtTheirInstruction)
{
    Set(0x8022);  // ARM: the word at 0x8020
    Set(0x9031);  // Thumb: the halfword at 0x9030
    ASSERT_EQ(BptLoadBreakpoints(1), EMU_OK);
    EXPECT_EQ(Fake().PeekWord(0x8020), EMU_BREAK_WORD);
    EXPECT_EQ(Fake().PeekHalf(0x9030), EMU_BREAK_HALFWORD);
    ASSERT_EQ(EmuTargetStopped(), EMU_OK);
    EXPECT_TRUE(ImageIntact());
}

TEST_F(PlantingTest, ABreakWordThatIsNotOursDropsItsRecord)
{
    Fake().PokeWord(0x8040, EMU_BREAK_WORD);
    Set(0x8040);
    Set(0x8044);
    ASSERT_EQ(BptLoadBreakpoints(1), EMU_OK);
    EXPECT_THAT(ListOffsets(), ElementsAre(0x8044u));
    ASSERT_EQ(EmuTargetStopped(), EMU_OK);
    EXPECT_EQ(Fake().PeekWord(0x8040), EMU_BREAK_WORD) << "left as it was found";
}

TEST_F(PlantingTest, RecordsOfOneAddressShareTheirBreakAndAllStay)
{
    Set(0x8050, 1);
    Set(0x8050, 3);
    ASSERT_EQ(BptLoadBreakpoints(1), EMU_OK);
    EXPECT_EQ(Fake().Calls("MemWrite").size(), 1u);
    EXPECT_EQ(ListOffsets().size(), 2u) << "the second record is not taken for a foreign break";
    // A second load without a stop in between plants nothing again.
    ASSERT_EQ(BptLoadBreakpoints(1), EMU_OK);
    EXPECT_EQ(ListOffsets().size(), 2u);
    ASSERT_EQ(EmuTargetStopped(), EMU_OK);
    EXPECT_TRUE(ImageIntact());
}

TEST_F(PlantingTest, AFailedReadOrWriteLeavesThatBreakpointOut)
{
    Set(0x8060);
    Set(0x8064);
    Fake().unreadable = {0x8061};
    Fake().unwritable = {0x8066};
    EXPECT_EQ(BptLoadBreakpoints(1), EMU_OK) << "the run goes on with what could be planted";
    EXPECT_TRUE(ImageIntact());
    const CBpDataEx& unread = *(*BptGetList())[0];
    EXPECT_EQ(unread.GetBkpt()->savedWord, BP_NO_SAVED_WORD);
    EXPECT_EQ(EmuTargetStopped(), EMU_OK);
    EXPECT_TRUE(Fake().Calls("emuDisableSwBkpt").empty()) << "nothing was planted";

    // The only breakpoint unreadable: the load fails with the read's result.
    BptDeleteAllObjects();
    Set(0x8061);
    EXPECT_EQ(BptLoadBreakpoints(1), EMU_TARGET_LOST);
}

TEST_F(PlantingTest, AFailedLoadTakesOutWhatItPlanted)
{
    Set(0x8070);
    Set(0x9070);
    Fake().failNext["emuEnableSwBkpt"] = EMU_TARGET_LOST;
    EXPECT_EQ(BptLoadBreakpoints(1), EMU_TARGET_LOST);
    EXPECT_TRUE(ImageIntact());
    EXPECT_TRUE(Core().planted.empty());
}

TEST_F(PlantingTest, AClearedBreakpointIsStillTakenOutAtTheStop)
{
    Set(0x8080);
    Set(0x9080);
    ASSERT_EQ(BptLoadBreakpoints(1), EMU_OK);
    const ADDR at{0x8080, 1};
    ASSERT_EQ(BptClearBp(&at, 0), EMU_OK);
    BptDeleteAllObjects();
    EXPECT_EQ(Fake().PeekWord(0x8080), EMU_BREAK_WORD) << "the target runs: memory waits for the stop";
    ASSERT_EQ(EmuTargetStopped(), EMU_OK);
    EXPECT_TRUE(ImageIntact());
}

TEST_F(PlantingTest, AFailedRestoreKeepsTheRestForTheNextStop)
{
    Set(0x8090);
    Set(0x8094);
    ASSERT_EQ(BptLoadBreakpoints(1), EMU_OK);
    Fake().failNext["MemWrite"] = EMU_TARGET_LOST;
    EXPECT_EQ(EmuTargetStopped(), EMU_TARGET_LOST);
    EXPECT_EQ(Fake().PeekWord(0x8094), EMU_BREAK_WORD);
    EXPECT_FALSE(Core().planted.empty());
    ASSERT_EQ(EmuTargetStopped(), EMU_OK);
    EXPECT_TRUE(ImageIntact());
}

// The stop entry keeps the go-till's record, so that a run resumed from that
// stop (a semihosting call, a count not reached) still ends at the go-till;
// the unload drops temporary records only.
TEST_F(PlantingTest, TheStopKeepsTheGoTillAndTheUnloadDropsTemporaryRecordsOnly)
{
    Set(0x80A0);
    ASSERT_EQ(AddTempBp(0x80A4, 1), EMU_OK);
    ASSERT_EQ(BptLoadBreakpoints(1), EMU_OK);
    ASSERT_EQ(EmuTargetStopped(), EMU_OK);
    EXPECT_THAT(ListOffsets(), ElementsAre(0x80A0u, 0x80A4u));
    EXPECT_TRUE(ImageIntact());

    ASSERT_EQ(BptLoadBreakpoints(1), EMU_OK);
    EXPECT_EQ(Fake().PeekWord(0x80A4), EMU_BREAK_WORD) << "planted again for the resumed run";
    ASSERT_EQ(BptUnloadBreakpoints(), EMU_OK);
    EXPECT_THAT(ListOffsets(), ElementsAre(0x80A0u));
    EXPECT_TRUE(ImageIntact());
}

TEST_F(PlantingTest, AFreeRunPlantsNothing)
{
    Set(0x80B0);
    Core().run.freeRun = true;
    ASSERT_EQ(BptLoadBreakpoints(1), EMU_OK);
    EXPECT_TRUE(Fake().Calls("MemWrite").empty());
    ASSERT_EQ(EmuTargetStopped(), EMU_OK);
    EXPECT_FALSE(Core().run.freeRun) << "the stop ends the free run";
    ASSERT_EQ(BptLoadBreakpoints(1), EMU_OK);
    EXPECT_EQ(Fake().PeekWord(0x80B0), EMU_BREAK_WORD);
    ASSERT_EQ(EmuTargetStopped(), EMU_OK);
}

TEST_F(PlantingTest, TheStopProgramsTheReservedUnitAgain)
{
    Set(0x80C0);
    ASSERT_EQ(BptLoadBreakpoints(1), EMU_OK);
    Fake().calls.clear();
    ASSERT_EQ(EmuTargetStopped(), EMU_OK);
    EXPECT_THAT(Fake().Calls("emu"),
                ElementsAre("emuSetHwBp(u1,0x0,mask 0xffffffff,ctl 0xf70100)", "emuDisableSwBkpt"));
}

}  // namespace
}  // namespace sarvik::test

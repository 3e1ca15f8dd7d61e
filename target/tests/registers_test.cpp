// Core registers, the watchpoint-unit registers answered by Falcrest, and
// peripheral registers moved as one unit of their size.
#include <gmock/gmock.h>

#include "fake_sim_session.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using RegistersTest = FakeSimTest;

TEST_F(RegistersTest, CoreRegistersGoToTheSimulatorInBanksZeroAndOne)
{
    sim().regs[SIM_REG_PC] = 0x8000;
    int value = 0;
    EXPECT_EQ(emuGetReg(0, SIM_REG_PC, &value), EMU_OK);
    EXPECT_EQ(value, 0x8000);
    EXPECT_EQ(emuSetReg(1, SIM_REG_SPSR_UND, -2), EMU_OK);
    EXPECT_EQ(sim().regs[SIM_REG_SPSR_UND], 0xFFFFFFFEu);
    // The number is taken as 16 bits.
    EXPECT_EQ(emuGetReg(1, 0x10000 + SIM_REG_R0, &value), EMU_OK);
    EXPECT_THAT(sim().Trace(), ElementsAre("2(16)", "3(37,0xfffffffe)", "2(1)"));
}

TEST_F(RegistersTest, OtherBanksReadAndWriteNothing)
{
    int value = 5;
    EXPECT_EQ(emuGetReg(2, SIM_REG_R0, &value), EMU_OK);
    EXPECT_EQ(value, 5);
    EXPECT_EQ(emuSetReg(-1, SIM_REG_R0, 1), EMU_OK);
    EXPECT_THAT(sim().Trace(), IsEmpty());
}

TEST_F(RegistersTest, WatchpointUnitRegistersAreAnsweredHere)
{
    for (int n = SIM_REG_WATCH_FIRST; n <= SIM_REG_WATCH_LAST; ++n) {
        int value = 0;
        EXPECT_EQ(emuGetReg(0, n, &value), EMU_OK) << n;
        EXPECT_EQ(value, -1) << n;
        EXPECT_EQ(emuSetReg(0, n, 0x100), EMU_OK) << n;
    }
    EXPECT_THAT(sim().Trace(), IsEmpty());
}

// The simulator ignores numbers it lacks and still answers 0: the refusal is
// Falcrest's.
TEST_F(RegistersTest, NumbersOutsideBothSetsAreRefused)
{
    for (int n : {38, 40, 48, 65, 100, 2146, -1, 0x7FFF}) {
        int value = 5;
        EXPECT_NE(emuGetReg(0, n, &value), EMU_OK) << n;
        EXPECT_EQ(value, 5) << n;
        EXPECT_NE(emuSetReg(0, n, 1), EMU_OK) << n;
    }
    EXPECT_THAT(sim().Trace(), IsEmpty());
}

TEST_F(RegistersTest, HardwareBreakpointUnitsLeaveTheCoreRegistersAlone)
{
    int addrMask = 0xFF;
    int dataMask = -1;
    uint32_t control = 0xFFFF0100;
    EXPECT_EQ(emuSetHwBp(0x8000, &addrMask, 0, &dataMask, 0, 0, &control, 0), EMU_OK);
    EXPECT_EQ(emuSetHwBp(0x8000, &addrMask, 0, &dataMask, 0, 0, &control, 1), EMU_OK);
    int value = 0;
    EXPECT_EQ(emuGetReg(0, 56, &value), EMU_OK);
    EXPECT_EQ(value, -1);
    EXPECT_EQ(emuEnableHwBp(1, 0), EMU_OK);
    EXPECT_EQ(emuEnableHwBp(0, 0x101), EMU_OK);  // unit: the low 8 bits
    EXPECT_EQ(emuClrHwBp(0), EMU_OK);
    EXPECT_EQ(emuClrHwBp(0x10001), EMU_OK);  // unit: the low 16 bits
    EXPECT_EQ(emuClrHwBp(2), EMU_NO_BACKEND);
    // A unit past the two has no registers.
    EXPECT_NE(emuSetHwBp(0x8000, &addrMask, 0, &dataMask, 0, 0, &control, 2), EMU_OK);
    EXPECT_NE(emuEnableHwBp(1, 2), EMU_OK);
    EXPECT_THAT(sim().Trace(), IsEmpty());
}

TEST_F(RegistersTest, PeripheralReadsMoveOneUnitOfTheirSizeAndComeBackInHostOrder)
{
    sim().PokeBytes(0x03FF0010, {0x11, 0x22, 0x33, 0x44});
    const struct {
        int size;
        int value;
        const char* command;
    } cases[] = {
        {1, 0x11, "6(1,0x3ff0010,1)"},
        {2, 0x2211, "6(2,0x3ff0010,2)"},
        {4, 0x44332211, "6(4,0x3ff0010,4)"},
        {0x10002, 0x2211, "6(2,0x3ff0010,2)"},  // the size is the low 16 bits
    };
    for (const auto& c : cases) {
        sim().Clear();
        int value = -1;
        EXPECT_EQ(emuGetIntReg(0x10, c.size, &value, 0), EMU_OK) << c.size;
        EXPECT_EQ(value, c.value) << c.size;
        EXPECT_THAT(sim().Trace(), ElementsAre(c.command));
    }
}

TEST_F(RegistersTest, PeripheralWritesMoveTheLowBytesOfTheValue)
{
    const struct {
        int size;
        std::vector<uint8_t> memory;
    } cases[] = {
        {1, {0xDD, 0x55, 0x55, 0x55, 0x55}},
        {2, {0xDD, 0xCC, 0x55, 0x55, 0x55}},
        {4, {0xDD, 0xCC, 0xBB, 0xAA, 0x55}},
    };
    for (const auto& c : cases) {
        sim().PokeBytes(0x03FF0020, {0x55, 0x55, 0x55, 0x55, 0x55});
        sim().Clear();
        EXPECT_EQ(emuSetIntReg(0x20, c.size, static_cast<int>(0xAABBCCDD), 0), EMU_OK);
        ASSERT_EQ(sim().calls.size(), 1u);
        EXPECT_EQ(sim().calls[0].a1, c.size);
        EXPECT_EQ(sim().calls[0].a4, c.size);
        EXPECT_EQ(sim().PeekBytes(0x03FF0020, 5), c.memory) << c.size;
    }
}

TEST_F(RegistersTest, PeripheralTransfersRefuseOtherSizesAndUnalignedRegisters)
{
    int value = 5;
    for (int size : {0, 3, 5, 8, -1}) {
        EXPECT_EQ(emuGetIntReg(0, size, &value, 0), EMU_REFUSED) << size;
        EXPECT_EQ(emuSetIntReg(0, size, 1, 0), EMU_REFUSED) << size;
    }
    EXPECT_EQ(emuGetIntReg(0x12, 4, &value, 0), EMU_REFUSED);
    EXPECT_EQ(emuSetIntReg(0x11, 2, 1, 0), EMU_REFUSED);
    EXPECT_EQ(value, 5);
    EXPECT_THAT(sim().Trace(), IsEmpty());
}

TEST_F(RegistersTest, AFailedPeripheralReadKeepsTheCallersValue)
{
    sim().FailCall(SIM_CMD_READ_MEM, 0, 3);
    int value = 5;
    EXPECT_EQ(emuGetIntReg(0, 4, &value, 0), 3);
    EXPECT_EQ(value, 5);
}

TEST_F(RegistersTest, PeripheralBaseFollowsTheLastSetting)
{
    emuSetHalvekBaseAddress(0x10000, 0x20000, 1, 0x3FF0000);
    int value = 0;
    emuGetIntReg(4, 4, &value, 0);
    EXPECT_THAT(sim().Trace(), ElementsAre("6(4,0x10004,4)"));
}

// Register 2146 lies outside the simulator's set; 27 is read, and only with
// bit 4 or 5 set is the translation table at 0 read, 1 KiB at a time.
TEST_F(RegistersTest, MmuMapUpdateReadsTheTableOnlyWhenTranslationIsOn)
{
    EXPECT_EQ(MMUMapUpdate(), 1);
    EXPECT_THAT(sim().Trace(), ElementsAre("2(27)"));
    sim().Clear();
    sim().regs[27] = 0x10;
    EXPECT_EQ(MMUMapUpdate(), 1);
    ASSERT_EQ(sim().calls.size(), 17u);
    EXPECT_EQ(sim().Trace()[1], "6(4,0x0,1024)");
    EXPECT_EQ(sim().Trace()[16], "6(4,0x3c00,1024)");
    sim().Clear();
    sim().FailCall(SIM_CMD_READ_MEM, 0, 2);
    EXPECT_EQ(MMUMapUpdate(), 0);
}

}  // namespace

// Run control: go, step, halt, status and the reset sequence.
#include <gmock/gmock.h>

#include "fake_sim_session.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using RunControlTest = FakeSimTest;

std::vector<int> runStates;
int RecordRunState(int running)
{
    runStates.push_back(running);
    return 0;
}

std::vector<uint32_t> periBases;
void RecordPeriBase(uint32_t base)
{
    periBases.push_back(base);
}

TEST_F(RunControlTest, GoStartsTheRunAndTellsTheCpuModelOnlyWhenItStarted)
{
    runStates.clear();
    emuRegisterRunStateHook(&RecordRunState);
    EXPECT_EQ(emuGo(0), EMU_OK);
    EXPECT_THAT(runStates, ElementsAre(1));

    sim().FailCall(SIM_CMD_GO, 1, 5);
    EXPECT_EQ(emuGo(0), 5);
    EXPECT_THAT(runStates, ElementsAre(1));
    EXPECT_THAT(sim().Trace(), ElementsAre("1", "1"));
    emuRegisterRunStateHook(nullptr);
}

TEST_F(RunControlTest, StepHaltAndStatusAreOneCommandEach)
{
    char status = 7;
    EXPECT_EQ(emuStepOne(0), EMU_OK);
    EXPECT_EQ(emuAbort(0), EMU_OK);  // halted already: nothing changes
    EXPECT_EQ(emuGetCpuStatus(&status), EMU_OK);
    EXPECT_EQ(status, 1);
    emuGo(0);
    EXPECT_EQ(emuGetCpuStatus(&status), EMU_OK);
    EXPECT_EQ(status, 0);
    EXPECT_THAT(sim().Trace(), ElementsAre("44", "46", "45", "1", "45"));
    EXPECT_EQ(emuGetCpuStatus(nullptr), EMU_REFUSED);
}

TEST_F(RunControlTest, StepRangeLeavesTheTargetAlone)
{
    EXPECT_EQ(emuStepRange(0x100, 0, 0x200, 0, 0), EMU_OK);
    EXPECT_THAT(sim().Trace(), IsEmpty());
}

TEST_F(RunControlTest, ResetKeepsTheModeDisablesInterruptsAndClearsSpAndLr)
{
    const struct {
        uint32_t cpsr;
        const char* written;
    } cases[] = {
        {0x600000D3, "3(0,0xd3)"},
        {0x00000010, "3(0,0xd0)"},
        {0xF00000BF, "3(0,0xdf)"},
    };
    for (const auto& c : cases) {
        sim().Clear();
        sim().regs[SIM_REG_CPSR] = c.cpsr;
        sim().regs[SIM_REG_SP] = 0x1000;
        sim().regs[SIM_REG_LR] = 0x2000;
        sim().regs[SIM_REG_PC] = 0x3000;
        EXPECT_EQ(emuReset(0, 0, 0), EMU_OK);
        EXPECT_THAT(sim().Trace(), ElementsAre("2(0)", c.written, "3(14,0x0)", "3(15,0x0)"));
        EXPECT_EQ(sim().regs[SIM_REG_SP], 0u);
        EXPECT_EQ(sim().regs[SIM_REG_LR], 0u);
        EXPECT_EQ(sim().regs[SIM_REG_PC], 0x3000u);  // the PC is the caller's
    }
}

TEST_F(RunControlTest, ResetGivesTheResultOfTheLinkRegisterWrite)
{
    sim().FailCall(SIM_CMD_WRITE_REG, 2, 9);
    EXPECT_EQ(emuReset(0, 0, 0), 9);
}

TEST_F(RunControlTest, ResetMovesThePeripheralBaseAndTellsThePeripheralView)
{
    int value = 0;
    sim().PokeBytes(0x2010, {0x78, 0x56, 0x34, 0x12});
    emuSetHalvekBaseAddress(0x1000, 0x2000, 1, 0x3FF0000);

    // Nothing registered: the reset works all the same.
    EXPECT_EQ(emuReset(0, 0, 0), EMU_OK);
    EXPECT_EQ(emuGetIntReg(0x10, 4, &value, 0), EMU_OK);
    EXPECT_EQ(value, 0x12345678);

    emuSetHalvekBaseAddress(0x1000, 0x2000, 1, 0x3FF0000);
    periBases.clear();
    emuRegisterPeriReset(&RecordPeriBase);
    EXPECT_EQ(emuReset(0, 0, 0), EMU_OK);
    EXPECT_THAT(periBases, ElementsAre(0x2000u));
    emuRegisterPeriReset(nullptr);
}

}  // namespace

// Connecting to the simulator library, closing it, and what every operation
// reports while no simulator is bound.
#include <gmock/gmock.h>

#include <functional>

#include "fake_sim_session.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// Each operation that would reach the simulator, with arguments that are
// valid when bound.
struct Operation {
    const char* name;
    std::function<EmuResult()> call;
};

std::vector<Operation> SimulatorOperations()
{
    static char byte;
    static int value;
    static uint8_t buffer[16];
    static ADDR where{0x100, 1};
    static EMU_COMPARE_RESULT compare;
    return {
        {"emuGo", [] { return emuGo(0); }},
        {"emuStepOne", [] { return emuStepOne(0); }},
        {"emuAbort", [] { return emuAbort(0); }},
        {"emuGetCpuStatus", [] { return emuGetCpuStatus(&byte); }},
        {"emuReset", [] { return emuReset(0, 0, 0); }},
        {"emuGetReg", [] { return emuGetReg(0, SIM_REG_PC, &value); }},
        {"emuSetReg", [] { return emuSetReg(0, SIM_REG_PC, 0); }},
        {"emuGetIntReg", [] { return emuGetIntReg(0, 4, &value, 0); }},
        {"emuSetIntReg", [] { return emuSetIntReg(0, 4, 0, 0); }},
        {"emuGetMem", [] { return emuGetMem(0x100, 1, &byte); }},
        {"emuSetMem", [] { return emuSetMem(0x100, 1, 0); }},
        {"emuGetMemN", [] { return emuGetMemN(where, buffer, 16); }},
        {"emuSetMemN", [] { return emuSetMemN(where, buffer, 16); }},
        {"emuCopy", [] { return emuCopy(0x100, 1, 16, 0x200, 1); }},
        {"emuCompare", [] { return emuCompare(0x100, 1, 16, 0x200, 1, &compare, nullptr); }},
        {"emuFill", [] { return emuFill(&where, 16, "ab", 2); }},
        {"emuSetBp", [] { return emuSetBp(where); }},
        {"emuEnableSwBkpt", [] { return emuEnableSwBkpt(); }},
        {"emuDisableSwBkpt", [] { return emuDisableSwBkpt(); }},
    };
}

void ExpectNoBackEnd()
{
    for (const Operation& op : SimulatorOperations())
        EXPECT_EQ(op.call(), EMU_NO_BACKEND) << op.name;
    // What never reaches the simulator answers as when bound.
    int16_t size = 0;
    EXPECT_EQ(emuSetAccessSize(2), EMU_OK);
    EXPECT_EQ(emuGetAccessSize(&size), EMU_OK);
    EXPECT_EQ(size, 2);
    emuSetAccessSize(4);
    int value = 0;
    EXPECT_EQ(emuGetReg(0, 56, &value), EMU_OK);
    EXPECT_EQ(value, -1);
    EXPECT_EQ(emuGetBkptCode(0), EMU_BREAK_WORD);
    EXPECT_EQ(emuClrBp({0x100, 1}), EMU_OK);
}

class ConnectTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        ExitABIDLL();
        platform::SetModuleFolder("");
    }
};

TEST_F(ConnectTest, WithoutTheSimulatorFlagNothingIsSelected)
{
    platform::SetModuleFolder(ZK_FAKE_SIM_DIR);
    EXPECT_EQ(NewABIDLL(0, "LPT1", nullptr, "Pelliton", 1), 0);
    ExpectNoBackEnd();
}

TEST_F(ConnectTest, AMissingSimulatorLibraryRefusesTheConnection)
{
    platform::SetModuleFolder(ZK_NO_SIM_DIR);
    EXPECT_EQ(NewABIDLL(1, "ARM7TDMI", nullptr, "Simulator", 1), 0);
    ExpectNoBackEnd();
    EXPECT_EQ(ExitABIDLL(), 1);
}

// The connection is refused (not reported open) when the library has no
// Sim_Command; the caller then closes it again.
TEST_F(ConnectTest, ALibraryWithoutTheEntryRefusesTheConnection)
{
    platform::SetModuleFolder(ZK_FAKE_SIM_NO_ENTRY_DIR);
    EXPECT_EQ(NewABIDLL(1, "ARM7TDMI", nullptr, "Simulator", 1), 0);
    ExpectNoBackEnd();
    EXPECT_EQ(ExitABIDLL(), 1);
    // The right library connects afterwards.
    platform::SetModuleFolder(ZK_FAKE_SIM_DIR);
    EXPECT_EQ(NewABIDLL(1, "ARM7TDMI", nullptr, "Simulator", 1), 1);
}

TEST_F(ConnectTest, ExitBeforeAnyConnectionSendsNothing)
{
    EXPECT_EQ(ExitABIDLL(), 1);
}

TEST_F(ConnectTest, ASimulatorWithoutTheStopHookEntryConnects)
{
    platform::SetModuleFolder(ZK_FAKE_SIM_NO_HOOK_DIR);
    emuRegisterStopHook([](void*, int, int, uint32_t) {}, nullptr);
    EXPECT_EQ(NewABIDLL(1, "ARM7TDMI", nullptr, "Simulator", 1), 1);
    EXPECT_EQ(emuStepOne(0), EMU_OK);
    emuRegisterStopHook(nullptr, nullptr);
}

using SessionTest = FakeSimTest;

TEST_F(SessionTest, ASecondConnectInitialisesTheSimulatorAgain)
{
    EXPECT_EQ(NewABIDLL(1, "ARM7TDMI", nullptr, "Simulator", 1), 1);
    EXPECT_THAT(sim().Trace(), ElementsAre("0"));
}

TEST_F(SessionTest, ExitClosesOnceAndLeavesNoBackEnd)
{
    emuSetAccessSize(2);
    EXPECT_EQ(ExitABIDLL(), 1);
    EXPECT_EQ(ExitABIDLL(), 1);
    EXPECT_THAT(sim().Trace(), ElementsAre("46", "47"));
    int16_t size = 0;
    emuGetAccessSize(&size);
    EXPECT_EQ(size, 2);
    sim().Clear();
    ExpectNoBackEnd();
    EXPECT_THAT(sim().Trace(), IsEmpty());
}

void RecordStop(void* context, int reason, int, uint32_t)
{
    *static_cast<int*>(context) = reason;
}

TEST_F(SessionTest, TheStopHookReachesTheSimulatorAtEveryBindAndLeavesAtExit)
{
    int reason = 0;
    emuRegisterStopHook(&RecordStop, &reason);  // bound: installed at once
    EXPECT_EQ(sim().hook, &RecordStop);
    sim().FireStop(SIM_STOP_BREAK_WORD, 0, 0x100);
    EXPECT_EQ(reason, SIM_STOP_BREAK_WORD);

    ExitABIDLL();
    EXPECT_EQ(sim().hook, nullptr);
    EXPECT_EQ(NewABIDLL(1, "ARM7TDMI", nullptr, "Simulator", 1), 1);
    EXPECT_EQ(sim().hook, &RecordStop);

    emuRegisterStopHook(nullptr, nullptr);
    EXPECT_EQ(sim().hook, nullptr);
}

}  // namespace

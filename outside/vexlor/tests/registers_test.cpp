// PC, link register and registers by id and by name, through Falcrest.
#include <gmock/gmock.h>

#include "fake_sim_session.h"
#include "vexlor/vexlor.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using CpuRegistersTest = FakeSimTest;

TEST_F(CpuRegistersTest, PcAndLinkRegisterAreThoseOfTheSimulatedProcessor)
{
    sim().regs[SIM_REG_PC] = 0x8000;
    sim().regs[SIM_REG_LR] = 0x1234;
    DWORD pc = 0, lr = 0;
    EXPECT_EQ(CpuGetPC(&pc), EMU_OK);
    EXPECT_EQ(pc, 0x8000u);
    EXPECT_EQ(CpuGetLR(&lr), EMU_OK);
    EXPECT_EQ(lr, 0x1234u);
    EXPECT_EQ(CpuSetPC(0x9000), EMU_OK);
    EXPECT_EQ(sim().regs[SIM_REG_PC], 0x9000u);
    EXPECT_THAT(sim().Trace(), ElementsAre("2(16)", "2(15)", "3(16,0x9000)"));
}

TEST_F(CpuRegistersTest, IdsMapToTheSimulatorsRegisterNumbers)
{
    const struct {
        DWORD id;
        const char* read;
    } cases[] = {{0, "2(1)"}, {13, "2(14)"}, {15, "2(16)"}, {VEXLOR_REG_CPSR, "2(0)"}, {VEXLOR_REG_SPSR, "2(17)"}};
    for (const auto& c : cases) {
        sim().Clear();
        DWORD value = 0;
        EXPECT_EQ(CpuGetRegister(c.id, &value), EMU_OK);
        EXPECT_THAT(sim().Trace(), ElementsAre(c.read)) << c.id;
    }
    sim().Clear();
    EXPECT_EQ(CpuSetRegister(13, 0x100000), EMU_OK);
    EXPECT_THAT(sim().Trace(), ElementsAre("3(14,0x100000)"));

    sim().Clear();
    DWORD value = 7;
    EXPECT_NE(CpuGetRegister(VEXLOR_REG_COUNT, &value), EMU_OK);
    EXPECT_NE(CpuSetRegister(VEXLOR_REG_COUNT, 1), EMU_OK);
    EXPECT_EQ(value, 7u);
    EXPECT_THAT(sim().Trace(), IsEmpty());
}

TEST_F(CpuRegistersTest, AFailedReadKeepsTheCallersValue)
{
    sim().FailCall(SIM_CMD_READ_REG, 0, 3);
    DWORD value = 7;
    EXPECT_EQ(CpuGetRegister(4, &value), 3);
    EXPECT_EQ(value, 7u);
}

TEST(CpuRegisterNames, NamesGiveIds)
{
    const struct {
        const char* name;
        DWORD id;
    } known[] = {{"r0", 0},
                 {"R12", 12},
                 {"sp", 13},
                 {"r13", 13},
                 {"lr", 14},
                 {"r14", 14},
                 {"pc", 15},
                 {"PC", 15},
                 {"cpsr", VEXLOR_REG_CPSR},
                 {"spsr", VEXLOR_REG_SPSR}};
    for (const auto& k : known) {
        DWORD id = 99;
        EXPECT_EQ(CpuFindRegisterId(k.name, &id), 0) << k.name;
        EXPECT_EQ(id, k.id) << k.name;
    }
    for (const char* unknown : {"r16", "r", "", "foo", "r1 "}) {
        DWORD id = 99;
        EXPECT_NE(CpuFindRegisterId(unknown, &id), 0) << unknown;
        EXPECT_EQ(id, 99u);
    }
}

}  // namespace

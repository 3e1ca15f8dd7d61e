// The register grid of the register window: groups, names, values in one
// call, and the PSR's decoded text both ways, over the recording simulator.
#include <gmock/gmock.h>

#include "fake_sim_session.h"
#include "vexlor/vexlor.h"

using ::testing::ElementsAre;

namespace {

using RegisterGridTest = FakeSimTest;

TEST_F(RegisterGridTest, GroupsCoverEveryRegisterOnceInTheSimulatorsOrder)
{
    int groups = 0;
    std::vector<ZkString> names;
    ASSERT_EQ(CpuGetRegGroupNumName(&groups, &names), 0);
    EXPECT_THAT(names, ElementsAre("Current", "FIQ", "SVC", "Abort", "IRQ", "Undef"));
    DWORD total = 0;
    std::vector<std::string> all;
    for (int g = 0; g < groups; ++g) {
        DWORD count = 0;
        ASSERT_EQ(CpuGetNumRegs(&count, static_cast<BYTE>(g)), 0);
        for (DWORD i = total; i < total + count; ++i) {
            char name[16];
            WORD aux = 9, kind = 9, width = 0;
            ASSERT_EQ(CpuGetRegisterInfo(i, name, sizeof name, &aux, &kind, &width), 0);
            all.push_back(std::string(name) + (kind ? "*" : ""));
        }
        total += count;
    }
    EXPECT_EQ(total, VEXLOR_REG_COUNT);
    const std::vector<std::string> expected = {
        "r0",      "r1",        "r2",        "r3",      "r4",        "r5",       "r6",      "r7",
        "r8",      "r9",        "r10",       "r11",     "r12",       "r13",      "r14",     "r15",
        "CPSR*",   "SPSR*",     "r8_fiq",    "r9_fiq",  "r10_fiq",   "r11_fiq",  "r12_fiq", "r13_fiq",
        "r14_fiq", "SPSR_fiq*", "r13_svc",   "r14_svc", "SPSR_svc*", "r13_abt",  "r14_abt", "SPSR_abt*",
        "r13_irq", "r14_irq",   "SPSR_irq*", "r13_und", "r14_und",   "SPSR_und*"};
    EXPECT_EQ(all, expected);
    DWORD count = 0;
    EXPECT_NE(CpuGetNumRegs(&count, 6), 0);
}

TEST_F(RegisterGridTest, NamesRespectTheCallersBuffer)
{
    char name[8] = "x";
    EXPECT_EQ(CpuGetRegNameFromIdx(25, name, 8), VEXLOR_NOT_CONFIGURED);  // "SPSR_fiq" needs 9 bytes
    EXPECT_STREQ(name, "x");
    char big[9];
    EXPECT_EQ(CpuGetRegNameFromIdx(25, big, sizeof big), 0);
    EXPECT_STREQ(big, "SPSR_fiq");
    EXPECT_NE(CpuGetRegNameFromIdx(VEXLOR_REG_COUNT, big, sizeof big), 0);
}

TEST_F(RegisterGridTest, AllValuesOfARowListComeFromTheirRegisters)
{
    sim().regs[SIM_REG_R0 + 3] = 0x33;
    sim().regs[SIM_REG_CPSR] = 0x600000D3;
    sim().regs[SIM_REG_R13_SVC] = 0x1000;
    DWORD values[] = {3, VEXLOR_REG_CPSR, 26};
    ASSERT_EQ(CpuGetAllRegs(0, 3, values), 0);
    EXPECT_THAT(values, ElementsAre(0x33u, 0x600000D3u, 0x1000u));

    sim().Clear();
    sim().FailCall(SIM_CMD_READ_REG, 0, EMU_TARGET_LOST);
    DWORD again[] = {3};
    EXPECT_EQ(CpuGetAllRegs(0, 1, again), EMU_TARGET_LOST);
}

TEST_F(RegisterGridTest, PsrTextDecodesAndAppliesTheArchitecturesBits)
{
    char text[32] = "600000D3";
    ASSERT_EQ(CpuGetRegisterValueText(VEXLOR_REG_CPSR, VEXLOR_PSR_TEXT_WIDTH, text, sizeof text), 0);
    EXPECT_STREQ(text, "nZCvIFt_SVC32");
    char small[9] = "600000D3";  // the decoded text needs 14
    EXPECT_NE(CpuGetRegisterValueText(VEXLOR_REG_CPSR, VEXLOR_PSR_TEXT_WIDTH, small, sizeof small), 0);
    char numeric[32] = "0";
    EXPECT_NE(CpuGetRegisterValueText(0, VEXLOR_PSR_TEXT_WIDTH, numeric, sizeof numeric), 0);

    // Bits 8-27 of the old value stay; flags, I, F, T and mode come from the text.
    sim().regs[SIM_REG_CPSR] = 0x0000FF13;
    ZkString edit = "NzcVift_user32";
    ASSERT_EQ(CpuSetRegisterValueText(VEXLOR_REG_CPSR, VEXLOR_PSR_TEXT_WIDTH, &edit), 0);
    EXPECT_EQ(sim().regs[SIM_REG_CPSR], 0x9000FF10u);
    EXPECT_EQ(edit, "9000FF10");

    for (const char* bad : {"", "NZCVIFT", "NZCVIFT-SVC32", "NZCVXFT_SVC32", "nzcvift_Hyp32", "nzcvift_SVC32x"}) {
        ZkString t = bad;
        EXPECT_NE(CpuSetRegisterValueText(VEXLOR_REG_CPSR, VEXLOR_PSR_TEXT_WIDTH, &t), 0) << bad;
        EXPECT_EQ(t, bad);
    }
    EXPECT_EQ(sim().regs[SIM_REG_CPSR], 0x9000FF10u);
}

TEST_F(RegisterGridTest, BankedIndicesWriteTheBankedRegisters)
{
    ASSERT_EQ(CpuSetRegister(33, 0xABCD), EMU_OK);  // r14_irq
    EXPECT_EQ(sim().regs[SIM_REG_R14_IRQ], 0xABCDu);
    DWORD width = 0;
    EXPECT_EQ(CpuGetRegisterWidth(33, &width), 0);
    EXPECT_EQ(width & 0xFF, 32u);
}

}  // namespace

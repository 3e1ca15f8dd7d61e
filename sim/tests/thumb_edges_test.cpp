// Thumb edge cases, each a snippet of snippets/thumb_edges.S run to its end,
// and the 0xFEDE halfword as break word and as BL second half.
#include <gtest/gtest.h>

#include <vector>

#include "elf_image.h"
#include "host_tools.h"
#include "snippet_runner.h"

namespace zk::sim::test {
namespace {

const SnippetImage& Image()
{
    static const SnippetImage image("sim_thumb_edges");
    return image;
}

struct ThumbCase {
    const char* label;
    std::vector<std::pair<unsigned, uint32_t>> regs;  // r0-r15
    uint32_t flagMask;
    uint32_t flags;
};

class ThumbEdges : public ::testing::TestWithParam<ThumbCase> {};

TEST_P(ThumbEdges, RegistersAndFlags)
{
    const ThumbCase& c = GetParam();
    auto sim = Image().Start(c.label);
    ASSERT_TRUE(sim->Cpu().thumb);
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    EXPECT_TRUE(sim->Cpu().thumb) << "ends on the Thumb break halfword";
    for (const auto& [reg, value] : c.regs)
        EXPECT_EQ(Reg(*sim, reg), value) << "r" << reg;
    EXPECT_EQ(sim->Cpu().cpsr & c.flagMask, c.flags) << std::hex << "cpsr " << sim->Cpu().cpsr;
}

constexpr uint32_t kNZCV = kN | kZ | kC | kV;

INSTANTIATE_TEST_SUITE_P(Alu, ThumbEdges,
                         ::testing::Values(ThumbCase{"lsrs_imm32", {{0, 0}}, kN | kZ | kC, kZ | kC},
                                           ThumbCase{"asrs_imm32", {{0, 0xFFFFFFFF}}, kN | kZ | kC, kN | kC},
                                           ThumbCase{"lsls_reg32", {{0, 0}}, kN | kZ | kC, kZ | kC},
                                           ThumbCase{"rors_reg_by_zero_keeps_carry", {{0, 5}}, kN | kZ | kC, kC},
                                           ThumbCase{"negs_zero", {{0, 0}}, kNZCV, kZ | kC},
                                           ThumbCase{"adcs_sbcs", {{1, 9}, {3, 6}}, kNZCV, kC},
                                           ThumbCase{"muls_bics_mvns", {{0, 42}, {2, 0xF0}, {4, 0xFFFFFFF0}}, 0, 0},
                                           ThumbCase{"mov_high_registers", {{1, 9}, {8, 9}, {9, 9}}, 0, 0},
                                           ThumbCase{"add_high_register_and_cmp", {{1, 400}, {10, 400}}, kNZCV, kC},
                                           ThumbCase{"conditional_branches", {{0, 3}}, 0, 0}),
                         [](const auto& info) { return std::string(info.param.label); });

INSTANTIATE_TEST_SUITE_P(
    Transfers, ThumbEdges,
    ::testing::Values(ThumbCase{"ldr_pc_relative", {{0, 0xCAFEF00D}}, 0, 0},
                      ThumbCase{
                          "ldsb_ldrh_ldsh", {{0, 0xFFFFFF80}, {4, 0x8000}, {5, 0xFFFF8000}, {6, 0x80808080}}, 0, 0},
                      ThumbCase{"ldr_str_byte_and_rotate", {{0, 0x11443322}, {4, 0x44}, {6, 0x44332299}}, 0, 0},
                      ThumbCase{"ldmia_base_last_keeps_loaded", {{1, 0x33}}, 0, 0},
                      ThumbCase{"ldmia_base_first_keeps_loaded", {{1, 0x44}, {2, 0x55}}, 0, 0},
                      ThumbCase{"ldmia_base_middle_keeps_loaded", {{1, 0x66}}, 0, 0},
                      ThumbCase{"push_pop_with_lr_and_pc", {{1, 1}, {2, 2}}, 0, 0},
                      ThumbCase{"pop_pc_even_stays_thumb", {{0, 77}}, 0, 0},
                      ThumbCase{"bx_to_arm_and_back", {{1, 21}, {3, 22}}, 0, 0}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(ThumbPc, AddAndMovReadPcPlus4WhileAddPcImmediateAndLdrMaskIt)
{
    const uint32_t mov = Image().Symbol("mov_reads_pc_plus_4_unmasked") & ~1u;
    auto a = Image().Start("mov_reads_pc_plus_4_unmasked");
    ASSERT_EQ(RunToEnd(*a), kNormalEnd);
    EXPECT_EQ(Reg(*a, 0), mov + 2 + 4);
    const uint32_t add = Image().Symbol("add_pc_immediate_masks") & ~1u;
    auto b = Image().Start("add_pc_immediate_masks");
    ASSERT_EQ(RunToEnd(*b), kNormalEnd);
    EXPECT_EQ(Reg(*b, 0), ((add + 2 + 4) & ~3u) + 4);
}

TEST(ThumbTransfers, SpRelativeAndStackAdjust)
{
    const uint32_t buf = Image().Symbol("buf");
    auto sim = Image().Start("sp_relative_and_adjust");
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    EXPECT_EQ(Reg(*sim, 2), 0x5Au);
    EXPECT_EQ(Reg(*sim, 3), buf + 28);
    EXPECT_EQ(Reg(*sim, 4), buf + 32);
}

TEST(ThumbTransfers, PopRestoresTheStackPointer)
{
    auto sim = Image().Start("push_pop_with_lr_and_pc");
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    EXPECT_EQ(Reg(*sim, 4), Image().Symbol("buf") + 32);
}

TEST(ThumbTransfers, StmiaLdmiaWithTheBaseInTheList)
{
    const uint32_t buf = Image().Symbol("buf");
    auto later = Image().Start("stmia_ldmia_base_in_list");
    ASSERT_EQ(RunToEnd(*later), kNormalEnd);
    EXPECT_EQ(Reg(*later, 1), buf + 8);
    EXPECT_EQ(Reg(*later, 3), buf + 8) << "r1 is not the lowest register: the final address is stored";
    EXPECT_EQ(Reg(*later, 4), 0x11u) << "r4 in the list keeps the value loaded into it";
    EXPECT_EQ(Reg(*later, 5), buf + 8);
    auto lowest = Image().Start("stmia_lowest_base_stores_original");
    ASSERT_EQ(RunToEnd(*lowest), kNormalEnd);
    EXPECT_EQ(Reg(*lowest, 3), buf);
}

TEST(ThumbBranches, BlLeavesTheReturnAddressWithBit0Set)
{
    auto sim = Image().Start("bl_sets_link_with_bit0");
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    EXPECT_EQ(Reg(*sim, 0), Image().Symbol("bl_return") | 1u);
    EXPECT_EQ(sim->InstructionCount(), 3u) << "the two halves count as two instructions";
    EXPECT_EQ(sim->GetHistory().Back(4).code, kThumbBlFirst);
    EXPECT_EQ(sim->GetHistory().Back(3).code, kThumbBlSecond);
}

struct ThumbException {
    const char* label;
    uint32_t offset;  // of the instruction within the snippet
    uint32_t vector;
    Mode mode;
};

TEST(ThumbExceptions, EnterTheirVectorInArmStateWithTheNextInstructionAsLink)
{
    const ThumbException cases[] = {
        {"swi_in_thumb", 2, 0x08, Mode::Svc},
        {"mov_low_registers_in_high_format", 0, 0x04, Mode::Undef},
        {"branch_condition_1110_is_undefined", 0, 0x04, Mode::Undef},
        {"bx_with_h1_is_undefined", 0, 0x04, Mode::Undef},
    };
    for (const ThumbException& c : cases) {
        auto sim = Image().Start(c.label);
        ASSERT_EQ(RunToEnd(*sim), kNormalEnd) << c.label;
        EXPECT_EQ(sim->Cpu().pc, c.vector) << c.label;
        EXPECT_EQ(sim->Cpu().mode, c.mode) << c.label;
        EXPECT_FALSE(sim->Cpu().thumb) << c.label;
        EXPECT_EQ(Reg(*sim, 14), (Image().Symbol(c.label) & ~1u) + c.offset + 2) << c.label;
        uint32_t spsr = 0;
        sim->ReadRegister(17, spsr);
        EXPECT_TRUE(spsr & kCpsrThumb) << c.label;
    }
}

// 0xFEDE after a branch stops the run, even where the halfword before it in
// memory looks like a BL first half.
TEST(ThumbBreakHalfword, StopsUnlessTheInstructionJustExecutedWasABlFirstHalf)
{
    auto sim = Image().Start("break_halfword_after_literal_looking_like_bl");
    const uint32_t start = Image().Symbol("break_halfword_after_literal_looking_like_bl") & ~1u;
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    EXPECT_EQ(sim->Cpu().pc, start + 4);
    EXPECT_EQ(sim->InstructionCount(), 1u);
}

// A call whose BL second half encodes 0xFEDE runs through instead of ending
// as a normal end in the middle of the call.
TEST(ThumbBreakHalfword, BlWhoseSecondHalfIsFedeCompletesTheCall)
{
    Simulator sim;
    std::string error;
    ASSERT_TRUE(tools::LoadElfFile(zk::test::FixturePath("sim_bl_fede"), sim, error)) << error;
    ASSERT_EQ(sim.Memory().Store().Read(0x3006, 2), kBreakHalfword) << "the fixture's call encodes 0xFEDE";
    ASSERT_EQ(sim.Run(1'000'000), kNormalEnd);
    uint32_t x = 0x600DCAFEu;
    for (uint32_t i = 0; i < 10; ++i)
        x = (x * 3u + 1u) ^ i;
    EXPECT_EQ(Reg(sim, 0), x);
    EXPECT_FALSE(sim.Cpu().thumb);

    // Stepping: the first half in one run, the second half in the next.
    Simulator step;
    ASSERT_TRUE(tools::LoadElfFile(zk::test::FixturePath("sim_bl_fede"), step, error)) << error;
    int code = 0;
    while (step.Cpu().pc != 0x3004 && code != kNormalEnd)
        code = step.Run(1);
    ASSERT_EQ(step.Run(1), kThumbBlFirst);
    EXPECT_EQ(step.Run(1), kThumbBlSecond);
    EXPECT_EQ(step.Cpu().pc, 0x3DC4u);
}

}  // namespace
}  // namespace zk::sim::test

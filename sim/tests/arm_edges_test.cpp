// ARM edge cases, each a snippet of snippets/arm_edges.S run to its end.
#include <gtest/gtest.h>

#include <vector>

#include "snippet_runner.h"

namespace zk::sim::test {
namespace {

struct RegCase {
    const char* label;                                // the snippet, named by what it runs
    std::vector<std::pair<unsigned, uint32_t>> regs;  // r0-r15 of the final mode
    uint32_t flagMask;
    uint32_t flags;
};

class ArmEdges : public ::testing::TestWithParam<RegCase> {
protected:
    static const SnippetImage& Image()
    {
        static const SnippetImage image("sim_arm_edges");
        return image;
    }
};

TEST_P(ArmEdges, RegistersAndFlags)
{
    const RegCase& c = GetParam();
    auto sim = Image().Start(c.label);
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    for (const auto& [reg, value] : c.regs)
        EXPECT_EQ(Reg(*sim, reg), value) << "r" << reg;
    EXPECT_EQ(sim->Cpu().cpsr & c.flagMask, c.flags) << std::hex << "cpsr " << sim->Cpu().cpsr;
}

constexpr uint32_t kNZCV = kN | kZ | kC | kV;

INSTANTIATE_TEST_SUITE_P(Shifter, ArmEdges,
                         ::testing::Values(RegCase{"movs_lsr32", {{0, 0}}, kNZCV & ~kV, kZ | kC},
                                           RegCase{"movs_asr32", {{0, 0xFFFFFFFF}}, kN | kZ | kC, kN | kC},
                                           RegCase{"movs_rrx", {{0, 0x80000001}}, kN | kC, kN | kC},
                                           RegCase{"movs_lsl_reg32", {{0, 0}}, kZ | kC, kZ | kC},
                                           RegCase{"movs_lsl_reg33", {{0, 0}}, kZ | kC, kZ},
                                           RegCase{"movs_lsr_reg32", {{0, 0}}, kZ | kC, kZ | kC},
                                           RegCase{"movs_asr_reg40", {{0, 0xFFFFFFFF}}, kN | kC, kN | kC},
                                           RegCase{"movs_ror_reg32", {{0, 0x80000001}}, kN | kC, kN | kC},
                                           RegCase{"movs_ror_reg36", {{0, 0xF0000001}}, kN | kC, kN | kC},
                                           RegCase{"movs_lsl_reg_uses_low_byte", {{0, 0x10}}, kC, 0},
                                           RegCase{"movs_imm_rotated", {{0, 0x80000000}}, kN | kC, kN | kC}),
                         [](const auto& info) { return std::string(info.param.label); });

INSTANTIATE_TEST_SUITE_P(Arithmetic, ArmEdges,
                         ::testing::Values(RegCase{"adds_signed_overflow", {{0, 0x80000000}}, kNZCV, kN | kV},
                                           RegCase{"subs_zero_minus_one", {{0, 0xFFFFFFFF}}, kNZCV, kN},
                                           RegCase{"adcs_with_carry_in", {{0, 0}}, kNZCV, kZ | kC},
                                           RegCase{"sbcs_with_borrow", {{0, 2}}, kNZCV, kC},
                                           RegCase{"rscs_reverse", {{0, 7}}, kNZCV, kC},
                                           RegCase{"cmn_sets_carry", {}, kNZCV, kZ | kC},
                                           RegCase{"teq_keeps_overflow", {}, kZ | kV, kZ | kV},
                                           RegCase{"muls_negative", {{0, 0xFFFFFFFB}}, kN | kZ, kN},
                                           RegCase{"mla_accumulates", {{0, 142}}, 0, 0},
                                           RegCase{"umull_full_product", {{0, 1}, {1, 0xFFFFFFFE}}, 0, 0},
                                           RegCase{"smulls_negative", {{0, 0xFFFFFFFA}, {1, 0xFFFFFFFF}}, kN | kZ, kN},
                                           RegCase{"umlals_zero", {{0, 0}, {1, 0}}, kN | kZ, kZ},
                                           RegCase{"smlal_accumulates", {{0, 0xFFFFFFFF}, {1, 0xFFFFFFFF}}, 0, 0}),
                         [](const auto& info) { return std::string(info.param.label); });

INSTANTIATE_TEST_SUITE_P(
    Transfers, ArmEdges,
    ::testing::Values(
        RegCase{"ldr_unaligned_rotates", {{0, 0x11443322}}, 0, 0}, RegCase{"ldrb_zero_extends", {{0, 0xFF}}, 0, 0},
        RegCase{"ldrh_ldrsh_ldrsb", {{0, 0x8000}, {3, 0xFFFF8000}, {4, 0xFFFFFF80}, {5, 0xFFFF80F0}}, 0, 0},
        RegCase{"strb_keeps_other_bytes", {{0, 0x12000000}}, 0, 0}, RegCase{"strh_post_index", {{0, 0x12341234}}, 0, 0},
        RegCase{"ldr_register_offset_shifted", {{0, 0x12345678}}, 0, 0},
        RegCase{"ldr_base_is_destination", {{1, 0}}, 0, 0},
        RegCase{"swp_word_and_byte", {{0, 0x11223344}, {4, 0xAABBCCDD}, {6, 0xDD}, {7, 0xAABBCC55}}, 0, 0},
        // With write-back and the base in the list the loaded value wins
        // wherever the base stands (ARM7TDMI, qemu).
        RegCase{"ldmia_base_first_keeps_loaded", {{0, 0x11}, {1, 0x22}}, 0, 0},
        RegCase{"ldmia_base_middle_keeps_loaded", {{0, 0x11}, {1, 0x22}, {2, 0x33}}, 0, 0},
        RegCase{"ldmdb_base_in_list_keeps_loaded", {{2, 0x44}, {3, 0x55}}, 0, 0},
        RegCase{"ldmia_base_last_keeps_loaded", {{0, 0x11}, {1, 0x22}}, 0, 0},
        RegCase{"stmdb_ldmib_addressing", {{5, 1}, {6, 2}, {8, 1}}, 0, 0},
        RegCase{"ldm_empty_list_loads_r0", {{0, 0x5A5A5A5A}}, 0, 0},
        RegCase{"stm_user_bank_from_fiq", {{1, 8}, {2, 0x88}}, 0, 0}),
    [](const auto& info) { return std::string(info.param.label); });

INSTANTIATE_TEST_SUITE_P(StatusRegisters, ArmEdges,
                         ::testing::Values(RegCase{"msr_control_in_user_mode_ignored", {{0, 0xF0000010}}, 0, 0},
                                           RegCase{"msr_spsr_in_system_mode", {{0, 0}}, 0, 0},
                                           RegCase{"msr_switches_bank", {{0, 0x100}}, 0, 0},
                                           RegCase{"movs_pc_lr_restores_spsr", {{0, 0x60000010}}, 0, 0},
                                           RegCase{"movs_pc_lr_in_user_mode", {{0, 0x40000010}}, 0, 0},
                                           RegCase{"ldm_pc_caret_restores_spsr", {{0, 0x80000010}}, 0, 0},
                                           RegCase{"conditional_skip_counts", {{0, 0}, {1, 6}}, 0, 0},
                                           RegCase{"nv_condition_never_executes", {{0, 1}}, 0, 0},
                                           RegCase{"bx_to_thumb_and_back", {{1, 42}, {2, 7}}, 0, 0}),
                         [](const auto& info) { return std::string(info.param.label); });

class ArmEdgeMemory : public ::testing::Test {
protected:
    const SnippetImage image_{"sim_arm_edges"};
    uint32_t Word(Simulator& sim, uint32_t addr)
    {
        uint32_t v = 0;
        sim.ReadMemory(addr, AccessKind::StoreOnly, 4, v);
        return v;
    }
};

TEST_F(ArmEdgeMemory, StrPcStoresTheInstructionAddressPlus12)
{
    auto sim = image_.Start("str_pc_stores_plus_12");
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    const uint32_t str = image_.Symbol("str_pc_stores_plus_12") + 4;
    EXPECT_EQ(Word(*sim, image_.Symbol("buf")), str + 12);
}

TEST_F(ArmEdgeMemory, AddWithPcShiftedByRegisterReadsPcPlus12)
{
    auto sim = image_.Start("add_pc_shifted_by_register");
    sim->Cpu().r[1] = 0;
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    EXPECT_EQ(Reg(*sim, 0), image_.Symbol("add_pc_shifted_by_register") + 4 + 12);
}

// A written-back base in the list stores its original value when it is the
// lowest register, the final address otherwise (ARM7TDMI).
TEST_F(ArmEdgeMemory, StmWithBaseInListStoresOriginalWhenLowestElseFinal)
{
    const uint32_t buf = image_.Symbol("buf");
    auto lowest = image_.Start("stmia_lowest_base_stores_original");
    ASSERT_EQ(RunToEnd(*lowest), kNormalEnd);
    EXPECT_EQ(Reg(*lowest, 0), buf + 8);
    EXPECT_EQ(Reg(*lowest, 3), buf);
    EXPECT_EQ(Word(*lowest, buf + 4), 0x77u);
    auto later = image_.Start("stmia_later_base_stores_final");
    ASSERT_EQ(RunToEnd(*later), kNormalEnd);
    EXPECT_EQ(Reg(*later, 3), buf + 8);
    auto push = image_.Start("push_sp_lr_stores_original_sp");
    ASSERT_EQ(RunToEnd(*push), kNormalEnd);
    EXPECT_EQ(Reg(*push, 1), buf + 8);
    EXPECT_EQ(Reg(*push, 0), buf + 16);
}

TEST_F(ArmEdgeMemory, PostAndPreIndexedWriteBack)
{
    const uint32_t buf = image_.Symbol("buf");
    auto post = image_.Start("ldr_post_index_writes_back");
    ASSERT_EQ(RunToEnd(*post), kNormalEnd);
    EXPECT_EQ(Reg(*post, 1), buf + 4);
    auto pre = image_.Start("ldr_pre_index_writeback");
    ASSERT_EQ(RunToEnd(*pre), kNormalEnd);
    EXPECT_EQ(Reg(*pre, 1), buf + 8);
}

TEST_F(ArmEdgeMemory, MsrSpsrInSystemModeWritesOnlyTheFlagsOfTheSpareSlot)
{
    auto sim = image_.Start("msr_spsr_in_system_mode");
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    uint32_t spsr = 1;
    ASSERT_TRUE(sim->ReadRegister(17, spsr));
    EXPECT_EQ(spsr, 0xF0000000u);
}

TEST_F(ArmEdgeMemory, MsrBankSwitchKeepsEachModesStackPointer)
{
    auto sim = image_.Start("msr_switches_bank");
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    uint32_t irqSp = 0;
    sim->ReadRegister(32, irqSp);
    EXPECT_EQ(irqSp, 0x200u);
}

TEST_F(ArmEdgeMemory, BlSetsTheLinkRegisterToTheNextInstruction)
{
    auto sim = image_.Start("bl_sets_link");
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    EXPECT_EQ(Reg(*sim, 0), image_.Symbol("bl_sets_link") + 4);
}

TEST_F(ArmEdgeMemory, ConditionFailedInstructionsAreCounted)
{
    auto sim = image_.Start("conditional_skip_counts");
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    EXPECT_EQ(sim->InstructionCount(), 4u);
    auto nv = image_.Start("nv_condition_never_executes");
    ASSERT_EQ(RunToEnd(*nv), kNormalEnd);
    EXPECT_EQ(nv->InstructionCount(), 2u);
}

// Snippets that raise an exception stop on the normal-end word at its vector.
struct ExceptionCase {
    const char* label;
    uint32_t vector;
    Mode mode;
    uint32_t linkOffset;  // r14 of the new mode minus the snippet's address
};

class ArmExceptions : public ::testing::TestWithParam<ExceptionCase> {};

TEST_P(ArmExceptions, EnterTheirVector)
{
    const ExceptionCase& c = GetParam();
    static const SnippetImage image("sim_arm_edges");
    auto sim = image.Start(c.label);
    const uint32_t start = image.Symbol(c.label);
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    EXPECT_EQ(sim->Cpu().pc, c.vector);
    EXPECT_EQ(sim->Cpu().mode, c.mode);
    EXPECT_EQ(Reg(*sim, 14), start + c.linkOffset);
    EXPECT_EQ(sim->Cpu().cpsr & 0xA0, 0x80u) << "I set, T clear";
}

INSTANTIATE_TEST_SUITE_P(Vectors, ArmExceptions,
                         ::testing::Values(ExceptionCase{"swi_enters_svc", 0x08, Mode::Svc, 8},
                                           ExceptionCase{"undefined_space_enters_undef", 0x04, Mode::Undef, 4},
                                           ExceptionCase{"ldc_is_undefined", 0x04, Mode::Undef, 4},
                                           ExceptionCase{"cdp_is_undefined", 0x04, Mode::Undef, 4},
                                           ExceptionCase{"mrc_other_coprocessor_is_undefined", 0x04, Mode::Undef, 4},
                                           ExceptionCase{"cmp_without_s_is_undefined", 0x04, Mode::Undef, 4}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(ArmExceptionsSpsr, SwiFromUserKeepsTheOldCpsrInSpsrSvc)
{
    static const SnippetImage image("sim_arm_edges");
    auto sim = image.Start("swi_enters_svc");
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    uint32_t spsr = 0;
    sim->ReadRegister(28, spsr);
    EXPECT_EQ(spsr & 0x1F, 0x10u);
}

}  // namespace
}  // namespace zk::sim::test

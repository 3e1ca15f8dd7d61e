// Programs that turn on protection regions and caches through MCR, each a
// snippet of snippets/cp15_programs.S run on the core, with their final
// registers, memory and cache lines asserted.
#include <gtest/gtest.h>

#include "snippet_runner.h"

namespace zk::sim::test {
namespace {

const SnippetImage& Image()
{
    static const SnippetImage image("sim_cp15_programs");
    return image;
}

uint32_t StoreWord(Simulator& sim, uint32_t addr)
{
    return sim.Memory().Store().Read(addr, 4);
}

uint32_t Spsr(const Simulator& sim)
{
    uint32_t v = 0;
    sim.ReadRegister(17, v);
    return v;
}

// ---- protection -------------------------------------------------------------

TEST(Cp15Programs, NoRegionEnabledRefusesEveryFetch)
{
    auto sim = Image().Start("prefetch_abort_no_region");
    const uint32_t start = Image().Symbol("prefetch_abort_no_region");
    EXPECT_EQ(sim->Run(3), kPrefetchAbort);  // mov, mcr, then the refused fetch
    EXPECT_EQ(sim->Cpu().pc, 0x0Cu);
    EXPECT_EQ(sim->Cpu().mode, Mode::Abort);
    EXPECT_EQ(Reg(*sim, 14), start + 12);
    EXPECT_EQ(sim->InstructionCount(), 2u);
    EXPECT_EQ(sim->GetHistory().Back(1).pc, start + 8);
    EXPECT_EQ(sim->GetHistory().Back(1).word, 0u);
    // The vector itself is refused too.
    EXPECT_EQ(sim->Run(1), kPrefetchAbort);
    EXPECT_EQ(sim->Cpu().pc, 0x0Cu);
    EXPECT_EQ(Reg(*sim, 14), 0x10u);
    EXPECT_EQ(sim->InstructionCount(), 2u);
    EXPECT_EQ(Reg(*sim, 1), 0u);
}

TEST(Cp15Programs, RefusedStoreTakesADataAbortAndLeavesMemory)
{
    auto sim = Image().Start("data_abort_refused_store");
    sim->Memory().Store().Write(0x200000, 4, 0x12345678);
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    EXPECT_EQ(sim->Cpu().pc, 0x10u);
    EXPECT_EQ(sim->Cpu().mode, Mode::Abort);
    EXPECT_EQ(Reg(*sim, 14), Image().Symbol("refused_store") + 8);
    EXPECT_EQ(StoreWord(*sim, 0x200000), 0x12345678u);
}

TEST(Cp15Programs, UserModeReadsButCannotWriteAReadOnlyRegion)
{
    auto sim = Image().Start("user_read_only");
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    EXPECT_EQ(Reg(*sim, 2), 7u);
    EXPECT_EQ(sim->Cpu().pc, 0x10u);
    EXPECT_EQ(Reg(*sim, 14), Image().Symbol("user_store") + 8);
    EXPECT_EQ(Spsr(*sim) & 0x1F, 0x10u);
    EXPECT_EQ(StoreWord(*sim, 0x20000), 7u);
    EXPECT_EQ(StoreWord(*sim, 0x20004), 0u);
}

TEST(Cp15Programs, SmallRegionSizeFieldIsStoredAs4KB)
{
    auto sim = Image().Start("region_size_clamped");
    sim->Memory().Store().Write(0x12345FFC, 4, 0xCAFE);
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    EXPECT_EQ(Reg(*sim, 1), 0x12345017u);
    EXPECT_EQ(Reg(*sim, 2), 0xCAFEu);
    EXPECT_EQ(sim->Cpu().pc, 0x10u);
    EXPECT_EQ(Reg(*sim, 14), Image().Symbol("past_clamped_region") + 8);
}

TEST(Cp15Programs, SizeField31CoversAll4GB)
{
    auto sim = Image().Start("full_region_n31");
    sim->Memory().Store().Write(0xFFFFFFFC, 4, 0xF00D);
    sim->Memory().Store().Write(0x80000000, 4, 0xBEEF);
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    EXPECT_EQ(sim->Cpu().mode, Mode::Svc) << "no abort";
    EXPECT_EQ(Reg(*sim, 2), 0xF00Du);
    EXPECT_EQ(Reg(*sim, 3), 0xBEEFu);
    EXPECT_EQ(StoreWord(*sim, 0xFFFFFFF0), 0xBEEFu);
    const ProtectionRegion& r = sim->Memory().GetProtectionUnit().Settings().regions[0];
    EXPECT_EQ(r.base, 0u);
    EXPECT_EQ(r.size, uint64_t{1} << 32);
}

// ---- coprocessor access --------------------------------------------------------

TEST(Cp15Programs, McrInUserModeIsUndefined)
{
    auto sim = Image().Start("mcr_in_user_is_undefined");
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    EXPECT_EQ(sim->Cpu().pc, 0x04u);
    EXPECT_EQ(sim->Cpu().mode, Mode::Undef);
    EXPECT_EQ(Reg(*sim, 14), Image().Symbol("user_mcr") + 4);
    EXPECT_EQ(sim->Cp15().Registers().control, 0x300u);
}

TEST(Cp15Programs, MrcInUserModeReads)
{
    auto sim = Image().Start("mrc_in_user_reads");
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    EXPECT_EQ(sim->Cpu().mode, Mode::User);
    EXPECT_EQ(Reg(*sim, 0), 0x11u);
    EXPECT_EQ(Reg(*sim, 1), 0x16u);
    EXPECT_EQ(Reg(*sim, 2), 0x80u);
}

TEST(Cp15Programs, AccessDisableBitRefusesMrcAndMcr)
{
    auto sim = Image().Start("access_disable_refuses");
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    EXPECT_EQ(sim->Cpu().pc, 0x04u);
    EXPECT_EQ(Reg(*sim, 14), Image().Symbol("refused_mrc") + 4);
    EXPECT_EQ(sim->Cp15().Registers().control, 0x8300u);
    sim->WriteRegister(0, 0x13);
    uint32_t v;
    EXPECT_FALSE(sim->ReadCoprocessorRegister(0, 0, v));
    EXPECT_FALSE(sim->WriteCoprocessorRegister(1, 0, 0x300));
}

TEST(Cp15Programs, MovedVectorBaseTakesTheSwiAtBasePlus8)
{
    auto sim = Image().Start("moved_vector_base");
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    EXPECT_EQ(sim->Cpu().pc, 0x1000Cu);
    EXPECT_EQ(Reg(*sim, 5), 0x55u);
    EXPECT_EQ(Reg(*sim, 6), 0x10000u);
    EXPECT_EQ(sim->Cpu().mode, Mode::Svc);
    EXPECT_EQ(Reg(*sim, 14), Image().Symbol("moved_swi") + 4);
}

TEST(Cp15Programs, ControlBit14ResetsTheSimulatorAfterTheInstruction)
{
    auto sim = Image().Start("reset_by_control_bit14");
    EXPECT_EQ(RunToEnd(*sim), kReset);
    EXPECT_EQ(sim->Cpu().pc, 0u);
    EXPECT_EQ(sim->Cpu().mode, Mode::Svc);
    EXPECT_EQ(sim->InstructionCount(), 0u);
    EXPECT_EQ(Reg(*sim, 1), 0u);
    EXPECT_EQ(Reg(*sim, 7), 0u);
    EXPECT_EQ(sim->Memory().Store().AllocatedPages(), 0u) << "the whole memory is cleared";
    EXPECT_EQ(sim->Cp15().Registers().control, 0x300u);
    EXPECT_TRUE(sim->Memory().Direct());
    EXPECT_FALSE(sim->GetHistory().Back(1).valid);
    EXPECT_FALSE(sim->Memory().CacheOf(Side::Data).Lookup(0x30000));
    // The reset simulator runs on from 0 (zeroed memory: ANDEQ, condition fails).
    EXPECT_EQ(sim->Run(1), kConditionFailed);
    EXPECT_EQ(sim->Cpu().pc, 4u);
}

// ---- caches -------------------------------------------------------------------

TEST(Cp15Programs, StoreOverCachedCodeRunsTheStaleLineUntilItIsInvalidated)
{
    auto sim = Image().Start("stale_instruction_line");
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    EXPECT_EQ(Reg(*sim, 4), 1u);
    EXPECT_EQ(Reg(*sim, 5), 1u);
    EXPECT_EQ(Reg(*sim, 6), 2u);
}

struct DirtyCase {
    const char* label;
    bool complement;
    uint32_t stored;  // the store's word at 0x20000 at the end
    uint32_t r4, r5;
    bool dirtyLine;  // a dirty line for 0x20000 at the end
};

class DirtyLines : public ::testing::TestWithParam<DirtyCase> {};

TEST_P(DirtyLines, WriteBackAsTheOperationSays)
{
    const DirtyCase& c = GetParam();
    auto sim = Image().Start(c.label);
    sim->Memory().Store().Write(0x20000, 4, 0xAAAAAAAA);
    sim->Memory().SetComplementOnWriteBack(c.complement);
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    EXPECT_EQ(sim->Cpu().mode, Mode::Svc);
    EXPECT_EQ(StoreWord(*sim, 0x20000), c.stored);
    EXPECT_EQ(Reg(*sim, 4), c.r4);
    EXPECT_EQ(Reg(*sim, 5), c.r5);
    const CacheLine* line = sim->Memory().CacheOf(Side::Data).Lookup(0x20000);
    ASSERT_NE(line, nullptr) << "the last load allocates";
    EXPECT_EQ(line->dirty != 0, c.dirtyLine);
}

INSTANTIATE_TEST_SUITE_P(
    Cp15Programs, DirtyLines,
    ::testing::Values(DirtyCase{"dirty_line_stays_cached", false, 0xAAAAAAAA, 0x11111111, 0x11111111, true},
                      DirtyCase{"dirty_line_evicted", false, 0x11111111, 0x11111111, 0x11111111, false},
                      DirtyCase{"dirty_line_evicted", true, 0xEEEEEEEE, 0x11111111, 0xEEEEEEEE, false},
                      DirtyCase{"dirty_line_cleaned_all", false, 0x11111111, 0x11111111, 0x11111111, false},
                      DirtyCase{"dirty_line_cleaned", true, 0xEEEEEEEE, 0x11111111, 0xEEEEEEEE, false},
                      DirtyCase{"dirty_line_dropped", false, 0xAAAAAAAA, 0x11111111, 0xAAAAAAAA, false},
                      DirtyCase{"write_through_line", false, 0x11111111, 0x11111111, 0x11111111, false}),
    [](const auto& info) { return std::string(info.param.label) + (info.param.complement ? "_complemented" : ""); });

TEST(Cp15Programs, LockedLineSurvivesAFullSet)
{
    auto sim = Image().Start("locked_line_survives_full_set");
    sim->Memory().Store().Write(0x20000, 4, 0xAAAAAAAA);
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    // Evicted, the dirty line would have been written back; locked, it was
    // dropped by the invalidation.
    EXPECT_EQ(Reg(*sim, 5), 0xAAAAAAAAu);
    EXPECT_EQ(StoreWord(*sim, 0x20000), 0xAAAAAAAAu);
}

TEST(Cp15Programs, ReadcacheTextOfASetWithALockedDirtyLine)
{
    auto sim = Image().Start("locked_line_show_set");
    sim->Memory().Store().Write(0x21004, 4, 0xB0B0B0B0);
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    EXPECT_EQ(*sim->Memory().CacheOf(Side::Data).ShowSet(0),
              "|    0x0000: 00020000 = 11111111 00000000 00000000 00000000 , 1, dirty, lock\n"
              "|            00021000 = 00000000 b0b0b0b0 00000000 00000000 , 0,  \n");
    EXPECT_FALSE(sim->Memory().CacheOf(Side::Data).ShowSet(256));
}

TEST(Cp15Programs, EveryWayLockedReadsAndWritesTheStore)
{
    auto sim = Image().Start("every_way_locked_reads_store");
    sim->Memory().Store().Write(0x22000, 4, 0xCCCCCCCC);
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    EXPECT_EQ(Reg(*sim, 2), 0xCCCCCCCCu);
    EXPECT_EQ(Reg(*sim, 3), 0x33333333u);
    EXPECT_EQ(StoreWord(*sim, 0x22000), 0x33333333u);
}

TEST(Cp15Programs, SwapReachesTheStoreAndLeavesTheDataCacheWithoutTheLine)
{
    auto sim = Image().Start("swp_bypasses_data_cache");
    ASSERT_EQ(RunToEnd(*sim), kNormalEnd);
    EXPECT_EQ(Reg(*sim, 2), 0x11111111u);
    EXPECT_EQ(StoreWord(*sim, 0x20000), 0x44444444u);
    EXPECT_FALSE(sim->Memory().CacheOf(Side::Data).Lookup(0x20000));
}

}  // namespace
}  // namespace zk::sim::test

// The system control coprocessor's registers, write rules and refusals, the
// protection unit's answers, the cache operations of CR7, and the
// simulator's init and reset of these units.
#include <gtest/gtest.h>

#include <random>

#include "simcore/simulator.h"

namespace zk::sim {
namespace {

uint32_t ReadCr(Simulator& sim, unsigned crn, unsigned index)
{
    uint32_t v = 0xDEADBEEF;
    EXPECT_TRUE(sim.ReadCoprocessorRegister(crn, index, v)) << "CR" << crn << "[" << index << "]";
    return v;
}

TEST(Cp15, ResetValues)
{
    Simulator sim;
    EXPECT_EQ(ReadCr(sim, 0, 0), 0x11u);
    EXPECT_EQ(ReadCr(sim, 1, 0), 0x300u);
    for (unsigned r = 0; r < 8; ++r)
        EXPECT_EQ(ReadCr(sim, 6, r), 0x16u);
    EXPECT_EQ(ReadCr(sim, 8, 0), 0x80u);
    EXPECT_EQ(ReadCr(sim, 8, 1), 0x80u);
    for (auto [crn, index] : {std::pair{2u, 0u}, {3u, 0u}, {5u, 0u}, {5u, 1u}, {9u, 0u}, {10u, 0u}}) {
        EXPECT_EQ(ReadCr(sim, crn, index), 0u) << "CR" << crn;
    }
    EXPECT_TRUE(sim.Memory().Direct());
    EXPECT_EQ(sim.Cpu().vectorBase, 0u);
    EXPECT_EQ(sim.Cp15().Btb().Size(), 64u);
}

TEST(Cp15, WriteRulesKeepTheirBitsAndClampSizeFields)
{
    struct Case {
        unsigned crn, index;
        uint32_t written, read;
    };
    const Case cases[] = {
        {1, 0, 0xFFFF3FFF, 0xFFFF233F},  // bits 6, 7, 10, 11, 12 keep their value
        {2, 0, 0xFFFFFFFF, 0x00FFFFFF},  {3, 0, 0xFFFFFFFF, 0x000000FF},
        {5, 1, 0xFFFFFFFF, 0x0000FFFF},  {6, 3, 0xFFFFFFFF, 0xFFFFF03F},  // bits 6-11 keep their value
        {6, 2, 0x12345007, 0x12345017},                                   // size field 3 is stored as 11
        {6, 4, 0x00000001, 0x00000017},  {8, 0, 0xFFFFFFFF, 0xFFFFFCF3},  // bits 2, 3, 8, 9 keep their value
        {8, 1, 0x00005001, 0x00005081},                                   // size field 0 is stored as 8
        {9, 0, 0xFFFFFFFF, 0x00000000},                                   // accepted, not stored
        {10, 0, 0xFFFFFFFF, 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        Simulator sim;
        EXPECT_TRUE(sim.WriteCoprocessorRegister(c.crn, c.index, c.written)) << "CR" << c.crn;
        EXPECT_EQ(ReadCr(sim, c.crn, c.index), c.read) << "CR" << c.crn << "[" << c.index << "]";
    }
}

TEST(Cp15, RefusedAccesses)
{
    Simulator sim;
    SystemControlCoprocessor& cp = sim.Cp15();
    uint32_t v = 0;
    for (unsigned crn : {4u, 7u, 11u, 12u, 13u, 14u, 15u})
        EXPECT_FALSE(cp.Read(0, crn, 0, 0, Mode::Svc, v)) << crn;
    EXPECT_FALSE(cp.Read(0, 0, 1, 0, Mode::Svc, v)) << "CR0 has index 0 only";
    EXPECT_FALSE(cp.Read(0, 5, 2, 0, Mode::Svc, v));
    EXPECT_FALSE(cp.Read(0, 6, 8, 0, Mode::Svc, v));
    EXPECT_FALSE(cp.Read(1, 0, 0, 0, Mode::Svc, v)) << "opcode1";
    EXPECT_FALSE(cp.Read(0, 0, 0, 1, Mode::Svc, v)) << "opcode2";
    EXPECT_TRUE(cp.Read(0, 1, 0, 0, Mode::User, v)) << "MRC is allowed in USER mode";

    for (unsigned crn : {0u, 4u, 11u, 15u})
        EXPECT_EQ(cp.Write(0, crn, 0, 0, Mode::Svc, 0), Cp15Write::Refused) << crn;
    EXPECT_EQ(cp.Write(0, 1, 0, 1, Mode::Svc, 0), Cp15Write::Refused) << "opcode2 outside CR7";
    EXPECT_EQ(cp.Write(1, 7, 0, 0, Mode::Svc, 0), Cp15Write::Refused) << "opcode1 on CR7";
    EXPECT_EQ(cp.Write(0, 1, 0, 0, Mode::User, 1), Cp15Write::Refused) << "MCR in USER mode";
    EXPECT_EQ(cp.Write(0, 10, 0, 0, Mode::System, 5), Cp15Write::Done);
    EXPECT_EQ(ReadCr(sim, 1, 0), 0x300u);
}

TEST(Cp15, Cr7OperationsAcceptedAndRefused)
{
    Simulator sim;
    SystemControlCoprocessor& cp = sim.Cp15();
    struct Case {
        unsigned crm, opcode2;
        bool accepted;
    };
    const Case cases[] = {
        {0, 0, true}, {0, 4, true},  {0, 5, false}, {1, 0, true}, {1, 5, true},  {1, 6, false},  {2, 0, true},
        {2, 1, true}, {2, 2, false}, {3, 7, true},  {4, 3, true}, {5, 0, false}, {15, 0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cp.Write(0, 7, c.crm, c.opcode2, Mode::Svc, 0x100) == Cp15Write::Done, c.accepted)
            << "c7, c" << c.crm << ", " << c.opcode2;
    }
}

TEST(Cp15, ControlBitsDeriveTheSettingsOnlyWithTheProtectionUnitOn)
{
    Simulator sim;
    sim.WriteCoprocessorRegister(1, 0, 0x1C);  // buffer and caches without bit 0
    EXPECT_FALSE(sim.Cp15().CacheEnabled(Side::Instruction));
    EXPECT_FALSE(sim.Cp15().CacheEnabled(Side::Data));
    EXPECT_FALSE(sim.Cp15().BtbEnabled());
    EXPECT_TRUE(sim.Memory().Direct());
    sim.WriteCoprocessorRegister(1, 0, 0x1D);
    EXPECT_TRUE(sim.Cp15().CacheEnabled(Side::Instruction));
    EXPECT_TRUE(sim.Cp15().CacheEnabled(Side::Data));
    EXPECT_TRUE(sim.Cp15().BtbEnabled());
    EXPECT_FALSE(sim.Memory().Direct());
    sim.WriteCoprocessorRegister(1, 0, 0xFFFF0000);
    EXPECT_EQ(sim.Cpu().vectorBase, 0xFFFF0000u) << "the vector base does not need bit 0";
}

// Region 0: all 4 GB; `perm` for both sides; protection on.
void OneRegion(Simulator& sim, uint32_t perm, uint32_t cacheability = 0, uint32_t control = 1)
{
    sim.WriteCoprocessorRegister(6, 0, 0x3F);
    sim.WriteCoprocessorRegister(5, 0, perm);
    sim.WriteCoprocessorRegister(5, 1, perm);
    sim.WriteCoprocessorRegister(2, 0, cacheability);
    sim.WriteCoprocessorRegister(1, 0, control);
}

TEST(ProtectionUnit, PermissionsBySideModeAndDirection)
{
    struct Case {
        Permission perm;
        Side side;
        Mode mode;
        bool write;
        bool allowed;
    };
    const Case cases[] = {
        {Permission::None, Side::Data, Mode::Svc, false, false},
        {Permission::None, Side::Instruction, Mode::Svc, false, false},
        {Permission::Privileged, Side::Data, Mode::Svc, true, true},
        {Permission::Privileged, Side::Data, Mode::User, false, false},
        {Permission::Privileged, Side::Instruction, Mode::User, false, false},
        {Permission::Privileged, Side::Data, Mode::System, true, true},
        {Permission::UserReadOnly, Side::Data, Mode::User, false, true},
        {Permission::UserReadOnly, Side::Data, Mode::User, true, false},
        {Permission::UserReadOnly, Side::Data, Mode::Irq, true, true},
        {Permission::UserReadOnly, Side::Instruction, Mode::User, true, true},
        {Permission::Full, Side::Data, Mode::User, true, true},
    };
    for (const Case& c : cases) {
        Simulator sim;
        OneRegion(sim, static_cast<uint32_t>(c.perm));
        const Protection p = sim.Memory().GetProtectionUnit().Check(c.side, 0x1234, c.mode, c.write);
        EXPECT_EQ(p != Protection::Refused, c.allowed) << "permission " << int(c.perm) << " side " << int(c.side)
                                                       << " mode " << ModeName(c.mode) << " write " << c.write;
    }
}

TEST(ProtectionUnit, HigherRegionWinsAndNoRegionRefuses)
{
    Simulator sim;
    sim.WriteCoprocessorRegister(6, 0, 0x27);     // 0-1 MB
    sim.WriteCoprocessorRegister(6, 5, 0x40017);  // 4 KB at 0x40000: no access
    sim.WriteCoprocessorRegister(6, 3, 0x40019);  // 8 KB at 0x40000: full, but lower
    sim.WriteCoprocessorRegister(5, 1, 0x3 | 0x3 << 6);
    sim.WriteCoprocessorRegister(1, 0, 1);
    uint32_t v;
    EXPECT_TRUE(sim.ReadMemory(0x3FFFC, AccessKind::Data, 4, v));
    EXPECT_FALSE(sim.ReadMemory(0x40000, AccessKind::Data, 4, v));
    EXPECT_FALSE(sim.ReadMemory(0x40FFC, AccessKind::Data, 4, v));
    EXPECT_TRUE(sim.ReadMemory(0x41000, AccessKind::Data, 4, v)) << "region 3 beyond region 5";
    EXPECT_FALSE(sim.ReadMemory(0x100000, AccessKind::Data, 4, v)) << "outside every region";
    EXPECT_TRUE(sim.ReadMemory(0x100000, AccessKind::StoreOnly, 4, v));
    sim.WriteCoprocessorRegister(6, 5, 0x40016);  // region 5 disabled: the kept answer is forgotten
    EXPECT_TRUE(sim.ReadMemory(0x40000, AccessKind::Data, 4, v));
}

TEST(ProtectionUnit, KeptAnswersFollowTheModeOfEachAccess)
{
    Simulator sim;
    OneRegion(sim, static_cast<uint32_t>(Permission::Privileged));
    uint32_t v;
    EXPECT_TRUE(sim.ReadMemory(0x5000, AccessKind::Data, 4, v));
    sim.WriteRegister(0, 0x10);  // USER
    EXPECT_FALSE(sim.ReadMemory(0x5004, AccessKind::Data, 4, v));
    sim.WriteRegister(0, 0x13);
    EXPECT_TRUE(sim.ReadMemory(0x5008, AccessKind::Data, 4, v));
}

// Answers kept per page must be the answers a scan gives for every address,
// also where a small local-memory window splits a page.
TEST(ProtectionUnit, KeptAnswersMatchAScanOfTheRegions)
{
    std::mt19937 rng(1234);
    for (int round = 0; round < 40; ++round) {
        ProtectionSettings s;
        s.enabled = true;
        s.cacheEnabled = {rng() % 2 == 0, rng() % 2 == 0};
        for (unsigned r = 0; r < kRegionCount; ++r) {
            const unsigned n = 11 + rng() % 10;
            const uint64_t size = uint64_t{1} << (n + 1);
            s.regions[r] = {rng() % 4 != 0, static_cast<uint32_t>((rng() % 0x400000) & ~(size - 1)), size};
            for (unsigned side = 0; side < 2; ++side) {
                s.permission[side][r] = static_cast<Permission>(rng() % 4);
                s.policy[side][r] = static_cast<Protection>(rng() % 3);
            }
        }
        for (auto& w : s.local)
            w = {true, static_cast<uint32_t>(rng() % 0x400) << 12, 1u << (10 + rng() % 4)};
        ProtectionUnit kept, scanned;
        kept.Configure(s);
        for (int i = 0; i < 2000; ++i) {
            const uint32_t addr = rng() % 0x400000;
            const Side side = rng() % 2 ? Side::Data : Side::Instruction;
            const Mode mode = rng() % 2 ? Mode::User : Mode::Svc;
            const bool write = rng() % 2;
            scanned.Configure(s);  // forgets every kept answer
            ASSERT_EQ(kept.Check(side, addr, mode, write), scanned.Check(side, addr, mode, write))
                << std::hex << "round " << round << " address 0x" << addr;
        }
    }
}

TEST(ProtectionUnit, LocalMemoryWindowIsServedByTheStore)
{
    Simulator sim;
    OneRegion(sim, 3, 0x3, 0x11);                 // data side write-back, data cache on
    sim.WriteCoprocessorRegister(8, 1, 0x30001);  // 1 KB at 0x30000
    EXPECT_EQ(sim.Memory().GetProtectionUnit().Check(Side::Data, 0x303FC, Mode::Svc, false), Protection::LocalMemory);
    ASSERT_TRUE(sim.WriteMemory(0x30000, AccessKind::Data, 4, 0x1111));
    ASSERT_TRUE(sim.WriteMemory(0x30400, AccessKind::Data, 4, 0x2222));
    EXPECT_EQ(sim.Memory().Store().Read(0x30000, 4), 0x1111u) << "inside the window: the store";
    EXPECT_EQ(sim.Memory().Store().Read(0x30400, 4), 0u) << "outside it: a dirty line";
    EXPECT_FALSE(sim.Memory().CacheOf(Side::Data).Lookup(0x30000));
    EXPECT_TRUE(sim.Memory().CacheOf(Side::Data).Lookup(0x30400));
}

TEST(Cp15, LineOperationsNeedADisabledCacheOrACacheableAddress)
{
    Simulator sim;
    Cache& dcache = sim.Memory().CacheOf(Side::Data);
    // Data cache disabled: prefetch and lock act whatever the address.
    sim.Cp15().Write(0, 7, 1, 3, Mode::Svc, 0x20000);
    sim.Cp15().Write(0, 7, 1, 4, Mode::Svc, 0x20000);
    ASSERT_TRUE(dcache.Lookup(0x20000));
    EXPECT_TRUE(dcache.Lookup(0x20000)->lock);
    // Enabled, region 0 non-cacheable: no effect.
    OneRegion(sim, 3, 0x0, 0x11);
    sim.Cp15().Write(0, 7, 1, 5, Mode::Svc, 0x20000);
    sim.Cp15().Write(0, 7, 1, 3, Mode::Svc, 0x30000);
    EXPECT_TRUE(dcache.Lookup(0x20000)->lock);
    EXPECT_FALSE(dcache.Lookup(0x30000));
    // Cacheable: they act again.
    sim.WriteCoprocessorRegister(2, 0, 0x3);
    sim.Cp15().Write(0, 7, 1, 5, Mode::Svc, 0x20000);
    sim.Cp15().Write(0, 7, 1, 3, Mode::Svc, 0x30000);
    EXPECT_FALSE(dcache.Lookup(0x20000)->lock);
    EXPECT_TRUE(dcache.Lookup(0x30000));
}

TEST(Cp15, CleanLineOfADisabledDataCacheDropsDirtyData)
{
    Simulator sim;
    OneRegion(sim, 3, 0x3, 0x11);
    sim.WriteMemory(0x20000, AccessKind::Data, 4, 0x1111);
    sim.WriteMemory(0x21000, AccessKind::Data, 4, 0x2222);
    sim.WriteCoprocessorRegister(1, 0, 0x1);  // data cache off
    sim.Cp15().Write(0, 7, 1, 2, Mode::Svc, 0x20000);
    EXPECT_EQ(sim.Memory().Store().Read(0x20000, 4), 0u);
    sim.WriteCoprocessorRegister(1, 0, 0x11);
    sim.Cp15().Write(0, 7, 1, 2, Mode::Svc, 0x21000);
    EXPECT_EQ(sim.Memory().Store().Read(0x21000, 4), 0x2222u);
}

// The "write" command's kinds: 5 bypasses both caches and leaves neither
// with the line; 4 leaves the instruction side alone.
TEST(MemoryKinds, InvalidatingWritesOfTheCommands)
{
    Simulator sim;
    OneRegion(sim, 3, 0x10003, 0x19);
    uint32_t v;
    sim.ReadMemory(0x20000, AccessKind::Fetch, 4, v);
    sim.WriteMemory(0x20004, AccessKind::Data, 4, 0xD);
    sim.WriteMemory(0x20008, AccessKind::InvalidateD, 4, 0x4);
    EXPECT_EQ(sim.Memory().Store().Read(0x20004, 4), 0xDu) << "the dirty line went back first";
    EXPECT_TRUE(sim.Memory().CacheOf(Side::Instruction).Lookup(0x20000));
    EXPECT_FALSE(sim.Memory().CacheOf(Side::Data).Lookup(0x20000));
    sim.WriteMemory(0x2000C, AccessKind::InvalidateBoth, 4, 0x5);
    EXPECT_FALSE(sim.Memory().CacheOf(Side::Instruction).Lookup(0x20000));
    EXPECT_EQ(sim.Memory().Store().Read(0x2000C, 4), 0x5u);
    // Debug reads see a cached line but allocate none.
    sim.WriteMemory(0x20010, AccessKind::Data, 4, 0x77);
    ASSERT_TRUE(sim.ReadMemory(0x20010, AccessKind::DebugData, 4, v));
    EXPECT_EQ(v, 0x77u);
    ASSERT_TRUE(sim.ReadMemory(0x20010, AccessKind::DebugInstruction, 4, v));
    EXPECT_EQ(v, 0u);
    EXPECT_FALSE(sim.Memory().CacheOf(Side::Instruction).Lookup(0x20010));
}

TEST(SimulatorInit, CachesComeFromTheConfiguredGeometryAtTheNextReset)
{
    Simulator sim;
    EXPECT_FALSE(sim.SetCacheGeometry(Side::Data, {0x3000, 2}));
    EXPECT_TRUE(sim.SetCacheGeometry(Side::Data, {0x1000, 4}));
    EXPECT_EQ(sim.Memory().CacheOf(Side::Data).Sets(), 256u);
    sim.Cp15().Write(0, 7, 1, 3, Mode::Svc, 0x100);
    ASSERT_TRUE(sim.Reset());
    const Cache& dcache = sim.Memory().CacheOf(Side::Data);
    EXPECT_EQ(dcache.Sets(), 64u);
    EXPECT_EQ(dcache.Ways(), 4u);
    EXPECT_FALSE(dcache.Line(16, 0).valid) << "the new lines are empty";
    EXPECT_EQ(sim.Memory().CacheOf(Side::Instruction).Sets(), 256u);
    EXPECT_EQ(sim.ConfiguredCacheGeometry(Side::Data).ways, 4u);
}

TEST(SimulatorInit, ResetClearsMemoryCachesAndCoprocessorButKeepsTheComplementOption)
{
    Simulator sim;
    OneRegion(sim, 3, 0x10003, 0x8000001D);
    sim.Memory().SetComplementOnWriteBack(true);
    sim.WriteMemory(0x20000, AccessKind::Data, 4, 1);
    sim.WriteMemory(0x30000, AccessKind::StoreOnly, 4, 1);
    sim.Breakpoints().Insert(0x100);
    sim.Close();
    EXPECT_EQ(sim.Memory().CacheOf(Side::Data).Sets(), 0u);
    ASSERT_TRUE(sim.Init());
    EXPECT_EQ(sim.Memory().Store().AllocatedPages(), 0u);
    EXPECT_FALSE(sim.Memory().CacheOf(Side::Data).Lookup(0x20000));
    EXPECT_EQ(ReadCr(sim, 1, 0), 0x300u);
    EXPECT_EQ(sim.Cpu().vectorBase, 0u);
    EXPECT_TRUE(sim.Memory().Direct());
    EXPECT_TRUE(sim.Memory().ComplementOnWriteBack());
    EXPECT_EQ(sim.Breakpoints().Size(), 1u);
}

TEST(SimulatorInit, ControlBit14WrittenByACommandResetsAtOnce)
{
    Simulator sim;
    sim.WriteMemory(0x30000, AccessKind::StoreOnly, 4, 1);
    sim.WriteRegister(16, 0x30000);
    sim.WriteCoprocessorRegister(10, 0, 5);
    EXPECT_TRUE(sim.WriteCoprocessorRegister(1, 0, 0x4001));
    EXPECT_EQ(sim.Memory().Store().AllocatedPages(), 0u);
    EXPECT_EQ(sim.Cpu().pc, 0u);
    EXPECT_EQ(ReadCr(sim, 1, 0), 0x300u) << "nothing of the value was stored";
    EXPECT_EQ(ReadCr(sim, 10, 0), 0u);
}

}  // namespace
}  // namespace zk::sim

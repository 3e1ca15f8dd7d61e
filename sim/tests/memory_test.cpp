// The sparse store and the access kinds.
#include <gtest/gtest.h>

#include <vector>

#include "simcore/simulator.h"

namespace zk::sim {
namespace {

TEST(SparseStore, UnwrittenMemoryReadsZeroAndReadsNeverAllocate)
{
    SparseStore store;
    for (uint32_t addr : {0u, 0x1003u, 0x40000u, 0xFFFFFFFCu}) {
        EXPECT_EQ(store.Read(addr, 1), 0u);
        EXPECT_EQ(store.Read(addr, 2), 0u);
        EXPECT_EQ(store.Read(addr, 4), 0u);
    }
    EXPECT_EQ(store.AllocatedPages(), 0u);
}

TEST(SparseStore, ByteAndHalfwordLanesAreLittleEndian)
{
    SparseStore store;
    store.Write(0x1003, 1, 0x12);
    EXPECT_EQ(store.Read(0x1000, 4), 0x12000000u);
    store.Write(0x1002, 2, 0xABCD);
    EXPECT_EQ(store.Read(0x1000, 4), 0xABCD0000u);
    store.Write(0x1001, 2, 0x5555);  // halfword lane (address & 2) = 0
    EXPECT_EQ(store.Read(0x1000, 4), 0xABCD5555u);
    EXPECT_EQ(store.Read(0x1001, 1), 0x55u);
    EXPECT_EQ(store.Read(0x1003, 2), 0xABCDu);
    store.Write(0x1006, 4, 0x11223344);  // word at address & ~3
    EXPECT_EQ(store.Read(0x1004, 4), 0x11223344u);
}

TEST(SparseStore, AddressesSharingABucketKeepTheirValues)
{
    SparseStore store;
    store.Write(0x00040000, 4, 1);
    store.Write(0x00000000, 4, 2);
    store.Write(0xFFFC0000, 4, 3);
    EXPECT_EQ(store.Read(0x00040000, 4), 1u);
    EXPECT_EQ(store.Read(0x00000000, 4), 2u);
    EXPECT_EQ(store.Read(0xFFFC0000, 4), 3u);
    store.Clear();
    EXPECT_EQ(store.Read(0x00040000, 4), 0u);
    EXPECT_EQ(store.AllocatedPages(), 0u);
}

// Protection on: region 0 covers everything with full access and the given
// data policy, region 1 (0x2000-0x2FFF) allows nothing.
ProtectionSettings EverythingBut0x2000(Protection dataPolicy = Protection::NonCacheable)
{
    ProtectionSettings s;
    s.enabled = true;
    s.cacheEnabled = {true, true};
    s.regions[0] = {true, 0, uint64_t{1} << 32};
    s.regions[1] = {true, 0x2000, 0x1000};
    s.permission[0][0] = s.permission[1][0] = Permission::Full;
    s.policy[0][0] = Protection::WriteBack;
    s.policy[1][0] = dataPolicy;
    return s;
}

TEST(MemorySystem, RefusedStoreLeavesMemoryUnchanged)
{
    MemorySystem mem;
    mem.ConfigureProtection(EverythingBut0x2000());
    EXPECT_FALSE(mem.Direct());
    EXPECT_FALSE(mem.Write(0x2004, Mode::Svc, AccessKind::Data, 4, 7));
    EXPECT_EQ(mem.Store().Read(0x2004, 4), 0u);
    uint32_t v = 9;
    EXPECT_FALSE(mem.Read(0x2004, Mode::Svc, AccessKind::Fetch, 4, v));
    EXPECT_TRUE(mem.Write(0x1004, Mode::Svc, AccessKind::StoreOnly, 4, 7)) << "kind 0 asks nobody";
    EXPECT_TRUE(mem.Read(0x2004, Mode::Svc, AccessKind::StoreOnly, 4, v));
}

TEST(MemorySystem, KindsPickTheSideAndTheCacheOperation)
{
    MemorySystem mem;
    ASSERT_TRUE(mem.CacheOf(Side::Instruction).Allocate({}));
    ASSERT_TRUE(mem.CacheOf(Side::Data).Allocate({}));
    mem.ConfigureProtection(EverythingBut0x2000(Protection::WriteBack));
    Cache& icache = mem.CacheOf(Side::Instruction);
    Cache& dcache = mem.CacheOf(Side::Data);
    mem.Store().Write(0x100, 4, 0xAA);
    uint32_t v;
    mem.Read(0x100, Mode::User, AccessKind::DebugData, 4, v);
    EXPECT_FALSE(dcache.Lookup(0x100)) << "a debug read does not allocate";
    mem.Read(0x100, Mode::User, AccessKind::Fetch, 4, v);
    EXPECT_TRUE(icache.Lookup(0x100));
    mem.Write(0x100, Mode::User, AccessKind::Data, 4, 1);
    ASSERT_TRUE(dcache.Lookup(0x100)) << "a write-back miss allocates";
    EXPECT_TRUE(dcache.Lookup(0x100)->dirty);
    EXPECT_EQ(mem.Store().Read(0x100, 4), 0xAAu);
    mem.Write(0x104, Mode::User, AccessKind::InvalidateBoth, 4, 2);
    EXPECT_FALSE(icache.Lookup(0x100));
    EXPECT_FALSE(dcache.Lookup(0x100));
    EXPECT_EQ(mem.Store().Read(0x100, 4), 1u) << "the dirty line was written back first";
    EXPECT_EQ(mem.Store().Read(0x104, 4), 2u);
}

TEST(MemorySystem, WriteHookSeesEveryWriteBeforeTheCheck)
{
    MemorySystem mem;
    std::vector<std::pair<uint32_t, uint32_t>> seen;
    mem.SetWriteHook([&](uint32_t addr, unsigned, uint32_t value) { seen.emplace_back(addr, value); });
    EXPECT_FALSE(mem.Direct());
    mem.StoreData(0x10, Mode::Svc, 1, 0x1234);
    EXPECT_EQ(seen, (std::vector<std::pair<uint32_t, uint32_t>>{{0x10, 0x34}}));
}

TEST(SelfModifyList, KeepsWordAddressesOnceInAscendingOrder)
{
    SelfModifyList list;
    for (uint32_t a : {0x2002u, 0x1000u, 0x2000u, 0x80000000u, 0x1001u})
        list.Add(a);
    EXPECT_EQ(list.Addresses(), (std::vector<uint32_t>{0x1000, 0x2000, 0x80000000}));
    EXPECT_TRUE(list.Contains(0x2003));
    EXPECT_FALSE(list.Contains(0x2004));
    list.Clear();
    EXPECT_FALSE(list.Contains(0x1000));
}

// The user-mode (T) forms of LDR/STR are post-indexed with W set; a
// pre-indexed store with write-back (push of one register) keeps the
// current mode's permissions. Data access is for privileged modes only here.
TEST(MemorySystem, OnlyTheTFormsOfLdrStrCheckWithUserPermissions)
{
    struct Case {
        uint32_t word;
        bool userChecked;
        const char* text;
    };
    const Case cases[] = {
        {0xE4B10004, true, "ldrt r0, [r1], #4"},   {0xE4A10004, true, "strt r0, [r1], #4"},
        {0xE5210004, false, "str r0, [r1, #-4]!"}, {0xE5B10004, false, "ldr r0, [r1, #4]!"},
        {0xE4910004, false, "ldr r0, [r1], #4"},
    };
    for (const Case& c : cases) {
        Simulator sim;
        sim.Memory().Store().Write(0x100, 4, c.word);
        sim.Memory().Store().Write(0x104, 4, kNormalEndWord);
        sim.WriteRegister(2, 0x1000);
        sim.WriteRegister(16, 0x100);
        sim.WriteCoprocessorRegister(6, 0, 0x3F);  // region 0: all 4 GB
        sim.WriteCoprocessorRegister(5, 0, 3);     // instruction side: full access
        sim.WriteCoprocessorRegister(5, 1, 1);     // data side: privileged only
        sim.WriteCoprocessorRegister(1, 0, 1);
        sim.Run(1);
        EXPECT_EQ(sim.GetHistory().Back(1).code == kDataAbort, c.userChecked) << c.text;
    }
}

}  // namespace
}  // namespace zk::sim

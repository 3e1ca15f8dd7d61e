// The sparse store and the access kinds, with a protection unit and caches
// stood in by recording fakes.
#include <gtest/gtest.h>

#include <vector>

#include "simcore/simulator.h"

namespace zk::sim {
namespace {

TEST(SparseStore, UnwrittenMemoryReadsZeroAndReadsNeverAllocate) {
    SparseStore store;
    for (uint32_t addr : {0u, 0x1003u, 0x40000u, 0xFFFFFFFCu}) {
        EXPECT_EQ(store.Read(addr, 1), 0u);
        EXPECT_EQ(store.Read(addr, 2), 0u);
        EXPECT_EQ(store.Read(addr, 4), 0u);
    }
    EXPECT_EQ(store.AllocatedPages(), 0u);
}

TEST(SparseStore, ByteAndHalfwordLanesAreLittleEndian) {
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

TEST(SparseStore, AddressesSharingABucketKeepTheirValues) {
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

struct Access {
    Side side;
    uint32_t addr;
    Mode mode;
    bool write;
};

class RecordingProtection : public ProtectionUnit {
public:
    Protection Check(Side side, uint32_t addr, Mode mode, bool write) override {
        log.push_back({side, addr, mode, write});
        if (addr >= refusedFrom && addr < refusedTo) return Protection::Refused;
        return answer;
    }
    std::vector<Access> log;
    uint32_t refusedFrom = 0, refusedTo = 0;
    Protection answer = Protection::NonCacheable;
};

class RecordingCache : public CacheModel {
public:
    bool ReadHit(uint32_t, unsigned, uint32_t&) override {
        calls.push_back("read");
        return false;
    }
    bool Fill(uint32_t) override {
        calls.push_back("fill");
        return false;  // every way locked: the store is used
    }
    bool WriteHit(uint32_t, unsigned, uint32_t, bool dirty) override {
        calls.push_back(dirty ? "write dirty" : "write");
        return false;
    }
    void CleanInvalidateLine(uint32_t) override { calls.push_back("invalidate"); }
    std::vector<std::string> calls;
};

TEST(MemorySystem, RefusedStoreLeavesMemoryUnchanged) {
    MemorySystem mem;
    RecordingProtection unit;
    unit.refusedFrom = 0x2000;
    unit.refusedTo = 0x3000;
    mem.SetProtectionUnit(&unit);
    EXPECT_FALSE(mem.Write(0x2004, Mode::Svc, AccessKind::Data, 4, 7));
    EXPECT_EQ(mem.Store().Read(0x2004, 4), 0u);
    uint32_t v = 9;
    EXPECT_FALSE(mem.Read(0x2004, Mode::Svc, AccessKind::Fetch, 4, v));
    EXPECT_TRUE(mem.Write(0x1004, Mode::Svc, AccessKind::StoreOnly, 4, 7)) << "kind 0 asks nobody";
    EXPECT_TRUE(mem.Read(0x2004, Mode::Svc, AccessKind::StoreOnly, 4, v));
}

TEST(MemorySystem, KindsPickTheSideAndTheCacheOperation) {
    MemorySystem mem;
    RecordingProtection unit;
    unit.answer = Protection::WriteBack;
    RecordingCache icache, dcache;
    mem.SetProtectionUnit(&unit);
    mem.SetCaches(&icache, &dcache);
    uint32_t v;
    mem.Read(0x100, Mode::User, AccessKind::Fetch, 4, v);
    mem.Read(0x100, Mode::User, AccessKind::DebugData, 4, v);
    mem.Write(0x100, Mode::User, AccessKind::Data, 4, 1);
    mem.Write(0x100, Mode::User, AccessKind::InvalidateBoth, 4, 2);
    EXPECT_EQ(icache.calls, (std::vector<std::string>{"read", "fill", "invalidate"}));
    EXPECT_EQ(dcache.calls, (std::vector<std::string>{"read", "write dirty", "fill", "invalidate"}));
    EXPECT_EQ(mem.Store().Read(0x100, 4), 2u);
    ASSERT_EQ(unit.log.size(), 5u);
    EXPECT_EQ(unit.log[0].side, Side::Instruction);
    EXPECT_EQ(unit.log[1].side, Side::Data);
    EXPECT_EQ(unit.log[3].side, Side::Data);
    EXPECT_EQ(unit.log[4].side, Side::Instruction);
}

TEST(MemorySystem, WriteHookSeesEveryWriteBeforeTheCheck) {
    MemorySystem mem;
    std::vector<std::pair<uint32_t, uint32_t>> seen;
    mem.SetWriteHook([&](uint32_t addr, unsigned, uint32_t value) { seen.emplace_back(addr, value); });
    EXPECT_FALSE(mem.Direct());
    mem.StoreData(0x10, Mode::Svc, 1, 0x1234);
    EXPECT_EQ(seen, (std::vector<std::pair<uint32_t, uint32_t>>{{0x10, 0x34}}));
}

TEST(SelfModifyList, KeepsWordAddressesOnceInAscendingOrder) {
    SelfModifyList list;
    for (uint32_t a : {0x2002u, 0x1000u, 0x2000u, 0x80000000u, 0x1001u}) list.Add(a);
    EXPECT_EQ(list.Addresses(), (std::vector<uint32_t>{0x1000, 0x2000, 0x80000000}));
    EXPECT_TRUE(list.Contains(0x2003));
    EXPECT_FALSE(list.Contains(0x2004));
    list.Clear();
    EXPECT_FALSE(list.Contains(0x1000));
}

// The user-mode (T) forms of LDR/STR are post-indexed with W set; a
// pre-indexed store with write-back (push of one register) keeps the
// current mode's permissions.
TEST(MemorySystem, OnlyTheTFormsOfLdrStrCheckWithUserPermissions) {
    struct Case {
        uint32_t word;
        Mode mode;
        const char* text;
    };
    const Case cases[] = {
        {0xE4B10004, Mode::User, "ldrt r0, [r1], #4"},
        {0xE4A10004, Mode::User, "strt r0, [r1], #4"},
        {0xE5210004, Mode::Svc, "str r0, [r1, #-4]!"},
        {0xE5B10004, Mode::Svc, "ldr r0, [r1, #4]!"},
        {0xE4910004, Mode::Svc, "ldr r0, [r1], #4"},
    };
    for (const Case& c : cases) {
        Simulator sim;
        RecordingProtection unit;
        sim.Memory().Store().Write(0x100, 4, c.word);
        sim.Memory().Store().Write(0x104, 4, kNormalEndWord);
        sim.WriteRegister(2, 0x1000);
        sim.WriteRegister(16, 0x100);
        sim.Memory().SetProtectionUnit(&unit);
        sim.Run(1);
        ASSERT_EQ(unit.log.size(), 2u) << c.text;
        EXPECT_EQ(unit.log[1].mode, c.mode) << c.text;
        EXPECT_EQ(unit.log[1].side, Side::Data) << c.text;
    }
}

}  // namespace
}  // namespace zk::sim

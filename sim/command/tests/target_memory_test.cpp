// Block transfers of the simulator's entry: every byte from or to its own
// address, units where they are aligned and fit, refusals reported while the
// rest still moves, the data cache seen on reads and bypassed on writes.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "simcmd/command_language.h"
#include "simcmd/target_memory.h"
#include "test_programs.h"

namespace zk::sim {
namespace {

constexpr uint32_t kBase = 0x1000;
constexpr uint8_t kGuard = 0xCC;

uint8_t Pattern(uint32_t addr)
{
    return static_cast<uint8_t>(addr * 7 + 3);
}

uint8_t StoreByte(const Simulator& sim, uint32_t addr)
{
    return static_cast<uint8_t>(sim.Memory().Store().Read(addr, 1));
}

struct Case {
    unsigned unit;
    uint32_t offset;
    size_t length;
};

std::vector<Case> AllCases()
{
    std::vector<Case> cases;
    for (unsigned unit : {1u, 2u, 4u}) {
        for (uint32_t offset = 0; offset < 4; ++offset) {
            for (size_t length : {0, 1, 2, 3, 5, 6, 7, 8, 13})
                cases.push_back({unit, offset, length});
        }
    }
    return cases;
}

TEST(TargetMemory, ReadsExactlyTheRequestedBytes)
{
    Simulator sim;
    for (uint32_t a = kBase - 16; a < kBase + 64; ++a)
        sim.WriteMemory(a, AccessKind::StoreOnly, 1, Pattern(a));
    for (const Case& c : AllCases()) {
        SCOPED_TRACE(testing::Message() << "unit " << c.unit << " offset " << c.offset << " length " << c.length);
        std::vector<uint8_t> buffer(c.length + 8, kGuard);
        ASSERT_EQ(ReadTargetMemory(sim, c.unit, kBase + c.offset, buffer.data() + 4, c.length), TransferResult::Done);
        for (size_t i = 0; i < c.length; ++i)
            EXPECT_EQ(buffer[4 + i], Pattern(kBase + c.offset + i)) << i;
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(buffer[i], kGuard);
            EXPECT_EQ(buffer[4 + c.length + i], kGuard);
        }
    }
}

TEST(TargetMemory, WritesExactlyTheRequestedBytes)
{
    for (const Case& c : AllCases()) {
        SCOPED_TRACE(testing::Message() << "unit " << c.unit << " offset " << c.offset << " length " << c.length);
        Simulator sim;
        std::vector<uint8_t> source(c.length);
        for (size_t i = 0; i < c.length; ++i)
            source[i] = static_cast<uint8_t>(0xA0 + i);
        ASSERT_EQ(WriteTargetMemory(sim, c.unit, kBase + c.offset, source.data(), c.length), TransferResult::Done);
        for (uint32_t a = kBase - 8; a < kBase + 32; ++a) {
            const uint32_t i = a - (kBase + c.offset);
            EXPECT_EQ(StoreByte(sim, a), i < c.length ? source[i] : 0) << std::hex << a;
        }
    }
}

TEST(TargetMemory, UnitsMoveWhereAlignedAndTheRestAsBytes)
{
    Simulator sim;
    std::vector<std::pair<uint32_t, unsigned>> accesses;
    sim.Memory().SetWriteHook([&](uint32_t addr, unsigned width, uint32_t) { accesses.emplace_back(addr, width); });
    const uint8_t source[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    WriteTargetMemory(sim, 4, 0x1002, source, 9);
    EXPECT_EQ(accesses,
              (std::vector<std::pair<uint32_t, unsigned>>{
                  {0x1002, 1}, {0x1003, 1}, {0x1004, 4}, {0x1008, 1}, {0x1009, 1}, {0x100A, 1}}));
    accesses.clear();
    WriteTargetMemory(sim, 2, 0x2000, source, 3);
    EXPECT_EQ(accesses, (std::vector<std::pair<uint32_t, unsigned>>{{0x2000, 2}, {0x2002, 1}}));
    EXPECT_EQ(sim.Memory().Store().ReadWord(0x1004), 0x06050403u);
}

TEST(TargetMemory, OnlyUnitsOneTwoAndFour)
{
    Simulator sim;
    uint8_t buffer[4] = {};
    for (unsigned unit : {0u, 3u, 8u}) {
        EXPECT_EQ(ReadTargetMemory(sim, unit, 0, buffer, 4), TransferResult::BadUnit);
        EXPECT_EQ(WriteTargetMemory(sim, unit, 0, buffer, 4), TransferResult::BadUnit);
    }
}

TEST(TargetMemory, RefusedPartsAreReportedAndTheRestMoves)
{
    Simulator sim;
    CommandLanguage language(sim);
    for (uint32_t a = 0xFF0; a < 0x1010; ++a)
        sim.WriteMemory(a, AccessKind::StoreOnly, 1, Pattern(a));
    test::LoadProtectLowPage(sim, 0);
    ASSERT_EQ(sim.Run(0), kNormalEnd);

    for (unsigned unit : {1u, 2u, 4u}) {
        std::vector<uint8_t> buffer(8, kGuard);
        EXPECT_EQ(ReadTargetMemory(sim, unit, 0xFFC, buffer.data(), 8), TransferResult::Refused);
        EXPECT_EQ(buffer,
                  (std::vector<uint8_t>{Pattern(0xFFC), Pattern(0xFFD), Pattern(0xFFE), Pattern(0xFFF), 0, 0, 0, 0}));
    }
    const uint8_t source[8] = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17};
    EXPECT_EQ(WriteTargetMemory(sim, 4, 0xFFC, source, 8), TransferResult::Refused);
    EXPECT_EQ(sim.Memory().Store().ReadWord(0xFFC), 0x13121110u);
    EXPECT_EQ(StoreByte(sim, 0x1000), Pattern(0x1000));
}

TEST(TargetMemory, ReadsSeeTheDataCacheAndWritesBypassIt)
{
    Simulator sim;
    CommandLanguage language(sim);
    // Region 0 covers everything, data side write-back, data cache on.
    language.Dispatch("cr6 0 = 0x3f; cr5 0 = 3; cr5 1 = 3; cr2 0 = 3; cr1 0 = 0x11");
    test::LoadWords(sim, 0, {0xE5801000, test::kNormalEnd});  // str r1,[r0]
    sim.WriteRegister(1, 0x100);
    sim.WriteRegister(2, 0xAABBCCDD);
    ASSERT_EQ(sim.Run(0), kNormalEnd);
    ASSERT_NE(sim.Memory().CacheOf(Side::Data).Lookup(0x100), nullptr);
    EXPECT_EQ(sim.Memory().Store().ReadWord(0x100), 0u);  // still only in the dirty line

    uint8_t word[4] = {};
    ASSERT_EQ(ReadTargetMemory(sim, 4, 0x100, word, 4), TransferResult::Done);
    EXPECT_EQ(word[0], 0xDD);
    EXPECT_EQ(word[3], 0xAA);

    const uint8_t byte = 0x55;
    ASSERT_EQ(WriteTargetMemory(sim, 1, 0x101, &byte, 1), TransferResult::Done);
    EXPECT_EQ(sim.Memory().CacheOf(Side::Data).Lookup(0x100), nullptr);
    EXPECT_EQ(sim.Memory().Store().ReadWord(0x100), 0xAABB55DDu);
}

}  // namespace
}  // namespace zk::sim

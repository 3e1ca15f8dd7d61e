// The memory tools on inclusive ranges.
#include <gmock/gmock.h>

#include <cstring>
#include <string>

#include "fake_sim_session.h"
#include "talvis/talvis.h"

using ::testing::ElementsAre;

namespace {

using BlockToolsTest = FakeSimTest;

std::vector<uint8_t> Bytes(const std::string& s)
{
    return {s.begin(), s.end()};
}

TEST_F(BlockToolsTest, CopyAndFillTakeTheEndAsTheLastByte)
{
    sim().PokeBytes(0x1000, std::vector<uint8_t>(1024, 0x3C));
    EXPECT_EQ(MemCopyBlock({0x1000, 1}, {0x13FF, 1}, {0x2000, 1}, 1), 0);
    EXPECT_THAT(sim().Trace(), ElementsAre("6(4,0x1000,1024)", "7(4,0x2000,1024)"));
    EXPECT_EQ(sim().PeekBytes(0x2000, 1025), [] {
        std::vector<uint8_t> v(1024, 0x3C);
        v.push_back(0);
        return v;
    }());

    sim().Clear();
    EXPECT_EQ(MemFillBlock({0x4000, 1}, {0x4009, 1}, "ab", 2, 1), 0);
    EXPECT_EQ(sim().PeekBytes(0x4000, 11), Bytes(std::string("ababababab") + '\0'));
    // A pattern as long as the range is one block.
    sim().Clear();
    EXPECT_EQ(MemFillBlock({0x5000, 1}, {0x5003, 1}, "wxyz", 4, 1), 0);
    EXPECT_THAT(sim().Trace(), ElementsAre("7(1,0x5000,4)"));
}

TEST_F(BlockToolsTest, BadRangesAreTheLibrarysOwnError)
{
    ADDR diff{};
    WORD sum = 0;
    EXPECT_EQ(MemCopyBlock({0x2000, 1}, {0x1000, 1}, {0x3000, 1}, 1), MEM_LIBRARY_ERROR);
    EXPECT_EQ(MemCopyBlock({0x1000, 1}, {0x1FFF, 1}, {0xFFFFF800, 1}, 1), MEM_LIBRARY_ERROR);
    EXPECT_EQ(MemCompareBlock({0x2000, 1}, {0x1000, 1}, {0x3000, 1}, &diff, 1), MEM_LIBRARY_ERROR);
    EXPECT_EQ(MemFillBlock({0x1000, 1}, {0x1FFF, 1}, "", 0, 1), MEM_LIBRARY_ERROR);
    EXPECT_EQ(MemChecksumBlock({0x2000, 1}, {0x1000, 1}, &sum, 1), MEM_LIBRARY_ERROR);
    EXPECT_EQ(MemSearchBlock({0x1000, 1}, {0x1FFF, 1}, "x", 0, 0, &diff, 1), MEM_LIBRARY_ERROR);
    EXPECT_TRUE(sim().calls.empty());
}

TEST_F(BlockToolsTest, CompareReportsTheSourceAddressOfTheFirstDifference)
{
    sim().PokeBytes(0x1000, std::vector<uint8_t>(2000, 7));
    sim().PokeBytes(0x3000, std::vector<uint8_t>(2000, 7));
    ADDR diff{};
    EXPECT_EQ(MemCompareBlock({0x1000, 1}, {0x17CF, 1}, {0x3000, 1}, &diff, 1), EMU_RANGES_EQUAL);
    sim().Poke(0x3000 + 1500, 8);
    EXPECT_EQ(MemCompareBlock({0x1000, 1}, {0x17CF, 1}, {0x3000, 1}, &diff, 1), 0);
    EXPECT_EQ(diff, (ADDR{0x1000 + 1500, 1}));
}

TEST_F(BlockToolsTest, SearchFindsTheFirstMatchInsideTheRangeAcrossChunks)
{
    sim().PokeBytes(0x10000 + 4093, Bytes("NEEDLE"));  // over the first chunk boundary
    sim().PokeBytes(0x12000, Bytes("NEEDLE"));
    ADDR found{};
    EXPECT_EQ(MemSearchBlock({0x10000, 1}, {0x12FFF, 1}, "NEEDLE", 6, 0, &found, 1), 0);
    EXPECT_EQ(found, (ADDR{0x10FFD, 1}));
    EXPECT_EQ(MemSearchBlock({0x10000, 1}, {0x12FFF, 1}, "needle", 6, 1, &found, 1), 0);
    EXPECT_EQ(found, (ADDR{0x10FFD, 1}));
    EXPECT_EQ(MemSearchBlock({0x10FFE, 1}, {0x12FFF, 1}, "NEEDLE", 6, 0, &found, 1), 0);
    EXPECT_EQ(found, (ADDR{0x12000, 1}));
    EXPECT_EQ(MemSearchBlock({0x10000, 1}, {0x12FFF, 1}, "needle", 6, 0, &found, 1), MEM_NOT_FOUND);
    // A match that runs past the end is outside the range.
    EXPECT_EQ(MemSearchBlock({0x11000, 1}, {0x12004, 1}, "NEEDLE", 6, 0, &found, 1), MEM_NOT_FOUND);
    EXPECT_EQ(MemSearchBlock({0x11000, 1}, {0x12005, 1}, "NEEDLE", 6, 0, &found, 1), 0);
}

TEST_F(BlockToolsTest, ChecksumIsThe16BitSumOfTheBytes)
{
    std::vector<uint8_t> data(10000);
    uint32_t sum = 0;
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i * 13 + 5);
        sum += data[i];
    }
    sim().PokeBytes(0x8000, data);
    WORD checksum = 0;
    EXPECT_EQ(MemChecksumBlock({0x8000, 1}, {0x8000 + 9999, 1}, &checksum, 1), 0);
    EXPECT_EQ(checksum, static_cast<WORD>(sum));
}

}  // namespace

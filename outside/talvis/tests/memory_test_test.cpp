// The memory test: passes on sound memory, finds a cell that ignores writes,
// and puts back what the memory held.
#include <gmock/gmock.h>

#include <cstring>

#include "fake_sim_session.h"
#include "talvis/talvis.h"

using ::testing::HasSubstr;

namespace {

class MemoryTestTest : public FakeSimTest {
protected:
    void SetUp() override
    {
        FakeSimTest::SetUp();
        for (uint32_t i = 0; i < 0x2000; ++i)
            sim().Poke(0x20000 + i, static_cast<uint8_t>(i * 3));
        before_ = sim().PeekBytes(0x20000, 0x2000);
    }
    int Run(uint32_t first, uint32_t last, int kind, int width)
    {
        std::memset(text_, 0, sizeof text_);
        return MemTestRange({first, 1}, {last, 1}, text_, kind, width);
    }
    void ExpectRestored() { EXPECT_EQ(sim().PeekBytes(0x20000, 0x2000), before_); }

    char text_[1024];
    std::vector<uint8_t> before_;
};

TEST_F(MemoryTestTest, SoundMemoryPassesEveryKindAndWidth)
{
    for (int kind : {0, 1, 2}) {
        for (int width : {0, 1, 2}) {
            EXPECT_EQ(Run(0x20000, 0x21FFF, kind, width), 0) << kind << "/" << width;
            EXPECT_STREQ(text_, "Test Successful!");
            ExpectRestored();
        }
    }
}

TEST_F(MemoryTestTest, AStuckCellFailsWithItsAddress)
{
    sim().stuckBytes.insert(0x20000 + 0x1235);
    EXPECT_EQ(Run(0x20000, 0x21FFF, 0, 2), MEM_TEST_FAILED);
    EXPECT_THAT(text_, HasSubstr("0x00021234"));  // the word holding it
    ExpectRestored();
    EXPECT_EQ(Run(0x20000, 0x21FFF, 0, 0), MEM_TEST_FAILED);
    EXPECT_THAT(text_, HasSubstr("0x00021235"));
    EXPECT_EQ(Run(0x20000, 0x211FF, 0, 0), 0);  // outside the range
}

TEST_F(MemoryTestTest, BusTestsFindAStuckCellOnTheirPath)
{
    sim().stuckBytes.insert(0x20000);
    EXPECT_EQ(Run(0x20000, 0x21FFF, 1, 2), MEM_TEST_FAILED);
    EXPECT_THAT(text_, HasSubstr("Data bus"));
    sim().stuckBytes = {0x20000 + 0x400};
    EXPECT_EQ(Run(0x20000, 0x21FFF, 2, 2), MEM_TEST_FAILED);
    EXPECT_THAT(text_, HasSubstr("Address bus"));
    ExpectRestored();
}

// The program cuts a memory test into blocks on 256-byte boundaries whose
// last one may be a single byte: a range shorter than the width is tested in
// the widest accesses that fit it.
TEST_F(MemoryTestTest, RangesShorterThanTheWidthAreTestedInNarrowerAccesses)
{
    for (int kind : {0, 1, 2}) {
        for (uint32_t last : {0x20000u, 0x20001u, 0x20002u}) {
            sim().Clear();
            EXPECT_EQ(Run(0x20000, last, kind, 2), 0) << kind << " " << std::hex << last;
            EXPECT_STREQ(text_, "Test Successful!");
            for (const FakeSimCall& c : sim().calls)
                EXPECT_LE(static_cast<uint32_t>(c.a2) + static_cast<uint32_t>(c.a4), last + 1) << kind;
            ExpectRestored();
        }
    }
    sim().stuckBytes.insert(0x20002);
    EXPECT_EQ(Run(0x20000, 0x20002, 0, 2), MEM_TEST_FAILED);
    EXPECT_THAT(text_, HasSubstr("0x00020002"));
}

TEST_F(MemoryTestTest, UnknownKindsAndWidthsAreNotSupported)
{
    for (auto [kind, width] : {std::pair{3, 0}, {0, 3}, {-1, 0}}) {
        EXPECT_EQ(Run(0x20000, 0x200FF, kind, width), MEM_LIBRARY_ERROR);
        EXPECT_STREQ(text_, "Command Not Support!");
    }
    EXPECT_TRUE(sim().calls.empty());
}

}  // namespace

// The program's walk in 256-byte blocks.
#include "talvis/block_walk.h"

namespace {

TEST(BlockWalkCountTest, BlocksAreCutOnTheBoundaries)
{
    struct Row {
        uint32_t start, end, blocks;
    } const rows[] = {
        {0x20010, 0x20010, 1}, {0x20010, 0x200FF, 1}, {0x20010, 0x20100, 2},       {0x20000, 0x201FF, 2},
        {0x20000, 0x20200, 3}, {0x20100, 0x200FF, 0}, {0xFFFFFF00, 0xFFFFFFFF, 1}, {0, 0xFFFFFFFF, 0x1000000},
    };
    for (const Row& r : rows)
        EXPECT_EQ(talvis::TestBlockCount(r.start, r.end), r.blocks) << std::hex << r.start << "-" << r.end;
}

class BlockWalkTest : public MemoryTestTest {};

TEST_F(BlockWalkTest, WalksEveryBlockWithProgressAndStopsAtTheFirstFailure)
{
    std::vector<int> percents;
    const auto out =
        talvis::TestRangeInBlocks({0x20080, 1}, {0x20480, 1}, 2, nullptr, [&](int p) { percents.push_back(p); });
    EXPECT_TRUE(out.passed);
    EXPECT_EQ(out.text, "Test Successful!");
    EXPECT_EQ(percents, (std::vector<int>{20, 40, 60, 80, 100}));  // 80-FF, 100-1FF, ..., 400-480
    ExpectRestored();

    sim().stuckBytes.insert(0x20000 + 0x290);
    percents.clear();
    const auto failed =
        talvis::TestRangeInBlocks({0x20080, 1}, {0x20480, 1}, 0, nullptr, [&](int p) { percents.push_back(p); });
    EXPECT_FALSE(failed.passed);
    EXPECT_THAT(failed.text, HasSubstr("0x00020290"));
    EXPECT_EQ(failed.blocks, 3u);
    ExpectRestored();
}

TEST_F(BlockWalkTest, CancelEndsBeforeTheNextBlock)
{
    int asked = 0;
    const auto out = talvis::TestRangeInBlocks(
        {0x20000, 1}, {0x20FFF, 1}, 2, [&] { return ++asked > 2; }, nullptr);
    EXPECT_TRUE(out.cancelled);
    EXPECT_FALSE(out.passed);
    EXPECT_EQ(out.blocks, 2u);
}

}  // namespace

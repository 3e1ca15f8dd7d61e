// The cache model on its own: replacement by age of fill, locking, dirty
// lines and their write-back (with the complement option), and the text of
// one set.
#include <gtest/gtest.h>

#include "simcore/cache.h"

namespace zk::sim {
namespace {

// Lines 0x1000 apart fall in one set of the default 8 KB 2-way cache.
constexpr uint32_t kA = 0x20000, kB = 0x21000, kC = 0x22000, kD = 0x23000;

class CacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(cache_.Allocate({}));
        for (uint32_t a : {kA, kB, kC, kD})
            store_.Write(a, 4, a >> 12);
    }
    bool Holds(uint32_t addr) { return cache_.Lookup(addr) != nullptr; }
    void Dirty(uint32_t addr, uint32_t value)
    {
        CacheLine* line = cache_.Lookup(addr);
        if (!line)
            line = cache_.Fill(addr);
        ASSERT_NE(line, nullptr);
        Cache::WriteInto(*line, addr, 4, value, true);
    }

    SparseStore store_;
    LineBacking backing_{&store_};
    Cache cache_{backing_};
};

TEST_F(CacheTest, GeometryOfTheDefaultCache)
{
    EXPECT_EQ(cache_.Sets(), 256u);
    EXPECT_EQ(cache_.Ways(), 2u);
    EXPECT_EQ(cache_.SetOf(kA), 0u);
    EXPECT_EQ(cache_.SetOf(0x20FF0), 255u);
    EXPECT_EQ(cache_.SetOf(0x21010), 1u);
}

TEST(CacheGeometry, SizeOverWaysMustBeAPowerOfTwoOfWholeLines)
{
    EXPECT_TRUE((CacheGeometry{0x2000, 2}.Valid()));
    EXPECT_TRUE((CacheGeometry{0x1000, 4}.Valid()));
    EXPECT_TRUE((CacheGeometry{0x30, 3}.Valid()));  // three ways of one line
    EXPECT_FALSE((CacheGeometry{0x3000, 2}.Valid()));
    EXPECT_FALSE((CacheGeometry{0x2000, 0}.Valid()));
    EXPECT_FALSE((CacheGeometry{0x10, 2}.Valid()));
    EXPECT_FALSE((CacheGeometry{0x2001, 1}.Valid()));
}

TEST_F(CacheTest, ThirdLineOfASetEvictsTheFirstFilledWhateverWasReadBetween)
{
    cache_.Fill(kA);
    cache_.Fill(kB);
    EXPECT_TRUE(Holds(kA));  // a hit changes no age
    cache_.Fill(kC);
    EXPECT_FALSE(Holds(kA));
    EXPECT_TRUE(Holds(kB));
    EXPECT_TRUE(Holds(kC));
    cache_.Fill(kD);
    EXPECT_FALSE(Holds(kB));
}

TEST_F(CacheTest, FillReadsTheStoreLineAndAgesTheOthers)
{
    store_.Write(kA + 8, 4, 0x12345678);
    CacheLine* a = cache_.Fill(kA + 8);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->tag, kA);
    EXPECT_EQ(Cache::ReadFrom(*a, kA + 8, 4), 0x12345678u);
    EXPECT_EQ(Cache::ReadFrom(*a, kA + 9, 1), 0x56u);
    EXPECT_EQ(Cache::ReadFrom(*a, kA + 10, 2), 0x1234u);
    cache_.Fill(kB);
    EXPECT_EQ(cache_.Line(0, 0).age, 1u);
    EXPECT_EQ(cache_.Line(0, 1).age, 0u);
}

TEST_F(CacheTest, LockedLineIsNeverEvictedAndAFullyLockedSetAllocatesNothing)
{
    cache_.Prefetch(kA);
    cache_.Lock(kA);
    for (uint32_t a : {kB, kC, kD})
        EXPECT_NE(cache_.Fill(a), nullptr);
    EXPECT_TRUE(Holds(kA));
    EXPECT_TRUE(Holds(kD));
    cache_.Lock(kD);
    EXPECT_EQ(cache_.Fill(kB), nullptr);
    EXPECT_TRUE(Holds(kA));
    cache_.Unlock(kA);
    cache_.Fill(kB);
    EXPECT_FALSE(Holds(kA));
    EXPECT_TRUE(Holds(kD));
}

TEST_F(CacheTest, DirtyLineWrittenBackWhenEvictedCleanedOrCleanInvalidated)
{
    Dirty(kA, 0xAAAA);
    cache_.Fill(kB);
    EXPECT_EQ(store_.Read(kA, 4), kA >> 12) << "held in the line only";
    cache_.Fill(kC);
    EXPECT_EQ(store_.Read(kA, 4), 0xAAAAu) << "evicted";

    Dirty(kB, 0xBBBB);
    cache_.CleanInvalidateLine(kB);
    EXPECT_EQ(store_.Read(kB, 4), 0xBBBBu);
    EXPECT_FALSE(Holds(kB));

    Dirty(kC, 0xCCCC);
    cache_.CleanInvalidateAll();
    EXPECT_EQ(store_.Read(kC, 4), 0xCCCCu);
    EXPECT_FALSE(Holds(kC));
}

TEST_F(CacheTest, InvalidationWithoutWriteBackDropsDirtyData)
{
    Dirty(kA, 0xAAAA);
    cache_.InvalidateLine(kA);
    EXPECT_EQ(store_.Read(kA, 4), kA >> 12);
    Dirty(kB, 0xBBBB);
    cache_.Lock(kB);
    cache_.InvalidateAll();
    EXPECT_EQ(store_.Read(kB, 4), kB >> 12);
    const CacheLine& line = cache_.Line(0, 1);
    EXPECT_FALSE(line.valid || line.dirty || line.lock || line.age);
}

TEST_F(CacheTest, ComplementOptionInvertsWrittenBackWords)
{
    backing_.complement = true;
    Dirty(kA, 0x0F0F0F0F);
    EXPECT_EQ(Cache::ReadFrom(*cache_.Lookup(kA), kA, 4), 0x0F0F0F0Fu) << "the program sees its value while cached";
    cache_.CleanInvalidateLine(kA);
    EXPECT_EQ(store_.Read(kA, 4), 0xF0F0F0F0u);
    EXPECT_EQ(store_.Read(kA + 4, 4), 0xFFFFFFFFu) << "the whole line is complemented";
}

TEST_F(CacheTest, ShowSetTextIsByteForByte)
{
    store_.Write(kB + 4, 4, 0xB0B0B0B0);
    cache_.Fill(kA);
    Dirty(kA + 12, 0x0000ABCD);
    cache_.Lock(kA);
    cache_.Fill(kB);
    EXPECT_EQ(*cache_.ShowSet(0),
              "|    0x0000: 00020000 = 00000020 00000000 00000000 0000abcd , 1, dirty, lock\n"
              "|            00021000 = 00000021 b0b0b0b0 00000000 00000000 , 0,  \n");
    EXPECT_EQ(*cache_.ShowSet(0xAB),
              "|    0x00ab: XXXXXXXX = ???????? ???????? ???????? ???????? , invalid\n"
              "|            XXXXXXXX = ???????? ???????? ???????? ???????? , invalid\n");
}

TEST_F(CacheTest, ShowSetPastTheLastSetShowsNothing)
{
    EXPECT_TRUE(cache_.ShowSet(255).has_value());
    EXPECT_FALSE(cache_.ShowSet(256).has_value());
    EXPECT_STREQ(kCacheEndText, "Reach the end of cache!!!\n");
    cache_.Free();
    EXPECT_FALSE(cache_.ShowSet(0).has_value());
    EXPECT_EQ(cache_.Fill(kA), nullptr) << "no lines: nothing to allocate";
    cache_.Prefetch(kA);
    cache_.InvalidateAll();
}

}  // namespace
}  // namespace zk::sim

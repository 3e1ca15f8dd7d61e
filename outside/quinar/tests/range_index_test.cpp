// The flattened address index against a plain search over every range:
// the range holding an address that starts last wins, then the shorter,
// then the one registered last.
#include <gtest/gtest.h>

#include <random>

#include "range_index.h"

namespace quinar {
namespace {

uint32_t Innermost(const std::vector<RangeIndex::Range>& ranges, uint32_t address)
{
    uint32_t best = UINT32_MAX;
    for (uint32_t i = 0; i < ranges.size(); ++i) {
        const RangeIndex::Range& r = ranges[i];
        if (r.end < r.start || address < r.start || address > r.end)
            continue;
        if (best == UINT32_MAX) {
            best = i;
            continue;
        }
        const RangeIndex::Range& b = ranges[best];
        if (r.start > b.start || (r.start == b.start && r.end <= b.end))
            best = i;
    }
    return best == UINT32_MAX ? UINT32_MAX : ranges[best].payload;
}

TEST(RangeIndexTest, AgreesWithAPlainSearchOnRandomNestedAndOverlappingRanges)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<RangeIndex::Range> ranges;
        uint32_t count = rng() % 12 + 1;
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t start = rng() % 64;
            uint32_t end = start + rng() % 24 - 2;  // sometimes end < start: ignored
            ranges.push_back({start, end, 100 + i});
        }
        RangeIndex index;
        index.Build(ranges);
        for (uint32_t a = 0; a < 96; ++a) {
            const RangeIndex::Segment* s = index.Find(a);
            uint32_t expect = Innermost(ranges, a);
            SCOPED_TRACE(testing::Message() << "round " << round << " address " << a);
            ASSERT_EQ(s ? s->payload : UINT32_MAX, expect);
        }
    }
}

TEST(RangeIndexTest, RangesAtTheTopOfTheAddressSpace)
{
    RangeIndex index;
    index.Build({{0xFFFFFF00u, 0xFFFFFFFFu, 1}, {0xFFFFFFF0u, 0xFFFFFFFFu, 2}, {0, 0, 3}});
    ASSERT_NE(index.Find(0xFFFFFFFFu), nullptr);
    EXPECT_EQ(index.Find(0xFFFFFFFFu)->payload, 2u);
    EXPECT_EQ(index.Find(0xFFFFFFEFu)->payload, 1u);
    EXPECT_EQ(index.Find(0)->payload, 3u);
    EXPECT_EQ(index.Find(1), nullptr);
    EXPECT_EQ(index.Segments().size(), 3u);
}

}  // namespace
}  // namespace quinar

// The memory tools' readers: ranges by end or length (64-bit, the whole
// space included) and search and fill patterns.
#include <gmock/gmock.h>

#include "dolmer/dolmer.h"
#include "regmem/memory_input.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace regmem {
namespace {

class MemoryInputTest : public ::testing::Test {
protected:
    void SetUp() override { AdrSetExtAddrRange(0, 0xFFFFFFFFu, 0, 0, 0); }
};

TEST_F(MemoryInputTest, RangesByEndAndByLength)
{
    struct Case {
        const char* start;
        RangeMode mode;
        const char* second;
        bool ok;
        uint32_t first, last;
    };
    const Case cases[] = {
        {"8000", RangeMode::EndAddress, "80FF", true, 0x8000, 0x80FF},
        {"0x8000", RangeMode::Length, "100", true, 0x8000, 0x80FF},    // lengths are hexadecimal too
        {"0", RangeMode::Length, "0x100000000", true, 0, 0xFFFFFFFF},  // the whole space
        {"0", RangeMode::Length, "4294967296", true, 0, 0xFFFFFFFF},   // in decimal
        {"FFFFFF00", RangeMode::Length, "100", true, 0xFFFFFF00, 0xFFFFFFFF},
        {"FFFFFF00", RangeMode::Length, "101", false, 0, 0},  // past the space
        {"8000", RangeMode::Length, "0", false, 0, 0},
        {"8000", RangeMode::EndAddress, "7FFF", false, 0, 0},  // end before start
        {"xyz", RangeMode::EndAddress, "8000", false, 0, 0},
        {"8000", RangeMode::EndAddress, "", false, 0, 0},
        {"1", RangeMode::Length, "0x100000000", false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.start) + " / " + c.second);
        const RangeInput r = ReadRange(c.start, c.mode, c.second);
        EXPECT_EQ(r.ok, c.ok);
        if (c.ok) {
            EXPECT_EQ(r.start.off, c.first);
            EXPECT_EQ(r.end.off, c.last);
            EXPECT_EQ(r.end.seg, ADDR_SPACE_TARGET);
        }
    }
    EXPECT_EQ(ReadRange("zz", RangeMode::EndAddress, "1").field, 0);
    EXPECT_EQ(ReadRange("8000", RangeMode::EndAddress, "zz").field, 1);
}

TEST_F(MemoryInputTest, RangeRespectsTheSpacesLimits)
{
    ASSERT_EQ(AdrSetExtAddrRange(0, 0x0FFFFFFF, 0, 0, 0), 1);
    EXPECT_FALSE(ReadRange("0", RangeMode::Length, "0x100000000").ok);
    const RangeInput whole = ReadRange("0", RangeMode::Length, "0x10000000");
    ASSERT_TRUE(whole.ok);
    EXPECT_EQ(whole.end.off, 0x0FFFFFFFu);
    EXPECT_FALSE(ReadRange("0FFFFFF0", RangeMode::EndAddress, "10000000").ok);
}

TEST_F(MemoryInputTest, PatternsOfTextAndValues)
{
    EXPECT_THAT(ReadPattern("\"Ab c\"  ", 32, 32, 1, false), ElementsAre('A', 'b', ' ', 'c'));
    EXPECT_THAT(ReadPattern("0x12, 'z' 7", 32, 32, 1, false), ElementsAre(0x12, 'z', 7));
    EXPECT_THAT(ReadPattern("0x1234 5", 32, 64, 2, false), ElementsAre(0x34, 0x12, 5, 0));
    EXPECT_THAT(ReadPattern("0x11223344", 32, 128, 4, false), ElementsAre(0x44, 0x33, 0x22, 0x11));
    EXPECT_THAT(ReadPattern("0x11223344", 32, 128, 4, true), ElementsAre(0x11, 0x22, 0x33, 0x44));
    std::string values32, values33;
    for (int i = 0; i < 33; ++i)
        (i < 32 ? values32 : values33) += std::to_string(i) + " ";
    values33 = values32 + "32";
    EXPECT_EQ(ReadPattern(values32, 32, 32, 1, false).size(), 32u);
    const char* refused[] = {"",     "   ", "\"abc", "\"\"", "\"",         "256",        "0x",
                             "0x1G", "-1",  "1.5",   "'ab'", "4294967296", "0x100000000"};
    for (const char* text : refused)
        EXPECT_THAT(ReadPattern(text, 32, 32, text == std::string("4294967296") ? 4 : 1, false), IsEmpty()) << text;
    EXPECT_THAT(ReadPattern(values33, 32, 32, 1, false), IsEmpty());
    EXPECT_THAT(ReadPattern("65536", 32, 64, 2, false), IsEmpty());
    // A quoted text longer than the pattern buffer is refused, not cut.
    EXPECT_THAT(ReadPattern("\"" + std::string(33, 'x') + "\"", 32, 32, 1, false), IsEmpty());
    // Fill: values up to the range's byte count.
    EXPECT_THAT(ReadPattern("1 2 3", 2, 256, 1, false), IsEmpty());
}

}  // namespace
}  // namespace regmem

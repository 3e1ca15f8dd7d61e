// Field values and the field editor's rules against bit arithmetic written
// apart from the library's.
#include <gtest/gtest.h>

#include "field_rules.h"

namespace halvek {
namespace {

Field MakeField(int sz, int loc, uint32_t mn = 0, uint32_t mx = 0, bool av = true)
{
    Field f;
    f.sz = sz;
    f.loc = loc;
    f.mn = mn;
    f.mx = mx;
    f.av = av;
    return f;
}

// Bit by bit, the way a reader of a data sheet would.
uint32_t SlowField(uint32_t value, int sz, int loc)
{
    uint32_t out = 0;
    for (int bit = loc; bit > loc - sz; --bit)
        out = (out << 1) | ((value >> bit) & 1);
    return out;
}

uint32_t SlowCompose(uint32_t value, int sz, int loc, uint32_t field)
{
    for (int i = 0; i < sz; ++i) {
        const int bit = loc - sz + 1 + i;
        value = (value & ~(1u << bit)) | (((field >> i) & 1u) << bit);
    }
    return value;
}

TEST(FieldRules, ValuesAndComposedRegistersMatchBitByBitArithmetic)
{
    const struct {
        int sz, loc;
        const char* span;
    } fields[] = {{1, 7, "7: "}, {15, 15, "15-1: "}, {32, 31, "31-0: "},
                  {1, 0, "0: "}, {4, 3, "3-0: "},    {2, 5, "5-4: "}};
    const uint32_t registers[] = {0, 0xFFFFFFFF, 0xA5A5A5A5, 0x12345678, 0x80000001};
    for (const auto& c : fields) {
        SCOPED_TRACE(c.span);
        const Field f = MakeField(c.sz, c.loc);
        EXPECT_TRUE(FieldConsistent(f));
        EXPECT_EQ(SpanText(f), c.span);
        for (uint32_t reg : registers) {
            EXPECT_EQ(FieldValue(reg, f), SlowField(reg, c.sz, c.loc)) << std::hex << reg;
            for (uint32_t v : {0u, 1u, 0x5555u, 0xFFFFFFFFu}) {
                const uint32_t field = v & BitMask(c.sz);
                EXPECT_EQ(ComposeValue(reg, f, field, 0xFFFFFFFF), SlowCompose(reg, c.sz, c.loc, field));
                EXPECT_EQ(ComposeValue(reg, f, field, 0x0000FFF0), SlowCompose(reg, c.sz, c.loc, field) & 0xFFF0);
            }
        }
    }
}

TEST(FieldRules, FieldsOutsideAWordHaveValueZeroAndComposeNothing)
{
    // sz and loc up to 256 are accepted by the reader; such a field never
    // indexes past the mask table or shifts by 32.
    for (const auto& [sz, loc] :
         std::vector<std::pair<int, int>>{{33, 40}, {256, 255}, {1, 32}, {1, 256}, {8, 3}, {0, 5}}) {
        const Field f = MakeField(sz, loc);
        EXPECT_FALSE(FieldConsistent(f)) << sz << "," << loc;
        EXPECT_EQ(FieldValue(0xFFFFFFFF, f), 0u);
        EXPECT_EQ(ComposeValue(0x12345678, f, 0xFFFFFFFF, 0xFFFFFFFF), 0x12345678u);
    }
    EXPECT_EQ(BitMask(0), 0u);
    EXPECT_EQ(BitMask(32), 0xFFFFFFFFu);
    EXPECT_EQ(BitMask(300), 0xFFFFFFFFu);
}

TEST(FieldRules, TheEditorAcceptsRangesOrListedValues)
{
    Field any = MakeField(4, 3, 2, 9, true);
    EXPECT_FALSE(AcceptFieldValue(any, 1));
    EXPECT_TRUE(AcceptFieldValue(any, 2));
    EXPECT_TRUE(AcceptFieldValue(any, 9));
    EXPECT_FALSE(AcceptFieldValue(any, 10));
    Field listed = MakeField(2, 1, 0, 3, false);
    listed.texts = {{0, "off"}, {3, "on"}};
    EXPECT_TRUE(AcceptFieldValue(listed, 3));
    EXPECT_FALSE(AcceptFieldValue(listed, 1));
    EXPECT_TRUE(AcceptFieldValue(listed, 0x10000)) << "texts are keyed by the low 16 bits";
}

TEST(FieldRules, ValueTextsFallBackToTheTextOfMxThenNothing)
{
    Field f = MakeField(2, 1, 0, 3, false);
    f.texts = {{0, "off"}, {3, "reserved"}};
    EXPECT_EQ(ValueText(f, 0), "off");
    EXPECT_EQ(ValueText(f, 2), "reserved");
    f.mx = 2;
    EXPECT_EQ(ValueText(f, 1), "");
}

TEST(FieldRules, TheSpinWrapsAtBothEnds)
{
    const Field f = MakeField(4, 3, 3, 6);
    EXPECT_EQ(SpinStep(f, 3, +1), 4u);
    EXPECT_EQ(SpinStep(f, 6, +1), 3u);
    EXPECT_EQ(SpinStep(f, 3, -1), 6u);
    EXPECT_EQ(SpinStep(f, 5, -1), 4u);
}

TEST(FieldRules, RegisterValuesShowAsManyDigitsAsTheWidth)
{
    EXPECT_EQ(RegisterValueText(0x5, 1), "0x05");
    EXPECT_EQ(RegisterValueText(0x5, 2), "0x0005");
    EXPECT_EQ(RegisterValueText(0xABCDEF01, 4), "0xABCDEF01");
}

}  // namespace
}  // namespace halvek

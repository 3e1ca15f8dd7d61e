// The memory window's cells: the nine layouts, value texts, the typed text
// read back within each unit's range, and the target's byte order.
#include <gmock/gmock.h>

#include "regmem/memory_format.h"

namespace regmem {
namespace {

struct LayoutCase {
    Format format;
    Unit unit;
    int cells, shortCells, width, lastChar;
    uint32_t value;
    const char* text;
};

TEST(MemoryFormat, NineLayoutsAndTheirTexts)
{
    const LayoutCase cases[] = {
        {Format::Hex, Unit::Byte, 16, 8, 3, 1, 0xAB, "AB"},
        {Format::Hex, Unit::Half, 8, 4, 5, 3, 0xABCD, "ABCD"},
        {Format::Hex, Unit::Word, 4, 2, 9, 7, 0x0000ABCD, "0000ABCD"},
        {Format::Unsigned, Unit::Byte, 16, 8, 4, 2, 7, "007"},
        {Format::Unsigned, Unit::Half, 8, 4, 6, 4, 65535, "65535"},
        {Format::Unsigned, Unit::Word, 4, 2, 11, 9, 0xFFFFFFFF, "4294967295"},
        {Format::Signed, Unit::Byte, 16, 8, 5, 3, 0x7F, "+127"},
        {Format::Signed, Unit::Half, 8, 4, 7, 5, 0x8000, "-32768"},
        {Format::Signed, Unit::Word, 4, 2, 12, 10, 0x7FFFFFFF, "+2147483647"},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(LayoutOf(c.format, c.unit, 1).cells, c.cells);
        EXPECT_EQ(LayoutOf(c.format, c.unit, 2).cells, c.shortCells);
        EXPECT_EQ(LayoutOf(c.format, c.unit, 1).width, c.width);
        EXPECT_EQ(LastCharIndex(c.format, c.unit), c.lastChar);
        EXPECT_EQ(ValueText(c.format, c.unit, c.value), c.text);
        // The last character index is the text's last position, and the
        // text read back is the value.
        EXPECT_EQ(static_cast<int>(ValueText(c.format, c.unit, c.value).size()) - 1, c.lastChar);
        EXPECT_EQ(ParseCellText(c.format, c.unit, c.text), c.value);
    }
}

TEST(MemoryFormat, TypedValuesOutsideTheirUnitAreRefused)
{
    struct Case {
        Format format;
        Unit unit;
        const char* text;
    };
    const Case refused[] = {
        {Format::Unsigned, Unit::Byte, "256"},
        {Format::Unsigned, Unit::Half, "65536"},
        {Format::Unsigned, Unit::Word, "4294967296"},
        {Format::Unsigned, Unit::Word, "9999999999"},
        {Format::Signed, Unit::Half, "+32768"},
        {Format::Signed, Unit::Half, "-32769"},
        {Format::Signed, Unit::Word, "+2147483648"},
        {Format::Signed, Unit::Word, "-2147483649"},
        {Format::Signed, Unit::Byte, "-001"},
        {Format::Signed, Unit::Byte, "+256"},  // a byte takes no sign but +
        {Format::Hex, Unit::Byte, "1G"},
        {Format::Signed, Unit::Word, "12"},
        {Format::Unsigned, Unit::Byte, "1 2"},
        {Format::Hex, Unit::Word, ""},
    };
    for (const Case& c : refused)
        EXPECT_EQ(ParseCellText(c.format, c.unit, c.text), std::nullopt) << c.text;
    EXPECT_EQ(ParseCellText(Format::Signed, Unit::Word, "-2147483648"), 0x80000000u);
    EXPECT_EQ(ParseCellText(Format::Signed, Unit::Byte, "+255"), 0xFFu);
}

TEST(MemoryFormat, SignPositionTakesPlusAndMinusOnlyWhereTheUnitAllows)
{
    EXPECT_FALSE(AcceptsChar(Format::Signed, Unit::Byte, 0, '-'));
    EXPECT_TRUE(AcceptsChar(Format::Signed, Unit::Byte, 0, '+'));
    EXPECT_TRUE(AcceptsChar(Format::Signed, Unit::Half, 0, '-'));
    EXPECT_FALSE(AcceptsChar(Format::Signed, Unit::Half, 1, '-'));
    EXPECT_FALSE(AcceptsChar(Format::Signed, Unit::Word, 0, '5'));
    EXPECT_TRUE(AcceptsChar(Format::Hex, Unit::Word, 3, 'f'));
    EXPECT_FALSE(AcceptsChar(Format::Unsigned, Unit::Word, 3, 'f'));
    EXPECT_FALSE(AcceptsChar(Format::Disassembly, Unit::Word, 0, '1'));
}

TEST(MemoryFormat, ValuesFollowTheTargetsByteOrder)
{
    const uint8_t bytes[] = {0x78, 0x56, 0x34, 0x12};
    EXPECT_EQ(ComposeValue(bytes, 4, false), 0x12345678u);
    EXPECT_EQ(ComposeValue(bytes, 4, true), 0x78563412u);
    EXPECT_EQ(ComposeValue(bytes, 2, false), 0x5678u);
    EXPECT_EQ(ComposeValue(bytes, 2, true), 0x7856u);
    uint8_t out[4] = {};
    DecomposeValue(0x01FF, 2, false, out);
    EXPECT_THAT(out, ::testing::ElementsAre(0xFF, 0x01, 0, 0));
    DecomposeValue(0x11223344, 4, true, out);
    EXPECT_THAT(out, ::testing::ElementsAre(0x11, 0x22, 0x33, 0x44));
}

}  // namespace
}  // namespace regmem

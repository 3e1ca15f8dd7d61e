// The breakpoint dialog's line: every kind of breakpoint reads back into
// itself, and texts that are no line are refused.
#include <gtest/gtest.h>

#include "bp_line.h"

namespace sarvik::ui {
namespace {

BpLine Line(bool enabled, std::string position, std::string condition, uint32_t count)
{
    BpLine l;
    l.enabled = enabled;
    l.address = "0x00008000";
    l.position = std::move(position);
    l.condition = std::move(condition);
    l.count = count;
    return l;
}

TEST(BpLineTest, EveryKindReadsBackIntoItself)
{
    BpLine access = Line(true, "", "", 1);
    access.access = true;
    access.accessType = BP_ACCESS_READ | BP_ACCESS_WRITE;
    access.accessAddress = "0x00020000";
    access.macro = "echo <COUNT=9>";
    BpLine writeOnly = access;
    writeOnly.accessType = BP_ACCESS_WRITE;
    writeOnly.macro = "";
    const BpLine cases[] = {
        Line(true, "", "", 1),
        Line(false, "#main.c#12", "", 3),
        // Conditions hold "<" and ">": the count is read from the end.
        Line(true, "#src/a b.c#7", "i > 3 && j < 2", 65536),
        Line(true, "", "x <> 1", 2),
        Line(true, "", "<COUNT=5>", 4),
        access,
        writeOnly,
    };
    for (const BpLine& line : cases) {
        const std::string text = WriteBpLine(line);
        BpLine back;
        ASSERT_TRUE(ReadBpLine(text, back)) << text;
        EXPECT_EQ(back, line) << text;
        EXPECT_EQ(WriteBpLine(back), text);
    }
}

TEST(BpLineTest, MarksDelimitersAndTypes)
{
    EXPECT_EQ(WriteBpLine(Line(true, "#m.c#4", "a > 1", 3)), " +  (0x00008000 #m.c#4)  {a > 1}  <COUNT=3>");
    EXPECT_EQ(WriteBpLine(Line(false, "", "", 1)), " -  (0x00008000)  <COUNT=1>");
    BpLine l;
    ASSERT_TRUE(ReadBpLine(" +  (0x100)  <COUNT=0x10>", l));
    EXPECT_EQ(l.count, 16u) << "the count is read with base 0";
    EXPECT_EQ(l.Type(), BP_LINE_PLAIN);
    ASSERT_TRUE(ReadBpLine(" +  (0x100)  {r0 == 1}  <COUNT=1>", l));
    EXPECT_EQ(l.Type(), BP_LINE_CONDITIONAL);
    ASSERT_TRUE(ReadBpLine(" -  (0x100)  [Read at 0x200]  <COUNT=1>", l));
    EXPECT_EQ(l.Type(), BP_LINE_ACCESS);
    EXPECT_EQ(l.accessType, BP_ACCESS_READ);
    EXPECT_EQ(l.accessAddress, "0x200");
    EXPECT_FALSE(l.enabled);
}

TEST(BpLineTest, TextsThatAreNoLineAreRefused)
{
    const char* bad[] = {
        "",
        " +",
        "+  (0x100)  <COUNT=1>",             // no blank in front
        " *  (0x100)  <COUNT=1>",            // no enable mark
        " +  (0x100)",                       // no count
        " +  (0x100)  <COUNT=>",             // empty count
        " +  (0x100)  <COUNT=12x>",          // not a number
        " +  (0x100)  <COUNT=-1>",           // negative
        " +  (0x100)  <COUNT=99999999999>",  // beyond 32 bits
        " +  ()  <COUNT=1>",                 // no address
        " +  (0x100  <COUNT=1>",             // unbalanced parenthesis
        " +  (0x100)  {a > 1  <COUNT=1>",    // unbalanced brace
        " +  (0x100)  [Read at 0x10  <COUNT=1>",
        " +  (0x100) junk  <COUNT=1>",
    };
    for (const char* text : bad) {
        BpLine l;
        EXPECT_FALSE(ReadBpLine(text, l)) << '"' << text << '"';
    }
}

}  // namespace
}  // namespace sarvik::ui

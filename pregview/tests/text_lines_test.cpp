// The description files' text layer: lines in a 256-byte buffer, tokens,
// keywords by prefix, C-notation numbers, quoted texts.
#include <gtest/gtest.h>

#include <cstdlib>

#include "halvek.h"
#include "text_lines.h"

namespace halvek {
namespace {

std::vector<std::string> AllLines(const std::string& content)
{
    LineReader r(content);
    std::vector<std::string> out;
    std::string line;
    while (r.ReadLine(line) == 0)
        out.push_back(line);
    return out;
}

TEST(DescriptionLines, EndsLinesAtTheLineFeedAndDropsACarriageReturnBeforeIt)
{
    EXPECT_EQ(AllLines("a b\r\nc\n\r\nlast"), (std::vector<std::string>{"a b", "c", "", "last"}));
    EXPECT_EQ(AllLines("x\ry\r\n"), (std::vector<std::string>{"x\ry"}));
    EXPECT_TRUE(AllLines("").empty());
}

TEST(DescriptionLines, CutsLongLinesAt255CharactersAndReadsTheRestAsTheNextLine)
{
    const std::string longLine(10000, 'k');
    const std::vector<std::string> lines = AllLines(longLine + "\nend\n");
    ASSERT_EQ(lines.size(), 10000 / 255 + 1 + 1);
    EXPECT_EQ(lines[0], std::string(255, 'k'));
    EXPECT_EQ(lines[39], std::string(10000 - 39 * 255, 'k'));
    EXPECT_EQ(lines.back(), "end");
    // 255 characters and the line feed: the feed is a line of its own.
    EXPECT_EQ(AllLines(std::string(255, 'a') + "\nb").size(), 3u);
    EXPECT_EQ(AllLines(std::string(254, 'a') + "\nb").size(), 2u);
}

TEST(DescriptionLines, CountsEveryLineIn16BitsAndFailsAtTheEnd)
{
    std::string content;
    for (int i = 0; i < 65537; ++i)
        content += "\n";
    LineReader r(content);
    std::string line;
    for (int i = 0; i < 65537; ++i)
        ASSERT_EQ(r.ReadLine(line), 0u);
    EXPECT_EQ(r.LineCount(), 1);
    EXPECT_EQ(r.ReadLine(line), PERI_READ_FAILED);
    EXPECT_EQ(r.Read(nullptr), PERI_NO_BUFFER);
}

TEST(DescriptionLines, SkipsBlankAndCommentLinesWhenAsked)
{
    LineReader r(" \t\b\r\n  // note\nword // after\n\n// last\n");
    std::string line;
    ASSERT_EQ(r.ReadContentLine(line), 0u);
    EXPECT_EQ(line, "word // after");
    EXPECT_EQ(r.LineCount(), 3);
    ASSERT_EQ(r.ReadNonBlankLine(line), 0u);
    EXPECT_EQ(line, "// last");
    EXPECT_EQ(r.ReadContentLine(line), PERI_READ_FAILED);
}

TEST(DescriptionLines, ANulByteEndsTheLinesText)
{
    EXPECT_EQ(AllLines(std::string("ab\0cd\nef", 8)), (std::vector<std::string>{"ab", "ef"}));
}

TEST(DescriptionLines, TheFirstWordSkipsWhiteSpaceAndStopsAtIt)
{
    LineReader r("\r\n  \tARM7TDMI begin_cfg\n");
    std::string word;
    ASSERT_TRUE(r.ReadWord(word));
    EXPECT_EQ(word, "ARM7TDMI");
    std::string line;
    ASSERT_EQ(r.ReadLine(line), 0u);
    EXPECT_EQ(line, " begin_cfg");
    LineReader empty(" \n\t");
    EXPECT_FALSE(empty.ReadWord(word));
}

TEST(DescriptionTokens, SeparatedByBlanksTabsReturnsFeedsAndBackspaces)
{
    EXPECT_EQ(Tokens(" a\tb\bc\r d  "), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_TRUE(Tokens(" \t").empty());
}

TEST(DescriptionTokens, KeywordsMatchByPrefixWithoutCaseButTwoOfThem)
{
    const struct {
        const char* token;
        const char* keyword;
        bool match;
    } cases[] = {
        {"begin_cfg", "begin_cfg", true},
        {"BEGIN_CFG", "begin_cfg", true},
        {"Begin_CfgX", "begin_cfg", true},
        {"begin_cf", "begin_cfg", false},
        {"VERSION", "version", true},
        {"base", "Base", true},
        {"END_PERIPHERAL", "end_peripheral", true},
        {"start_fields", "start_fields", true},
        {"START_FIELDS", "start_fields", false},
        {"end_reg", "end_reg", true},
        {"End_reg", "end_reg", false},
        {"end_regs", "end_reg", true},
        {"Begin_F", "begin_f", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesKeyword(c.token, c.keyword), c.match) << c.token << " / " << c.keyword;
}

TEST(DescriptionTokens, NumbersInCNotationAsStrtoulReadsThem)
{
    for (const char* text : {"0", "17", "0x3FF0000", "0X1f", "010", "09", "-1", "4294967295", "0x", "abc", "12abc"}) {
        EXPECT_EQ(UnsignedNumber(text), static_cast<uint32_t>(std::strtoul(text, nullptr, 0))) << text;
    }
    EXPECT_EQ(UnsignedNumber("010"), 8u);
    EXPECT_EQ(SignedNumber("-1"), -1);
}

TEST(DescriptionTokens, QuotedTextIsBetweenTheFirstTwoQuotes)
{
    std::string text = "kept";
    EXPECT_TRUE(QuotedText(R"(skipped "Line control" "more")", text));
    EXPECT_EQ(text, "Line control");
    EXPECT_TRUE(QuotedText(R"("")", text));
    EXPECT_EQ(text, "");
    text = "kept";
    EXPECT_FALSE(QuotedText(R"(no "closing)", text));
    EXPECT_EQ(text, "kept");
}

}  // namespace
}  // namespace halvek

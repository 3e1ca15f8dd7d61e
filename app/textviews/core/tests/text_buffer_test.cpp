#include <gtest/gtest.h>

#include <random>

#include "text_buffer.h"
#include "text_columns.h"
#include "text_line_reader.h"

namespace textcore {
namespace {

std::vector<std::string> Lines(const TextBuffer& buffer)
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i < buffer.LineCount(); ++i)
        out.emplace_back(buffer.Line(i));
    return out;
}

TEST(TextBuffer, RandomEditsMatchAVectorOfLines)
{
    // The blocked store against the plain model over many block splits and merges.
    std::mt19937 random(7);
    TextBuffer buffer;
    std::vector<std::string> model;
    auto text = [&] { return std::string(random() % 40, static_cast<char>('a' + random() % 26)); };
    for (int step = 0; step < 20000; ++step) {
        const int op = static_cast<int>(random() % 4);
        const std::size_t at = model.empty() ? 0 : random() % (model.size() + 1);
        if (op == 0 || model.empty()) {
            std::vector<std::string> lines(1 + random() % (step % 97 == 0 ? 1500 : 5));
            for (auto& line : lines)
                line = text();
            buffer.InsertLines(at, lines);
            model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), lines.begin(), lines.end());
        } else if (op == 1 && at < model.size()) {
            const std::size_t n = std::min<std::size_t>(model.size() - at, 1 + random() % (step % 89 == 0 ? 900 : 4));
            buffer.RemoveLines(at, n);
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(at),
                        model.begin() + static_cast<std::ptrdiff_t>(at + n));
        } else if (at < model.size()) {
            const std::string line = text();
            buffer.SetLine(at, line);
            model[at] = line;
        }
        ASSERT_EQ(buffer.LineCount(), model.size());
        if (step % 500 == 0) {
            ASSERT_EQ(Lines(buffer), model) << "step " << step;
        }
    }
    EXPECT_EQ(Lines(buffer), model);
}

TEST(TextBuffer, ReplacingTheWholeTextEmptiesTheUndoList)
{
    TextBuffer buffer;
    buffer.UndoList().AddInsertion(0, 0, 0, 1);
    buffer.SetLines({"a", "b"});
    EXPECT_TRUE(buffer.UndoList().IsEmpty());
    EXPECT_EQ(buffer.LineCount(), 2u);
}

struct ReaderCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
    bool endedWithBreak;
    bool crLf;
};

TEST(TextLineReader, CutsLinesByTheArchiveRules)
{
    const std::vector<ReaderCase> cases = {
        {"empty", "", {}, true, false},
        {"no break", "abc", {"abc"}, false, false},
        {"LF", "a\nb\n", {"a", "b"}, true, false},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}, true, true},
        {"lone CR kept", "a\rb\nc", {"a\rb", "c"}, false, false},
        {"CR at the end", "a\r", {"a\r"}, false, false},
        {"empty lines", "\n\n", {"", ""}, true, false},
        {"NUL kept", std::string("a\0b\n", 4), {std::string("a\0b", 3)}, true, false},
        {"invalid UTF-8", "\xff\xfe\n", {"\xff\xfe"}, true, false},
    };
    for (const ReaderCase& c : cases) {
        TextBuffer buffer;
        bool ended = false;
        bool crLf = false;
        LoadText(buffer, std::make_shared<const std::string>(c.bytes), &ended, &crLf);
        EXPECT_EQ(Lines(buffer), c.lines) << c.name;
        EXPECT_EQ(ended, c.endedWithBreak) << c.name;
        EXPECT_EQ(crLf, c.crLf) << c.name;
        EXPECT_EQ(SplitTextIntoLines(c.bytes), c.lines) << c.name;
    }
}

TEST(TextLineReader, ReadsInBatchesAndEditsLeaveTheLoadedBytesAlone)
{
    std::string bytes;
    for (int i = 0; i < 30000; ++i)
        bytes += "line " + std::to_string(i) + "\r\n";
    auto shared = std::make_shared<const std::string>(bytes);
    TextBuffer buffer;
    TextLineReader reader(shared);
    EXPECT_EQ(reader.ReadLines(buffer, 10001), 10001u);
    EXPECT_EQ(buffer.LineCount(), 10001u);
    while (!reader.AtEnd())
        EXPECT_LE(reader.ReadLines(buffer, 1001), 1001u);
    EXPECT_EQ(buffer.LineCount(), 30000u);
    EXPECT_TRUE(reader.UsedCrLf());
    buffer.SetLine(15000, "changed");
    buffer.RemoveLines(100, 3);
    EXPECT_EQ(*shared, bytes);
    EXPECT_EQ(buffer.Line(14997), "changed");
    EXPECT_EQ(buffer.Line(100), "line 103");
}

TEST(TextLineReader, FiveMegabyteLineWithoutBreak)
{
    std::string bytes(5 << 20, 'x');
    bytes[1234] = '\0';
    bytes[4321] = '\r';
    TextBuffer buffer;
    bool ended = true;
    LoadText(buffer, std::make_shared<const std::string>(bytes), &ended);
    ASSERT_EQ(buffer.LineCount(), 1u);
    EXPECT_EQ(buffer.Line(0), bytes);
    EXPECT_FALSE(ended);
}

TEST(TextBuffer, BlockCommentScanSkipsBlocks)
{
    // line 0 opens a comment; thousands of lines without markers follow.
    std::vector<std::string> lines = {"/* open"};
    for (int i = 0; i < 5000; ++i)
        lines.push_back("plain " + std::to_string(i));
    lines.push_back("close */");
    lines.push_back("after");
    lines.push_back("// x /* not an opening after //");
    lines.push_back("tail");
    TextBuffer buffer;
    buffer.SetLines(lines);
    EXPECT_FALSE(buffer.IsInsideBlockCommentScan(0));
    EXPECT_TRUE(buffer.IsInsideBlockCommentScan(1));
    EXPECT_TRUE(buffer.IsInsideBlockCommentScan(4000));
    EXPECT_TRUE(buffer.IsInsideBlockCommentScan(5001));
    EXPECT_FALSE(buffer.IsInsideBlockCommentScan(5002));
    EXPECT_FALSE(buffer.IsInsideBlockCommentScan(5005));
    // An edit far up changes the answer below: the blocks' answers follow.
    buffer.SetLine(0, "no comment");
    buffer.SetLine(5001, "x");
    EXPECT_FALSE(buffer.IsInsideBlockCommentScan(4000));
    buffer.SetLine(2000, "/* again");
    EXPECT_TRUE(buffer.IsInsideBlockCommentScan(4000));
    EXPECT_FALSE(buffer.IsInsideBlockCommentScan(1999));
}

TEST(TextColumns, CharactersStepAsUtf8)
{
    const std::string text = "a\xc3\xa4\xe2\x82\xac\xff"
                             "b";  // a, ä, €, invalid byte, b
    EXPECT_EQ(CharCount(text), 5);
    EXPECT_EQ(CharCountToColumn(text, 2), 3);
    EXPECT_EQ(CharCountToColumn(text, 3), 6);
    EXPECT_EQ(ColumnToCharCount(text, 6), 3);
    EXPECT_EQ(NextCharPos(text, 1), 3u);
    EXPECT_EQ(PrevCharPos(text, 6), 3u);
    EXPECT_EQ(AlignToChar(text, 4), 3u);
    EXPECT_EQ(AlignToChar(text, 6), 6u);
    // A lead byte without its continuation is one character.
    EXPECT_EQ(CharLength("\xe2\x82", 0), 1u);
    EXPECT_EQ(ColumnAfterText("ab\tc", 0), 5);
    EXPECT_EQ(ColumnAfterText("\t", 5), 8);
    EXPECT_EQ(ColumnAfterText("ab\r\ncd", 0), 2);
    EXPECT_EQ(TabbedWidth("a\tb"), 6);
    EXPECT_EQ(CellOfColumn("a\tb", 2), 4);
    EXPECT_EQ(TextLength(std::string_view("ab\0c", 4)), 2);
    EXPECT_EQ(GetClosingPair('('), ')');
    EXPECT_EQ(GetClosingPair('x'), 0);
}

}  // namespace
}  // namespace textcore

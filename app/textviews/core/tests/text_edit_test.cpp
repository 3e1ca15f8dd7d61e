#include <gtest/gtest.h>

#include <random>

#include "fake_text_host.h"
#include "platform/scripted_ui_gtest.h"

namespace textcore::test {
namespace {

using Lines = std::vector<std::string>;

void Type(TextViewCore& view, const std::string& keys)
{
    for (char ch : keys)
        view.InsertText(ch == '\r' ? std::string_view("\r\n") : std::string_view(&ch, 1), ch);
}

void Backspace(TextViewCore& view)
{
    const int column = view.caretColumn;
    view.SetSelection(view.caretLine, column - 1, view.caretLine, column, false);
    view.DeleteSelection(true);
}

void Delete(TextViewCore& view)
{
    view.SetSelection(view.caretLine, view.caretColumn, view.caretLine, view.caretColumn + 1, false);
    view.DeleteSelection(true);
}

TEST(TextEdit, TypingOnOneLineIsOneRecord)
{
    ViewFixture f({"x"});
    f.services.smartEdit = false;
    f.view.SetCaret(0, 1);
    Type(f.view, "abc");
    EXPECT_EQ(f.Lines(), (Lines{"xabc"}));
    EXPECT_EQ(f.view.Buffer().UndoList().Count(), 1);
    f.view.UndoLastEdit();
    EXPECT_EQ(f.Lines(), (Lines{"x"}));
    EXPECT_EQ(f.services.updateHints, (std::vector<int>{-2}));
}

TEST(TextEdit, DeleteAndBackspaceMergeOnlyWhenAdjacent)
{
    ViewFixture f({"abcdef"});
    f.view.SetCaret(0, 1);
    Delete(f.view);
    Delete(f.view);
    Delete(f.view);
    ASSERT_EQ(f.view.Buffer().UndoList().Count(), 1);
    EXPECT_EQ(f.view.Buffer().UndoList().Last()->text, "bcd");
    f.view.UndoLastEdit();
    EXPECT_EQ(f.Lines(), (Lines{"abcdef"}));

    f.view.SetCaret(0, 5);
    Backspace(f.view);
    Backspace(f.view);
    ASSERT_EQ(f.view.Buffer().UndoList().Count(), 1);
    EXPECT_EQ(f.view.Buffer().UndoList().Last()->text, "de");
    EXPECT_EQ(f.view.Buffer().UndoList().Last()->column, 3);

    // "X" deleted at column 4, then a tab at column 1: the tab-stop column of
    // the tab from 1 is 4, but the deletions are not adjacent.
    ViewFixture g({"a\tbcXd"});
    g.view.SetCaret(0, 5);
    Backspace(g.view);
    g.view.SetCaret(0, 2);
    Backspace(g.view);
    EXPECT_EQ(g.Lines(), (Lines{"abcd"}));
    EXPECT_EQ(g.view.Buffer().UndoList().Count(), 2);
    g.view.UndoLastEdit();
    g.view.UndoLastEdit();
    EXPECT_EQ(g.Lines(), (Lines{"a\tbcXd"}));
}

TEST(TextEdit, FiftyRecordsAndTheLongDeletion)
{
    ViewFixture f({std::string(100, 'a')});
    for (int i = 0; i < 51; ++i) {
        f.view.SetCaret(0, i * 2 % 90);
        f.view.InsertText("b", 0);
        f.view.SetCaret(0, 95);  // breaks the merging of the next insertion
    }
    EXPECT_EQ(f.view.Buffer().UndoList().Count(), 50);
    for (int i = 0; i < 51; ++i)
        f.view.UndoLastEdit();
    EXPECT_EQ(f.Lines()[0], "b" + std::string(100, 'a'));  // the first edit stays

    // A deletion above MaxUndoLen is not kept, and the older records, whose
    // places it moved, go too.
    ViewFixture g({"keep", std::string(200, 'x'), "tail"});
    g.services.maxUndoLen = 100;
    g.view.SetCaret(0, 4);
    g.view.InsertText("!", 0);
    g.view.SetSelection(1, 0, 1, 150, false);
    g.view.DeleteSelection(true);
    EXPECT_TRUE(g.view.Buffer().UndoList().IsEmpty());
}

TEST(TextEdit, SmartEditPairsAndIndent)
{
    ViewFixture f({"\t  x"});
    f.view.SetCaret(0, 4);
    Type(f.view, "(");
    EXPECT_EQ(f.Lines(), (Lines{"\t  x()"}));
    EXPECT_EQ(f.view.caretColumn, 5);
    f.view.SetCaret(0, 6);
    Type(f.view, "\r");
    EXPECT_EQ(f.Lines(), (Lines{"\t  x()", "\t  "}));
    EXPECT_EQ(f.view.caretLine, 1);
    EXPECT_EQ(f.view.caretColumn, 3);
    f.view.UndoLastEdit();
    f.view.UndoLastEdit();
    EXPECT_EQ(f.Lines(), (Lines{"\t  x"}));
}

TEST(TextEdit, PastedLineBreaks)
{
    struct Case {
        const char* name;
        std::string paste;
        Lines lines;
        TextPos caret;
    };
    const std::vector<Case> cases = {
        {"LF LF keeps the empty line", "a\n\nb", {"<a", "", "b>"}, {2, 1}},
        {"CR LF", "a\r\nb", {"<a", "b>"}, {1, 1}},
        {"final break", "a\nb\n", {"<a", "b", ">"}, {2, 0}},
        {"lone CR ends the first line", "a\rb", {"<a", "b>"}, {1, 1}},
        {"NUL kept", std::string("a\0b", 3), {std::string("<a\0b>", 5)}, {0, 4}},
    };
    for (const Case& c : cases) {
        ViewFixture f({"<>"});
        f.view.SetCaret(0, 1);
        ASSERT_TRUE(f.view.InsertText(c.paste, 0)) << c.name;
        EXPECT_EQ(f.Lines(), c.lines) << c.name;
        EXPECT_EQ((TextPos{f.view.caretLine, f.view.caretColumn}), c.caret) << c.name;
        f.view.UndoLastEdit();
        EXPECT_EQ(f.Lines(), (Lines{"<>"})) << c.name;
    }
}

TEST(TextEdit, CaretBeyondTheLineEndPadsWithSpaces)
{
    ViewFixture f({"ab"});
    f.view.SetCaret(0, 5);
    f.view.InsertText("x", 0);
    EXPECT_EQ(f.Lines(), (Lines{"ab   x"}));
}

TEST(TextEdit, LongLinesAreRefusedBeforeAnythingChanges)
{
    platform::GTestScriptedUi ui;
    // Typing into a line of 255 characters.
    ViewFixture f({std::string(250, 'a') + "bcdef"});
    ui.AnswerMessageBox(IDOK, "exceed 255 characters");
    f.view.SetCaret(0, 3);
    EXPECT_FALSE(f.view.InsertText("x", 'x'));
    EXPECT_EQ(f.Lines()[0].size(), 255u);

    // A pasted first line is measured whole (no part of it is dropped).
    ViewFixture g({"ab"});
    ui.AnswerMessageBox(IDOK, "exceed 255");
    g.view.SetCaret(0, 1);
    EXPECT_FALSE(g.view.InsertText(std::string(300, 'p') + "\nq", 0));
    EXPECT_EQ(g.Lines(), (Lines{"ab"}));

    // Replacing a selection with a text that makes the line too long leaves
    // the selection in place and records nothing.
    ViewFixture h({std::string(250, 'a') + "XY"});
    h.view.SetSelection(0, 250, 0, 251, false);
    ui.AnswerMessageBox(IDOK, "exceed 255");
    EXPECT_FALSE(h.view.InsertText("123456789", 0));
    EXPECT_EQ(h.Lines()[0], std::string(250, 'a') + "XY");
    EXPECT_TRUE(h.view.HasSelection());
    EXPECT_TRUE(h.view.Buffer().UndoList().IsEmpty());

    // A deletion whose join would be too long is refused whole, unrecorded.
    ViewFixture j({std::string(200, 'a'), "mid", std::string(200, 'b')});
    j.view.SetSelection(0, 100, 2, 10, false);
    ui.AnswerMessageBox(IDOK, "exceed 255");
    EXPECT_FALSE(j.view.DeleteSelection(true));
    EXPECT_EQ(j.view.LineCount(), 3);
    EXPECT_TRUE(j.view.Buffer().UndoList().IsEmpty());
}

TEST(TextEdit, LineLimitRefusesPastesButNotEnter)
{
    platform::GTestScriptedUi ui;
    ViewFixture f(Lines(32767, "x"));
    f.view.SetCaret(100, 1);
    ui.AnswerMessageBox(IDOK, "max lines 32767");
    EXPECT_FALSE(f.view.InsertText("a\nb\nc", 0));
    EXPECT_EQ(f.view.LineCount(), 32767);
    EXPECT_EQ(f.view.caretColumn, 1);
    EXPECT_TRUE(f.view.InsertText("\r\n", 13));
    EXPECT_EQ(f.view.LineCount(), 32768);
}

TEST(TextEdit, UndoIgnoresTheLimits)
{
    // A multi-line deletion in a text of more than 32767 lines, and one that
    // leaves a long joined line, both come back.
    Lines lines(40000, "line");
    lines[100] = std::string(300, 'a');
    ViewFixture f(lines);
    f.view.SetSelection(10, 2, 20, 1, false);
    EXPECT_TRUE(f.view.DeleteSelection(true));
    f.view.UndoLastEdit();
    EXPECT_EQ(f.Lines(), lines);
    // A line of 300 characters from the file loses 10; putting them back
    // makes it longer than typing may.
    f.view.SetSelection(100, 10, 100, 20, false);
    EXPECT_TRUE(f.view.DeleteSelection(true));
    f.view.UndoLastEdit();
    EXPECT_EQ(f.Lines(), lines);
}

TEST(TextEdit, TwoViewsShareTheBufferAndItsUndo)
{
    FakeTextHost host2;
    ViewFixture f({"one", "two"});
    TextViewCore second(host2, f.services);
    second.SetBuffer(&f.view.Buffer());
    second.OnInitialUpdate();
    f.view.SetCaret(0, 3);
    f.view.InsertText("!", 0);
    second.SetCaret(1, 0);
    second.InsertText("new\n", 0);
    EXPECT_EQ(f.Lines(), (Lines{"one!", "new", "two"}));
    f.view.UndoLastEdit();  // the newest edit, made in the other view
    f.view.UndoLastEdit();
    EXPECT_EQ(f.Lines(), (Lines{"one", "two"}));
    EXPECT_FALSE(second.CanUndo());
}

TEST(TextEdit, EmptyTextCountsAsOneLine)
{
    ViewFixture f;
    EXPECT_TRUE(f.view.IsTextEmpty());
    f.view.AppendText("hello\nworld");
    EXPECT_EQ(f.Lines(), (Lines{"hello", "world"}));
    f.view.Buffer().Clear();
    f.view.InsertText("x", 'x');
    EXPECT_EQ(f.Lines(), (Lines{"x"}));
}

TEST(TextEdit, JoinLines)
{
    platform::GTestScriptedUi ui;
    ViewFixture f({"ab", "cd", std::string(254, 'x')});
    EXPECT_TRUE(f.view.JoinLines(0, 1));
    EXPECT_EQ(f.Lines()[0], "abcd");
    EXPECT_FALSE(f.view.JoinLines(0, 0));
    ui.AnswerMessageBox(IDOK, "exceed 255");
    EXPECT_FALSE(f.view.JoinLines(0, 1));
    EXPECT_EQ(f.view.LineCount(), 2);
}

TEST(TextEdit, CopySelectionJoinsLinesWithLf)
{
    ViewFixture f({"abc", "def", "ghi"});
    f.view.SetSelection(2, 1, 0, 1, false);
    f.view.OnEditCopy();
    EXPECT_EQ(f.host.clipboard, "bc\ndef\ng");
}

// Seeded runs of typing, Enter, Backspace, Delete, pastes and selections; undo
// of every record brings the start text back when none was dropped.
TEST(TextEdit, SeededEditRunsUndoToTheStart)
{
    platform::GTestScriptedUi ui;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::mt19937 random(seed);
        const Lines start = {"int main(void)", "{", "\treturn 0;", "}", "", "// end"};
        ViewFixture f(start);
        f.services.smartEdit = seed % 2 == 0;
        auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        int records = 0;
        for (int step = 0; step < 30 && records < 45; ++step) {
            const int line = pick(f.view.LineCount());
            const int column = pick(f.view.GetLineLength(line) + 1);
            f.view.SetCaret(line, column);
            switch (pick(6)) {
            case 0: Type(f.view, std::string(1, "ab(\"x{"[pick(6)])); break;
            case 1: Type(f.view, "\r"); break;
            case 2:
                if (column > 0)
                    Backspace(f.view);
                break;
            case 3:
                if (column < f.view.GetLineLength(line))
                    Delete(f.view);
                break;
            case 4: {
                static const char* pastes[] = {"p\r\nq", "p\nq\n", "\n\n", "r\rs", "t"};
                f.view.InsertText(pastes[pick(5)], 0);
                break;
            }
            default: {
                const int endLine = std::min(f.view.LineCount() - 1, line + pick(3));
                const int endColumn = pick(f.view.GetLineLength(endLine) + 1);
                f.view.SetSelection(line, column, endLine, endColumn, false);
                if (pick(2))
                    f.view.DeleteSelection(true);
                else
                    f.view.InsertText("sel\nx", 0);
                break;
            }
            }
            records = f.view.Buffer().UndoList().Count();
        }
        while (f.view.CanUndo())
            f.view.UndoLastEdit();
        EXPECT_EQ(f.Lines(), start) << "seed " << seed;
    }
}

}  // namespace
}  // namespace textcore::test

#include <gtest/gtest.h>

#include "fake_text_host.h"
#include "platform/scripted_ui_gtest.h"

namespace textcore::test {
namespace {

using Lines = std::vector<std::string>;

TextPos Selected(const TextViewCore& view)
{
    return view.selStart;
}

TEST(TextSearch, FindsByCaseWordAndWrap)
{
    struct Case {
        const char* name;
        Lines lines;
        TextPos caret;
        std::string text;
        bool down;
        bool matchCase;
        bool wholeWord;
        bool found;
        TextPos at;
    };
    const Lines tenLines = {"l0", "l1", "x match", "l3", "l4", "match y", "l6", "l7", "l8", "l9"};
    const std::vector<Case> cases = {
        {"case off finds capitals", {"xx ABC"}, {0, 0}, "abc", true, false, false, true, {0, 3}},
        {"case on does not", {"xx ABC"}, {0, 0}, "abc", true, true, false, false, {}},
        {"whole word skips concatenate", {"concatenate", " cat."}, {0, 0}, "cat", true, true, true, true, {1, 1}},
        {"whole word at the line start", {"cat x"}, {0, 0}, "cat", true, true, true, true, {0, 0}},
        {"wraps to an earlier line", tenLines, {5, 3}, "match", true, true, false, true, {2, 2}},
        {"upwards", {"cat", "x cat"}, {1, 5}, "cat", false, true, false, true, {1, 2}},
        {"upwards whole word skips concatenate",
         {"cat", "concatenate"},
         {1, 11},
         "cat",
         false,
         true,
         true,
         true,
         {0, 0}},
        {"upwards from the start finds nothing", {"cat"}, {0, 0}, "cat", false, true, false, false, {}},
        {"empty text finds nothing", {"abc"}, {0, 1}, "", true, true, false, false, {}},
        {"no match across a line break", {"ab", "cd"}, {0, 0}, "bc", true, true, false, false, {}},
    };
    for (const Case& c : cases) {
        ViewFixture f(c.lines);
        f.view.SetCaret(c.caret.line, c.caret.column);
        EXPECT_EQ(f.view.Search(c.text, c.down, c.matchCase, c.wholeWord), c.found) << c.name;
        if (c.found) {
            EXPECT_EQ(Selected(f.view), c.at) << c.name;
            EXPECT_EQ(f.view.selEnd, (TextPos{c.at.line, c.at.column + static_cast<int>(c.text.size())})) << c.name;
        }
    }
}

TEST(TextSearch, DownwardsSkipsThePartBeforeTheCaretOnItsLine)
{
    ViewFixture f({"a", "b", "c", "d", "e", "hit x hit"});
    f.view.SetCaret(5, 4);
    ASSERT_TRUE(f.view.Search("hit", true, true, false));
    EXPECT_EQ(Selected(f.view), (TextPos{5, 6}));
    // Again from the selection's end: the one before the old caret is not
    // searched again, so the search wraps and stops.
    EXPECT_FALSE(f.view.Search("hit", true, true, false));
}

TEST(TextSearch, MatchBelowThePageIsOnTheSecondRow)
{
    Lines lines(200, "line");
    lines[150] = "needle";
    ViewFixture f(lines);
    ASSERT_TRUE(f.view.FindNext("needle", true, true, false));
    EXPECT_EQ(f.view.topLine, 149);
    EXPECT_EQ(f.services.findHistory, (std::vector<std::string>{"needle"}));
    EXPECT_EQ(SearchState().findText, "needle");
    EXPECT_FALSE(f.view.FindNext("absent", true, true, false));
    EXPECT_EQ(f.host.beeps, 1);
}

TEST(TextSearch, ReplaceNextByTheSelection)
{
    ViewFixture f({"a x a", "a"});
    // No selection: finds the next match and replaces it at once.
    EXPECT_TRUE(f.view.ReplaceNext("a", true, true, false, "b"));
    EXPECT_EQ(f.view.LineText(0), "b x a");
    EXPECT_EQ(Selected(f.view), (TextPos{0, 4}));
    // A selection equal to the text: replaced, and the next one selected.
    EXPECT_TRUE(f.view.ReplaceNext("a", true, true, false, "b"));
    EXPECT_EQ(f.view.LineText(0), "b x b");
    EXPECT_EQ(Selected(f.view), (TextPos{1, 0}));
    // A selection that differs: only the next match is selected.
    f.view.SetSelection(0, 0, 0, 1, false);
    EXPECT_FALSE(f.view.ReplaceNext("a", true, true, false, "c"));
    EXPECT_EQ(f.view.LineText(1), "a");
    EXPECT_EQ(Selected(f.view), (TextPos{1, 0}));
}

TEST(TextSearch, ReplaceAllStopsAtTheWrap)
{
    ViewFixture f({"1 a", "2 a", "3 a"});
    f.view.SetCaret(1, 2);
    EXPECT_TRUE(f.view.ReplaceAll("a", "b", true, false));
    EXPECT_EQ(f.Lines(), (Lines{"1 a", "2 b", "3 b"}));
    EXPECT_EQ(Selected(f.view), (TextPos{0, 2}));
    // A replacement that contains the text does not run away.
    ViewFixture g({"aa a"});
    EXPECT_FALSE(g.view.ReplaceAll("a", "aa", true, false));
    EXPECT_EQ(g.Lines(), (Lines{"aaaa aa"}));
}

TEST(TextSearch, ReplaceOnALongLineIsRefusedWithoutDeleting)
{
    platform::GTestScriptedUi ui;
    ViewFixture f({std::string(250, 'x') + " ab", "ab", "ab"});
    ui.AnswerMessageBox(IDOK, "exceed 255");
    EXPECT_FALSE(f.view.ReplaceAll("ab", "long replacement", true, false));
    EXPECT_EQ(f.Lines(), (Lines{std::string(250, 'x') + " ab", "ab", "ab"}));
    EXPECT_TRUE(f.view.Buffer().UndoList().IsEmpty());
}

TEST(TextSearch, FindNextCommandUsesTheFindBox)
{
    ViewFixture f({"one two"});
    EXPECT_FALSE(f.view.OnFindNextCommand());  // empty box: the dialog opens
    f.services.findBox = "two";
    SearchState().searchDown = true;
    EXPECT_TRUE(f.view.OnFindNextCommand());
    EXPECT_EQ(Selected(f.view), (TextPos{0, 4}));
    std::string stored;
    EXPECT_TRUE(f.view.GetFindString(stored));
    EXPECT_EQ(stored, "two");
}

TEST(TextSearch, SearchSpansBlocksOfALargeText)
{
    Lines lines(5000, "nothing here");
    lines[4321] = "the Needle";
    ViewFixture f(lines);
    f.view.SetCaret(10, 0);
    ASSERT_TRUE(f.view.Search("needle", true, false, true));
    EXPECT_EQ(Selected(f.view), (TextPos{4321, 4}));
    f.view.Buffer().SetLine(3000, "needle first");  // an edited block
    f.view.SetCaret(10, 0);
    ASSERT_TRUE(f.view.Search("needle", true, true, false));
    EXPECT_EQ(Selected(f.view), (TextPos{3000, 0}));
}

}  // namespace
}  // namespace textcore::test

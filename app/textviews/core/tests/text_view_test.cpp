#include <gtest/gtest.h>

#include "fake_text_host.h"
#include "platform/messages.h"
#include "platform/scripted_ui_gtest.h"
#include "text_line_reader.h"

namespace textcore::test {
namespace {

using Lines = std::vector<std::string>;

Lines Numbered(int n)
{
    Lines lines;
    for (int i = 0; i < n; ++i)
        lines.push_back("line " + std::to_string(i));
    return lines;
}

struct KeyState {
    KeyState() { platform::ResetKeyState(); }
    ~KeyState() { platform::ResetKeyState(); }
    void Down(int vk, bool down = true) { platform::SetKeyDown(vk, down); }
};

TEST(TextView, PageMetrics)
{
    struct Case {
        int height;
        int lines;
        int linesPerPage;
        bool barEnabled;
    };
    for (const Case& c : {Case{1000, 200, 63, true}, Case{2000, 200, 100, true}, Case{640, 10, 40, false}}) {
        ViewFixture f(Numbered(c.lines));
        f.view.topLine = 5;
        f.view.UpdateScrollInfo(800, c.height);
        EXPECT_EQ(f.view.linesPerPage, c.linesPerPage) << c.height;
        EXPECT_EQ(f.host.barEnabled[SB_VERT], c.barEnabled) << c.height;
        if (!c.barEnabled)
            EXPECT_EQ(f.view.topLine, 0);
        else
            EXPECT_EQ(f.host.barRange[SB_VERT], std::make_pair(0, c.lines - 3));
    }
    ViewFixture f(Numbered(3));
    EXPECT_EQ(f.view.columnsPerPage, (800 - 20) / 8);
    EXPECT_EQ(f.host.barRange[SB_HORZ], std::make_pair(0, 257 - f.view.columnsPerPage));
}

TEST(TextView, DownOnTheLastRowScrollsOneLine)
{
    KeyState keys;
    ViewFixture f(Numbered(200));
    f.view.SetCaret(38, 0);
    f.view.OnKeyDown(VK_DOWN, 1);
    EXPECT_EQ(f.view.topLine, 1);
    EXPECT_EQ(f.view.caretLine, 40);
    EXPECT_EQ(f.view.caretLine - f.view.topLine, 39);
}

TEST(TextView, HomeEndAndTheirCtrlForms)
{
    KeyState keys;
    ViewFixture f(Numbered(200));
    f.services.partlyLoaded = true;
    f.view.SetCaret(3, 2);
    f.view.OnKeyDown(VK_END, 1);
    EXPECT_EQ(f.view.caretColumn, 6);
    f.view.OnKeyDown(VK_HOME, 1);
    EXPECT_EQ(f.view.caretColumn, 0);
    keys.Down(VK_CONTROL);
    f.view.OnKeyDown(VK_END, 1);
    EXPECT_EQ(f.view.caretLine, 199);
    EXPECT_EQ(f.view.caretColumn, 8);
    EXPECT_GE(f.services.readMoreCalls, 1);  // the document read all its lines first
    f.view.OnKeyDown(VK_HOME, 1);
    EXPECT_EQ((TextPos{f.view.caretLine, f.view.caretColumn}), (TextPos{0, 0}));
    EXPECT_EQ(f.view.topLine, 0);
}

TEST(TextView, ShiftSelects)
{
    KeyState keys;
    const Lines text(10, "abcdefghij");
    ViewFixture f(text);
    f.view.SetCaret(2, 4);
    keys.Down(VK_SHIFT);
    f.view.OnKeyDown(VK_SHIFT, 1);
    for (int i = 0; i < 3; ++i)
        f.view.OnKeyDown(VK_RIGHT, 1);
    EXPECT_EQ(f.view.selStart, (TextPos{2, 4}));
    EXPECT_EQ(f.view.selEnd, (TextPos{2, 7}));
    EXPECT_FALSE(f.host.caretVisible);

    // Shift went down outside the view: the selection starts where the caret
    // stood before the move.
    ViewFixture g(text);
    g.view.SetCaret(3, 3);
    g.view.OnKeyDown(VK_RIGHT, 1);
    EXPECT_EQ(g.view.selStart, (TextPos{3, 3}));
    EXPECT_EQ(g.view.selEnd, (TextPos{3, 4}));

    keys.Down(VK_SHIFT, false);
    g.view.OnKeyDown(VK_LEFT, 1);
    EXPECT_FALSE(g.view.HasSelection());
    EXPECT_TRUE(g.host.caretVisible);

    // A character typed with Shift (a capital, a '*') and then Shift with an
    // arrow: the selection starts at the caret, not at the top of the file.
    ViewFixture h(text);
    h.view.SetCaret(2, 4);
    keys.Down(VK_SHIFT);
    h.view.OnKeyDown(VK_SHIFT, 1);
    ASSERT_TRUE(h.view.InsertText("*", '*'));
    keys.Down(VK_SHIFT, false);
    keys.Down(VK_SHIFT);
    h.view.OnKeyDown(VK_SHIFT, 1);
    h.view.OnKeyDown(VK_LEFT, 1);
    h.view.OnKeyDown(VK_LEFT, 1);
    EXPECT_EQ(h.view.selStart, (TextPos{2, 5}));
    EXPECT_EQ(h.view.selEnd, (TextPos{2, 3}));
}

TEST(TextView, WheelAwayFromTheUserScrollsUp)
{
    ViewFixture f(Numbered(200));
    f.view.OnVScroll(SB_THUMBPOSITION, 50);
    EXPECT_EQ(f.view.topLine, 50);
    f.view.OnMouseWheel(240);
    EXPECT_EQ(f.view.topLine, 48);
    f.view.OnMouseWheel(-120);
    EXPECT_EQ(f.view.topLine, 49);
    f.view.OnMouseWheel(60);
    f.view.OnMouseWheel(60);
    EXPECT_EQ(f.view.topLine, 48);
    f.view.OnVScroll(SB_THUMBTRACK, 5);
    EXPECT_EQ(f.view.topLine, 48);
}

TEST(TextView, PointToTextPosFindsColumnsAndEdges)
{
    ViewFixture f({"a\tbc", "xyz"});
    int line = -1;
    int column = -1;
    // Cells: a=0, tab=1..3, b=4, c=5; x = 20 + cell * 8.
    EXPECT_EQ(f.view.PointToTextPos(20 + 4 * 8 + 1, 0, line, column), EDGE_NONE);
    EXPECT_EQ((TextPos{line, column}), (TextPos{0, 2}));
    EXPECT_EQ(f.view.PointToTextPos(700, 17, line, column), EDGE_NONE);
    EXPECT_EQ((TextPos{line, column}), (TextPos{1, 3}));
    EXPECT_EQ(f.view.PointToTextPos(5, 17, line, column), EDGE_LEFT);
    EXPECT_EQ((TextPos{line, column}), (TextPos{1, 0}));
    EXPECT_EQ(f.view.PointToTextPos(30, 5000, line, column), EDGE_DOWN);
    EXPECT_EQ(line, 1);
}

TEST(TextView, MouseSelectsDragsAndDoubleClicks)
{
    ViewFixture f(Numbered(300));
    f.view.OnLButtonDown(20 + 2 * 8, 16 * 3);
    EXPECT_EQ((TextPos{f.view.caretLine, f.view.caretColumn}), (TextPos{3, 2}));
    EXPECT_TRUE(f.view.selecting);
    EXPECT_TRUE(f.host.capture);
    f.view.OnMouseMove(20 + 5 * 8, 16 * 4, true);
    EXPECT_EQ(f.view.selStart, (TextPos{3, 2}));
    EXPECT_EQ(f.view.selEnd, (TextPos{4, 5}));
    EXPECT_TRUE(f.view.OnSetCursor(20 + 4 * 8, 16 * 3 + 2));
    EXPECT_FALSE(f.view.OnSetCursor(20, 16 * 3 + 2));
    // Below the window: one line per step, the timer keeps it going.
    f.host.cursorX = 30;
    f.host.cursorY = 5000;
    f.view.OnMouseMove(30, 5000, true);
    EXPECT_EQ(f.host.timers[kAutoScrollTimer], kAutoScrollMs);
    EXPECT_EQ(f.view.topLine, 1);
    f.view.OnTimer(kAutoScrollTimer);
    f.view.OnTimer(kAutoScrollTimer);
    EXPECT_EQ(f.view.topLine, 3);
    EXPECT_EQ(f.view.selEnd.line, 3 + 39);
    f.view.OnLButtonUp(30, 5000);
    EXPECT_TRUE(f.host.timers.empty());
    EXPECT_FALSE(f.host.capture);
    EXPECT_FALSE(f.view.selecting);
    EXPECT_TRUE(f.view.HasSelection());

    ViewFixture g({"x = ab_1(2);"});
    g.view.OnLButtonDblClk(20 + 5 * 8 + 3, 2);
    EXPECT_EQ(g.view.selStart, (TextPos{0, 4}));
    EXPECT_EQ(g.view.selEnd, (TextPos{0, 8}));
    g.view.OnEditCopy();
    EXPECT_EQ(g.host.clipboard, "ab_1");
    // The icon strip: a click puts the caret at column 0 of the line; a
    // double click asks for Goto Cursor.
    ViewFixture h(Numbered(10));
    h.view.OnLButtonDown(5, 16 * 2 + 3);
    EXPECT_EQ((TextPos{h.view.caretLine, h.view.caretColumn}), (TextPos{2, 0}));
    EXPECT_FALSE(h.view.selecting);
    h.view.OnLButtonUp(5, 16 * 2 + 3);
    h.view.OnLButtonDblClk(5, 16 * 2 + 3);
    EXPECT_EQ(h.host.commands, (std::vector<int>{ID_GOTO_CURSOR}));
}

TEST(TextView, AppsKeyOpensTheContextMenuAtTheCaret)
{
    KeyState keys;
    ViewFixture f(Numbered(5));
    f.view.SetCaret(2, 3);
    f.view.OnKeyDown(VK_APPS, 1);
    EXPECT_EQ(f.host.rightClicks, (std::vector<std::pair<int, int>>{{20 + 3 * 8, 32}}));
}

TEST(TextView, CaretFarRightScrollsSideways)
{
    KeyState keys;
    ViewFixture f({std::string(250, 'x')});
    f.view.OnKeyDown(VK_END, 1);
    EXPECT_GT(f.view.firstColumn, 0);
    EXPECT_LE(f.view.firstColumn + f.view.columnsPerPage - 1, 256);
    f.view.OnKeyDown(VK_HOME, 1);
    EXPECT_EQ(f.view.firstColumn, 0);
}

}  // namespace
}  // namespace textcore::test

namespace textcore::test {
namespace {

// NULs, lone CRs, invalid UTF-8 and a 5 MB line without a line break: read,
// painted, searched, edited and copied out, no byte lost.
TEST(TextView, BadInputKeepsEveryByte)
{
    std::string bytes = std::string("a\0b\rc\n", 6) + "\xff\xfe\xc3\n" + "\r\r\n";
    bytes += std::string(5 << 20, 'y') + "tail";
    ViewFixture f;
    LoadText(f.view.Buffer(), std::make_shared<const std::string>(bytes));
    f.view.UpdateScrollInfo(0, 0);
    ASSERT_EQ(f.view.LineCount(), 4);
    TextPaint paint;
    for (TextColourMode mode = 0; mode <= 9; ++mode) {
        f.view.colourMode = mode;
        f.view.PaintRows(paint, 0, f.view.linesPerPage);
    }
    EXPECT_TRUE(f.view.FindNext("tail", true, true, false));
    EXPECT_EQ(f.view.selStart, (TextPos{3, 5 << 20}));
    // Typing into the long line is refused; deleting from it is not.
    platform::GTestScriptedUi ui;
    ui.AnswerMessageBox(IDOK, "exceed 255");
    f.view.SetCaret(3, 1);
    EXPECT_FALSE(f.view.InsertText("\xe2\x82\xac", 0));
    f.view.SetSelection(3, 10, 3, 20, false);
    EXPECT_TRUE(f.view.DeleteSelection(true));
    f.view.UndoLastEdit();
    EXPECT_FALSE(f.view.CanUndo());
    f.view.SetSelection(0, 0, 3, f.view.GetLineLength(3), false);
    std::string copied;
    ASSERT_TRUE(f.view.CopySelectionToGlobal(copied));
    std::string expected = bytes;
    expected.replace(expected.find("\r\r\n"), 3, "\r\n");  // the CR before LF is the line break
    EXPECT_EQ(copied, expected);
}

TEST(TextView, UpdateHandlersAndHelpers)
{
    ViewFixture f({""});
    EXPECT_FALSE(f.view.CanFindNext());
    EXPECT_FALSE(f.view.CanCopy());
    EXPECT_FALSE(f.view.CanUndo());
    f.view.InsertText("x", 'x');
    EXPECT_TRUE(f.view.CanFindNext());
    EXPECT_TRUE(f.view.CanUndo());
    EXPECT_EQ(f.view.OnRefreshMargin(), 1);
    EXPECT_TRUE(IsLineWithWarning("a.c:1: warning: x"));
    EXPECT_FALSE(IsLineWithWarning("WARN"));
    EXPECT_TRUE(f.view.IsErrorLine("x ERROR y"));
    EXPECT_FALSE(f.view.IsErrorLine("x error y"));
}

}  // namespace
}  // namespace textcore::test

namespace textcore::test {
namespace {

// A source document read in part: 10,001 lines first, then 1,001 a step.
class PartlyLoadedServices : public FakeTextServices {
public:
    PartlyLoadedServices(TextBuffer& buffer, std::shared_ptr<const std::string> bytes)
        : buffer_(buffer), reader_(std::move(bytes))
    {
        reader_.ReadLines(buffer_, 10001);
    }
    bool IsPartlyLoaded() override { return !reader_.AtEnd(); }
    void ReadMoreLines(bool all) override
    {
        ++readMoreCalls;
        reader_.ReadLines(buffer_, all ? static_cast<std::size_t>(-1) : 1001);
    }

private:
    TextBuffer& buffer_;
    TextLineReader reader_;
};

TEST(TextView, ScrollingAsksAPartlyLoadedTextForLines)
{
    std::string bytes;
    for (int i = 0; i < 30000; ++i)
        bytes += "line " + std::to_string(i) + "\n";
    FakeTextHost host;
    TextBuffer buffer;
    PartlyLoadedServices services(buffer, std::make_shared<const std::string>(bytes));
    TextViewCore view(host, services);
    view.SetBuffer(&buffer);
    view.OnInitialUpdate();
    EXPECT_EQ(view.LineCount(), 10001);
    view.OnVScroll(SB_THUMBPOSITION, 9950);
    EXPECT_EQ(view.LineCount(), 11002);
    EXPECT_EQ(view.topLine, 9950);
    EXPECT_EQ(host.barRange[SB_VERT], std::make_pair(0, 11002 - 3));
    view.OnVScroll(SB_BOTTOM, 0);
    EXPECT_EQ(view.LineCount(), 30000);
    EXPECT_EQ(view.caretLine, 29999);
    EXPECT_EQ(view.topLine, 30000 - 40 + 4);
}

// A view whose ScrollToPosition scrolls again from inside (a listing that
// refills itself when it reaches its end).
class RefillingView : public TextViewCore {
public:
    using TextViewCore::TextViewCore;
    int calls = 0;
    void ScrollToPosition(int bar, int previous) override
    {
        ++calls;
        TextViewCore::ScrollToPosition(bar, previous);
        if (bar == SB_VERT && topLine > 150 && calls < 10)
            OnVScroll(SB_THUMBPOSITION, 100);
    }
};

TEST(TextView, ScrollToPositionMayScrollAgain)
{
    FakeTextHost host;
    FakeTextServices services;
    RefillingView view(host, services);
    view.Buffer().SetLines(std::vector<std::string>(300, "x"));
    view.OnInitialUpdate();
    view.SetCaret(180, 0);
    view.OnVScroll(SB_THUMBPOSITION, 170);
    EXPECT_EQ(view.topLine, 100);
    EXPECT_EQ(host.barPos[SB_VERT], 100);
    EXPECT_EQ(view.calls, 2);
    EXPECT_GE(view.caretLine, 0);
    EXPECT_LT(view.caretLine, 300);
}

}  // namespace
}  // namespace textcore::test

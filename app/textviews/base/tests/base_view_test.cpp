// The common text view on fake windows: the frame's relays, hints on a text
// that the document's views share, the paint record in cell rows, printing's
// paging, the cursor shapes and the copy and margin messages.
#include "base_view_fixture.h"
#include "emu_messages.h"

namespace textbase::test {
namespace {

TEST_F(TextViewTest, FrameRelaysReachTheLivingViewsAndEachDocumentOnce)
{
    TestView* a = MakeView(Numbered(5));
    TestView* b = MakeView(Numbered(5));
    TestView* alone = MakeView(Numbered(5));
    TestView* gone = MakeView(Numbered(5));
    ASSERT_EQ(frame.Views().size(), 4u);
    gone->DestroyWindow();
    EXPECT_EQ(frame.Views().size(), 3u);

    EXPECT_EQ(frame.RelaySetPcLine(1, 0x8010), 1);
    for (TestView* v : {a, b, alone})
        EXPECT_EQ(v->pcLines, (std::vector<std::pair<WPARAM, LPARAM>>{{1, 0x8010}}));
    EXPECT_TRUE(gone->pcLines.empty());

    // a and b show one document: each gets the hint once, as does the view
    // without a document.
    CDocument doc;
    doc.AddView(a);
    doc.AddView(b);
    frame.RelayBreakpointRefresh(0x8020);
    for (TestView* v : {a, b, alone}) {
        EXPECT_EQ(v->hints, std::vector<LPARAM>{kHintBreakpoints});
        EXPECT_EQ(v->hintAddresses, std::vector<uint32_t>{0x8020});
    }
    doc.RemoveView(a);
    doc.RemoveView(b);
}

TEST_F(TextViewTest, EveryHintClampsCaretAndSelectionToTheSharedText)
{
    TestView* editor = MakeView(Numbered(30));
    TestView* other = MakeView();
    other->SetBuffer(&editor->Buffer());
    other->SetCaret(28, 5);
    other->SetSelection(25, 2, 29, 6, false);
    other->topLine = 25;
    CDocument doc;
    doc.AddView(editor);
    doc.AddView(other);

    editor->Buffer().RemoveLines(3, 27);  // three lines are left
    for (LPARAM hint : {LPARAM{-1}, LPARAM{kHintBreakpoints}, LPARAM{0x80000003}}) {
        doc.UpdateAllViews(editor, hint);
        EXPECT_EQ(other->caretLine, 2);
        EXPECT_LE(other->caretColumn, other->GetLineLength(2));
        EXPECT_LE(other->selStart.line, 2);
        EXPECT_LE(other->selEnd.line, 2);
        EXPECT_LE(other->selEnd.column, other->GetLineLength(other->selEnd.line));
        EXPECT_EQ(other->topLine, 0);
        CellPaint paint;
        EXPECT_TRUE(other->GetCellPaint(0, other->linesPerPage, paint));
    }
    doc.RemoveView(editor);
    doc.RemoveView(other);
}

// The row of a paint record that shows `row`, or null.
const CellRow* RowOf(const CellPaint& paint, int row)
{
    for (const CellRow& r : paint.rows)
        if (r.row == row)
            return &r;
    return nullptr;
}

TEST_F(TextViewTest, PaintRecordGivesTheCellsTheirFormatsAndInvertsTheSelection)
{
    theSettings.LineNumbe = 1;
    TestView* view = MakeView({"int x;", "/* note */", "y = 42;", "aaaa", "bbbb", "cccc", "dddd", "\tz;"});
    view->SetSelection(2, 2, 4, 2, false);  // rows 2-4: row 3 whole
    CellPaint paint;
    ASSERT_TRUE(view->GetCellPaint(0, view->linesPerPage, paint));

    // "%6d" of 0 has 6 characters: 6 cells, half a cell and the icon strip.
    EXPECT_EQ(paint.margin, 6 * 8 + 4 + 20);
    EXPECT_EQ(paint.stripWidth, 20);
    EXPECT_EQ(paint.lineNumberX, 20);
    ASSERT_NE(RowOf(paint, 0), nullptr);
    EXPECT_EQ(RowOf(paint, 0)->lineNumber, "     1");
    EXPECT_EQ(RowOf(paint, 7)->lineNumber, "     8");

    const CellColors text = paint.formats[0];
    const CellColors keyword = paint.formats[1];
    struct Cell {
        int row, column;
        CellColors colors;
        char ch;
    };
    const Cell cells[] = {
        {0, 0, keyword, 'i'},
        {0, 2, keyword, 't'},
        {0, 3, text, ' '},
        {0, 4, text, 'x'},
        {1, 3, paint.formats[2], 'n'},            // comment
        {2, 4, Inverted(paint.formats[3]), '4'},  // number, selected
        {2, 1, paint.formats[8], ' '},            // operator run: blank, not selected
        {2, 2, Inverted(paint.formats[8]), '='},
        {3, 0, Inverted(text), 'a'},  // a line inside the selection: whole
        {3, 3, Inverted(text), 'a'},
        {4, 1, Inverted(text), 'b'},
        {4, 2, text, 'b'},  // the selection's end column is not selected
        {7, 4, text, 'z'},  // a tab is four cells
    };
    for (const Cell& c : cells) {
        const CellRow* row = RowOf(paint, c.row);
        ASSERT_NE(row, nullptr) << c.row;
        EXPECT_EQ(paint.CellAt(*row, c.column), c.colors) << c.row << "," << c.column;
        EXPECT_EQ(paint.CharAt(*row, c.column), c.ch) << c.row << "," << c.column;
    }
}

TEST_F(TextViewTest, ErrorLinesOfTheOutputAreRedOnTheirBackground)
{
    TestView* view = MakeView({"main.c:3: ERROR bad", "main.c:4: error bad"});
    view->colourMode = TCM_OUTPUT;
    CellPaint paint;
    view->GetCellPaint(0, view->linesPerPage, paint);
    EXPECT_EQ(paint.CellAt(*RowOf(paint, 0), 0), (CellColors{RGB(255, 0, 0), paint.formats[0].bg}));
    EXPECT_EQ(paint.CellAt(*RowOf(paint, 1), 0), paint.formats[0]);
    EXPECT_EQ(paint.stripWidth, 0);
}

TEST_F(TextViewTest, PrintingPagesTheTextAndPaintsEachPageFromItsFirstLine)
{
    TestView* view = MakeView(Numbered(130));
    view->SetSelection(61, 0, 61, 4, false);
    // 8.5 x 11 inches at 100 dpi less 1 inch of margins down: 1000 pixels,
    // 60 lines of 16 pixels (and a bit).
    CPrintInfo info;
    info.m_rectDraw = {0, 0, 850, 1100};
    info.m_cell = {8, 16};
    info.m_dpi = 100;
    CDC dc(true);
    ASSERT_TRUE(view->OnPreparePrinting(&info));
    view->OnBeginPrinting(&dc, &info);
    EXPECT_EQ(view->Paging().linesPerPage, 62);
    EXPECT_EQ(info.GetMaxPage(), 3u);

    info.m_nCurPage = 2;
    view->OnPrepareDC(&dc, &info);
    view->OnPrint(&dc, &info);
    ASSERT_EQ(dc.Ops().size(), 1u);
    const CellPaint& page = dc.Ops()[0].cells;
    EXPECT_EQ(dc.Ops()[0].y, view->Paging().offsetY);
    EXPECT_EQ(page.stripWidth, 0);
    const CellRow& first = page.rows.front();
    EXPECT_EQ(first.row, 0);
    std::string text;
    for (int c = 0; c < 8; ++c)
        text.push_back(page.CharAt(first, c));
    EXPECT_EQ(text, "line 63 ");
    EXPECT_TRUE(first.icons.empty());
    view->OnEndPrinting(&dc, &info);
    EXPECT_EQ(view->leftMargin, 20);
}

TEST_F(TextViewTest, CursorShapeCopyAndMarginRefresh)
{
    TestView* view = MakeView({"alpha beta", "gamma"});
    auto shapeAt = [&](int x, int y) {
        view->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        view->SendMessage(WM_SETCURSOR, 0, 0);
        return view->cursorShape;
    };
    EXPECT_EQ(shapeAt(5, 5), 163);
    EXPECT_EQ(shapeAt(40, 5), 1);
    EXPECT_FALSE(view->QueryCommandState(ID_EDIT_COPY).enabled);
    view->SetSelection(0, 0, 0, 5, false);
    EXPECT_EQ(shapeAt(20 + 2 * 8, 5), 0);  // over the selection
    EXPECT_EQ(shapeAt(20 + 7 * 8, 5), 1);
    ASSERT_TRUE(view->QueryCommandState(ID_EDIT_COPY).enabled);
    view->SendMessage(WM_COMMAND, ID_EDIT_COPY);
    EXPECT_EQ(platform::GetClipboard().GetText(), "alpha");

    auto* window = static_cast<FakeTextWindow*>(windows.back().get());
    window->rects.clear();
    EXPECT_EQ(view->SendMessage(WM_EMU_REFRESH_MARGIN), 1);
    ASSERT_FALSE(window->rects.empty());
    EXPECT_EQ(window->rects.back().right, 20);
    EXPECT_EQ(view->SendMessage(WM_ERASEBKGND), 1);
}

TEST_F(TextViewTest, DragBelowTheViewScrollsALinePerTimerTick)
{
    TestView* view = MakeView(Numbered(100));
    auto* window = static_cast<FakeTextWindow*>(windows.back().get());
    view->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 20));
    view->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 400));
    const int top = view->topLine;
    EXPECT_EQ(view->timerId, textcore::kAutoScrollTimer);
    window->pointer = {40, 400};
    for (int tick = 1; tick <= 3; ++tick) {
        view->SendMessage(WM_TIMER, textcore::kAutoScrollTimer);
        EXPECT_EQ(view->topLine, top + tick);
    }
    view->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(40, 400));
    EXPECT_EQ(view->timerId, 0);
    EXPECT_TRUE(view->HasSelection());
}

}  // namespace
}  // namespace textbase::test

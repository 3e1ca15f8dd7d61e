#include <gtest/gtest.h>

#include "fake_text_host.h"

namespace textcore::test {
namespace {

using Lines = std::vector<std::string>;

std::vector<PaintRun> RunsOfRow(const TextPaint& paint, int row)
{
    std::vector<PaintRun> runs;
    for (const auto& run : paint.runs) {
        if (run.row == row)
            runs.push_back(run);
    }
    return runs;
}

std::string TextOfRow(const TextPaint& paint, int row)
{
    std::string text;
    for (const auto& run : RunsOfRow(paint, row))
        text += run.text;
    return text;
}

std::vector<int> IconsOfRow(const TextPaint& paint, int row)
{
    std::vector<int> icons;
    for (const auto& icon : paint.icons) {
        if (icon.row == row)
            icons.push_back(icon.icon);
    }
    return icons;
}

TEST(TextPaint, LongLinesAreCutAt255)
{
    ViewFixture f({std::string(300, 'x')});
    f.view.columnsPerPage = 400;
    LineTruncationFlag() = false;
    TextPaint paint;
    f.view.PaintRows(paint, 0, f.view.linesPerPage);
    EXPECT_EQ(TextOfRow(paint, 0), std::string(255, 'x'));
    EXPECT_TRUE(LineTruncationFlag());
}

TEST(TextPaint, BlockCommentAboveTheTopLine)
{
    Lines lines(100, "int x;");
    lines[1] = "/* opened";
    ViewFixture f(lines);
    f.view.topLine = 2;
    TextPaint paint;
    f.view.PaintRows(paint, 0, 3);
    const auto runs = RunsOfRow(paint, 0);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].formatClass, FC_COMMENT);
}

TEST(TextPaint, RunsTabsAndColours)
{
    ViewFixture f({"\tint x; // c"});
    TextPaint paint;
    f.view.PaintRows(paint, 0, 1);
    const auto runs = RunsOfRow(paint, 0);
    ASSERT_EQ(runs.size(), 6u);
    EXPECT_EQ(runs[0].text, "    ");  // the tab to cell 4
    EXPECT_EQ(runs[0].formatClass, FC_OPERATOR);
    EXPECT_EQ(runs[1].text, "int");
    EXPECT_EQ(runs[1].formatClass, FC_KEYWORD);
    EXPECT_EQ(runs[1].x, 20 + 4 * 8);
    EXPECT_EQ(runs[5].formatClass, FC_COMMENT);
    // Scrolled sideways by 5 cells: the runs start at the first visible cell.
    f.view.firstColumn = 5;
    f.view.PaintRows(paint, 0, 1);
    EXPECT_EQ(TextOfRow(paint, 0), "nt x; // c");
    EXPECT_EQ(RunsOfRow(paint, 0)[0].x, 20);
}

TEST(TextPaint, ErrorLinesOfTheBuildOutputAreRed)
{
    ViewFixture f({"main.c: ERROR 1", "main.c: error 2"});
    f.view.colourMode = TCM_OUTPUT;
    f.view.ComputeMargin(false);
    TextPaint paint;
    f.view.PaintRows(paint, 0, 2);
    EXPECT_TRUE(RunsOfRow(paint, 0)[0].textColourSet);
    EXPECT_EQ(RunsOfRow(paint, 0)[0].textColour, 0x0000FFu);
    EXPECT_FALSE(RunsOfRow(paint, 1)[0].textColourSet);
}

struct NumberedView : TextViewCore {
    using TextViewCore::TextViewCore;
    const char* GetLineNumberFormat() override { return "%5d"; }
    bool GetBookmarkAtLine(int line, int& value) override { return line == 1; }
};

TEST(TextPaint, MarginIconsAndLineNumbers)
{
    FakeTextHost host;
    FakeTextServices services;
    services.lineNumbers = true;
    services.hasDocument = true;
    services.documentPath = "C:\\src\\Main.c";
    services.lineAddresses = {{1, 0x100}, {2, 0x104}};
    services.marks = {{0x100, 2}, {0x104, 4}, {0x108, 2}};
    services.pc = {"d:\\other\\MAIN.C", 3, 0x108};
    services.cursorLink = true;
    NumberedView view(host, services);
    view.Buffer().SetLines({"a", "b", "c", "d"});
    view.markedPosition = 4;
    view.OnInitialUpdate();
    EXPECT_EQ(view.leftMargin, 5 * 8 + 4 + 20);
    TextPaint paint;
    view.PaintRows(paint, 0, view.linesPerPage);
    EXPECT_EQ(IconsOfRow(paint, 0), (std::vector<int>{160}));
    EXPECT_EQ(IconsOfRow(paint, 1), (std::vector<int>{139, 241}));
    EXPECT_EQ(IconsOfRow(paint, 2), (std::vector<int>{161}));  // line 3 has no address: no breakpoint icon
    EXPECT_EQ(IconsOfRow(paint, 3), (std::vector<int>{202}));
    ASSERT_EQ(paint.lineNumbers.size(), 4u);
    EXPECT_EQ(paint.lineNumbers[2].text, "    3");
    EXPECT_EQ(paint.lineNumbers[2].x, 20);
    EXPECT_EQ(paint.lineNumbers[2].clip, (PaintRect{20, 32, 44, 16}));
}

TEST(TextPaint, ListingMarks)
{
    struct Services : FakeTextServices {
        bool TextToAddr(const std::string& text, ADDR& address) override
        {
            if (text.empty())
                return false;
            address = {static_cast<std::uint32_t>(std::stoul(text, nullptr, 16)), ADDR_SPACE_TARGET};
            return true;
        }
    } services;
    services.marks = {{0x100, 2}};
    services.pc.address = 0x104;
    services.cursorLink = true;
    FakeTextHost host;
    TextViewCore view(host, services);
    view.Buffer().SetLines({"00000100 e3a00001  mov r0, #1", "00000104 e1a0f00e  mov pc, lr", "  source line"});
    view.colourMode = TCM_DISASSEMBLY;
    view.OnInitialUpdate();
    // The marked address inside the second instruction becomes its start.
    view.markedPosition = 0x106;
    TextPaint paint;
    view.PaintRows(paint, 0, 3);
    EXPECT_EQ(IconsOfRow(paint, 0), (std::vector<int>{160}));
    EXPECT_EQ(IconsOfRow(paint, 1), (std::vector<int>{161, 202}));
    EXPECT_EQ(view.markedPosition, 0x104);
    EXPECT_EQ(RunsOfRow(paint, 2)[0].formatClass, FC_LABEL);
}

TEST(TextPaint, SelectionIsInvertedInTheTextsOwnCells)
{
    ViewFixture f({"l0", "l1", "l2", "a\tbcdef", "whole line", "xyz", "l6"});
    f.view.SetSelection(5, 2, 3, 2, false);
    TextPaint paint;
    f.view.PaintRows(paint, 0, f.view.linesPerPage);
    ASSERT_EQ(paint.inverts.size(), 3u);
    // Line 3 from column 2 (cell 4, behind the tab) to its end (cell 9).
    EXPECT_EQ(paint.inverts[0].rect, (PaintRect{20 + 4 * 8, 48, 5 * 8, 16}));
    EXPECT_EQ(paint.inverts[1].rect, (PaintRect{20, 64, 10 * 8, 16}));
    EXPECT_EQ(RunsOfRow(paint, 4).size(), 1u);  // the whole line in pair 0
    EXPECT_EQ(RunsOfRow(paint, 4)[0].formatClass, FC_TEXT);
    EXPECT_EQ(paint.inverts[2].rect, (PaintRect{20, 80, 2 * 8, 16}));
}

TEST(TextPaint, FillsReachTheBottomOfATallWindow)
{
    ViewFixture f({"a", "b"});
    f.host.client = {0, 0, 800, 3000};
    f.view.UpdateScrollInfo(0, 0);
    EXPECT_EQ(f.view.linesPerPage, 100);
    TextPaint paint;
    f.view.PaintRows(paint, 0, f.view.linesPerPage);
    int bottom = 0;
    for (const auto& fill : paint.fills) {
        if (fill.systemColour < 0)
            bottom = std::max(bottom, fill.rect.y + fill.rect.height);
    }
    EXPECT_EQ(bottom, 3000);
    EXPECT_EQ(paint.fills.front().systemColour, COLOR_SCROLLBAR);
    EXPECT_EQ(paint.fills.front().rect, (PaintRect{0, 0, 20, 3000}));
}

TEST(TextPrint, Paging)
{
    // 130 lines at 60 lines per page: 3 pages.
    const PrintPaging paging = PrintPaging::Compute(850, 60 * 10 + 100, 100, 100, 10, 130);
    EXPECT_EQ(paging.linesPerPage, 60);
    EXPECT_EQ(paging.lastPage, 3);
    EXPECT_EQ(paging.FirstLineOfPage(3), 120);
    EXPECT_EQ(paging.offsetX, 25);
    EXPECT_EQ(paging.printableWidth, 800);
    // A font taller than the page still prints a line a page.
    const PrintPaging tall = PrintPaging::Compute(850, 1100, 100, 100, 5000, 7);
    EXPECT_EQ(tall.linesPerPage, 1);
    EXPECT_EQ(tall.lastPage, 7);
    EXPECT_EQ(PrintPaging::Compute(850, 1100, 100, 100, 10, 0).lastPage, 1);
    EXPECT_EQ(ScalePrintFont(16, 600, 96), 100);
}

TEST(TextPrint, AddressRangeFilterAndPage)
{
    std::uint32_t address = 0;
    EXPECT_TRUE(PrintLineAddress("00000104 e1a0", address));
    EXPECT_EQ(address, 0x104u);
    EXPECT_TRUE(PrintLineAddress("0001:0200 x", address));
    EXPECT_EQ(address, 0x200u);
    EXPECT_FALSE(PrintLineAddress("label", address));
    ViewFixture f({"00000100 a", "00000104 b", "  source", "00000108 c", "0000010C d"});
    f.view.printRangeOn = true;
    f.view.printFirstAddress = 0x104;
    f.view.printLastAddress = 0x108;
    f.view.colourMode = TCM_DISASSEMBLY;
    const PrintPaging paging = PrintPaging::Compute(850, 1100, 100, 100, 20, 5);
    TextPaint paint;
    f.view.PaintPrintPage(paint, 1, paging, 20);
    ASSERT_EQ(paint.runs.empty(), false);
    EXPECT_EQ(TextOfRow(paint, 0), "00000104 b");
    EXPECT_EQ(TextOfRow(paint, 1), "  source");
    EXPECT_EQ(TextOfRow(paint, 2), "00000108 c");
    EXPECT_EQ(TextOfRow(paint, 3), "");
    EXPECT_EQ(RunsOfRow(paint, 1)[0].y, 50 + 20);
    EXPECT_TRUE(paint.icons.empty());
}

}  // namespace
}  // namespace textcore::test

// The demo's logic without Qt: the source view's paint records, scrolling,
// selection, printing pages, the options dialog and the update pass.
#include <gtest/gtest.h>

#include "demo.h"
#include "platform/messages.h"
#include "platform/scripted_ui_gtest.h"

namespace guidemo {
namespace {

std::string Hello()
{
    return std::string(ZK_SOURCE_DIR) + "/examples/hello/main.c";
}

class DemoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sinks = SinkCount();
        ASSERT_TRUE(app.InitInstance());
        frame = static_cast<CDemoMainFrame*>(app.m_pMainWnd);
    }
    void TearDown() override
    {
        app.CloseAllDocuments(TRUE);
        if (app.m_pMainWnd)
            app.m_pMainWnd->DestroyWindow();
        EXPECT_EQ(SinkCount(), sinks);
    }
    CSourceView* OpenHello()
    {
        CDocument* doc = app.OpenDocumentFile(Hello().c_str());
        EXPECT_NE(doc, nullptr);
        auto* view = static_cast<CSourceView*>(doc->Views().front());
        view->SetHost(&host);
        view->OnInitialUpdate();
        return view;
    }
    CDemoApp app;
    FakeHost host{{0, 0, 400, 160}};  // 10 rows of 16 px; outlives the views
    CDemoMainFrame* frame = nullptr;
    size_t sinks = 0;
};

TEST_F(DemoTest, SourceViewPaintsLineNumbersTokensMarksAndSelection)
{
    CSourceView* view = OpenHello();
    CellPaint paint;
    ASSERT_TRUE(view->GetCellPaint(0, 10, paint));
    ASSERT_EQ(paint.rows.size(), 10u);
    EXPECT_EQ(paint.margin, CSourceView::kMarginCells * 8);
    EXPECT_EQ(paint.rows[0].lineNumber, "1");
    // Line 1 is a block comment; line 3 an include directive.
    EXPECT_EQ(paint.CellAt(paint.rows[0], 0), CSourceView::Formats()[2]);
    EXPECT_EQ(paint.CellAt(paint.rows[1], 5), CSourceView::Formats()[2]);
    EXPECT_EQ(paint.rows[2].runs.front().text, "#include");
    // "static struct queue squares;": the keywords are blue, the rest plain.
    const CellRow& line8 = paint.rows[7];
    EXPECT_EQ(paint.CellAt(line8, 0), CSourceView::Formats()[1]);
    EXPECT_EQ(paint.CellAt(line8, 14), CSourceView::Formats()[0]);
    // The breakpoint and the program counter marks.
    ASSERT_EQ(paint.rows[4].icons.size(), 1u);
    EXPECT_EQ(paint.rows[4].icons[0].icon, CellIcon::Breakpoint);
    EXPECT_EQ(paint.rows[9].icons.back().icon, CellIcon::ProgramCounter);
    EXPECT_EQ(paint.CellAt(paint.rows[9], 0).bg, RGB(255, 255, 160));
    // Shift+Down twice selects two lines: inverted by XOR.
    SetKeyDown(VK_SHIFT, true);
    view->SendMessage(WM_KEYDOWN, VK_DOWN);
    view->SendMessage(WM_KEYDOWN, VK_DOWN);
    SetKeyDown(VK_SHIFT, false);
    CellPaint selected;
    view->GetCellPaint(0, 3, selected);
    EXPECT_EQ(selected.CellAt(selected.rows[0], 0), Inverted(CSourceView::Formats()[2]));
    EXPECT_TRUE(selected.rows[2].inverted.empty());
    EXPECT_TRUE(frame->QueryCommandState(ID_EDIT_COPY).enabled);
    EXPECT_EQ(frame->QueryCommandState(ID_INDICATOR_LINE).text, "Ln 3");
}

TEST_F(DemoTest, ScrollCodesMoveTheTopLineWithinTheRange)
{
    CSourceView* view = OpenHello();
    EXPECT_EQ(host.bars[1].nMax, 24);  // 25 lines
    EXPECT_EQ(host.bars[1].nPage, 10u);
    struct Step {
        UINT code;
        int top;
    };
    for (Step s : {Step{SB_LINEDOWN, 1}, Step{SB_PAGEDOWN, 11}, Step{SB_PAGEDOWN, 15}, Step{SB_LINEDOWN, 15},
                   Step{SB_TOP, 0}, Step{SB_BOTTOM, 15}, Step{SB_PAGEUP, 5}, Step{SB_LINEUP, 4}}) {
        view->SendMessage(WM_VSCROLL, s.code);
        EXPECT_EQ(view->TopLine(), s.top) << "code " << s.code;
        EXPECT_EQ(host.bars[1].nPos, s.top);
    }
    host.bars[1].nTrackPos = 7;
    view->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 7));
    EXPECT_EQ(view->TopLine(), 7);
}

TEST_F(DemoTest, PrintingPagesTheDocumentByTheCellHeight)
{
    CSourceView* view = OpenHello();
    CPrintInfo info;
    info.m_rectDraw = {0, 0, 600, 12 * 16};  // 12 rows: header, gap and 10 lines
    info.m_cell = {8, 16};
    CDC dc(true);
    ASSERT_TRUE(view->OnPreparePrinting(&info));
    view->OnBeginPrinting(&dc, &info);
    EXPECT_EQ(info.GetMaxPage(), 3u);
    info.m_nCurPage = 3;
    view->OnPrint(&dc, &info);
    ASSERT_EQ(dc.Ops().size(), 2u);
    EXPECT_EQ(dc.Ops()[0].text, "main.c - Page 3");
    const CellPaint& page = dc.Ops()[1].cells;
    ASSERT_EQ(page.rows.size(), 5u);
    EXPECT_EQ(page.rows[0].lineNumber, "21");
}

TEST_F(DemoTest, UpdatePassOfTheFrameReachesTheToolsMenuAndTheBars)
{
    auto menu = frame->GetShownMenu();
    ASSERT_TRUE(menu);
    CMenu* tools = menu->GetSubMenu(3);
    ASSERT_EQ(tools->GetMenuItemCount(), 120);
    tools->UpdateItems(frame);
    EXPECT_EQ(tools->GetMenuState(33000, MF_BYCOMMAND) & MF_GRAYED, 0u);
    frame->SendMessage(WM_COMMAND, 33004, 0);
    EXPECT_EQ(frame->log.back(), "tool 5");
    frame->SendMessage(WM_COMMAND, ID_DEMO_RUN, 0);
    app.OnIdle(0);
    int build = frame->toolBar.CommandToIndex(ID_DEMO_BUILD);
    EXPECT_EQ(frame->toolBar.GetButtonStyle(build) & TBBS_DISABLED, TBBS_DISABLED);
    frame->SendMessage(WM_COMMAND, ID_DEMO_BUILD, 0);  // disabled: does not run
    EXPECT_EQ(frame->log, (std::vector<std::string>{"tool 5", "run"}));
}

TEST_F(DemoTest, OptionsDialogExchangesEveryKindOfControl)
{
    GTestScriptedUi ui;
    ui.RunDialog(
        [](ScriptedDialog& d) {
            EXPECT_EQ(d.text(IDC_ADDRESS), "0x8000");
            d.set(IDC_NAME, "blink");
            d.set(IDC_ADDRESS, "20000");
            d.click(IDC_VERBOSE);
            d.click(IDC_THUMB);
            d.select(IDC_SPEED, 2);
            d.select(IDC_FILES, 1);
            d.click(IDOK);
        },
        "Options");
    frame->SendMessage(WM_COMMAND, ID_DEMO_OPTIONS, 0);
    EXPECT_EQ(app.options.name, "blink");
    EXPECT_EQ(app.options.address, 0x20000u);
    EXPECT_EQ(app.options.verbose, 0);
    EXPECT_EQ(app.options.mode, 1);
    EXPECT_EQ(app.options.speed, 2);
    EXPECT_EQ(app.options.file, 1);
}

}  // namespace
}  // namespace guidemo

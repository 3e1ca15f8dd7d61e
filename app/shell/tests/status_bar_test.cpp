// The status bar's layouts, tint, text pieces and PC pane, and the progress
// control's placement and life in a pane.
#include "shell/status_bar.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/frame_wnd.h"
#include "platform/global_memory.h"
#include "platform/resources.h"
#include "platform/scripted_ui_gtest.h"
#include "platform/timers.h"
#include "platform/win_app.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"

using namespace shell;

namespace {

HGLOBAL Text(const char* s)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, std::strlen(s) + 1);
    std::memcpy(GlobalLock(h), s, std::strlen(s) + 1);
    GlobalUnlock(h);
    return h;
}

class StatusBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterShellResources();
        frame_.Create(nullptr);
        ASSERT_TRUE(bar_.Create(&frame_));
        app_.m_pMainWnd = &frame_;
    }
    void TearDown() override
    {
        app_.m_pMainWnd = nullptr;
        theSettings.Simulate = 0;
    }
    std::vector<UINT> Ids() const
    {
        std::vector<UINT> ids;
        for (int i = 0; i < bar_.GetCount(); ++i)
            ids.push_back(bar_.GetItemID(i));
        return ids;
    }
    CWinApp app_{"status bar test"};
    platform::CFrameWnd frame_;
    CSuperStatusBar bar_;
};

TEST_F(StatusBarTest, LayoutsBeforeAndAfterTheConnection)
{
    EXPECT_EQ(Ids(), (std::vector<UINT>{0, 0, 59144, 0, 59140}));
    EXPECT_EQ(bar_.GetDlgCtrlID(), 59393u);
    EXPECT_EQ(bar_.GetPaneText(2), "LINE");
    UINT id, style;
    int width;
    bar_.GetPaneInfo(4, id, style, width);
    EXPECT_EQ(width, 60);
    bar_.GetPaneInfo(1, id, style, width);
    EXPECT_EQ(width, 1);
    EXPECT_EQ(style, platform::SBPS_NOBORDERS);
    bar_.GetPaneInfo(0, id, style, width);
    EXPECT_EQ(style, platform::SBPS_STRETCH);

    bar_.SetUpPanes(TRUE);
    EXPECT_EQ(Ids(), (std::vector<UINT>{0, 0, 59148, 0, 59143, 0, 59146, 0, 59144, 0, 59140}));
    EXPECT_EQ(bar_.GetPaneText(4), "PC:0000");
    bar_.GetPaneInfo(4, id, style, width);
    EXPECT_EQ(width, 70);
    theSettings.Simulate = 1;
    bar_.SetUpPanes(TRUE);
    EXPECT_EQ(Ids(), (std::vector<UINT>{0, 0, 59148, 0, 59143, 0, 59146, 0, 59147, 0, 59144, 0, 59140}));
    EXPECT_EQ(bar_.GetPaneText(8), " ");
}

TEST_F(StatusBarTest, RunStatePaneTintsTheBar)
{
    bar_.SetUpPanes(TRUE);
    struct Row {
        const char* text;
        bool tinted;
        int repaints;
    } rows[] = {{"Running", true, 1},   {"Running", true, 1}, {"Idle", true, 1},      {"Halt", false, 2},
                {"Sleeping", false, 2}, {"Idle", true, 3},    {"PowerDown", false, 4}};
    for (const Row& r : rows) {
        bar_.SetPaneText(kRunStatePane, r.text);
        EXPECT_EQ(bar_.IsTinted() != 0, r.tinted) << r.text;
        EXPECT_EQ(bar_.TintRepaints(), r.repaints) << r.text;
    }
    // Another pane never tints.
    bar_.SetPaneText(4, "Running");
    EXPECT_FALSE(bar_.IsTinted());
    EXPECT_EQ(TintPixel(RGB(0, 0, 0x80)), RGB(0x7F, 0x7F, 0x80));
    EXPECT_EQ(TintPixel(RGB(0xFF, 0xFF, 0xFF)), RGB(0xFF, 0xFF, 0xFF));
}

TEST_F(StatusBarTest, TextPiecesShowOnlyWithoutAMessage)
{
    size_t before = platform::GlobalBlockCount();
    TextPiece pieces[3] = {{Text("MEM "), 0}, {Text("addr"), 1}, {Text(", len"), 0}};
    bar_.SetTextPieces(3, pieces);
    bar_.SetPaneText(0, "   ");
    auto shown = bar_.VisiblePieces();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1].text, "addr");
    EXPECT_TRUE(shown[1].highlight);
    EXPECT_FALSE(shown[2].highlight);
    bar_.SetPaneText(0, "Loading");
    EXPECT_TRUE(bar_.VisiblePieces().empty());
    bar_.SetPaneText(0, "");
    EXPECT_EQ(bar_.VisiblePieces().size(), 3u);

    // A count below 1 clears the list; the blocks stay until the next list.
    bar_.SetTextPieces(0, pieces);
    EXPECT_TRUE(bar_.VisiblePieces().empty());
    EXPECT_EQ(platform::GlobalBlockCount(), before + 3);
    // Drawing stops at the first pair without a block.
    TextPiece next[3] = {{Text("a"), 0}, {nullptr, 0}, {Text("c"), 0}};
    bar_.SetTextPieces(3, next);
    EXPECT_EQ(platform::GlobalBlockCount(), before + 2);
    EXPECT_EQ(bar_.VisiblePieces().size(), 1u);
}

TEST_F(StatusBarTest, MoreThanAHundredPiecesKeepAHundredAndFreeTheRest)
{
    size_t before = platform::GlobalBlockCount();
    std::vector<TextPiece> many;
    for (int i = 0; i < 130; ++i)
        many.push_back({Text("x"), i & 1});
    bar_.SetTextPieces(130, many.data());
    EXPECT_EQ(bar_.PieceCount(), 100);
    EXPECT_EQ(platform::GlobalBlockCount(), before + 100);
    EXPECT_EQ(bar_.VisiblePieces().size(), 100u);
    {
        CSuperStatusBar other;
        std::vector<TextPiece> few = {{Text("y"), 0}};
        other.SetTextPieces(1, few.data());
        EXPECT_EQ(platform::GlobalBlockCount(), before + 101);
    }
    // The destructor freed its block.
    EXPECT_EQ(platform::GlobalBlockCount(), before + 100);
}

TEST_F(StatusBarTest, DoubleClickOffThePcPaneOpensNothing)
{
    platform::GTestScriptedUi ui;
    bar_.SetUpPanes(TRUE);
    bar_.OnPaneDoubleClick(2, {100, 500});
    bar_.OnPaneDoubleClick(40, {100, 500});
    EXPECT_TRUE(ui.Requests().empty());
}

TEST(ProgressPlacement, CaptionSizeAndInset)
{
    struct Row {
        int caption, size;
        RECT expected;
    } rows[] = {
        {0, 90, {0, 2, 180, 18}},  // empty caption: from the pane's left edge, 90 %
        {0, 100, {0, 2, 200, 18}},
        {40, 90, {72, 2, 188, 18}},    // left += 40 + 4 * 8; right -= 10 % of 128 (12)
        {300, 90, {332, 2, 332, 18}},  // no room: right stays at left
    };
    for (const Row& r : rows) {
        RECT got = ProgressPlacement({0, 0, 200, 20}, r.caption, 8, r.size);
        EXPECT_EQ(got.left, r.expected.left) << r.caption << " " << r.size;
        EXPECT_EQ(got.top, r.expected.top);
        EXPECT_EQ(got.right, r.expected.right) << r.caption << " " << r.size;
        EXPECT_EQ(got.bottom, r.expected.bottom);
    }
}

TEST_F(StatusBarTest, ProgressShowsInItsPaneAndPutsTheTextBack)
{
    bar_.SetUpPanes(TRUE);
    bar_.SetPaneText(0, "Ready");
    bar_.SetPaneText(4, "PC:00008000");
    {
        CProgressBar load("Load", 90, 100, 1, 0);
        ASSERT_FALSE(load.IsInert());
        EXPECT_EQ(bar_.Panes()[0].progress, -1);  // not shown before a position
        load.SetPos(40);
        EXPECT_EQ(bar_.GetPaneText(0), "Load");
        EXPECT_EQ(bar_.Panes()[0].progress, 40);
        CProgressBar other("Test", 90, 200, 1, 4);
        other.SetPos(50);
        EXPECT_EQ(bar_.Panes()[4].progress, 25);
    }
    EXPECT_EQ(bar_.GetPaneText(0), "For Help, press F1");
    EXPECT_EQ(bar_.GetPaneText(4), "PC:00008000");
    EXPECT_EQ(bar_.Panes()[0].progress, -1);
    EXPECT_EQ(bar_.Panes()[4].progress, -1);
}

TEST_F(StatusBarTest, ProgressTimerEndsAtItsFirstTickWithoutALoadQuery)
{
    CProgressBar bar("Symbols", 90, 100, 1, 0);
    ASSERT_NE(bar.m_hWnd, nullptr);
    bool found = false;
    for (const auto& t : platform::ActiveTimers())
        found = found || (t.hwnd == bar.m_hWnd && t.id == 1 && t.ms == 300);
    ASSERT_TRUE(found);
    CProgressBar::SharedPercent() = 30;
    EXPECT_TRUE(platform::FireTimer(bar.m_hWnd, 1));
    MSG msg{};
    while (PeekMessage(&msg, bar.m_hWnd, 0, 0, PM_REMOVE))
        DispatchMessage(&msg);
    EXPECT_TRUE(bar.IsShown());
    EXPECT_EQ(bar.GetPos(), 0);
    EXPECT_EQ(CProgressBar::SharedPercent(), 0);
    for (const auto& t : platform::ActiveTimers())
        EXPECT_NE(t.hwnd, bar.m_hWnd);
}

// A load's progress: the loader's PBM_SETPOS moves the control; the timer
// follows the load query while a load runs and ends at 100 or when none runs.
TEST_F(StatusBarTest, ProgressFollowsTheLoaderAndTheLoadQuery)
{
    static int answer = 0;
    static BOOL running = TRUE;
    const auto previous = CProgressBar::SetLoadStatusQuery([](int* percent) -> BOOL {
        *percent = answer;
        return running;
    });
    CProgressBar bar("Loading", 90, 100, 1, 0);
    ASSERT_NE(bar.m_hWnd, nullptr);
    SendMessage(bar.m_hWnd, PBM_SETPOS, 55, 0);
    EXPECT_EQ(bar.GetPos(), 55);
    EXPECT_EQ(bar_.Panes()[0].progress, 55);

    const auto timerAlive = [&] {
        for (const auto& t : platform::ActiveTimers())
            if (t.hwnd == bar.m_hWnd && t.id == 1)
                return true;
        return false;
    };
    struct Step {
        int answer;
        BOOL running;
        int position;
        bool alive;
    } steps[] = {{40, TRUE, 40, true}, {100, TRUE, 0, false}};
    for (const Step& step : steps) {
        answer = step.answer;
        running = step.running;
        ASSERT_TRUE(platform::FireTimer(bar.m_hWnd, 1));
        MSG msg{};
        while (PeekMessage(&msg, bar.m_hWnd, 0, 0, PM_REMOVE))
            DispatchMessage(&msg);
        EXPECT_EQ(bar.GetPos(), step.position) << step.answer;
        EXPECT_EQ(timerAlive(), step.alive) << step.answer;
    }
    CProgressBar::SetLoadStatusQuery(previous);
}

TEST(ProgressWithoutAWindow, IsInert)
{
    {
        CProgressBar none("Load", 90, 100, 1, 0);  // no application at all
        EXPECT_TRUE(none.IsInert());
        none.SetPos(50);
        none.SetRange(0, 10, 1);
        EXPECT_FALSE(none.IsShown());
    }
    CWinApp app("no frame");
    CProgressBar noFrame("Load", 90, 100, 1, 0);
    EXPECT_TRUE(noFrame.IsInert());
    platform::CFrameWnd frame;
    frame.Create(nullptr);
    app.m_pMainWnd = &frame;  // a frame without a status bar
    CProgressBar noBar("Load", 90, 100, 1, 0);
    EXPECT_TRUE(noBar.IsInert());
    noBar.SetPos(10);
    app.m_pMainWnd = nullptr;
}

TEST(ProgressInAnotherMainWindow, FindsTheStatusBarAmongItsDescendants)
{
    RegisterShellResources();
    CWinApp app("plain main window");
    CWnd main, panel;
    main.Create(nullptr);
    panel.Create(&main, 7);
    CSuperStatusBar bar;
    ASSERT_TRUE(bar.Create(&panel));
    app.m_pMainWnd = &main;
    {
        CProgressBar progress("Test", 90, 100, 1, 0);
        EXPECT_FALSE(progress.IsInert());
        progress.SetPos(30);
        EXPECT_EQ(bar.Panes()[0].progress, 30);
    }
    app.m_pMainWnd = nullptr;
}

}  // namespace

// Opening, refreshing and forgetting the debug windows with stand-in frame
// windows, and the saved placements they take.
#include <gtest/gtest.h>

#include "core_fixture.h"
#include "platform/win_app.h"
#include "platform/window_host.h"
#include "platform/wnd.h"

namespace appdebug::test {
namespace {

using Log = std::vector<std::string>;
const std::string kStyle = std::to_string(kDebugChildStyle);

TEST_F(CoreTest, SingleWindowIsCreatedOnceThenRaised)
{
    g_windowPlacements[DVK_REGISTERS].length = 44;
    g_windowPlacements[DVK_REGISTERS].normalPosition[0] = 77;
    Command(ID_DEBUG_REGISTER_WINDOW);
    EXPECT_EQ(frame.log,
              (Log{"Create(1,Registers," + kStyle + ")", "Placement(1,77)", "Top(1)", "Show(1)", "Activate(1)"}));
    frame.log.clear();
    Command(ID_DEBUG_REGISTER_WINDOW);  // visible already: only raised
    EXPECT_EQ(frame.log, (Log{"Top(1)"}));
    ASSERT_NE(core->RegisterWnd(), nullptr);
}

TEST_F(CoreTest, WatchWindowIsRefreshedWhenMadeAndTitlesAreTheSystems)
{
    Command(ID_DEBUG_WATCH_WINDOW);
    Command(ID_DEBUG_CALL_STACK_WINDOW);
    ASSERT_EQ(frame.windows.size(), 2u);
    EXPECT_EQ(frame.windows[0]->title, "Watch");
    EXPECT_EQ(frame.windows[1]->title, "Call Stack");
    EXPECT_EQ(frame.windows[0]->sink.messages, (std::vector<SentMessage>{{WM_COMMAND, ID_VIEW_REFRESH, 0}}));
    // No saved record: no placement applied.
    EXPECT_EQ(std::count(frame.log.begin(), frame.log.end(), "Placement(9,0)"), 0);
}

TEST_F(CoreTest, FourthMemoryWindowBeepsAndClosingOneFreesItsKind)
{
    for (int i = 0; i < 4; ++i)
        Command(ID_DEBUG_MEMORY_WINDOW);
    EXPECT_EQ(ui.Beeps(), 1);
    ASSERT_EQ(core->MemoryWnds().size(), 3u);
    EXPECT_EQ(frame.log.back(), "Top(4)");
    std::vector<int> kinds;
    for (const DebugWindow* w : core->MemoryWnds())
        kinds.push_back(w->Kind());
    EXPECT_EQ(kinds, (std::vector<int>{4, 5, 6}));

    // The window of kind 5 is closed by the user: it tells the core and
    // deletes itself; the next one takes kind 5.
    StandInWindow* second = frame.windows[1];
    second->Destroy();
    EXPECT_EQ(core->MemoryWnds().size(), 2u);
    Command(ID_DEBUG_MEMORY_WINDOW);
    EXPECT_EQ(core->MemoryWnds().back()->Kind(), 5);
}

TEST_F(CoreTest, MemoryWindowStartComesFromTheArgumentsOrTheSavedRecord)
{
    DebugWindowPlacement& saved = g_windowPlacements[DVK_MEMORY1];
    saved.words[0] = 0x1000;
    saved.words[1] = 0x50004;  // the unit in the low 16 bits
    saved.words[2] = 7;
    saved.words[3] = 8;
    saved.words[4] = 9;
    g_windowPlacements[DVK_MEMORY2].words[0] = 0x2000;  // unit 0: 1
    core->OpenMemoryWindow();
    core->OpenMemoryWindow();
    core->OpenMemoryWindow(0x3000, 0x10002);  // unit in the low 16 bits
    ASSERT_EQ(frame.windows.size(), 3u);
    const auto start = [&](int i) { return std::make_pair(frame.windows[i]->unit, frame.windows[i]->start); };
    EXPECT_EQ(start(0), std::make_pair(uint16_t{4}, 0x1000u));
    EXPECT_EQ(start(1), std::make_pair(uint16_t{1}, 0x2000u));
    EXPECT_EQ(start(2), std::make_pair(uint16_t{2}, 0x3000u));
    EXPECT_EQ(frame.windows[0]->formats, (std::vector<uint32_t>{7, 8, 9}));
    EXPECT_EQ(frame.windows[0]->title, "Memory");
}

TEST_F(CoreTest, MemoryWindowIsRefusedWhileRunningWithoutRunAccess)
{
    side.runState = 1;
    core->OpenMemoryWindow();
    EXPECT_TRUE(frame.log.empty());
    theSettings.RunAccess = 1;
    core->OpenMemoryWindow();
    EXPECT_EQ(frame.windows.size(), 1u);
}

TEST_F(CoreTest, MemoryRefreshGoesToTheWindowsOfTheSpaceOrToAll)
{
    for (int i = 0; i < 3; ++i)
        core->OpenMemoryWindow();
    frame.windows[0]->space = 1;
    frame.windows[1]->space = 2;
    frame.windows[2]->space = 1;
    const auto refreshes = [&] {
        std::vector<size_t> n;
        for (StandInWindow* w : frame.windows) {
            n.push_back(w->sink.messages.size());
            w->sink.messages.clear();
        }
        return n;
    };
    core->RefreshDebugWindows(DVK_MEMORY1, 2);
    EXPECT_EQ(refreshes(), (std::vector<size_t>{0, 1, 0}));
    core->RefreshDebugWindows(DVK_MEMORY2, 1);
    EXPECT_EQ(refreshes(), (std::vector<size_t>{1, 0, 1}));
    for (const intptr_t all : {intptr_t{0}, intptr_t{-1}}) {
        core->RefreshDebugWindows(DVK_MEMORY3, all);
        EXPECT_EQ(refreshes(), (std::vector<size_t>{1, 1, 1}));
    }
    EXPECT_EQ(std::count(side.calls.begin(), side.calls.end(), "PeriRefreshWindow"), 4);
}

TEST_F(CoreTest, RefreshByKindReachesTheWindowOfThatKind)
{
    Command(ID_DEBUG_REGISTER_WINDOW);
    Command(ID_DEBUG_CALL_STACK_WINDOW);
    for (StandInWindow* w : frame.windows)
        w->sink.messages.clear();
    core->RefreshDebugWindows(DVK_REGISTERS, 0);
    core->RefreshDebugWindows(DVK_CALL_STACK, 0);
    for (const int kind : {-1, 0, 2, 7, 12, 19, 21, 1000})
        core->RefreshDebugWindows(kind, 0);
    core->RefreshDebugWindows(DVK_KERNEL, 0);
    EXPECT_EQ(frame.windows[0]->sink.messages, (std::vector<SentMessage>{{WM_EMU_REFRESH, 0, 0}}));
    EXPECT_EQ(frame.windows[1]->sink.messages, (std::vector<SentMessage>{{WM_EMU_REFRESH, 0, 0}}));
    EXPECT_EQ(side.calls, (std::vector<std::string>{"SymNotifyTargetHalted", "TaskOpenWindow(2)"}));
}

TEST_F(CoreTest, ClosedWindowIsForgottenNotDeletedByTheCore)
{
    Command(ID_DEBUG_REGISTER_WINDOW);
    Command(ID_DEBUG_WATCH_WINDOW);
    // The window's own destroy tells the core; the core must not delete it
    // again (the stand-in deletes itself once).
    frame.windows[0]->Destroy();
    EXPECT_EQ(core->RegisterWnd(), nullptr);
    EXPECT_NE(core->WatchWnd(), nullptr);
    for (const int kind : {0, 12, 20, -5})
        EXPECT_EQ(core->OnDebugWndClosed(kind), 1);
    EXPECT_NE(core->WatchWnd(), nullptr);
}

TEST_F(CoreTest, NoWindowClassMeansNothingOpens)
{
    frame.makesWindows = false;
    Command(ID_DEBUG_REGISTER_WINDOW);
    Command(ID_DEBUG_MEMORY_WINDOW);
    EXPECT_EQ(core->RegisterWnd(), nullptr);
    EXPECT_TRUE(core->MemoryWnds().empty());
    EXPECT_EQ(core->AddWatch("x"), 1);
    EXPECT_EQ(core->OpenInspectWindow("x"), 1);
}

TEST_F(CoreTest, DestructorDestroysMemoryWindowsFromTheTailThenTheSingleOnes)
{
    Command(ID_DEBUG_REGISTER_WINDOW);
    Command(ID_DEBUG_CALL_STACK_WINDOW);
    Command(ID_DEBUG_WATCH_WINDOW);
    for (int i = 0; i < 2; ++i)
        Command(ID_DEBUG_MEMORY_WINDOW);
    core.reset();
    EXPECT_EQ(frame.destroyed, (std::vector<int>{5, 4, 9, 8, 1}));
    EXPECT_TRUE(frame.windows.empty());
}

TEST(CenterInMainFrame, MovesTheWindowToTheMiddleOfTheMainClientAreaKeepingItsSize)
{
    platform::CWinApp app("Center");
    platform::CWnd main, dialog;
    ASSERT_TRUE(main.Create(nullptr));
    ASSERT_TRUE(dialog.Create(nullptr));
    platform::FakeHost mainHost({0, 0, 800, 600}), dialogHost({0, 0, 200, 100});
    mainHost.origin = {100, 50};
    dialogHost.window = {5, 5, 215, 125};  // frame and caption around the client
    main.SetHost(&mainHost);
    dialog.SetHost(&dialogHost);

    ASSERT_EQ(platform::CWnd::FromHandle(dialog.GetSafeHwnd()), &dialog);
    CenterInMainFrame(dialog.GetSafeHwnd());  // no main window yet: stays
    EXPECT_EQ(dialogHost.window.left, 5);

    app.m_pMainWnd = &main;
    ASSERT_EQ(AfxGetMainWnd(), &main);
    CenterInMainFrame(dialog.GetSafeHwnd());
    EXPECT_EQ(dialogHost.window.left, 100 + (800 - 210) / 2);
    EXPECT_EQ(dialogHost.window.top, 50 + (600 - 120) / 2);
    EXPECT_EQ(dialogHost.window.Width(), 210);
    EXPECT_EQ(dialogHost.window.Height(), 120);

    CenterInMainFrame(nullptr);  // unknown handles and the main window itself do nothing
    CenterInMainFrame(main.GetSafeHwnd());
    EXPECT_EQ(mainHost.window.Width(), 0);
    app.m_pMainWnd = nullptr;
    main.SetHost(nullptr);
    dialog.SetHost(nullptr);
}

}  // namespace
}  // namespace appdebug::test

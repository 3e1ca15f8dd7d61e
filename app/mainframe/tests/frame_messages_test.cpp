// The main frame's private messages, command route, timer, connect command
// and closing, over a recording debugger core.
#include <gtest/gtest.h>

#include <cstring>

#include "emu_messages.h"
#include "frame_test_support.h"
#include "mainframe/frame_views.h"
#include "mainframe/main_frame.h"
#include "platform/global_memory.h"
#include "platform/modules.h"
#include "platform/scripted_ui_gtest.h"
#include "platform/win_app.h"
#include "shell/debugger_app.h"
#include "shell/modules.h"
#include "shell/script_host.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"
#include "shell_test_support.h"

namespace mainframe {
namespace {

using Refresh = std::pair<int, LPARAM>;

// The "Command" tab's view, recording what it is given.
class FakeCommandView : public CView, public CommandTextView {
public:
    void NewLine() override { log.push_back("newline"); }
    void AppendText(const std::string& text, int attribute) override
    {
        log.push_back("append " + std::to_string(attribute) + " " + text);
    }
    void ReplaceCurrentLine(const std::string& text) override { log.push_back("replace " + text); }
    std::vector<std::string> log;
};

// A block as the senders make it: `bytes` with a terminating zero.
LPARAM Block(const std::string& bytes)
{
    return reinterpret_cast<LPARAM>(platform::GlobalTextBlock(bytes));
}

class FrameMessagesTest : public shell::test::RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        platform::SetModuleFolder(temp_.path());
        shell::Modules().FreeAll();
        Globals() = FrameGlobals{};
        frame_ = new CMainFrame;
        ASSERT_TRUE(frame_->LoadFrame(shell::IDR_MAINFRAME));
    }
    void TearDown() override
    {
        if (frame_)
            frame_->DestroyWindow();
        shell::Modules().FreeAll();
        RegistryTest::TearDown();
    }
    std::vector<Refresh> RefreshesOf(WPARAM kind, LPARAM param)
    {
        fixture_.log.refreshes.clear();
        EXPECT_EQ(frame_->SendMessage(WM_EMU_UPDATE_VIEWS, kind, param), 1);
        return fixture_.log.refreshes;
    }
    FakeCommandView* AddCommandView()
    {
        auto* view = new FakeCommandView;
        EXPECT_TRUE(frame_->OutputBar().DoAddView(view, nullptr, "Command"));
        return view;
    }

    test::FrameFixture fixture_;
    CMainFrame* frame_ = nullptr;
};

TEST_F(FrameMessagesTest, UpdateViewsRefreshesByKind)
{
    struct Row {
        int kind;
        LPARAM param;
        std::vector<Refresh> expected;
    } rows[] = {
        {0, 0, {{9, -1}, {8, -1}, {1, -1}, {7, -1}}},
        {1, 5, {{1, -1}}},
        {8, 0, {{8, -1}}},
        {9, 0, {{9, -1}}},
        {13, 0, {{13, -1}}},
        // Memory windows: the sender's memory space; 0 and -1 mean all.
        {4, 0, {{4, -1}}},
        {5, 2, {{5, 2}}},
        {6, -1, {{6, -1}}},
        {11, 0, {{11, -1}}},
        // Kinds the frame ignores or handles without the core.
        {3, 0, {}},
        {7, 0, {}},
        {12, 0x100, {}},
        {14, 0, {}},
        {18, 0, {}},
        {19, 0, {}},
        {20, 0, {}},
        {25, 0, {}},
        {-2, 0, {}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(RefreshesOf(static_cast<WPARAM>(r.kind), r.param), r.expected) << r.kind;
    // Breakpoint changes refresh the breakpoint list after the marks; the
    // list closes with the frame.
    EXPECT_EQ(fixture_.log.listModes, (std::vector<int>{2}));
    frame_->DestroyWindow();
    frame_ = nullptr;
    EXPECT_EQ(fixture_.log.listModes, (std::vector<int>{2, 0}));
}

TEST_F(FrameMessagesTest, FreezeTogglesAndLetsConsoleTextThrough)
{
    FakeCommandView* view = AddCommandView();
    const WPARAM freeze = static_cast<WPARAM>(DVK_FREEZE);
    frame_->SendMessage(WM_EMU_UPDATE_VIEWS, freeze, 0);
    EXPECT_TRUE(RefreshesOf(DVK_REGISTERS, -1).empty()) << "frozen";
    frame_->SendMessage(WM_EMU_UPDATE_VIEWS, DVK_CONSOLE_TEXT, Block("still shown"));
    EXPECT_EQ(view->log, std::vector<std::string>{"append 1 still shown"});
    frame_->SendMessage(WM_EMU_UPDATE_VIEWS, freeze, 0);
    EXPECT_EQ(RefreshesOf(DVK_REGISTERS, -1).size(), 1u) << "two toggles unfreeze";
    frame_->SendMessage(WM_EMU_UPDATE_VIEWS, freeze, 0);
    frame_->SendMessage(WM_EMU_UPDATE_VIEWS, freeze, 1);
    frame_->SendMessage(WM_EMU_UPDATE_VIEWS, freeze, 1);
    EXPECT_EQ(RefreshesOf(DVK_REGISTERS, -1).size(), 1u) << "a non-zero lParam always unfreezes";
}

TEST_F(FrameMessagesTest, ConsoleTextGoesToTheCommandViewAndTheCapture)
{
    const size_t blocks = platform::GlobalBlockCount();
    // Without the "Command" tab the text is dropped, and its block freed.
    frame_->SendMessage(WM_EMU_UPDATE_VIEWS, DVK_CONSOLE_TEXT, Block("nobody"));
    EXPECT_EQ(platform::GlobalBlockCount(), blocks);

    FakeCommandView* view = AddCommandView();
    ShellCapture& capture = ShellCommandCapture();
    capture = ShellCapture{true, {}};
    frame_->SendMessage(WM_EMU_UPDATE_VIEWS, DVK_CONSOLE_TEXT, 0);
    frame_->SendMessage(WM_EMU_UPDATE_VIEWS, DVK_CONSOLE_TEXT, Block("short"));
    frame_->SendMessage(WM_EMU_UPDATE_VIEWS, DVK_CONSOLE_TEXT, Block("0123456789"));
    EXPECT_EQ(capture.text, "") << "ten characters or fewer add nothing to the capture";
    frame_->SendMessage(WM_EMU_UPDATE_VIEWS, DVK_CONSOLE_TEXT, Block("> bp main\nline one\nline two\n\n"));
    EXPECT_EQ(capture.text, "line one\nline two\n\n") << "from the eleventh character on";
    frame_->SendMessage(WM_EMU_UPDATE_VIEWS, DVK_CONSOLE_TEXT, Block(std::string("\0progress 50%", 13)));
    EXPECT_EQ(capture.text, "line one\nprogress 50%\n");
    capture.text = "no line feed";
    frame_->SendMessage(WM_EMU_UPDATE_VIEWS, DVK_CONSOLE_TEXT, Block(std::string("\0done", 5)));
    EXPECT_EQ(capture.text, "done\n");
    capture = ShellCapture{};

    const std::vector<std::string> expected = {
        "newline",
        "append 1 short",
        "append 1 0123456789",
        "append 1 > bp main\nline one\nline two\n\n",
        "replace progress 50%",
        "replace done",
    };
    EXPECT_EQ(view->log, expected);
    EXPECT_EQ(platform::GlobalBlockCount(), blocks);
}

TEST_F(FrameMessagesTest, SmallMessagesSetPanesFlagsAndReachTheCore)
{
    CSuperStatusBar& bar = frame_->StatusBar();
    bar.SetUpPanes(TRUE);
    for (auto [lParam, text] : {std::pair<LPARAM, const char*>{0, "Running"}, {5, "Halt"}, {1, "Halt"}}) {
        EXPECT_EQ(frame_->SendMessage(WM_EMU_BUSY, 2, lParam), 1);
        EXPECT_EQ(bar.GetPaneText(2), text) << lParam;
    }

    // Timer ticks are swallowed while polling is off; with it on, the
    // run state of a target that isn't running is "Halt".
    frame_->m_bConnected = TRUE;
    bar.SetPaneText(2, "before");
    EXPECT_EQ(frame_->SendMessage(WM_EMU_POLL_STATUS, 0), 1);
    frame_->SendMessage(WM_TIMER, kFrameTimerId);
    EXPECT_EQ(bar.GetPaneText(2), "before");
    frame_->SendMessage(WM_EMU_POLL_STATUS, 1);
    frame_->SendMessage(WM_TIMER, kFrameTimerId + 7);
    EXPECT_EQ(bar.GetPaneText(2), "before") << "another timer id";
    frame_->SendMessage(WM_TIMER, kFrameTimerId);
    EXPECT_EQ(bar.GetPaneText(2), "Halt");

    const size_t blocks = platform::GlobalBlockCount();
    EXPECT_EQ(frame_->SendMessage(WM_EMU_ADD_WATCH, 0, Block("queue.count")), 1);
    EXPECT_EQ(frame_->SendMessage(WM_EMU_ADD_WATCH, 0, 0), 1);
    EXPECT_EQ(fixture_.log.watches, std::vector<std::string>{"queue.count"});
    EXPECT_EQ(platform::GlobalBlockCount(), blocks);

    EXPECT_EQ(frame_->SendMessage(WM_EMU_VIEW_CLOSED, DVK_DISASSEMBLY), 1);
    EXPECT_EQ(fixture_.log.closed, std::vector<int>{DVK_DISASSEMBLY});
}

TEST_F(FrameMessagesTest, StopShowsTheHaltTextFiresHaltAndRefreshesWhenAsked)
{
    frame_->StatusBar().SetUpPanes(TRUE);
    // No target: the PC can't be read, so no breakpoint decides and the
    // stop is shown. The fatal result's low word is an unknown cause.
    frame_->SendMessage(WM_EMU_ERROR, 0, static_cast<LPARAM>(0xFFFFFFE5u));
    EXPECT_EQ(frame_->StatusBar().GetPaneText(0), "Halt by Unsupported Exception!");
    ASSERT_EQ(fixture_.log.events.size(), 1u);
    EXPECT_EQ(fixture_.log.events[0].first, kEventHalt);
    EXPECT_EQ(static_cast<uint16_t>(fixture_.log.events[0].second), 0xFFE5);
    EXPECT_TRUE(fixture_.log.refreshes.empty()) << "no refresh without bit 31";

    // Bit 31: the frame refreshes; without a readable PC nothing is
    // refreshed and the refresh answers -1.
    frame_->SendMessage(WM_EMU_ERROR, EMU_ERROR_REFRESH_AFTER, 284);
    EXPECT_EQ(frame_->StatusBar().GetPaneText(0), "Halt by Pressing Abort Switch!");
    EXPECT_EQ(frame_->SendMessage(WM_EMU_REFRESH), -1);
    EXPECT_TRUE(fixture_.log.refreshes.empty());
}

TEST_F(FrameMessagesTest, CommandsRouteThroughTheCoreOnlyWhileConnectedAndNoTransferRuns)
{
    EXPECT_FALSE(frame_->QueryCommandState(shell::ID_DEBUG_GO).enabled) << "not connected";
    frame_->m_bConnected = TRUE;
    EXPECT_TRUE(frame_->QueryCommandState(shell::ID_DEBUG_GO).enabled);
    frame_->SendMessage(WM_COMMAND, shell::ID_DEBUG_GO);
    EXPECT_EQ(fixture_.log.commands, std::vector<UINT>{shell::ID_DEBUG_GO});

    Globals().busyTransfer = TRUE;
    EXPECT_FALSE(frame_->QueryCommandState(shell::ID_DEBUG_GO).enabled);
    EXPECT_FALSE(frame_->QueryCommandState(shell::ID_VIEW_OUTPUT_WINDOW).enabled);
    frame_->SendMessage(WM_COMMAND, shell::ID_DEBUG_GO);
    EXPECT_EQ(fixture_.log.commands.size(), 1u);
    Globals().busyTransfer = FALSE;
    EXPECT_FALSE(frame_->OnCmdMsg(shell::ID_DEBUG_GO, -2, nullptr, nullptr)) << "events are refused";
}

TEST_F(FrameMessagesTest, BarsTabsAndTheDebugToolbarBeforeAndAfterTheConnection)
{
    auto labels = [](CCJTabCtrlBar& bar) {
        std::vector<std::string> l;
        for (const auto& tab : bar.Tabs())
            l.push_back(tab.label);
        return l;
    };
    // Tabs whose view classes aren't there keep their labels.
    EXPECT_EQ(labels(frame_->WorkspaceBar()), (std::vector<std::string>{"Files", "Class", "Symbols"}));
    EXPECT_EQ(labels(frame_->OutputBar()), (std::vector<std::string>{"Build", "Find In Files", "Console"}));
    EXPECT_EQ(frame_->GetControlBar(ID_STANDARD_BAR), &frame_->StandardToolBar());
    EXPECT_EQ(frame_->GetControlBar(ID_BUILD_BAR), &frame_->BuildToolBar());
    EXPECT_GT(frame_->DebugToolBar().GetCount(), 0);
    EXPECT_FALSE(frame_->DebugToolBar().IsVisible());
    CCmdUI debugItem = frame_->QueryCommandState(shell::ID_VIEW_DEBUG_TOOLBAR);
    EXPECT_FALSE(debugItem.enabled);
    EXPECT_EQ(debugItem.checked, 0);
    EXPECT_EQ(frame_->QueryCommandState(shell::ID_DEBUG_CONNECT).text, "Init Debugger");

    // A reset of the Edit toolbar (the frame is asked first) keeps its find box.
    CEditToolBar& edit = frame_->EditToolBar();
    edit.RemoveButton(edit.CommandToIndex(ID_FIND_BOX));
    ASSERT_EQ(edit.GetComboButton(ID_FIND_BOX), nullptr);
    frame_->m_Impl.ResetToolbar(&edit);
    EXPECT_NE(edit.GetComboButton(ID_FIND_BOX), nullptr);

    // The output window's toggle.
    EXPECT_EQ(frame_->QueryCommandState(shell::ID_VIEW_OUTPUT_WINDOW).checked, 1);
    frame_->SendMessage(WM_COMMAND, shell::ID_VIEW_OUTPUT_WINDOW);
    EXPECT_FALSE(frame_->OutputBar().IsVisible());
    EXPECT_EQ(frame_->QueryCommandState(shell::ID_VIEW_OUTPUT_WINDOW).checked, 0);

    // A refused connection shows the message and changes nothing; the next
    // "&Load" tries again.
    fixture_.log.connectAnswer = false;
    theSettings.Simulate = 1;
    {
        platform::GTestScriptedUi ui;
        ui.AnswerMessageBox(IDOK, "Cann't connect with hardware!");
        frame_->SendMessage(WM_COMMAND, shell::ID_DEBUG_CONNECT);
    }
    EXPECT_FALSE(frame_->m_bConnected);
    EXPECT_FALSE(frame_->DebugToolBar().IsVisible());
    fixture_.log.connectAnswer = true;
    theSettings.IsLoadInitFile = 1;
    theSettings.InitFileName = "board init.inc";
    frame_->SendMessage(WM_COMMAND, shell::ID_DEBUG_CONNECT);
    theSettings.IsLoadInitFile = 0;
    EXPECT_EQ(fixture_.log.connects, 2);
    EXPECT_TRUE(frame_->m_bConnected);
    EXPECT_NE(frame_->GetTitle().find(" -- Simulation"), std::string::npos) << frame_->GetTitle();
    EXPECT_TRUE(frame_->DebugToolBar().IsVisible());
    EXPECT_EQ(labels(frame_->OutputBar()).back(), "Command");
    EXPECT_EQ(fixture_.log.shellCommands, std::vector<std::string>{"include \"board init.inc\""});
    EXPECT_EQ(frame_->QueryCommandState(shell::ID_DEBUG_CONNECT).text, "Re&load");
    debugItem = frame_->QueryCommandState(shell::ID_VIEW_DEBUG_TOOLBAR);
    EXPECT_TRUE(debugItem.enabled);
    EXPECT_EQ(debugItem.checked, 1);
    // Connected once: the next "&Load" doesn't connect again.
    frame_->SendMessage(WM_COMMAND, shell::ID_DEBUG_CONNECT);
    EXPECT_EQ(fixture_.log.connects, 2);
}

TEST_F(FrameMessagesTest, CloseAsksToSaveBeforeTearingAnythingDown)
{
    CWinApp owner("frame test");
    CWinApp* app = &owner;
    auto* tmpl = new CMultiDocTemplate(shell::IDR_MAINFRAME, RUNTIME_CLASS(CDocument), nullptr, nullptr);
    app->AddDocTemplate(tmpl);
    auto* doc = new CDocument;
    tmpl->AddDocument(doc);
    doc->SetTitle("main.c");
    doc->SetModifiedFlag(TRUE);
    app->m_pMainWnd = frame_;
    {
        platform::GTestScriptedUi ui;
        ui.AnswerMessageBox(IDCANCEL, "Save changes to main.c");
        frame_->SendMessage(WM_CLOSE);
    }
    EXPECT_NE(frame_->m_hWnd, nullptr) << "a refusal keeps the frame";
    EXPECT_NE(frame_->m_timerId, 0u);
    EXPECT_FALSE(fixture_.log.destroyed);
    {
        // Answered No once: the frame goes without asking again.
        platform::GTestScriptedUi ui;
        ui.AnswerMessageBox(IDNO, "Save changes to main.c");
        frame_->SendMessage(WM_CLOSE);
    }
    EXPECT_TRUE(fixture_.log.destroyed);
    EXPECT_EQ(app->m_pMainWnd, nullptr);
    frame_ = nullptr;
}

// The script server's engine as the frame's close sees it.
class RecordingScripts : public CCmdTarget, public shell::CScriptHost {
public:
    BOOL LoadScriptText(const std::string&) override { return TRUE; }
    HRESULT StopScript() override { return S_OK; }
    void ExecuteScript(const std::string&) override {}
    BOOL IsScriptIdle() override { return idle; }
    BOOL CloseScriptEngine() override
    {
        ++closes;
        return TRUE;
    }
    BOOL idle = FALSE;
    int closes = 0;
};

TEST_F(FrameMessagesTest, CloseIsRefusedWhileAScriptRunsAndClosesTheEngineOtherwise)
{
    shell::CDebuggerApp app;
    RecordingScripts scripts;
    app.m_scriptServer = static_cast<CObject*>(&scripts);
    app.m_pMainWnd = frame_;
    {
        platform::GTestScriptedUi ui;
        ui.AnswerMessageBox(IDOK, "A script is running");
        frame_->SendMessage(WM_CLOSE);
    }
    EXPECT_NE(frame_->m_hWnd, nullptr) << "a running script keeps the frame";
    EXPECT_FALSE(fixture_.log.destroyed);
    EXPECT_EQ(scripts.closes, 0);

    scripts.idle = TRUE;
    frame_->SendMessage(WM_CLOSE);
    EXPECT_TRUE(fixture_.log.destroyed);
    EXPECT_EQ(scripts.closes, 1);
    frame_ = nullptr;
    app.m_scriptServer = nullptr;
}

// A child window whose closing the user refuses.
class StubbornChild : public CMDIChildWnd {
protected:
    void OnClose() override {}
};

TEST_F(FrameMessagesTest, CloseAllStopsAtAChildThatRefuses)
{
    auto open = [this](CMDIChildWnd* child) {
        EXPECT_TRUE(child->LoadFrame(shell::IDR_MAINFRAME, frame_));
        frame_->MDIActivate(child);
        return child;
    };
    CMDIChildWnd* stubborn = open(new StubbornChild);
    open(new CMDIChildWnd);
    open(new CMDIChildWnd);
    ASSERT_EQ(frame_->MDIChildren().size(), 3u);
    frame_->SendMessage(WM_COMMAND, 32911);
    ASSERT_EQ(frame_->MDIChildren().size(), 1u) << "the others closed, and the command ended";
    EXPECT_EQ(frame_->MDIChildren()[0], stubborn);
}

TEST_F(FrameMessagesTest, FrameWithoutUserButtonImagesIsNotCreated)
{
    const std::string previous = SetUserImagesFile(temp_.path() + "/none.bmp");
    auto* other = new CMainFrame;
    {
        platform::GTestScriptedUi ui;
        ui.AnswerMessageBox(IDOK);
        EXPECT_FALSE(other->LoadFrame(shell::IDR_MAINFRAME));  // the frame deletes itself
    }
    SetUserImagesFile(previous);
}

}  // namespace
}  // namespace mainframe

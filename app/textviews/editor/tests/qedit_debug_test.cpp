// The editor as a debugging surface on fake hosts, with the symbol library's
// and the debugger's answers set by the test: breakpoints from the icon
// strip and the commands, the context menu by connection and by the word
// under the click, the commands on names, and the data tips' timer, text
// and hiding (a lost target, long names and values, stale tips).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "editor_fixture.h"
#include "emu_messages.h"
#include "fake_debug_queries.h"
#include "platform/frame_wnd.h"
#include "platform/timers.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"

namespace editor::test {
namespace {

constexpr UINT VK_F5 = 0x74;

const char* const kDemo = "/* demo */\n"               // 1
                          "int total;\n"               // 2
                          "int main(void)\n"           // 3
                          "{\n"                        // 4
                          "    total = total + 15;\n"  // 5
                          "}\n"                        // 6
                          "\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n";

// A popup service that keeps the screen point of each tracked menu.
class PopupUi : public platform::GTestScriptedUi {
public:
    UINT TrackPopupMenu(const platform::PopupRequest& request) override
    {
        points.push_back({request.x, request.y});
        return GTestScriptedUi::TrackPopupMenu(request);
    }
    std::vector<POINT> points;
};

class EditorDebugTest : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        theSettings.Simulate = 0;
        theSettings.DataTip = 1;
        queries.codeLines = {{3, 0x100}, {5, 0x108}, {6, 0x110}};
        queries.functions = {{"#main", {0x100, 0x117}}};
        queries.variables = {"total"};
        queries.values = {{"total", "15"}};
        doc = Open("demo.c", kDemo);
        ASSERT_NE(doc, nullptr);
        view = ViewOf(doc);
        view->SetDebugQueries(&queries);
        hosts.back().origin = {300, 200};
    }
    void TearDown() override
    {
        theSettings.Simulate = 0;
        theSettings.DataTip = 0;
        EditorTest::TearDown();
    }

    // A client point on the character (zero-based line, column).
    POINT At(int line, int column) const
    {
        return {view->TextPosToX(column, line) + 2, (line - view->topLine) * view->lineHeight + view->topOffset + 4};
    }
    static LPARAM Param(POINT p) { return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)); }
    void Click(UINT msg, POINT p) { view->SendMessage(msg, msg == WM_RBUTTONDOWN ? MK_RBUTTON : MK_LBUTTON, Param(p)); }
    // The frame's relay, then the dispatch.
    void Relay(UINT msg, WPARAM wParam, LPARAM lParam)
    {
        textFrame.RelayDataTipEvent(MSG{view->m_hWnd, msg, wParam, lParam, 0});
        view->SendMessage(msg, wParam, lParam);
    }
    void MoveTo(POINT p) { Relay(WM_MOUSEMOVE, 0, Param(p)); }
    bool TimerRuns() const
    {
        for (const auto& timer : platform::ActiveTimers())
            if (timer.hwnd == view->m_hWnd && timer.id == kDataTipTimer)
                return timer.ms == kDataTipTimerMs;
        return false;
    }
    // Ticks of the tip timer while it runs.
    void Tick(int count = 1)
    {
        for (int i = 0; i < count && TimerRuns(); ++i)
            view->SendMessage(WM_TIMER, kDataTipTimer, 0);
    }
    bool TipShown() const { return view->TipWindow() && view->TipWindow()->IsTipShown(); }
    std::string TipText() const { return view->TipWindow() ? view->TipWindow()->GetWindowText() : std::string(); }
    // The menu's items as "text" with " (grayed)" where grayed; "-" for a separator.
    static std::vector<std::string> Items(const CMenu& menu)
    {
        std::vector<std::string> items;
        for (const auto& item : menu.Items())
            items.push_back((item.flags & MF_SEPARATOR) ? "-"
                                                        : item.text + ((item.flags & MF_GRAYED) ? " (grayed)" : ""));
        return items;
    }

    FakeDebugQueries queries;
    CQEditDoc* doc = nullptr;
    CQEditView* view = nullptr;
};

TEST_F(EditorDebugTest, IconStripClicksToggleBreakpointsOnLinesWithCodeAndBeepElsewhere)
{
    platform::GTestScriptedUi ui;
    const int row = view->lineHeight;
    // Left: software on line 3; the comment line beeps.
    Click(WM_LBUTTONDOWN, {5, 2 * row + 3});
    Click(WM_LBUTTONDOWN, {5, 3});
    EXPECT_EQ(queries.toggles, (std::vector<Toggle>{{0x100, kSoftwareBreakpoint}}));
    EXPECT_EQ(ui.Beeps(), 1);
    // Right: hardware on line 5, nothing at all in simulator mode (no
    // breakpoint, no beep, no menu).
    Click(WM_RBUTTONDOWN, {5, 4 * row + 8});
    theSettings.Simulate = 1;
    Click(WM_RBUTTONDOWN, {5, 4 * row + 8});
    Click(WM_RBUTTONDOWN, {5, 3});
    EXPECT_EQ(queries.toggles, (std::vector<Toggle>{{0x100, 0}, {0x108, kHardwareBreakpoint}}));
    EXPECT_EQ(ui.Beeps(), 1);

    // Rows count from the top line of the page.
    view->SendMessage(WM_VSCROLL, MAKEWPARAM(textcore::SB_THUMBPOSITION, 2), 0);
    ASSERT_EQ(view->topLine, 2);
    queries.toggles.clear();
    Click(WM_LBUTTONDOWN, {5, 2 * row + 3});
    EXPECT_EQ(queries.toggles, (std::vector<Toggle>{{0x108, 0}}));

    // A double click (line 3 on row 0) is one toggle; its second click asks
    // the debugger's Go to Cursor through the main frame.
    queries.toggles.clear();
    Click(WM_LBUTTONDOWN, {5, 3});
    Click(WM_LBUTTONUP, {5, 3});
    Click(WM_LBUTTONDBLCLK, {5, 3});
    Click(WM_LBUTTONUP, {5, 3});
    EXPECT_EQ(queries.toggles, (std::vector<Toggle>{{0x100, 0}}));
    EXPECT_EQ(mainFrame->commands, (std::vector<UINT>{ID_GOTO_CURSOR_CMD}));
}

TEST_F(EditorDebugTest, ContextMenuItemsFollowTheConnectionAndTheWordUnderTheClick)
{
    const std::vector<std::string> edit = {"&Undo (grayed)",  "-", "Cu&t (grayed)", "&Copy (grayed)",
                                           "&Paste (grayed)", "-", "&Select All",   "-"};
    const std::vector<std::string> go = {"Go to &Assembly", "Go to &Mixed Source", "-"};
    auto tail = [](bool simulator) {
        return std::vector<std::string>{"Set/Clear &Breakpoint",
                                        simulator ? "Set/Clear &Hardware Breakpoint (grayed)"
                                                  : "Set/Clear &Hardware Breakpoint",
                                        "Goto Cu&rsor\tF7", "&Jump to Cursor\tShift+F7", "-"};
    };
    auto join = [](std::initializer_list<std::vector<std::string>> parts) {
        std::vector<std::string> all;
        for (const auto& p : parts)
            all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    const std::vector<std::string> function = {"&Inspect Source", "&View Address Range", "-"};
    const std::vector<std::string> variable = {"&Watch Variable", "&Inspect", "-"};

    struct Case {
        const char* what;
        bool connected;
        bool simulator;
        int line, column;
        std::vector<std::string> items;
        std::string contextWord;
        int contextLine;
    };
    const Case cases[] = {
        {"not connected", false, false, 4, 4, edit, "", -1},
        {"function", true, false, 2, 5, join({edit, go, function, tail(false)}), "#main", 2},
        {"variable", true, false, 4, 6, join({edit, go, variable, tail(false)}), "total", 4},
        {"neither", true, false, 2, 10, join({edit, go, tail(false)}), "", 2},
        {"blank", true, true, 4, 1, join({edit, go, tail(true)}), "", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        textFrame.connected = c.connected;
        theSettings.Simulate = c.simulator;
        view->contextWord.clear();
        view->contextLine = -1;
        std::shared_ptr<CMenu> menu = view->BuildContextMenu(At(c.line, c.column));
        EXPECT_EQ(Items(*menu), c.items);
        EXPECT_EQ(view->contextWord, c.contextWord);
        EXPECT_EQ(view->contextLine, c.contextLine);
    }
    // The variable is asked at its one-based line, by its plain name.
    EXPECT_NE(std::find(queries.variableQuestions.begin(), queries.variableQuestions.end(),
                        std::pair<std::string, int>{"total", 5}),
              queries.variableQuestions.end());

    // A selection and text on the clipboard enable the edit items; a lost
    // target in the variable test brings the prompt and no variable items.
    textFrame.connected = true;
    theSettings.Simulate = 0;
    clipboard.text = "x";
    view->SetSelection(1, 0, 1, 3, false);
    queries.variableAnswer = -27;
    std::shared_ptr<CMenu> menu = view->BuildContextMenu(At(4, 6));
    EXPECT_EQ(Items(*menu),
              join({{"&Undo (grayed)", "-", "Cu&t", "&Copy", "&Paste", "-", "&Select All", "-"}, go, tail(false)}));
    EXPECT_EQ(textFrame.lostReports, 1);
    EXPECT_EQ(view->contextWord, "");
}

TEST_F(EditorDebugTest, RightClickTracksTheMenuAtTheScreenPointAndRunsTheChosenCommand)
{
    textFrame.connected = true;
    PopupUi ui;
    ui.AnswerPopup(ID_WATCH_VARIABLE, "&Watch Variable");
    ui.AnswerPopup(ID_INSPECT_VARIABLE, "&Inspect");
    ui.AnswerPopup(ID_GOTO_CURSOR_CMD, "Goto Cu&rsor\tF7");
    ui.AnswerPopup(shell::ID_GOTO_ASSEMBLY, "Go to &Assembly");
    const POINT p = At(4, 13);
    for (int i = 0; i < 4; ++i)
        Click(WM_RBUTTONDOWN, p);
    EXPECT_EQ(textFrame.watches, std::vector<std::string>{"#total"});
    EXPECT_EQ(textFrame.inspected, std::vector<std::string>{"#total"});
    EXPECT_EQ(mainFrame->commands, (std::vector<UINT>{ID_GOTO_CURSOR_CMD, shell::ID_GOTO_ASSEMBLY}));
    ASSERT_EQ(ui.points.size(), 4u);
    EXPECT_EQ(ui.points[0].x, p.x + 300);
    EXPECT_EQ(ui.points[0].y, p.y + 200);
}

TEST_F(EditorDebugTest, SetClearBreakpointTakesTheContextLineElseTheCaretLine)
{
    platform::GTestScriptedUi ui;
    textFrame.connected = true;
    view->SendMessage(WM_VSCROLL, MAKEWPARAM(textcore::SB_THUMBPOSITION, 1), 0);
    view->BuildContextMenu(At(4, 6));
    Command(view, ID_TOGGLE_BREAKPOINT);
    EXPECT_EQ(view->contextLine, -1);
    EXPECT_TRUE(view->contextWord.empty());
    // A context line scrolled above the page still names its line.
    view->BuildContextMenu(At(2, 0));
    view->SendMessage(WM_VSCROLL, MAKEWPARAM(textcore::SB_THUMBPOSITION, 4), 0);
    ASSERT_EQ(view->topLine, 4);
    Command(view, ID_TOGGLE_HW_BREAKPOINT);
    EXPECT_EQ(queries.toggles, (std::vector<Toggle>{{0x108, 0}, {0x100, 2}}));
    // Without a context line: the caret's line (the comment line beeps).
    view->SendMessage(WM_VSCROLL, MAKEWPARAM(textcore::SB_THUMBPOSITION, 0), 0);
    view->SetCaret(5, 0);
    Command(view, ID_TOGGLE_BREAKPOINT);
    view->SetCaret(0, 0);
    Command(view, ID_TOGGLE_BREAKPOINT);
    EXPECT_EQ(ui.Beeps(), 1);
    EXPECT_EQ(queries.toggles, (std::vector<Toggle>{{0x108, 0}, {0x100, 2}, {0x110, 0}}));
}

TEST_F(EditorDebugTest, InspectSourceOpensTheFunctionsFileAtItsLineOrDisassemblesWithoutSource)
{
    std::string lib;
    for (int i = 1; i <= 60; ++i)
        lib += "/* line " + std::to_string(i) + " */\n";
    WriteBytes(folder / "lib.c", lib);
    queries.sourcePath = folder / "lib.c";
    queries.sourceLines = {{0x100, 31}};
    textFrame.connected = true;

    // The context word carries its "#" already: the name is passed once.
    view->BuildContextMenu(At(2, 5));
    Command(view, ID_INSPECT_SOURCE);
    EXPECT_EQ(queries.checkedFunctions.back(), "#main");
    ASSERT_EQ(source->Documents().size(), 2u);
    auto* opened = static_cast<CQEditDoc*>(source->Documents().back());
    EXPECT_EQ(opened->GetPathName(), folder / "lib.c");
    EXPECT_EQ(ViewOf(opened)->topLine, 30);

    // A double click on the name does the same; without a source line the
    // disassembly starts at the function.
    queries.sourceLines.clear();
    Click(WM_LBUTTONDBLCLK, At(2, 6));
    EXPECT_EQ(textFrame.assemblyFrom, std::vector<std::uint32_t>{0x100});

    // A function without a range beeps; a word that is no function does nothing.
    platform::GTestScriptedUi ui;
    queries.noRange = {"#main"};
    Click(WM_LBUTTONDBLCLK, At(2, 6));
    Click(WM_LBUTTONDBLCLK, At(4, 6));
    EXPECT_EQ(ui.Beeps(), 1);
    EXPECT_EQ(textFrame.assemblyFrom.size(), 1u);
}

TEST_F(EditorDebugTest, ViewAddressRangeShowsTheSharedNoteUntilTheNextKeyAndBeepsOnFailure)
{
    textFrame.connected = true;
    view->BuildContextMenu(At(2, 5));
    Command(view, ID_VIEW_ADDRESS_RANGE);
    CPopupTipWnd* note = CQEditView::AddressRangeTip();
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->GetWindowText(), "Function Name:\n       #main\nAddress Range:\n       0x00000100--0x00000117");
    EXPECT_TRUE(note->IsTipShown());
    const RECT at = note->TipRect();
    EXPECT_EQ(at.left, 100);
    EXPECT_EQ(at.top, 100);
    EXPECT_EQ(at.right, 350);
    EXPECT_EQ(at.bottom, 200);
    Relay(WM_KEYDOWN, VK_F5, 1);
    EXPECT_FALSE(note->IsTipShown());

    platform::GTestScriptedUi ui;
    queries.hexWorks = false;
    view->BuildContextMenu(At(2, 5));
    Command(view, ID_VIEW_ADDRESS_RANGE);
    Command(view, ID_VIEW_ADDRESS_RANGE);  // no word at all
    EXPECT_EQ(ui.Beeps(), 2);
    EXPECT_FALSE(note->IsTipShown());
}

TEST_F(EditorDebugTest, ADataTipComesAfterFifteenTicksAtRestAndGoesWithKeysClicksAndOtherWords)
{
    theSettings.DataTip = 0;
    textFrame.connected = true;
    MoveTo(At(4, 6));
    EXPECT_FALSE(TimerRuns());
    theSettings.DataTip = 1;
    MoveTo(At(4, 6));
    EXPECT_TRUE(TimerRuns());

    Tick(14);
    EXPECT_FALSE(TipShown());
    Tick();
    EXPECT_TRUE(TipShown());
    EXPECT_EQ(TipText(), "total=15");
    Tick(20);  // still at rest: no second showing
    EXPECT_TRUE(TipShown());

    // A key hides it and writes " " on the status bar; the same word shows
    // nothing new until the pointer goes elsewhere.
    mainFrame->SetMessageText("Halt by breakpoint!");
    Relay(WM_KEYDOWN, VK_F5, 1);
    EXPECT_FALSE(TipShown());
    Tick(15);
    EXPECT_FALSE(TipShown());

    // The other "total" of the line is another position; moving the pointer
    // restarts the count.
    MoveTo(At(4, 14));
    Tick(14);
    MoveTo(At(4, 15));
    Tick(14);
    EXPECT_FALSE(TipShown());
    Tick();
    EXPECT_TRUE(TipShown());

    // Onto a word that names no variable: hidden, timer stopped until the
    // next move.
    MoveTo(At(4, 20));
    Tick();
    EXPECT_FALSE(TipShown());
    EXPECT_FALSE(TimerRuns());
    EXPECT_FALSE(view->tipTimerArmed);
    MoveTo(At(4, 6));
    EXPECT_TRUE(TimerRuns());
    Relay(WM_LBUTTONDOWN, MK_LBUTTON, Param(At(4, 6)));
    EXPECT_FALSE(TipShown());
}

// The timer ticks on under a tracked context menu with the pointer on the
// word that was clicked: no tip may come up over the menu.
TEST_F(EditorDebugTest, NoDataTipWhileTheContextMenuIsOpen)
{
    textFrame.connected = true;
    struct TickingUi : PopupUi {
        UINT TrackPopupMenu(const platform::PopupRequest& request) override
        {
            duringMenu();
            return PopupUi::TrackPopupMenu(request);
        }
        std::function<void()> duringMenu;
    } ui;
    bool shownUnderMenu = false;
    ui.duringMenu = [&] {
        Tick(30);
        shownUnderMenu = TipShown();
    };
    ui.AnswerPopup(0, "");
    const POINT p = At(4, 6);
    MoveTo(p);
    Tick(3);
    Relay(WM_RBUTTONDOWN, MK_RBUTTON, Param(p));
    EXPECT_FALSE(shownUnderMenu);
    // Closed, the pointer resting on the word brings the tip after the delay.
    Tick(14);
    EXPECT_FALSE(TipShown());
    Tick();
    EXPECT_TRUE(TipShown());
}

TEST_F(EditorDebugTest, ATipNeverOutlivesItsValue)
{
    textFrame.connected = true;
    MoveTo(At(4, 6));
    Tick(15);
    ASSERT_EQ(TipText(), "total=15");
    // The target stopped again: the tip goes, and the same variable shows
    // its new value after a rest.
    queries.values["total"] = "30";
    view->SendMessage(WM_SETPCLINE, 0, 0);
    EXPECT_FALSE(TipShown());
    Tick(15);
    EXPECT_EQ(TipText(), "total=30");
    EXPECT_TRUE(TipShown());
    // The pointer went on to the other "total": the old tip goes at the next tick.
    MoveTo(At(4, 14));
    Tick();
    EXPECT_FALSE(TipShown());
}

TEST_F(EditorDebugTest, TipTextsForMissingValuesLongNamesAndALostTarget)
{
    EXPECT_EQ(CQEditView::DataTipText("total", "15"), "total=15");
    EXPECT_EQ(CQEditView::DataTipText(std::string(37, 'n'), "12"), std::string(37, 'n') + "=12");  // 40
    EXPECT_EQ(CQEditView::DataTipText(std::string(38, 'n'), "12"), "12");                          // 41
    EXPECT_EQ(CQEditView::DataTipText("squares", "{...}"), "squares={...}");

    textFrame.connected = true;
    // No value from the symbol library.
    queries.values.clear();
    MoveTo(At(4, 6));
    Tick(15);
    EXPECT_EQ(TipText(), "total=???");

    // A 10,000-character identifier: asked as it is; as a variable its tip
    // is the value alone.
    const std::string longName(10000, 'x');
    doc->Lines().SetLines({"int " + longName + " = 3;"});
    view->OnUpdate(nullptr, kHintRepaintAll, nullptr);
    MoveTo(At(0, 30));
    Tick();
    EXPECT_EQ(queries.variableQuestions.back().first, longName);
    EXPECT_FALSE(TimerRuns());
    queries.variables.insert(longName);
    queries.values[longName] = "3";
    MoveTo(At(0, 30));
    Tick(15);
    EXPECT_TRUE(TipShown());
    EXPECT_EQ(TipText(), "3");

    // A lost target: the prompt once (timers tick on under it), no tip, the
    // timer stopped.
    Relay(WM_KEYDOWN, VK_F5, 1);
    queries.variableAnswer = -27;
    textFrame.whileLostPrompt = [this] { Tick(3); };
    MoveTo(At(0, 40));
    Tick(15);
    EXPECT_EQ(textFrame.lostReports, 1);
    EXPECT_FALSE(TipShown());
    EXPECT_FALSE(TimerRuns());
}

}  // namespace
}  // namespace editor::test

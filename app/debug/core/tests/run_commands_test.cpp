// The run commands by command id: the calls they make of sarvik, their busy
// brackets and their failure handling.
#include <gtest/gtest.h>

#include "core_fixture.h"
#include "quinar/quinar.h"

namespace appdebug::test {
namespace {

using Calls = std::vector<std::string>;
const SentMessage kBusyOn{WM_EMU_BUSY, 2, 0};
const SentMessage kBusyOff{WM_EMU_BUSY, 2, 1};

struct StepRow {
    UINT id;
    Calls calls;
    bool bracketed;
};

TEST_F(CoreTest, StepCommandsCallEmuStepWithTheirModeAndBracketAllButStepInto)
{
    const StepRow rows[] = {
        {ID_DEBUG_STEP_INTO, {"EmuStep(0,1)"}, false},
        {ID_DEBUG_STEP_OVER, {"CpuSetCpuStatus(1)", "EmuStep(1,1)", "CpuSetCpuStatus(0)"}, true},
        {ID_DEBUG_STEP_OUT, {"EmuStep(2,1)"}, true},
        {ID_DEBUG_STEP_INTO_CONT, {"EmuStep(3,1)"}, true},
        {ID_DEBUG_STEP_OVER_CONT, {"EmuStep(4,1)"}, true},
        {ID_DEBUG_GO_TILL_CALL, {"EmuStep(5,1)"}, true},
        {ID_DEBUG_GO_INTO_CALL, {"EmuStep(6,1)"}, true},
        {ID_DEBUG_GO_TILL_RETURN, {"EmuStep(7,1)"}, true},
        {ID_DEBUG_GO_OVER_RETURN, {"EmuStep(8,1)"}, true},
    };
    for (const StepRow& row : rows) {
        side.calls.clear();
        frame.sink.messages.clear();
        Command(row.id);
        EXPECT_EQ(side.calls, row.calls) << row.id;
        const std::vector<SentMessage> brackets =
            row.bracketed ? std::vector<SentMessage>{kBusyOn, kBusyOff} : std::vector<SentMessage>{};
        EXPECT_EQ(Busy(), brackets) << row.id;
    }
}

TEST_F(CoreTest, StepSourceLevelFollowsTheActiveChildFrame)
{
    g_stepSourceLevel = 1;
    frame.childKind = ChildFrameKind::Disassembly;
    Command(ID_DEBUG_STEP_OUT);
    frame.childKind = ChildFrameKind::Other;  // unchanged
    Command(ID_DEBUG_STEP_OUT);
    frame.childKind = ChildFrameKind::Source;
    Command(ID_DEBUG_STEP_OUT);
    EXPECT_EQ(side.calls, (Calls{"EmuStep(2,0)", "EmuStep(2,0)", "EmuStep(2,1)"}));
}

TEST_F(CoreTest, RunCommandsDoNothingBeforeTheConnection)
{
    frame.connected = false;
    ui.AnswerMessageBox(IDYES);  // the Reset question
    for (const UINT id : {ID_DEBUG_GO, ID_DEBUG_STEP_INTO, ID_DEBUG_STEP_OVER, ID_DEBUG_STEP_OUT, ID_DEBUG_GO_TILL_CALL,
                          ID_DEBUG_FREE_RUN, ID_DEBUG_RESET, ID_DEBUG_RESTART})
        core->OnCmdMsg(id, CN_COMMAND, nullptr, nullptr);
    EXPECT_TRUE(side.calls.empty());
    EXPECT_TRUE(frame.sink.messages.empty());
    EXPECT_EQ(core->ExecShellCommand("bp"), -1);
}

TEST_F(CoreTest, TargetLostOffersAbortWhichClosesTheFrame)
{
    side.results["EmuStep"] = -27;
    ui.AnswerMessageBox(IDABORT);
    Command(ID_DEBUG_STEP_OVER);
    // Step Over leaves the run state to the lost target.
    EXPECT_EQ(side.calls, (Calls{"CpuSetCpuStatus(1)", "EmuStep(1,1)"}));
    EXPECT_EQ(Busy(), (std::vector<SentMessage>{kBusyOn, kBusyOff}));
    platform::DispatchPending();
    EXPECT_EQ(Count(WM_CLOSE), 1);

    ui.AnswerMessageBox(IDRETRY);
    Command(ID_DEBUG_STEP_INTO);
    platform::DispatchPending();
    EXPECT_EQ(Count(WM_CLOSE), 1);
}

TEST_F(CoreTest, StepIntoShowsOtherFailuresAndRefusesWhileRunning)
{
    side.results["EmuStep"] = -13;
    ui.AnswerMessageBox(IDOK);
    Command(ID_DEBUG_STEP_INTO);
    ASSERT_EQ(ui.Requests().size(), 1u);
    EXPECT_EQ(ui.Requests()[0].messageBox.type & 0xF0, MB_ICONEXCLAMATION);

    side.calls.clear();
    side.runState = 1;
    core->OnStepInto();
    EXPECT_TRUE(side.calls.empty());
}

TEST_F(CoreTest, GoRunsFromThePcOrTillAnAddressOrFree)
{
    struct Row {
        int mode;
        int32_t address;
        Calls calls;
    };
    const Row rows[] = {
        {0, -1, {"EmuRun(1,FFFFFFFF:1)"}},
        {0, 0x2000, {"AddTempBp(2000:1)", "EmuRun(1,2000:1)"}},
        {1, 0x2000, {"EmuRun(7,2000:1)"}},
    };
    for (const Row& row : rows) {
        side.calls.clear();
        EXPECT_EQ(core->Go(row.mode, row.address), 0);
        EXPECT_EQ(side.calls, row.calls);
        EXPECT_EQ(g_lastAutomationResult, 0);
    }
    EXPECT_TRUE(Busy().empty());
}

TEST_F(CoreTest, GoWithAFailingTemporaryBreakpointRunsNothingAndKeepsTheResult)
{
    side.results["AddTempBp"] = 5;
    EXPECT_EQ(core->Go(0, 0x2000), 5);
    EXPECT_EQ(side.calls, (Calls{"AddTempBp(2000:1)"}));
    EXPECT_EQ(g_lastAutomationResult, 5);
}

TEST_F(CoreTest, HaltFailureShowsTheIceModeText)
{
    ui.AnswerMessageBox(IDOK, "Could not set ICE mode. Please reset the chip!");
    side.results["EmuHalt"] = 1;
    Command(ID_DEBUG_HALT);
    side.results["EmuHalt"] = 0;
    Command(ID_DEBUG_HALT);  // quiet
}

TEST_F(CoreTest, ResetAnsweredNoDoesNothingAndYesResetsToTheStart)
{
    ui.AnswerMessageBox(IDNO);
    Command(ID_DEBUG_RESET);
    EXPECT_TRUE(side.calls.empty());

    ui.AnswerMessageBox(IDYES);
    Command(ID_DEBUG_RESET);
    EXPECT_EQ(side.calls,
              (Calls{"EmuHalt", "LdrGetStartPC", "EmuResetTarget(8000:1)", "LdrGetStartPC", "CpuSetPC(8000)"}));
    EXPECT_EQ(Count(WM_EMU_REFRESH), 1);
}

TEST_F(CoreTest, ResetWithoutAnImageStartsAtZeroAndRunsTheInitFile)
{
    side.startResult = 1;
    side.start = {0xDEAD, 1};
    theSettings.IsLoadInitFile = 1;
    theSettings.InitFileName = "C:\\work\\board init.inc";
    core->Reset();
    EXPECT_EQ(side.calls,
              (Calls{"EmuHalt", "LdrGetStartPC", "EmuResetTarget(0:1)",
                     "ShlExecuteCommand(>include \"C:\\work\\board init.inc)", "LdrGetStartPC"}));
}

struct RestartRow {
    const char* name;
    int onlyStart;
    DWORD runState;
    std::map<std::string, uint32_t> symbols;
    Calls calls;
    bool bracketed;
};

TEST_F(CoreTest, RestartStopsAtTheStartOrRunsTillTheEntry)
{
    const RestartRow rows[] = {
        {"go till main",
         0,
         0,
         {{"#main", 0x8100}},
         {"LdrGetStartPC", "SymServerSymToAddr(#main,2)", "EmuRestart(0,#main)"},
         true},
        {"only start", 1, 0, {}, {"LdrGetStartPC", "EmuRestart(1,)"}, false},
        {"upper-case entry",
         0,
         0,
         {{"#MAIN", 0x8100}},
         {"LdrGetStartPC", "SymServerSymToAddr(#main,2)", "SymServerSymToAddr(#MAIN,2)", "EmuRestart(0,#MAIN)"},
         true},
        {"no entry",
         0,
         0,
         {},
         {"LdrGetStartPC", "SymServerSymToAddr(#main,2)", "SymServerSymToAddr(#MAIN,2)", "EmuRestart(1,)"},
         false},
        {"start is the entry",
         0,
         0,
         {{"#main", 0x8000}},
         {"LdrGetStartPC", "SymServerSymToAddr(#main,2)", "EmuRestart(1,)"},
         false},
        // A running target is halted first (EmuHalt waits for the stop).
        {"running", 1, 1, {}, {"EmuHalt", "LdrGetStartPC", "EmuRestart(1,)"}, false},
    };
    for (const RestartRow& row : rows) {
        side.calls.clear();
        frame.sink.messages.clear();
        theSettings.OnlyStartAddr = row.onlyStart;
        side.runState = row.runState;
        side.symbols = row.symbols;
        Command(ID_DEBUG_RESTART);
        EXPECT_EQ(side.calls, row.calls) << row.name;
        EXPECT_EQ(Busy().size(), row.bracketed ? 2u : 0u) << row.name;
    }
}

TEST_F(CoreTest, JumpAndGotoAddressTakeTheAddressDialogsText)
{
    ui.RunDialog([](platform::ScriptedDialog& d) {
        d.set(1100, "2000");
        d.click(IDOK);
    });
    Command(ID_DEBUG_JUMP);
    ui.RunDialog([](platform::ScriptedDialog& d) {
        d.set(1100, "3000");
        d.click(IDOK);
    });
    Command(ID_DEBUG_GOTO_ADDRESS);
    ui.RunDialog([](platform::ScriptedDialog& d) {
        d.set(1100, "nonsense");
        d.click(IDOK);
    });
    Command(ID_DEBUG_GOTO_ADDRESS);
    ui.RunDialog([](platform::ScriptedDialog& d) { d.click(IDCANCEL); });
    Command(ID_DEBUG_JUMP);
    EXPECT_EQ(side.calls,
              (Calls{"AdrTextToAddr(2000)", "EmuSetPC(2000:1)", "AdrTextToAddr(3000)", "EmuRun(3,3000:1)",
                     "AdrTextToAddr(nonsense)"}));
    EXPECT_EQ(Busy(), (std::vector<SentMessage>{kBusyOn, kBusyOff}));
}

TEST_F(CoreTest, CursorCommandsUseTheActiveChildsAddress)
{
    frame.childKind = ChildFrameKind::Other;
    frame.hasCursor = true;
    frame.cursor = {0x4000, 1};
    Command(ID_DEBUG_GOTO_CURSOR);
    Command(ID_DEBUG_JUMP_TO_CURSOR);
    EXPECT_TRUE(side.calls.empty());
    frame.childKind = ChildFrameKind::Disassembly;
    Command(ID_DEBUG_GOTO_CURSOR);
    Command(ID_DEBUG_JUMP_TO_CURSOR);
    EXPECT_EQ(side.calls, (Calls{"EmuRun(3,4000:1)", "EmuSetPC(4000:1)"}));
}

TEST_F(CoreTest, CursorCommandsInASourceChildTakeTheCaretLinesCode)
{
    // prog.c: lines 10, 11 and 13 have code; 12 is a comment.
    SymClearSymbolTables(0);
    SymModuleDesc desc{2, 0xFFFFFFFF, 0};
    const ImageStamp stamp{};
    uint32_t module = 0;
    ASSERT_EQ(SymOpenModule("prog.c", &stamp, &desc, 0, 1, 0, &module, 0), SYM_OK);
    ASSERT_EQ(SymBeginLineTable(module), SYM_OK);
    for (const auto& [line, address] : {std::pair{10u, 0x100u}, {11u, 0x108u}, {13u, 0x110u}})
        ASSERT_EQ(SymAddLineRow(line, 0, address, 0), SYM_OK);
    ASSERT_EQ(SymEndLineTable(), SYM_S_LINE_TABLE_ENDED);
    SymCloseModule(0);

    frame.childKind = ChildFrameKind::Source;
    frame.hasCursor = true;  // a source child's address never comes from here
    frame.cursor = {0x4000, 1};
    struct Row {
        int line;
        const char* path;
        Calls calls;
    } rows[] = {
        {11, "C:\\Work\\PROG.C", {"EmuRun(3,108:1)", "EmuSetPC(108:1)"}},
        {13, "/home/user/prog.c", {"EmuRun(3,110:1)", "EmuSetPC(110:1)"}},
        {12, "prog.c", {}},  // no code: nothing runs
        {10, "other.c", {}},
        {0, "prog.c", {}},  // no caret
    };
    for (const Row& row : rows) {
        side.calls.clear();
        frame.caretLine = row.line;
        frame.caretPath = row.path;
        Command(ID_DEBUG_GOTO_CURSOR);
        Command(ID_DEBUG_JUMP_TO_CURSOR);
        EXPECT_EQ(side.calls, row.calls) << row.line << " " << row.path;
    }
    SymClearSymbolTables(0);
}

TEST_F(CoreTest, EnablingFollowsTheRunStateAndRunAccess)
{
    const UINT notRunning[] = {ID_DEBUG_GO,   ID_DEBUG_STEP_INTO,    ID_DEBUG_FREE_RUN,
                               ID_DEBUG_JUMP, ID_DEBUG_GOTO_ADDRESS, ID_DEBUG_BREAKPOINT};
    const UINT always[] = {ID_DEBUG_HALT, ID_DEBUG_RESET, ID_DEBUG_RESTART, ID_DEBUG_BREAKPOINT_LIST};
    const UINT access[] = {ID_DEBUG_REGISTER_WINDOW, ID_DEBUG_MEMORY_WINDOW, ID_DEBUG_WATCH_WINDOW};
    const UINT never[] = {ID_DEBUG_TRACE_WINDOW, ID_DEBUG_MEMORY_MAP, ID_DEBUG_BIT_MEMORY, ID_DEBUG_SYNC_HW,
                          ID_DEBUG_TRACE_CONTROL};
    for (const DWORD state : {0u, 1u}) {
        side.runState = state;
        for (const int runAccess : {0, 1}) {
            theSettings.RunAccess = runAccess;
            for (UINT id : notRunning)
                EXPECT_EQ(Enabled(id), state == 0) << id;
            for (UINT id : always)
                EXPECT_TRUE(Enabled(id)) << id;
            for (UINT id : access)
                EXPECT_EQ(Enabled(id), state == 0 || runAccess) << id;
            for (UINT id : never)
                EXPECT_FALSE(Enabled(id)) << id;
        }
    }
    EXPECT_EQ(core->QueryCommandState(ID_DEBUG_TRACE_OFF).text, "No Trace");
}

TEST_F(CoreTest, WatchpointNeedsTheConnectionAndTheHardware)
{
    struct Row {
        bool connected;
        int simulate;
        bool enabled;
    } rows[] = {{true, 0, true}, {true, 1, false}, {false, 0, false}, {false, 1, false}};
    for (const Row& row : rows) {
        frame.connected = row.connected;
        theSettings.Simulate = row.simulate;
        EXPECT_EQ(Enabled(ID_DEBUG_WATCHPOINT), row.enabled) << row.connected << row.simulate;
    }
}

TEST_F(CoreTest, BreakpointCommandsOpenSarviksWindowsAndRefreshTheMarksAfterOk)
{
    const SentMessage marks{WM_EMU_UPDATE_VIEWS, DVK_BREAKPOINTS, static_cast<LPARAM>(-1)};
    struct Row {
        UINT id;
        bool hasCursor;
        int result;
        Calls calls;
        int updates;
    } rows[] = {
        {ID_DEBUG_BREAKPOINT, false, 1, {"BptOpenWindow(0:0)"}, 1},
        {ID_DEBUG_BREAKPOINT, true, 1, {"BptOpenWindow(1234:1)"}, 1},
        {ID_DEBUG_BREAKPOINT, true, 0, {"BptOpenWindow(1234:1)"}, 0},
        {ID_DEBUG_BREAKPOINT_LIST, false, 1, {"BptShowBpListW(1)"}, 0},
        {ID_DEBUG_WATCHPOINT, false, 2, {"WhptOpenWindow(frame)"}, 1},
        {ID_DEBUG_WATCHPOINT, false, 0, {"WhptOpenWindow(frame)"}, 0},
    };
    frame.childKind = ChildFrameKind::Disassembly;
    frame.cursor = {0x1234, 1};
    for (const Row& row : rows) {
        side.calls.clear();
        frame.sink.messages.clear();
        frame.hasCursor = row.hasCursor;
        side.dialogResult = row.result;
        Command(row.id);
        EXPECT_EQ(side.calls, row.calls) << row.id;
        EXPECT_EQ(frame.sink.messages, std::vector<SentMessage>(row.updates, marks)) << row.id;
    }
}

TEST_F(CoreTest, BuildQuestionsGuardTheRunCommands)
{
    int saveReply = IDYES, rebuildReply = -1, asked = 0;
    core->SetBuildQuestions([&] { return ++asked, saveReply; }, [&] { return ++asked, rebuildReply; });
    Command(ID_DEBUG_GO);  // Yes: a build runs instead
    EXPECT_TRUE(side.calls.empty());
    Command(ID_DEBUG_GO);  // both answered: nothing asked
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(side.calls, (Calls{"EmuRun(1,FFFFFFFF:1)"}));
    side.calls.clear();
    core->MarkSourcesModified(TRUE);
    saveReply = IDNO;
    rebuildReply = IDCANCEL;
    Command(ID_DEBUG_GO);
    EXPECT_TRUE(side.calls.empty());
    rebuildReply = IDNO;
    Command(ID_DEBUG_GO);
    EXPECT_EQ(side.calls, (Calls{"EmuRun(1,FFFFFFFF:1)"}));
}

TEST_F(CoreTest, TargetConnectionLostReachesTheCurrentCore)
{
    ui.AnswerMessageBox(IDIGNORE);
    EXPECT_EQ(ReportTargetConnectionLost(), 1);
    core.reset();
    EXPECT_EQ(ReportTargetConnectionLost(), 0);
}

}  // namespace
}  // namespace appdebug::test

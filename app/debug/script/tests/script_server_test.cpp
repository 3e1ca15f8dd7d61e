// The script server over a debugger core on a recording target side: the
// items scripts see, loading and running text, the members of "Scripter"
// and "Debugger" as scripts call them, events to handlers, forms and waits.
#include <gtest/gtest.h>

#include "core_fixture.h"
#include "morwen/morwen.h"
#include "platform/dispatch.h"
#include "platform/messages.h"
#include "platform/timers.h"
#include "script_globals.h"
#include "scriptsrv/script_server.h"
#include "scriptsrv/wait_clock.h"
#include "shell/hint_box_dlg.h"
#include "talvis/talvis.h"
#include "test_object.h"
#include "ticking_timers.h"
#include "win_messages.h"

namespace scriptsrv {
namespace {

using appdebug::g_lastAutomationResult;
using zk::automation::DispatchCall;
using zk::automation::DispatchMember;
using zk::automation::DispatchObject;
using zk::automation::DispatchTable;
using zk::automation::LiveObjects;
using zk::automation::MemberKind;

class ScriptServerTest : public appdebug::test::CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        core->EventConnectionPoint();  // lives with the core, past this test's check
        live_ = LiveObjects();
        server = new CScriptServer;
        appdebug::SetCurrentDebugCore(core.get());
    }
    void TearDown() override
    {
        // The engine holds the site (the server's references) until it closes.
        EXPECT_TRUE(server->CloseScriptEngine());
        EXPECT_EQ(server->ExternalRelease(), 0u);
        EXPECT_EQ(LiveObjects(), live_);
        CoreTest::TearDown();
    }

    // A global variable of the running script.
    VARIANT Global(const char* name) { return test::ScriptGlobal(server->Engine(), name); }
    LONG Number(const char* name)
    {
        VARIANT v = Global(name);
        VariantChangeType(&v, &v, 0, VT_I4);
        return v.lVal;
    }
    std::string String(const char* name)
    {
        VARIANT v = Global(name);
        std::string s = v.vt == VT_BSTR && v.bstrVal ? v.bstrVal : "";
        VariantClear(&v);
        return s;
    }
    // Runs statements at the script's top level (their variables global):
    // the first text waits for the connection that ExecuteScript makes.
    void Run(const std::string& statements)
    {
        ASSERT_TRUE(server->LoadScriptText(statements + "\n"));
        server->ExecuteScript("");
    }

    CScriptServer* server = nullptr;
    long live_ = 0;
};

TEST_F(ScriptServerTest, ItemsResolveScripterInAnyCaseAndOtherNamesExactly)
{
    IActiveScriptSite* site = server->ScriptSite();
    IUnknown* item = nullptr;
    ITypeInfo* info = nullptr;
    EXPECT_EQ(site->GetItemInfo("Scripter", SCRIPTINFO_IUNKNOWN, nullptr, nullptr), E_INVALIDARG);
    EXPECT_EQ(site->GetItemInfo("Scripter", SCRIPTINFO_ITYPEINFO, &item, nullptr), E_INVALIDARG);

    ASSERT_TRUE(server->LoadScriptText("Dim x\n"));  // the standing items are added
    EXPECT_TRUE(server->HasNamedObject("Debugger"));
    EXPECT_FALSE(server->HasNamedPointer("SimObj"));  // no simulator object
    for (const char* name : {"Scripter", "sCRIPTER"}) {
        ASSERT_EQ(site->GetItemInfo(name, SCRIPTINFO_IUNKNOWN | SCRIPTINFO_ITYPEINFO, &item, &info), S_OK) << name;
        EXPECT_EQ(item, server->GetIDispatch(FALSE));
        EXPECT_EQ(info, nullptr);
        item->Release();
    }
    ASSERT_EQ(site->GetItemInfo("Debugger", SCRIPTINFO_IUNKNOWN, &item, nullptr), S_OK);
    EXPECT_EQ(item, core->GetIDispatch(FALSE));
    item->Release();
    EXPECT_EQ(site->GetItemInfo("debugger", SCRIPTINFO_IUNKNOWN, &item, nullptr), TYPE_E_ELEMENTNOTFOUND);
    EXPECT_EQ(item, nullptr);
}

TEST_F(ScriptServerTest, TextLoadedTwiceRunsTheSecondAtOnceAndExecuteBeforeLoadDoesNothing)
{
    server->ExecuteScript("n = 1");
    EXPECT_FALSE(server->EngineRunning());

    // Top-level code of the first text waits for the first connection.
    ASSERT_TRUE(server->LoadScriptText("Dim n\nn = 10\nSub Add(k)\nn = n + k\nEnd Sub\n"));
    EXPECT_TRUE(server->EngineRunning());
    server->ExecuteScript("Add 1");
    EXPECT_EQ(Number("n"), 11);
    ASSERT_TRUE(server->LoadScriptText("Add 100\n"));
    EXPECT_EQ(Number("n"), 111);

    EXPECT_TRUE(server->CloseScriptEngine());
    EXPECT_FALSE(server->EngineRunning());
    EXPECT_TRUE(server->IsScriptIdle());
}

TEST_F(ScriptServerTest, PropertiesIgnoreOrRefuseTheirSettersAsScriptsSeeThem)
{
    g_lastAutomationResult = 7;
    Run("ExePath = \"x\"\ne = ExePath\nle = LastError\nap = AppPath\n"
        "Set ActiveProject = Nothing\nSet p = ActiveProject\npn = p Is Nothing");
    EXPECT_EQ(String("e"), "");
    EXPECT_EQ(Number("le"), 7);
    const std::string app = String("ap");
    EXPECT_FALSE(app.empty());
    EXPECT_NE(app.back(), '/');
    EXPECT_EQ(Number("pn"), -1);  // True

    for (const char* statement : {"AppPath = \"x\"", "LastError = 0"}) {
        ui.AnswerMessageBox(IDOK, "Line:");
        Run(statement);
    }
}

TEST_F(ScriptServerTest, ScriptErrorsShowTheirDescriptionSourceLineAndCodes)
{
    EXPECT_EQ(ScriptErrorText("Division by zero", "Microsoft VBScript runtime error", 3, 11, hresult(0x800A000B)),
              "Division by zero\nSrc: Microsoft VBScript runtime error\nLine:3 Error:11 Scode:800a000b");
    ui.AnswerMessageBox(IDOK, "Error:11");
    Run("x = 1 / 0");
    const auto texts = ui.MessageTexts();
    ASSERT_FALSE(texts.empty());
    EXPECT_NE(texts.back().find("Line:1"), std::string::npos) << texts.back();
}

TEST_F(ScriptServerTest, DebuggerMembersAnswerMinusOneWhileNotConnected)
{
    frame.connected = false;
    Run("g = Debugger.Go(0, -1)\nle = LastError\ns = Debugger.ShellCmd(\"bp\")\n"
        "d = IsEmpty(Debugger.MemDump(&H8000, 4))\nu = Debugger.Upload(\"f\", 0, 0, 4)\n"
        "dl = Debugger.Download(\"f\", 0, 0)");
    EXPECT_EQ(Number("g"), -1);
    EXPECT_EQ(Number("le"), -1);
    EXPECT_EQ(Number("s"), -1);
    EXPECT_EQ(Number("d"), -1);
    EXPECT_EQ(Number("u"), -1);
    EXPECT_EQ(Number("dl"), -1);
    EXPECT_TRUE(side.calls.empty());
}

TEST_F(ScriptServerTest, GoReturnsTheRunsResultAndMemoryCallsRefuseBadSizes)
{
    frame.connected = true;
    side.results["EmuRun"] = 5;
    Run("g = Debugger.Go(0, -1)\nle = LastError\nf = Debugger.Go(1, &H100)");
    EXPECT_EQ(Number("g"), 5);
    EXPECT_EQ(Number("le"), 5);
    EXPECT_EQ(side.calls, (std::vector<std::string>{"EmuRun(1,FFFFFFFF:1)", "EmuRun(7,100:1)"}));

    struct Row {
        const char* call;
        bool empty;  // MemDump's result
    };
    const Row rows[] = {
        {"r = IsEmpty(Debugger.MemDump(&H8000, 0))", true},
        {"r = IsEmpty(Debugger.MemDump(&HFFFFFFFE, 4))", true},
        {"r = Debugger.MemFill(&H8000, -1, 7)", false},
        {"r = Debugger.MemFill(&HFFFFFFFF, 2, 7)", false},
        {"r = Debugger.MemCopy(&H8000, 0, &H9000)", false},
        {"r = Debugger.MemCopy(&HFFFFFFF0, &H20, &H9000)", false},
        {"r = Debugger.MemCopy(&H8000, &H20, &HFFFFFFF0)", false},
    };
    for (const Row& row : rows) {
        g_lastAutomationResult = 0;
        Run(std::string(row.call) + "\nle = LastError");
        EXPECT_EQ(Number("le"), MEM_LIBRARY_ERROR) << row.call;
        if (row.empty)
            EXPECT_EQ(Number("r"), -1) << row.call;
        else
            EXPECT_EQ(Number("r"), MEM_LIBRARY_ERROR) << row.call;
    }
}

TEST_F(ScriptServerTest, HaltAndLoadEndReachTheDebuggerHandlersAndAFailingHandlerIsReported)
{
    ASSERT_TRUE(server->LoadScriptText("Dim halts, cause, loads\n"
                                       "Sub Debugger_Halt(sType)\nhalts = halts + 1\ncause = sType\nEnd Sub\n"
                                       "Sub Debugger_LoadEnd(sRSV)\nloads = loads + 1\nx = 1 / sRSV\nEnd Sub\n"));
    server->ExecuteScript("halts = 0");
    core->FireEvent(appdebug::kEventHalt, 3);
    EXPECT_EQ(Number("halts"), 1);
    EXPECT_EQ(Number("cause"), 3);

    ui.AnswerMessageBox(IDOK, "Division by zero");
    core->FireEvent(appdebug::kEventLoadEnd, 0);
    EXPECT_EQ(Number("loads"), 1);
    core->FireEvent(appdebug::kEventHalt, 1);  // the handlers still run
    EXPECT_EQ(Number("halts"), 2);
}

TEST_F(ScriptServerTest, AMacroTextThatDoesNotCompileRunsNothing)
{
    // A procedure without its End Sub, and one whose End Sub follows a NUL.
    static const char kCut[] = "Dim ran\nSub AutoDebug\nran = 2\n\0End Sub\n";
    for (const std::string& text :
         {std::string("Dim ran\nran = 1\nSub AutoDebug\nran = 2\n"), std::string(kCut, sizeof kCut - 1)}) {
        ui.AnswerMessageBox(IDOK, "Line:");  // the engine's compile error
        ASSERT_TRUE(server->LoadScriptText(text));
        ui.AnswerMessageBox(IDOK, "Line:");  // no such procedure
        server->ExecuteScript("AutoDebug");
        EXPECT_EQ(Global("ran").vt, VT_EMPTY);
        EXPECT_TRUE(server->CloseScriptEngine());
    }
}

// A designed form as LoadForm reads it: the form's default property is the
// control collection; each control has a name.
class StandInControl : public DispatchObject {
public:
    explicit StandInControl(std::string name) : name_(std::move(name)) {}

protected:
    DispatchTable Members() const override
    {
        static const DispatchMember members[] = {
            {"Name", kDispidFormControlName, MemberKind::Property, VTS_NONE, VT_BSTR, 0,
             [](DispatchObject& o, DispatchCall& c) {
                 c.Result().vt = VT_BSTR;
                 c.Result().bstrVal = SysAllocString(static_cast<StandInControl&>(o).name_.c_str());
                 return S_OK;
             }},
        };
        return members;
    }

private:
    std::string name_;
};

class StandInControls : public DispatchObject {
public:
    std::vector<std::string> names;

protected:
    DispatchTable Members() const override
    {
        static const DispatchMember members[] = {
            {"Count", kDispidFormControlCount, MemberKind::Property, VTS_NONE, VT_I4, 0,
             [](DispatchObject& o, DispatchCall& c) {
                 c.Result().vt = VT_I4;
                 c.Result().lVal = static_cast<LONG>(static_cast<StandInControls&>(o).names.size());
                 return S_OK;
             }},
            {"Item", kDispidFormControlItem, MemberKind::Method, VTS_I4, VT_DISPATCH, 0,
             [](DispatchObject& o, DispatchCall& c) {
                 c.Result().vt = VT_DISPATCH;
                 c.Result().pdispVal = new StandInControl(static_cast<StandInControls&>(o).names.at(c.I4(0)));
                 return S_OK;
             }},
        };
        return members;
    }
};

class StandInForm : public DispatchObject {
public:
    explicit StandInForm(std::vector<std::string> names) : controls_(new StandInControls)
    {
        controls_->names = std::move(names);
    }
    ~StandInForm() override { controls_->Release(); }

protected:
    DispatchTable Members() const override
    {
        static const DispatchMember members[] = {
            {"Controls", DISPID_VALUE, MemberKind::Property, VTS_NONE, VT_DISPATCH, 0,
             [](DispatchObject& o, DispatchCall& c) {
                 auto& form = static_cast<StandInForm&>(o);
                 form.controls_->AddRef();
                 c.Result().vt = VT_DISPATCH;
                 c.Result().pdispVal = form.controls_;
                 return S_OK;
             }},
        };
        return members;
    }

private:
    StandInControls* controls_;
};

TEST_F(ScriptServerTest, FormControlsAreItemsHeldWhileTheFormRunsAndDroppedWhenItStops)
{
    auto* empty = new StandInForm({});
    ASSERT_TRUE(server->LoadForm(empty));
    EXPECT_TRUE(server->HasNamedPointer("Form"));
    empty->Release();
    EXPECT_TRUE(server->CloseScriptEngine());

    const long idle = LiveObjects();
    ASSERT_TRUE(server->LoadScriptText("Dim x\n"));
    const long before = LiveObjects();
    auto* form = new StandInForm({"OkButton", "NameEdit"});
    ASSERT_TRUE(server->LoadForm(form));
    form->Release();  // the server keeps the form and its two controls alive
    EXPECT_EQ(LiveObjects(), before + 4);
    IUnknown* item = nullptr;
    ASSERT_EQ(server->ScriptSite()->GetItemInfo("OkButton", SCRIPTINFO_IUNKNOWN, &item, nullptr), S_OK);
    item->Release();
    EXPECT_EQ(server->ScriptSite()->GetItemInfo("okbutton", SCRIPTINFO_IUNKNOWN, &item, nullptr),
              TYPE_E_ELEMENTNOTFOUND);

    EXPECT_TRUE(server->CloseScriptEngine());
    EXPECT_EQ(LiveObjects(), idle);
    EXPECT_EQ(server->ScriptSite()->GetItemInfo("OkButton", SCRIPTINFO_IUNKNOWN, &item, nullptr), E_FAIL);
}

TEST_F(ScriptServerTest, WaitCountsTotalSecondsAndEndsOnEscOrAtOnceForZero)
{
    test::TickingTimers timers;
    int64_t now = 0;
    SetWaitClock([&now] { return now += 10'000; });  // each look: 10 s later
    server->Wait(61);                                // the seconds component alone never reaches 61
    EXPECT_GE(now, 61'000);

    now = 0;
    server->Wait(0);
    EXPECT_EQ(now, 20'000);  // the start, then the first message

    now = 0;
    SetWaitClock([&now] { return now; });  // time stands still: only Esc ends it
    PostMessage(frame.sink.hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    server->Wait(5);
    SetWaitClock({});
}

TEST_F(ScriptServerTest, ProgramsStartByPathWithoutAShellAndErrorTextsComeFromTheErrorLibrary)
{
    EXPECT_EQ(StartProgram("/bin/true"), 0);
    EXPECT_EQ(StartProgram("/bin/echo hello"), -1);  // no shell splits it
    EXPECT_EQ(StartProgram("/no/such/program"), -1);
    EXPECT_EQ(StartProgram(""), -1);
    EXPECT_FALSE(PlaySoundFile("/no/such/sound.wav"));

    Run("t = GetErrorStr(32856)\nc = ExecuteCommand(\"/bin/true\")");
    ZkString text;
    ErrGetText(32856, &text);
    EXPECT_EQ(String("t"), text);
    EXPECT_EQ(Number("c"), 0);
}

TEST_F(ScriptServerTest, HostCreateObjectTakesARegisteredProgIdTextOnly)
{
    zk::automation::testing::RegisterTestObject();
    Run(std::string("Set o = HostCreateObject(\"") + zk::automation::testing::kTestProgId +
        "\")\nmade = Not (o Is Nothing)\nSet o = Nothing");
    EXPECT_EQ(Number("made"), -1);
    for (const char* call : {"Set o = HostCreateObject(5)", "Set o = HostCreateObject(\"No.Such.Class\")"}) {
        ui.AnswerMessageBox(IDOK, "Scode:80070057");  // E_INVALIDARG
        Run(call);
    }
}

TEST_F(ScriptServerTest, HintBoxShowsTheTextModallyUntilItEnds)
{
    ui.RunDialog([](platform::ScriptedDialog& d) {
        EXPECT_EQ(d.text(shell::IDC_HINT_TEXT), "Halted at main");
        auto& box = static_cast<CHintBoxDlg&>(d.dialog);
        EXPECT_EQ(box.Interval(), 10u);  // lDelay 1: ticks of 10 ms
        d.dialog.OnCancel();             // Esc
    });
    Run("HintBox \"Halted at main\", 1, 4\ndone = 1");
    EXPECT_EQ(Number("done"), 1);
}

TEST_F(ScriptServerTest, StartDebugAnswersTheFramesConnectedFlag)
{
    frame.connected = false;
    Run("a = StartDebug()");
    EXPECT_EQ(Number("a"), 0);
    frame.connected = true;
    Run("b = StartDebug()");
    EXPECT_EQ(Number("b"), -1);
}

}  // namespace
}  // namespace scriptsrv

// The engine hosted as the script server hosts it: procedures known before
// connection, top-level code at connection, events bound by name, errors
// with line and column, global members, interrupts, re-entrant events and
// reference counts; and the inputs that must not bring it down.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "platform/scripted_ui.h"
#include "test_object.h"
#include "test_site.h"

namespace zk::script::testing {
namespace {

using automation::testing::kEventChanged;
using automation::testing::kRaise;

// An item whose method Run calls back into the host while the script waits.
class Hook final : public automation::DispatchObject {
public:
    std::function<void()> action;

protected:
    automation::DispatchTable Members() const override
    {
        static const automation::DispatchMember members[] = {
            {"Run", 1, automation::MemberKind::Method, VTS_NONE, VT_EMPTY, 0,
             [](automation::DispatchObject& o, automation::DispatchCall&) {
                 auto& self = static_cast<Hook&>(o);
                 if (self.action)
                     self.action();
                 return S_OK;
             }},
        };
        return members;
    }
};

class Host : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_live = automation::LiveObjects();
        automation::testing::RegisterTestObject();
        m_site = new TestSite;
        IDispatch* out = NewOutput(&m_site->output);
        m_object = automation::testing::NewTestObject();
        m_site->Put("Out", out);
        m_site->Put("Debugger", m_object);
        out->Release();
        m_engine = NewVBScriptEngine();
        ASSERT_EQ(m_engine->QueryInterface(IID_IActiveScriptParse, reinterpret_cast<void**>(&m_parse)), S_OK);
        ASSERT_EQ(m_engine->SetScriptSite(m_site), S_OK);
        ASSERT_EQ(m_parse->InitNew(), S_OK);
        m_engine->AddNamedItem("Out", SCRIPTITEM_ISVISIBLE);
        m_engine->AddNamedItem("Debugger", SCRIPTITEM_ISVISIBLE | SCRIPTITEM_ISSOURCE);
    }
    void TearDown() override
    {
        if (m_engine) {
            m_engine->Close();
            m_parse->Release();
            EXPECT_EQ(m_engine->Release(), 0u);
        }
        m_object->Release();
        m_site->Release();
        EXPECT_EQ(automation::LiveObjects(), m_live);
    }
    HRESULT Parse(const std::string& text, DWORD flags = 0, ULONG firstLine = 0, DWORD cookie = 0)
    {
        return m_parse->ParseScriptText(text.c_str(), "Scripter", nullptr, nullptr, cookie, firstLine, flags, nullptr,
                                        nullptr);
    }
    void Fire(LONG value)
    {
        automation::InvokeHelper(m_object, kRaise, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, VTS_I4, value);
    }
    std::string Output() const { return Joined(m_site->output); }

    long m_live = 0;
    TestSite* m_site = nullptr;
    IDispatch* m_object = nullptr;
    IActiveScript* m_engine = nullptr;
    IActiveScriptParse* m_parse = nullptr;
};

TEST_F(Host, ProceduresAreKnownBeforeConnectionAndTopLevelCodeRunsAtConnection)
{
    const char* macros = "Sub AutoDebug\n Out.Print \"auto\"\nEnd Sub\nOut.Print \"top\"\n''";
    ASSERT_EQ(Parse(macros, SCRIPTTEXT_ISVISIBLE), S_OK);
    EXPECT_EQ(Output(), "");  // waiting
    SCRIPTSTATE state;
    m_engine->GetScriptState(&state);
    EXPECT_EQ(state, SCRIPTSTATE_INITIALIZED);
    ASSERT_EQ(m_engine->SetScriptState(SCRIPTSTATE_CONNECTED), S_OK);
    EXPECT_EQ(Output(), "top");
    ASSERT_EQ(Parse("AutoDebug"), S_OK);  // a connected engine runs at once
    EXPECT_EQ(Output(), "top|auto");
    // Disconnect and connect again as the server's ExecuteScript does: the
    // top-level code ran once.
    m_engine->SetScriptState(SCRIPTSTATE_DISCONNECTED);
    m_engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    EXPECT_EQ(Output(), "top|auto");
    EXPECT_EQ(m_site->states,
              (std::vector<int>{SCRIPTSTATE_INITIALIZED, SCRIPTSTATE_CONNECTED, SCRIPTSTATE_DISCONNECTED,
                                SCRIPTSTATE_CONNECTED}));
    EXPECT_EQ(m_site->enters, m_site->leaves);
    EXPECT_GE(m_site->enters, 2);
}

TEST_F(Host, EventsAreBoundByNameWhileConnected)
{
    Parse("Sub Debugger_Changed(v)\n Out.Print \"changed \" & v\nEnd Sub");
    Fire(1);  // not connected yet
    m_engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    Fire(2);
    m_engine->SetScriptState(SCRIPTSTATE_DISCONNECTED);
    Fire(3);
    m_engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    Fire(4);
    EXPECT_EQ(Output(), "changed 2|changed 4");
}

TEST_F(Host, EventsFiredWhileTheScriptWaitsRunWithTheirOwnFramesAndErrorState)
{
    m_engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    Parse("Sub Debugger_Changed(v)\n Out.Print \"event \" & Err.Number & \" \" & v\n x = 1 / 0\n Out.Print \"no\"\n"
          "End Sub\n"
          "v = \"main\"\nOn Error Resume Next\ny = CInt(\"x\")\nDebugger.Raise 5\nOut.Print v & \" \" & Err.Number");
    EXPECT_EQ(Output(), "event 0 5|main 13");
    ASSERT_EQ(m_site->errors.size(), 1u);  // the event's own error, reported
    EXPECT_EQ(m_site->errors[0].number, 11);
    EXPECT_EQ(m_site->errors[0].line, 3u);
    EXPECT_EQ(m_site->maxDepth, 2);
}

TEST_F(Host, ErrorsCarryTheCookieAndTheFirstLine)
{
    m_engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    EXPECT_EQ(Parse("x = 1\n  y = 1 / 0", 0, 10, 77), SCRIPT_E_REPORTED);
    ASSERT_EQ(m_site->errors.size(), 1u);
    EXPECT_EQ(m_site->errors[0].line, 12u);
    EXPECT_EQ(m_site->errors[0].column, 2);
    EXPECT_EQ(m_site->errors[0].lineText, "  y = 1 / 0");
}

TEST_F(Host, GlobalMembersAreCalledWithoutPrefix)
{
    IDispatch* scripter = automation::testing::NewTestObject();
    m_site->Put("Scripter", scripter);
    scripter->Release();
    m_engine->AddNamedItem("Scripter", SCRIPTITEM_ISVISIBLE | SCRIPTITEM_ISSOURCE | SCRIPTITEM_GLOBALMEMBERS);
    m_engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    Parse("Name = \"global\"\nOut.Print Name & \" \" & Add(1, 2) & \" \" & Scripter.Count");
    EXPECT_EQ(Output(), "global 3 6");
    EXPECT_TRUE(m_site->errors.empty());
}

TEST_F(Host, MsgBoxAndInputBoxGoThroughTheModalService)
{
    platform::ScriptedUi ui;
    platform::ModalUiScope scope(ui);
    ui.AnswerMessageBox(IDNO, "Continue?");
    m_engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    Parse("r = MsgBox(\"Continue?\", vbYesNo + vbQuestion, \"Macro\")\nOut.Print r & \" \" & (r = vbNo)");
    EXPECT_EQ(Output(), "7 True");
    ASSERT_EQ(ui.Requests().size(), 1u);
    EXPECT_EQ(ui.Requests()[0].messageBox.caption, "Macro");
    EXPECT_EQ(ui.Requests()[0].messageBox.type, 4u | 32u);
    ui.AnswerText("typed", "Name?").CancelText();
    Parse("Out.Print InputBox(\"Name?\", \"Macro\", \"def\") & \"|\" & Len(InputBox(\"Again?\"))");
    EXPECT_EQ(Output(), "7 True|typed|0");
    ASSERT_EQ(ui.Requests().size(), 3u);
    EXPECT_EQ(ui.Requests()[1].text.title, "Macro");
    EXPECT_EQ(ui.Requests()[1].text.text, "def");
    EXPECT_EQ(ui.Requests()[2].text.title, "VBScript");
    EXPECT_TRUE(ui.Failures().empty());
}

TEST_F(Host, InterruptEndsAnEndlessLoop)
{
    // The script says when it has printed and entered its loop: an interrupt
    // from another thread that came earlier would end it before the print.
    auto* ready = new Hook;
    std::atomic<bool> looping{false};
    ready->action = [&looping] { looping = true; };
    m_site->Put("Ready", ready);
    m_engine->AddNamedItem("Ready", SCRIPTITEM_ISVISIBLE);
    m_engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    std::thread stopper([this, &looping] {
        while (!looping)
            std::this_thread::yield();
        m_engine->InterruptScriptThread(SCRIPTTHREADID_BASE, nullptr, 0);
    });
    HRESULT hr = Parse("Out.Print \"start\"\nReady.Run\nDo\nLoop\nOut.Print \"never\"");
    stopper.join();
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(Output(), "start");
    SCRIPTTHREADSTATE s;
    m_engine->GetScriptThreadState(SCRIPTTHREADID_BASE, &s);
    EXPECT_EQ(s, SCRIPTTHREADSTATE_NOTINSCRIPT);
    // A For loop with a zero step and an empty body heeds the interrupt too.
    looping = false;
    std::thread again([this, &looping] {
        while (!looping)
            std::this_thread::yield();
        m_engine->InterruptScriptThread(SCRIPTTHREADID_BASE, nullptr, 0);
    });
    EXPECT_TRUE(FAILED(Parse("Ready.Run\nFor i = 1 To 2 Step 0 : Next")));
    again.join();
    m_engine->InterruptScriptThread(SCRIPTTHREADID_BASE, nullptr, 0);  // nothing runs: no effect
    Parse("Out.Print \"again\"");                                      // the next script runs
    EXPECT_EQ(Output(), "start|again");
    ready->Release();
}

TEST_F(Host, ScriptDispatchCallsProceduresAndOutlivesTheEngine)
{
    m_engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    Parse("Function Twice(n)\n Twice = n * 2\nEnd Function\nSet e = Err");
    IDispatch* script = nullptr;
    ASSERT_EQ(m_engine->GetScriptDispatch(nullptr, &script), S_OK);
    VARIANT result;
    VariantInit(&result);
    DISPID id = 0;
    char name[] = "twice";
    LPOLESTR names[] = {name};
    ASSERT_EQ(script->GetIDsOfNames(GUID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(automation::InvokeHelper(script, id, DISPATCH_METHOD, VT_I4, &result, nullptr, VTS_I4, 21), S_OK);
    EXPECT_EQ(result.lVal, 42);
    // The script's Err object, kept by the host after the engine closed.
    char ename[] = "e";
    LPOLESTR enames[] = {ename};
    ASSERT_EQ(script->GetIDsOfNames(GUID_NULL, enames, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    VARIANT err;
    VariantInit(&err);
    ASSERT_EQ(automation::InvokeHelper(script, id, DISPATCH_PROPERTYGET, VT_DISPATCH, &err, nullptr, VTS_NONE), S_OK);
    m_engine->Close();
    EXPECT_EQ(automation::InvokeHelper(script, 1, DISPATCH_METHOD, VT_I4, &result, nullptr, VTS_I4, 1), E_UNEXPECTED);
    VARIANT number;
    VariantInit(&number);
    EXPECT_EQ(
        automation::InvokeHelper(err.pdispVal, DISPID_VALUE, DISPATCH_PROPERTYGET, VT_I4, &number, nullptr, VTS_NONE),
        S_OK);
    EXPECT_EQ(number.lVal, 0);
    VariantClear(&err);
    script->Release();
}

TEST_F(Host, HostMayCloseOrInterruptTheEngineWhileTheScriptWaitsInAMember)
{
    auto* hook = new Hook;
    m_site->Put("Hook", hook);
    m_engine->AddNamedItem("Hook", SCRIPTITEM_ISVISIBLE);
    m_engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    // An interrupt while the script waits ends it at its next statement.
    hook->action = [this] { m_engine->InterruptScriptThread(SCRIPTTHREADID_BASE, nullptr, 0); };
    Parse("Out.Print \"a\"\nHook.Run\nOut.Print \"b\"");
    EXPECT_EQ(Output(), "a");
    // Closed from inside: the script ends, nothing it held is used again.
    hook->action = [this] { m_engine->Close(); };
    Parse("Set keep = Debugger\nHook.Run\nOut.Print \"c\"\nkeep.Name = \"x\"");
    EXPECT_EQ(Output(), "a");
    SCRIPTSTATE state;
    m_engine->GetScriptState(&state);
    EXPECT_EQ(state, SCRIPTSTATE_CLOSED);
    hook->Release();
}

TEST_F(Host, OtherScriptRunsWithItsOwnErrorStateWhileTheFirstWaits)
{
    auto* hook = new Hook;
    m_site->Put("Hook", hook);
    m_engine->AddNamedItem("Hook", SCRIPTITEM_ISVISIBLE);
    m_engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    Parse("Dim depth\nSub Helper(n)\n Out.Print \"helper \" & n & \" \" & Err.Number\n depth = depth + 1\nEnd Sub");
    hook->action = [this] { Parse("On Error Resume Next\nx = 1 / 0\nHelper 2\nOut.Print \"nested \" & Err.Number"); };
    Parse("On Error Resume Next\nErr.Raise 7\nHelper 1\nHook.Run\nOut.Print \"outer \" & Err.Number & \" \" & depth");
    EXPECT_EQ(Output(), "helper 1 7|helper 2 11|nested 11|outer 7 2");
    EXPECT_TRUE(m_site->errors.empty());
    EXPECT_EQ(m_site->maxDepth, 2);
    hook->Release();
}

TEST_F(Host, ClosedEngineRefusesWork)
{
    m_engine->Close();
    EXPECT_EQ(Parse("x = 1"), E_UNEXPECTED);
    EXPECT_EQ(m_engine->SetScriptState(SCRIPTSTATE_CONNECTED), E_UNEXPECTED);
    EXPECT_EQ(m_engine->AddNamedItem("X", 0), E_UNEXPECTED);
    SCRIPTSTATE state;
    m_engine->GetScriptState(&state);
    EXPECT_EQ(state, SCRIPTSTATE_CLOSED);
}

TEST_F(Host, CompileErrorInConnectedEngineRunsNothingOfItsText)
{
    m_engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    EXPECT_EQ(Parse("Out.Print \"a\"\nSub F\n"), SCRIPT_E_REPORTED);
    EXPECT_EQ(Output(), "");
    ASSERT_EQ(m_site->errors.size(), 1u);
    EXPECT_EQ(m_site->errors[0].source, "VBScript compilation error");
    // The engine stays usable.
    EXPECT_EQ(Parse("Out.Print \"b\""), S_OK);
    EXPECT_EQ(Output(), "b");
}

TEST_F(Host, ExpressionTextGivesItsValue)
{
    m_engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(
        m_parse->ParseScriptText("6 * 7", nullptr, nullptr, nullptr, 0, 0, SCRIPTTEXT_ISEXPRESSION, &result, nullptr),
        S_OK);
    EXPECT_EQ(result.vt, VT_I2);
    EXPECT_EQ(result.iVal, 42);
}

TEST(ScriptLimits, LargeInputsAndDeepRecursionEndCleanly)
{
    // A 10 MB line.
    std::string big(10 << 20, 'a');
    RunResult r = RunScript("x = \"" + big + "\"\nOut.Print Len(x)");
    EXPECT_EQ(Joined(r.output), std::to_string(10 << 20));
    // 100,000 procedures.
    std::string many;
    for (int i = 0; i < 100000; ++i)
        many += "Function P" + std::to_string(i) + "\n P" + std::to_string(i) + " = " + std::to_string(i) +
            "\nEnd Function\n";
    r = RunScript(many + "Out.Print P99999 + P1");
    EXPECT_EQ(Joined(r.output), "100000");
    // Recursion a million deep ends with error 28.
    r = RunScript("Function R(n)\n If n < 1000000 Then R = R(n + 1)\nEnd Function\nOut.Print R(0)");
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_EQ(r.errors[0].number, 28);
    // Nesting past the bound is a compile error with its line.
    std::string deep = "x = 1\ny = " + std::string(5000, '(') + "1" + std::string(5000, ')');
    r = RunScript(deep);
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_EQ(r.errors[0].number, 28);
    EXPECT_EQ(r.errors[0].line, 2u);
    std::string ifs;
    for (int i = 0; i < 1000; ++i)
        ifs += "If x Then\n";
    r = RunScript(ifs);
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_EQ(r.errors[0].source, "VBScript compilation error");
    // Bytes that are no text: a program or a compile error, never more.
    r = RunScript("x = \"\xff\xfe\"\nOut.Print Len(x)\n\xc3");
    EXPECT_EQ(Joined(r.output), "2");
    EXPECT_LE(r.errors.size(), 1u);
}

}  // namespace
}  // namespace zk::script::testing

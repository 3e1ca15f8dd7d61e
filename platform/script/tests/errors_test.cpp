// Faulty scripts: the error number, SCODE and source the site is told of,
// the line (1-based) and column, and what ran before the error. A compile
// error runs nothing of its text; a run-time error ends the script.
#include <gtest/gtest.h>

#include "test_site.h"

namespace zk::script::testing {
namespace {

struct Faulty {
    const char* script;
    int number;
    unsigned line;
    long column;
    const char* output;         // what ran before
    const char* mentions = "";  // a word the description holds
};

const Faulty kCompile[] = {
    {"Out.Print \"a\"\nx = 1 +", 1023, 2, 7, ""},
    {"Out.Print \"a\"\nx = \"abc", 1033, 2, 4, ""},
    {"Out.Print \"a\"\nIf x Then\n y = 1\n", 1014, 4, 0, ""},
    {"Out.Print \"a\"\nx = 1 2", 1025, 2, 6, ""},
    {"Dim 3", 1010, 1, 4, ""},
    {"Sub F(a, b)\nEnd Sub\nF(1, 2)", 1044, 3, 1, ""},
    {"Out.Print 1\nClass Foo\nEnd Class", 1002, 2, 0, "", "Class"},
    {"x = Eval(\"1\")", 1002, 1, 4, "", "Eval"},
    {"With Obj\nEnd With", 1002, 1, 0, "", "With"},
    {"x = GetRef(\"F\")", 1002, 1, 4, "", "GetRef"},
    {"Execute \"x = 1\"", 1002, 1, 0, "", "Execute"},
    {"Property Get P\nEnd Property", 1002, 1, 0, "", "Property"},
    {"Exit For", 1039, 1, 5, ""},
    {"Loop", 1038, 1, 0, ""},
    {"Dim a\nDim a", 1041, 2, 4, ""},
    {"x = 1 : Option Explicit", 1042, 1, 8, ""},
    {"x = 1 @ 2", 1032, 1, 6, ""},
    {"For i = 1 To 2\nOut.Print i\n", 1020, 3, 0, ""},
    {"Do\nx = 1\nLoop Until", 1023, 3, 10, ""},
    {"Select Case x\nCase 1\n", 1022, 3, 0, ""},
    {"Sub F\nSub G\nEnd Sub", 1024, 2, 0, ""},
    {"x = (1 + 2", 1006, 1, 10, ""},
    {"If x Then y = 1 Else", 1024, 1, 20, ""},
};

const Faulty kRuntime[] = {
    {"Out.Print \"a\"\nx = 1 / 0\nOut.Print \"b\"", 11, 2, 0, "a"},
    {"x = 0 / 0", 6, 1, 0, ""},
    {"Dim a(2)\nOut.Print 1\n  a(5) = 1", 9, 3, 2, "1"},
    {"x = CInt(40000)", 6, 1, 0, ""},
    {"x = \"a\" * 2", 13, 1, 0, ""},
    {"Out.Print 1\nFoo 1", 13, 2, 0, "1", "Foo"},
    {"Set x = 5", 424, 1, 0, ""},
    {"Obj.Nope", 438, 1, 0, "", "Nope"},
    {"Set o = CreateObject(\"No.Such\")", 429, 1, 0, "", "No.Such"},
    {"Option Explicit\nx = 1", 500, 2, 0, "", "x"},
    {"Sub F(a)\nEnd Sub\nF 1, 2", 450, 3, 0, ""},
    {"Sub F\n Out.Print \"in\"\n y = 1 / 0\nEnd Sub\nF\nOut.Print \"after\"", 11, 3, 1, "in"},
    {"Sub R(n)\n R n + 1\nEnd Sub\nR 0", 28, 2, 1, ""},
    {"x = Len(CStr(Null))", 94, 1, 0, ""},
    {"Set o = Nothing\no.Name = 1", 424, 2, 0, ""},
    {"Err.Raise 1000", 1000, 1, 0, ""},
    {"For Each x In 5\nNext", 451, 1, 0, ""},
    {"x = Array(1)\nOut.Print x(1)", 9, 2, 0, ""},
    {"x = Mid(\"abc\", 0)", 5, 1, 0, ""},
    {"Dim a(1)\nReDim a(2)", 10, 2, 0, ""},
    {"x = Chr(-1)", 5, 1, 0, ""},
    {"x = UBound(5)", 13, 1, 0, ""},
    {"On Error Resume Next\nOn Error GoTo 0\nx = 1 / 0\nOut.Print \"no\"", 11, 3, 0, ""},
};

void Check(const Faulty& f, bool compile)
{
    const long live = automation::LiveObjects();
    RunResult r = RunScript(f.script);
    EXPECT_EQ(Joined(r.output), f.output) << f.script;
    ASSERT_EQ(r.errors.size(), 1u) << f.script;
    const ReportedError& e = r.errors[0];
    EXPECT_EQ(e.number, f.number) << f.script << ": " << e.description;
    EXPECT_EQ(e.scode, 0x800A0000u | static_cast<uint32_t>(f.number)) << f.script;
    EXPECT_EQ(e.source, compile ? "VBScript compilation error" : "VBScript runtime error") << f.script;
    EXPECT_EQ(e.line, f.line) << f.script;
    EXPECT_EQ(e.column, f.column) << f.script;
    EXPECT_NE(e.description.find(f.mentions), std::string::npos) << e.description;
    EXPECT_FALSE(e.description.empty()) << f.script;
    EXPECT_EQ(automation::LiveObjects(), live) << f.script;
}

TEST(ScriptErrors, CompileErrorsRunNothing)
{
    for (const Faulty& f : kCompile)
        Check(f, true);
}

TEST(ScriptErrors, RuntimeErrorsEndTheScript)
{
    for (const Faulty& f : kRuntime)
        Check(f, false);
}

TEST(ScriptErrors, MemberErrorsKeepTheirCodeSourceAndText)
{
    RunResult r = RunScript("Out.Print 1\nObj.Fail\nOut.Print 2");
    EXPECT_EQ(Joined(r.output), "1");
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_EQ(r.errors[0].scode, 0x80040203u);
    EXPECT_EQ(r.errors[0].source, "Zelkor.TestObject");
    EXPECT_EQ(r.errors[0].description, "The operation failed");
    EXPECT_EQ(r.errors[0].line, 2u);
    EXPECT_EQ(r.errors[0].lineText, "Obj.Fail");
}

}  // namespace
}  // namespace zk::script::testing

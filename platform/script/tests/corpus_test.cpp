// Scripts as a user writes them, each with the output the language
// reference gives (the rule beside it), printed through the "Out" item.
#include <gtest/gtest.h>

#include "test_site.h"

namespace zk::script::testing {
namespace {

struct Case {
    const char* rule;
    const char* script;
    const char* output;  // lines joined with '|'
};

const Case kCases[] = {
    // Procedures and arguments.
    {"ByRef is the default; a parenthesised argument is a copy",
     "Sub Inc(n)\n n = n + 1\nEnd Sub\nx = 1\nInc x\nOut.Print x\nInc (x)\nOut.Print x\nCall Inc(x)\nOut.Print x",
     "2|2|3"},
    {"Array elements go ByRef too; in parentheses they are copies",
     "Sub Swap(a, b)\n t = a : a = b : b = t\nEnd Sub\nSub Grow(n)\n ReDim x(9) : n = 1\nEnd Sub\nx = Array(1, 2, 3)\n"
     "Swap x(0), x(2)\nOut.Print Join(x, \",\")\nSwap (x(0)), x(1)\nOut.Print Join(x, \",\")\nGrow x(0)\n"
     "Out.Print UBound(x) & x(0)",
     "3,2,1|3,3,1|91"},
    {"ByVal parameters are copies",
     "Sub S(ByVal a, ByRef b)\n a = 10 : b = 20\nEnd Sub\nx = 1 : y = 2\nS x, y\nOut.Print x & \",\" & y", "1,20"},
    {"Functions return by their name; recursion",
     "Function Fact(n)\n If n <= 1 Then\n  Fact = 1\n Else\n  Fact = n * Fact(n - 1)\n End If\nEnd Function\n"
     "Out.Print Fact(10)",
     "3628800"},
    {"Exit Sub and Exit Function",
     "Function F(x)\n F = 1\n If x Then Exit Function\n F = 2\nEnd Function\nSub S\n Out.Print \"a\"\n Exit Sub\n "
     "Out.Print \"b\"\nEnd Sub\nOut.Print F(True) & F(False)\nS",
     "12|a"},
    {"Procedures are known before the top-level code that calls them",
     "Out.Print Later()\nFunction Later\n Later = "
     "\"ok\"\nEnd Function",
     "ok"},
    {"Public and Private procedures",
     "Private Sub P\n Out.Print \"p\"\nEnd Sub\nPublic Function Q\n Q = 5\nEnd "
     "Function\nP\nOut.Print Q",
     "p|5"},
    // Control flow.
    {"If, ElseIf, Else and the one-line form",
     "For i = 1 To 3\n If i = 1 Then\n  Out.Print \"one\"\n ElseIf i = 2 Then\n  Out.Print \"two\"\n Else\n  Out.Print "
     "\"many\"\n End If\nNext\nIf True Then Out.Print \"a\" : Out.Print \"b\" Else Out.Print \"c\"\nIf False Then "
     "Out.Print \"x\" Else Out.Print \"y\"",
     "one|two|many|a|b|y"},
    {"Select Case with lists, To, Is and Else",
     "For Each v In Array(1, 5, 12, 40, \"x\")\n Select Case v\n  Case 1, 2: Out.Print \"small\"\n  Case 3 To 10: "
     "Out.Print \"mid\"\n  Case \"x\": Out.Print \"text\"\n  Case Is > 30: Out.Print \"big\"\n  Case Else: Out.Print "
     "\"other\"\n End Select\nNext",
     "small|mid|other|big|text"},
    {"For with Step, negative Step and Exit For",
     "s = \"\"\nFor i = 10 To 1 Step -3\n s = s & i & \" \"\nNext\nOut.Print s\nFor i = 1 To 100\n If i = 4 Then Exit "
     "For\nNext\nOut.Print i\nFor j = 1 To 0\n Out.Print \"never\"\nNext\nOut.Print j",
     "10 7 4 1 |4|1"},
    {"For counter after a full loop is one step past the end", "For i = 1 To 3 : Next\nOut.Print i", "4"},
    {"Do While, Do Until, Loop While, Loop Until, Exit Do, While/Wend",
     "n = 0\nDo While n < 3\n n = n + 1\nLoop\nOut.Print n\nDo Until n = 0\n n = n - 1\nLoop\nOut.Print n\nDo\n n = n "
     "+ 5\nLoop While n < 3\nOut.Print n\nDo\n n = n + 1\nLoop Until True\nOut.Print n\nDo\n n = n + 1\n If n > 9 Then "
     "Exit Do\nLoop\nOut.Print n\nWhile n > 7\n n = n - 1\nWend\nOut.Print n",
     "3|0|5|6|10|7"},
    {"Comments, Rem, line continuation and ':'",
     "' a comment\nRem another\nx = 1 + _\n    2 ' trailing\nOut.Print x : Out.Print \"b\"", "3|b"},
    // Declarations.
    {"Dim, Const, Option Explicit", "Option Explicit\nDim a, b\nConst Pi = 3.5\na = 2 : b = Pi * a\nOut.Print b", "7"},
    {"Arrays: Dim with bounds, ReDim, ReDim Preserve, UBound, LBound",
     "Dim a(2)\na(0) = \"x\" : a(2) = \"z\"\nOut.Print UBound(a) & LBound(a) & a(0) & a(2)\nReDim b(1)\nb(1) = "
     "5\nReDim "
     "Preserve b(3)\nOut.Print UBound(b) & \":\" & b(1)\nReDim b(2)\nOut.Print IsEmpty(b(1))\nDim m(1, 2)\nm(1, 2) = "
     "9\nOut.Print UBound(m, 2) & m(1, 2)",
     "20xz|3:5|True|29"},
    {"Dim a() is a dynamic array without elements until ReDim",
     "Dim a()\nOut.Print IsArray(a) & UBound(a)\nReDim a(1)\na(1) = \"x\"\nOut.Print UBound(a) & a(1)", "True-1|1x"},
    {"Arrays are copied on assignment", "a = Array(1, 2)\nb = a\nb(0) = 9\nOut.Print a(0) & b(0)", "19"},
    {"Erase of a dynamic array empties it", "ReDim a(3)\nErase a\nOut.Print IsArray(a) & \" \" & IsEmpty(a)",
     "False True"},
    // Types, literals and operators.
    {"&H and &O literals: four hex digits are an Integer",
     "Out.Print &HFFFF\nOut.Print &HFFFF&\nOut.Print &H10000\nOut.Print &O17\nOut.Print TypeName(&HFF)",
     "-1|65535|65536|15|Integer"},
    {"Integer overflow promotes to Long, Long to Double",
     "Out.Print TypeName(32767 + 1) & \" \" & (32767 + 1)\nOut.Print TypeName(2147483647 + 1)\nOut.Print TypeName(1 + "
     "1)\nOut.Print TypeName(100000 * 100000)",
     "Long 32768|Double|Integer|Double"},
    {"/ always gives a Double; \\ and Mod round their operands to whole numbers first",
     "Out.Print TypeName(4 / 2)\nOut.Print 7 \\ 2\nOut.Print 2.5 \\ 1\nOut.Print 3.5 \\ 1\nOut.Print -7 \\ "
     "2\nOut.Print 7 "
     "Mod 3\nOut.Print -7 Mod 3\nOut.Print 5.5 Mod 3",
     "Double|3|2|4|-3|1|-1|0"},
    {"^ and unary minus: -2^2 is -4", "Out.Print 2 ^ 10\nOut.Print -2 ^ 2\nOut.Print 2 ^ -1", "1024|-4|0.5"},
    {"& converts to text; + of two strings concatenates, of a number and a numeric string adds",
     "Out.Print 1 & 2\nOut.Print \"1\" + \"2\"\nOut.Print \"1\" + 2\nOut.Print TypeName(\"1\" + 2)", "12|12|3|Double"},
    {"Comparison: numbers, strings (binary), a number is less than a string",
     "Out.Print (2 < 10)\nOut.Print (\"2\" < \"10\")\nOut.Print (\"a\" < \"B\")\nOut.Print (\"abc\" = \"abc\")",
     "True|False|False|True"},
    {"Logic is 32-bit bitwise on numbers, Boolean on Booleans",
     "Out.Print 12 And 10\nOut.Print 12 Or 3\nOut.Print 12 Xor 10\nOut.Print Not 0\nOut.Print Not True\nOut.Print True "
     "Eqv False\nOut.Print False Imp False\nOut.Print TypeName(1 And 1&)",
     "8|15|6|-1|False|False|True|Long"},
    {"Empty in expressions is 0 or the empty string",
     "Out.Print e + 1\nOut.Print \"[\" & e & \"]\"\nOut.Print TypeName(e)\nOut.Print (e = 0) & (e = \"\")",
     "1|[]|Empty|TrueTrue"},
    {"Null propagates through arithmetic and comparison; & treats it as empty",
     "n = Null\nOut.Print IsNull(n + 1)\nOut.Print IsNull(n = 1)\nOut.Print \"a\" & n & \"b\"\nOut.Print IsNull(n & "
     "n)\nOut.Print False And n\nOut.Print True Or n\nIf n Then Out.Print \"t\" Else Out.Print \"f\"",
     "True|True|ab|True|False|True|f"},
    {"Booleans print as True and False; True is -1", "Out.Print True\nOut.Print CInt(True)\nOut.Print True + True",
     "True|-1|-2"},
    // Conversions.
    {"CStr of doubles keeps 15 significant digits",
     "Out.Print CStr(0.1 + 0.2)\nOut.Print CStr(1 / 3)\nOut.Print CStr(1E+20)\nOut.Print CStr(2.5)\nOut.Print "
     "CStr(-0.000001)\nOut.Print CStr(123456789012345678)",
     "0.3|0.333333333333333|1E+20|2.5|-1E-06|1.23456789012346E+17"},
    {"CInt and CLng round half to even", "Out.Print CInt(2.5) & CInt(3.5) & CInt(-2.5)\nOut.Print CLng(\"42\")",
     "24-2|42"},
    {"Hex and Oct of negatives: Integer values in 16 bits, Long in 32",
     "Out.Print Hex(-1)\nOut.Print Hex(-1&)\nOut.Print Hex(255)\nOut.Print Hex(CInt(-32768))\nOut.Print "
     "Hex(65535)\nOut.Print "
     "Oct(8)\nOut.Print Oct(-1)",
     "FFFF|FFFFFFFF|FF|8000|FFFF|10|177777"},
    {"CBool, CByte, CDbl", "Out.Print CBool(\"true\") & CBool(0)\nOut.Print CByte(255)\nOut.Print CDbl(\"1.5\") * 2",
     "TrueFalse|255|3"},
    // String functions at their edges.
    {"Len, Left, Right, Mid",
     "s = \"Hello\"\nOut.Print Len(s) & Left(s, 2) & Right(s, 3) & Mid(s, 2, 3) & Mid(s, 4)\n"
     "Out.Print \"[\" & Left(s, 0) & Left(s, 99) & Mid(s, 9) & \"]\"\nOut.Print IsNull(Len(Null))",
     "5Helloelllo|[Hello]|True"},
    {"InStr and InStrRev",
     "Out.Print InStr(\"abcabc\", \"c\")\nOut.Print InStr(4, \"abcabc\", \"c\")\nOut.Print "
     "InStr(\"abc\", \"\")\nOut.Print InStr(1, \"ABC\", \"b\", 1)\nOut.Print InStr(\"abc\", "
     "\"z\")\nOut.Print InStrRev(\"abcabc\", \"b\")\nOut.Print InStrRev(\"abcabc\", \"b\", 4)",
     "3|6|1|2|0|5|2"},
    {"Replace, including start and count",
     "Out.Print Replace(\"a-b-c\", \"-\", \"+\")\nOut.Print Replace(\"a-b-c\", \"-\", \"\", 1, 1)\nOut.Print "
     "Replace(\"a-b-c\", \"-\", \"+\", 3)\nOut.Print Replace(\"AbA\", \"a\", \"x\", 1, -1, 1)",
     "a+b+c|ab-c|b+c|xbx"},
    {"UCase, LCase, Trim, LTrim, RTrim, Space, String",
     "Out.Print UCase(\"aB\") & LCase(\"aB\")\nOut.Print \"[\" & Trim(\"  x  \") & \"][\" & LTrim(\" x \") & \"][\" & "
     "RTrim(\" x \") & \"]\"\nOut.Print \"[\" & Space(3) & \"]\" & String(3, \"ab\") & String(2, 65)",
     "ABab|[x][x ][ x]|[   ]aaaAA"},
    {"Split and Join",
     "a = Split(\"a,b,,c\", \",\")\nOut.Print UBound(a) & \":\" & Join(a, \"/\")\nb = Split(\"\")\n"
     "Out.Print UBound(b)\nc = Split(\"x y z\", \" \", 2)\nOut.Print c(1)\nOut.Print Join(Array(1, "
     "2, 3))",
     "3:a/b//c|-1|y z|1 2 3"},
    {"Chr, Asc, StrComp",
     "Out.Print Chr(65) & Asc(\"a\")\nOut.Print StrComp(\"a\", \"B\") & StrComp(\"a\", \"B\", 1) "
     "& StrComp(\"b\", \"b\")",
     "A97|1-10"},
    // Inspection.
    {"TypeName and VarType",
     "Dim a(1)\nOut.Print TypeName(1) & \" \" & TypeName(1.5) & \" \" & TypeName(\"s\") & \" \" & TypeName(Null) & \" "
     "\" "
     "& TypeName(a) & \" \" & TypeName(Nothing) & \" \" & TypeName(CByte(1))\nOut.Print VarType(1) & \" \" & "
     "VarType(\"s\") & \" \" & VarType(a)",
     "Integer Double String Null Variant() Nothing Byte|2 8 8204"},
    {"IsNumeric, IsEmpty, IsObject, IsArray",
     "Out.Print IsNumeric(\"12\") & IsNumeric(\"x\") & IsNumeric(Empty) & IsEmpty(x) & IsObject(Obj) & "
     "IsArray(Array())",
     "TrueFalseTrueTrueTrueTrue"},
    {"Int, Fix, Abs, Sgn, Round (half to even)",
     "Out.Print Int(-2.5) & \" \" & Fix(-2.5) & \" \" & Int(2.7)\nOut.Print Abs(-3) & Sgn(-4) & Sgn(0)\nOut.Print "
     "Round(2.5) & Round(3.5) & \" \" & Round(1.2345, 2)",
     "-3 -2 2|3-10|24 1.23"},
    {"Rnd after Randomize with a seed repeats its sequence",
     "Rnd -1\nRandomize 7\na = Rnd\nRnd -1\nRandomize 7\nb = Rnd\nOut.Print (a = b) & (a >= 0 And a < 1)", "TrueTrue"},
    {"Now, Date, Time and Timer", "Out.Print TypeName(Now) & TypeName(Date) & (Timer >= 0) & (Int(Now) = Date)",
     "DateDateTrueTrue"},
    // Objects.
    {"Members: get, put, default member, returned objects, Is Nothing",
     "Out.Print Obj.Name\nObj.Name = \"abc\"\nOut.Print Obj.Name & Obj.Count\nOut.Print Obj + 1\nObj.Value = "
     "5\nOut.Print "
     "Obj\nOut.Print Obj.Child Is Nothing\nSet Obj.Child = Obj\nOut.Print Obj.Child.Name\nOut.Print Obj.Child Is "
     "Obj\nSet Obj.Child = Nothing\nOut.Print Obj.Child Is Nothing",
     "unnamed|abc3|8|5|True|abc|True|True"},
    {"Methods with optional and missing arguments",
     "Out.Print Obj.Add(1)\nOut.Print Obj.Add(1, 2)\nOut.Print Obj.Join(\"a\", \"b\")\nOut.Print Obj.Join(\"a\", "
     "\"b\", "
     "\"-\")",
     "101|3|a,b|a-b"},
    {"For Each over a collection; its items by the default member",
     "For Each s In Obj.Items\n Out.Print s\nNext\nSet c = Obj.Items\nOut.Print c(2) & c.Count", "one|two|three|two3"},
    {"CreateObject through the class registry; Set and Nothing",
     "Set o = CreateObject(\"Zelkor.TestObject\")\no.Name = \"new\"\nOut.Print o.Name & IsObject(o)\nSet o = Nothing\n"
     "Out.Print o Is Nothing",
     "newTrue|True"},
    {"A script keeps an object after letting others go",
     "Set a = CreateObject(\"Zelkor.TestObject\")\nSet b = a\nSet "
     "a = Nothing\nb.Name = \"kept\"\nOut.Print b.Name",
     "kept"},
    // Errors handled by the script.
    {"On Error Resume Next and Err",
     "On Error Resume Next\nx = 1 / 0\nOut.Print Err.Number & \" \" & Err.Description\n"
     "Err.Clear\nOut.Print Err.Number\nErr.Raise 5\nOut.Print Err.Number & Err.Source\n"
     "On Error GoTo 0\nOut.Print Err.Number",
     "11 Division by zero|0|5VBScript runtime error|0"},
    {"A member's failure reaches Err with its HRESULT, source and description",
     "On Error Resume Next\nObj.Fail\nOut.Print Hex(Err.Number) & \"|\" & Err.Source & \"|\" & Err.Description",
     "80040203|Zelkor.TestObject|The operation failed"},
    {"An error in a called procedure without a handler goes to the caller's handler",
     "Sub Bad\n Out.Print \"in\"\n x = CInt(\"x\")\n Out.Print \"not reached\"\nEnd Sub\nOn Error Resume Next\nBad\n"
     "Out.Print Err.Number",
     "in|13"},
    {"Err.Raise with a source and description",
     "On Error Resume Next\nErr.Raise 1000, \"Me\", \"Mine\"\nOut.Print "
     "Err.Number & Err.Source & Err.Description",
     "1000MeMine"},
    // Events.
    {"Events call the procedure item_event, fired while the script waits in a member",
     "Sub Obj_Changed(v)\n Out.Print \"changed \" & v\nEnd Sub\nObj.Raise 4\nOut.Print \"after\"", "changed 4|after"},
};

class Corpus : public ::testing::TestWithParam<Case> {};

TEST_P(Corpus, PrintsWhatTheReferenceGives)
{
    const Case& c = GetParam();
    const long live = automation::LiveObjects();
    RunResult r = RunScript(c.script);
    EXPECT_EQ(Joined(r.output), c.output) << c.rule;
    for (const ReportedError& e : r.errors)
        ADD_FAILURE() << c.rule << ": error " << e.number << " " << e.description << " line " << e.line;
    EXPECT_EQ(automation::LiveObjects(), live) << c.rule;
}

INSTANTIATE_TEST_SUITE_P(Scripts, Corpus, ::testing::ValuesIn(kCases));

}  // namespace
}  // namespace zk::script::testing

#include <gtest/gtest.h>

#include "syntax_lexer.h"

namespace textcore {
namespace {

using Spans = std::vector<CColourSpan>;

Spans Lex(std::string_view line, TextColourMode mode, LexerState& state, int compilerKind = 0)
{
    CSyntaxLexer lexer(line, mode, state, [compilerKind] { return compilerKind; });
    lexer.Parse();
    return lexer.Spans();
}

Spans Lex(std::string_view line, TextColourMode mode, int compilerKind = 0)
{
    LexerState state;
    return Lex(line, mode, state, compilerKind);
}

struct LexCase {
    const char* line;
    TextColourMode mode;
    int compilerKind;
    Spans spans;
};

TEST(SyntaxLexer, LinesGiveTheirSpans)
{
    const std::vector<LexCase> cases = {
        {"int x;", 0, 0, {{FC_KEYWORD, "int"}, {FC_OPERATOR, " "}, {FC_TEXT, "x"}, {FC_OPERATOR, ";"}}},
        {"Int", 0, 0, {{FC_TEXT, "Int"}}},
        {"IF x", 1, 0, {{FC_KEYWORD, "IF"}, {FC_OPERATOR, " "}, {FC_TEXT, "x"}}},
        {"each 0FFh abhx _id",
         0,
         0,
         {{FC_NUMBER, "each"},
          {FC_OPERATOR, " "},
          {FC_NUMBER, "0FFh"},
          {FC_OPERATOR, " "},
          {FC_TEXT, "abhx"},
          {FC_OPERATOR, " _id"}}},
        {"\"a b\";", 0, 0, {{FC_STRING, "\"a b\";"}}},
        {"x // rest * /", 0, 0, {{FC_TEXT, "x"}, {FC_OPERATOR, " "}, {FC_COMMENT, "// rest * /"}}},
        {"#include <a.h>",
         0,
         0,
         {{FC_KEYWORD, "#include"},
          {FC_OPERATOR, " <"},
          {FC_TEXT, "a"},
          {FC_OPERATOR, "."},
          {FC_TEXT, "h"},
          {FC_OPERATOR, ">"}}},
        {"R0 = PC", 0, 0, {{FC_REGISTER, "R0"}, {FC_OPERATOR, " = "}, {FC_REGISTER, "PC"}}},
        {"mov R0, #1 @ note",
         5,
         0,
         {{FC_TEXT, "mov"},
          {FC_OPERATOR, " "},
          {FC_TEXT, "R0"},
          {FC_OPERATOR, ", "},
          {FC_TEXT, "#1"},
          {FC_OPERATOR, " "},
          {FC_COMMENT, "@ note"}}},
        {".text", 5, 0, {{FC_KEYWORD, ".text"}}},
        {".Lfoo", 5, 0, {{FC_TEXT, ".Lfoo"}}},
        {".text", 5, 8, {{FC_OPERATOR, "."}, {FC_TEXT, "text"}}},
        {"#AREA", 5, 8, {{FC_KEYWORD, "#AREA"}}},
        {"x ; c", 5, 0, {{FC_TEXT, "x"}, {FC_OPERATOR, " "}, {FC_COMMENT, "; c"}}},
        {"# 1 \"f.c\"", 5, 0, {{FC_COMMENT, "# 1 \"f.c\""}}},
        {"12 ab", 7, 0, {{FC_NUMBER, "12 ab"}}},
        {" ab", 7, 0, {{FC_OPERATOR, " ab"}}},
        {"00001000 e3a00001  mov r0, #1",
         2,
         0,
         {{FC_ADDRESS, "00001000"},
          {FC_TEXT, " "},
          {FC_ASSEMBLY_CODE, "e3a00001"},
          {FC_TEXT, "  "},
          {FC_ASM_INSTRUCTION, "mov r0, #1"}}},
        {"\tlabel:", 2, 0, {{FC_LABEL, "\tlabel:"}}},
        {"\tsource", 3, 0, {{FC_MIXED_SOURCE, "\tsource"}}},
        {"ERROR x", 4, 0, {{FC_TEXT, "ERROR x"}}},
        {"", 0, 0, {{FC_NONE, ""}}},
        {"\"it's\"", 0, 0, {{FC_STRING, "\"it's\""}}},
        {"a ' rem", 1, 0, {{FC_TEXT, "a"}, {FC_OPERATOR, " "}, {FC_COMMENT, "' rem"}}},
    };
    for (const LexCase& c : cases)
        EXPECT_EQ(Lex(c.line, c.mode, c.compilerKind), c.spans) << c.line << " mode " << c.mode;
}

TEST(SyntaxLexer, BlockCommentsCarryFromLineToLine)
{
    LexerState state;
    EXPECT_EQ(Lex("a /* b", 0, state), (Spans{{FC_TEXT, "a"}, {FC_OPERATOR, " "}, {FC_COMMENT, "/* b"}}));
    EXPECT_FALSE(state.outsideBlockComment);
    EXPECT_EQ(Lex("int \"x", 0, state), (Spans{{FC_COMMENT, "int \"x"}}));
    EXPECT_EQ(Lex("c **/ int", 0, state), (Spans{{FC_COMMENT, "c **/"}, {FC_OPERATOR, " "}, {FC_KEYWORD, "int"}}));
    EXPECT_TRUE(state.outsideBlockComment);
    // Modes without '/' never change the state the painter set.
    state.outsideBlockComment = false;
    EXPECT_EQ(Lex("*/ x", 7, state), (Spans{{FC_COMMENT, "*/ x"}}));
    EXPECT_FALSE(state.outsideBlockComment);
}

TEST(SyntaxLexer, SpansJoinToTheLineForOddBytes)
{
    const std::vector<std::string> lines = {
        std::string("a\0b/\0*", 6), "\xff\xc3\xa4\"\\", "/*/", "**", "#", "'", "\"", "\\", "a\nb"};
    for (TextColourMode mode = 0; mode <= 9; ++mode) {
        for (const std::string& line : lines) {
            LexerState state;
            std::string joined;
            for (const CColourSpan& span : Lex(line, mode, state))
                joined += span.text;
            EXPECT_EQ(joined, line) << "mode " << mode;
        }
    }
}

}  // namespace
}  // namespace textcore

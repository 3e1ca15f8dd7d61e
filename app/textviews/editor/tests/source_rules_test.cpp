#include <gtest/gtest.h>

#include "source_rules.h"

namespace editor {
namespace {

TEST(SourceRules, LanguageComesFromTheTextAfterTheLastDotOfThePath)
{
    struct Case {
        const char* path;
        int language;
    } cases[] = {
        {"main.c", LANG_C},
        {"/src/Board.H", LANG_C},
        {"x.C51", LANG_C},
        {"regs.inc", LANG_C},
        {"a.cpp", LANG_CPP},
        {"a.CXX", LANG_CPP},
        {"a.hxx", LANG_CPP},
        {"m.mac", LANG_MACRO},
        {"start.s", LANG_ASSEMBLER},
        {"start.ASM", LANG_ASSEMBLER},
        {"x.a51", LANG_ASSEMBLER},
        {"x.s03", LANG_ASSEMBLER},
        {"x.plm", LANG_PLM},
        {"Makefile", LANG_OTHER},
        {"notes.txt", LANG_OTHER},
        {"/home/me/proj.v2/Makefile", LANG_OTHER},  // the only '.' is in a folder
        {"C:\\dir.c\\readme", LANG_OTHER},
        {"a.c.orig", LANG_OTHER},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LanguageOfPath(c.path), c.language) << c.path;
    EXPECT_EQ(ColourModeOfLanguage(LANG_MACRO), TCM_MACRO);
    EXPECT_EQ(ColourModeOfLanguage(LANG_ASSEMBLER), TCM_ASSEMBLER);
    EXPECT_EQ(ColourModeOfLanguage(LANG_PLM), TCM_PLM);
    EXPECT_EQ(ColourModeOfLanguage(LANG_OTHER), TCM_OTHER);
    EXPECT_EQ(ColourModeOfLanguage(LANG_CPP), TCM_C_SOURCE);
}

TEST(SourceRules, LineNumberFormatWidensWithTheDigitsOfTheLineCount)
{
    EXPECT_EQ(LineNumberFormat(0), "%1d");
    EXPECT_EQ(LineNumberFormat(9), "%1d");
    EXPECT_EQ(LineNumberFormat(10), "%2d");
    EXPECT_EQ(LineNumberFormat(999999), "%6d");
    EXPECT_EQ(LineNumberFormat(1000000), "%7d");  // larger files keep numbering
    EXPECT_EQ(LineNumberFormat(123456789012u), "%12d");
}

TEST(SourceRules, SaveAsProposesTheTitleCutAtTheFirstSeparatorWithStarsAsZeros)
{
    EXPECT_EQ(ProposedFileName("Text1*", ".c"), "Text10.c");
    EXPECT_EQ(ProposedFileName("a*b c#d", ".c;.h"), "a0b.c");
    EXPECT_EQ(ProposedFileName("x%y", ".s :z"), "x.s");
    EXPECT_EQ(ProposedFileName("dir/name", ""), "dir");
    EXPECT_EQ(ProposedFileName("", ".c"), ".c");
}

}  // namespace
}  // namespace editor

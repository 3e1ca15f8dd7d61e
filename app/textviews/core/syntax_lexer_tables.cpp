// The words the lexer colours, per colouring mode.
#include <algorithm>
#include <array>
#include <cctype>

#include "syntax_lexer.h"

namespace textcore {

namespace {

constexpr std::array<std::string_view, 36> kCWords = {
    "int",     "void",   "long",   "char",     "bool",   "if",     "while",    "do",     "return",
    "static",  "case",   "switch", "new",      "for",    "extern", "unsigned", "code",   "bit",
    "data",    "signed", "short",  "typedef",  "struct", "float",  "double",   "else",   "break",
    "default", "goto",   "inline", "register", "enum",   "union",  "const",    "pragma", "continue"};

constexpr std::array<std::string_view, 13> kPreprocessorWords = {"include", "endif", "if",     "else",    "warning",
                                                                 "error",   "elif",  "define", "defined", "ifdef",
                                                                 "ifndef",  "undef", "pragma"};

constexpr std::array<std::string_view, 28> kMacroWords = {
    "Sub",    "End",     "Function", "If",    "case",   "while", "WEnd", "loop", "do",    "Then",
    "ElseIf", "Else",    "Exit",     "False", "True",   "for",   "Each", "Next", "ByVal", "ByRef",
    "InStr",  "Private", "Public",   "Null",  "Select", "Case",  "DIM",  "ReDim"};

constexpr std::array<std::string_view, 11> kPlmWords = {"declare", "LOOP", "public", "REGISTER", "BIT",      "AT",
                                                        "then",    "end",  "word",   "do",       "Interrupt"};

constexpr std::array<std::string_view, 19> kRegisterNames = {"R0",  "R1",  "R2",   "R3",   "R4",  "R5",  "R6",
                                                             "R7",  "R8",  "R9",   "R10",  "R11", "R12", "R13",
                                                             "R14", "R15", "CPSR", "SPSR", "PC"};

constexpr std::array<std::string_view, 56> kArmDirectives = {
    "AREA",        "ORG",       "ENTRY",  "END",      "OPT",       "INCLUDE",  "GET",    "DCB",    "DCW",    "DCD",
    "DCFS",        "DCFD",      "LTORG",  "KEEP",     "IMPORT",    "EXPORT",   "ASSERT", "!",      "INFO",   "TTL",
    "SUBT",        "NOFP",      "RLIST",  "ALIGN",    "MACRO",     "MEND",     "CODE32", "CODE16", "DATA",   "SETL",
    "SETA",        "SETS",      "EQU",    "*",        "RN",        "FN",       "CP",     "CN",     "GBLA",   "GBLS",
    "GBLL",        "LCLA",      "LCLS",   "LCLL",     "CODE",      "ABS",      "REL",    "BASED",  "COMDEF", "COMMON",
    "PICHALFWORD", "INTERWORK", "NOINIT", "READONLY", "READWRITE", "REENTRANT"};

constexpr std::array<std::string_view, 70> kGnuDirectives = {
    "abort",   "align",  "app-file", "ascii",  "asciz",  "balign",  "byte",    "comm",     "data",    "def",
    "desc",    "dim",    "double",   "eject",  "else",   "endef",   "endif",   "equ",      "equiv",   "err",
    "extern",  "file",   "fill",     "float",  "global", "hword",   "quad",    "rept",     "ident",   "if",
    "include", "int",    "irp",      "irpc",   "lcomm",  "lflags",  "line",    "linkonce", "ln",      "list",
    "long",    "mri",    "macro",    "nolist", "octa",   "org",     "p2align", "psize",    "sbttl",   "scl",
    "section", "set",    "short",    "single", "size",   "sleb128", "skip",    "space",    "stabd",   "stabn",
    "stabs",   "string", "symver",   "tag",    "text",   "type",    "title",   "var",      "uleb128", "word"};

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

template <std::size_t N>
bool InTable(const std::array<std::string_view, N>& table, std::string_view word, bool matchCase)
{
    return std::any_of(table.begin(), table.end(),
                       [&](std::string_view entry) { return matchCase ? entry == word : EqualNoCase(entry, word); });
}

}  // namespace

bool IsModeKeyword(TextColourMode mode, std::string_view word)
{
    switch (mode) {
    case TCM_C_SOURCE: return InTable(kCWords, word, true);
    case TCM_MACRO: return InTable(kMacroWords, word, false);
    case TCM_PLM: return InTable(kPlmWords, word, false);
    default: return false;
    }
}

bool IsRegisterName(std::string_view word)
{
    return InTable(kRegisterNames, word, true);
}

bool IsPreprocessorWord(std::string_view word)
{
    return InTable(kPreprocessorWords, word, true);
}

bool IsArmDirectiveWord(std::string_view word)
{
    return InTable(kArmDirectives, word, true);
}

bool IsGnuDirectiveWord(std::string_view word)
{
    return InTable(kGnuDirectives, word, false);
}

}  // namespace textcore

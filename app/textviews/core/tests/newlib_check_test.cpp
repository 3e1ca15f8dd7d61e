// The text engine against things nobody here wrote: newlib's headers as clang
// tokenizes them and grep finds in them, wc -l's line count, and
// arm-none-eabi-gcc's assembler output. The tools are required: a missing one
// fails the test.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "fake_text_host.h"
#include "syntax_lexer.h"
#include "text_columns.h"
#include "text_line_reader.h"

namespace textcore::test {
namespace {

const char* const kNewlib = "/usr/include/newlib";

std::string RunCommand(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    std::array<char, 65536> chunk;
    std::size_t n = 0;
    while ((n = fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
        out.append(chunk.data(), n);
    pclose(pipe);
    return out;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Headers()
{
    return {"stdio.h", "stdlib.h", "string.h", "math.h",     "time.h",   "wchar.h",
            "ctype.h", "signal.h", "stdint.h", "inttypes.h", "locale.h", "setjmp.h"};
}

// The format class of every byte of every line, lexed from the first line on
// in one mode (block comments carried).
std::vector<std::vector<FormatClass>> ClassesOfLines(const std::vector<std::string>& lines, TextColourMode mode)
{
    std::vector<std::vector<FormatClass>> classes;
    LexerState state;
    for (const std::string& line : lines) {
        CSyntaxLexer lexer(line, mode, state, [] { return 0; });
        lexer.Parse();
        std::vector<FormatClass> bytes;
        for (const CColourSpan& span : lexer.Spans())
            bytes.insert(bytes.end(), span.text.size(), span.formatClass);
        classes.push_back(std::move(bytes));
    }
    return classes;
}

bool IsHexSuffixWord(const std::string& word)
{
    if (word.size() < 2 || !std::isxdigit(static_cast<unsigned char>(word[0])) || std::isdigit(word[0]) ||
        (word.back() != 'h' && word.back() != 'H'))
        return false;
    return std::all_of(word.begin() + 1, word.end() - 1,
                       [](char ch) { return std::isxdigit(static_cast<unsigned char>(ch)); });
}

bool IsIdentifier(const std::string& word)
{
    return !word.empty() && !std::isdigit(static_cast<unsigned char>(word[0])) &&
        std::all_of(word.begin(), word.end(), [](char ch) { return IsWordChar(static_cast<unsigned char>(ch)); });
}

// One token of clang's dump: kind 'spelling' flags Loc=<file:line:col>; false
// for tokens that come from elsewhere (<Spelling=...>: macro expansions).
struct DumpToken {
    std::string kind;
    std::string spelling;
    std::string path;
    std::size_t line = 0;
    std::size_t column = 0;
};

bool ParseDumpLine(const std::string& text, DumpToken& token)
{
    const std::size_t loc = text.rfind("Loc=<");
    const std::size_t quote = text.find('\'');
    if (loc == std::string::npos || quote == std::string::npos || text.find("<Spelling=", loc) != std::string::npos)
        return false;
    const std::size_t close = text.rfind("'\t", loc);
    if (close == std::string::npos || close <= quote)
        return false;
    token.kind = text.substr(0, text.find(' '));
    token.spelling = text.substr(quote + 1, close - quote - 1);
    const std::string where = text.substr(loc + 5, text.size() - loc - 6);
    const std::size_t second = where.rfind(':');
    const std::size_t first = where.rfind(':', second - 1);
    if (first == std::string::npos || second == std::string::npos)
        return false;
    token.path = where.substr(0, first);
    token.line = std::stoul(where.substr(first + 1, second - first - 1));
    token.column = std::stoul(where.substr(second + 1));
    return token.line > 0 && token.column > 0;
}

TEST(NewlibCheck, LexerAgreesWithClangTokens)
{
    std::map<std::string, std::pair<std::vector<std::string>, std::vector<std::vector<FormatClass>>>> files;
    int keywords = 0;
    int identifiers = 0;
    int numbers = 0;
    int stringCount = 0;
    std::vector<std::string> all;
    for (const auto& entry : std::filesystem::directory_iterator(kNewlib)) {
        if (entry.path().extension() == ".h")
            all.push_back(entry.path().filename().string());
    }
    std::sort(all.begin(), all.end());
    ASSERT_GT(all.size(), 50u);
    // The headers hold no string literal outside their directives: a source
    // of ours adds some, with comment markers and quotes inside.
    const std::string strings = ::testing::TempDir() + "/textcore_strings_" + std::to_string(getpid()) + ".c";
    std::ofstream(strings) << "const char *a = \"it's\", *b = \"/* no comment */\";\n"
                              "const char *c[] = {\"x // y\", \"#define\", \"\", \"'\"};\n"
                              "int n = sizeof(\"abc\") + 0x10 + 077;\n";
    all.push_back(strings);
    for (const std::string& header : all) {
        const std::string file = header.front() == '/' ? header : std::string(kNewlib) + "/" + header;
        const std::string dump = RunCommand("clang -fsyntax-only -Xclang -dump-tokens -nostdlibinc -isystem " +
                                            std::string(kNewlib) + " " + file + " 2>&1");
        ASSERT_NE(dump.find("Loc=<"), std::string::npos) << "clang gave no tokens for " << header;
        std::istringstream in(dump);
        std::string text;
        while (std::getline(in, text)) {
            DumpToken token;
            if (!ParseDumpLine(text, token) || token.spelling.empty())
                continue;
            const std::string& kind = token.kind;
            const std::string& spelling = token.spelling;
            const std::string& path = token.path;
            if (path.rfind(kNewlib, 0) != 0 && path != strings)
                continue;
            auto& file = files[path];
            if (file.first.empty()) {
                file.first = SplitTextIntoLines(ReadFile(path));
                file.second = ClassesOfLines(file.first, TCM_C_SOURCE);
            }
            const std::size_t line = token.line - 1;
            const std::size_t column = token.column - 1;
            if (line >= file.first.size())
                continue;
            if (file.first[line].compare(column, spelling.size(), spelling) != 0)
                continue;  // a token clang spells otherwise (trigraphs, line splices)
            const std::vector<FormatClass>& classes = file.second[line];
            ASSERT_EQ(classes.size(), file.first[line].size()) << path << ":" << line + 1;
            const FormatClass at = classes[column];
            const std::string where =
                path + ":" + std::to_string(token.line) + ":" + std::to_string(token.column) + " " + spelling;
            const bool word = IsIdentifier(spelling);
            if (word && IsModeKeyword(TCM_C_SOURCE, spelling)) {
                EXPECT_EQ(at, FC_KEYWORD) << where;
                ++keywords;
            } else if (word && spelling[0] != '_') {
                EXPECT_TRUE(at == FC_TEXT || at == FC_REGISTER || (at == FC_NUMBER && IsHexSuffixWord(spelling)))
                    << where << " class " << at;
                ++identifiers;
            } else if (kind == "numeric_constant" && std::isdigit(static_cast<unsigned char>(spelling[0])) &&
                       spelling.find_first_of(".pP") == std::string::npos) {
                EXPECT_EQ(at, FC_NUMBER) << where;
                ++numbers;
            } else if (kind == "string_literal" && spelling.find('\\') == std::string::npos) {
                for (std::size_t i = 0; i < spelling.size(); ++i)
                    EXPECT_EQ(classes[column + i], FC_STRING) << where;
                ++stringCount;
            }
        }
    }
    // The headers hold a good share of every kind.
    EXPECT_GT(keywords, 1000);
    EXPECT_GT(identifiers, 1000);
    EXPECT_GT(numbers, 100);
    EXPECT_GE(stringCount, 6);
    EXPECT_GT(files.size(), 30u);
}

TEST(NewlibCheck, AssemblerModeOverGccOutput)
{
    const std::string dir = ::testing::TempDir();
    const std::string source = dir + "/textcore_asm_" + std::to_string(getpid()) + ".c";
    std::ofstream(source) << "int table[4] = {1, 2, 3, 4};\n"
                             "static int counter;\n"
                             "int sum(int n) { int s = 0; for (int i = 0; i < n; ++i) s += table[i & 3]; return s; }\n"
                             "void tick(void) { counter++; }\n"
                             "long long mul(long long a, long long b) { return a * b; }\n";
    const std::string assembly = RunCommand("arm-none-eabi-gcc -mcpu=arm7tdmi -O1 -S -o - " + source + " 2>&1");
    ASSERT_NE(assembly.find(".text"), std::string::npos) << assembly;
    const std::vector<std::string> lines = SplitTextIntoLines(assembly);
    const auto classes = ClassesOfLines(lines, TCM_ASSEMBLER);
    int comments = 0;
    int directives = 0;
    for (std::size_t l = 0; l < lines.size(); ++l) {
        const std::string& line = lines[l];
        if (line.find('"') != std::string::npos)
            continue;  // strings: not what this check is about
        const std::size_t at = line.find('@');
        for (std::size_t i = at; at != std::string::npos && i < line.size(); ++i)
            EXPECT_EQ(classes[l][i], FC_COMMENT) << line;
        comments += at != std::string::npos;
        const std::string code = line.substr(0, at);
        for (std::size_t dot = code.find('.'); dot != std::string::npos; dot = code.find('.', dot + 1)) {
            if (dot > 0 && IsWordChar(static_cast<unsigned char>(code[dot - 1])))
                continue;
            std::size_t end = dot + 1;
            while (end < code.size() && IsWordChar(static_cast<unsigned char>(code[end])))
                ++end;
            const std::string word = code.substr(dot + 1, end - dot - 1);
            if (!IsGnuDirectiveWord(word))
                continue;
            for (std::size_t i = dot; i < end; ++i)
                EXPECT_EQ(classes[l][i], FC_KEYWORD) << line;
            ++directives;
        }
    }
    EXPECT_GT(comments, 3);
    EXPECT_GT(directives, 10);
}

struct GrepMatch {
    int line;
    int column;
    bool operator==(const GrepMatch&) const = default;
};

TEST(NewlibCheck, FindNextMeetsGrepsMatchesInOrder)
{
    struct Case {
        std::string text;
        bool matchCase;
        bool wholeWord;
    };
    const std::vector<Case> cases = {{"int", true, false},  {"FILE", false, false}, {"size_t", true, true},
                                     {"_ptr", false, true}, {"char", false, true},  {"(", true, false}};
    for (const std::string header : {"stdio.h", "stdlib.h", "math.h", "wchar.h"}) {
        const std::string path = std::string(kNewlib) + "/" + header;
        const std::string bytes = ReadFile(path);
        std::vector<std::size_t> lineStarts{0};
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\n')
                lineStarts.push_back(i + 1);
        }
        for (const Case& c : cases) {
            const std::string flags = std::string(c.matchCase ? "" : "-i ") + (c.wholeWord ? "-w " : "");
            const std::string out =
                RunCommand("LC_ALL=C grep -nobF " + flags + "-e '" + c.text + "' " + path + " | cut -d: -f1,2");
            std::vector<GrepMatch> expected;
            std::istringstream in(out);
            std::string row;
            while (std::getline(in, row)) {
                const std::size_t colon = row.find(':');
                const int line = std::stoi(row.substr(0, colon)) - 1;
                const std::size_t offset = std::stoul(row.substr(colon + 1));
                expected.push_back({line, static_cast<int>(offset - lineStarts[static_cast<std::size_t>(line)])});
            }
            ViewFixture f;
            LoadText(f.view.Buffer(), std::make_shared<const std::string>(bytes));
            f.view.UpdateScrollInfo(0, 0);
            std::vector<GrepMatch> found;
            while (f.view.FindNext(c.text, true, c.matchCase, c.wholeWord)) {
                const GrepMatch match{f.view.selStart.line, f.view.selStart.column};
                if (!found.empty() &&
                    (match.line < found.back().line ||
                     (match.line == found.back().line && match.column <= found.back().column)))
                    break;  // wrapped
                found.push_back(match);
            }
            EXPECT_EQ(found, expected) << header << " " << c.text;
        }
    }
}

TEST(NewlibCheck, ReaderAndPasteGiveTheFileBack)
{
    for (const std::string& header : Headers()) {
        const std::string path = std::string(kNewlib) + "/" + header;
        const std::string bytes = ReadFile(path);
        const std::size_t wcLines = std::stoul(RunCommand("wc -l < " + path));
        TextBuffer buffer;
        bool ended = false;
        bool crLf = true;
        LoadText(buffer, std::make_shared<const std::string>(bytes), &ended, &crLf);
        EXPECT_EQ(buffer.LineCount(), wcLines) << header;
        EXPECT_TRUE(ended);
        EXPECT_FALSE(crLf);
        EXPECT_EQ(buffer.Join("\n", ended), bytes) << header;

        std::string crLfBytes;
        for (char ch : bytes)
            crLfBytes += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
        LoadText(buffer, std::make_shared<const std::string>(crLfBytes), &ended, &crLf);
        EXPECT_EQ(buffer.LineCount(), wcLines) << header;
        EXPECT_TRUE(crLf);
        EXPECT_EQ(buffer.Join("\r\n", ended), crLfBytes) << header;

        // Pasted into an empty view and copied out.
        ViewFixture f;
        ASSERT_TRUE(f.view.InsertText(bytes, 0)) << header;
        f.view.SetSelection(0, 0, f.view.LineCount() - 1, f.view.GetLineLength(f.view.LineCount() - 1), false);
        std::string copied;
        ASSERT_TRUE(f.view.CopySelectionToGlobal(copied));
        EXPECT_EQ(copied, bytes) << header;
        f.view.UndoLastEdit();
        EXPECT_TRUE(f.view.IsTextEmpty());
    }
}

}  // namespace
}  // namespace textcore::test

// The store filled from a program compiled by arm-none-eabi-gcc, as a
// loader fills it: the line table from objdump's decoded lines (each unit a
// module whose table runs over the unit's file and the header it includes),
// functions and labels from nm. Its answers are compared with addr2line for
// every code address and with gdb's "info line" for every source line.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host_tools.h"
#include "store_fixture.h"

namespace quinar::test {
namespace {

using zk::test::FixturePath;
using zk::test::RunProcess;

std::vector<std::string> Words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

std::string BaseName(const std::string& path)
{
    size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

struct Span {
    uint32_t start, end;  // end exclusive
};

class GccLinesTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        elf = FixturePath("quinar_lines");
        LoadLines();
        LoadSymbols();
        ASSERT_EQ(SymEndLoad(), SYM_OK);
    }

    // objdump --dwarf=decodedline: per unit a "<unit>:" line and a "File
    // name" header, then rows "<file> <line> <address> [view] [x]"; a row
    // whose line is "-" ends a sequence at its address.
    void LoadLines()
    {
        auto r = RunProcess({"arm-none-eabi-objdump", "--dwarf=decodedline", elf});
        ASSERT_EQ(r.exitStatus, 0) << r.err;
        uint32_t module = 0;
        std::string file;
        bool tableOpen = false;
        bool inSequence = false;
        uint32_t sequenceStart = 0;
        std::string previous;
        auto endTable = [&] {
            if (tableOpen) {
                ASSERT_EQ(SymEndLineTable(), SYM_S_LINE_TABLE_ENDED);
            }
            tableOpen = false;
        };
        for (const std::string& line : Lines(r.out)) {
            std::vector<std::string> w = Words(line);
            if (w.empty())
                continue;
            if (w[0] == "File" && w.size() > 1 && w[1] == "name") {
                endTable();
                std::string unit = previous;
                if (unit.rfind("CU: ", 0) == 0)
                    unit = unit.substr(4);
                if (!unit.empty() && unit.back() == ':')
                    unit.pop_back();
                module = OpenModule(BaseName(unit).c_str());
                SymCloseModule(0);
                file.clear();
                continue;
            }
            previous = line;
            if (w.size() < 3 || module == 0)
                continue;
            bool end = w[1] == "-";
            if (!end && w[1].find_first_not_of("0123456789") != std::string::npos)
                continue;
            uint32_t address = static_cast<uint32_t>(std::stoul(w[2], nullptr, 0));
            if (end) {
                endTable();
                file.clear();
                if (inSequence && address > sequenceStart) {
                    sequences.push_back({sequenceStart, address});
                    SymRange range{sequenceStart, address - 1, 1, 1};
                    ASSERT_EQ(SymSetModuleRange(&range, module), SYM_OK);
                }
                inSequence = false;
                continue;
            }
            if (!tableOpen || w[0] != file) {
                endTable();
                file = w[0];
                ASSERT_EQ(SymSetModuleAttr(module, file.c_str()), SYM_OK);
                ASSERT_EQ(SymBeginLineTable(module), SYM_OK);
                tableOpen = true;
            }
            if (!inSequence)
                sequenceStart = address;
            inSequence = true;
            ASSERT_EQ(SymAddLineRow(static_cast<uint32_t>(std::stoul(w[1])), 0, address, 0), SYM_OK);
            ++rows;
        }
        endTable();
    }

    // nm -S: "<address> <size> <type> <name>" for sized symbols.
    void LoadSymbols()
    {
        auto r = RunProcess({"arm-none-eabi-nm", "-S", "--defined-only", elf});
        ASSERT_EQ(r.exitStatus, 0) << r.err;
        for (const std::string& line : Lines(r.out)) {
            std::vector<std::string> w = Words(line);
            if (w.size() == 4 && (w[2] == "t" || w[2] == "T")) {
                uint32_t start = static_cast<uint32_t>(std::stoul(w[0], nullptr, 16));
                uint32_t size = static_cast<uint32_t>(std::stoul(w[1], nullptr, 16));
                functions.push_back({w[3], {start, start + size}});
                AddFunction(w[3].c_str(), start, start + size - 1, w[2] == "t");
                SymEndSymbolBlock();
            } else if (w.size() == 3 && (w[1] == "t" || w[1] == "T")) {
                SymAddLabel(w[2].c_str(), static_cast<uint32_t>(std::stoul(w[0], nullptr, 16)));
            }
        }
    }

    std::string elf;
    std::vector<Span> sequences;
    std::vector<std::pair<std::string, Span>> functions;
    size_t rows = 0;
};

TEST_F(GccLinesTest, EveryCodeAddressGivesTheLineAddr2lineGives)
{
    ASSERT_GT(rows, 40u);
    ASSERT_GE(sequences.size(), 4u);
    std::vector<std::string> argv{"arm-none-eabi-addr2line", "-e", elf, "-a"};
    std::vector<uint32_t> addresses;
    uint32_t highest = 0;
    for (const Span& s : sequences) {
        for (uint32_t a = s.start; a < s.end; a += 2)
            addresses.push_back(a);
        highest = std::max(highest, s.end);
    }
    for (uint32_t a : addresses) {
        std::ostringstream hex;
        hex << "0x" << std::hex << a;
        argv.push_back(hex.str());
    }
    auto r = RunProcess(argv);
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    std::vector<std::string> out = Lines(r.out);
    ASSERT_EQ(out.size(), 2 * addresses.size());

    size_t withSource = 0;
    for (size_t i = 0; i < addresses.size(); ++i) {
        uint32_t a = addresses[i];
        std::string where = out[2 * i + 1].substr(0, out[2 * i + 1].find(' '));
        size_t colon = where.rfind(':');
        std::string expectFile = BaseName(where.substr(0, colon));
        std::string lineText = where.substr(colon + 1);
        SCOPED_TRACE(testing::Message() << std::hex << "0x" << a << " addr2line " << out[2 * i + 1]);
        uint32_t key = 0, line = 0, start = 0, end = 0;
        SymResult result = SymAddrToSourceLine(a, nullptr, &key, &line, &start, &end, nullptr);
        if (expectFile == "??") {
            EXPECT_EQ(result, SYM_E_NO_SOURCE);
            continue;
        }
        ASSERT_EQ(result, SYM_OK);
        EXPECT_EQ(BaseName(SourceName(key)), expectFile);
        EXPECT_EQ(std::to_string(line), lineText);
        EXPECT_LE(start, a);
        EXPECT_GE(end, a);
        ++withSource;
    }
    EXPECT_GT(withSource, 100u);
    // The data after the code has no source line here (addr2line names the
    // declaration of the variable there).
    EXPECT_EQ(SymAddrToSourceLine(highest, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), SYM_E_NO_SOURCE);
}

TEST_F(GccLinesTest, EverySourceLineStartsWhereGdbSaysItDoes)
{
    const std::map<std::string, uint32_t> files{{"quinar_lines_main.c", 17}, {"quinar_lines_util.c", 10}};
    std::vector<std::string> argv{"gdb-multiarch", "-nx", "-batch"};
    std::vector<std::pair<std::string, uint32_t>> asked;
    for (const auto& [file, lastLine] : files) {
        for (uint32_t line = 1; line <= lastLine; ++line) {
            argv.push_back("-ex");
            argv.push_back("info line " + file + ":" + std::to_string(line));
            asked.emplace_back(file, line);
        }
    }
    argv.push_back(elf);
    auto r = RunProcess(argv);
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    std::vector<std::string> out = Lines(r.out);
    ASSERT_EQ(out.size(), asked.size()) << r.out;

    size_t withCode = 0;
    for (size_t i = 0; i < asked.size(); ++i) {
        const auto& [file, line] = asked[i];
        SCOPED_TRACE(out[i]);
        uint32_t key = 0;
        ASSERT_EQ(SymFindModuleByIndex(file.c_str(), 0, &key), SYM_OK);
        ADDR start{}, end{};
        SymResult result = SymLineToAddrRange(key, line, &start, &end, 0);
        size_t at = out[i].find("starts at address ");
        if (at == std::string::npos) {
            // "... but contains no code."
            EXPECT_EQ(result, SYM_LINE_NO_CODE);
            continue;
        }
        ASSERT_EQ(result, SYM_OK);
        uint32_t gdbStart = static_cast<uint32_t>(std::stoul(out[i].substr(at + 18), nullptr, 16));
        size_t endsAt = out[i].find("ends at ");
        ASSERT_NE(endsAt, std::string::npos);
        uint32_t gdbEnd = static_cast<uint32_t>(std::stoul(out[i].substr(endsAt + 8), nullptr, 16));
        EXPECT_EQ(start.off, gdbStart);
        // gdb gives one row; rows of one line that follow each other are one
        // range here, so gdb's lies inside it.
        EXPECT_GE(end.off + 1, gdbEnd);
        uint32_t back = 0;
        ASSERT_EQ(SymAddrToSourceLine(end.off, nullptr, nullptr, &back, nullptr, nullptr, nullptr), SYM_OK);
        EXPECT_EQ(back, line);
        ++withCode;
    }
    EXPECT_GT(withCode, 12u);
}

TEST_F(GccLinesTest, FunctionsAndTheirRangesAsNmGivesThem)
{
    ASSERT_GE(functions.size(), 4u);
    for (const auto& [name, span] : functions) {
        SCOPED_TRACE(name);
        for (uint32_t a : {span.start, span.start + 2, span.end - 2}) {
            uint32_t kind = 0, start = 0, end = 0, handle = 0;
            ASSERT_EQ(SymGetAddrInfo(SYM_ADDR_CODE, a, nullptr, &kind, &start, &end, &handle, nullptr), SYM_OK);
            EXPECT_EQ(kind, SYM_KIND_FUNCTION);
            EXPECT_EQ(start, span.start);
            EXPECT_EQ(end, span.end - 1);
        }
    }
    ADDR start{}, end{};
    ASSERT_EQ(SrcGetFuncRange("#main", &start, &end), SYM_OK);
    EXPECT_EQ(SymCheckFunctionName("#scale"), SYM_OK);
    // Code of the start-up file has labels, no functions.
    uint32_t kind = 0;
    ASSERT_EQ(SymGetAddrInfo(SYM_ADDR_CODE, 0x4, nullptr, &kind, nullptr, nullptr, nullptr, nullptr), SYM_OK);
    EXPECT_EQ(kind, SYM_KIND_LABEL);
}

}  // namespace
}  // namespace quinar::test

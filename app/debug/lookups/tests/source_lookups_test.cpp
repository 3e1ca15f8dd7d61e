// The look-ups from a source file's name on the example project built by its
// makefile at -O0 and loaded by the program's loader: every row of readelf's
// decoded line table maps through SymFileLineToAddrRange to the row's lowest
// address and lines without rows have no range; a module's source name and
// its existing file; and the same rules on a small store where two modules
// share a file name.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "decoded_lines.h"
#include "host_tools.h"
#include "lookups/sym_lookups.h"
#include "quentor.h"
#include "quinar/quinar.h"

namespace lookups {
namespace {

using zk::test::FixturePath;

const char* const kSources[] = {"main.c", "queue.c", "format.c"};

std::string ExampleSource(const std::string& name)
{
    return std::filesystem::canonical(std::string(ZK_SOURCE_DIR) + "/examples/hello/" + name).string();
}

int LineCount(const std::string& path)
{
    std::ifstream in(path);
    int n = 0;
    for (std::string line; std::getline(in, line);)
        ++n;
    return n;
}

class ExampleLookups : public ::testing::Test {
protected:
    void SetUp() override
    {
        elf = FixturePath("example_hello_O0");
        ASSERT_EQ(LdrLoadWin(elf.c_str(), 1, LDR_LOAD_SYMBOLS, nullptr), LDR_OK) << elf;
    }
    void TearDown() override
    {
        SymClearSymbolTables(0);
        SetProgramLinks({});
    }
    std::string elf;
};

TEST_F(ExampleLookups, EveryRowOfTheLineTableGivesItsLowestAddressAndOtherLinesNone)
{
    for (const char* source : kSources) {
        const std::map<int, uint32_t> lowest = test::LowestLineAddresses(elf, source);
        ASSERT_FALSE(lowest.empty()) << "readelf's decoded lines of " << source;
        const int lines = LineCount(ExampleSource(source));
        ASSERT_GT(lines, 0) << source;
        for (int line = 0; line <= lines + 1; ++line) {
            ADDR start{7, 7}, end{7, 7};
            const auto row = lowest.find(line);
            if (row == lowest.end()) {
                EXPECT_FALSE(SymFileLineToAddrRange(line, &start, &end, source)) << source << ":" << line;
                continue;
            }
            ASSERT_TRUE(SymFileLineToAddrRange(line, &start, &end, source)) << source << ":" << line;
            EXPECT_EQ(start, (ADDR{row->second, ADDR_SPACE_TARGET})) << source << ":" << line;
            EXPECT_EQ(end.seg, ADDR_SPACE_TARGET);
            EXPECT_GE(end.off, start.off) << source << ":" << line;
        }
    }
}

TEST_F(ExampleLookups, FileNamesInAnyFolderAndCaseAndBadNames)
{
    const std::map<int, uint32_t> lowest = test::LowestLineAddresses(elf, "queue.c");
    ASSERT_FALSE(lowest.empty());
    const auto [line, address] = *lowest.begin();
    struct Case {
        std::string file;
        bool found;
    };
    const Case cases[] = {
        {"queue.c", true},
        {"C:\\Work\\Hello\\QUEUE.C", true},
        {ExampleSource("queue.c"), true},
        {"queue.h", false},
        {"other.c", false},
        {"", false},
        {"C:\\work\\", false},
        {std::string(10000, 'q') + ".c", false},
    };
    for (const Case& c : cases) {
        ADDR start{}, end{};
        EXPECT_EQ(SymFileLineToAddrRange(line, &start, &end, c.file.c_str()) != FALSE, c.found) << c.file.size();
        if (c.found)
            EXPECT_EQ(start.off, address);
    }
    ADDR start{}, end{};
    EXPECT_FALSE(SymFileLineToAddrRange(line, &start, &end, nullptr));
}

TEST_F(ExampleLookups, ModuleSourceNameAndItsFile)
{
    for (const char* source : kSources) {
        int module = 0;
        ASSERT_TRUE(SymFindModuleOfFile(source, &module)) << source;
        std::string name;
        ASSERT_TRUE(SymGetModuleSourceName(module, name)) << source;
        EXPECT_EQ(std::filesystem::path(name).filename().string(), source);
        std::string path;
        ASSERT_TRUE(FindSourceFilePath(std::filesystem::path(name).filename().string().c_str(), path)) << source;
        EXPECT_EQ(std::filesystem::canonical(path).string(), ExampleSource(source));
    }
    std::string name = "stale", path = "stale";
    EXPECT_FALSE(SymGetModuleSourceName(0x7FFFFFF, name));
    EXPECT_EQ(name, "");
    EXPECT_FALSE(FindSourceFilePath("missing.c", path));
    EXPECT_EQ(path, "");
    EXPECT_FALSE(FindSourceFilePath(std::string(10000, 'x').c_str(), path));
    EXPECT_FALSE(FindSourceFilePath(nullptr, path));
}

TEST_F(ExampleLookups, TheLoadedModuleListAnswersWhatTheSymbolsLack)
{
    const std::string resolved = ExampleSource("main.c");
    ProgramLinks links;
    links.moduleName = [](int module, std::string& name) {
        if (module != 4242)
            return false;
        name = "startup.s";
        return true;
    };
    links.resolvedPath = [&](const std::string& file, std::string& path) {
        if (file == "boot.c")
            path = resolved;  // the user found it elsewhere
        else if (file == "gone.c")
            path = "/nonexistent/gone.c";
        else
            return false;
        return true;
    };
    SetProgramLinks(links);
    std::string name, path;
    EXPECT_TRUE(SymGetModuleSourceName(4242, name));
    EXPECT_EQ(name, "startup.s");
    EXPECT_TRUE(FindSourceFilePath("boot.c", path));
    EXPECT_EQ(path, resolved);
    // A resolved path whose file is gone finds nothing.
    EXPECT_FALSE(FindSourceFilePath("gone.c", path));
}

// Two modules of one file name (the same file name in two folders): the
// first whose line has code answers.
TEST(SourceLookups, TheFirstModuleOfTheNameWithCodeOnTheLineAnswers)
{
    SymClearSymbolTables(0);
    auto module = [](const char* name, std::initializer_list<std::pair<uint32_t, uint32_t>> rows) {
        SymModuleDesc desc{2, 0xFFFFFFFF, 0};
        uint32_t handle = 0;
        const ImageStamp stamp{};
        EXPECT_EQ(SymOpenModule(name, &stamp, &desc, 0, 1, 0, &handle, 0), SYM_OK);
        EXPECT_EQ(SymBeginLineTable(handle), SYM_OK);
        for (auto [line, address] : rows)
            EXPECT_EQ(SymAddLineRow(line, 0, address, 0), SYM_OK);
        EXPECT_EQ(SymEndLineTable(), SYM_S_LINE_TABLE_ENDED);
        SymCloseModule(0);
    };
    module("util.c", {{5, 0x100}, {6, 0x108}, {7, 0x110}});
    module("util.c", {{9, 0x200}, {10, 0x20C}, {11, 0x214}});
    struct Row {
        int line;
        bool found;
        uint32_t start;
    } rows[] = {{5, true, 0x100}, {9, true, 0x200}, {10, true, 0x20C}, {8, false, 0}, {0, false, 0}, {-3, false, 0}};
    for (const Row& r : rows) {
        ADDR start{}, end{};
        EXPECT_EQ(SymFileLineToAddrRange(r.line, &start, &end, "src\\UTIL.C") != FALSE, r.found) << r.line;
        if (r.found)
            EXPECT_EQ(start.off, r.start) << r.line;
    }
    SymClearSymbolTables(0);
}

}  // namespace
}  // namespace lookups

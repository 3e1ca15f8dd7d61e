// The source look-ups on a program compiled by arm-none-eabi-gcc and loaded
// by the program's loader: every line of readelf's decoded line table maps
// to its lowest address, those addresses map back to their lines, and the
// module of the source file is found by its name in any case and folder.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "decoded_lines.h"
#include "host_tools.h"
#include "lookups/sym_lookups.h"
#include "quentor.h"
#include "quinar/quinar.h"

namespace lookups {
namespace {

using zk::test::FixturePath;

class SymLookups : public ::testing::Test {
protected:
    void SetUp() override
    {
        elf = FixturePath("lookup_program");
        ASSERT_EQ(LdrLoadWin(elf.c_str(), 1, LDR_LOAD_SYMBOLS, nullptr), LDR_OK);
        lowest = test::LowestLineAddresses(elf, "lookup_program.c");
        ASSERT_FALSE(lowest.empty()) << "readelf's decoded lines";
        ASSERT_TRUE(SymFindModuleOfFile("lookup_program.c", &module));
    }
    void TearDown() override
    {
        SymClearSymbolTables(0);
        SetLoadedModuleFinder({});
    }

    std::string elf;
    std::map<int, uint32_t> lowest;  // line -> its lowest address
    int module = 0;
};

TEST_F(SymLookups, EveryLineOfTheTableGivesItsLowestAddress)
{
    for (const auto& [line, address] : lowest) {
        ADDR start, end;
        ASSERT_TRUE(SymGetLineAddrRange(line, &start, &end, module, FALSE)) << "line " << line;
        EXPECT_EQ(start.off, address) << "line " << line;
        EXPECT_EQ(start.seg, ADDR_SPACE_TARGET);
        EXPECT_GE(end.off, start.off);
    }
}

TEST_F(SymLookups, LineWithoutCodeKeepsTheSourcePositionOnlyWhenAsked)
{
    // The comment line inside add() has no row.
    const int comment = 13;
    ASSERT_EQ(lowest.count(comment), 0u);
    ADDR start, end;
    EXPECT_FALSE(SymGetLineAddrRange(comment, &start, &end, module, FALSE));
    ASSERT_TRUE(SymGetLineAddrRange(comment, &start, &end, module, TRUE));
    EXPECT_EQ(start, (ADDR{static_cast<uint32_t>(comment), ADDR_SPACE_NONE}));
    EXPECT_EQ(end, (ADDR{static_cast<uint32_t>(module), ADDR_SPACE_NONE}));
    // A module that doesn't exist is no source position.
    EXPECT_FALSE(SymGetLineAddrRange(12, &start, &end, 0, TRUE));
}

TEST_F(SymLookups, AddressesOfTheTableMapBackToTheirLines)
{
    for (const auto& [line, address] : lowest) {
        uint32_t foundModule = 0, foundLine = 0;
        ASSERT_TRUE(LineOfAddr(address, foundModule, foundLine)) << std::hex << address;
        EXPECT_EQ(static_cast<int>(foundLine), line) << std::hex << address;
        int word = 0, a = 0, b = 0;
        const ADDR at{address, ADDR_SPACE_TARGET};
        ASSERT_TRUE(SymGetModuleOfAddr(&at, &word, &a, &b));
        EXPECT_EQ(word, line);
        EXPECT_EQ(a, -1);
        EXPECT_EQ(b, -1);
    }
    int word = 0, a = 0, b = 0;
    const ADDR nowhere{0xFFFFFF00u, ADDR_SPACE_TARGET};
    EXPECT_FALSE(SymGetModuleOfAddr(&nowhere, &word, &a, &b));
    EXPECT_EQ(word, -1);
    EXPECT_EQ(a, -1);
    EXPECT_EQ(b, -1);
}

TEST_F(SymLookups, ModuleOfFileByNameInAnyCaseAndFolder)
{
    struct Case {
        const char* name;
        bool found;
    };
    const Case cases[] = {
        {"lookup_program.c", true},
        {"LOOKUP_PROGRAM.C", true},
        {"C:\\work\\src\\Lookup_Program.c", true},
        {"/home/user/lookup_program.c", true},
        {"other.c", false},
        {"", false},
        {"C:\\work\\", false},
    };
    for (const Case& c : cases) {
        int found = -1;
        EXPECT_EQ(SymFindModuleOfFile(c.name, &found) != FALSE, c.found) << c.name;
        EXPECT_EQ(found, c.found ? module : 0) << c.name;
    }
}

TEST_F(SymLookups, LoadedModuleListAnswersForFilesTheSymbolsLack)
{
    std::string asked;
    SetLoadedModuleFinder([&](const std::string& name, int& found) {
        asked = name;
        found = name == "startup.s" ? 77 : 0;
        return found != 0;
    });
    int found = 0;
    EXPECT_TRUE(SymFindModuleOfFile("Boot\\STARTUP.S", &found));
    EXPECT_EQ(found, 77);
    EXPECT_EQ(asked, "startup.s");
    EXPECT_FALSE(SymFindModuleOfFile("missing.c", &found));
    EXPECT_EQ(found, 0);
}

}  // namespace
}  // namespace lookups

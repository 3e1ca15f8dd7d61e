// The .symtab pass and the Thumb answers over images compiled by
// arm-none-eabi-gcc, against readelf -s and objdump -d: the labels, the
// ranges of the functions and variables a debug reader registered, and the
// instruction set of every instruction (ARM, Thumb and interworking
// programs, -O0 to -O2).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "arm_listings.h"
#include "debug_stand_in.h"
#include "quinar/listing.h"
#include "tarnel_fixture.h"
#include "tool_listings.h"

namespace tarnel::test {
namespace {

using zk::test::FixturePath;
using Label = std::pair<uint32_t, std::string>;

bool IsPlain(const std::string& name)
{
    return name[0] != '$' && name.rfind("x$", 0) != 0;
}

// The labels the pass makes of readelf's symbols for an image of today's
// GNU tools (any compiler kind but the ARM tools'): every NOTYPE symbol,
// plain-named functions at their code address (the Thumb bit cleared), and
// plain-named objects without a size; nothing of what a debug reader
// registered by name.
std::vector<Label> ExpectedLabels(const std::vector<ReadelfSymbol>& symbols, const std::set<std::string>& registered)
{
    std::vector<Label> labels;
    for (const ReadelfSymbol& s : symbols) {
        if (s.name.empty() || registered.count(s.name))
            continue;
        if (s.type == "NOTYPE")
            labels.push_back({s.value, s.name});
        else if (s.type == "FUNC" && IsPlain(s.name))
            labels.push_back({s.value & ~1u, s.name});
        else if (s.type == "OBJECT" && s.size == 0 && IsPlain(s.name))
            labels.push_back({s.value, s.name});
    }
    std::sort(labels.begin(), labels.end());
    return labels;
}

std::vector<Label> LoadedLabels()
{
    std::vector<Label> labels;
    for (const std::string& row : quinar::ListSymbols()) {
        const std::vector<std::string> t = Tokens(row);
        if (t.size() == 3 && t[0] == "label")
            labels.push_back({Hex(t[1]), t[2]});
    }
    std::sort(labels.begin(), labels.end());
    return labels;
}

// "<first>-<last> <name> module <module>" rows by name.
std::map<std::string, std::pair<uint32_t, uint32_t>> LoadedFunctionRanges()
{
    std::map<std::string, std::pair<uint32_t, uint32_t>> ranges;
    for (const std::string& row : quinar::ListFunctions()) {
        const std::vector<std::string> t = Tokens(row);
        const size_t dash = t[0].find('-');
        ranges[t[1]] = {Hex(t[0].substr(0, dash)), Hex(t[0].substr(dash + 1))};
    }
    return ranges;
}

// The C unit of every fixture below.
std::string UnitPath(const std::string& fixture)
{
    const bool image = fixture == "ldr_le" || fixture == "ldr_be" || fixture == "ldr_thumb";
    const std::string source = image ? "ldr_image.c" : "ldr_interwork.c";
    return std::string(ZK_SOURCE_DIR) + "/loader_elf/tests/fixtures/" + source;
}

// The symbols of the C unit: those after its FILE symbol up to the next
// FILE symbol, and the global ones at the end of the table.
std::vector<ReadelfSymbol> UnitSymbols(const std::vector<ReadelfSymbol>& symbols, const std::string& file)
{
    std::vector<ReadelfSymbol> unit;
    bool inFile = false;
    for (const ReadelfSymbol& s : symbols) {
        if (s.type == "FILE")
            inFile = s.name == file;
        else if ((inFile || s.bind == "GLOBAL") && (s.type == "FUNC" || s.type == "OBJECT"))
            unit.push_back(s);
    }
    return unit;
}

class SymtabFixtureTest : public TarnelTest, public ::testing::WithParamInterface<const char*> {
protected:
    std::string Image() const { return FixturePath(GetParam()); }
    std::string UnitFileName() const
    {
        const std::string path = UnitPath(GetParam());
        return path.substr(path.rfind('/') + 1);
    }
    LdrResult Load() { return LdrLoadWinElf(Image().c_str(), 1, LDR_FLAG_SYMBOLS, Window()); }

    // The DWARF readers' slots: nothing read (kind 0), or the unit registered
    // as a DWARF reader would; returns the names registered. The line reader
    // stays out: its modules are not what these tests look at.
    void ReadNoDebugInformation()
    {
        Readers().dwarf1Units = nullptr;
        Readers().dwarf2Units = StandInReader(COMPILER_NONE);
        Readers().dwarf2Lines = nullptr;
    }
    std::set<std::string> RegisterUnit(CompilerKind kind, const std::vector<ReadelfSymbol>& symbols)
    {
        StandInUnit unit{UnitPath(GetParam()), UnitSymbols(symbols, UnitFileName())};
        Readers().dwarf2Units = StandInReader(kind, {unit});
        Readers().dwarf2Lines = nullptr;
        std::set<std::string> names;
        for (const ReadelfSymbol& s : unit.symbols)
            if (s.type == "OBJECT" || s.size != 0)
                names.insert(s.name);
        return names;
    }
};

TEST_P(SymtabFixtureTest, LabelsEqualReadelf)
{
    const std::vector<ReadelfSymbol> symbols = ReadelfSymbols(Image());
    ASSERT_GT(symbols.size(), 20u);
    ReadNoDebugInformation();
    ASSERT_EQ(Load(), LDR_OK);
    EXPECT_EQ(LoadedLabels(), ExpectedLabels(symbols, {}));
}

TEST_P(SymtabFixtureTest, RangesOfRegisteredFunctionsAndVariablesEqualReadelf)
{
    const std::vector<ReadelfSymbol> symbols = ReadelfSymbols(Image());
    const std::set<std::string> registered = RegisterUnit(COMPILER_GNU_C, symbols);
    ASSERT_FALSE(registered.empty());
    ASSERT_EQ(Load(), LDR_OK);
    EXPECT_EQ(LdrGetMachineType(), COMPILER_GNU_C);

    const auto functions = LoadedFunctionRanges();
    for (const ReadelfSymbol& s : UnitSymbols(symbols, UnitFileName())) {
        if (!registered.count(s.name))
            continue;
        uint32_t handle = 0;
        ASSERT_EQ(SymLookupNamedSymbol(0, s.name.c_str(), &handle), SYM_OK) << s.name;
        if (s.type == "FUNC") {
            const uint32_t code = s.value & ~1u;
            EXPECT_EQ(functions.at(s.name), std::make_pair(code, code + s.size - 1)) << s.name;
        } else {
            uint32_t start = 0, end = 0;
            ASSERT_EQ(SymGetSymbolDetails(handle, nullptr, nullptr, &start, &end, nullptr, nullptr, nullptr, nullptr,
                                          nullptr, nullptr),
                      SYM_OK);
            EXPECT_EQ(std::make_pair(start, end), std::make_pair(s.value, s.value + s.size)) << s.name;
        }
    }
    // What was registered is no label; the rest is, as without a reader.
    EXPECT_EQ(LoadedLabels(), ExpectedLabels(symbols, registered));
    // The unit's FILE symbol (a bare file name, the unit's name a path)
    // reopened its module: a label after it, in data, belongs to it.
    auto file = std::find_if(symbols.begin(), symbols.end(),
                             [&](const ReadelfSymbol& s) { return s.type == "FILE" && s.name == UnitFileName(); });
    ASSERT_NE(file, symbols.end());
    auto mark =
        std::find_if(file, symbols.end(), [](const ReadelfSymbol& s) { return s.name == "$d" && s.ndx != "1"; });
    ASSERT_NE(mark, symbols.end());
    uint32_t module = 0, kind = 0;
    ASSERT_EQ(SymGetAddrInfo(SYM_ADDR_CODE, mark->value, &module, &kind, nullptr, nullptr, nullptr, nullptr), SYM_OK);
    EXPECT_EQ(kind, SYM_KIND_LABEL);
    ASSERT_EQ(State().tables.units.size(), 1u);
    EXPECT_EQ(module, State().tables.units[0].module);
}

// For every compiler kind the pass knows: none (no debug information read),
// GNU C (today's gcc) and the ARM tools' start tables.
class ThumbAnswerTest : public SymtabFixtureTest {
protected:
    void ExpectEveryInstructionAnswered(CompilerKind kind)
    {
        SCOPED_TRACE("compiler kind " + std::to_string(kind));
        const std::vector<ReadelfSymbol> symbols = ReadelfSymbols(Image());
        if (kind != COMPILER_NONE)
            RegisterUnit(kind, symbols);
        else
            ReadNoDebugInformation();
        ASSERT_EQ(Load(), LDR_OK);
        ASSERT_EQ(LdrGetMachineType(), kind);

        std::vector<zk::test::ObjdumpLine> instructions;
        for (const zk::test::ObjdumpLine& l : zk::test::ReadObjdump(Image()).lines)
            if (!l.data)
                instructions.push_back(l);
        ASSERT_GT(instructions.size(), 50u);
        size_t wrong = 0;
        for (const zk::test::ObjdumpLine& i : instructions) {
            if (LdrIsInThumbRange(i.address) != (i.thumb ? 1 : 0) && ++wrong <= 5)
                ADD_FAILURE() << std::hex << "0x" << i.address << " is " << (i.thumb ? "Thumb" : "ARM");
        }
        EXPECT_EQ(wrong, 0u);

        // Every address of each compiled function, its literal pools and
        // jump tables too, answers as the function's symbol says. (The
        // linker's interworking veneers switch inside; objdump checked them.)
        for (const ReadelfSymbol& s : symbols) {
            if (s.type != "FUNC" || s.size == 0 || s.name.rfind("__", 0) == 0)
                continue;
            const bool thumb = (s.value & 1) != 0;
            const uint32_t code = s.value & ~1u;
            for (uint32_t a = code; a < code + s.size; a += 2)
                ASSERT_EQ(LdrIsInThumbRange(a), thumb ? 1 : 0) << s.name << std::hex << " at 0x" << a;
        }
    }
};

TEST_P(ThumbAnswerTest, WithoutDebugInformation)
{
    ExpectEveryInstructionAnswered(COMPILER_NONE);
}
TEST_P(ThumbAnswerTest, ForGnuC)
{
    ExpectEveryInstructionAnswered(COMPILER_GNU_C);
}
TEST_P(ThumbAnswerTest, ForTheArmToolsStartTables)
{
    ExpectEveryInstructionAnswered(COMPILER_ARM);
}

const char* const FIXTURES[] = {"ldr_interwork_O0", "ldr_interwork_O2", "ldr_arm_O2", "ldr_thumb_O0",
                                "ldr_le",           "ldr_thumb",        "ldr_be"};
INSTANTIATE_TEST_SUITE_P(Images, SymtabFixtureTest, ::testing::ValuesIn(FIXTURES));
INSTANTIATE_TEST_SUITE_P(Images, ThumbAnswerTest, ::testing::ValuesIn(FIXTURES));

}  // namespace
}  // namespace tarnel::test

// DWARF 1 through the real toolchain: a program compiled by
// arm-none-eabi-gcc without debug information, its DWARF 1 written as GNU
// as source (dwarf1_asm_writer.h) naming its code by symbol, assembled and
// linked with it. readelf must list the sections, objdump's bytes must
// hold nm's addresses in the pc fields, and the loaded functions, lines and
// globals must lie where nm puts them. Little- and big-endian.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "dwarf1_asm_writer.h"
#include "dwarf1_entries.h"
#include "elf_writer.h"
#include "host_tools.h"
#include "program_facts.h"
#include "quinar/listing.h"
#include "tarnel.h"
#include "tarnel_fixture.h"

namespace tarnel::test {
namespace {

using zk::test::RunProcess;

constexpr const char* PROGRAM = R"(int counter = 5;
int sum(int a, int b)
{
    int total = a + b;
    counter += total;
    return total;
}
int main(void) { return sum(2, 3); }
void _start(void) { main(); for (;;) ; }
)";

struct Symbol {
    uint32_t value = 0;
    uint32_t size = 0;
};

// nm's defined symbols: name -> value and size.
std::map<std::string, Symbol> NmSymbols(const std::string& path)
{
    auto r = RunProcess({"arm-none-eabi-nm", "-S", path});
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    std::map<std::string, Symbol> symbols;
    std::istringstream in(r.out);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::vector<std::string> w{std::istream_iterator<std::string>(words), {}};
        if (w.size() == 4)
            symbols[w[3]] = {static_cast<uint32_t>(std::stoul(w[0], nullptr, 16)),
                             static_cast<uint32_t>(std::stoul(w[1], nullptr, 16))};
        else if (w.size() == 3)
            symbols[w[2]] = {static_cast<uint32_t>(std::stoul(w[0], nullptr, 16)), 0};
    }
    return symbols;
}

// The bytes objdump -s prints for one section.
std::vector<uint8_t> ObjdumpBytes(const std::string& path, const std::string& section)
{
    auto r = RunProcess({"arm-none-eabi-objdump", "-s", "-j", section, path});
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    std::vector<uint8_t> bytes;
    std::istringstream in(r.out);
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() < 2 || line[0] != ' ')
            continue;
        std::istringstream words(line);
        std::string address;
        words >> address;
        // Up to four groups of hex digits, then the text column.
        for (int g = 0; g < 4; ++g) {
            std::string group;
            if (!(words >> group) || group.size() % 2 != 0 ||
                group.find_first_not_of("0123456789abcdef") != std::string::npos)
                break;
            for (size_t i = 0; i < group.size(); i += 2)
                bytes.push_back(static_cast<uint8_t>(std::stoul(group.substr(i, 2), nullptr, 16)));
        }
    }
    return bytes;
}

class Dwarf1ToolchainTest : public TarnelTest, public ::testing::WithParamInterface<bool> {
protected:
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
        ("tarnel_d1_" + std::to_string(::getpid()) + (GetParam() ? "_be" : "_le"));

    void SetUp() override
    {
        TarnelTest::SetUp();
        std::filesystem::create_directories(dir);
    }
    void TearDown() override
    {
        std::filesystem::remove_all(dir);
        TarnelTest::TearDown();
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    void Run(const std::vector<std::string>& argv)
    {
        auto r = RunProcess(argv);
        ASSERT_EQ(r.exitStatus, 0) << argv[0] << ": " << r.err;
    }
};

TEST_P(Dwarf1ToolchainTest, TwinOfACompiledProgram)
{
    const bool big = GetParam();
    const std::string endian = big ? "-mbig-endian" : "-mlittle-endian";
    std::ofstream(Path("prog.c")) << PROGRAM;
    ASSERT_NO_FATAL_FAILURE(Run({"arm-none-eabi-gcc", "-mcpu=arm7tdmi", "-marm", endian, "-O0", "-g0", "-ffreestanding",
                                 "-c", Path("prog.c"), "-o", Path("prog.o")}));
    const std::map<std::string, Symbol> object = NmSymbols(Path("prog.o"));
    const uint32_t sumSize = object.at("sum").size, mainSize = object.at("main").size;
    const uint32_t startSize = object.at("_start").size;
    ASSERT_NE(sumSize, 0u);

    Dwarf1AsmWriter w;
    w.Begin(0x11).Sibling("unit-end").Name("prog.c").Str(0x0258, "GNU C 2.95.3");
    w.Word(0x0111, "sum").Word(0x0121, "_start+" + std::to_string(startSize)).End();
    w.Begin(0x06).Sibling("sum-end").Name("sum").FundType(8).Pcs("sum", 0, sumSize).End();
    w.Begin(0x05).Name("a").FundType(8).AtFrame(11, -16).End();
    w.Begin(0x05).Name("b").FundType(8).AtFrame(11, -20).End();
    w.Begin(0x0C).Name("total").FundType(8).AtFrame(11, -8).End();
    w.Null().Label("sum-end");
    w.Begin(0x06).Sibling("main-end").Name("main").FundType(8).Pcs("main", 0, mainSize).End();
    w.Null().Label("main-end");
    w.Begin(0x07).Name("counter").FundType(8).AtAddress("counter").End();
    w.Null().Label("unit-end");
    w.LineTable("sum", {{3, 0, 0}, {4, 0, 8}, {0, 0, sumSize}});
    std::ofstream(Path("dwarf1.s")) << w.Source();

    ASSERT_NO_FATAL_FAILURE(
        Run({"arm-none-eabi-as", "-mcpu=arm7tdmi", big ? "-EB" : "-EL", Path("dwarf1.s"), "-o", Path("dwarf1.o")}));
    ASSERT_NO_FATAL_FAILURE(Run({"arm-none-eabi-ld", big ? "-EB" : "-EL", "-Ttext=0x8000", "-e", "_start",
                                 Path("prog.o"), Path("dwarf1.o"), "-o", Path("prog.elf")}));

    auto sections = RunProcess({"arm-none-eabi-readelf", "-S", "-W", Path("prog.elf")});
    ASSERT_EQ(sections.exitStatus, 0) << sections.err;
    EXPECT_NE(sections.out.find(" .debug "), std::string::npos) << sections.out;
    EXPECT_NE(sections.out.find(" .line "), std::string::npos) << sections.out;

    // The low pcs of the linked entries are nm's addresses.
    const std::map<std::string, Symbol> linked = NmSymbols(Path("prog.elf"));
    const uint32_t sum = linked.at("sum").value, main = linked.at("main").value;
    const std::vector<uint8_t> debug = ObjdumpBytes(Path("prog.elf"), ".debug");
    ASSERT_FALSE(debug.empty());
    const Dwarf1Section section{debug, 0, big};
    std::multiset<uint32_t> lowPcs;
    for (uint32_t at = 0; at < section.Size();) {
        const Dwarf1Entry e = section.Read(at, section.Size());
        if (const Dwarf1Attribute* low = e.Find(DW1_AT_LOW_PC))
            lowPcs.insert(low->value);
        at = e.End();
    }
    EXPECT_EQ(lowPcs, (std::multiset<uint32_t>{sum, sum, main}));

    ASSERT_EQ(LdrLoadWinElf(Path("prog.elf").c_str(), 0, LDR_FLAG_SYMBOLS, Window()), LDR_OK);
    EXPECT_TRUE(LoadMessages().empty());
    char row[96];
    const std::vector<std::string> functions = quinar::ListFunctions();
    std::snprintf(row, sizeof row, "%08x-%08x sum module prog.c", sum, sum + sumSize - 1);
    EXPECT_NE(std::find(functions.begin(), functions.end(), row), functions.end())
        << row << "\n"
        << ::testing::PrintToString(functions);
    std::snprintf(row, sizeof row, "%08x-%08x main module prog.c", main, main + mainSize - 1);
    EXPECT_NE(std::find(functions.begin(), functions.end(), row), functions.end())
        << row << "\n"
        << ::testing::PrintToString(functions);
    char first[48], second[48];
    std::snprintf(first, sizeof first, "%08x prog.c 3", sum);
    std::snprintf(second, sizeof second, "%08x prog.c 4", sum + 8);
    EXPECT_EQ(quinar::ListLines(), (std::vector<std::string>{first, second}));
    std::snprintf(row, sizeof row, "variable %08x counter type 8", linked.at("counter").value);
    const std::vector<std::string> symbols = quinar::ListSymbols();
    EXPECT_NE(std::find(symbols.begin(), symbols.end(), row), symbols.end()) << row;
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, Dwarf1ToolchainTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& i) { return i.param ? "Big" : "Little"; });

// The DWARF 1 twins of the DWARF 2 fixtures (built next to them, d1_* of
// d2_*): readelf lists .debug and .line and no DWARF 2 section but
// .debug_frame; their code is the fixture's (objcopy -O binary); every
// function of the fixture is an entry of .debug (objdump's bytes) whose
// low pc is nm's address of it.
class Dwarf1TwinImageTest : public ::testing::TestWithParam<const char*> {};

TEST_P(Dwarf1TwinImageTest, SectionsCodeAndPcsAreTheFixturesAndNms)
{
    const std::string twin = zk::test::FixturePath(GetParam());
    const std::string fixture = zk::test::FixturePath("d2" + std::string(GetParam()).substr(2));
    auto sections = RunProcess({"arm-none-eabi-readelf", "-S", "-W", twin});
    ASSERT_EQ(sections.exitStatus, 0) << sections.err;
    EXPECT_NE(sections.out.find(" .debug "), std::string::npos) << sections.out;
    EXPECT_NE(sections.out.find(" .line "), std::string::npos) << sections.out;
    EXPECT_NE(sections.out.find(" .debug_frame "), std::string::npos) << sections.out;
    for (const char* gone : {" .debug_info ", " .debug_line ", " .debug_abbrev ", " .debug_loc "})
        EXPECT_EQ(sections.out.find(gone), std::string::npos) << gone;

    const std::string base = ::testing::TempDir() + "d1_twin_" + std::to_string(::getpid()) + "_";
    for (const auto& [image, out] : {std::pair{twin, base + "twin.bin"}, std::pair{fixture, base + "fixture.bin"}})
        ASSERT_EQ(RunProcess({"arm-none-eabi-objcopy", "-O", "binary", image, out}).exitStatus, 0);
    const std::string code = zk::test::ReadFileBytes(base + "twin.bin");
    EXPECT_FALSE(code.empty());
    EXPECT_TRUE(code == zk::test::ReadFileBytes(base + "fixture.bin"));
    std::remove((base + "twin.bin").c_str());
    std::remove((base + "fixture.bin").c_str());

    // (name, low pc) of every subroutine entry, and nm's (name, address).
    const bool big = RunProcess({"arm-none-eabi-readelf", "-h", twin}).out.find("big endian") != std::string::npos;
    const std::vector<uint8_t> debug = ObjdumpBytes(twin, ".debug");
    const Dwarf1Section section{debug, 0, big};
    std::set<std::pair<std::string, uint32_t>> entries, nm;
    for (uint32_t at = 0; at < section.Size();) {
        const Dwarf1Entry e = section.Read(at, section.Size());
        if (const Dwarf1Attribute* low = e.Find(DW1_AT_LOW_PC); low && (e.tag == 0x06 || e.tag == 0x14))
            entries.insert({std::string(e.Text(DW1_AT_NAME)), low->value});
        at = e.End();
    }
    std::istringstream in(RunProcess({"arm-none-eabi-nm", twin}).out);
    for (std::string address, kind, name; in >> address >> kind >> name;)
        nm.insert({name, static_cast<uint32_t>(std::stoul(address, nullptr, 16)) & ~1u});
    size_t functions = 0;
    for (const zk::test::FactUnit& u : zk::test::ProgramFactsOf(fixture, big).units)
        for (const zk::test::FactFunction& f : u.functions) {
            if (f.inlined)
                continue;
            EXPECT_TRUE(entries.count({f.name, f.low})) << f.name;
            EXPECT_TRUE(nm.count({f.name, f.low})) << f.name;
            ++functions;
        }
    EXPECT_GE(functions, 3u);
}

INSTANTIATE_TEST_SUITE_P(Twins, Dwarf1TwinImageTest,
                         ::testing::Values("d1_arm_o0", "d1_arm_o2", "d1_thumb_o0", "d1_thumb_o2", "d1_be_o1",
                                           "d1_types_o0"));

}  // namespace
}  // namespace tarnel::test

// ldrdump's listing of real images against readelf's, and its parts.
#include <gtest/gtest.h>

#include <tuple>

#include "host_tools.h"
#include "ieee695_writer.h"
#include "readelf_dwarf.h"
#include "readelf_parse.h"

namespace tarnel::test {
namespace {

// Standard error without the loader's note on units of later DWARF versions
// (the start-up code's and newlib's), which is no damage.
std::string WithoutLaterUnitNote(const std::string& err)
{
    std::string kept;
    size_t at = 0;
    while (at < err.size()) {
        size_t end = err.find('\n', at);
        end = end == std::string::npos ? err.size() : end + 1;
        const std::string line = err.substr(at, end - at);
        if (line.find(" of DWARF 3, 4 or 5 skipped: built with -gdwarf-2 they are readable") == std::string::npos)
            kept += line;
        at = end;
    }
    return kept;
}

using zk::test::FixturePath;
using zk::test::RunProcess;

const std::string LDRDUMP = std::string(ZK_BIN_DIR) + "/ldrdump";

class LdrdumpTest : public ::testing::TestWithParam<const char*> {};

TEST_P(LdrdumpTest, TheSectionsPartEqualsReadelf)
{
    const std::string elf = FixturePath(GetParam());
    auto ours = RunProcess({LDRDUMP, "--sections", elf});
    ASSERT_EQ(ours.exitStatus, 0) << ours.err;
    auto theirs = RunProcess({"arm-none-eabi-readelf", "-W", "-h", "-S", "-l", elf});
    ASSERT_EQ(theirs.exitStatus, 0) << theirs.err;
    const ReadelfDump a = ParseReadelf(ours.out), b = ParseReadelf(theirs.out);
    ASSERT_FALSE(b.sections.empty());
    EXPECT_EQ(a.sections, b.sections);
    EXPECT_EQ(a.segments, b.segments);
    for (const char* key :
         {"Entry point address", "Start of program headers", "Start of section headers", "Flags", "Size of this header",
          "Size of program headers", "Number of program headers", "Size of section headers",
          "Number of section headers", "Section header string table index"})
        EXPECT_EQ(a.HeaderNumber(key), b.HeaderNumber(key)) << key;
    for (const char* key : {"Data", "Type", "Machine"})
        EXPECT_EQ(a.header.at(key), b.header.at(key)) << key;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, LdrdumpTest, ::testing::Values("ldr_le", "ldr_be", "ldr_thumb", "ldr_sections"));

TEST(Ldrdump, PrintsTheSymbolLibraryPartsAndFailsOnABadImage)
{
    auto r = RunProcess({LDRDUMP, "--symbols", "--lines", "--types", "--functions", FixturePath("ldr_le")});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(r.out.find("Section Headers:"), std::string::npos);
    EXPECT_NE(r.out.find("Symbols ("), std::string::npos);
    EXPECT_NE(r.out.find("  section 1 .text attribute 1\n"), std::string::npos);
    EXPECT_NE(r.out.find("Lines ("), std::string::npos);
    EXPECT_NE(r.out.find("Types ("), std::string::npos);
    EXPECT_NE(r.out.find("Functions ("), std::string::npos);

    auto bad = RunProcess({LDRDUMP, "/nonexistent/image.elf"});
    EXPECT_EQ(bad.exitStatus, 1);
    EXPECT_NE(bad.err.find("0x8037"), std::string::npos) << bad.err;
    EXPECT_EQ(RunProcess({LDRDUMP}).exitStatus, 2);
}

// The mode and flags go to LdrLoadWin: an IEEE-695 module's source lines
// need mode 0, its public names flag 0x800; the front end's messages about
// a damaged debug part go to standard error.
TEST(Ldrdump, TakesTheModeAndFlagsOfTheLoadAndPrintsTheFrontEndsMessages)
{
    zk::test::Ieee695ModuleDesc m;
    m.sections = {{"code", 1, 'P', 0x100, 0x1000}};
    m.publics = {{"_main", 15, 0x1000}};
    zk::test::Ieee695DebugWriter w;
    w.Begin(3, "main.c").Function(true, "main", 0, 8, 0x1000).EndFunction(0x10FF).End();
    w.Begin(5, "main.c").Attribute(0, 0, 7).Num(12).Num(0).Assign(0, 0x1000).End();
    w.Begin(1, "damaged").Raw({0xE6}).End();
    m.debug = w.Bytes();
    const std::string path = ::testing::TempDir() + "ldrdump_" + std::to_string(::getpid()) + ".695";
    ASSERT_TRUE(zk::test::WriteBytesFile(path, zk::test::WriteIeee695(m)));

    auto plain = RunProcess({LDRDUMP, "--symbols", "--lines", path});
    ASSERT_EQ(plain.exitStatus, 0) << plain.err;
    EXPECT_NE(plain.out.find("Lines (0)"), std::string::npos) << plain.out;
    EXPECT_EQ(plain.out.find("label 00001000 main"), std::string::npos) << plain.out;
    EXPECT_NE(plain.err.find(path + ": debug part+0x"), std::string::npos) << plain.err;
    EXPECT_NE(plain.err.find("unexpected record in a type block"), std::string::npos) << plain.err;

    auto all = RunProcess({LDRDUMP, "--symbols", "--lines", "--mode=0", "--flags=0x801", path});
    ASSERT_EQ(all.exitStatus, 0) << all.err;
    EXPECT_NE(all.out.find("Lines (1)"), std::string::npos) << all.out;
    EXPECT_NE(all.out.find("label 00001000 main"), std::string::npos) << all.out;
    EXPECT_EQ(RunProcess({LDRDUMP, "--mode=x", path}).exitStatus, 2);
    std::remove(path.c_str());
}

// The instruction-set runs of an interworking image follow its FUNC
// symbols; its frames list the registers in readelf's order.
TEST(Ldrdump, PrintsTheCodeRunsAndTheFrames)
{
    const std::string elf = FixturePath("ldr_interwork_O2");
    auto r = RunProcess({LDRDUMP, "--code", "--frames", elf});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(r.out.find("Symbols ("), std::string::npos);
    auto symbols = RunProcess({"arm-none-eabi-readelf", "-s", "-W", elf});
    for (const std::string line : {"iw_scale", "iw_classify", "main"}) {
        const size_t at = symbols.out.find(" " + line + "\n");
        ASSERT_NE(at, std::string::npos) << line;
        const std::vector<std::string> t = Tokens(symbols.out.substr(symbols.out.rfind(':', at) + 1));
        const uint32_t value = Hex(t[0]), size = std::stoul(t[1]);
        char run[64];
        std::snprintf(run, sizeof run, "    %-5s %08x-", value & 1 ? "thumb" : "arm", value & ~1u);
        EXPECT_NE(r.out.find(run), std::string::npos) << line << "\n" << r.out;
        std::snprintf(run, sizeof run, "  fde %08x-%08x", value & ~1u, (value & ~1u) + size - 1);
        EXPECT_NE(r.out.find(run), std::string::npos) << line << "\n" << r.out;
    }
}

// S-record files load through the front end too; the ELF parts stay away.
TEST(Ldrdump, PrintsTheSymbolsOfAnSRecordFile)
{
    const std::string srec = ::testing::TempDir() + "ldrdump_" + std::to_string(::getpid()) + ".srec";
    auto made = RunProcess({"arm-none-eabi-objcopy", "-O", "symbolsrec", FixturePath("ldr_le"), srec});
    ASSERT_EQ(made.exitStatus, 0) << made.err;
    auto r = RunProcess({LDRDUMP, srec});
    std::remove(srec.c_str());
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_NE(r.out.find("  section 1 BASE_CODE attribute 1\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" main\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Section Headers:"), std::string::npos);
    EXPECT_EQ(r.out.find("Code:"), std::string::npos);
}

// --lines lists quinar's rows in the order the line programs gave them:
// with the rows of line 0 that end each table left out, the rows readelf
// decodes from the tables of versions 2 and 3 (gcc 12 -gdwarf-2: ARM and
// Thumb, -O0 and -O2, inline functions of a shared header, newlib).
class LdrdumpLinesTest : public ::testing::TestWithParam<const char*> {};

TEST_P(LdrdumpLinesTest, TheLinesPartListsTheRowsReadelfDecodes)
{
    const std::string elf = FixturePath(GetParam());
    auto ours = RunProcess({LDRDUMP, "--lines", elf});
    ASSERT_EQ(ours.exitStatus, 0) << ours.err;
    EXPECT_EQ(WithoutLaterUnitNote(ours.err), "");
    using Row = std::tuple<uint32_t, std::string, uint32_t>;
    std::vector<Row> listed, decoded;
    for (const std::string& line : TextLines(ours.out)) {
        const std::vector<std::string> w = Tokens(line);
        if (line.rfind("  ", 0) != 0 || w.size() != 3 || w[2] == "0")
            continue;
        listed.emplace_back(static_cast<uint32_t>(std::stoul(w[0], nullptr, 16)), FilePartOf(w[1]),
                            static_cast<uint32_t>(std::stoul(w[2])));
    }
    for (const ReadelfRow& r : RowsWithLines(ReadelfDwarfOf(elf)))
        decoded.emplace_back(r.address, r.file, r.line);
    EXPECT_GT(decoded.size(), 50u);
    EXPECT_EQ(listed, decoded);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, LdrdumpLinesTest,
                         ::testing::Values("d2_arm_o0", "d2_arm_o2", "d2_thumb_o0", "d2_thumb_o2", "d2_be_o1",
                                           "d2_newlib"));

// With --download the simulator library is loaded by name: here the
// recording simulator of Falcrest's tests, through ZK_MODULE_DIR.
TEST(Ldrdump, DownloadsThroughTheSimulatorLibraryInTheTargetsByteOrder)
{
    const std::vector<std::string> env = {std::string("ZK_MODULE_DIR=") + ZK_FAKE_SIM_DIR};
    auto le =
        RunProcess({LDRDUMP, "--download", "--sections", FixturePath("ldr_le")}, {}, std::chrono::seconds(60), env);
    EXPECT_EQ(le.exitStatus, 0) << le.err;
    auto be = RunProcess({LDRDUMP, "--download", "--big-endian-target", "--sections", FixturePath("ldr_be")}, {},
                         std::chrono::seconds(60), env);
    EXPECT_EQ(be.exitStatus, 0) << be.err;
    auto mismatch = RunProcess({LDRDUMP, "--download", FixturePath("ldr_be")}, {}, std::chrono::seconds(60), env);
    EXPECT_EQ(mismatch.exitStatus, 1);
    EXPECT_NE(mismatch.err.find("0x8094"), std::string::npos) << mismatch.err;
    auto none = RunProcess({LDRDUMP, "--download", FixturePath("ldr_le")}, {}, std::chrono::seconds(60),
                           {"ZK_MODULE_DIR=/nonexistent"});
    EXPECT_EQ(none.exitStatus, 1);
}

// The types part lists each type's members, enumerators and slots; the
// functions part each function's frame base, parameters and locals.
TEST(Ldrdump, PrintsTypesWithTheirItemsAndFunctionsWithTheirVariables)
{
    const std::string elf = FixturePath("d2_types_o0");
    auto r = RunProcess({LDRDUMP, "--types", "--functions", elf});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(WithoutLaterUnitNote(r.err), "");
    for (const char* row : {" struct size 12 struct node\n", "  member next type ", "  member level type ",
                            " bits 26:5\n", "  enumerator BLUE -2\n", "  enumerator WHITE 200\n",
                            " array size 96 int [2][3][4] bound 1 of ", " union size 4 union word\n", "  frame base [",
                            "  local head type ", " list fbreg -28\n", "  static calls type 8 "})
        EXPECT_NE(r.out.find(row), std::string::npos) << row << "\n" << r.out;
    // walk's row carries its code range as the symbol table gives it.
    auto symbols = RunProcess({"arm-none-eabi-readelf", "-s", "-W", elf});
    const size_t at = symbols.out.find(" walk\n");
    ASSERT_NE(at, std::string::npos);
    const std::vector<std::string> t = Tokens(symbols.out.substr(symbols.out.rfind(':', at) + 1));
    char row[64];
    std::snprintf(row, sizeof row, "  %08x-%08x walk module dwarf2_types.c type ", Hex(t[0]),
                  Hex(t[0]) + static_cast<uint32_t>(std::stoul(t[1])) - 1);
    EXPECT_NE(r.out.find(row), std::string::npos) << row;

    auto cxx = RunProcess({LDRDUMP, "--types", "--functions", FixturePath("d2_class_o0")});
    ASSERT_EQ(cxx.exitStatus, 0) << cxx.err;
    for (const char* row :
         {" class size 8 class Counter\n", "  slot protected count_ type 8 offset 0\n",
          "  slot public Counter::Add code ", "  enumerator Down -1\n", " Counter::Add module ", "  local this type "})
        EXPECT_NE(cxx.out.find(row), std::string::npos) << row << "\n" << cxx.out;
}

// --type-text prints type numbers as the types' texts: every type row
// leads with its text, and the items name their types by text.
TEST(Ldrdump, TypeTextReplacesTypeNumbers)
{
    auto r = RunProcess({LDRDUMP, "--types", "--functions", "--type-text", FixturePath("d2_types_o0")});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    for (const char* row :
         {"  {struct node} struct size 12 struct node\n", "    member next type {struct node *} offset 4\n",
          " bound 2 of {struct node}\n", " returns {int}\n", "  static calls type {int} "})
        EXPECT_NE(r.out.find(row), std::string::npos) << row << "\n" << r.out;
    EXPECT_EQ(r.out.find(" type 8 "), std::string::npos) << r.out;
}

}  // namespace
}  // namespace tarnel::test

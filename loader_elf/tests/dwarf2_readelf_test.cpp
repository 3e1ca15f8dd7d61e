// The DWARF 2 readers on images compiled by arm-none-eabi-gcc 12 with
// -gdwarf-2 -gstrict-dwarf (names in DW_FORM_strp, version 3 line tables
// from the assembler), against arm-none-eabi-readelf: modules and their
// ranges against --debug-dump=info and =Ranges, and every row of
// --debug-dump=decodedline through quinar's address-to-line query. Three
// units share a header of static inline functions; ARM and Thumb, -O0 and
// -O2, both byte orders, and a program linked with newlib, whose library
// units are DWARF 4 and 5 with version 3 and 5 line tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "quinar_rows.h"
#include "readelf_dwarf.h"
#include "tarnel/elf_image.h"
#include "tarnel_fixture.h"

namespace tarnel::test {
namespace {

using zk::test::FixturePath;

struct Range {
    uint32_t first = 0xFFFFFFFF, last = 0;
    bool Known() const { return first <= last; }
    void Cover(uint32_t a, uint32_t b)
    {
        first = std::min(first, a);
        last = std::max(last, b);
    }
};

std::string RangeText(const Range& r)
{
    if (!r.Known())
        return "-";
    char text[24];
    std::snprintf(text, sizeof text, "%08x-%08x", r.first, r.last);
    return text;
}

// What readelf says a unit's module covers: its low and high pc or its
// range list, and every sequence of its line table (first row up to the
// end of the sequence).
Range ExpectedRange(const ReadelfDwarf& d, const ReadelfUnit& u)
{
    Range r;
    if (u.ranges) {
        uint32_t base = u.lowPc.value_or(0);
        for (const ReadelfRange& e : d.rangeLists.at(*u.ranges)) {
            if (e.base)
                base = e.end;
            else if (e.end > e.begin)
                r.Cover(base + e.begin, base + e.end - 1);
        }
    } else if (u.lowPc && u.highPc && *u.highPc > *u.lowPc) {
        r.Cover(*u.lowPc, *u.highPc - 1);
    }
    const ReadelfLineTable* table = u.stmtList ? d.TableAt(*u.stmtList) : nullptr;
    std::optional<uint32_t> sequenceStart;
    for (const ReadelfRow& row : table ? table->rows : std::vector<ReadelfRow>{}) {
        if (row.endOfSequence) {
            if (sequenceStart && row.address > *sequenceStart)
                r.Cover(*sequenceStart, row.address - 1);
            sequenceStart.reset();
        } else if (!sequenceStart) {
            sequenceStart = row.address;
        }
    }
    return r;
}

class Dwarf2ReadelfTest : public ::testing::TestWithParam<const char*>, protected LoadSurroundings {
protected:
    void SetUp() override
    {
        BeginLoads();
        image = FixturePath(GetParam());
        readelf = ReadelfDwarfOf(image);
        ASSERT_EQ(LdrLoadWinElf(image.c_str(), 1, LDR_FLAG_SYMBOLS, Window()), LDR_OK);
    }
    void TearDown() override { EndLoads(); }

    // quinar's module ranges by module name.
    static std::map<std::string, std::string> Modules()
    {
        std::map<std::string, std::string> modules;
        for (const std::string& row : ModuleRows()) {
            const size_t space = row.find(' ');
            modules[row.substr(space + 1)] = row.substr(0, space);
        }
        return modules;
    }

    std::string image;
    ReadelfDwarf readelf;
};

TEST_P(Dwarf2ReadelfTest, ModulesAndTheirRangesAreTheDwarf2UnitsOfReadelf)
{
    // Units of later DWARF versions (newlib's, the start-up code's) are
    // counted in one note, never reported as damage.
    EXPECT_LE(LoadMessages().size(), 1u);
    for (const std::string& m : LoadMessages())
        EXPECT_NE(m.find(" of DWARF 3, 4 or 5 skipped: built with -gdwarf-2 they are readable"), std::string::npos)
            << m;
    EXPECT_EQ(LdrGetMachineType(), COMPILER_GNU_C);
    const std::map<std::string, std::string> modules = Modules();
    size_t dwarf2Units = 0;
    for (const ReadelfUnit& u : readelf.units) {
        if (u.version != 2)
            continue;
        ++dwarf2Units;
        SCOPED_TRACE(u.name);
        // The module is named by the unit's file (its extension added once
        // the source file is found, as it is for these fixtures).
        auto it = modules.find(FilePartOf(u.name));
        ASSERT_NE(it, modules.end());
        EXPECT_EQ(it->second, RangeText(ExpectedRange(readelf, u)));
    }
    EXPECT_GE(dwarf2Units, 1u);
    // The fixtures of our own sources have DWARF 2 units only; the newlib
    // program's library units (of later versions) are stepped over, and
    // their line tables of version 3 make modules of their own.
    if (std::string(GetParam()) != "d2_newlib") {
        EXPECT_EQ(modules.size(), dwarf2Units);
    } else {
        EXPECT_EQ(dwarf2Units, 1u);
        EXPECT_GT(modules.size(), 20u);
    }
}

// Every row of the tables of versions 2 and 3 maps back: at each address
// the last row (several rows, views, share an address at -O2).
TEST_P(Dwarf2ReadelfTest, EveryLineRowOfReadelfMapsBackThroughTheAddressQuery)
{
    const std::vector<ReadelfRow> rows = RowsWithLines(readelf);
    std::map<uint32_t, ReadelfRow> last;
    size_t headerRows = 0;
    for (const ReadelfRow& r : rows) {
        last[r.address] = r;
        headerRows += r.file == "dwarf2_shared.h";
    }
    if (std::string(GetParam()) != "d2_newlib") {
        EXPECT_GT(headerRows, 5u);
    }
    EXPECT_EQ(State().record.lineRows, rows.size());

    for (const auto& [address, r] : last) {
        SCOPED_TRACE(testing::Message() << std::hex << "0x" << address << " " << r.file << ":" << std::dec << r.line);
        uint32_t key = 0, line = 0;
        ASSERT_EQ(SymAddrToSourceLine(address, nullptr, &key, &line, nullptr, nullptr, nullptr), SYM_OK);
        EXPECT_EQ(line, r.line);
        EXPECT_EQ(FilePartOf(SourceNameOf(key)), r.file);
    }
    EXPECT_GT(last.size(), 30u);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, Dwarf2ReadelfTest,
                         ::testing::Values("d2_arm_o0", "d2_arm_o2", "d2_thumb_o0", "d2_thumb_o2", "d2_be_o1",
                                           "d2_newlib"));

}  // namespace
}  // namespace tarnel::test

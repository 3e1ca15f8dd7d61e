// The line programs of .debug_line into quinar, through whole loads of
// images written here: tables switched by file, rows at one address, the
// modules of programs no unit names, versions, padding and damage.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dwarf2_lines.h"
#include "dwarf2_test_images.h"
#include "quinar/listing.h"
#include "quinar_rows.h"
#include "tarnel/elf_image.h"
#include "tarnel_fixture.h"

namespace tarnel::test {
namespace {

class Dwarf2LinesTest : public TarnelTest {
protected:
    LdrResult Load(const DwarfImage& image)
    {
        Readers().dwarf2Lines = [this](ImageFile& f, bool mode, uint32_t one) {
            return lineResult = ReadDwarf2LineProgram(f, mode, one);
        };
        file.reset();
        file = std::make_unique<TempFile>("lines.elf", image.Build());
        return LdrLoadWinElf(file->Path().c_str(), 0, LDR_FLAG_SYMBOLS, Window());
    }

    // One unit (no range of its own) owning the program at .debug_line 0.
    DwarfImage ImageOf(const std::string& unitName, const LineProgramBytes& program)
    {
        DwarfImage image;
        image.abbrev = TestAbbrevs();
        image.info = Ended(UnitOf(strings, {unitName, 0, 0, 0}));
        image.str = strings.bytes;
        image.line = program.Bytes();
        return image;
    }

    // "file line" of an address, or "none".
    static std::string LineAt(uint32_t address)
    {
        uint32_t key = 0, line = 0;
        if (SymAddrToSourceLine(address, nullptr, &key, &line, nullptr, nullptr, nullptr) != SYM_OK)
            return "none";
        return SourceNameOf(key) + " " + std::to_string(line);
    }

    std::string Where(const std::string& place) const { return file->Path() + ": " + place; }

    std::unique_ptr<TempFile> file;
    LdrResult lineResult = 0xDEAD;
    StringTable strings;
};

// A row of another file ends the open table and begins one for that file,
// without touching the registers: the header's line follows from the
// unit's. Each table ends with a row of line 0 where the next one takes
// over, so no address falls to a table that has no row for it.
TEST_F(Dwarf2LinesTest, ARowOfAnotherFileSwitchesTablesAndKeepsTheRegisters)
{
    LineProgramBytes p({"a.c", "inc/h.h"});
    p.SetAddress(0x100).AdvanceLine(9).Copy();  // a.c 10
    p.SetFile(2).Special(2, 1);                 // h.h 11 at 0x104
    p.SetFile(1).Special(2, 1);                 // a.c 12 at 0x108
    p.AdvancePc(2).EndSequence();               // 0x10c
    ASSERT_EQ(Load(ImageOf("a.c", p)), LDR_OK);
    EXPECT_EQ(lineResult, LDR_OK);
    EXPECT_EQ(quinar::ListLines(),
              (std::vector<std::string>{"00000100 a.c 10", "00000104 a.c 0", "00000104 inc/h.h 11",
                                        "00000108 inc/h.h 0", "00000108 a.c 12", "0000010c a.c 0"}));
    EXPECT_EQ(LineAt(0x102), "a.c 10");
    EXPECT_EQ(LineAt(0x106), "inc/h.h 11");
    EXPECT_EQ(LineAt(0x10B), "a.c 12");
    EXPECT_EQ(LineAt(0x10C), "none");
    // The unit's module, ranged by its tables; the rows counted for the bar.
    EXPECT_EQ(ModuleRows(), std::vector<std::string>{"00000100-0000010b a"});
    EXPECT_EQ(State().record.lineRows, 3u);
}

// gcc gives several rows (views) at one address, across files at -O2:
// the last one holds the address.
TEST_F(Dwarf2LinesTest, OfRowsAtOneAddressTheLastHoldsIt)
{
    LineProgramBytes p({"a.c", "h.h"});
    p.SetAddress(0x200).AdvanceLine(4).Copy();  // a.c 5
    p.SetFile(2).AdvanceLine(2).Copy();         // h.h 7, same address
    p.SetFile(1).AdvanceLine(-1).Copy();        // a.c 6, same address
    p.Special(2, 1);                            // a.c 7 at 0x204
    p.Special(0, 1);                            // a.c 8, same address
    p.AdvancePc(2).EndSequence();
    ASSERT_EQ(Load(ImageOf("a.c", p)), LDR_OK);
    EXPECT_EQ(LineAt(0x200), "a.c 6");
    EXPECT_EQ(LineAt(0x202), "a.c 6");
    EXPECT_EQ(LineAt(0x204), "a.c 8");
}

// The module's first source file is the unit's own even when the program's
// first row is in a header; a special opcode landing on line 0 adds no row.
TEST_F(Dwarf2LinesTest, TheUnitsOwnFileComesFirstAndLineZeroAddsNoRow)
{
    LineProgramBytes p({"h.h", "2:b.c"});
    p.directories = {"/other", "/src"};
    p.SetAddress(0x300).Copy();      // h.h 1
    p.SetFile(2).Special(1, 4);      // b.c 5 at 0x302
    p.Special(1, -5);                // line 0: no row
    p.AdvanceLine(9).Special(1, 0);  // b.c 9 at 0x306
    p.AdvancePc(1).EndSequence();
    ASSERT_EQ(Load(ImageOf("/src/b.c", p)), LDR_OK);
    uint32_t module = 0;
    ASSERT_EQ(SymGetModuleHandle(0, &module), SYM_OK);
    EXPECT_EQ(SourceNameOf(module), "/src/b.c");
    EXPECT_EQ(LineAt(0x300), "h.h 1");
    EXPECT_EQ(LineAt(0x304), "/src/b.c 5");
    EXPECT_EQ(LineAt(0x306), "/src/b.c 9");
    EXPECT_EQ(State().record.lineRows, 3u);
}

// Tables of versions 4 and 5 (newlib's libgcc) are stepped over, one of an
// unknown version too, with a message; the tables around them are read.
// Programs no unit names get modules of their own, one per first file.
TEST_F(Dwarf2LinesTest, TablesOfOtherVersionsAreSteppedOverAndTheRestRead)
{
    auto program = [](std::vector<std::string> files, uint16_t version, uint32_t address) {
        LineProgramBytes p(std::move(files));
        p.version = version;
        p.opcodeBase = version == 3 ? 13 : 10;
        p.directories = {"../libc/stdlib"};
        p.SetAddress(address).Copy().AdvancePc(2).EndSequence();
        return p.Bytes();
    };
    auto otherVersion = [](uint16_t version) {
        DwarfBytes b;
        b.U32(6).U16(version).U32(0xFFFFFFFF);
        return b.bytes;
    };
    DwarfImage image;
    image.line = Concat({program({"1:mallocr.c"}, 2, 0x1000), otherVersion(5), otherVersion(4),
                         program({"1:mallocr.c", "reent.h"}, 3, 0x2000), otherVersion(7), program({"z.s"}, 3, 0x3000)});
    ASSERT_EQ(Load(image), LDR_OK);
    EXPECT_EQ(ModuleRows(), (std::vector<std::string>{"00001000-00002003 mallocr.c", "00003000-00003003 z.s"}));
    EXPECT_EQ(LineAt(0x2002), "../libc/stdlib/mallocr.c 1");
    const size_t version7 =
        program({"1:mallocr.c"}, 2, 0).size() + 2 * 10 + program({"1:mallocr.c", "reent.h"}, 3, 0).size();
    char place[80];
    std::snprintf(place, sizeof place, ".debug_line+0x%zx: line table of unknown version stepped over", version7);
    EXPECT_EQ(LoadMessages(), std::vector<std::string>{Where(place)});
    EXPECT_EQ(lineResult, LDR_E_READ);
}

// A program that no unit names but whose first file is a unit's source
// goes to that unit's module.
TEST_F(Dwarf2LinesTest, AProgramOfAUnitsFileGoesToItsModule)
{
    DwarfImage image;
    image.abbrev = TestAbbrevs();
    UnitBytes u;
    u.entries.ULeb(AB_UNIT_NO_LINES).Str("lib/w.c").Str("GNU C17").U32(0x400).U32(0x500);
    image.info = Ended(u);
    LineProgramBytes p({"1:w.c"});
    p.directories = {"lib"};
    p.SetAddress(0x480).Copy().AdvancePc(2).EndSequence();
    image.line = p.Bytes();
    ASSERT_EQ(Load(image), LDR_OK);
    EXPECT_EQ(ModuleRows(), std::vector<std::string>{"00000400-000004ff w"});
    EXPECT_EQ(LineAt(0x480), "lib/w.c 1");
}

// The ARM compiler pads its tables to a multiple of 4 bytes.
TEST_F(Dwarf2LinesTest, TheArmCompilersTablesArePaddedToWords)
{
    LineProgramBytes first({"a.c"});
    first.SetAddress(0x100).Copy().AdvancePc(2).EndSequence();
    std::vector<uint8_t> firstBytes = first.Bytes();
    ASSERT_NE(firstBytes.size() % 4, 0u);
    firstBytes.resize((firstBytes.size() + 3) / 4 * 4, 0);
    LineProgramBytes second({"a.c"});
    second.SetAddress(0x200).AdvanceLine(1).Copy().AdvancePc(2).EndSequence();

    DwarfImage image;
    image.abbrev = TestAbbrevs();
    image.info = Ended(UnitOf(strings, {"a.c", 0, 0, 0, "ARM C Compiler, ADS1.2"}));
    image.str = strings.bytes;
    image.line = Concat({firstBytes, second.Bytes()});
    ASSERT_EQ(Load(image), LDR_OK);
    EXPECT_EQ(LdrGetMachineType(), COMPILER_ARM);
    EXPECT_EQ(LineAt(0x100), "a.c 1");
    EXPECT_EQ(LineAt(0x200), "a.c 2");
    EXPECT_TRUE(LoadMessages().empty());
}

// Damage ends its program with a message naming its place; the next
// program is read.
TEST_F(Dwarf2LinesTest, DamageEndsItsProgramWithAMessage)
{
    LineProgramBytes badRange({"bad.c"});
    badRange.lineRange = 0;
    badRange.SetAddress(0x100).Copy();
    LineProgramBytes unlisted({"ok.c"});
    unlisted.SetAddress(0x200).Copy().SetFile(5).Special(1, 1).SetFile(1).Special(1, 1).AdvancePc(1).EndSequence();
    LineProgramBytes cut({"cut.c"});
    cut.SetAddress(0x300).Copy();
    std::vector<uint8_t> cutBytes = cut.Bytes();
    cutBytes.resize(cutBytes.size() - 2);

    DwarfImage image;
    const std::vector<uint8_t> a = badRange.Bytes(), b = unlisted.Bytes();
    image.line = Concat({a, b, cutBytes});
    ASSERT_EQ(Load(image), LDR_OK);
    EXPECT_EQ(lineResult, LDR_E_READ);
    EXPECT_EQ(LineAt(0x100), "none");
    EXPECT_EQ(LineAt(0x200), "ok.c 1");
    EXPECT_EQ(LineAt(0x204), "ok.c 3");
    EXPECT_EQ(LineAt(0x300), "none");
    char bad[64], listed[96], longer[96];
    std::snprintf(bad, sizeof bad, ".debug_line+0xf: line range of 0");
    std::snprintf(listed, sizeof listed, ".debug_line+0x%zx: rows of a file that the line table does not list dropped",
                  a.size());
    std::snprintf(longer, sizeof longer, ".debug_line+0x%zx: unit longer than the rest of the section",
                  a.size() + b.size());
    EXPECT_EQ(LoadMessages(), (std::vector<std::string>{Where(bad), Where(listed), Where(longer)}));
}

}  // namespace
}  // namespace tarnel::test

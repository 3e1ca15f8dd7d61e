// The DWARF 2 unit pass through whole loads of images written here: units
// of other versions, modules and their ranges, the compiler kind, damage,
// the entry readers' seam and Esc.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dwarf2_context.h"
#include "dwarf2_entries.h"
#include "dwarf2_forms.h"
#include "dwarf2_test_images.h"
#include "dwarf2_units.h"
#include "elf_reader.h"
#include "quinar/listing.h"
#include "quinar_rows.h"
#include "section_pass.h"
#include "tarnel/elf_image.h"
#include "tarnel_fixture.h"

namespace tarnel::test {
namespace {

class Dwarf2UnitsTest : public TarnelTest {
protected:
    void TearDown() override
    {
        ResetDwarf2Entries();
        TarnelTest::TearDown();
    }

    // Loads the image with the unit pass's own result kept.
    LdrResult Load(const DwarfImage& image, const char* name = "units.elf")
    {
        Readers().dwarf2Units = [this](ReaderCall& call) { return unitResult = ReadDwarf2Units(call); };
        file.reset();  // the same name: the old file goes first
        file = std::make_unique<TempFile>(name, image.Build());
        return LdrLoadWinElf(file->Path().c_str(), 0, LDR_FLAG_SYMBOLS, Window());
    }

    std::string Where(const std::string& place) const { return file->Path() + ": " + place; }

    std::unique_ptr<TempFile> file;
    LdrResult unitResult = 0xDEAD;
    StringTable strings;
};

// A unit of another version that is not DWARF 2 at all.
std::vector<uint8_t> UnitOfVersion(uint16_t version, std::initializer_list<uint8_t> body)
{
    DwarfBytes b;
    b.U32(2 + body.size()).U16(version).Raw(body);
    return b.bytes;
}

TEST_F(Dwarf2UnitsTest, UnitsOfOtherVersionsAreSteppedOverByTheirLength)
{
    DwarfImage image;
    image.abbrev = TestAbbrevs();
    const std::vector<uint8_t> one = Ended(UnitOf(strings, {"src/one.c", 0x100, 0x180}));
    image.info = Concat({one, UnitOfVersion(5, {1, 4, 0, 0, 0, 0, 9, 9, 9}), UnitOfVersion(3, {0xFF, 0xFF}),
                         UnitOfVersion(4, {}), Ended(UnitOf(strings, {"two.c", 0x200, 0x240})), UnitOfVersion(9, {0})});
    image.str = strings.bytes;
    ASSERT_EQ(Load(image), LDR_OK);
    EXPECT_EQ(ModuleRows(), (std::vector<std::string>{"00000100-0000017f one", "00000200-0000023f two"}));
    const uint32_t version9 = static_cast<uint32_t>(image.info.size() - 7);
    char place[64];
    std::snprintf(place, sizeof place, ".debug_info+0x%x: unit of unknown version stepped over", version9);
    // The later versions are counted once, after the unknown one's damage.
    EXPECT_EQ(LoadMessages(),
              (std::vector<std::string>{
                  Where(place),
                  Where("3 compile units of DWARF 3, 4 or 5 skipped: built with -gdwarf-2 they are readable")}));
    EXPECT_EQ(unitResult, LDR_E_READ);
    EXPECT_EQ(LdrGetMachineType(), COMPILER_GNU_C);
    // The units' rows of UnitRangeTable (the line programs find them).
    ASSERT_EQ(State().tables.units.size(), 2u);
    EXPECT_EQ(State().tables.units[1].start, 0x200u);
    EXPECT_EQ(State().tables.units[1].end, 0x23Fu);
}

// The pass reads and fills only the read context it is given: its tables,
// its error handler, its compiler kind; the load state stays as it was.
TEST_F(Dwarf2UnitsTest, ThePassKeepsToItsReadContext)
{
    DwarfImage image;
    image.abbrev = TestAbbrevs();
    image.info = Concat({Ended(UnitOf(strings, {"src/one.c", 0x100, 0x180})), UnitOfVersion(9, {0})});
    image.str = strings.bytes;
    ImageFile file;
    file.Assign(image.Build(), "own.elf");
    ElfImage elf;
    ASSERT_EQ(ReadElfImage(file.Bytes(), elf), LDR_OK);
    SectionNotes notes;
    StackNote stack;
    ASSERT_EQ(NoteSections(file, elf, false, notes, stack), LDR_OK);

    const size_t unitsBefore = State().tables.units.size();
    const size_t messagesBefore = LoadMessages().size();
    const CompilerKind kindBefore = State().compilerKind;
    LoaderTables tables;
    const ImageStamp stamp{};
    QuinarRecords records(stamp);
    std::vector<std::string> messages;
    const ReadErrors errors("own.elf", [&](std::string text) { messages.push_back(std::move(text)); });
    uint32_t modules = 0;
    ReaderCall call{file, 1, 3, &modules};
    std::vector<uint64_t> positions;
    Dwarf2ReadContext cx{
        elf, notes, false, "/images", tables, records, errors, DefaultDwarf2EntryReaders(), [&](uint64_t position) {
            positions.push_back(position);
            return false;
        }};
    EXPECT_EQ(ReadDwarf2UnitPass(call, cx), LDR_E_READ);

    ASSERT_EQ(tables.units.size(), 1u);
    EXPECT_EQ(tables.units[0].start, 0x100u);
    EXPECT_EQ(modules, 1u);
    EXPECT_EQ(cx.compilerKind, COMPILER_GNU_C);
    EXPECT_EQ(positions.size(), 1u);
    char place[64];
    std::snprintf(place, sizeof place, "own.elf: .debug_info+0x%x: unit of unknown version stepped over",
                  static_cast<unsigned>(image.info.size() - 7));
    EXPECT_EQ(messages, std::vector<std::string>{place});
    EXPECT_EQ(State().tables.units.size(), unitsBefore);
    EXPECT_EQ(LoadMessages().size(), messagesBefore);
    EXPECT_EQ(State().compilerKind, kindBefore);
}

// A second unit of a name opens the first one's module again, whichever
// unit came between; no row is added for it.
TEST_F(Dwarf2UnitsTest, UnitsOfOneNameShareTheirModule)
{
    DwarfImage image;
    image.abbrev = TestAbbrevs();
    image.info = Concat({Ended(UnitOf(strings, {"a.c", 0x100, 0x200})), Ended(UnitOf(strings, {"b.c", 0x200, 0x300})),
                         Ended(UnitOf(strings, {"A.C", 0x300, 0x400}))});
    image.str = strings.bytes;
    ASSERT_EQ(Load(image), LDR_OK);
    EXPECT_EQ(ModuleRows(), (std::vector<std::string>{"00000100-000003ff a", "00000200-000002ff b"}));
    EXPECT_EQ(State().tables.units.size(), 2u);
    EXPECT_EQ(unitResult, LDR_OK);
    EXPECT_TRUE(LoadMessages().empty());
}

// The assembler gives its units a range list (a DWARF 3 attribute) in place
// of low and high pc: the module covers the lists's ranges.
TEST_F(Dwarf2UnitsTest, ARangeListGivesTheModuleItsRanges)
{
    DwarfImage image;
    image.abbrev = TestAbbrevs();
    UnitBytes u;
    u.entries.ULeb(AB_UNIT_RANGES).Str("start.S").U32(0x1000).U32(8);
    // Lists outside the section or running out of it: no range, and a message.
    UnitBytes beyond;
    beyond.entries.ULeb(AB_UNIT_RANGES).Str("late.S").U32(0).U32(0x38);
    UnitBytes cut;
    cut.entries.ULeb(AB_UNIT_RANGES).Str("cut.S").U32(0).U32(0x24);
    image.info = Concat({Ended(u), Ended(beyond), Ended(cut)});
    DwarfBytes ranges;
    ranges.U32(0x11).U32(0x22);  // another unit's list
    ranges.U32(0x20).U32(0x40).U32(0xFFFFFFFF).U32(0x8000).U32(0x0).U32(0x10).U32(0).U32(0);
    image.ranges = ranges.bytes;
    ASSERT_EQ(Load(image), LDR_OK);
    EXPECT_EQ(ModuleRows(), (std::vector<std::string>{"00001020-0000800f start", "- late", "- cut"}));
    EXPECT_EQ(LoadMessages(),
              (std::vector<std::string>{Where(".debug_ranges+0x38: range list offset outside the section"),
                                        Where(".debug_ranges+0x28: read past the end")}));
}

TEST_F(Dwarf2UnitsTest, TheCompilerKindIsTheCompilersNotTheAssemblers)
{
    for (const auto& [producers, kind] : std::vector<std::pair<std::vector<std::string>, CompilerKind>>{
             {{"GNU C17 12.2.1", "GNU AS 2.40"}, COMPILER_GNU_C},
             {{"GNU AS 2.40"}, COMPILER_NONE},
             {{"GNU C17 12.2.1", "ARM C 1.2"}, COMPILER_ARM}}) {
        DwarfImage image;
        image.abbrev = TestAbbrevs();
        for (size_t i = 0; i < producers.size(); ++i) {
            UnitBytes u;
            u.entries.ULeb(AB_UNIT_NO_LINES).Str("u" + std::to_string(i) + ".c").Str(producers[i]).U32(0).U32(0);
            image.info = Concat({image.info, Ended(u)});
        }
        ASSERT_EQ(Load(image), LDR_OK);
        EXPECT_EQ(LdrGetMachineType(), kind) << producers.back();
    }
}

// A compile unit without children ends its unit: what follows is not read.
TEST_F(Dwarf2UnitsTest, ACompileUnitWithoutChildrenEndsItsUnit)
{
    DwarfImage image;
    image.abbrev = TestAbbrevs();
    UnitBytes u;
    u.entries.ULeb(AB_UNIT_LEAF).U32(strings.Add("leaf.c")).Raw({0x7F, 0x7F, 0x7F});
    image.info = Concat({u.Bytes(), Ended(UnitOf(strings, {"next.c", 0x40, 0x80}))});
    image.str = strings.bytes;
    ASSERT_EQ(Load(image), LDR_OK);
    EXPECT_EQ(ModuleRows(), (std::vector<std::string>{"- leaf", "00000040-0000007f next"}));
    EXPECT_TRUE(LoadMessages().empty());
}

// Damage ends its unit with a message naming section and offset; the units
// around it load.
TEST_F(Dwarf2UnitsTest, DamageEndsItsUnitWithAMessageAndTheOthersLoad)
{
    struct Case {
        const char* what;
        std::function<void(DwarfImage&, StringTable&)> build;
        std::vector<std::string> modules;
        std::string message;
    };
    const UnitSpec good{"good.c", 0x800, 0x900};
    const Case cases[] = {
        {"an unknown form in the compile unit's abbreviation",
         [&](DwarfImage& im, StringTable& s) {
             im.abbrev = Concat({TestAbbrevs(), AbbrevTable({{9, DW_TAG_compile_unit, true, {{DW_AT_name, 0x30}}}})});
             im.abbrev.erase(im.abbrev.begin() + static_cast<long>(TestAbbrevs().size()) - 1);
             UnitBytes u;
             u.entries.ULeb(9).U8(0);
             im.info = Concat({Ended(u), Ended(UnitOf(s, good))});
         },
         {"00000800-000008ff good"},
         ".debug_info+0xc: unknown attribute form"},
        {"an unknown abbreviation code among the entries",
         [&](DwarfImage& im, StringTable& s) {
             UnitBytes u = UnitOf(s, {"bad.c", 0x100, 0x140});
             u.entries.ULeb(AB_BASE_TYPE).Str("int").U8(4).ULeb(0x55);
             im.info = Concat({Ended(u), Ended(UnitOf(s, good))});
         },
         {"00000100-0000013f bad", "00000800-000008ff good"},
         ".debug_info+0x3b: unknown abbreviation code"},
        {"an abbreviation offset beyond .debug_abbrev",
         [&](DwarfImage& im, StringTable& s) {
             UnitBytes u;
             u.abbrevOffset = 0x4000;
             u.entries.ULeb(AB_UNIT_LEAF).U32(0);
             im.info = Concat({u.Bytes(), Ended(UnitOf(s, good))});
         },
         {"00000800-000008ff good"},
         ".debug_info+0x0: abbreviation offset outside .debug_abbrev"},
        {"a string offset beyond .debug_str",
         [&](DwarfImage& im, StringTable& s) {
             UnitBytes u;
             u.entries.ULeb(AB_UNIT_LEAF).U32(0x7777);
             im.info = Concat({Ended(UnitOf(s, good)), u.Bytes()});
         },
         {"00000800-000008ff good"},
         ".debug_info+0x46: string offset outside .debug_str"},
        {"a unit longer than the section",
         [&](DwarfImage& im, StringTable& s) {
             std::vector<uint8_t> cut = Ended(UnitOf(s, {"cut.c", 0, 4}));
             cut.resize(cut.size() - 3);
             im.info = Concat({Ended(UnitOf(s, good)), cut});
         },
         {"00000800-000008ff good"},
         ".debug_info+0x36: unit longer than the rest of the section"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DwarfImage image;
        StringTable s;
        image.abbrev = TestAbbrevs();
        c.build(image, s);
        image.str = s.bytes;
        ASSERT_EQ(Load(image), LDR_OK);
        EXPECT_EQ(unitResult, LDR_E_READ);
        EXPECT_EQ(ModuleRows(), c.modules);
        EXPECT_EQ(LoadMessages(), std::vector<std::string>{Where(c.message)});
    }
}

// The seam of the entry readers: top-level entries reach their slot with
// their offsets; entries below them reach no slot unless their parent's
// reader reads them.
TEST_F(Dwarf2UnitsTest, TopLevelEntriesReachTheirReadersSlot)
{
    DwarfImage image;
    image.abbrev = TestAbbrevs();
    UnitBytes u = UnitOf(strings, {"seam.c", 0x100, 0x200});
    const uint32_t header = 11;
    const uint32_t intAt = header + u.entries.Size();
    u.entries.ULeb(AB_BASE_TYPE).Str("int").U8(4);
    const uint32_t mainAt = header + u.entries.Size();
    u.entries.ULeb(AB_SUBPROGRAM).Str("main").U32(0x100).U32(0x180);
    u.entries.ULeb(AB_VARIABLE).Str("local").Raw({2, 0x91, 0x7C});  // inside main
    u.entries.U8(0);
    const uint32_t helperAt = header + u.entries.Size();
    u.entries.ULeb(AB_SUBPROGRAM).Str("helper").U32(0x180).U32(0x200);
    u.entries.ULeb(AB_VARIABLE).Str("inner").Raw({1, 0x50});
    u.entries.U8(0);
    const uint32_t globalAt = header + u.entries.Size();
    u.entries.ULeb(AB_VARIABLE).Str("counter").Raw({5, 0x03, 0, 0x10, 0, 0});
    image.info = Ended(u);
    image.str = strings.bytes;

    std::vector<std::string> seen;
    Dwarf2EntryReaders& r = Dwarf2Entries();
    r.type = [&](Dwarf2Unit& unit, Dwarf2Entry& e) {
        seen.push_back("type " + std::to_string(e.offset));
        SkipAttributes(unit, e.abbrev);
        return LDR_OK;
    };
    r.variable = [&](Dwarf2Unit& unit, Dwarf2Entry& e) {
        const std::string name(ReadString(unit, e.abbrev.attributes[0].second));
        seen.push_back("variable " + name + " " + std::to_string(e.offset) + " block " +
                       std::to_string(ReadBlock(unit, e.abbrev.attributes[1].second).size()));
        return LDR_OK;
    };
    // The subprogram reader reads "helper"'s children itself, not "main"'s.
    r.subprogram = [&](Dwarf2Unit& unit, Dwarf2Entry& e) {
        const std::string name(ReadString(unit, e.abbrev.attributes[0].second));
        SkipValue(unit, e.abbrev.attributes[1].second);
        SkipValue(unit, e.abbrev.attributes[2].second);
        seen.push_back("subprogram " + name + " " + std::to_string(e.offset));
        if (name == "helper") {
            const Dwarf2Abbrev* child = State().tables.LookUpAbbrev(static_cast<uint32_t>(unit.entries.ULeb128()));
            SkipAttributes(unit, *child);
            EXPECT_EQ(unit.entries.ULeb128(), 0u);
            e.childrenRead = true;
        }
        return name == "helper" ? LDR_E_SYMBOL_CALL : LDR_OK;
    };
    int passes = 0;
    r.passDone = [&] { ++passes; };

    ASSERT_EQ(Load(image), LDR_OK);
    EXPECT_EQ(seen,
              (std::vector<std::string>{"type " + std::to_string(intAt), "subprogram main " + std::to_string(mainAt),
                                        "subprogram helper " + std::to_string(helperAt),
                                        "variable counter " + std::to_string(globalAt) + " block 5"}));
    EXPECT_EQ(passes, 1);
    // A reader's failure is the pass's result; the walk went on.
    EXPECT_EQ(unitResult, LDR_E_SYMBOL_CALL);
    EXPECT_TRUE(LoadMessages().empty());
}

// Esc at a compile unit ends the load; nothing of it stays in quinar.
TEST_F(Dwarf2UnitsTest, EscAtACompileUnitEndsTheLoad)
{
    DwarfImage image;
    image.abbrev = TestAbbrevs();
    image.info = Concat({Ended(UnitOf(strings, {"a.c", 0, 4})), Ended(UnitOf(strings, {"b.c", 4, 8}))});
    image.str = strings.bytes;
    bool symtabRan = false;
    Readers().elfSymtab = [&](ReaderCall&) {
        symtabRan = true;
        return LDR_OK;
    };
    int passes = 0;
    Dwarf2Entries().passDone = [&] { ++passes; };
    // The load's own polls come first; the second unit sees Esc.
    int polls = 0;
    platform::SetKeyStateQuery([&](int vk) -> short { return vk == VK_ESCAPE && ++polls >= 4 ? short(0x8001) : 0; });
    file = std::make_unique<TempFile>("esc.elf", image.Build());
    EXPECT_EQ(LdrLoadWinElf(file->Path().c_str(), 0, LDR_FLAG_SYMBOLS, Window()), LDR_E_USER_ABORT);
    platform::SetKeyStateQuery(nullptr);
    EXPECT_EQ(polls, 4);
    EXPECT_EQ(passes, 1);
    EXPECT_FALSE(symtabRan);
    EXPECT_EQ(ModuleCount(), 0u);
    EXPECT_EQ(progress.back(), 100u);
}

}  // namespace
}  // namespace tarnel::test

// The DWARF 1 reader through whole loads of images written here: units and
// their modules, producers and Thumb ranges, functions with parameters and
// locals, globals, types, line tables, and damage.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "debug_dispatch.h"
#include "dwarf1_entries.h"
#include "dwarf1_program.h"
#include "dwarf1_slots.h"
#include "dwarf1_writer.h"
#include "load_state.h"
#include "quinar/listing.h"
#include "quinar/symbol_store.h"
#include "quinar_rows.h"
#include "tarnel.h"
#include "tarnel_fixture.h"

namespace tarnel::test {
namespace {

class Dwarf1Test : public TarnelTest {
protected:
    LdrResult Load(const std::vector<uint8_t>& image, int mode = 0, uint32_t flags = LDR_FLAG_SYMBOLS)
    {
        file.reset();
        file = std::make_unique<TempFile>("dwarf1.elf", image);
        Readers().dwarf1Units = [this](ReaderCall& call) { return unitResult = ReadDwarf1Units(call); };
        return LdrLoadWinElf(file->Path().c_str(), mode, flags, Window());
    }
    std::string Where(const std::string& place) const { return file->Path() + ": " + place; }

    static bool Has(const std::vector<std::string>& rows, const std::string& row)
    {
        return std::find(rows.begin(), rows.end(), row) != rows.end();
    }
    static std::string Dump(const std::vector<std::string>& rows)
    {
        std::string all;
        for (const std::string& r : rows)
            all += r + "\n";
        return all;
    }

    std::unique_ptr<TempFile> file;
    LdrResult unitResult = 0xDEAD;
};

// A unit without children; its sibling is the next entry.
void Unit(Dwarf1Writer& w, const std::string& name, const std::string& producer, std::optional<uint32_t> low,
          uint32_t high = 0)
{
    const std::string end = name + "-end";
    w.Begin(0x11).Sibling(end).Name(name);
    if (!producer.empty())
        w.Str(0x0258, producer);
    if (low)
        w.Pcs(*low, high);
    w.End().Label(end);
}

TEST_F(Dwarf1Test, UnitFunctionsVariablesTypesAndLines)
{
    const std::vector<uint8_t> line = [] {
        std::vector<uint8_t> l = Dwarf1LineTable(0x100, {{10, 0xFFFF, 0}, {11, 2, 8}, {0, 0, 0x40}, {12, 0, 0x20}});
        const std::vector<uint8_t> one = Dwarf1LineTable(0x100, {{99, 0, 0}});
        const std::vector<uint8_t> stray = Dwarf1LineTable(0x999, {{5, 0, 0}, {6, 0, 2}});
        l.insert(l.end(), one.begin(), one.end());
        l.insert(l.end(), stray.begin(), stray.end());
        return l;
    }();
    ASSERT_EQ(Load(Dwarf1Image(Program().Build(), line)), LDR_OK);
    EXPECT_EQ(ModuleRows(), (std::vector<std::string>{"00000100-000001ff prog"}));
    EXPECT_EQ(LdrGetMachineType(), COMPILER_GNU_C);

    // Parameters take the procedure's types; the block's static belongs to
    // the function; "$" ends a name; each variable has its location as a
    // DWARF expression.
    EXPECT_EQ(quinar::ListFunctionsWithVariables(),
              (std::vector<std::string>{
                  "00000100-0000013f sum module prog type 1000a",
                  "  local a type 8 frame-8 list breg11 -8",
                  "  local n type 10009 r4 list reg4",
                  "  local total type 10004 frame-12 list breg11 -12",
                  "  static inner type 10005 00002000 list addr 0x2000",
              }));
    // The structure is stored before its members: its own pointer finds
    // it. Two-dimensional arrays are an array of arrays; enumerators come
    // in the order stored.
    EXPECT_EQ(quinar::ListTypesWithItems(),
              (std::vector<std::string>{
                  "10001 struct size 12 struct node",
                  "  member value type 8 offset 0",
                  "  member next type 10002 offset 4",
                  "  member flag type 10003 offset 8 bits 29:3",
                  "10002 pointer size 4 struct node * to 10001",
                  "10003 bitfield size 4 unsigned int : 3 bits 29:3 of 9",
                  "10004 typedef size 4 myint to 8",
                  "10005 array size 40 int [10] bound 9 of 8",
                  "10006 array size 8 signed char [8] bound 7 of 2",
                  "10007 array size 32 signed char [4][8] bound 3 of 10006",
                  "10008 enum size 4 enum colour",
                  "  enumerator blue 2",
                  "  enumerator green 1",
                  "  enumerator red 0",
                  "10009 pointer size 4 struct node * to 10001",
                  "1000a proc size 0 int (int, struct node *) returns 8",
                  "  param type 8",
                  "  param type 10009",
              }));
    // Position 0xFFFF counts as 0; line 0 ends the table; a one-row table
    // adds nothing; a table of no unit's base is skipped with a message.
    EXPECT_EQ(quinar::ListLines(), (std::vector<std::string>{"00000100 src/prog.c 10", "00000108 src/prog.c 11"}));
    const std::vector<std::string> symbols = quinar::ListSymbols();
    for (const char* row :
         {"label 00000120 loop", "variable 00003000 counter type 8", "variable 00003010 where type 10007"})
        EXPECT_TRUE(Has(symbols, row)) << row << "\n" << Dump(symbols);
    EXPECT_EQ(LoadMessages(),
              (std::vector<std::string>{Where(".line+0x42: line table of address 0x999 matches no unit: skipped")}));
}

// The first producer of the load sets the compiler kind (and may be
// renamed); a unit whose producer is "THUMB C" gives a Thumb range.
// An entry of more attributes than are held in place keeps them all, in
// file order, in both byte orders.
TEST(Dwarf1Entries, AnEntryOfManyAttributesKeepsThemAll)
{
    for (const bool big : {false, true}) {
        Dwarf1Writer w(big);
        w.Begin(0x0D).Name("wide");
        for (uint16_t i = 0; i < 11; ++i)
            w.U32(static_cast<uint16_t>(0x0806 + 0x10 * i), 100 + i);  // data4 attributes of no meaning here
        w.End();
        const std::vector<uint8_t> bytes = w.Build();
        const Dwarf1Section section{bytes, 0, big};
        const Dwarf1Entry e = section.Read(0, section.Size());
        ASSERT_EQ(e.attributes.size(), 12u);
        EXPECT_EQ(e.Text(DW1_AT_NAME), "wide");
        uint32_t expected = 100;
        for (const Dwarf1Attribute& a : e.attributes)
            if (a.code != DW1_AT_NAME)
                EXPECT_EQ(a.value, expected++);
        ASSERT_NE(e.Find(0x0806 + 0x10 * 10), nullptr);
        EXPECT_EQ(e.Find(0x0806 + 0x10 * 10)->value, 110u);
        EXPECT_EQ(e.End(), bytes.size());
    }
}

TEST_F(Dwarf1Test, ProducersSetTheKindAndThumbRanges)
{
    struct Row {
        const char* producer;
        uint32_t kind;
        bool thumb;
    };
    const Row rows[] = {
        {"GHS C 1.8", 2, false},          {"diab data 4.1", 1, false},
        {"gnu c 2.7.2", 4, false},        {"MW EABI PPC 2.3", 5, false},
        {"the MetroWerks 68K", 6, false}, {"arm thumb compiler", 8, true},
        {"ARM C 4.1", 8, false},          {"tasking", 0, false},
    };
    for (const Row& row : rows) {
        Dwarf1Writer w;
        Unit(w, "a.c", row.producer, 0x100, 0x180);
        ASSERT_EQ(Load(Dwarf1Image(w.Build(), {})), LDR_OK) << row.producer;
        EXPECT_EQ(LdrGetMachineType(), row.kind) << row.producer;
        EXPECT_EQ(State().tables.dwarf1ThumbRanges.size(), row.thumb ? 1u : 0u) << row.producer;
    }
    // Later units: exactly "THUMB C" in any case adds a range; with a
    // version it does not; the kind stays the first unit's.
    Dwarf1Writer w;
    Unit(w, "a.c", "GNU C 2.95", 0x100, 0x180);
    Unit(w, "b.c", "thumb c", 0x180, 0x1c0);
    Unit(w, "c.c", "THUMB C 1.2", 0x1c0, 0x200);
    ASSERT_EQ(Load(Dwarf1Image(w.Build(), {})), LDR_OK);
    EXPECT_EQ(LdrGetMachineType(), COMPILER_GNU_C);
    ASSERT_EQ(State().tables.dwarf1ThumbRanges.size(), 1u);
    EXPECT_EQ(State().tables.dwarf1ThumbRanges[0].start, 0x180u);
    EXPECT_EQ(State().tables.dwarf1ThumbRanges[0].end, 0x1BFu);
}

// Tables grow with the image: over a thousand units, each of its own Thumb
// range, keep every module and range, and names longer than 127 characters
// stay whole.
TEST_F(Dwarf1Test, ManyUnitsThumbRangesAndLongNamesAreKept)
{
    constexpr uint32_t UNITS = 1100;
    const std::string longName(200, 'n');
    Dwarf1Writer w;
    for (uint32_t i = 0; i < UNITS; ++i) {
        const uint32_t low = 0x10000 + 0x40 * i;  // ranges apart: none merge
        Unit(w, longName + std::to_string(i) + ".c", i == 0 ? "GNU C 2.95" : "THUMB C", low, low + 0x20);
    }
    ASSERT_EQ(Load(Dwarf1Image(w.Build(), {})), LDR_OK);
    EXPECT_EQ(unitResult, LDR_OK);
    const std::vector<std::string> modules = ModuleRows();
    ASSERT_EQ(modules.size(), UNITS);
    EXPECT_EQ(modules.back(), "000212c0-000212df " + longName + "1099");
    EXPECT_EQ(State().tables.dwarf1ThumbRanges.size(), UNITS - 1);
    for (auto [address, thumb] : {std::pair{0x10000u, 0}, {0x10040u, 1}, {0x212C0u, 1}, {0x212DEu, 1}, {0x212E0u, 0}})
        EXPECT_EQ(LdrIsInThumbRange(address), thumb) << std::hex << address;
}

// A variable whose type never resolves is retried at the unit's end and
// then reported, once for the unit; the variables around it load.
TEST_F(Dwarf1Test, VariablesStillWithoutTypeAtTheUnitsEndAreReported)
{
    Dwarf1Writer w;
    w.Begin(0x11).Sibling("u-end").Name("pend.c").Pcs(0x100, 0x180).End();
    w.Begin(0x0B, "tag").Sibling("tag-end").Name("notatype").End().Label("tag-end");
    w.Begin(0x07).Name("lost").UserType("tag").AtAddress(0x3000).End();
    w.Begin(0x07).Name("lost2").UserType("tag").AtAddress(0x3004).End();
    w.Begin(0x07).Name("kept").FundType(INT).AtAddress(0x3008).End();
    w.Label("u-end");
    Unit(w, "next.c", "", 0x200, 0x280);
    ASSERT_EQ(Load(Dwarf1Image(w.Build(), {})), LDR_OK);
    EXPECT_EQ(LoadMessages(),
              (std::vector<std::string>{Where(".debug+0x0: 2 variables of the unit not added: type unknown")}));
    EXPECT_EQ(ModuleRows().size(), 2u);
    EXPECT_TRUE(quinar::Symbols().LookupNamedSymbol(0, "kept").ok());
}

// Null entries and length 5 are stepped over; a unit of one byte is
// skipped; a unit without pcs has no range; the module is the base name
// up to its first dot; a vendor entry with a sibling sets kind 3.
TEST_F(Dwarf1Test, UnitWalkSteps)
{
    Dwarf1Writer w;
    w.Null();
    w.b.U32(5).U8(0xEE);
    Unit(w, "dir/one.c", "GNU C", 0x100, 0x101);
    Unit(w, "c:\\src\\two.tar.c", "", std::nullopt);
    w.Begin(0x5002).Sibling("after-vendor").End();
    w.b.Append({1, 2, 3, 4, 5, 6});
    w.Label("after-vendor");
    Unit(w, "three.c", "", 0x180, 0x200);
    w.Begin(0).End();  // padding ends the walk
    Unit(w, "four.c", "", 0x200, 0x280);
    ASSERT_EQ(Load(Dwarf1Image(w.Build(), {})), LDR_OK);
    EXPECT_EQ(unitResult, LDR_OK);
    EXPECT_EQ(ModuleRows(), (std::vector<std::string>{"- two", "00000180-000001ff three"}));
    EXPECT_EQ(LdrGetMachineType(), 3u);
}

// A vendor entry without a sibling: the message box, and the walk ends.
TEST_F(Dwarf1Test, UnknownVendorEntryEndsTheWalk)
{
    Dwarf1Writer w;
    Unit(w, "one.c", "GNU C", 0x100, 0x180);
    w.Begin(0x5002).Name("x").End();
    Unit(w, "two.c", "", 0x180, 0x200);
    ASSERT_EQ(Load(Dwarf1Image(w.Build(), {})), LDR_OK);
    EXPECT_EQ(unitResult, LDR_E_MODULE);
    EXPECT_EQ(ModuleRows(), (std::vector<std::string>{"00000100-0000017f one"}));
}

// Damage ends its unit with a message naming the place; the next unit is
// read when its place is known.
TEST_F(Dwarf1Test, DamageEndsTheUnit)
{
    struct Row {
        const char* name;
        std::function<void(Dwarf1Writer&)> write;
        std::string message;
        std::vector<std::string> modules;
    };
    const std::vector<Row> rows = {
        {"length past the unit",
         [](Dwarf1Writer& w) {
             w.Begin(0x11).Sibling("u-end").Name("bad.c").Pcs(0x100, 0x180).End();
             w.b.U32(0x40).U16(0x16);
             w.Label("u-end");
         },
         ".debug+0x20: entry runs past its parent",
         {"00000100-0000017f bad", "00000200-0000027f next"}},
        {"sibling that does not move forward",
         [](Dwarf1Writer& w) {
             w.Begin(0x11).Sibling("u-end").Name("bad.c").Pcs(0x100, 0x180).End();
             w.Begin(0x06, "self").Sibling("self").Name("f").Pcs(0x100, 0x110).End();
             w.Label("u-end");
         },
         ".debug+0x20: sibling does not move forward",
         {"00000100-0000017f bad", "00000200-0000027f next"}},
        {"reference outside .debug",
         [](Dwarf1Writer& w) {
             w.Begin(0x11).Sibling("u-end").Name("bad.c").Pcs(0x100, 0x180).End();
             w.Begin(0x16).Name("t").U32(0x0072, 0x7FFFFFF0).End();
             w.Label("u-end");
         },
         ".debug+0x20: reference outside .debug",
         {"00000100-0000017f bad", "00000200-0000027f next"}},
        {"unit sibling past the section",
         [](Dwarf1Writer& w) { w.Begin(0x11).U32(0x0012, 0x10000).Name("bad.c").Pcs(0x100, 0x180).End(); },
         ".debug+0x0: sibling outside .debug",
         {}},
    };
    for (const Row& row : rows) {
        Dwarf1Writer w;
        row.write(w);
        Unit(w, "next.c", "", 0x200, 0x280);
        ASSERT_EQ(Load(Dwarf1Image(w.Build(), {})), LDR_OK) << row.name;
        EXPECT_EQ(unitResult, LDR_E_READ) << row.name;
        EXPECT_EQ(LoadMessages(), (std::vector<std::string>{Where(row.message)})) << row.name;
        EXPECT_EQ(ModuleRows(), row.modules) << row.name;
    }
}

// Line tables whose length is below 8 or runs past the section end the
// pass with a message.
TEST_F(Dwarf1Test, DamagedLineTables)
{
    Dwarf1Writer w;
    Unit(w, "one.c", "", 0x100, 0x180);
    for (const auto& [length, message] :
         {std::pair<uint32_t, const char*>{4, "line table length below 8"}, {0x400, "line table runs past .line"}}) {
        std::vector<uint8_t> line = Dwarf1LineTable(0x100, {{3, 0, 0}, {4, 0, 4}});
        DwarfBytes bad;
        bad.U32(length).U32(0x100).U32(7);
        line.insert(line.end(), bad.bytes.begin(), bad.bytes.end());
        ASSERT_EQ(Load(Dwarf1Image(w.Build(), line)), LDR_OK);
        EXPECT_EQ(LoadMessages(), (std::vector<std::string>{Where(std::string(".line+0x1c: ") + message)}));
        EXPECT_EQ(quinar::ListLines().size(), 2u);
    }
}

// 20,000-deep typedef chains (each naming the next, read on demand) and
// pointer modifiers load within the depth bound.
TEST_F(Dwarf1Test, DeepChainsLoad)
{
    constexpr int DEPTH = 20000;
    Dwarf1Writer w;
    w.Begin(0x11).Sibling("u-end").Name("deep.c").Pcs(0x100, 0x180).End();
    for (int i = 0; i < DEPTH; ++i) {
        w.Begin(0x16, "t" + std::to_string(i)).Name("t" + std::to_string(i));
        if (i + 1 < DEPTH)
            w.UserType("t" + std::to_string(i + 1));
        else
            w.FundType(INT);
        w.End();
    }
    w.Begin(0x07).Name("p").ModFundType(std::vector<uint8_t>(20000, 1), INT).AtAddress(0x3000).End();
    w.Begin(0x07).Name("v").UserType("t0").AtAddress(0x3004).End();
    w.Label("u-end");
    ASSERT_EQ(Load(Dwarf1Image(w.Build(), {})), LDR_OK);
    EXPECT_EQ(unitResult, LDR_OK);
    EXPECT_TRUE(LoadMessages().empty());
    // The chain's top reaches int through every typedef once the pass
    // after the units has completed the targets read too deep.
    quinar::SymbolStore& store = quinar::Symbols();
    uint32_t steps = 0;
    uint32_t index = 0;
    for (const std::string& row : quinar::ListSymbols())
        std::sscanf(row.c_str(), "variable 00003004 v type %x", &index);
    ASSERT_NE(index, 0u);
    while (index != INT && steps <= DEPTH) {
        const quinar::Result<quinar::TypeInfo> t = store.Type(index);
        ASSERT_TRUE(t.ok()) << steps;
        index = t.value.link;
        ++steps;
    }
    EXPECT_EQ(steps, static_cast<uint32_t>(DEPTH));
}

// A C++ class whose member functions carry old-scheme linkage names: the
// class slots, the functions under their demangled names, and a function
// without pcs placed by the ELF symbol of its linkage name.
TEST_F(Dwarf1Test, ClassMembersAndLinkageNames)
{
    Dwarf1Writer w;
    w.Begin(0x11).Sibling("u-end").Name("shape.cc").Str(0x0258, "GNU C++ 2.95").Pcs(0x100, 0x200).End();
    w.Begin(0x02, "shape").Sibling("shape-end").Name("Shape").U32(0x00B6, 8).End();
    w.Begin(0x0D).Name("w").FundType(INT).AtMember(0).Str(0x0248, "").End();
    w.Begin(0x0D).Name("self").ModUserType({1}, "shape").AtMember(4).End();
    w.Begin(0x06).Sibling("m-end").Name("draw").Str(0x0508, "draw__5ShapeFi").FundType(0x14).Str(0x0288, "").End();
    w.Begin(0x05).FundType(INT).End();
    w.Null().Label("m-end");
    w.Null().Label("shape-end");
    w.Begin(0x06).Sibling("draw-end").Name("draw").Str(0x0508, "draw__5ShapeFi").Pcs(0x100, 0x120).End();
    w.Begin(0x05).Name("this").ModUserType({1}, "shape").AtRegister(0).End();
    w.Begin(0x05).Name("n").FundType(INT).AtRegister(1).End();
    w.Null().Label("draw-end");
    w.Begin(0x06).Name("area").Str(0x0508, "area__5ShapeFv").FundType(INT).End();
    w.Null().Label("u-end");

    DwarfBytes strings;
    strings.U8(0).Str("area__5ShapeFv");
    DwarfBytes symbols;
    symbols.U32(0).U32(0).U32(0).U32(0);
    symbols.U32(1).U32(0x140).U32(0x20).U8(0x12).U8(0).U16(1);
    const std::vector<TestSection> tables = {
        {".symtab", 2, 0, 0, symbols.bytes, 0, 4, 1, 4, 16},
        {".strtab", 3, 0, 0, strings.bytes},
    };
    ASSERT_EQ(Load(Dwarf1Image(w.Build(), {}, false, tables)), LDR_OK);
    EXPECT_EQ(unitResult, LDR_OK);
    EXPECT_EQ(quinar::ListFunctionsWithVariables(),
              (std::vector<std::string>{
                  "00000100-0000011f Shape::draw(int ) module shape type 10004",
                  "  local this type 10003 r0 list reg0",
                  "  local n type 8 r1 list reg1",
                  "00000140-0000015f Shape::area(void ) module shape type 10005",
              }));
    // The class is stored under its index before its members are read: a
    // member pointing to the class finds it at once.
    EXPECT_EQ(quinar::ListTypesWithItems(),
              (std::vector<std::string>{
                  "10001 class size 8 class Shape",
                  "  slot private w type 8 offset 0",
                  "  slot public self type 10002 offset 4",
                  "  slot public Shape::draw code 00000000-00000000",
                  "10002 pointer size 4 class Shape * to 10001",
                  "10003 pointer size 4 class Shape * to 10001",
                  "10004 proc size 0 void (class Shape *, int) returns 14",
                  "  param type 10003",
                  "  param type 8",
                  "10005 proc size 0 int (void) returns 8",
              }));
}

// A class derived from another: the inheritance entry names the base and
// where it lies, and the derived class's own members keep their offsets
// past it (the base is not a slot of its own).
TEST_F(Dwarf1Test, ClassWithABaseKeepsItsMembersOffsets)
{
    Dwarf1Writer w;
    w.Begin(0x11).Sibling("u-end").Name("derived.cc").Str(0x0258, "GNU C++ 2.95").Pcs(0x100, 0x200).End();
    w.Begin(0x02, "base").Sibling("base-end").Name("Base").U32(0x00B6, 4).End();
    w.Begin(0x0D).Name("b").FundType(INT).AtMember(0).End();
    w.Null().Label("base-end");
    w.Begin(0x02, "derived").Sibling("derived-end").Name("Derived").U32(0x00B6, 8).End();
    w.Begin(0x1C).UserType("base").AtMember(0).End();
    w.Begin(0x0D).Name("d").FundType(INT).AtMember(4).End();
    w.Null().Label("derived-end");
    w.Begin(0x07).Name("object").UserType("derived").AtAddress(0x3000).End();
    w.Null().Label("u-end");

    ASSERT_EQ(Load(Dwarf1Image(w.Build(), {})), LDR_OK);
    EXPECT_EQ(unitResult, LDR_OK);
    EXPECT_EQ(quinar::ListTypesWithItems(),
              (std::vector<std::string>{
                  "10001 class size 4 class Base",
                  "  slot public b type 8 offset 0",
                  "10002 class size 8 class Derived",
                  "  slot public d type 8 offset 4",
              }));
    const std::vector<std::string> symbols = quinar::ListSymbols();
    EXPECT_NE(std::find(symbols.begin(), symbols.end(), "variable 00003000 object type 10002"), symbols.end())
        << ::testing::PrintToString(symbols);
}

// A load of reduced detail: functions and globals, no parameters, locals
// or line rows.
TEST_F(Dwarf1Test, ReducedDetailAddsFunctionsOnly)
{
    const std::vector<uint8_t> line = Dwarf1LineTable(0x100, {{10, 0, 0}, {11, 0, 8}});
    ASSERT_EQ(Load(Dwarf1Image(Program().Build(), line), 1), LDR_OK);
    EXPECT_EQ(quinar::ListFunctionsWithVariables(),
              (std::vector<std::string>{"00000100-0000013f sum module prog type 1000a"}));
    EXPECT_TRUE(quinar::ListLines().empty());
    EXPECT_TRUE(Has(quinar::ListSymbols(), "variable 00003000 counter type 8"));
}

// Type entries at their edges: a structure holding a member function is
// stored as a class with the method under "Class::name"; a declaration
// without a size builds nothing; a typedef of a user fundamental code takes
// the size of the store's id for it; a subroutine type lists its
// parameters.
TEST_F(Dwarf1Test, TypeEntryEdges)
{
    Dwarf1Writer w;
    w.Begin(0x11).Sibling("u-end").Name("edges.c").Pcs(0x100, 0x180).End();
    w.Begin(0x13).Sibling("s-end").Name("Box").U32(0x00B6, 4).End();
    w.Begin(0x0D).Name("size").FundType(INT).AtMember(0).End();
    w.Begin(0x14).Sibling("m-end").Name("grow").End();
    w.Null().Label("m-end");
    w.Null().Label("s-end");
    w.Begin(0x13).Name("Opaque").End();
    w.Begin(0x16).Name("int32").FundType(0x9604).End();
    w.Begin(0x15).Sibling("f-end").FundType(INT).End();
    w.Begin(0x05).FundType(CHAR).End();
    w.Begin(0x05).ModFundType({1}, INT).End();
    w.Null().Label("f-end");
    w.Null().Label("u-end");
    ASSERT_EQ(Load(Dwarf1Image(w.Build(), {})), LDR_OK);
    EXPECT_EQ(unitResult, LDR_OK);
    EXPECT_EQ(quinar::ListTypesWithItems(),
              (std::vector<std::string>{
                  "10001 class size 4 class Box",
                  "  slot public size type 8 offset 0",
                  "  slot public Box::grow code 00000000-00000000",
                  "10002 typedef size 4 int32 to 9604",
                  "10003 pointer size 4 int * to 8",
                  "10004 proc size 0 int (signed char, int *) returns 8",
                  "  param type 2",
                  "  param type 10003",
              }));
}

}  // namespace
}  // namespace tarnel::test

// DWARF 2 attribute values by form, abbreviation tables and the compiler
// kind of a producer text, on bytes written here.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "dwarf2_abbrev.h"
#include "dwarf2_compile_unit.h"
#include "dwarf2_constants.h"
#include "dwarf2_forms.h"
#include "dwarf2_locations.h"
#include "dwarf_writer.h"

namespace tarnel::test {
namespace {

const std::vector<uint8_t> STRINGS = {'a', 'l', 'p', 'h', 'a', 0, 'b', 'e', 't', 'a', 0};

// A unit whose entries are `bytes`, at offset 0x100 of .debug_info.
Dwarf2Unit UnitOver(const std::vector<uint8_t>& bytes, bool bigEndian)
{
    Dwarf2Unit unit;
    unit.headerOffset = 0x100;
    unit.entries = ByteCursor(bytes, bigEndian, ".debug_info", 0x10B);
    unit.strings = ByteCursor(STRINGS, bigEndian, ".debug_str");
    return unit;
}

struct FormCase {
    const char* what;
    bool bigEndian;
    uint16_t form;
    std::function<void(DwarfBytes&)> write;
    FormClass kind;
    uint64_t number;
    std::string text;
    size_t blockSize;
};

TEST(Dwarf2Forms, EveryFormOfDwarf2IsReadWholeInEitherByteOrder)
{
    const FormCase cases[] = {
        {"addr", false, DW_FORM_addr, [](DwarfBytes& b) { b.U32(0x12345678); }, FormClass::Address, 0x12345678, "", 0},
        {"addr big", true, DW_FORM_addr, [](DwarfBytes& b) { b.U32(0x12345678); }, FormClass::Address, 0x12345678, "",
         0},
        {"data1", false, DW_FORM_data1, [](DwarfBytes& b) { b.U8(0xFE); }, FormClass::Constant, 0xFE, "", 0},
        {"data2 big", true, DW_FORM_data2, [](DwarfBytes& b) { b.U16(0xBEEF); }, FormClass::Constant, 0xBEEF, "", 0},
        {"data4", false, DW_FORM_data4, [](DwarfBytes& b) { b.U32(0x01020304); }, FormClass::Constant, 0x01020304, "",
         0},
        {"data8", false, DW_FORM_data8, [](DwarfBytes& b) { b.U64(0x1111111122222222); }, FormClass::Constant,
         0x1111111122222222, "", 0},
        {"data8 big", true, DW_FORM_data8, [](DwarfBytes& b) { b.U64(0x1111111122222222); }, FormClass::Constant,
         0x1111111122222222, "", 0},
        {"sdata", false, DW_FORM_sdata, [](DwarfBytes& b) { b.SLeb(-300); }, FormClass::Constant,
         static_cast<uint64_t>(-300), "", 0},
        {"udata", false, DW_FORM_udata, [](DwarfBytes& b) { b.ULeb(70000); }, FormClass::Constant, 70000, "", 0},
        {"flag", false, DW_FORM_flag, [](DwarfBytes& b) { b.U8(1); }, FormClass::Flag, 1, "", 0},
        {"string", false, DW_FORM_string, [](DwarfBytes& b) { b.Str("main.c"); }, FormClass::String, 0, "main.c", 0},
        {"strp", true, DW_FORM_strp, [](DwarfBytes& b) { b.U32(6); }, FormClass::String, 0, "beta", 0},
        {"block1", false, DW_FORM_block1,
         [](DwarfBytes& b) {
             b.U8(3).Raw({1, 2, 3});
         },
         FormClass::Block, 0, "", 3},
        {"block2 big", true, DW_FORM_block2,
         [](DwarfBytes& b) {
             b.U16(2).Raw({1, 2});
         },
         FormClass::Block, 0, "", 2},
        {"block4", false, DW_FORM_block4, [](DwarfBytes& b) { b.U32(1).Raw({9}); }, FormClass::Block, 0, "", 1},
        {"block", false, DW_FORM_block,
         [](DwarfBytes& b) {
             b.ULeb(130);
             b.bytes.resize(b.bytes.size() + 130, 0x55);
         },
         FormClass::Block, 0, "", 130},
        {"ref_addr", false, DW_FORM_ref_addr, [](DwarfBytes& b) { b.U32(0x40); }, FormClass::Reference, 0x40, "", 0},
        {"ref1", false, DW_FORM_ref1, [](DwarfBytes& b) { b.U8(0x12); }, FormClass::Reference, 0x12, "", 0},
        {"ref2", false, DW_FORM_ref2, [](DwarfBytes& b) { b.U16(0x1234); }, FormClass::Reference, 0x1234, "", 0},
        {"ref4 big", true, DW_FORM_ref4, [](DwarfBytes& b) { b.U32(0x2345); }, FormClass::Reference, 0x2345, "", 0},
        {"ref8", false, DW_FORM_ref8, [](DwarfBytes& b) { b.U64(0x0000000500000040); }, FormClass::Reference,
         0x0000000500000040, "", 0},
        {"ref_udata", false, DW_FORM_ref_udata, [](DwarfBytes& b) { b.ULeb(200); }, FormClass::Reference, 200, "", 0},
        {"indirect data2", false, DW_FORM_indirect, [](DwarfBytes& b) { b.ULeb(DW_FORM_data2).U16(0x4321); },
         FormClass::Constant, 0x4321, "", 0},
    };
    for (const FormCase& c : cases) {
        SCOPED_TRACE(c.what);
        DwarfBytes b;
        b.bigEndian = c.bigEndian;
        c.write(b);
        b.U8(0xAB);  // the next value: the read must stop right before it
        Dwarf2Unit unit = UnitOver(b.bytes, c.bigEndian);
        FormValue v;
        ASSERT_TRUE(ReadFormValue(unit, c.form, v)) << unit.entries.ErrorText();
        EXPECT_EQ(v.kind, c.kind);
        EXPECT_EQ(v.number, c.number);
        EXPECT_EQ(v.text, c.text);
        EXPECT_EQ(v.block.size(), c.blockSize);
        EXPECT_EQ(unit.entries.U8(), 0xAB);
        EXPECT_TRUE(unit.entries.AtEnd());

        // SkipValue steps over exactly the same bytes.
        Dwarf2Unit skipped = UnitOver(b.bytes, c.bigEndian);
        SkipValue(skipped, c.form);
        EXPECT_EQ(skipped.entries.U8(), 0xAB);
    }
}

// data8 and ref8 give their low 32 bits: the second word on a big-endian
// image, the first on a little-endian one.
TEST(Dwarf2Forms, EightByteValuesGiveTheirLow32Bits)
{
    for (bool big : {false, true}) {
        DwarfBytes b;
        b.bigEndian = big;
        b.U64(0xAAAAAAAA00001234).U64(0xBBBBBBBB00000040);
        Dwarf2Unit unit = UnitOver(b.bytes, big);
        EXPECT_EQ(ReadConstant(unit, DW_FORM_data8), 0x1234u) << big;
        EXPECT_EQ(ReadReference(unit, DW_FORM_ref8), 0x40u) << big;
    }
}

TEST(Dwarf2Forms, ReadersOfOneClassStepOverValuesOfAnother)
{
    DwarfBytes b;
    b.U32(0x11223344).Str("name").U8(0x20).U32(0x20).SLeb(-2).U8(0xAB);
    Dwarf2Unit unit = UnitOver(b.bytes, false);
    EXPECT_EQ(ReadString(unit, DW_FORM_data4), "");
    EXPECT_EQ(ReadConstant(unit, DW_FORM_string), 0u);
    // A unit-relative reference counts from the unit's header; ref_addr
    // counts from the section's start already.
    EXPECT_EQ(ReadTypeReference(unit, DW_FORM_ref1), 0x120u);
    EXPECT_EQ(ReadTypeReference(unit, DW_FORM_ref_addr), 0x20u);
    EXPECT_EQ(ReadConstant(unit, DW_FORM_sdata), 0xFFFFFFFEu);
    EXPECT_EQ(unit.entries.U8(), 0xAB);
}

TEST(Dwarf2Forms, DamageFailsTheUnitAtItsPlace)
{
    struct Damage {
        const char* what;
        uint16_t form;
        std::vector<uint8_t> bytes;
        const char* text;
    };
    const Damage cases[] = {
        {"unknown form", 0x20, {1, 2}, ".debug_info+0x10b: unknown attribute form"},
        {"indirect to an unknown form", DW_FORM_indirect, {0x7F}, ".debug_info+0x10c: unknown attribute form"},
        {"strp past the strings", DW_FORM_strp, {11, 0, 0, 0}, ".debug_info+0x10f: string offset outside .debug_str"},
        {"block past the unit", DW_FORM_block4, {0xFF, 0, 0, 0, 1}, ".debug_info+0x10f: read past the end"},
        {"string without NUL", DW_FORM_string, {'a', 'b'}, ".debug_info+0x10b: string without its terminating NUL"},
    };
    for (const Damage& d : cases) {
        Dwarf2Unit unit = UnitOver(d.bytes, false);
        FormValue v;
        EXPECT_FALSE(ReadFormValue(unit, d.form, v)) << d.what;
        EXPECT_EQ(unit.entries.ErrorText(), d.text) << d.what;
    }
}

TEST(Dwarf2Abbreviations, CodesOfSeveralBytesAndLaterDeclarationsWin)
{
    std::vector<uint8_t> bytes = AbbrevTable({
        {1, 0x11, true, {{0x03, 0x08}, {0x25, 0x0E}}},
        {300, 0x2E, false, {{0x03, 0x08}}},
        {1, 0x24, false, {}},
    });
    bytes.push_back(0x99);  // after the table: not read
    ByteCursor c(bytes, false, ".debug_abbrev");
    std::unordered_map<uint32_t, Dwarf2Abbrev> table;
    table[7] = {};
    ASSERT_TRUE(ReadAbbreviations(c, table));
    EXPECT_EQ(c.U8(), 0x99);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table.at(300).tag, 0x2E);
    EXPECT_EQ(table.at(300).attributes.size(), 1u);
    EXPECT_EQ(table.at(1).tag, 0x24);
    EXPECT_TRUE(table.at(1).attributes.empty());

    // A table without its ending code fails at the section's end.
    ByteCursor cut(std::span<const uint8_t>(bytes.data(), 6), false, ".debug_abbrev");
    EXPECT_FALSE(ReadAbbreviations(cut, table));
    EXPECT_EQ(cut.ErrorText(), ".debug_abbrev+0x6: read past the end");
}

TEST(Dwarf2Producer, TheFirstKnownPartOfTheProducerGivesTheKind)
{
    struct Case {
        const char* producer;
        CompilerKind kind;
        bool thumb;
    };
    const Case cases[] = {
        {"GNU C17 12.2.1 20221205 -mcpu=arm7tdmi -marm -gdwarf-2", COMPILER_GNU_C, false},
        {"GNU C++17 12.2.1 -mthumb", COMPILER_GNU_C, false},
        {"ghs c 4.0", COMPILER_GREEN_HILLS, false},
        {"ARM C Compiler, ADS1.2", COMPILER_ARM, false},
        {"Norcroft arm c", COMPILER_ARM, false},
        {"Thumb C compiler", COMPILER_ARM, true},
        {"ARM/Thumb C", COMPILER_ARM, false},  // "ARM" is looked for before "THUMB C"
        {"GNU AS 2.40", COMPILER_NONE, false},
        {"", COMPILER_NONE, false},
    };
    for (const Case& c : cases) {
        const ProducerKind p = KindOfProducer(c.producer);
        EXPECT_EQ(p.kind, c.kind) << c.producer;
        EXPECT_EQ(p.thumb, c.thumb) << c.producer;
    }
}

// The words a location expression gives a variable or member: the frame
// pointer r11 as a frame offset, another base register as that register
// with its offset dropped; an operation of no word ends the decoding.
TEST(Dwarf2Locations, ExpressionsGiveTheirVariablesWords)
{
    struct Case {
        const char* what;
        bool bigEndian;
        std::vector<uint8_t> expr;
        uint32_t value;
        bool isRegister, isAddress;
    } const cases[] = {
        {"addr", false, {DW_OP_addr, 0x78, 0x56, 0x34, 0x12}, 0x12345678, false, true},
        {"addr big", true, {DW_OP_addr, 0x12, 0x34, 0x56, 0x78}, 0x12345678, false, true},
        {"plus_uconst", false, {DW_OP_plus_uconst, 0x90, 0x01}, 144, false, false},
        {"reg5", false, {DW_OP_reg0 + 5}, 5, true, false},
        {"regx", false, {DW_OP_regx, 0x20}, 32, true, false},
        {"breg11 -8", false, {DW_OP_breg0 + 11, 0x78}, static_cast<uint32_t>(-8), false, false},
        {"breg13 +16", false, {DW_OP_breg0 + 13, 0x10}, 13, true, false},
        {"fbreg -20", false, {DW_OP_fbreg, 0x6C}, static_cast<uint32_t>(-20), false, false},
        {"fbreg, deref, reg1",
         false,
         {DW_OP_fbreg, 0x6C, 0x06, DW_OP_reg0 + 1},
         static_cast<uint32_t>(-20),
         false,
         false},
        {"cut short", false, {DW_OP_reg0 + 2, DW_OP_addr, 0x78, 0x56}, 2, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Dwarf2Unit unit = UnitOver({}, c.bigEndian);
        const LocationWords w = DecodeLocation(unit, c.expr);
        EXPECT_EQ(w.value, c.value);
        EXPECT_EQ(w.isRegister, c.isRegister);
        EXPECT_EQ(w.isAddress, c.isAddress);
    }
}

}  // namespace
}  // namespace tarnel::test

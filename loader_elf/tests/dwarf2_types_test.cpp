// The DWARF 2 type, function and variable readers on units written by
// hand, for the shapes a compiler does not give on request: cycles and
// deep chains of type references, a typedef that waits for its class, the
// ARM tools' functions, producers of no known compiler, location lists and
// their damage, variables completing declarations, and pointer targets in a
// .debug_info larger than the first type index.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dwarf2_constants.h"
#include "dwarf2_pass_state.h"
#include "dwarf2_types.h"
#include "dwarf_writer.h"
#include "quinar/listing.h"
#include "quinar/quinar.h"
#include "quinar_rows.h"
#include "tarnel/elf_image.h"
#include "tarnel_fixture.h"

namespace tarnel::test {
namespace {

// Abbreviation codes of the units below.
enum : uint8_t {
    A_UNIT = 1,            // compile_unit: name, producer, low_pc, high_pc; children
    A_BASE,                // base_type: name, byte_size, encoding
    A_POINTER,             // pointer_type: type
    A_REFERENCE,           // reference_type: type
    A_CONST,               // const_type: type
    A_TYPEDEF,             // typedef: name, type
    A_STRUCT,              // structure_type: name, byte_size; children
    A_CLASS,               // class_type: name, byte_size; children
    A_MEMBER,              // member: name, type, data_member_location (block1)
    A_INHERITANCE,         // inheritance: type, data_member_location
    A_FUNCTION,            // subprogram: name, type, low_pc, high_pc, external, frame_base (data4); children
    A_PARAMETER,           // formal_parameter: name, type, location (block1)
    A_VARIABLE,            // variable: name, type, location (block1)
    A_GLOBAL,              // variable: name, type, external, location (block1)
    A_DECLARATION,         // variable: name, type, external, declaration
    A_DEFINITION,          // variable: specification, location (block1)
    A_LIST_VARIABLE,       // variable: name, type, location (data4: a location list)
    A_BLOCK,               // lexical_block: low_pc, high_pc; children
    A_LABEL,               // label: name, low_pc
    A_VARARGS,             // unspecified_parameters
    A_INLINED,             // inlined_subroutine: low_pc, high_pc; children
    A_PADDING,             // base_type: name, byte_size, encoding, a vendor attribute (block4)
    A_STRUCT_DECLARATION,  // structure_type: name, declaration
    A_STRUCT_DEFINITION,   // structure_type: specification, byte_size; children
    A_INLINED_OF,          // inlined_subroutine: abstract_origin, low_pc, high_pc; children
};

constexpr uint16_t VENDOR_BLOCK = 0x2345;

std::vector<uint8_t> Abbrevs()
{
    const uint16_t string = DW_FORM_string, ref = DW_FORM_ref4, data1 = DW_FORM_data1, addr = DW_FORM_addr,
                   flag = DW_FORM_flag, block1 = DW_FORM_block1;
    return AbbrevTable({
        {A_UNIT,
         DW_TAG_compile_unit,
         true,
         {{DW_AT_name, string}, {DW_AT_producer, string}, {DW_AT_low_pc, addr}, {DW_AT_high_pc, addr}}},
        {A_BASE, DW_TAG_base_type, false, {{DW_AT_name, string}, {DW_AT_byte_size, data1}, {DW_AT_encoding, data1}}},
        {A_POINTER, DW_TAG_pointer_type, false, {{DW_AT_type, ref}}},
        {A_REFERENCE, DW_TAG_reference_type, false, {{DW_AT_type, ref}}},
        {A_CONST, DW_TAG_const_type, false, {{DW_AT_type, ref}}},
        {A_TYPEDEF, DW_TAG_typedef, false, {{DW_AT_name, string}, {DW_AT_type, ref}}},
        {A_STRUCT, DW_TAG_structure_type, true, {{DW_AT_name, string}, {DW_AT_byte_size, data1}}},
        {A_CLASS, DW_TAG_class_type, true, {{DW_AT_name, string}, {DW_AT_byte_size, data1}}},
        {A_MEMBER,
         DW_TAG_member,
         false,
         {{DW_AT_name, string}, {DW_AT_type, ref}, {DW_AT_data_member_location, block1}}},
        {A_INHERITANCE, DW_TAG_inheritance, false, {{DW_AT_type, ref}, {DW_AT_data_member_location, block1}}},
        {A_FUNCTION,
         DW_TAG_subprogram,
         true,
         {{DW_AT_name, string},
          {DW_AT_type, ref},
          {DW_AT_low_pc, addr},
          {DW_AT_high_pc, addr},
          {DW_AT_external, flag},
          {DW_AT_frame_base, DW_FORM_data4}}},
        {A_PARAMETER,
         DW_TAG_formal_parameter,
         false,
         {{DW_AT_name, string}, {DW_AT_type, ref}, {DW_AT_location, block1}}},
        {A_VARIABLE, DW_TAG_variable, false, {{DW_AT_name, string}, {DW_AT_type, ref}, {DW_AT_location, block1}}},
        {A_GLOBAL,
         DW_TAG_variable,
         false,
         {{DW_AT_name, string}, {DW_AT_type, ref}, {DW_AT_external, flag}, {DW_AT_location, block1}}},
        {A_DECLARATION,
         DW_TAG_variable,
         false,
         {{DW_AT_name, string}, {DW_AT_type, ref}, {DW_AT_external, flag}, {DW_AT_declaration, flag}}},
        {A_DEFINITION, DW_TAG_variable, false, {{DW_AT_specification, ref}, {DW_AT_location, block1}}},
        {A_LIST_VARIABLE,
         DW_TAG_variable,
         false,
         {{DW_AT_name, string}, {DW_AT_type, ref}, {DW_AT_location, DW_FORM_data4}}},
        {A_BLOCK, DW_TAG_lexical_block, true, {{DW_AT_low_pc, addr}, {DW_AT_high_pc, addr}}},
        {A_LABEL, DW_TAG_label, false, {{DW_AT_name, string}, {DW_AT_low_pc, addr}}},
        {A_VARARGS, DW_TAG_unspecified_parameters, false, {}},
        {A_INLINED, DW_TAG_inlined_subroutine, true, {{DW_AT_low_pc, addr}, {DW_AT_high_pc, addr}}},
        {A_PADDING,
         DW_TAG_base_type,
         false,
         {{DW_AT_name, string}, {DW_AT_byte_size, data1}, {DW_AT_encoding, data1}, {VENDOR_BLOCK, DW_FORM_block4}}},
        {A_STRUCT_DECLARATION, DW_TAG_structure_type, false, {{DW_AT_name, string}, {DW_AT_declaration, flag}}},
        {A_STRUCT_DEFINITION, DW_TAG_structure_type, true, {{DW_AT_specification, ref}, {DW_AT_byte_size, data1}}},
        {A_INLINED_OF,
         DW_TAG_inlined_subroutine,
         true,
         {{DW_AT_abstract_origin, ref}, {DW_AT_low_pc, addr}, {DW_AT_high_pc, addr}}},
    });
}

const char* const GNU = "GNU C17 12.2.1 -gdwarf-2";

// One unit written entry by entry. References are unit-relative (ref4):
// `At()` is the offset the next entry gets; references to entries written
// later are patched once those are placed.
class Unit {
public:
    explicit Unit(const char* producer = GNU, uint32_t low = 0x1000, uint32_t high = 0x2000)
    {
        u_.entries.ULeb(A_UNIT).Str("unit.c").Str(producer).U32(low).U32(high);
    }
    uint32_t At() const { return u_.entries.Size() + 11; }
    DwarfBytes& Bytes() { return u_.entries; }
    // A 4-byte reference to be filled in by Patch.
    size_t Hole()
    {
        u_.entries.U32(0);
        return u_.entries.Size() - 4;
    }
    void Patch(size_t hole, uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            u_.entries.bytes[hole + i] = static_cast<uint8_t>(value >> (8 * i));
    }
    uint32_t Base(const char* name, uint8_t size, uint8_t encoding)
    {
        const uint32_t at = At();
        u_.entries.ULeb(A_BASE).Str(name).U8(size).U8(encoding);
        return at;
    }
    uint32_t Ref(uint8_t code, uint32_t target)
    {
        const uint32_t at = At();
        u_.entries.ULeb(code).U32(target);
        return at;
    }
    uint32_t Typedef(const char* name, uint32_t target)
    {
        const uint32_t at = At();
        u_.entries.ULeb(A_TYPEDEF).Str(name).U32(target);
        return at;
    }
    uint32_t Aggregate(uint8_t code, const char* name, uint8_t size)
    {
        const uint32_t at = At();
        u_.entries.ULeb(code).Str(name).U8(size);
        return at;
    }
    void Member(const char* name, uint32_t type, uint8_t offset)
    {
        u_.entries.ULeb(A_MEMBER).Str(name).U32(type).U8(2).U8(DW_OP_plus_uconst).U8(offset);
    }
    uint32_t Function(const char* name, uint32_t type, uint32_t low, uint32_t high, uint32_t frameList = 0)
    {
        const uint32_t at = At();
        u_.entries.ULeb(A_FUNCTION).Str(name).U32(type).U32(low).U32(high).U8(1).U32(frameList);
        return at;
    }
    // A parameter or variable at a frame offset (DW_OP_fbreg).
    void Local(uint8_t code, const char* name, uint32_t type, int8_t offset)
    {
        u_.entries.ULeb(code).Str(name).U32(type).U8(2).U8(DW_OP_fbreg).SLeb(offset);
    }
    void Global(const char* name, uint32_t type, uint32_t address)
    {
        u_.entries.ULeb(A_GLOBAL).Str(name).U32(type).U8(1).U8(5).U8(DW_OP_addr).U32(address);
    }
    void End() { u_.entries.U8(0); }
    std::vector<uint8_t> Build()
    {
        End();
        return u_.Bytes();
    }

private:
    UnitBytes u_;
};

uint32_t Named(const char* name)
{
    uint32_t handle = 0;
    EXPECT_EQ(SymLookupNamedSymbol(0, name, &handle), SYM_OK) << name;
    return handle;
}

std::vector<std::string> VariablesOf(uint32_t function)
{
    std::vector<std::string> names;
    char name[SYM_MEMBER_NAME_SIZE];
    for (uint32_t n = 0; SymGetFunctionVariable(function, n, nullptr, name) == SYM_OK; ++n)
        names.push_back(name);
    return names;
}

class Dwarf2TypesTest : public TarnelTest {
protected:
    // Loads the units; the entry -> type map is kept as the pass leaves it.
    void Load(const std::vector<uint8_t>& info, std::vector<uint8_t> loc = {})
    {
        DwarfImage image;
        image.abbrev = Abbrevs();
        image.info = info;
        image.loc = std::move(loc);
        Readers().stabs = [this](ReaderCall&) {
            for (const auto& [offset, entry] : State().tables.dwarf2Types)
                typeOf[offset] = entry.typeIndex;
            return LDR_OK;
        };
        file.reset();  // the same name: the old file goes first
        file = std::make_unique<TempFile>("types.elf", image.Build());
        ASSERT_EQ(LdrLoadWinElf(file->Path().c_str(), 1, LDR_FLAG_SYMBOLS, Window()), LDR_OK);
    }
    uint32_t TypeOf(uint32_t offset) { return typeOf.count(offset) ? typeOf[offset] : 0; }
    uint32_t Target(uint32_t pointer)
    {
        uint32_t target = 0xDEAD;
        EXPECT_EQ(SymGetPointerTarget(TypeOf(pointer), &target), SYM_OK);
        return target;
    }

    std::unique_ptr<TempFile> file;
    std::map<uint32_t, uint32_t> typeOf;
};

// A structure holding a reference to itself, const types naming each other
// and typedefs naming each other: each is read once, the references find
// the structure after the pass, and the cycles end.
TEST_F(Dwarf2TypesTest, SelfReferencesAndCyclesOfTypesEnd)
{
    Unit u;
    const uint32_t node = u.Aggregate(A_STRUCT, "node", 8);
    u.Member("value", 0, 0);
    const size_t self = u.Bytes().Size();
    u.Member("self", 0, 4);
    u.End();
    const uint32_t reference = u.Ref(A_REFERENCE, node);
    u.Patch(self + 1 + 5, reference);
    // const A -> const B -> const A; typedef one -> two -> one.
    const uint32_t constA = u.At();
    u.Bytes().ULeb(A_CONST);
    const size_t constHole = u.Hole();
    const uint32_t constB = u.Ref(A_CONST, constA);
    u.Patch(constHole, constB);
    const uint32_t one = u.At();
    u.Bytes().ULeb(A_TYPEDEF).Str("one");
    const size_t oneHole = u.Hole();
    const uint32_t two = u.Typedef("two", one);
    u.Patch(oneHole, two);
    Load(u.Build());

    EXPECT_TRUE(LoadMessages().empty());
    SymMemberInfo member{};
    ASSERT_EQ(SymGetStructMember(TypeOf(node), 1, &member), SYM_OK);
    EXPECT_EQ(member.type, TypeOf(reference));
    EXPECT_EQ(Target(reference), TypeOf(node));
    EXPECT_EQ(TypeRecordOf(TypeOf(reference)).code, SYM_TYPE_REFERENCE);
    // A cycle of qualifiers names no type; the typedefs name each other.
    EXPECT_EQ(TypeOf(constA), 0u);
    EXPECT_EQ(TypeOf(constB), 0u);
    EXPECT_EQ(TypeRecordOf(TypeOf(one)).link, TypeOf(two));
    EXPECT_EQ(TypeRecordOf(TypeOf(two)).link, TypeOf(one));
}

// A chain of typedefs far deeper than the readers go on demand: the stack
// stays bounded and every typedef names the next all the same.
TEST_F(Dwarf2TypesTest, ADeepChainOfTypedefsIsReadWithoutDeepRecursion)
{
    constexpr int LENGTH = 20000;
    Unit u;
    std::vector<uint32_t> at;
    std::vector<size_t> holes;
    for (int i = 0; i < LENGTH; ++i) {
        at.push_back(u.At());
        u.Bytes().ULeb(A_TYPEDEF).Str("t" + std::to_string(i));
        holes.push_back(u.Hole());
    }
    const uint32_t integer = u.Base("int", 4, DW_ATE_signed);
    for (int i = 0; i < LENGTH; ++i)
        u.Patch(holes[i], i + 1 < LENGTH ? at[i + 1] : integer);
    Load(u.Build());
    for (int i = 0; i < LENGTH; ++i) {
        ASSERT_NE(TypeOf(at[i]), 0u) << i;
        ASSERT_EQ(TypeRecordOf(TypeOf(at[i])).link, i + 1 < LENGTH ? TypeOf(at[i + 1]) : SYM_TYPE_INT) << i;
    }
}

// A typedef named like the class it names, met before that class: no type
// yet; once the class is mapped, a reference to the typedef makes it.
TEST_F(Dwarf2TypesTest, ATypedefNamedLikeItsClassWaitsForTheClass)
{
    Unit u;
    const uint32_t integer = u.Base("int", 4, DW_ATE_signed);
    const uint32_t alias = u.At();
    u.Bytes().ULeb(A_TYPEDEF).Str("Shape");
    const size_t hole = u.Hole();
    const uint32_t shape = u.Aggregate(A_CLASS, "Shape", 4);
    u.Member("sides", integer, 0);
    u.End();
    u.Patch(hole, shape);
    u.Function("draw", integer, 0x1000, 0x1010);
    u.Local(A_VARIABLE, "s", alias, -8);
    u.End();
    Load(u.Build());

    const uint32_t s = Named("draw");
    char name[SYM_MEMBER_NAME_SIZE];
    uint32_t variable = 0;
    ASSERT_EQ(SymGetFunctionVariable(s, 0, &variable, name), SYM_OK);
    const SymTypeDesc t = TypeRecordOf(DetailsOf(variable).type);
    EXPECT_EQ(t.code, SYM_TYPE_TYPEDEF);
    EXPECT_EQ(t.link, TypeOf(shape));
    EXPECT_EQ(TypeRecordOf(TypeOf(shape)).code, SYM_TYPE_CLASS);
}

// A class's index lies 256 above the allocated value; member types made
// while its members are read may take it. Such a class is not stored and
// not mapped: the next reference reads it again, its member types made
// now, and stores it.
TEST_F(Dwarf2TypesTest, AClassWhoseMembersTookItsIndexIsStoredWhenNamedAgain)
{
    constexpr int MEMBERS = 300;
    Unit u;
    const uint32_t integer = u.Base("int", 4, DW_ATE_signed);
    const uint32_t wide = u.Aggregate(A_CLASS, "wide", 4);
    std::vector<size_t> holes;
    for (int i = 0; i < MEMBERS; ++i) {
        u.Bytes().ULeb(A_MEMBER).Str("m" + std::to_string(i));
        holes.push_back(u.Hole());
        u.Bytes().U8(2).U8(DW_OP_plus_uconst).U8(0);
    }
    u.End();
    // A pointer type of its own for each member, read on demand.
    for (int i = 0; i < MEMBERS; ++i)
        u.Patch(holes[i], u.Ref(A_POINTER, integer));
    u.Global("object", wide, 0x9000);
    Load(u.Build());

    const uint32_t index = TypeOf(wide);
    ASSERT_NE(index, 0u);
    EXPECT_GT(index, SYM_FIRST_TYPE_INDEX + 256 + MEMBERS);
    EXPECT_EQ(TypeRecordOf(index).code, SYM_TYPE_CLASS);
    SymClassMemberInfo last{};
    EXPECT_EQ(SymGetTypeClassNth(index, MEMBERS - 1, &last), SYM_OK);
    EXPECT_EQ(DetailsOf(Named("object")).type, index);
}

// The ARM tools: variables before the body are parameters (lexical blocks
// there included), a function without a name is added, and a base class
// leaves a structure a structure. A GNU unit makes the same structure a class.
TEST_F(Dwarf2TypesTest, TheArmReadersTakeTheirOwnShapes)
{
    for (const char* producer : {"ARM C Compiler, ADS1.2", GNU}) {
        SCOPED_TRACE(producer);
        SymClearSymbolTables(0);
        typeOf.clear();
        Unit u(producer);
        const uint32_t integer = u.Base("int", 4, DW_ATE_signed);
        const uint32_t base = u.Aggregate(A_STRUCT, "base", 4);
        u.Member("b", integer, 0);
        u.End();
        const uint32_t derived = u.Aggregate(A_STRUCT, "derived", 8);
        u.Bytes().ULeb(A_INHERITANCE).U32(base).U8(2).U8(DW_OP_plus_uconst).U8(0);
        u.Member("d", integer, 4);
        u.End();
        u.Function("", integer, 0x1100, 0x1140);
        u.Local(A_PARAMETER, "p", integer, -4);
        u.Local(A_VARIABLE, "v", integer, -8);
        u.Bytes().ULeb(A_BLOCK).U32(0x1110).U32(0x1120);
        u.Local(A_VARIABLE, "w", integer, -12);
        u.End();
        u.Bytes().ULeb(A_VARARGS);
        u.Local(A_VARIABLE, "z", integer, -16);
        u.End();
        Load(u.Build());

        const bool arm = producer != GNU;
        EXPECT_EQ(TypeRecordOf(TypeOf(derived)).code, arm ? SYM_TYPE_STRUCT : SYM_TYPE_CLASS);
        const std::vector<std::string> functions = quinar::ListFunctions();
        ASSERT_EQ(functions.size(), arm ? 1u : 0u);
        if (!arm)
            continue;
        uint32_t function = 0;
        ASSERT_EQ(SymGetAddrInfo(SYM_ADDR_CODE, 0x1100, nullptr, nullptr, nullptr, nullptr, &function, nullptr),
                  SYM_OK);
        EXPECT_EQ(VariablesOf(function), (std::vector<std::string>{"p", "v", "w", "z"}));
        // p, v and w are the procedure type's parameters.
        char text[SYM_TYPE_NAME_SIZE];
        ASSERT_EQ(BuildDetailedType(DetailsOf(function).type, text), SYM_OK);
        EXPECT_STREQ(text, "int (int, int, int)");
    }
}

// Units whose producer names no known compiler (an assembler's, another
// compiler's) make no structures and no functions; the other types are read.
TEST_F(Dwarf2TypesTest, UnitsOfNoKnownCompilerMakeNoStructuresOrFunctions)
{
    Unit u("clang version 14");
    const uint32_t integer = u.Base("int", 4, DW_ATE_signed);
    const uint32_t point = u.Aggregate(A_STRUCT, "point", 4);
    u.Member("x", integer, 0);
    u.End();
    const uint32_t alias = u.Typedef("number", integer);
    u.Function("f", integer, 0x1000, 0x1010);
    u.End();
    Load(u.Build());
    EXPECT_EQ(TypeOf(point), 0u);
    EXPECT_EQ(TypeRecordOf(TypeOf(alias)).link, SYM_TYPE_INT);
    EXPECT_TRUE(quinar::ListFunctions().empty());
}

TEST_F(Dwarf2TypesTest, BaseTypesMapToQuinarsPredefinedTypes)
{
    struct Case {
        uint32_t encoding, size;
        const char* name;
        uint32_t index;
    } const cases[] = {
        {DW_ATE_signed, 4, "int", 8},
        {DW_ATE_signed, 4, "long int", 11},
        {DW_ATE_unsigned, 4, "unsigned int", 9},
        {DW_ATE_unsigned, 4, "long unsigned int", 12},
        {DW_ATE_signed, 1, "signed char", 2},
        {DW_ATE_unsigned_char, 1, "char", 3},
        {DW_ATE_signed, 2, "short int", 5},
        {DW_ATE_unsigned, 2, "short unsigned int", 6},
        {DW_ATE_signed, 8, "long long int", 70},
        // 64-bit unsigned values keep their sign: quinar's unsigned long long.
        {DW_ATE_unsigned, 8, "long long unsigned int", 72},
        {DW_ATE_signed, 3, "int24", SYM_TYPE_VOID},
        {DW_ATE_float, 4, "float", 14},
        {DW_ATE_float, 8, "double", 15},
        {DW_ATE_float, 2, "half", 5},
        {DW_ATE_complex_float, 16, "complex double", 18},
        {DW_ATE_complex_float, 8, "complex float", 17},
        {DW_ATE_boolean, 1, "_Bool", 21},
        {DW_ATE_address, 4, "void *", 13},
        {0x10, 2, "char16_t", SYM_TYPE_INT},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BaseTypeIndex(c.encoding, c.size, c.name), c.index) << c.name;
}

// A function's frame base and a local as location lists of .debug_loc:
// pairs count from the unit's low_pc, a base address entry sets another
// base, and a list in absolute addresses (gcc's units with code in several
// sections) is taken as such. A list outside the section is reported.
TEST_F(Dwarf2TypesTest, LocationListsCountFromTheUnitsBase)
{
    DwarfBytes loc;
    // The frame base, relative to the unit's low_pc 0x1000.
    const uint32_t frameList = loc.Size();
    loc.U32(0x100).U32(0x104).U16(2).Raw({0x7D, 0x00});  // breg13 +0
    loc.U32(0x104).U32(0x140).U16(2).Raw({0x7B, 0x04});  // breg11 +4
    loc.U32(0).U32(0);
    // A local, after a base address entry.
    const uint32_t baseList = loc.Size();
    loc.U32(0xFFFFFFFF).U32(0x1100);
    loc.U32(0x10).U32(0x20).U16(1).Raw({0x50});  // reg0
    loc.U32(0).U32(0);
    // Absolute addresses inside the function.
    const uint32_t absoluteList = loc.Size();
    loc.U32(0x1120).U32(0x1130).U16(1).Raw({0x54});  // reg4
    loc.U32(0).U32(0);

    Unit u(GNU, 0x1000, 0x2000);
    const uint32_t integer = u.Base("int", 4, DW_ATE_signed);
    u.Function("f", integer, 0x1100, 0x1140, frameList);
    u.Bytes().ULeb(A_LIST_VARIABLE).Str("a").U32(integer).U32(baseList);
    u.Bytes().ULeb(A_LIST_VARIABLE).Str("b").U32(integer).U32(absoluteList);
    u.Bytes().ULeb(A_LIST_VARIABLE).Str("c").U32(integer).U32(0x400);
    u.End();
    Load(u.Build(), loc.bytes);

    const std::vector<std::string> expected = {
        "00001100-0000113f f module unit type 10001",
        "  frame base [00001100-00001104) breg13 +0; [00001104-00001140) breg11 +4",
        "  local a type 8 frame+0 list [00001110-00001120) reg0",
        "  local b type 8 frame+0 list [00001120-00001130) reg4",
        "  local c type 8 frame+0 list none",
    };
    EXPECT_EQ(quinar::ListFunctionsWithVariables(), expected);
    EXPECT_EQ(LoadMessages(),
              std::vector<std::string>{file->Path() + ": .debug_loc+0x400: location list offset outside the section"});
    const uint8_t* expr = nullptr;
    uint32_t length = 0;
    const uint32_t f = Named("f");
    ASSERT_EQ(SymGetLocationAt(f, 0x1104, &expr, &length), SYM_OK);
    EXPECT_EQ(std::vector<uint8_t>(expr, expr + length), (std::vector<uint8_t>{0x7B, 0x04}));
}

// Locals of lexical blocks belong to their function, their expressions
// holding within the block; an external variable inside the body is the
// global itself and the function goes on; an inlined call without a name
// leaves the caller's block open; a compiler-made '$' part of a parameter's
// name is cut.
TEST_F(Dwarf2TypesTest, BlocksExternalsAndNamelessCallsKeepTheFunctionsLocals)
{
    Unit u;
    const uint32_t integer = u.Base("int", 4, DW_ATE_signed);
    u.Function("f", integer, 0x1000, 0x1100);
    u.Local(A_PARAMETER, "n$1", integer, -4);
    u.Local(A_VARIABLE, "a", integer, -8);
    u.Bytes().ULeb(A_BLOCK).U32(0x1010).U32(0x1080);
    u.Bytes().ULeb(A_BLOCK).U32(0x1020).U32(0x1090);
    u.Local(A_VARIABLE, "inner", integer, -12);
    u.End();
    u.End();
    u.Global("shared", integer, 0x8000);
    u.Bytes().ULeb(A_INLINED).U32(0x1040).U32(0x1050);
    u.Local(A_VARIABLE, "callee_local", integer, -20);
    u.End();
    u.Bytes().ULeb(A_LABEL).Str("again").U32(0x1060);
    u.Local(A_VARIABLE, "b", integer, -16);
    u.End();
    Load(u.Build());

    const uint32_t f = Named("f");
    EXPECT_EQ(VariablesOf(f), (std::vector<std::string>{"n", "a", "inner", "b"}));
    const SymbolDetails shared = DetailsOf(Named("shared"));
    EXPECT_EQ(shared.attribute, SYM_ATTR_EXTERNAL);
    EXPECT_EQ(shared.start, 0x8000u);
    EXPECT_EQ(shared.scope, 0u);
    uint32_t inner = 0;
    ASSERT_EQ(SymGetFunctionVariable(f, 2, &inner, nullptr), SYM_OK);
    SymLocationPiece piece{};
    ASSERT_EQ(SymGetLocationPiece(inner, 0, &piece), SYM_OK);
    EXPECT_EQ(piece.low, 0x1020u);
    EXPECT_EQ(piece.high, 0x1080u);
    EXPECT_EQ(SymGetLocationAt(inner, 0x1010, nullptr, nullptr), SYM_E_NOT_FOUND);
    const SymbolDetails d = DetailsOf(inner);
    EXPECT_EQ(d.attribute, SYM_ATTR_FRAME);
    EXPECT_EQ(static_cast<int32_t>(d.location), -12);
}

// An inlined call of a named function opens its own block; the entries
// after its subtree are its caller's again. The abstract instance (no code)
// gives its static to the module, and re-reading it adds nothing.
TEST_F(Dwarf2TypesTest, EntriesAfterAnInlinedCallBelongToTheCaller)
{
    Unit u;
    const uint32_t integer = u.Base("int", 4, DW_ATE_signed);
    const uint32_t abstract = u.Function("g", integer, 0, 0);
    u.Local(A_PARAMETER, "x", integer, -4);
    u.Bytes().ULeb(A_VARIABLE).Str("counter").U32(integer).U8(5).U8(DW_OP_addr).U32(0x8100);
    u.Local(A_VARIABLE, "scratch", integer, -8);
    u.End();
    u.Function("f", integer, 0x1000, 0x1100);
    u.Local(A_PARAMETER, "n", integer, -4);
    u.Bytes().ULeb(A_INLINED_OF).U32(abstract).U32(0x1040).U32(0x1050);
    u.Local(A_PARAMETER, "x", integer, -12);
    u.Bytes().ULeb(A_BLOCK).U32(0x1040).U32(0x1048);
    u.Local(A_VARIABLE, "scratch", integer, -16);
    u.End();
    u.End();
    u.Bytes().ULeb(A_BLOCK).U32(0x1060).U32(0x1080);
    u.Local(A_VARIABLE, "later", integer, -20);
    u.End();
    u.Local(A_VARIABLE, "b", integer, -24);
    u.End();
    u.Function("h", integer, 0x1100, 0x1200);
    u.Local(A_PARAMETER, "m", integer, -4);
    u.End();
    Load(u.Build());

    EXPECT_EQ(VariablesOf(Named("f")), (std::vector<std::string>{"n", "later", "b"}));
    EXPECT_EQ(VariablesOf(Named("h")), (std::vector<std::string>{"m"}));
    uint32_t call = 0;
    ASSERT_EQ(SymGetAddrInfo(SYM_ADDR_CODE, 0x1044, nullptr, nullptr, nullptr, nullptr, &call, nullptr), SYM_OK);
    EXPECT_EQ(VariablesOf(call), (std::vector<std::string>{"x", "scratch"}));
    const SymbolDetails counter = DetailsOf(Named("counter"));
    EXPECT_EQ(counter.attribute, SYM_ATTR_STATIC);
    EXPECT_EQ(counter.start, 0x8100u);
    EXPECT_EQ(counter.scope, 0u);
}

// A declaration adds nothing; the definition that completes it takes its
// name, type and external flag.
TEST_F(Dwarf2TypesTest, ADefinitionTakesItsDeclarationsName)
{
    Unit u;
    const uint32_t integer = u.Base("int", 4, DW_ATE_signed);
    const uint32_t declaration = u.At();
    u.Bytes().ULeb(A_DECLARATION).Str("count").U32(integer).U8(1).U8(1);
    u.Bytes().ULeb(A_DEFINITION).U32(declaration).U8(5).U8(DW_OP_addr).U32(0x9000);
    Load(u.Build());
    EXPECT_EQ(quinar::ListSymbols().back(), "variable 00009000 count type 8");
    const SymbolDetails d = DetailsOf(Named("count"));
    EXPECT_EQ(d.attribute, SYM_ATTR_EXTERNAL);
    EXPECT_EQ(d.type, SYM_TYPE_INT);
}

// Entry offsets of a large .debug_info reach the range of type indexes.
// Only the pointers whose targets were entries are completed after the
// pass: one that points at a type already must not be taken for the entry
// that happens to lie at that offset.
TEST_F(Dwarf2TypesTest, OnlyPointersToEntriesAreCompletedAfterThePass)
{
    Unit u;
    const uint32_t integer = u.Base("int", 4, DW_ATE_signed);
    // The structure becomes the first allocated index plus 3.
    const uint32_t pair = u.Aggregate(A_STRUCT, "pair", 8);
    u.Member("a", integer, 0);
    u.End();
    const uint32_t toPair = u.Ref(A_POINTER, pair);
    const uint32_t pairIndex = SYM_FIRST_TYPE_INDEX + 3;
    // Padding up to the offset equal to that index, then another structure there.
    const uint32_t header = u.At();
    const uint32_t padding = pairIndex - header - (1 + 4 + 1 + 1 + 4);
    u.Bytes().ULeb(A_PADDING).Str("pad").U8(1).U8(DW_ATE_signed).U32(padding);
    u.Bytes().bytes.resize(u.Bytes().bytes.size() + padding, 0);
    ASSERT_EQ(u.At(), pairIndex);
    const uint32_t other = u.Aggregate(A_STRUCT, "other", 4);
    u.Member("b", integer, 0);
    u.End();
    // A pointer to a structure read later: completed after the pass.
    const uint32_t toLater = u.At();
    u.Bytes().ULeb(A_POINTER);
    const size_t hole = u.Hole();
    const uint32_t later = u.Aggregate(A_STRUCT, "later", 4);
    u.Member("c", integer, 0);
    u.End();
    u.Patch(hole, later);
    Load(u.Build());

    ASSERT_EQ(TypeOf(pair), pairIndex);
    EXPECT_NE(TypeOf(other), 0u);
    EXPECT_EQ(Target(toPair), pairIndex);
    EXPECT_EQ(Target(toLater), TypeOf(later));
}

// gcc declares the C++ types of namespaces and templates in one entry and
// defines them in another (DW_AT_specification): the definition takes the
// declaration's name, and every reference to the declaration, read before
// or after the definition, finds the defined type. A declaration that the
// unit never defines stays a named type of its own.
TEST_F(Dwarf2TypesTest, ADeclaredTypeIsTheTypeItsDefinitionMakes)
{
    for (bool isClass : {false, true}) {
        SCOPED_TRACE(isClass ? "class" : "structure");
        SymClearSymbolTables(0);
        typeOf.clear();
        Unit u;
        const uint32_t integer = u.Base("int", 4, DW_ATE_signed);
        const uint32_t declaration = u.At();
        u.Bytes().ULeb(A_STRUCT_DECLARATION).Str("Box<int>").U8(1);
        const uint32_t opaque = u.At();
        u.Bytes().ULeb(A_STRUCT_DECLARATION).Str("handle").U8(1);
        const uint32_t pointer = u.Ref(A_POINTER, declaration);
        const uint32_t alias = u.Typedef("box_t", declaration);
        const uint32_t toOpaque = u.Ref(A_POINTER, opaque);
        const uint32_t definition = u.At();
        u.Bytes().ULeb(A_STRUCT_DEFINITION).U32(declaration).U8(8);
        u.Member("w", integer, 0);
        u.Member("next", pointer, 4);
        if (isClass) {
            u.Function("area", integer, 0, 0);
            u.End();
        }
        u.End();
        Load(u.Build());

        EXPECT_TRUE(LoadMessages().empty());
        const uint32_t box = TypeOf(definition);
        char name[SYM_TYPE_NAME_SIZE] = {};
        const SymTypeDesc d = TypeRecordOf(box, name);
        EXPECT_EQ(d.code, isClass ? SYM_TYPE_CLASS : SYM_TYPE_STRUCT);
        EXPECT_EQ(d.size, 8u);
        EXPECT_STREQ(name, "Box<int>");
        EXPECT_EQ(TypeOf(declaration), box);
        EXPECT_EQ(Target(pointer), box);
        EXPECT_EQ(TypeRecordOf(TypeOf(alias)).link, box);
        if (isClass) {
            char slotName[SYM_MEMBER_NAME_SIZE] = {};
            SymClassMemberInfo slot{slotName};
            ASSERT_EQ(SymGetTypeClassNth(box, 2, &slot), SYM_OK);
            EXPECT_STREQ(slotName, "Box<int>::area");
        }
        ASSERT_NE(TypeOf(opaque), 0u);
        EXPECT_EQ(Target(toOpaque), TypeOf(opaque));
        TypeRecordOf(TypeOf(opaque), name);
        EXPECT_STREQ(name, "handle");
    }
}

// Entries nested far deeper than any compiler nests them (inlined calls
// in inlined calls, structures in structures): the readers' stack stays
// bounded; the unit ends there with a message, what was read before stays,
// and the next unit is read.
TEST_F(Dwarf2TypesTest, EntriesNestedTooDeeplyEndTheirUnitWithAMessage)
{
    constexpr int DEPTH = 20000;
    for (uint8_t code : {A_INLINED, A_STRUCT}) {
        SCOPED_TRACE(code == A_INLINED ? "inlined calls" : "structures");
        Unit u;
        const uint32_t integer = u.Base("int", 4, DW_ATE_signed);
        u.Function("f", integer, 0x1000, 0x1100);
        uint32_t tooDeep = 0;
        for (int i = 0; i < DEPTH; ++i) {
            if (i == static_cast<int>(MAX_ENTRY_NESTING) - 1)
                tooDeep = u.At();
            if (code == A_INLINED)
                u.Bytes().ULeb(A_INLINED).U32(0x1000).U32(0x1100);
            else
                u.Aggregate(A_STRUCT, "s", 4);
        }
        for (int i = 0; i < DEPTH; ++i)
            u.End();
        u.End();
        Unit next;
        next.Function("g", 0, 0x3000, 0x3100);
        next.End();
        std::vector<uint8_t> info = u.Build();
        const std::vector<uint8_t> second = next.Build();
        info.insert(info.end(), second.begin(), second.end());
        Load(info, std::vector<uint8_t>(8, 0));
        char place[64];
        std::snprintf(place, sizeof place, ".debug_info+0x%x: entries nested too deeply", tooDeep + 1);
        EXPECT_EQ(LoadMessages(), std::vector<std::string>{file->Path() + ": " + place});
        EXPECT_EQ(DetailsOf(Named("f")).start, 0x1000u);
        EXPECT_EQ(DetailsOf(Named("g")).start, 0x3000u);
    }
}

}  // namespace
}  // namespace tarnel::test

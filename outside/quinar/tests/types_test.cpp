// Types: predefined indexes, the index allocator, records filled the way
// the debug-information readers fill them, and the type queries.
#include <cstring>

#include "store_fixture.h"

namespace quinar::test {
namespace {

using TypesTest = StoreTest;

SymTypeDesc Record(uint32_t index, char* name = nullptr)
{
    SymTypeDesc out{};
    out.nameBuffer = name;
    EXPECT_EQ(SymGetTypeRecord(index, &out), SYM_OK) << index;
    return out;
}

TEST_F(TypesTest, PredefinedIndexes)
{
    struct Case {
        uint32_t index;
        uint32_t size;
        const char* name;
    };
    const Case cases[] = {
        {2, 1, "signed char"},    {3, 1, "unsigned char"}, {5, 2, "short"},         {8, 4, "int"},
        {9, 4, "unsigned int"},   {11, 4, "long"},         {13, 4, "void *"},       {14, 4, "float"},
        {15, 8, "double"},        {20, 0, "void"},         {21, 1, "bool"},         {70, 8, "long long"},
        {0x8008, 8, "long long"}, {0x9604, 4, "int32"},    {0xA310, 16, "real128"},
    };
    for (const Case& c : cases) {
        char name[SYM_TYPE_NAME_SIZE];
        SymTypeDesc t = Record(c.index, name);
        EXPECT_EQ(t.valid, 1u);
        EXPECT_EQ(t.code, SYM_TYPE_BASE);
        EXPECT_EQ(t.size, c.size) << c.index;
        EXPECT_STREQ(name, c.name);
        EXPECT_EQ(TypeText(c.index), c.name);
    }
    SymTypeDesc out{};
    EXPECT_EQ(SymGetTypeRecord(19, &out), SYM_E_NO_TYPE);
    EXPECT_EQ(SymGetTypeRecord(0, &out), SYM_E_NO_TYPE);
    EXPECT_EQ(SymGetTypeRecord(SYM_FIRST_TYPE_INDEX, &out), SYM_E_NO_TYPE);
}

TEST_F(TypesTest, AllocatorHandsOutIndexesAboveEverythingInUse)
{
    uint32_t first = 0;
    ASSERT_EQ(SymAllocTypeIndex(&first), SYM_OK);
    EXPECT_EQ(first + 1, SYM_FIRST_TYPE_INDEX);
    // Without a record the index taken stays reserved.
    uint32_t next = 0;
    ASSERT_EQ(SymAllocTypeIndex(&next), SYM_OK);
    EXPECT_EQ(next, first + 1);
    // Structures take the value plus 3, classes plus 256: the next index
    // handed out lies above them.
    uint32_t structure = AddType(SYM_TYPE_STRUCT, 8, "s", 3);
    EXPECT_GT(NewIndex(), structure);
    uint32_t klass = AddType(SYM_TYPE_CLASS, 8, "k", 256);
    EXPECT_GT(NewIndex(), klass);
    // An index stored already is refused; so are 0 and predefined ones.
    SymTypeDesc desc{1, SYM_TYPE_STRUCT, 4, {"again"}, 1, 0};
    EXPECT_EQ(SymAddTypeRecord(structure, &desc), SYM_E_TYPE_TAKEN);
    EXPECT_EQ(SymAddTypeRecord(8, &desc), SYM_E_TYPE_TAKEN);
    EXPECT_EQ(SymAddTypeRecord(0x8008, &desc), SYM_E_TYPE_TAKEN);
    EXPECT_EQ(SymAddTypeRecord(0, &desc), SYM_E_ARGUMENT);
    // A clear starts the allocator again.
    SymClearSymbolTables(0);
    ASSERT_EQ(SymAllocTypeIndex(&next), SYM_OK);
    EXPECT_EQ(next, first);
}

TEST_F(TypesTest, SelfReferencingStructureThroughAPointerFixedUpLater)
{
    // struct node { int value; struct node *next; }: the pointer is made
    // first and points at the structure's entry offset until the pointer
    // pass replaces that by the structure's index.
    const uint32_t entryOffset = 0x2A4;
    uint32_t pointer = AddType(SYM_TYPE_POINTER, 4);
    ASSERT_EQ(SymSetPointerTarget(pointer, entryOffset), SYM_OK);
    uint32_t node = AddType(SYM_TYPE_STRUCT, 8, "node", 3);
    SymStructMember value{"value", SYM_TYPE_INT, 0, 4, 0, 0};
    SymStructMember next{"next", pointer, 4, 4, 0, 0};
    ASSERT_EQ(SymAddStructMember(node, &value), SYM_OK);
    ASSERT_EQ(SymAddStructMember(node, &next), SYM_OK);

    uint32_t target = 0;
    ASSERT_EQ(SymGetPointerTarget(pointer, &target), SYM_OK);
    EXPECT_EQ(target, entryOffset);
    EXPECT_EQ(TypeText(pointer), "? *");
    ASSERT_EQ(SymUpdateTypePointerTypeIndex(pointer, node), SYM_OK);
    ASSERT_EQ(SymGetPointerTarget(pointer, &target), SYM_OK);
    EXPECT_EQ(target, node);
    EXPECT_EQ(TypeText(pointer), "struct node *");
    EXPECT_EQ(Record(node).size, 8u);

    char name[SYM_MEMBER_NAME_SIZE];
    SymMemberInfo member{name, 0, 0, 0, 0};
    ASSERT_EQ(SymGetStructMember(node, 1, &member), SYM_OK);
    EXPECT_STREQ(name, "next");
    EXPECT_EQ(member.type, pointer);
    EXPECT_EQ(member.offset, 4u);
    EXPECT_EQ(SymGetStructMember(node, 2, &member), SYM_E_NOT_FOUND);
    EXPECT_EQ(SymGetStructMember(SYM_TYPE_INT, 0, &member), SYM_E_WRONG_TYPE);

    // A typedef of the structure stands for it.
    uint32_t alias = AddType(SYM_TYPE_TYPEDEF, 0, "Node");
    ASSERT_EQ(SymSetTypeBase(alias, node), SYM_OK);
    uint32_t base = 0;
    ASSERT_EQ(SymGetBaseType(alias, &base), SYM_OK);
    EXPECT_EQ(base, node);
    EXPECT_EQ(Record(alias).size, 8u);
    EXPECT_EQ(TypeText(alias), "Node");
    ASSERT_EQ(SymGetStructMember(alias, 0, &member), SYM_OK);
    EXPECT_STREQ(name, "value");
}

TEST_F(TypesTest, ClassWithMembersAndMethods)
{
    uint32_t point = AddType(SYM_TYPE_CLASS, 8, "Point", 256);
    SymClassSlot x{"x", SYM_TYPE_INT, 0, 0, 0, 0, SYM_ACCESS_PUBLIC};
    SymClassSlot move{"Point::move", 0, 0, 1, 0x100, 0x11F, SYM_ACCESS_PRIVATE};
    SymClassSlot y{"y", SYM_TYPE_INT, 4, 0, 0, 0, SYM_ACCESS_PROTECTED};
    ASSERT_EQ(SymAddTypeClass(point, &x), SYM_OK);
    ASSERT_EQ(SymAddTypeClass(point, &move), SYM_OK);
    ASSERT_EQ(SymAddTypeClass(point, &y), SYM_OK);
    ASSERT_EQ(SymAddClassType(point), SYM_OK);
    EXPECT_EQ(SymAddClassType(NewIndex()), SYM_E_NO_TYPE);

    const SymClassInfo* classes = SymGetAllClassInfo();
    ASSERT_EQ(classes->count, 1u);
    EXPECT_EQ(classes->types[0], point);
    EXPECT_EQ(Record(point).code, SYM_TYPE_CLASS);
    EXPECT_EQ(TypeText(point), "class Point");

    char name[SYM_MEMBER_NAME_SIZE];
    SymClassMemberInfo m{name, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(SymGetTypeClassNth(point, 1, &m), SYM_OK);
    EXPECT_STREQ(name, "Point::move");
    EXPECT_EQ(m.isFunction, 1u);
    EXPECT_EQ(m.lowPc, 0x100u);
    EXPECT_EQ(m.access & 0xFF, SYM_ACCESS_PRIVATE);
    EXPECT_EQ(SymGetTypeClassNth(point, 3, &m), SYM_E_NOT_FOUND);
    // The data members of a class, without its methods.
    SymMemberInfo data{name, 0, 0, 0, 0};
    ASSERT_EQ(SymGetStructMember(point, 1, &data), SYM_OK);
    EXPECT_STREQ(name, "y");
    EXPECT_EQ(data.offset, 4u);

    ASSERT_EQ(SymInitClassTypeArray(), SYM_OK);
    EXPECT_EQ(SymGetAllClassInfo()->count, 0u);
}

TEST_F(TypesTest, ArraysOfOneAndSeveralDimensions)
{
    // int m[3][8]: one record per dimension, the last made first.
    uint32_t inner = AddType(SYM_TYPE_ARRAY, 0);
    SymArrayDim innerDim{SYM_TYPE_INT, 7};
    ASSERT_EQ(SymSetArrayDims(inner, &innerDim), SYM_OK);
    uint32_t outer = AddType(SYM_TYPE_ARRAY, 0);
    SymArrayDim outerDim{inner, 2};
    ASSERT_EQ(SymSetArrayDims(outer, &outerDim), SYM_OK);
    EXPECT_EQ(Record(outer).size, 96u);
    EXPECT_EQ(Record(outer).link, inner);
    EXPECT_EQ(TypeText(outer), "int [3][8]");

    // An array whose element type is not built yet waits for it.
    uint32_t pending = AddType(SYM_TYPE_ARRAY, 0);
    uint32_t later = NewIndex() + 5;
    SymArrayDim dim{later, 9};
    EXPECT_EQ(SymUpdateTypeCArray(pending, &dim), SYM_E_NO_TYPE);
    SymTypeDesc desc{1, SYM_TYPE_STRUCT, 12, {"rec"}, 1, 0};
    ASSERT_EQ(SymAddTypeRecord(later, &desc), SYM_OK);
    EXPECT_EQ(SymUpdateTypeCArray(pending, &dim), SYM_OK);
    EXPECT_EQ(Record(pending).size, 120u);

    uint32_t open = AddType(SYM_TYPE_ARRAY, 0);
    SymArrayDim unbounded{3, 0xFFFFFFFF};
    ASSERT_EQ(SymSetArrayDims(open, &unbounded), SYM_OK);
    EXPECT_EQ(Record(open).size, 0u);
    EXPECT_EQ(TypeText(open), "unsigned char []");
}

TEST_F(TypesTest, DeclaratorTexts)
{
    uint32_t chars = AddType(SYM_TYPE_ARRAY, 0);
    SymArrayDim sixteen{1, 15};
    ASSERT_EQ(SymSetArrayDims(chars, &sixteen), SYM_OK);
    uint32_t toChars = AddType(SYM_TYPE_POINTER, 4);
    ASSERT_EQ(SymSetPointerTarget(toChars, chars), SYM_OK);

    uint32_t charPtr = AddType(SYM_TYPE_POINTER, 4);
    ASSERT_EQ(SymSetPointerTarget(charPtr, 1), SYM_OK);
    uint32_t proc = AddType(SYM_TYPE_PROC, 0);
    uint32_t out = 0;
    ASSERT_EQ(SymAddProcType(proc, 0, 0, 0, SYM_TYPE_INT, 2, 0, &out), SYM_OK);
    EXPECT_EQ(out, proc);
    ASSERT_EQ(SymAddProcParam(proc, SYM_TYPE_INT), SYM_OK);
    ASSERT_EQ(SymAddProcParam(proc, charPtr), SYM_OK);
    uint32_t toProc = AddType(SYM_TYPE_POINTER, 4);
    ASSERT_EQ(SymSetPointerTarget(toProc, proc), SYM_OK);
    uint32_t voidProc = AddType(SYM_TYPE_PROC, 0);
    ASSERT_EQ(SymAddProcType(voidProc, 0, 0, 0, SYM_TYPE_VOID, 0, 0, nullptr), SYM_OK);

    uint32_t ref = AddType(SYM_TYPE_REFERENCE, 4);
    ASSERT_EQ(SymAddTypeReferenceTypeIndex(ref, SYM_TYPE_INT), SYM_OK);
    EXPECT_EQ(SymAddTypeReferenceTypeIndex(charPtr, SYM_TYPE_INT), SYM_E_WRONG_TYPE);
    uint32_t color = AddType(SYM_TYPE_ENUM, 4, "color");
    ASSERT_EQ(SymAddEnumConstant(color, 0, "red"), SYM_OK);
    ASSERT_EQ(SymAddEnumConstant(color, 2, "blue"), SYM_OK);
    uint32_t anon = AddType(SYM_TYPE_UNION, 4);
    uint32_t bits = AddType(SYM_TYPE_BITFIELD, 0);
    SymBitFieldInfo info{4, 28, 4, 9};
    ASSERT_EQ(SymSetBitFieldInfo(bits, &info), SYM_OK);

    struct Case {
        uint32_t index;
        const char* text;
    };
    const Case cases[] = {
        {chars, "char [16]"},        {toChars, "char (*)[16]"},
        {proc, "int (int, char *)"}, {toProc, "int (*)(int, char *)"},
        {voidProc, "void (void)"},   {ref, "int &"},
        {color, "enum color"},       {anon, "union {...}"},
        {bits, "unsigned int : 4"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TypeText(c.index), c.text);
    EXPECT_EQ(Record(bits).size, 4u);
    EXPECT_EQ(Record(proc).link, uint32_t{SYM_TYPE_INT});
}

TEST_F(TypesTest, MalformedChainsAndLongNamesStayBounded)
{
    // Two typedefs naming each other, and a pointer to itself.
    uint32_t a = AddType(SYM_TYPE_TYPEDEF, 0, "a_t");
    uint32_t b = AddType(SYM_TYPE_TYPEDEF, 0, "b_t");
    ASSERT_EQ(SymSetTypeBase(a, b), SYM_OK);
    ASSERT_EQ(SymSetTypeBase(b, a), SYM_OK);
    uint32_t base = 1;
    EXPECT_EQ(SymGetBaseType(a, &base), SYM_E_NO_TYPE);
    EXPECT_EQ(base, 0u);
    EXPECT_EQ(Record(a).size, 0u);
    uint32_t self = AddType(SYM_TYPE_POINTER, 4);
    ASSERT_EQ(SymSetPointerTarget(self, self), SYM_OK);
    std::string text = TypeText(self);
    EXPECT_LT(text.size(), SYM_TYPE_NAME_SIZE);
    EXPECT_EQ(text.rfind("...", 0), 0u);

    std::string longName(200, 'n');
    uint32_t big = AddType(SYM_TYPE_STRUCT, 4, longName.c_str(), 3);
    char buffer[SYM_TYPE_NAME_SIZE + 8];
    std::memset(buffer, 'X', sizeof buffer);
    ASSERT_EQ(BuildDetailedType(big, buffer), SYM_OK);
    EXPECT_EQ(std::strlen(buffer), SYM_TYPE_NAME_SIZE - 1);
    EXPECT_EQ(buffer[SYM_TYPE_NAME_SIZE], 'X');
    std::memset(buffer, 'X', sizeof buffer);
    SymTypeDesc out{};
    out.nameBuffer = buffer;
    ASSERT_EQ(SymGetTypeRecord(big, &out), SYM_OK);
    EXPECT_EQ(std::strlen(buffer), SYM_TYPE_NAME_SIZE - 1);

    EXPECT_EQ(BuildDetailedType(NewIndex() + 7, buffer), SYM_E_NO_TYPE);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(SymSetTypeBase(NewIndex() + 7, 8), SYM_E_NO_TYPE);
    EXPECT_EQ(SymSetTypeBase(8, 9), SYM_E_WRONG_TYPE);
}

TEST_F(TypesTest, PredefinedSizesReturnAfterAClear)
{
    // The object-format loaders size types 16 to 18 for their processor.
    ASSERT_EQ(SymSetTypeSize(16, 4), SYM_OK);
    EXPECT_EQ(Record(16).size, 4u);
    SymClearSymbolTables(0);
    EXPECT_EQ(Record(16).size, 8u);
}

TEST_F(TypesTest, ProcedureTypeWithoutRecordIsMade)
{
    uint32_t proc = NewIndex();
    ASSERT_EQ(SymAddProcType(proc, 0, 0, 0, 3, 1, 0, nullptr), SYM_OK);
    ASSERT_EQ(SymAddProcParam(proc, 8), SYM_OK);
    EXPECT_EQ(Record(proc).code, SYM_TYPE_PROC);
    EXPECT_EQ(TypeText(proc), "unsigned char (int)");
    EXPECT_EQ(SymAddProcParam(NewIndex() + 3, 8), SYM_E_NO_TYPE);
}

}  // namespace
}  // namespace quinar::test

// The source editor's questions at a stop: which names are variables at a
// line, and their values as text. The test executable stands in for the
// CPU model and the memory library.
#include <gmock/gmock.h>

#include "fake_stop.h"
#include "store_fixture.h"
#include "type_table.h"
#include "value_text.h"

namespace quinar::test {
namespace {

TEST(ValueText, EachShapeFormatsItsBits)
{
    TypeTable types;
    uint32_t highest = 0;
    ASSERT_EQ(types.Alloc(&highest), SYM_OK);
    const uint32_t color = highest + 1;
    const uint32_t pointer = highest + 2;
    const uint32_t pair = highest + 3;
    const uint32_t alias = highest + 4;
    const uint32_t tiny = highest + 5;
    SymTypeDesc desc{1, SYM_TYPE_ENUM, 4, {"color"}, 1, 0};
    ASSERT_EQ(types.Add(color, desc), SYM_OK);
    ASSERT_EQ(types.AddEnumConstant(color, 0, "RED"), SYM_OK);
    ASSERT_EQ(types.AddEnumConstant(color, 7, "GREEN"), SYM_OK);
    ASSERT_EQ(types.AddEnumConstant(color, -2, "BACK"), SYM_OK);
    desc = {1, SYM_TYPE_POINTER, 4, {""}, 1, 0};
    ASSERT_EQ(types.Add(pointer, desc), SYM_OK);
    desc = {1, SYM_TYPE_STRUCT, 8, {"pair"}, 1, 0};
    ASSERT_EQ(types.Add(pair, desc), SYM_OK);
    desc = {1, SYM_TYPE_TYPEDEF, 0, {"level_t"}, 1, 0};
    ASSERT_EQ(types.Add(alias, desc), SYM_OK);
    ASSERT_EQ(types.SetBase(alias, 5), SYM_OK);
    desc = {1, SYM_TYPE_ENUM, 1, {"tiny"}, 1, 0};
    ASSERT_EQ(types.Add(tiny, desc), SYM_OK);
    ASSERT_EQ(types.AddEnumConstant(tiny, 1, "ONE"), SYM_OK);

    struct Case {
        uint32_t type;
        uint64_t bits;
        const char* text;
    };
    const Case cases[] = {
        {0, 0xFFFFFFFF, "-1"},  // untyped: an int
        {1, 0x41, "65 'A'"},
        {2, 0xC8, "-56 '\\310'"},  // signed char
        {3, 0xC8, "200 '\\310'"},  // unsigned (the ARM plain char)
        {3, 0, "0 '\\000'"},
        {3, '\n', "10 '\\n'"},
        {3, '\'', "39 '\\''"},
        {3, '\\', "92 '\\\\'"},
        {3, 0x7F, "127 '\\177'"},
        {5, 0x8000, "-32768"},
        {6, 0x8000, "32768"},
        {alias, 0xFFFE, "-2"},  // through the typedef
        {8, 0x80000000, "-2147483648"},
        {9, 0xFFFFFFFF, "4294967295"},
        {11, 0x7FFFFFFF, "2147483647"},
        {70, 0x8000000000000000ull, "-9223372036854775808"},
        {72, 0xFFFFFFFFFFFFFFFFull, "18446744073709551615"},
        {8, 0xFFFFFFFF12345678ull, "305419896"},  // only the type's bytes count
        {21, 1, "true"},
        {21, 0, "false"},
        {14, 0x3FC00000, "1.5"},
        {14, 0x3DCCCCCD, "0.100000001"},
        {15, 0x3FB999999999999Aull, "0.10000000000000001"},
        {pointer, 0x1A2B, "0x00001A2B"},
        {13, 0xFFFFFFFF, "0xFFFFFFFF"},
        {color, 7, "GREEN"},
        {color, 0xFFFFFFFE, "BACK"},
        {color, 5, "5"},
        {color, 0xFFFFFFF0, "-16"},  // a signed enumeration: negative enumerators
        {tiny, 0x01, "ONE"},
        {tiny, 0xFF, "255"},
        {pair, 0, "{...}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ValueLayout layout;
        ASSERT_EQ(LayoutOf(types, c.type, &layout), SYM_OK);
        EXPECT_EQ(FormatValue(types, layout, c.bits), c.text);
    }
    ValueLayout layout;
    EXPECT_EQ(LayoutOf(types, SYM_TYPE_VOID, &layout), SYM_E_WRONG_TYPE);
    EXPECT_EQ(LayoutOf(types, 18, &layout), SYM_E_WRONG_TYPE) << "complex double";
    EXPECT_EQ(LayoutOf(types, highest + 40, &layout), SYM_E_NO_TYPE);
}

// app.c (0x100-0x2FF, lines 1-40):
//   int counter (0x8000); static short level (0x8010); struct pair duo (0x8020);
//   void worker(char arg /* r4 */) { int counter; /* frame -8 */ static int hits; /* 0x8030 */ }
//                                                                    0x100-0x1FF, lines 10-20
//   void idle(void)                                                  0x200-0x2FF, lines 30-35
// lib.c (0x300-0x3FF, lines 50-52): static short level (0x9000); int total (0x9004)
// worker's frame base is r11.
class SourceNamesTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        Stop() = FakeStop{};
        app = OpenModule("app.c", 0x100, 0x2FF);
        const uint32_t pairType = AddType(SYM_TYPE_STRUCT, 8, "pair");
        Global("counter", SYM_TYPE_INT, 0x8000, SYM_STORAGE_EXTERNAL);
        Global("level", 5, 0x8010, SYM_STORAGE_STATIC);
        Global("duo", pairType, 0x8020, SYM_STORAGE_EXTERNAL);
        AddFunction("worker", 0x100, 0x1FF);
        const uint32_t r4[3] = {4, 0, 0};
        uint32_t handle = 0;
        ASSERT_EQ(SymAddVariable("arg", 3, SYM_STORAGE_LOCAL, 1, r4, 0, 1, &handle), SYM_OK);
        const uint32_t frameAt[3] = {static_cast<uint32_t>(-8), 0, 0};
        ASSERT_EQ(SymAddVariable("counter", SYM_TYPE_INT, SYM_STORAGE_LOCAL, 0, frameAt, 0, 1, &handle), SYM_OK);
        Global("hits", SYM_TYPE_INT, 0x8030, SYM_STORAGE_STATIC);  // a static of worker
        ASSERT_EQ(SymEndSymbolBlock(), SYM_OK);
        AddFunction("idle", 0x200, 0x2FF);
        ASSERT_EQ(SymEndSymbolBlock(), SYM_OK);
        AddTable(app, {{10, 0, 0x100}, {12, 0, 0x110}, {20, 0, 0x1F0}, {30, 0, 0x200}, {35, 0, 0x2F0}});
        SymCloseModule(0);

        lib = OpenModule("lib.c", 0x300, 0x3FF);
        Global("level", 6, 0x9000, SYM_STORAGE_STATIC);
        Global("total", SYM_TYPE_INT, 0x9004, SYM_STORAGE_EXTERNAL);
        AddTable(lib, {{50, 0, 0x300}, {52, 0, 0x3F0}});
        SymCloseModule(0);
        ASSERT_EQ(SymEndLoad(), SYM_OK);

        uint32_t worker = 0;
        ASSERT_EQ(SymFindSymbolByName(0, "worker", &worker), SYM_OK);
        const SymLocationPiece frameBase{0, 0xFFFFFFFFu, kReg11, 1};
        ASSERT_EQ(SymSetLocationList(worker, &frameBase, 1), SYM_OK);

        Stop().regs[11] = 0x7F00;
        Stop().regs[4] = 0x1241;  // arg: 'A'
        Stop().PokeWord(0x7F00 - 8, static_cast<uint32_t>(-5));
        Stop().PokeWord(0x8000, 1234);
        Stop().Poke(0x8010, {0xFE, 0xFF});
        Stop().Poke(0x9000, {0xFE, 0xFF});
        Stop().PokeWord(0x9004, 77);
    }

    static void Global(const char* name, uint32_t type, uint32_t address, uint32_t storage)
    {
        const uint32_t at[3] = {3, address, 0};
        uint32_t handle = 0;
        ASSERT_EQ(SymAddVariable(name, type, storage, 0, at, 0, 1, &handle), SYM_OK) << name;
    }

    static std::string Value(uint32_t module, int32_t line, const char* name, int expected = 0)
    {
        ZkString text = "unchanged";
        EXPECT_EQ(SymGetVariableValueText(module, line, name, &text), expected) << name << " at " << line;
        return text;
    }

    static constexpr uint8_t kReg11[1] = {0x5B};  // DW_OP_reg11
    uint32_t app = 0, lib = 0;
};

TEST_F(SourceNamesTest, AVariableIsKnownAtALineOfTheStoppedFunctionOrEverywhereWhenGlobal)
{
    Stop().regs[15] = 0x150;  // in worker
    struct Case {
        const char* name;
        int32_t line;
        bool known;
    };
    const Case cases[] = {
        {"arg", 10, true},     {"arg", 15, true},     {"arg", 20, true},
        {"counter", 12, true}, {"level", 15, true},                        // its module's static
        {"arg", 9, false},     {"arg", 21, false},    {"arg", 32, false},  // outside worker's lines
        {"level", 32, false},  // a static counts only with the stopped function
        {"counter", 32, true}, {"total", 1, true},    {"#total", 99, true},  // globals everywhere
        {"duo", 0, true},      {"worker", 15, false}, {"missing", 15, false},
    };
    for (const Case& c : cases) {
        const int r = SymCheckVariableAtLine(c.name, c.line);
        EXPECT_EQ(r == 0, c.known) << c.name << " at " << c.line << ": " << r;
    }

    Stop().regs[15] = 0x250;  // in idle: worker's locals have no frame
    EXPECT_NE(SymCheckVariableAtLine("arg", 15), 0);
    EXPECT_NE(SymCheckVariableAtLine("level", 15), 0);
    EXPECT_EQ(SymCheckVariableAtLine("level", 33), 0);
    EXPECT_EQ(SymCheckVariableAtLine("counter", 15), 0);
    EXPECT_EQ(SymCheckVariableAtLine(nullptr, 15), SYM_E_ARGUMENT);

    Stop().targetGone = true;  // no PC: the globals still count
    EXPECT_EQ(SymCheckVariableAtLine("total", 15), 0);
    EXPECT_NE(SymCheckVariableAtLine("arg", 15), 0);
    Stop().goneResult = EMU_TARGET_LOST;
    EXPECT_EQ(SymCheckVariableAtLine("total", 15), EMU_TARGET_LOST);
    EXPECT_EQ(SymCheckVariableAtLine("arg", 15), EMU_TARGET_LOST);
}

TEST_F(SourceNamesTest, ValuesComeFromTheStoppedFrameOnlyAtItsLines)
{
    Stop().regs[15] = 0x150;  // in worker
    EXPECT_EQ(Value(app, 15, "arg"), "65 'A'") << "a char in a register is its low byte";
    EXPECT_EQ(Value(app, 15, "counter"), "-5") << "the local hides the global";
    EXPECT_EQ(Value(app, 32, "counter"), "1234") << "away from worker's lines: the global";
    EXPECT_EQ(Value(lib, 15, "counter"), "1234") << "a line of another file";
    Value(app, 32, "arg", SYM_E_NOT_FOUND);
    EXPECT_EQ(Value(app, 15, "level"), "-2") << "app.c's static short";
    EXPECT_EQ(Value(lib, 51, "level"), "65534") << "lib.c's static unsigned short";
    EXPECT_EQ(Value(0, 15, "arg"), "65 'A'") << "no module: the stopped function's own file";
    EXPECT_EQ(Value(app, 15, "duo"), "{...}");
    EXPECT_EQ(Value(app, 15, "total"), "77");
    EXPECT_EQ(Symbols().ValueText(3, 0x41).value, "65 'A'") << "the same texts for values read elsewhere";
    EXPECT_EQ(Symbols().ValueText(SYM_TYPE_VOID, 0).status, SYM_E_WRONG_TYPE);
    EXPECT_EQ(Value(app, 15, "worker", SYM_E_WRONG_TYPE), "unchanged");
    Value(0x7FFFFFF, 15, "total", SYM_E_BAD_HANDLE);
    EXPECT_EQ(SymGetVariableValueText(app, 15, "total", nullptr), SYM_E_ARGUMENT);

    // A line names no other function's variable: not worker's static from
    // idle's lines or another file's, not worker's parameter (whose register
    // holds something else now); for worker's local the global of that name.
    Stop().PokeWord(0x8030, 9);
    EXPECT_EQ(Value(app, 15, "hits"), "9");
    Value(lib, 51, "hits", SYM_E_NOT_FOUND);
    Stop().regs[15] = 0x250;
    Value(app, 33, "hits", SYM_E_NOT_FOUND);
    Value(app, 33, "arg", SYM_E_NOT_FOUND);
    EXPECT_EQ(Value(app, 33, "counter"), "1234");
    EXPECT_EQ(Value(app, 33, "level"), "-2");
    Stop().regs[15] = 0x150;

    Stop().unreadable.insert(0x9004);
    Value(app, 15, "total", SYM_E_NO_VALUE);
    Stop().targetGone = true;
    Stop().goneResult = EMU_TARGET_LOST;
    Value(app, 15, "arg", EMU_TARGET_LOST);
}

}  // namespace
}  // namespace quinar::test

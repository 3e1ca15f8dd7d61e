// Names seen from a scope, symbol information, and expression values at a
// stop. The test executable stands in for the CPU model and the memory
// library (registers, PC, byte order, memory), so the values are read from
// a target the test controls.
#include <gmock/gmock.h>

#include <cstring>
#include <map>
#include <set>

#include "fake_stop.h"
#include "store_fixture.h"

namespace quinar::test {
namespace {

uint32_t Find(uint32_t scope, const char* name)
{
    uint32_t handle = 0;
    EXPECT_EQ(SymFindSymbolByName(scope, name, &handle), SYM_OK) << name;
    return handle;
}

std::string NameOf(uint32_t handle, uint32_t size = 64)
{
    char buffer[64];
    EXPECT_EQ(SymGetSymbolName(handle, buffer, size), SYM_OK);
    return buffer;
}

// Two modules as a reader hands them over:
//   app.c: int counter (0x8000); static short level (0x8010);
//          signed char delta (0x8014); float ratio (0x8018);
//          double scale (0x8020); int *cursor (0x8028); struct pair duo (0x8030);
//          void worker(void) { int counter (frame -8); register char fast (r4); }  0x100-0x1FF
//   lib.c: static short level (0x9000); unsigned short mode (0x9004)
// and a label "stack_top" at 0x7000 from the symbol table.
class ExprTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        Stop() = FakeStop{};
        app = OpenModule("app.c", 0x100, 0x2FF);
        const uint32_t floatType = AddType(SYM_TYPE_BASE, 4, "float");
        const uint32_t shortType = AddType(SYM_TYPE_BASE, 2, "short int");
        const uint32_t pointerType = AddType(SYM_TYPE_POINTER, 4);
        ASSERT_EQ(SymSetPointerTarget(pointerType, SYM_TYPE_INT), SYM_OK);
        const uint32_t pairType = AddType(SYM_TYPE_STRUCT, 8, "pair");
        Global("counter", SYM_TYPE_INT, 0x8000, SYM_STORAGE_EXTERNAL);
        Global("level", shortType, 0x8010, SYM_STORAGE_STATIC);
        Global("delta", 2, 0x8014, SYM_STORAGE_EXTERNAL);
        Global("ratio", floatType, 0x8018, SYM_STORAGE_EXTERNAL);
        Global("scale", 15, 0x8020, SYM_STORAGE_EXTERNAL);
        Global("cursor", pointerType, 0x8028, SYM_STORAGE_EXTERNAL);
        Global("duo", pairType, 0x8030, SYM_STORAGE_EXTERNAL);
        AddFunction("worker", 0x100, 0x1FF);
        worker = Find(0, "worker");
        const uint32_t frameAt[3] = {static_cast<uint32_t>(-8), 0, 0};
        ASSERT_EQ(SymAddVariable("counter", SYM_TYPE_INT, SYM_STORAGE_LOCAL, 0, frameAt, 0, 1, &localCounter), SYM_OK);
        const uint32_t r4[3] = {4, 0, 0};
        ASSERT_EQ(SymAddVariable("fast", 1, SYM_STORAGE_LOCAL, 1, r4, 0, 1, &fast), SYM_OK);
        ASSERT_EQ(SymEndSymbolBlock(), SYM_OK);
        SymCloseModule(0);

        lib = OpenModule("lib.c", 0x300, 0x3FF);
        Global("level", 6, 0x9000, SYM_STORAGE_STATIC);
        Global("mode", 6, 0x9004, SYM_STORAGE_EXTERNAL);
        SymCloseModule(0);
        ASSERT_EQ(SymAddLabel("stack_top", 0x7000), SYM_OK);
        ASSERT_EQ(SymEndLoad(), SYM_OK);
    }

    static void Global(const char* name, uint32_t type, uint32_t address, uint32_t storage)
    {
        const uint32_t at[3] = {3, address, 0};
        uint32_t handle = 0;
        ASSERT_EQ(SymAddVariable(name, type, storage, 0, at, 0, 1, &handle), SYM_OK) << name;
    }

    static SymExprValue Eval(const char* text, SymResult expected = SYM_OK)
    {
        SymExprValue v{};
        EXPECT_EQ(SymEvaluateExpr(text, &v), expected) << text;
        return v;
    }

    uint32_t app = 0, lib = 0, worker = 0, localCounter = 0, fast = 0;
};

TEST_F(ExprTest, NamesAreFoundFromTheScopeOutwards)
{
    EXPECT_EQ(Find(worker, "counter"), localCounter) << "a local hides the global";
    const uint32_t global = Find(0, "counter");
    EXPECT_NE(global, localCounter);
    EXPECT_EQ(Find(app, "counter"), global) << "the module scope sees its globals, not the function's locals";

    SymSymbolInfo appLevel{}, libLevel{};
    ASSERT_EQ(SymGetSymbolInfo(Find(worker, "LEVEL"), &appLevel), SYM_OK) << "names without regard to case";
    ASSERT_EQ(SymGetSymbolInfo(Find(lib, "level"), &libLevel), SYM_OK);
    EXPECT_EQ(appLevel.address, (ADDR{0x8010, 1})) << "the module's own static first";
    EXPECT_EQ(libLevel.address, (ADDR{0x9000, 1}));
    EXPECT_EQ(Find(worker, "mode"), Find(lib, "mode")) << "another module's global";
    EXPECT_EQ(Find(0, "#worker"), worker) << "a leading '#' marks a symbol name";
    EXPECT_NE(Find(0, "stack_top"), 0u) << "labels too";

    uint32_t handle = 1;
    EXPECT_EQ(SymFindSymbolByName(0, "fast", &handle), SYM_E_NOT_FOUND) << "a local outside its function";
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(SymFindSymbolByName(worker, "missing", &handle), SYM_E_NOT_FOUND);
    EXPECT_EQ(SymFindSymbolByName(worker, "", &handle), SYM_E_NOT_FOUND);
    EXPECT_EQ(SymFindSymbolByName(worker, nullptr, &handle), SYM_E_ARGUMENT);
}

TEST_F(ExprTest, RegistersAreNamedWithAnAtOrADollar)
{
    for (const char* text : {"@r1", "@(R1)", "$r1", " @( r1 ) "})
        EXPECT_EQ(Find(0, text), Find(0, "@r1")) << text;
    EXPECT_EQ(Find(0, "@sp"), Find(0, "@r13"));
    EXPECT_EQ(Find(0, "@pc"), Find(0, "$r15"));
    EXPECT_EQ(NameOf(Find(0, "@cpsr")), "cpsr");
    uint32_t handle = 0;
    for (const char* text : {"@r16", "@", "@(r1", "r1"})
        EXPECT_EQ(SymFindSymbolByName(0, text, &handle), SYM_E_NOT_FOUND) << text;

    SymSymbolInfo info{};
    ASSERT_EQ(SymGetSymbolInfo(Find(0, "@lr"), &info), SYM_OK);
    EXPECT_EQ(info.kind, SYM_KIND_REGISTER);
    EXPECT_EQ(info.address, (ADDR{14, SYM_SPACE_REGISTER}));
    EXPECT_EQ(info.size, 4u);
}

TEST_F(ExprTest, SymbolInformationSaysWhereASymbolLives)
{
    struct Case {
        uint32_t handle;
        uint32_t kind;
        ADDR address;
        uint32_t type, size, scope;
    };
    const Case cases[] = {
        {Find(0, "counter"), SYM_KIND_VARIABLE, {0x8000, 1}, SYM_TYPE_INT, 4, 0},
        {localCounter, SYM_KIND_VARIABLE, {static_cast<uint32_t>(-8), SYM_SPACE_FRAME}, SYM_TYPE_INT, 4, worker},
        {fast, SYM_KIND_VARIABLE, {4, SYM_SPACE_REGISTER}, 1, 1, worker},
        {worker, SYM_KIND_FUNCTION, {0x100, 1}, 0, 0x100, 0},
        {Find(0, "stack_top"), SYM_KIND_LABEL, {0x7000, 1}, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(NameOf(c.handle));
        SymSymbolInfo info{};
        ASSERT_EQ(SymGetSymbolInfo(c.handle, &info), SYM_OK);
        EXPECT_EQ(info.kind, c.kind);
        EXPECT_EQ(info.address, c.address);
        EXPECT_EQ(info.type, c.type);
        EXPECT_EQ(info.size, c.size);
        EXPECT_EQ(info.scope, c.scope);
    }
    SymSymbolInfo info{};
    EXPECT_EQ(SymGetSymbolInfo(0x70000099, &info), SYM_E_BAD_HANDLE);
    EXPECT_EQ(SymGetSymbolInfo(worker, nullptr), SYM_E_ARGUMENT);
}

TEST_F(ExprTest, NamesOfEveryKindAreCutToTheBuffer)
{
    EXPECT_EQ(NameOf(worker), "worker");
    EXPECT_EQ(NameOf(fast), "fast");
    EXPECT_EQ(NameOf(app), "app.c");
    EXPECT_EQ(NameOf(Find(0, "stack_top")), "stack_top");
    EXPECT_EQ(NameOf(worker, 4), "wor");
    char buffer[8];
    EXPECT_EQ(SymGetSymbolName(0x70000099, buffer, sizeof buffer), SYM_E_BAD_HANDLE);
    EXPECT_EQ(SymGetSymbolName(worker, buffer, 0), SYM_E_ARGUMENT);
}

TEST_F(ExprTest, ValuesCarryTheirTypeCodeAndTheBitsAsRead)
{
    Stop().Poke(0x8000, {0x78, 0x56, 0x34, 0x12});
    Stop().Poke(0x8010, {0xFE, 0xFF});
    Stop().Poke(0x8014, {0xFF});
    Stop().Poke(0x8018, {0x00, 0x00, 0xC0, 0x3F});                          // 1.5f
    Stop().Poke(0x8020, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x40});  // 2.5
    Stop().Poke(0x9004, {0x34, 0x12});
    Stop().Poke(0x7000, {0x00, 0x00, 0x10, 0x00});
    Stop().regs[15] = 0x400;  // outside every function: globals only
    struct Case {
        const char* text;
        uint32_t type, size;
        uint64_t value;
    };
    const Case cases[] = {
        {"counter", 8, 4, 0x12345678},
        {"level", 5, 2, 0xFFFE},
        {"delta", 2, 1, 0xFF},
        {"ratio", 14, 4, 0x3FC00000},
        {"scale", 15, 8, 0x4004000000000000ull},
        {"mode", 6, 2, 0x1234},
        {" stack_top ", SYM_VALUE_WORD, 4, 0x100000},
        {"0x10", SYM_VALUE_WORD, 4, 16},
        {"010", SYM_VALUE_WORD, 4, 8},
        {"4294967296", 72, 8, 0x100000000ull},
        {"*0x8000", SYM_VALUE_WORD, 4, 0x12345678},
        {"* * 0x7000", SYM_VALUE_WORD, 4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const SymExprValue v = Eval(c.text);
        EXPECT_EQ(v.type, c.type);
        EXPECT_EQ(v.size, c.size);
        EXPECT_EQ(v.value, c.value);
    }

    Stop().bigEndian = true;
    EXPECT_EQ(Eval("counter").value, 0x78563412u) << "the target's byte order";
    EXPECT_EQ(Eval("level").value, 0xFEFFu);
}

TEST_F(ExprTest, LocalsAndRegistersComeFromTheStop)
{
    Stop().regs[15] = 0x180;  // in worker
    Stop().regs[4] = 0x12345681;
    Stop().regs[1] = 0xCAFE;
    const SymExprValue fastValue = Eval("fast");
    EXPECT_EQ(fastValue.type, 1u);
    EXPECT_EQ(fastValue.value, 0x81u) << "a char in a register is its low byte";
    EXPECT_EQ(Eval("@(r1)").value, 0xCAFEu);
    EXPECT_EQ(Eval("$pc").value, 0x180u);
    // The frame base of worker is not known to the store: its frame local
    // has no value, and it hides the global of the same name.
    Eval("counter", SYM_E_NO_VALUE);

    Stop().regs[15] = 0x300;
    Eval("fast", SYM_E_NOT_FOUND);
    Stop().targetGone = true;
    Eval("fast", SYM_E_NOT_FOUND);
    Eval("@r1", SYM_E_NO_VALUE);
}

// Locals as the DWARF 2 reader gives them: worker's frame base is r11, its
// frame local counts from it; in worker2 (0x200-0x2FF, the same frame base)
// a local whose location list changes at 0x240 (r5, then the frame), two
// locals "i" of two lexical blocks, and one optimized away.
TEST_F(ExprTest, LocalsArePlacedByTheirLocationsAtThePc)
{
    const uint8_t reg11[] = {0x5B};
    const SymLocationPiece frameBase{0, 0xFFFFFFFFu, reg11, 1};
    ASSERT_EQ(SymSetLocationList(worker, &frameBase, 1), SYM_OK);
    const uint8_t reg5[] = {0x55}, fbreg12[] = {0x91, 0x74}, fbreg16[] = {0x91, 0x70}, fbreg20[] = {0x91, 0x6C};
    const SymLocationPiece moving[] = {{0x200, 0x240, reg5, 1}, {0x240, 0x300, fbreg12, 2}};
    const SymLocationPiece firstBlock{0x200, 0x280, fbreg16, 2}, secondBlock{0x280, 0x300, fbreg20, 2};
    uint32_t movingLocal = 0, i1 = 0, i2 = 0, gone = 0;
    // Location words as the reader decodes them (the frame offsets).
    const uint32_t words[4][3] = {
        {0, 0, 0}, {static_cast<uint32_t>(-16), 0, 0}, {static_cast<uint32_t>(-20), 0, 0}, {0, 0, 0}};
    SymModuleDesc again{2, 0x100, 0x2FF};
    ASSERT_EQ(SymAddModuleOpenByDescNew(app, "app.c", &kStamp, &again, 0, 1, 0), SYM_OK);
    SymModuleDesc range{2, 0x200, 0x2FF};
    ASSERT_EQ(SymAddPublicSymbol("worker2", 0, 0, &range, 0), SYM_OK);
    const uint32_t worker2 = Find(0, "worker2");
    ASSERT_EQ(SymSetLocationList(0, &frameBase, 1), SYM_OK);
    const std::pair<const char*, uint32_t*> locals[] = {
        {"moving", &movingLocal}, {"i", &i1}, {"i", &i2}, {"gone", &gone}};
    for (int n = 0; n < 4; ++n)
        ASSERT_EQ(SymAddVariable(locals[n].first, SYM_TYPE_INT, SYM_STORAGE_LOCAL, 0, words[n], 0, 1, locals[n].second),
                  SYM_OK);
    ASSERT_EQ(SymSetLocationList(movingLocal, moving, 2), SYM_OK);
    ASSERT_EQ(SymSetLocationList(i1, &firstBlock, 1), SYM_OK);
    ASSERT_EQ(SymSetLocationList(i2, &secondBlock, 1), SYM_OK);
    ASSERT_EQ(SymSetLocationList(gone, nullptr, 0), SYM_OK);
    SymEndSymbolBlock();
    SymCloseModule(0);
    SymEndLoad();
    ASSERT_NE(worker2, 0u);

    Stop().regs[11] = 0x7000;
    Stop().regs[5] = 55;
    Stop().Poke(0x6FF8, {8});   // worker's frame local: -8
    Stop().Poke(0x6FF4, {12});  // -12
    Stop().Poke(0x6FF0, {16});  // -16
    Stop().Poke(0x6FEC, {20});  // -20
    const struct {
        uint32_t pc;
        const char* text;
        SymResult result;
        uint64_t value;
    } cases[] = {
        {0x220, "moving", SYM_OK, 55}, {0x250, "moving", SYM_OK, 12},      {0x220, "i", SYM_OK, 16},
        {0x290, "i", SYM_OK, 20},      {0x250, "gone", SYM_E_NO_VALUE, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << " at 0x" << std::hex << c.pc);
        Stop().regs[15] = c.pc;
        const SymExprValue v = Eval(c.text, c.result);
        if (c.result == SYM_OK) {
            EXPECT_EQ(v.value, c.value);
        }
    }
    Stop().regs[15] = 0x104;
    EXPECT_EQ(Find(worker, "counter"), localCounter);
    EXPECT_EQ(Eval("counter").value, 8u) << "a frame offset from the frame base";
    Stop().regs[11] = 0x8000;
    EXPECT_EQ(Eval("counter").value, 0u) << "the frame base is read at every evaluation";
}

// Values with no single place, in worker3 (0x300-0x3FF): a constant of
// the first half's block (a located local of the same name in the second
// half), a long long in r4 and r5, and one whose high half is optimised out.
TEST_F(ExprTest, ConstantsAndPartsAreValuesOfTheirOwn)
{
    constexpr uint32_t kLongLong = 71;
    SymModuleDesc again{2, 0x100, 0x3FF};
    ASSERT_EQ(SymAddModuleOpenByDescNew(app, "app.c", &kStamp, &again, 0, 1, 0), SYM_OK);
    SymModuleDesc range{2, 0x300, 0x3FF};
    ASSERT_EQ(SymAddPublicSymbol("worker3", 0, 0, &range, 0), SYM_OK);
    // (Location words apart: equal fields would make the two limits one.)
    const uint32_t noWords[3] = {}, otherWords[3] = {4, 0, 0};
    uint32_t constant = 0, located = 0, wide = 0, half = 0;
    ASSERT_EQ(SymAddVariable("limit", SYM_TYPE_INT, SYM_STORAGE_LOCAL, 0, noWords, 0, 1, &constant), SYM_OK);
    ASSERT_EQ(SymAddVariable("limit", SYM_TYPE_INT, SYM_STORAGE_LOCAL, 0, otherWords, 0, 1, &located), SYM_OK);
    ASSERT_EQ(SymAddVariable("wide", kLongLong, SYM_STORAGE_LOCAL, 0, noWords, 0, 1, &wide), SYM_OK);
    ASSERT_EQ(SymAddVariable("half", kLongLong, SYM_STORAGE_LOCAL, 0, noWords, 0, 1, &half), SYM_OK);
    const uint8_t reg6[] = {0x56}, inPieces[] = {0x54, 0x93, 0x04, 0x55, 0x93, 0x04},
                  lowOnly[] = {0x54, 0x93, 0x04, 0x93, 0x04};
    const SymLocationPiece firstHalf{0x300, 0x380, nullptr, 0}, secondHalf{0x380, 0x400, reg6, 1},
        parts{0x300, 0x400, inPieces, sizeof inPieces}, partly{0x300, 0x400, lowOnly, sizeof lowOnly};
    ASSERT_EQ(SymSetLocationList(constant, &firstHalf, 1), SYM_OK);
    const uint8_t forty[] = {0x28, 0x00, 0x00, 0x00};
    ASSERT_EQ(SymSetConstValue(constant, forty, sizeof forty), SYM_OK);
    ASSERT_EQ(SymSetLocationList(located, &secondHalf, 1), SYM_OK);
    ASSERT_EQ(SymSetLocationList(wide, &parts, 1), SYM_OK);
    ASSERT_EQ(SymSetLocationList(half, &partly, 1), SYM_OK);
    EXPECT_EQ(SymSetConstValue(worker, forty, sizeof forty), SYM_E_BAD_HANDLE) << "a function";
    EXPECT_EQ(SymSetConstValue(constant, nullptr, 4), SYM_E_ARGUMENT);
    SymEndSymbolBlock();
    SymCloseModule(0);
    SymEndLoad();

    Stop().regs[4] = 0x89ABCDEF;
    Stop().regs[5] = 0x01234567;
    Stop().regs[6] = 66;
    const struct {
        uint32_t pc;
        const char* text;
        SymResult result;
        uint64_t value;
    } cases[] = {
        {0x310, "limit", SYM_OK, 40},
        {0x390, "limit", SYM_OK, 66},  // the constant holds in its block only
        {0x310, "wide", SYM_OK, 0x0123456789ABCDEFull},
        {0x310, "half", SYM_E_NO_VALUE, 0},  // never a number made of what is left
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << " at 0x" << std::hex << c.pc);
        Stop().regs[15] = c.pc;
        const SymExprValue v = Eval(c.text, c.result);
        if (c.result == SYM_OK) {
            EXPECT_EQ(v.value, c.value);
        }
    }

    // Big-endian: the constant's bytes and the first part are the high end.
    Stop().bigEndian = true;
    Stop().regs[15] = 0x310;
    EXPECT_EQ(Eval("limit").value, 0x28000000u);
    EXPECT_EQ(Eval("wide").value, 0x89ABCDEF01234567ull);
}

TEST_F(ExprTest, PointersAreFollowedToTheirType)
{
    Stop().Poke(0x8028, {0x00, 0x70, 0x00, 0x00});
    Stop().Poke(0x7000, {0xFF, 0xFF, 0xFF, 0xFF});
    const SymExprValue pointer = Eval("cursor");
    EXPECT_EQ(pointer.type, SYM_VALUE_POINTER);
    EXPECT_EQ(pointer.value, 0x7000u);
    const SymExprValue pointee = Eval("*cursor");
    EXPECT_EQ(pointee.type, SYM_TYPE_INT);
    EXPECT_EQ(pointee.value, 0xFFFFFFFFu);
}

TEST_F(ExprTest, WhatHasNoSingleValueIsRefused)
{
    struct Case {
        const char* text;
        SymResult result;
    };
    const Case cases[] = {
        {"", SYM_E_SYNTAX},           {"   ", SYM_E_SYNTAX},        {"counter mode", SYM_E_SYNTAX},
        {"*", SYM_E_SYNTAX},          {"08", SYM_E_SYNTAX},         {"0x", SYM_E_SYNTAX},
        {"(counter)", SYM_E_SYNTAX},  {"counter+1", SYM_E_SYNTAX},  {"-1", SYM_E_SYNTAX},
        {"@r99", SYM_E_NOT_FOUND},    {"nothing", SYM_E_NOT_FOUND}, {"duo", SYM_E_WRONG_TYPE},
        {"worker", SYM_E_WRONG_TYPE}, {"*ratio", SYM_E_WRONG_TYPE}, {"99999999999999999999999", SYM_E_SYNTAX},
    };
    for (const Case& c : cases)
        Eval(c.text, c.result);
    Stop().unreadable.insert(0x8001);
    Eval("counter", SYM_E_NO_VALUE);
    SymExprValue v{};
    EXPECT_EQ(SymEvaluateExpr(nullptr, &v), SYM_E_ARGUMENT);
    EXPECT_EQ(SymEvaluateExpr("counter", nullptr), SYM_E_ARGUMENT);
}

}  // namespace
}  // namespace quinar::test

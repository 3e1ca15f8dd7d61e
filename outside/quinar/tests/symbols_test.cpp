// Symbols: functions and their blocks, variables and their scopes, labels,
// look-ups by name and by address.
#include <algorithm>
#include <iterator>

#include "handles.h"
#include "store_fixture.h"

namespace quinar::test {
namespace {

uint32_t Handle(const char* name, uint32_t scope = 0)
{
    uint32_t handle = 0;
    EXPECT_EQ(SymLookupNamedSymbol(scope, name, &handle), SYM_OK) << name;
    return handle;
}

// A unit as the DWARF 2 reader hands it over:
//   int counter;                        (0x8000, global)
//   int main(int argc) {                (0x100-0x1FF)
//       static int calls;               (0x8010)
//       register int fast;              (r4)
//       int inner(void) { int deep; }   (nested, 0x180-0x1BF)
//   }
class SymbolsTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        module = OpenModule("app", 0x100, 0x2FF);
        const uint32_t counterAt[3] = {3, 0x8000, 0};
        ASSERT_EQ(SymAddVariable("counter", SYM_TYPE_INT, SYM_STORAGE_EXTERNAL, 0, counterAt, 0, 1, &counter), SYM_OK);
        AddFunction("main", 0x100, 0x1FF);
        const uint32_t argcAt[3] = {static_cast<uint32_t>(-8), 0, 0};
        ASSERT_EQ(SymAddVariable("argc", SYM_TYPE_INT, SYM_STORAGE_LOCAL, 0, argcAt, 0, 1, &argc), SYM_OK);
        const uint32_t callsAt[3] = {3, 0x8010, 0};
        ASSERT_EQ(SymAddVariable("calls", 9, SYM_STORAGE_STATIC, 0, callsAt, 0, 1, &calls), SYM_OK);
        const uint32_t fastAt[3] = {4, 0, 0};
        ASSERT_EQ(SymAddVariable("fast", SYM_TYPE_INT, SYM_STORAGE_LOCAL, 1, fastAt, 1, 1, &fast), SYM_OK);
        AddFunction("inner", 0x180, 0x1BF, 1);
        const uint32_t deepAt[3] = {static_cast<uint32_t>(-4), 0, 0};
        ASSERT_EQ(SymAddVariable("deep", 2, SYM_STORAGE_LOCAL, 0, deepAt, 0, 1, &deep), SYM_OK);
        ASSERT_EQ(SymEndSymbolBlock(), SYM_OK);
        ASSERT_EQ(SymEndSymbolBlock(), SYM_OK);
        SymCloseModule(0);
        ASSERT_EQ(SymEndLoad(), SYM_OK);
    }

    uint32_t module = 0, counter = 0, argc = 0, calls = 0, fast = 0, deep = 0;
};

TEST_F(SymbolsTest, CodeAddressesFindTheInnermostFunction)
{
    struct Case {
        uint32_t address;
        const char* function;
        uint32_t start, end;
    };
    const Case cases[] = {{0x100, "main", 0x100, 0x1FF},  {0x17C, "main", 0x100, 0x1FF}, {0x180, "inner", 0x180, 0x1BF},
                          {0x1BF, "inner", 0x180, 0x1BF}, {0x1C0, "main", 0x100, 0x1FF}, {0x1FF, "main", 0x100, 0x1FF}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.address);
        auto i = Symbols().CodeAt(c.address);
        ASSERT_EQ(i.status, SYM_OK);
        EXPECT_EQ(i->kind, SYM_KIND_FUNCTION);
        EXPECT_EQ(i->handle, Handle(c.function));
        EXPECT_EQ(i->module, module);
        EXPECT_EQ(i->start, c.start);
        EXPECT_EQ(i->end, c.end);
        EXPECT_EQ(i->offset, c.address - c.start);
    }
    // Past the functions, still in the module.
    auto i = Symbols().CodeAt(0x200);
    ASSERT_EQ(i.status, SYM_OK);
    EXPECT_EQ(i->kind, SYM_KIND_MODULE);
    EXPECT_EQ(i->handle, module);
    EXPECT_EQ(Symbols().CodeAt(0x300).status, SYM_E_NOT_FOUND);
}

TEST_F(SymbolsTest, DataAddressesFindTheVariable)
{
    auto i = Symbols().DataAt(0x8002);
    ASSERT_EQ(i.status, SYM_OK);
    EXPECT_EQ(i->kind, SYM_KIND_VARIABLE);
    EXPECT_EQ(i->handle, counter);
    EXPECT_EQ(i->start, 0x8000u);
    EXPECT_EQ(i->end, 0x8003u);
    EXPECT_EQ(i->offset, 2u);
    EXPECT_EQ(Symbols().DataAt(0x8013)->handle, calls);
    EXPECT_EQ(Symbols().DataAt(0x8004).status, SYM_E_NOT_FOUND);
}

TEST_F(SymbolsTest, VariablesKeepStorageLocationAndScope)
{
    uint32_t mainFn = Handle("main");
    uint32_t innerFn = Handle("inner");
    struct Case {
        const char* name;
        uint32_t handle;
        uint32_t attribute;
        uint16_t space;
        uint32_t location, size, flags, scope;
    };
    const Case cases[] = {
        {"counter", counter, SYM_ATTR_EXTERNAL, 1, 3, 4, 0, 0},
        {"argc", argc, SYM_ATTR_FRAME, 0, static_cast<uint32_t>(-8), 4, 0, mainFn},
        {"calls", calls, SYM_ATTR_STATIC, 1, 3, 4, 0, mainFn},
        {"fast", fast, SYM_ATTR_REGISTER, 4, 4, 4, 3, mainFn},
        {"deep", deep, SYM_ATTR_FRAME, 0, static_cast<uint32_t>(-4), 1, 0, innerFn},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto d = Symbols().Details(c.handle);
        ASSERT_EQ(d.status, SYM_OK);
        EXPECT_EQ(d->kind, SYM_KIND_VARIABLE);
        EXPECT_EQ(d->module, module);
        EXPECT_EQ(d->attribute, c.attribute);
        EXPECT_EQ(SymGetAddrSpace(d->attribute), c.space);
        EXPECT_EQ(d->location, c.location);
        EXPECT_EQ(d->size, c.size);
        EXPECT_EQ(d->flags, c.flags);
        EXPECT_EQ(d->scope, c.scope);
    }
    // An object's end minus its start is its size (the .symtab pass relies on it).
    auto d = Symbols().Details(counter);
    EXPECT_EQ(d->end - d->start, 4u);
    EXPECT_EQ(Symbols().Details(innerFn)->scope, mainFn);
    EXPECT_EQ(Symbols().Details(innerFn)->attribute, SYM_ATTR_STATIC);
    EXPECT_EQ(Symbols().Details(mainFn)->attribute, SYM_ATTR_EXTERNAL);
}

TEST_F(SymbolsTest, LookupsByName)
{
    EXPECT_EQ(Handle("counter", module), counter);
    EXPECT_EQ(Handle("counter", Handle("main")), counter);
    EXPECT_EQ(Handle("calls"), calls);
    uint32_t handle = 7;
    // Locals are found through their function, not by name alone.
    EXPECT_EQ(SymLookupNamedSymbol(0, "argc", &handle), SYM_E_NOT_FOUND);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(SymLookupNamedSymbol(module, "nothing", &handle), SYM_E_NOT_FOUND);

    EXPECT_EQ(SymFindPublicSymbol("main"), SYM_OK);
    EXPECT_EQ(SymFindPublicSymbol("counter"), SYM_E_NOT_FOUND);
    EXPECT_EQ(SymCheckFunctionName("#inner"), SYM_OK);
    EXPECT_EQ(SymCheckFunctionName("#MAIN"), SYM_OK);
    EXPECT_EQ(SymCheckFunctionName("#counter"), SYM_E_NOT_FOUND);
    ASSERT_EQ(SymSetCaseSensitive(1), SYM_OK);
    EXPECT_EQ(SymCheckFunctionName("#MAIN"), SYM_E_NOT_FOUND);
    EXPECT_EQ(SymLookupNamedSymbol(0, "Counter", &handle), SYM_E_NOT_FOUND);
    EXPECT_EQ(SymCheckFunctionName("#main"), SYM_OK);

    ADDR start{}, end{};
    ASSERT_EQ(SrcGetFuncRange("#inner", &start, &end), SYM_OK);
    EXPECT_EQ(start, (ADDR{0x180, 1}));
    EXPECT_EQ(end, (ADDR{0x1BF, 1}));
    EXPECT_EQ(SrcGetFuncRange("#none", &start, &end), SYM_E_NOT_FOUND);
}

TEST_F(SymbolsTest, RepeatedVariableIsKeptOnce)
{
    uint32_t again = 0;
    const uint32_t counterAt[3] = {3, 0x8000, 0};
    SymOpenModule("app", &kStamp, nullptr, 0, 1, 0, &again, 0);
    SymResult r = SymAddVariable("counter", SYM_TYPE_INT, SYM_STORAGE_EXTERNAL, 0, counterAt, 0, 1, &again);
    // Another module: another variable.
    EXPECT_EQ(r, SYM_OK);
    EXPECT_NE(again, counter);
    uint32_t same = 0;
    EXPECT_EQ(SymAddVariable("counter", SYM_TYPE_INT, SYM_STORAGE_EXTERNAL, 0, counterAt, 0, 1, &same),
              SYM_S_VARIABLE_ACCEPTED);
    EXPECT_EQ(same, again);
}

TEST_F(StoreTest, VariableOfATypeNotBuiltYetIsRefused)
{
    // The DWARF 1 reader keeps such a variable and hands it over again at
    // the end of its unit, with the type built by then.
    OpenModule("late");
    uint32_t type = NewIndex() + 4;
    const uint32_t at[3] = {2, 0x9000, 0};
    uint32_t handle = 1;
    EXPECT_EQ(SymAddVariable("v", type, SYM_STORAGE_EXTERNAL, 0, at, 0, 1, &handle), SYM_E_NO_TYPE);
    EXPECT_EQ(handle, 0u);
    SymTypeDesc desc{1, SYM_TYPE_STRUCT, 16, {"late"}, 1, 0};
    ASSERT_EQ(SymAddTypeRecord(type, &desc), SYM_OK);
    ASSERT_EQ(SymAddVariable("v", type, SYM_STORAGE_EXTERNAL, 0, at, 0, 1, &handle), SYM_OK);
    EXPECT_EQ(Symbols().Details(handle)->size, 16u);
    // Untyped variables are taken.
    EXPECT_EQ(SymAddVariable("w", 0, SYM_STORAGE_EXTERNAL, 0, at, 0, 1, &handle), SYM_OK);
}

TEST_F(StoreTest, RangesSetLaterByHandle)
{
    // The stabs reader adds a function at its start and sets its end when
    // the function closes; the .symtab pass sets the size of an object.
    OpenModule("stabs");
    AddFunction("f", 0x400, 0x400);
    uint32_t f = 0;
    ASSERT_EQ(SymLookupNamedSymbol(0, "f", &f), SYM_OK);
    SymEndSymbolBlock();
    EXPECT_EQ(Symbols().CodeAt(0x410).status, SYM_E_NOT_FOUND);
    SymRange fRange{0x400, 0x43F, 1, 1};
    ASSERT_EQ(SymSetModuleRange(&fRange, f), SYM_OK);
    EXPECT_EQ(Symbols().CodeAt(0x410)->handle, f);

    uint32_t v = 0;
    const uint32_t at[3] = {4, 0x9000, 0};
    ASSERT_EQ(SymAddVariable("buffer", 0, SYM_STORAGE_EXTERNAL, 0, at, 0, 1, &v), SYM_OK);
    SymRange vRange{0x9000, 0x9040, 1, 1};
    ASSERT_EQ(SymSetModuleRange(&vRange, v), SYM_OK);
    EXPECT_EQ(Symbols().DataAt(0x903F)->handle, v);
    EXPECT_EQ(Symbols().DataAt(0x9040).status, SYM_E_NOT_FOUND);
    EXPECT_EQ(SymSetModuleRange(&vRange, 0x4000FFFF), SYM_E_BAD_HANDLE);
}

TEST_F(StoreTest, LookupInAModuleFindsTheFunctionJustAdded)
{
    // Two overloads of one name in one unit, each looked up right after it
    // is added (the stabs reader sets its range by that handle).
    uint32_t m = OpenModule("over.cpp");
    AddFunction("draw", 0x600, 0x600);
    uint32_t first = 0, second = 0, any = 0;
    ASSERT_EQ(SymLookupNamedSymbol(m, "draw", &first), SYM_OK);
    SymEndSymbolBlock();
    AddFunction("draw", 0x640, 0x640);
    ASSERT_EQ(SymLookupNamedSymbol(m, "draw", &second), SYM_OK);
    SymEndSymbolBlock();
    EXPECT_NE(first, second);
    EXPECT_EQ(Symbols().Details(second)->start, 0x640u);
    ASSERT_EQ(SymLookupNamedSymbol(0, "draw", &any), SYM_OK);
    EXPECT_EQ(any, first);
}

TEST_F(StoreTest, BlockLeftOpenByAFailedReaderDoesNotSwallowTheNext)
{
    OpenModule("broken");
    AddFunction("a", 0x300, 0x3FF);  // never closed
    AddFunction("b", 0x400, 0x4FF);
    uint32_t b = 0;
    ASSERT_EQ(SymLookupNamedSymbol(0, "b", &b), SYM_OK);
    EXPECT_EQ(Symbols().Details(b)->scope, 0u);
    const uint32_t at[3] = {static_cast<uint32_t>(-12), 0, 0};
    uint32_t local = 0;
    ASSERT_EQ(SymAddVariable("x", 8, SYM_STORAGE_LOCAL, 0, at, 0, 1, &local), SYM_OK);
    EXPECT_EQ(Symbols().Details(local)->scope, b);
}

TEST_F(StoreTest, MemberFunctionsByTheirSignature)
{
    OpenModule("point.cpp");
    AddFunction("Point::move", 0x500, 0x53F);
    SymEndSymbolBlock();
    ASSERT_EQ(SymAddFuncNametoMap("Point::move(int, int)", "Point::move"), SYM_OK);
    ADDR start{}, end{};
    ASSERT_EQ(SrcGetFuncRange("#Point::move(int, int)", &start, &end), SYM_OK);
    EXPECT_EQ(start.off, 0x500u);
    EXPECT_EQ(SymCheckFunctionName("#Point::move"), SYM_OK);
    ASSERT_EQ(SymInitFuncNameMap(), SYM_OK);
    EXPECT_EQ(SymCheckFunctionName("#Point::move(int, int)"), SYM_E_NOT_FOUND);
}

TEST_F(StoreTest, LabelsNameCodeWithoutFunctions)
{
    // An S-record image: a module line, then its labels.
    ASSERT_EQ(SymAddModuleByName("boot", 0), SYM_OK);
    ASSERT_EQ(SymAddLabel("reset", 0x0), SYM_OK);
    ASSERT_EQ(SymAddLabel("main", 0x1000), SYM_OK);
    ASSERT_EQ(SymEndLoad(), SYM_OK);

    auto i = Symbols().CodeAt(0x1004);
    ASSERT_EQ(i.status, SYM_OK);
    EXPECT_EQ(i->kind, SYM_KIND_LABEL);
    EXPECT_EQ(i->start, 0x1000u);
    EXPECT_EQ(i->offset, 4u);
    uint32_t boot = 0;
    ASSERT_EQ(SymGetModuleHandle(0, &boot), SYM_OK);
    EXPECT_EQ(i->module, boot);
    EXPECT_EQ(Symbols().Details(i->handle)->kind, SYM_KIND_LABEL);
    EXPECT_EQ(Symbols().CodeAt(0x10)->start, 0u);
    // A label is no function.
    EXPECT_EQ(SymCheckFunctionName("#main"), SYM_E_NOT_FOUND);

    ASSERT_EQ(SymAddDataLabel(0x2000, "table", 9, 3, 0x2000), SYM_OK);
    i = Symbols().DataAt(0x2000);
    ASSERT_EQ(i.status, SYM_OK);
    EXPECT_EQ(i->kind, SYM_KIND_DATA_LABEL);
    EXPECT_EQ(i->end, 0x2003u);
    EXPECT_EQ(Symbols().Details(i->handle)->location, 3u);
}

TEST_F(StoreTest, ModuleCalls)
{
    uint32_t handle = 5;
    SymModuleDesc desc{2, 0, 0x10};
    EXPECT_EQ(SymOpenModule("", &kStamp, &desc, 0, 1, 0, &handle, 0), SYM_S_MODULE_NO_HANDLE);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(SymOpenModule("x", &kStamp, &desc, 0, 1, 0, nullptr, 0), SYM_E_ARGUMENT);

    uint32_t a = OpenModule("a.c", 0x100, 0x1FF);
    SymCloseModule(0);
    // Handle 0 stands for the module closed last.
    SymRange range{0x100, 0x2FF, 1, 1};
    ASSERT_EQ(SymSetModuleRange(&range, 0), SYM_OK);
    EXPECT_EQ(Symbols().Details(a)->end, 0x2FFu);
    ASSERT_EQ(SymAddModuleOpenByDescNew(a, "a", &kStamp, &desc, 0, 1, 0), SYM_OK);
    ASSERT_EQ(UpdateModuleReopenStatus(a), SYM_OK);
    EXPECT_EQ(Symbols().Details(a)->flags, 3u);
    EXPECT_EQ(SymAddModuleOpenByDescNew(0, "a", &kStamp, &desc, 0, 1, 0), SYM_E_BAD_HANDLE);
    EXPECT_EQ(UpdateModuleReopenStatus(0x1FFFFFFF), SYM_E_BAD_HANDLE);
    uint32_t count = 0;
    ASSERT_EQ(SymGetModuleCount(&count), SYM_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(SymGetModuleHandle(1, &handle), SYM_E_NOT_FOUND);
}

// The entry points hand over what the typed store answers: every
// out-pointer filled on success, none touched on failure, null ones skipped.
TEST_F(SymbolsTest, EntryPointsForwardTheTypedAnswers)
{
    const uint32_t bogus = MakeHandle(SYM_KIND_VARIABLE, 0x0FFFFFF);
    for (uint32_t handle : {module, Handle("main"), Handle("inner"), counter, argc, fast, bogus, 0u}) {
        SCOPED_TRACE(testing::Message() << std::hex << handle);
        const auto typed = Symbols().Details(handle);
        uint32_t w[10];
        std::fill(std::begin(w), std::end(w), 0xA5A5A5A5u);
        ASSERT_EQ(SymGetSymbolDetails(handle, &w[0], &w[1], &w[2], &w[3], &w[4], &w[5], &w[6], &w[7], &w[8], &w[9]),
                  typed.status);
        const SymbolDetails& d = *typed;
        const uint32_t expected[10] = {d.kind, d.module, d.start, d.end,      d.attribute,
                                       d.type, d.size,   d.flags, d.location, d.scope};
        for (int n = 0; n < 10; ++n)
            EXPECT_EQ(w[n], typed ? expected[n] : 0xA5A5A5A5u) << "word " << n;
        EXPECT_EQ(SymGetSymbolDetails(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                      nullptr, nullptr),
                  typed.status);
    }
    for (uint32_t address : {0x17Cu, 0x200u, 0x300u, 0x8002u, 0x8013u}) {
        for (uint32_t mode : {SYM_ADDR_CODE, SYM_ADDR_DATA}) {
            SCOPED_TRACE(testing::Message() << std::hex << address << " mode " << mode);
            const auto typed = mode == SYM_ADDR_DATA ? Symbols().DataAt(address) : Symbols().CodeAt(address);
            uint32_t w[6] = {7, 7, 7, 7, 7, 7};
            ASSERT_EQ(SymGetAddrInfo(mode, address, &w[0], &w[1], &w[2], &w[3], &w[4], &w[5]), typed.status);
            const AddressInfo& a = *typed;
            const uint32_t expected[6] = {a.module, a.kind, a.start, a.end, a.handle, a.offset};
            for (int n = 0; n < 6; ++n)
                EXPECT_EQ(w[n], typed ? expected[n] : 7u) << "word " << n;
        }
    }
}

}  // namespace
}  // namespace quinar::test

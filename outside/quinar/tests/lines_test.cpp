// Source lines: address to line and back, line ranges, source files of a
// module, module look-ups by file name and by address.
#include <platform/global_memory.h>

#include "store_fixture.h"

namespace quinar::test {
namespace {

// A module "main" (0x1000-0x10FF) whose line table runs over two source
// files, as a unit with code from a header:
//   src/main.c: 10@1000 11@1008 12@1010 11@1018 13@1020 13@1024 14@1030
//   inc/list.h:  5@1040  6@1048  7@1050
// main() is 0x1000-0x103F, list_next() 0x1040-0x104F.
class LinesTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        module = OpenModule("main", 0x1000, 0x10FF);
        AddFunction("main", 0x1000, 0x103F);
        SymEndSymbolBlock();
        AddFunction("list_next", 0x1040, 0x104F, 1);
        SymEndSymbolBlock();
        SymCloseModule(0);
        ASSERT_EQ(SymSetModuleAttr(module, "src/main.c"), SYM_OK);
        AddTable(module,
                 {{10, 1, 0x1000},
                  {11, 5, 0x1008},
                  {12, 1, 0x1010},
                  {11, 9, 0x1018},
                  {13, 1, 0x1020},
                  {13, 3, 0x1024},
                  {14, 1, 0x1030}});
        ASSERT_EQ(SymSetModuleAttr(module, "inc/list.h"), SYM_OK);
        AddTable(module, {{5, 1, 0x1040}, {6, 1, 0x1048}, {7, 2, 0x1050}});
        ASSERT_EQ(SymEndLoad(), SYM_OK);
    }

    struct Where {
        SymResult result;
        uint32_t module, file, line, start, end, column;
    };
    static Where At(uint32_t address)
    {
        Where w{};
        w.result = SymAddrToSourceLine(address, &w.module, &w.file, &w.line, &w.start, &w.end, &w.column);
        return w;
    }

    uint32_t module = 0;
};

TEST_F(LinesTest, AddressToLineAcrossRowsAndFiles)
{
    struct Case {
        uint32_t address, line, start, end, column;
        const char* file;
    };
    const Case cases[] = {
        {0x1000, 10, 0x1000, 0x1007, 1, "src/main.c"},  // first row
        {0x1004, 10, 0x1000, 0x1007, 1, "src/main.c"},  // between rows
        {0x1014, 12, 0x1010, 0x1017, 1, "src/main.c"},
        {0x101C, 11, 0x1018, 0x101F, 9, "src/main.c"},  // second range of line 11
        {0x102C, 13, 0x1020, 0x102F, 1, "src/main.c"},  // two rows of one line: one range
        {0x103F, 14, 0x1030, 0x103F, 1, "src/main.c"},  // last row: to the end of main()
        {0x1044, 5, 0x1040, 0x1047, 1, "inc/list.h"},
        {0x10FE, 7, 0x1050, 0x10FF, 2, "inc/list.h"},  // last row outside functions: module end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.address);
        Where w = At(c.address);
        ASSERT_EQ(w.result, SYM_OK);
        EXPECT_EQ(w.module, module);
        EXPECT_EQ(w.line, c.line);
        EXPECT_EQ(w.start, c.start);
        EXPECT_EQ(w.end, c.end);
        EXPECT_EQ(w.column, c.column);
        EXPECT_EQ(SourceName(w.file), c.file);
    }
    EXPECT_EQ(At(0x0FFF).result, SYM_E_NO_SOURCE);
    EXPECT_EQ(At(0x1100).result, SYM_E_NO_SOURCE);
}

TEST_F(LinesTest, FirstSourceFileIsKeyedByTheModule)
{
    EXPECT_EQ(At(0x1000).file, module);
    uint32_t header = At(0x1040).file;
    EXPECT_NE(header, module);
    EXPECT_EQ(SourceName(module), "src/main.c");

    uint32_t address = 0;
    EXPECT_EQ(SymSourceLineToAddr(header, 6, &address), SYM_OK);
    EXPECT_EQ(address, 0x1048u);
    // Line 6 of the module's own file has no code.
    EXPECT_EQ(SymSourceLineToAddr(module, 6, &address), SYM_NO_CODE);
}

TEST_F(LinesTest, LineToFirstAddressAndRanges)
{
    uint32_t address = 0;
    ASSERT_EQ(SymSourceLineToAddr(module, 11, &address), SYM_OK);
    EXPECT_EQ(address, 0x1008u);
    EXPECT_EQ(SymSourceLineToAddr(module, 15, &address), SYM_NO_CODE);
    EXPECT_EQ(SymSourceLineToAddr(0x12345, 11, &address), SYM_E_BAD_HANDLE);

    uint32_t start = 0, end = 0, it = 0;
    ASSERT_EQ(SymSrcLinenum2FirstRange(module, 11, &start, &end, &it), SYM_OK);
    EXPECT_EQ(start, 0x1008u);
    EXPECT_EQ(end, 0x100Fu);
    ASSERT_EQ(SymSrcLinenum2NextRange(module, 11, &start, &end, &it), SYM_OK);
    EXPECT_EQ(start, 0x1018u);
    EXPECT_EQ(end, 0x101Fu);
    EXPECT_NE(SymSrcLinenum2NextRange(module, 11, &start, &end, &it), SYM_OK);
    EXPECT_NE(SymSrcLinenum2FirstRange(module, 99, &start, &end, &it), SYM_OK);

    ADDR from{}, to{};
    ASSERT_EQ(SymLineToAddrRange(module, 13, &from, &to, 0), SYM_OK);
    EXPECT_EQ(from, (ADDR{0x1020, 1}));
    EXPECT_EQ(to, (ADDR{0x102F, 1}));
    EXPECT_EQ(SymLineToAddrRange(module, 15, &from, &to, 1), SYM_LINE_NO_CODE);
    EXPECT_EQ(SymLineToAddrRange(0, 13, &from, &to, 0), SYM_E_BAD_HANDLE);
}

TEST_F(LinesTest, ModulesByFileName)
{
    uint32_t key = 0;
    ASSERT_EQ(SymFindModuleByIndex("main.c", 0, &key), SYM_OK);
    EXPECT_EQ(key, module);
    ASSERT_EQ(SymFindModuleByIndex("LIST.H", 0, &key), SYM_OK);
    EXPECT_EQ(key, At(0x1040).file);
    EXPECT_EQ(SymFindModuleByIndex("main.c", 1, &key), SYM_E_NOT_FOUND);
    EXPECT_EQ(SymFindModuleByIndex("other.c", 0, &key), SYM_E_NOT_FOUND);
    ASSERT_EQ(SymFindModuleByName("C:\\work\\src\\main.c", &key), SYM_OK);
    EXPECT_EQ(key, module);
}

TEST_F(LinesTest, ModuleOfAddressCarriesTheLine)
{
    uint32_t position = 0, found = 0;
    ASSERT_EQ(SymAddrToModule(0x1014, &position, &found), SYM_OK);
    EXPECT_EQ(found, module);
    EXPECT_EQ(position & 0xFFFF, 12u);
    EXPECT_EQ(position >> 16, 1u);
    EXPECT_EQ(SymAddrToModule(0x2000, &position, &found), SYM_E_NOT_FOUND);
    EXPECT_EQ(found, 0u);
}

TEST_F(StoreTest, RowsThatShareAnAddressOrEndTheLine)
{
    uint32_t m = OpenModule("edge");
    SymCloseModule(0);
    // Line 30 has no code of its own: line 31 starts at the same address.
    // A row of line 0 ends line 40 without a line of its own. Rows arrive
    // out of address order.
    AddTable(m, {{30, 0, 0x3000}, {31, 0, 0x3000}, {32, 0, 0x3004}, {33, 0, 0x3008}});
    AddTable(m, {{41, 0, 0x4010}, {40, 0, 0x4000}, {0, 0, 0x4008}, {42, 0, 0x4018}});

    uint32_t line = 0, start = 0, end = 0;
    ASSERT_EQ(SymAddrToSourceLine(0x3000, nullptr, nullptr, &line, &start, &end, nullptr), SYM_OK);
    EXPECT_EQ(line, 31u);
    EXPECT_EQ(end, 0x3003u);
    uint32_t address = 0;
    ASSERT_EQ(SymSourceLineToAddr(m, 30, &address), SYM_OK);
    EXPECT_EQ(address, 0x3000u);
    uint32_t it = 0;
    ASSERT_EQ(SymSrcLinenum2FirstRange(m, 30, &start, &end, &it), SYM_OK);
    EXPECT_EQ(start, 0x3000u);
    EXPECT_EQ(end, 0x3000u);

    ASSERT_EQ(SymAddrToSourceLine(0x4004, nullptr, nullptr, &line, nullptr, &end, nullptr), SYM_OK);
    EXPECT_EQ(line, 40u);
    EXPECT_EQ(end, 0x4007u);
    EXPECT_EQ(SymAddrToSourceLine(0x400C, nullptr, nullptr, &line, nullptr, nullptr, nullptr), SYM_E_NO_SOURCE);
    ASSERT_EQ(SymAddrToSourceLine(0x4014, nullptr, nullptr, &line, nullptr, nullptr, nullptr), SYM_OK);
    EXPECT_EQ(line, 41u);
    // Neither a function nor a module range bounds the last row: it holds
    // its own address only.
    ASSERT_EQ(SymAddrToSourceLine(0x4018, nullptr, nullptr, &line, nullptr, &end, nullptr), SYM_OK);
    EXPECT_EQ(end, 0x4018u);
    EXPECT_EQ(SymAddrToSourceLine(0x4019, nullptr, nullptr, &line, nullptr, nullptr, nullptr), SYM_E_NO_SOURCE);
}

TEST_F(StoreTest, OverlappingModuleRangesGiveTheInnermost)
{
    uint32_t outer = OpenModule("outer", 0x2000, 0x2FFF);
    uint32_t inner = OpenModule("inner", 0x2800, 0x28FF);
    uint32_t tail = OpenModule("tail", 0x2F00, 0x30FF);
    SymCloseModule(0);
    struct Case {
        uint32_t address, module;
    };
    const Case cases[] = {{0x2000, outer}, {0x2100, outer}, {0x2800, inner}, {0x28FF, inner}, {0x2900, outer},
                          {0x2EFF, outer}, {0x2F00, tail},  {0x30FF, tail},  {0x3100, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.address);
        uint32_t found = 0, kind = 0;
        SymResult r = SymAddrToModule(c.address, nullptr, &found);
        EXPECT_EQ(r, c.module ? SYM_OK : SYM_E_NOT_FOUND);
        EXPECT_EQ(found, c.module);
        r = SymGetAddrInfo(SYM_ADDR_CODE, c.address, &found, &kind, nullptr, nullptr, nullptr, nullptr);
        if (c.module) {
            EXPECT_EQ(kind, SYM_KIND_MODULE);
            EXPECT_EQ(found, c.module);
        }
    }
}

TEST_F(StoreTest, LineTablesOfOneModuleAddUp)
{
    // Two units of one source file: the second reuses the module found by
    // name, and the module range grows with every range set on it.
    uint32_t m = OpenModule("twice", 0x100, 0x1FF);
    SymCloseModule(0);
    AddTable(m, {{1, 0, 0x100}, {2, 0, 0x110}});
    SymRange first{0x100, 0x11F, 1, 1};
    ASSERT_EQ(SymSetModuleRange(&first, m), SYM_OK);
    AddTable(m, {{20, 0, 0x300}, {21, 0, 0x308}});
    SymRange second{0x300, 0x30F, 1, 1};
    ASSERT_EQ(SymSetModuleRange(&second, m), SYM_OK);

    uint32_t kind = 0, start = 0, end = 0;
    ASSERT_EQ(
        SymGetSymbolDetails(m, &kind, nullptr, &start, &end, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
        SYM_OK);
    EXPECT_EQ(kind, SYM_KIND_MODULE);
    EXPECT_EQ(start, 0x100u);
    EXPECT_EQ(end, 0x30Fu);
    uint32_t address = 0;
    ASSERT_EQ(SymSourceLineToAddr(m, 21, &address), SYM_OK);
    EXPECT_EQ(address, 0x308u);
    uint32_t line = 0;
    ASSERT_EQ(SymAddrToSourceLine(0x30C, nullptr, nullptr, &line, nullptr, nullptr, nullptr), SYM_OK);
    EXPECT_EQ(line, 21u);
}

TEST_F(StoreTest, LineTableCalls)
{
    EXPECT_EQ(SymAddLineRow(1, 0, 0x10, 0), SYM_E_NO_LINE_TABLE);
    EXPECT_EQ(SymEndLineTable(), SYM_E_NO_LINE_TABLE);
    EXPECT_EQ(SymBeginLineTable(0), SYM_E_BAD_HANDLE);
    uint32_t m = OpenModule("open");
    ASSERT_EQ(SymBeginLineTable(m), SYM_OK);
    ASSERT_EQ(SymAddLineRow(3, 0, 0x10, 0), SYM_OK);
    // The end of the load closes what a reader left open.
    ASSERT_EQ(SymEndLoad(), SYM_OK);
    EXPECT_EQ(SymEndLineTable(), SYM_E_NO_LINE_TABLE);
    // A module without own file name answers with its name.
    EXPECT_EQ(SourceName(m), "open");
    char* text = nullptr;
    EXPECT_EQ(SymGetSourceFileOfAddr(0x7777, &text), SYM_E_BAD_HANDLE);
    EXPECT_EQ(text, nullptr);
}

TEST_F(StoreTest, NameGivenAfterTheFirstTableNamesTheModulesOwnFile)
{
    uint32_t m = OpenModule("crt0");
    AddTable(m, {{4, 0, 0x20}});
    ASSERT_EQ(SymSetModuleAttr(m, "boot/crt0.s"), SYM_OK);
    AddTable(m, {{5, 0, 0x24}});
    EXPECT_EQ(SourceName(m), "boot/crt0.s");
    uint32_t file = 0;
    ASSERT_EQ(SymAddrToSourceLine(0x24, nullptr, &file, nullptr, nullptr, nullptr, nullptr), SYM_OK);
    EXPECT_EQ(file, m);
    // A second name is a second source file of the module.
    ASSERT_EQ(SymSetModuleAttr(m, "boot/vectors.inc"), SYM_OK);
    AddTable(m, {{1, 0, 0x40}});
    ASSERT_EQ(SymAddrToSourceLine(0x40, nullptr, &file, nullptr, nullptr, nullptr, nullptr), SYM_OK);
    EXPECT_NE(file, m);
    EXPECT_EQ(SourceName(file), "boot/vectors.inc");
    EXPECT_EQ(SymFindModuleByName("CRT0.S", &file), SYM_OK);
    EXPECT_EQ(file, m);
}

TEST_F(StoreTest, ReturnedTextsCarryTheirHandleInFront)
{
    uint32_t m = OpenModule("blocks.c");
    size_t before = ReturnedTextsOutstanding();
    char* a = nullptr;
    char* b = nullptr;
    ASSERT_EQ(SymGetSourceFileOfAddr(m, &a), SYM_OK);
    ASSERT_EQ(SymGetSourceFileOfAddr(m, &b), SYM_OK);
    EXPECT_STREQ(a, "blocks.c");
    EXPECT_NE(ReturnedTextHandle(a), 0u);
    EXPECT_NE(ReturnedTextHandle(a), ReturnedTextHandle(b));
    EXPECT_EQ(ReturnedTextsOutstanding(), before + 2);
    // Global-heap blocks of the platform layer: a receiver frees them by the
    // handle in front as well.
    HGLOBAL handleOfB = platform::HandleOfBlock(b);
    ASSERT_NE(handleOfB, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(handleOfB), ReturnedTextHandle(b));
    FreeReturnedText(a);
    GlobalUnlock(handleOfB);
    EXPECT_EQ(GlobalFree(handleOfB), nullptr);
    EXPECT_EQ(ReturnedTextsOutstanding(), before);
}

TEST_F(StoreTest, TextsFreedByTheirHandleLeaveTheRecord)
{
    size_t before = ReturnedTextsOutstanding();
    size_t blocks = platform::GlobalBlockCount();
    // Receivers free every text through GlobalFree alone: the record neither
    // keeps them nor reads their freed bytes (AddressSanitizer watches this).
    for (int i = 0; i < 1000; ++i) {
        char* text = NewReturnedText("freed by handle");
        ASSERT_NE(text, nullptr);
        HGLOBAL mem = platform::HandleOfBlock(text);
        GlobalUnlock(mem);
        ASSERT_EQ(GlobalFree(mem), nullptr);
    }
    EXPECT_EQ(ReturnedTextsOutstanding(), before);
    EXPECT_EQ(platform::GlobalBlockCount(), blocks);
    // A text freed by handle and then released through the library again is
    // not freed twice and does not disturb a newer block.
    char* first = NewReturnedText("one");
    HGLOBAL mem = platform::HandleOfBlock(first);
    GlobalUnlock(mem);
    ASSERT_EQ(GlobalFree(mem), nullptr);
    FreeReturnedText(first);
    char* second = NewReturnedText("two");
    EXPECT_EQ(ReturnedTextsOutstanding(), before + 1);
    FreeReturnedText(second);
    EXPECT_EQ(ReturnedTextsOutstanding(), before);
    EXPECT_EQ(platform::GlobalBlockCount(), blocks);
}

}  // namespace
}  // namespace quinar::test

namespace quinar::test {
namespace {

// Rows inside a statement (a compiler's is_stmt cleared) are code of their
// line but begin no statement; a table none of whose rows is a statement
// has all of them be (a compiler that never sets the flag).
TEST_F(StoreTest, RowsInsideStatementsBeginNone)
{
    const uint32_t m = OpenModule("opt", 0x100, 0x1FF);
    quinar::SymbolStore& store = quinar::Symbols();
    struct Row {
        uint32_t line, address;
        bool statement;
    };
    auto table = [&](std::initializer_list<Row> rows) {
        ASSERT_EQ(store.BeginLineTable(m), SYM_OK);
        for (const Row& r : rows)
            ASSERT_EQ(store.AddLineRow(r.line, 0, r.address, r.statement), SYM_OK);
        store.EndLineTable();
    };
    // 10 from 0x100; 11 inside it at 0x108; 10 again inside, then as a
    // statement of its own at 0x110; 12 at 0x118 shares its address with a
    // row of 13 inside a statement; 14 ends the table.
    table({{10, 0x100, true},
           {11, 0x108, false},
           {10, 0x10C, false},
           {10, 0x110, true},
           {12, 0x118, true},
           {13, 0x118, false},
           {14, 0x120, true},
           {0, 0x124, true}});
    const struct {
        uint32_t address, line, start, end;
        bool statement;
    } cases[] = {{0x100, 10, 0x100, 0x107, true}, {0x108, 11, 0x108, 0x10B, false}, {0x10C, 10, 0x10C, 0x10F, false},
                 {0x110, 10, 0x110, 0x117, true}, {0x118, 13, 0x118, 0x11F, true},  {0x120, 14, 0x120, 0x123, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        const auto at = store.SourceLineAt(c.address);
        ASSERT_TRUE(at.ok());
        EXPECT_EQ(at->line, c.line);
        EXPECT_EQ(at->start, c.start);
        EXPECT_EQ(at->end, c.end);
        EXPECT_EQ(at->statement, c.statement);
    }
    // No statement row at all: every row is one.
    table({{20, 0x180, false}, {21, 0x188, false}, {0, 0x190, false}});
    EXPECT_TRUE(store.SourceLineAt(0x188)->statement);
}

}  // namespace
}  // namespace quinar::test

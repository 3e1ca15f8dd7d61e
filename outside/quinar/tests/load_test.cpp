// The load life cycle: the image-loaded check, clearing, load counts and
// handles kept by a reader across a clear.
#include "store_fixture.h"

namespace quinar::test {
namespace {

using LoadTest = StoreTest;

void LoadSomething()
{
    uint32_t m = OpenModule("main", 0x100, 0x1FF);
    AddFunction("main", 0x100, 0x1FF);
    SymEndSymbolBlock();
    SymCloseModule(0);
    AddTable(m, {{5, 0, 0x100}, {6, 0, 0x108}});
    SymAddLabel("_start", 0);
    SymEndLoad();
}

TEST_F(LoadTest, ImageLoadedCheckBySameOrOtherStamp)
{
    const char* path = "C:\\work\\app.elf";
    ASSERT_EQ(SymCheckImageLoaded(path, 0, &kStamp), SYM_OK);
    LoadSomething();
    EXPECT_EQ(SymCheckImageLoaded(path, 0, &kStamp), SYM_S_IMAGE_LOADED);

    // What the ELF loader does on that answer: clear, then ask again.
    ASSERT_EQ(SymClearSymbolTables(0), SYM_OK);
    EXPECT_EQ(SymCheckImageLoaded(path, 0, &kStamp), SYM_OK);
    LoadSomething();

    // The file changed: its symbols are read again, the old ones are gone.
    ImageStamp later = kStamp;
    later.minute = 31;
    EXPECT_EQ(SymCheckImageLoaded(path, 0, &later), SYM_OK);
    uint32_t count = 9;
    SymGetModuleCount(&count);
    EXPECT_EQ(count, 0u);
    LoadSomething();
    EXPECT_EQ(SymCheckImageLoaded(path, 0, &later), SYM_S_IMAGE_LOADED);
    // Another image with the same stamp is another image.
    EXPECT_EQ(SymCheckImageLoaded("C:\\work\\other.elf", 0, &later), SYM_OK);
    EXPECT_EQ(SymCheckImageLoaded(nullptr, 0, &later), SYM_E_ARGUMENT);
}

TEST_F(LoadTest, ClearForgetsEverything)
{
    LoadSomething();
    uint32_t a = 0, b = 0, c = 0, d = 0;
    ASSERT_EQ(SymGetLoadCounts(&a, &b, &c, &d), SYM_OK);
    EXPECT_EQ(a, 3u);  // module, function, label
    EXPECT_EQ(b, 1u);
    EXPECT_EQ(c, 1u);
    EXPECT_EQ(d, 2u);
    uint32_t fn = 0;
    ASSERT_EQ(SymLookupNamedSymbol(0, "main", &fn), SYM_OK);

    ASSERT_EQ(SymClearSymbolTables(1), SYM_OK);
    ASSERT_EQ(SymGetLoadCounts(&a, &b, &c, &d), SYM_OK);
    EXPECT_EQ(a + b + c + d, 0u);
    EXPECT_EQ(SymAddrToSourceLine(0x100, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), SYM_E_NO_SOURCE);
    EXPECT_EQ(SymCheckFunctionName("#main"), SYM_E_NOT_FOUND);
    // A handle of the cleared store names nothing, even once new symbols
    // take the same positions.
    LoadSomething();
    EXPECT_EQ(SymGetSymbolDetails(fn, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                  nullptr),
              SYM_E_BAD_HANDLE);
}

TEST_F(LoadTest, ModuleHandleKeptByAReaderAcrossAClear)
{
    // The stabs reader keeps its module table across loads and opens a
    // known module again by its old handle.
    uint32_t kept = OpenModule("crt0.s");
    SymCloseModule(0);
    SymClearSymbolTables(0);

    SymModuleDesc desc{2, 0xFFFFFFFF, 0};
    ASSERT_EQ(SymAddModuleOpenByDescNew(kept, "crt0", &kStamp, &desc, 0, 1, 0), SYM_OK);
    AddTable(kept, {{10, 0, 0x0}, {11, 0, 0x4}});
    SymCloseModule(0);
    uint32_t handle = 0, line = 0, module = 0;
    ASSERT_EQ(SymGetModuleHandle(0, &handle), SYM_OK);
    EXPECT_EQ(handle, kept);
    ASSERT_EQ(SymAddrToSourceLine(0x4, &module, nullptr, &line, nullptr, nullptr, nullptr), SYM_OK);
    EXPECT_EQ(module, kept);
    EXPECT_EQ(line, 11u);
    // New modules never take a handle the store gave out before.
    EXPECT_NE(OpenModule("next.s"), kept);
}

TEST_F(LoadTest, DerivedTablesAreRebuiltAfterBeingFreed)
{
    LoadSomething();
    ASSERT_EQ(FreeModuleDescMap(), SYM_OK);
    uint32_t line = 0, key = 0;
    ASSERT_EQ(SymAddrToSourceLine(0x10C, nullptr, nullptr, &line, nullptr, nullptr, nullptr), SYM_OK);
    EXPECT_EQ(line, 6u);
    EXPECT_EQ(SymFindModuleByName("main.c", &key), SYM_OK);
    EXPECT_EQ(SymNotifyTargetHalted(), SYM_OK);
}

TEST_F(LoadTest, QueriesAnswerWhileALoadIsStillGoing)
{
    // The frame pass asks for functions after the symbols are in; a reader
    // may ask for a line table's file before the load ends. Adding after a
    // query must show up in the next query.
    uint32_t m = OpenModule("grow", 0x100, 0x3FF);
    AddTable(m, {{1, 0, 0x100}});
    uint32_t line = 0;
    ASSERT_EQ(SymAddrToSourceLine(0x104, nullptr, nullptr, &line, nullptr, nullptr, nullptr), SYM_OK);
    ASSERT_EQ(SymBeginLineTable(m), SYM_OK);
    ASSERT_EQ(SymAddLineRow(3, 0, 0x200, 0), SYM_OK);
    ASSERT_EQ(SymAddrToSourceLine(0x204, nullptr, nullptr, &line, nullptr, nullptr, nullptr), SYM_OK);
    EXPECT_EQ(line, 3u);
    ASSERT_EQ(SymAddLineRow(2, 0, 0x180, 0), SYM_OK);
    ASSERT_EQ(SymAddrToSourceLine(0x184, nullptr, nullptr, &line, nullptr, nullptr, nullptr), SYM_OK);
    EXPECT_EQ(line, 2u);
    AddFunction("late", 0x100, 0x10F);
    uint32_t end = 0;
    ASSERT_EQ(SymAddrToSourceLine(0x104, nullptr, nullptr, &line, nullptr, &end, nullptr), SYM_OK);
    EXPECT_EQ(end, 0x10Fu);
}

}  // namespace
}  // namespace quinar::test

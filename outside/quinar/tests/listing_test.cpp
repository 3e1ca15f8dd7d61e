// The listings of the developer tools: every kind of record in the order
// it was added, in the rows the tools print.
#include "quinar/listing.h"
#include "store_fixture.h"

namespace quinar::test {
namespace {

TEST_F(StoreTest, ListsWhatTheLoadersAdded)
{
    ASSERT_EQ(SymAddSection(".text", 1, 0, 1), SYM_OK);
    uint32_t m = OpenModule("main.c", 0x8000, 0x80FF);
    AddFunction("main", 0x8000, 0x803F);
    const uint32_t local[3] = {0xFFFFFFF8, 0, 0};
    ASSERT_EQ(SymAddVariable("i", SYM_TYPE_INT, SYM_STORAGE_LOCAL, 0, local, 0, 1, nullptr), SYM_OK);
    SymEndSymbolBlock();
    const uint32_t global[3] = {0, 0x9000, 0};
    ASSERT_EQ(SymAddVariable("counter", SYM_TYPE_INT, SYM_STORAGE_EXTERNAL, 0, global, 0, 1, nullptr), SYM_OK);
    ASSERT_EQ(SymAddLabel("loop", 0x8010), SYM_OK);
    AddTable(m, {{10, 0, 0x8000}, {11, 0, 0x8008}, {0, 0, 0x8040}});
    uint32_t point = AddType(SYM_TYPE_STRUCT, 8, "point");
    SymCloseModule(0);

    EXPECT_EQ(ListSymbols(),
              (std::vector<std::string>{"section 1 .text attribute 1", "module 00008000-000080ff main.c",
                                        "label 00008010 loop", "variable frame-8 i type 8",
                                        "variable 00009000 counter type 8"}));
    EXPECT_EQ(ListFunctions(), std::vector<std::string>{"00008000-0000803f main module main.c"});
    EXPECT_EQ(ListLines(), (std::vector<std::string>{"00008000 main.c 10", "00008008 main.c 11", "00008040 main.c 0"}));
    char expected[64];
    std::snprintf(expected, sizeof expected, "%x struct size 8 struct point", point);
    EXPECT_EQ(ListTypes(), std::vector<std::string>{expected});
}

}  // namespace
}  // namespace quinar::test

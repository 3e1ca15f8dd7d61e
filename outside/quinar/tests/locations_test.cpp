// Location descriptions of variables and frame bases, the variables of a
// function, and the listings that print them with the types' items.
#include "quinar/listing.h"
#include "store_fixture.h"

namespace quinar::test {
namespace {

const uint8_t kBreg13[] = {0x7D, 0x00};  // DW_OP_breg13 0
const uint8_t kBreg11[] = {0x7B, 0x04};  // DW_OP_breg11 4
const uint8_t kFbreg[] = {0x91, 0x6C};   // DW_OP_fbreg -20
const uint8_t kReg4[] = {0x54};          // DW_OP_reg4

std::vector<uint8_t> At(uint32_t handle, uint32_t pc)
{
    const uint8_t* expr = nullptr;
    uint32_t length = 0;
    if (SymGetLocationAt(handle, pc, &expr, &length) != SYM_OK)
        return {};
    return {expr, expr + length};
}

uint32_t Flags(uint32_t handle)
{
    uint32_t flags = 0;
    EXPECT_EQ(SymGetSymbolDetails(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &flags,
                                  nullptr, nullptr),
              SYM_OK);
    return flags;
}

class LocationsTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        OpenModule("main.c", 0x8000, 0x80FF);
        AddFunction("main", 0x8000, 0x803F);
        const SymLocationPiece frame[] = {{0x8000, 0x8004, kBreg13, 2}, {0x8004, 0x8040, kBreg11, 2}};
        ASSERT_EQ(SymSetLocationList(0, frame, 2), SYM_OK);
        const uint32_t local[3] = {static_cast<uint32_t>(-20), 0, 0};
        ASSERT_EQ(SymAddVariable("i", SYM_TYPE_INT, SYM_STORAGE_LOCAL, 0, local, 0, 1, &i), SYM_OK);
        const SymLocationPiece inBlock[] = {{0x8010, 0x8020, kFbreg, 2}};
        ASSERT_EQ(SymSetLocationList(i, inBlock, 1), SYM_OK);
        ASSERT_EQ(SymAddVariable("gone", SYM_TYPE_INT, SYM_STORAGE_LOCAL, 0, local, 0, 1, &gone), SYM_OK);
        ASSERT_EQ(SymSetLocationList(gone, nullptr, 0), SYM_OK);
        ASSERT_EQ(SymAddVariable("plain", SYM_TYPE_INT, SYM_STORAGE_LOCAL, 0, local, 0, 1, &plain), SYM_OK);
        SymEndSymbolBlock();
        SymCloseModule(0);
        ASSERT_EQ(SymLookupNamedSymbol(0, "main", &main), SYM_OK);
    }

    uint32_t main = 0, i = 0, gone = 0, plain = 0;
};

TEST_F(LocationsTest, TheExpressionAtAnAddressIsThatOfThePieceCoveringIt)
{
    EXPECT_EQ(At(main, 0x8000), std::vector<uint8_t>(kBreg13, kBreg13 + 2));
    EXPECT_EQ(At(main, 0x8004), std::vector<uint8_t>(kBreg11, kBreg11 + 2));
    EXPECT_EQ(At(main, 0x803F), std::vector<uint8_t>(kBreg11, kBreg11 + 2));
    EXPECT_EQ(SymGetLocationAt(main, 0x8040, nullptr, nullptr), SYM_E_NOT_FOUND);
    EXPECT_EQ(At(i, 0x8010), std::vector<uint8_t>(kFbreg, kFbreg + 2));
    EXPECT_EQ(SymGetLocationAt(i, 0x8020, nullptr, nullptr), SYM_E_NOT_FOUND);
    // Stored without pieces (optimized away), or not stored at all.
    EXPECT_EQ(SymGetLocationAt(gone, 0x8010, nullptr, nullptr), SYM_E_NOT_FOUND);
    EXPECT_EQ(Flags(gone) & SYM_FLAG_LOCATION_LIST, SYM_FLAG_LOCATION_LIST);
    EXPECT_EQ(Flags(plain) & SYM_FLAG_LOCATION_LIST, 0u);
    EXPECT_EQ(Flags(main) & SYM_FLAG_LOCATION_LIST, SYM_FLAG_LOCATION_LIST);
    SymLocationPiece p{};
    EXPECT_EQ(SymGetLocationPiece(plain, 0, &p), SYM_E_NOT_FOUND);
    ASSERT_EQ(SymGetLocationPiece(main, 1, &p), SYM_OK);
    EXPECT_EQ(p.low, 0x8004u);
    EXPECT_EQ(p.high, 0x8040u);
    EXPECT_EQ(SymGetLocationPiece(main, 2, &p), SYM_E_NOT_FOUND);

    // A piece over every address; a later call replaces what was stored.
    const SymLocationPiece everywhere[] = {{0, 0xFFFFFFFF, kReg4, 1}};
    ASSERT_EQ(SymSetLocationList(plain, everywhere, 1), SYM_OK);
    EXPECT_EQ(At(plain, 0xFFFFFFFF), std::vector<uint8_t>(kReg4, kReg4 + 1));
    ASSERT_EQ(SymSetLocationList(i, everywhere, 1), SYM_OK);
    EXPECT_EQ(At(i, 0x8000), std::vector<uint8_t>(kReg4, kReg4 + 1));
}

TEST_F(LocationsTest, HandlesThatNameNeitherAVariableNorAFunctionAreRefused)
{
    EXPECT_EQ(SymSetLocationList(0, nullptr, 0), SYM_E_BAD_HANDLE);  // no function is open
    uint32_t module = 0;
    ASSERT_EQ(SymGetModuleHandle(0, &module), SYM_OK);
    EXPECT_EQ(SymSetLocationList(module, nullptr, 0), SYM_E_BAD_HANDLE);
    EXPECT_EQ(SymGetLocationAt(module, 0x8000, nullptr, nullptr), SYM_E_BAD_HANDLE);
    EXPECT_EQ(SymSetLocationList(i, nullptr, 1), SYM_E_ARGUMENT);
    // A clear forgets them with the records.
    SymClearSymbolTables(0);
    EXPECT_EQ(SymGetLocationAt(main, 0x8000, nullptr, nullptr), SYM_E_BAD_HANDLE);
}

TEST_F(LocationsTest, AFunctionsVariablesAreListedInTheOrderAdded)
{
    std::vector<std::string> names;
    char name[SYM_MEMBER_NAME_SIZE];
    uint32_t handle = 0;
    for (uint32_t n = 0; SymGetFunctionVariable(main, n, &handle, name) == SYM_OK; ++n)
        names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"i", "gone", "plain"}));
    EXPECT_EQ(handle, plain);
    EXPECT_EQ(SymGetFunctionVariable(i, 0, &handle, name), SYM_E_BAD_HANDLE);
}

TEST_F(LocationsTest, TheListingsPrintLocationsAndTypeItems)
{
    EXPECT_EQ(ListFunctionsWithVariables(),
              (std::vector<std::string>{"00008000-0000803f main module main.c type 0",
                                        "  frame base [00008000-00008004) breg13 +0; [00008004-00008040) breg11 +4",
                                        "  local i type 8 frame-20 list [00008010-00008020) fbreg -20",
                                        "  local gone type 8 frame-20 list none", "  local plain type 8 frame-20"}));
    const uint32_t color = AddType(SYM_TYPE_ENUM, 1, "color");
    ASSERT_EQ(SymAddEnumConstant(color, -2, "blue"), SYM_OK);
    const uint32_t flags = AddType(SYM_TYPE_STRUCT, 4, "flags", 3);
    const SymStructMember ready{"ready", SYM_TYPE_INT, 0, 4, 31, 1};
    ASSERT_EQ(SymAddStructMember(flags, &ready), SYM_OK);
    char enumRow[64], structRow[64];
    std::snprintf(enumRow, sizeof enumRow, "%x enum size 1 enum color", color);
    std::snprintf(structRow, sizeof structRow, "%x struct size 4 struct flags", flags);
    EXPECT_EQ(ListTypesWithItems(),
              (std::vector<std::string>{enumRow, "  enumerator blue -2", structRow,
                                        "  member ready type 8 offset 0 bits 31:1"}));
}

}  // namespace
}  // namespace quinar::test

#include <gtest/gtest.h>

#include <cstring>

#include "dolmer/dolmer.h"
#include "quinar/symbol_store.h"

namespace {

class DolmerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(AdrSetExtAddrRange(0, 0xFFFFFFFFu, 0, 0xFFFFFFFFu, 0), 1); }
    void TearDown() override { AdrSetExtAddrRange(0, 0xFFFFFFFFu, 0, 0xFFFFFFFFu, 0); }

    quinar::SymbolStore& symbols = quinar::Symbols();

    // An empty store with the module "m.c" open over first..last.
    static void OpenModule(uint32_t first, uint32_t last)
    {
        quinar::Symbols().Clear();
        ASSERT_EQ(quinar::Symbols().OpenModule("m.c", {ImageStamp{}, SymModuleDesc{2, first, last}, 0, 1}).status,
                  SYM_OK);
    }
};

TEST_F(DolmerTest, AddressTextsReadBackWhatAdrAddrToHexWrites)
{
    struct Case {
        const char* text;
        int inSpace;
        int result;
        ADDR addr;
    };
    const Case cases[] = {
        {"8000", 1, 1, {0x8000, 1}},
        {" 0x0000FFFC ", 1, 1, {0xFFFC, 1}},
        {"0XfedeFEDE", 1, 1, {0xFEDEFEDE, 1}},
        {"20", 0, 1, {0x20, 0}},
        {"123456789", 1, 0, {7, 7}},  // nine digits
        {"0x", 1, 0, {7, 7}},
        {"12g4", 1, 0, {7, 7}},
        {"", 1, 0, {7, 7}},
        {"#", 1, 0, {7, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ADDR a{7, 7};
        EXPECT_EQ(AdrTextToAddr(c.text, &a, c.inSpace), c.result);
        EXPECT_EQ(a, c.addr);
    }
    char text[16];
    ASSERT_EQ(AdrAddrToHex({0x8004, 1}, text), 1);
    EXPECT_STREQ(text, "0x00008004");
    ADDR back{};
    ASSERT_EQ(AdrTextToAddr(text, &back, 1), 1);
    EXPECT_EQ(back, (ADDR{0x8004, 1}));
    EXPECT_EQ(AdrAddrToHex({12, 0}, text), 0) << "a source position has no address text";
}

TEST_F(DolmerTest, FunctionNamesGiveTheirFirstAddress)
{
    OpenModule(0x100, 0x1FF);
    ASSERT_EQ(symbols.AddFunction("main", false, {2, 0x120, 0x17F}, 0), SYM_OK);
    ASSERT_EQ(symbols.EndSymbolBlock(), SYM_OK);
    symbols.CloseModule();
    symbols.EndLoad();

    ADDR a{};
    ASSERT_EQ(AdrTextToAddr("#main", &a, 1), 1);
    EXPECT_EQ(a, (ADDR{0x120, 1}));
    EXPECT_EQ(AdrTextToAddr("#nothing", &a, 1), 0);
    symbols.Clear();
}

TEST_F(DolmerTest, TheSymbolTextOfAFunctionsFirstAddressReadsBack)
{
    OpenModule(0x100, 0x2FF);
    for (const SymModuleDesc& range : {SymModuleDesc{2, 0x120, 0x17F}, SymModuleDesc{2, 0x200, 0x23F}}) {
        ASSERT_EQ(symbols.AddFunction(range.start == 0x120 ? "main" : "helper", false, range, 0), SYM_OK);
        ASSERT_EQ(symbols.EndSymbolBlock(), SYM_OK);
    }
    // A static function of the same name, found second by name.
    ASSERT_EQ(symbols.AddFunction("main", true, {2, 0x280, 0x2BF}, 0), SYM_OK);
    ASSERT_EQ(symbols.EndSymbolBlock(), SYM_OK);
    symbols.CloseModule();
    ASSERT_EQ(symbols.AddLabel("start", 0x100), SYM_OK);
    symbols.EndLoad();

    char text[ADR_SYMBOL_TEXT_SIZE] = "unchanged";
    ASSERT_EQ(AdrAddrToSymbol({0x200, 1}, text), 1);
    EXPECT_STREQ(text, "#helper");
    ADDR back{};
    ASSERT_EQ(AdrTextToAddr(text, &back, 1), 1);
    EXPECT_EQ(back, (ADDR{0x200, 1}));
    EXPECT_EQ(AdrAddrToSymbol({0x120, 1}, text), 1);
    EXPECT_STREQ(text, "#main");

    strcpy(text, "unchanged");
    for (const ADDR& a : {ADDR{0x204, 1}, ADDR{0x100, 1}, ADDR{0x280, 1}, ADDR{0x200, 0}, ADDR{0x900, 1}})
        EXPECT_EQ(AdrAddrToSymbol(a, text), 0) << std::hex << a.off << " space " << a.seg;
    EXPECT_STREQ(text, "unchanged");
    symbols.Clear();
}

TEST_F(DolmerTest, RangesBoundTextsAndChecks)
{
    ASSERT_EQ(AdrSetExtAddrRange(0x1000, 0x1FFF, 0, 0, 0), 1);
    EXPECT_EQ(AdrSetExtAddrRange(5, 4, 0, 0, 0), 0);
    uint32_t first = 0;
    uint32_t last = 0;
    ASSERT_EQ(AdrGetAddrRange(1, &first, &last), 1);
    EXPECT_EQ(first, 0x1000u);
    EXPECT_EQ(last, 0x1FFFu);
    EXPECT_EQ(AdrGetAddrRange(0, &first, &last), 0);

    ADDR a{};
    EXPECT_EQ(AdrTextToAddr("2000", &a, 1), 0) << "outside space 1";
    EXPECT_EQ(AdrTextToAddr("2000", &a, 0), 1) << "a plain value has no range";
    EXPECT_EQ(AdrCheckAddrRange({0x1FFF, 1}), 1);
    EXPECT_EQ(AdrCheckAddrRange({0x2000, 1}), ADR_E_OUT_OF_RANGE);
    EXPECT_EQ(AdrCheck2Addr({0x1000, 1}, {0x1FFF, 1}), 1);
    EXPECT_EQ(AdrCheck2Addr({0x1800, 1}, {0x1000, 1}), ADR_E_END_BEFORE_START);
    EXPECT_EQ(AdrCheck2Addr({0x1000, 1}, {0x3000, 1}), ADR_E_OUT_OF_RANGE);
}

}  // namespace

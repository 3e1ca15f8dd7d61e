// Breakpoint conditions through the symbol library: a store filled as a
// loader fills it, values in the recording target's memory and registers.
#include <platform/scripted_ui_gtest.h>

#include <cstring>

#include "condition_parser.h"
#include "conditions.h"
#include "quinar/quinar.h"
#include "sarvik_fixture.h"

namespace sarvik::test {
namespace {

// app.c, 0x100-0x2FF: globals i, j, k (int), c (signed char), f (float),
// us (unsigned short), l (long), d (double) from 0x9000; worker()
// 0x100-0x1FF with the register local fast (char, r4).
class ConditionTest : public SarvikTest {
protected:
    void SetUp() override
    {
        SarvikTest::SetUp();
        SymClearSymbolTables(0);
        const ImageStamp stamp{};
        SymModuleDesc desc{2, 0x100, 0x2FF};
        uint32_t module = 0;
        ASSERT_EQ(SymOpenModule("app.c", &stamp, &desc, 0, 1, 0, &module, 0), SYM_OK);
        const struct {
            const char* name;
            uint32_t type, address;
        } globals[] = {{"i", 8, 0x9000},  {"j", 8, 0x9004},  {"k", 8, 0x9008},  {"c", 2, 0x900C},
                       {"f", 14, 0x9010}, {"us", 6, 0x9014}, {"l", 10, 0x9018}, {"d", 15, 0x9020}};
        for (const auto& g : globals) {
            const uint32_t at[3] = {3, g.address, 0};
            uint32_t handle = 0;
            ASSERT_EQ(SymAddVariable(g.name, g.type, SYM_STORAGE_EXTERNAL, 0, at, 0, 1, &handle), SYM_OK);
        }
        SymModuleDesc worker{2, 0x100, 0x1FF};
        ASSERT_EQ(SymAddPublicSymbol("worker", 0, 0, &worker, 0), SYM_OK);
        const uint32_t r4[3] = {4, 0, 0};
        uint32_t handle = 0;
        ASSERT_EQ(SymAddVariable("fast", 1, SYM_STORAGE_LOCAL, 1, r4, 0, 1, &handle), SYM_OK);
        SymEndSymbolBlock();
        SymCloseModule(0);
        ASSERT_EQ(SymEndLoad(), SYM_OK);
    }
    void TearDown() override
    {
        SymClearSymbolTables(0);
        SarvikTest::TearDown();
    }

    // The condition of a breakpoint at `at`, evaluated at a stop there.
    static bool Holds(const char* condition, uint32_t at = 0x104)
    {
        StopAt(at);
        return SymbolConditionEvaluator().Evaluate(condition, {at, 1}) == 1;
    }
    static void StopAt(uint32_t pc)
    {
        Fake().pc = pc;
        Fake().regs[SIM_REG_PC] = pc;
    }
    static void Ints(uint32_t i, uint32_t j, uint32_t k)
    {
        Fake().PokeWord(0x9000, i);
        Fake().PokeWord(0x9004, j);
        Fake().PokeWord(0x9008, k);
    }
    template <class T>
    static void PokeValue(uint32_t address, T value)
    {
        uint8_t bytes[sizeof value];
        std::memcpy(bytes, &value, sizeof value);
        Fake().Poke(address, std::vector<uint8_t>(bytes, bytes + sizeof value));
    }
};

TEST_F(ConditionTest, ClausesCombineLeftToRightWithoutPrecedence)
{
    const char* grouped = "i == 3 || j <> 0 && k > 1";
    Ints(3, 0, 0);
    EXPECT_FALSE(Holds(grouped)) << "((i == 3) OR (j <> 0)) AND (k > 1), not i == 3 OR (...)";
    Ints(0, 1, 2);
    EXPECT_TRUE(Holds(grouped));
    Ints(3, 0, 2);
    EXPECT_TRUE(Holds(grouped));
    Ints(0, 0, 1);
    EXPECT_TRUE(Holds("i == 1 && j == 1 || k == 1")) << "(F AND F) OR T";

    std::vector<BpCondClause> clauses;
    ASSERT_TRUE(ParseBpCondition(grouped, {0x104, 1}, &clauses));
    ASSERT_EQ(clauses.size(), 3u);
    EXPECT_EQ(clauses[0].connector, BP_COND_OR);
    EXPECT_EQ(clauses[1].connector, BP_COND_AND);
    EXPECT_EQ(clauses[2].connector, BP_COND_LAST);
    EXPECT_EQ(clauses[0].text, "i ");
    EXPECT_EQ(clauses[1].op, BP_COND_NE);
    EXPECT_EQ(clauses[2].op, BP_COND_GT);
    EXPECT_EQ(clauses[2].constant, 1);
    EXPECT_EQ(clauses[0].size, 4u);
}

TEST_F(ConditionTest, OperatorsAndNumberForms)
{
    const struct {
        uint32_t i;
        const char* condition;
        bool holds;
    } cases[] = {
        {16, "i == 0x10", true},
        {16, "i == 16", true},
        {8, "i == 010", true},
        {10, "i == 010", false},
        {16, "i > 15", true},
        {16, "i < 16", false},
        {16, "i >= 16", true},
        {16, "i <= 15", false},
        {16, "i <> 16", false},
        {16, "i==16", true},
        {16, " i == +16 ", true},
        {16, "i < 0X11", true},
        {0xFFFFFFFF, "i == 0xFFFFFFFF", true},
        {0xFFFFFFFF, "i == -1", true},
    };
    for (const auto& c : cases) {
        Ints(c.i, 0, 0);
        EXPECT_EQ(Holds(c.condition), c.holds) << c.condition << " with i = " << c.i;
    }
}

// Narrow signed values are extended, then everything compares unsigned;
// floating-point values compare with the constant as a number.
TEST_F(ConditionTest, NarrowAndFloatingPointValues)
{
    Fake().Poke(0x900C, {0xFF});
    Fake().Poke(0x9014, {0xFF, 0xFF});
    Ints(5, 0, 0);
    PokeValue(0x9010, 1.5f);
    PokeValue(0x9020, -2.5);
    const struct {
        const char* condition;
        bool holds;
    } cases[] = {
        {"c > 0", true},       {"c == -1", true}, {"c == 255", false}, {"us == 65535", true},
        {"us > 0x7FFF", true}, {"i > -1", false}, {"f > 1", true},     {"f < 2", true},
        {"f == 1", false},     {"d < -2", true},  {"d > -3", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Holds(c.condition), c.holds) << c.condition;
}

// The type codes mean other kinds for images that are not ELF: code 10 is a
// 32-bit integer of an ELF image, a float of other images.
TEST_F(ConditionTest, TheImageFormatChoosesTheTypeTable)
{
    PokeValue(0x9018, 1.5f);
    EXPECT_FALSE(Holds("l < 2"));
    Fake().fileFormat = 2;
    EXPECT_TRUE(Holds("l < 2"));
    EXPECT_TRUE(Holds("l > 1"));
}

TEST_F(ConditionTest, RegistersLocalsAndAddresses)
{
    Fake().regs[SIM_REG_R0 + 1] = 5;
    Fake().regs[SIM_REG_R0 + 4] = 0x12345641;
    EXPECT_TRUE(Holds("@r1 == 5"));
    EXPECT_TRUE(Holds("@(R1) == 5"));
    EXPECT_FALSE(Holds("$r1 <> 5"));
    EXPECT_TRUE(Holds("fast == 0x41")) << "a char local in r4 (its low byte), inside worker";
    EXPECT_FALSE(Holds("fast == 0x41", 0x250)) << "outside worker the name is unknown";

    std::vector<BpCondClause> clauses;
    ASSERT_TRUE(ParseBpCondition("fast == 1 && @pc > 0", {0x104, 1}, &clauses));
    EXPECT_EQ(clauses[0].address, (ADDR{4, 4})) << "a register's place is space 4";
    EXPECT_EQ(clauses[0].size, 1u);

    // An address text stands for the word at that address; a name that is
    // also a hexadecimal number ("f") is the symbol.
    Ints(16, 0, 0);
    EXPECT_TRUE(Holds("9000 == 16"));
    EXPECT_TRUE(Holds("0x9000 == 0x10"));
    ASSERT_TRUE(ParseBpCondition("9000 == 16", {0x104, 1}, &clauses));
    EXPECT_EQ(clauses[0].address, (ADDR{0x9000, 1}));
    ASSERT_TRUE(ParseBpCondition("f == 0", {0x104, 1}, &clauses));
    EXPECT_EQ(clauses[0].address, (ADDR{0x9010, 0}));
}

TEST_F(ConditionTest, ConditionsThatDoNotParseNeverHoldAndSayNothing)
{
    Ints(16, 0, 0);
    platform::GTestScriptedUi ui;  // no message may appear
    for (const char* condition : {"nothing == 1", "i == 5x", "i == 0x", "i == 08", "i", "i ==", "== 3", "i == 3 &&",
                                  "i == 16 ||| j == 0", "i == 4294967296", "i == -2147483649", ""}) {
        std::vector<BpCondClause> clauses;
        EXPECT_FALSE(ParseBpCondition(condition, {0x104, 1}, &clauses)) << condition;
        EXPECT_FALSE(Holds(condition)) << condition;
    }
}

TEST_F(ConditionTest, ALoneEqualsAndATenthClauseAreReportedAtEveryEvaluation)
{
    Ints(16, 0, 0);
    std::string nine = "i == 16";
    for (int n = 1; n < 9; ++n)
        nine += n % 2 ? " && i > 1" : " || j == 0";
    const std::string ten = nine + " && k == 0";
    EXPECT_TRUE(Holds(nine.c_str())) << "nine clauses are accepted";

    platform::GTestScriptedUi ui;
    ui.AnswerMessageBox(IDOK, "no valid comparison")
        .AnswerMessageBox(IDOK, "no valid comparison")
        .AnswerMessageBox(IDOK, "no valid comparison")
        .AnswerMessageBox(IDOK, "at most 9 clauses")
        .AnswerMessageBox(IDOK, "at most 9 clauses");
    EXPECT_FALSE(Holds("x = 5"));
    EXPECT_FALSE(Holds("x = 5"));
    EXPECT_FALSE(Holds("i != 16")) << "'!' is no operator: the '=' stands alone";
    EXPECT_FALSE(Holds(ten.c_str()));
    EXPECT_FALSE(Holds(ten.c_str()));
    for (const auto& request : ui.Requests()) {
        EXPECT_EQ(request.messageBox.caption, "Zelkor for Arm");
        EXPECT_EQ(request.messageBox.type, MB_ICONEXCLAMATION);
    }
}

TEST_F(ConditionTest, AClauseThatCannotBeEvaluatedMakesTheConditionFalse)
{
    Ints(16, 0, 0);
    EXPECT_TRUE(Holds("i == 16 || j == 0"));
    Fake().unreadable.insert(0x9004);
    EXPECT_FALSE(Holds("i == 16 || j == 0"));
    EXPECT_FALSE(Holds("i == 16 || 9004 == 0"));
}

TEST_F(ConditionTest, AConditionalBreakpointHitsOnlyWhenItsConditionHolds)
{
    Set(0x104, 1, "i > 2 && fast <> 0");
    StopAt(0x104);
    Fake().regs[SIM_REG_R0 + 4] = 1;
    const ADDR pc{0x104, 1};
    Ints(1, 0, 0);
    EXPECT_EQ(BptCheckHit(&pc), 0);
    Ints(3, 0, 0);
    EXPECT_EQ(BptCheckHit(&pc), BPT_HIT_PERMANENT);
    Fake().regs[SIM_REG_R0 + 4] = 0;
    EXPECT_EQ(BptCheckHit(&pc), 0);
}

}  // namespace
}  // namespace sarvik::test

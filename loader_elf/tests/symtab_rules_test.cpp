// The rules of the .symtab pass on hand-built tables: the ARM tools' start
// tables, STT_ARM_TFUNC ranges, the names that never become labels, class
// ranges, tables far larger than the old fixed ones, damaged tables and Esc.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "debug_stand_in.h"
#include "quinar/listing.h"
#include "quinar/symbol_store.h"
#include "symtab_writer.h"
#include "tarnel_fixture.h"

namespace tarnel::test {
namespace {

class SymtabRulesTest : public TarnelTest {
protected:
    LdrResult Load(const std::vector<TestSymbol>& symbols, CompilerKind kind, bool bigEndian = false)
    {
        // The images have no debug sections; the reader slot that runs for
        // every image stands in for the DWARF readers.
        Readers().stabs = StandInReader(kind);
        return LoadFile(ImageWithSymbols(symbols, bigEndian).Build());
    }
    LdrResult LoadFile(const std::vector<uint8_t>& bytes)
    {
        image_.reset();
        image_ = std::make_unique<TempFile>("symtab.elf", bytes);
        return LdrLoadWinElf(image_->Path().c_str(), 1, LDR_FLAG_SYMBOLS, Window());
    }

    static std::set<std::string> RowsOf(const std::string& kind)
    {
        std::set<std::string> rows;
        for (const std::string& row : quinar::ListSymbols())
            if (row.rfind(kind + " ", 0) == 0)
                rows.insert(row);
        return rows;
    }
    static std::set<std::string> LabelRows() { return RowsOf("label"); }

    std::unique_ptr<TempFile> image_;
};

TEST_F(SymtabRulesTest, TheArmToolsStartTablesAnswerByTheNearestStartBelow)
{
    for (bool big : {false, true}) {
        SCOPED_TRACE(big ? "big-endian" : "little-endian");
        ASSERT_EQ(Load({{"$a", 0x8000},
                        {"arm_entry", 0x8000, 0x40, GLOBAL_FUNC},
                        {"$t", 0x8040},
                        {"thumb_part", 0x8040, 0x20, GLOBAL_TFUNC},
                        {"$d", 0x8058},
                        {"$A", 0x8060},
                        {"arm_more", 0x8060, 0x20, GLOBAL_FUNC},
                        // An EABI Thumb function: a FUNC symbol with bit 0 set.
                        {"eabi_thumb", 0x8081, 0x10, GLOBAL_FUNC},
                        {"last_thumb", 0x8100, 0x100, GLOBAL_TFUNC}},
                       COMPILER_ARM, big),
                  LDR_OK);
        const std::pair<uint32_t, int> answers[] = {
            {0, 0},          {0x7000, 0},  // below every start
            {0x8000, 0},     {0x803E, 0},  // an ARM start
            {0x8040, 1},     {0x8058, 1},  // equal to a "$t" start; "$d" is no start here
            {0x8060, 0},     {0x8080, 1},  // "$A" (either case), the EABI bit
            {0x8090, 1},     {0x81FE, 1},  // inside the last Thumb function, above every start
            {0xFFFFFFFE, 1},
        };
        for (const auto& [address, thumb] : answers)
            EXPECT_EQ(LdrIsInThumbRange(address), thumb) << std::hex << address;
        // "$a" both starts ARM code and is a label; "$d" is neither. No
        // module is open: the Thumb functions are labels too.
        EXPECT_EQ(LabelRows(),
                  (std::set<std::string>{"label 00008000 $a", "label 00008000 arm_entry", "label 00008040 $t",
                                         "label 00008040 thumb_part", "label 00008060 $A", "label 00008060 arm_more",
                                         "label 00008080 eabi_thumb", "label 00008100 last_thumb"}));
    }
}

TEST_F(SymtabRulesTest, OtherKindsTakeThumbFunctionsAsRanges)
{
    ASSERT_EQ(Load({{"t13", 0x100, 8, GLOBAL_TFUNC}, {"arm_fn", 0x108, 8, GLOBAL_FUNC}}, COMPILER_GNU_C), LDR_OK);
    for (uint32_t a = 0x100; a < 0x108; ++a)
        EXPECT_EQ(LdrIsInThumbRange(a), 1) << std::hex << a;
    EXPECT_EQ(LdrIsInThumbRange(0x108), 0);
    EXPECT_EQ(LdrIsInThumbRange(0xFE), 0);
}

TEST_F(SymtabRulesTest, ToolAndMappingNamesFollowTheirRules)
{
    ASSERT_EQ(Load({{".gcc2_compiled.", 0x8000},
                    {"x$foo", 0x8004, 0, GLOBAL_OBJECT},
                    {"x$bar", 0x8008, 0, GLOBAL_FUNC},
                    {"$d", 0x800C, 0, GLOBAL_OBJECT},
                    {"BuildAttributes$$THUMB_ISAv1", 0x8010},
                    {"!!!", 0x8014},
                    {"plain_object", 0x8018, 0, GLOBAL_OBJECT},
                    {"sized_object", 0x801C, 4, GLOBAL_OBJECT},
                    {"empty_function", 0x8021, 0, GLOBAL_FUNC},
                    {"thumb_no_module", 0x8030, 8, GLOBAL_TFUNC},
                    {"file.c", 0, 0, LOCAL_FILE, 0xFFF1},
                    {"$t", 0x8040}},
                   COMPILER_GNU_C),
              LDR_OK);
    EXPECT_EQ(LabelRows(),
              (std::set<std::string>{"label 00008018 plain_object", "label 00008020 empty_function",
                                     "label 00008030 thumb_no_module", "label 00008040 $t"}));
    // A sized object that no debug record describes is data of its own.
    EXPECT_EQ(RowsOf("data"), (std::set<std::string>{"data 0000801c sized_object"}));
}

// Symbols without debug records answer by name ("#name" in address texts,
// names in expressions) at their addresses, the Thumb bit cleared.
TEST_F(SymtabRulesTest, SymbolsWithoutDebugRecordsAnswerByName)
{
    ASSERT_EQ(Load({{"exit", 0x8101, 0x34, GLOBAL_FUNC},
                    {"errno", 0x9000, 4, GLOBAL_OBJECT},
                    {"local_static", 0x9010, 8, 0x01 /* LOCAL OBJECT */},
                    {"__bss_start__", 0x9000}},
                   COMPILER_GNU_C),
              LDR_OK);
    quinar::SymbolStore& symbols = quinar::Symbols();
    const struct {
        const char* name;
        uint32_t address;
    } cases[] = {{"#exit", 0x8100},         {"exit", 0x8100},           {"#errno", 0x9000},
                 {"#local_static", 0x9010}, {"#__bss_start__", 0x9000}, {"#ERRNO", 0x9000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const quinar::Result<uint32_t> address = symbols.AddressOfName(c.name);
        ASSERT_TRUE(address.ok());
        EXPECT_EQ(*address, c.address);
    }
    EXPECT_FALSE(symbols.AddressOfName("#nowhere").ok());
    const quinar::Result<uint32_t> errno_ = symbols.FindSymbol(0, "errno");
    ASSERT_TRUE(errno_.ok());
    const quinar::Result<quinar::SymbolDetails> details = symbols.Details(*errno_);
    ASSERT_TRUE(details.ok());
    EXPECT_EQ(details->kind, SYM_KIND_DATA_LABEL);
    EXPECT_EQ(details->start, 0x9000u);
}

TEST_F(SymtabRulesTest, MemberFunctionsGiveTheirClassItsRange)
{
    Readers().stabs = [](ReaderCall&) {
        LoaderTables& t = State().tables;
        t.memberNames["_ZN5Point4moveEii"] = "Point::move";
        t.memberNames["_ZN5Point4drawEv"] = "Point::draw";
        t.memberNames["_ZN3Box4sizeEv"] = "Box::size";
        return LDR_OK;
    };
    ASSERT_EQ(LoadFile(ImageWithSymbols({{"_ZN5Point4drawEv", 0x8101, 0x20, GLOBAL_FUNC},
                                         {"_ZN3Box4sizeEv", 0x8200, 0x10, GLOBAL_FUNC},
                                         {"_ZN5Point4moveEii", 0x8040, 0x40, GLOBAL_FUNC}})
                           .Build()),
              LDR_OK);
    DWORD range[2] = {1, 1};
    EXPECT_EQ(LdrGetClsFuncRange("Point", range), LDR_OK);
    EXPECT_EQ(range[0], 0x8040u);
    EXPECT_EQ(range[1], 0x811Fu);
    EXPECT_EQ(LdrGetClsFuncRange("Box", range), LDR_OK);
    EXPECT_EQ(range[1], 0x820Fu);
    EXPECT_EQ(LdrGetClsFuncRange("Unknown", range), LDR_OK);
    EXPECT_EQ(range[0], 0u);
    EXPECT_EQ(range[1], 0u);
    // Member functions are no labels.
    EXPECT_TRUE(LabelRows().empty());

    LdrClearClsFuncRange();
    EXPECT_EQ(LdrGetClsFuncRange("Point", range), LDR_OK);
    EXPECT_EQ(range[1], 0u);
}

// Thousands of functions of both instruction sets, beyond the 1024 starts
// and 126 ranges that the tables once held.
TEST_F(SymtabRulesTest, TablesGrowWithTheImage)
{
    constexpr uint32_t FUNCTIONS = 3000;
    std::vector<TestSymbol> eabi, armTools, tfunc;
    for (uint32_t i = 0; i < FUNCTIONS; ++i) {
        const uint32_t at = 0x8000 + 16 * i;
        const bool thumb = i % 3 == 1;
        eabi.push_back({thumb ? "$t" : "$a", at});
        eabi.push_back({"f" + std::to_string(i), at | (thumb ? 1 : 0), 16, GLOBAL_FUNC});
        armTools.push_back({"f" + std::to_string(i), at, 16, thumb ? GLOBAL_TFUNC : GLOBAL_FUNC});
        if (thumb)
            tfunc.push_back({"f" + std::to_string(i), at, 16, GLOBAL_TFUNC});
    }
    const std::pair<std::vector<TestSymbol>*, CompilerKind> cases[] = {
        {&eabi, COMPILER_NONE}, {&armTools, COMPILER_ARM}, {&tfunc, COMPILER_GNU_C}};
    for (const auto& [symbols, kind] : cases) {
        SCOPED_TRACE(kind);
        ASSERT_EQ(Load(*symbols, kind), LDR_OK);
        for (uint32_t i = 0; i < FUNCTIONS; ++i) {
            const uint32_t at = 0x8000 + 16 * i;
            const int thumb = i % 3 == 1 ? 1 : 0;
            ASSERT_EQ(LdrIsInThumbRange(at), thumb) << i;
            ASSERT_EQ(LdrIsInThumbRange(at + 14), thumb) << i;
        }
    }
}

TEST_F(SymtabRulesTest, AnImageWithoutSymbolsAnswersNothingOfTheImageBefore)
{
    ASSERT_EQ(Load({{"thumb_fn", 0x8001, 0x100, GLOBAL_FUNC}}, COMPILER_NONE), LDR_OK);
    EXPECT_EQ(LdrIsInThumbRange(0x8010), 1);
    TestElf bare;
    bare.sections.push_back({".text", 1, 6, 0x8000, Words({0xE3A00001})});
    ASSERT_EQ(LoadFile(bare.Build()), LDR_OK);
    EXPECT_EQ(LdrIsInThumbRange(0x8010), 0);

    ASSERT_EQ(Load({{"thumb_fn", 0x8001, 0x100, GLOBAL_FUNC}}, COMPILER_NONE), LDR_OK);
    ResetOnCloseELF();
    EXPECT_EQ(LdrIsInThumbRange(0x8010), 0);
}

TEST_F(SymtabRulesTest, DamagedTablesLoadWhatIsWhole)
{
    const std::vector<TestSymbol> symbols = {{"first", 0x8000}, {"second", 0x8004}, {"third", 0x8008}, {"cut", 0x800C}};
    TestElf elf = ImageWithSymbols(symbols);
    std::vector<uint8_t>& table = elf.sections[1].data;
    std::vector<uint8_t>& names = elf.sections[2].data;  // "\0first\0second\0third\0cut\0"
    // A name offset past the string table names nothing.
    table[16 * 2 + 1] = 0x70;
    // A name that runs to the table's end without its NUL ends there.
    names.resize(19);
    // A last entry cut short is not read.
    table.resize(table.size() - 3);
    ASSERT_EQ(LoadFile(elf.Build()), LDR_OK);
    EXPECT_EQ(LabelRows(), (std::set<std::string>{"label 00008000 first", "label 00008008 third"}));

    // A table that reaches past the file's end: what lies inside is read.
    TestElf::Layout layout;
    std::vector<uint8_t> bytes = ImageWithSymbols(symbols).Build(&layout);
    const uint32_t header = layout.shoff + 40 * 2;  // .symtab's header
    bytes[header + 20] = 0xF0;                      // its size, low bytes
    bytes[header + 21] = 0xFF;
    ASSERT_EQ(LoadFile(bytes), LDR_OK);
    const std::set<std::string> labels = LabelRows();
    for (const char* row : {"label 00008000 first", "label 00008004 second", "label 00008008 third"})
        EXPECT_TRUE(labels.count(row)) << row;
}

TEST_F(SymtabRulesTest, EscDuringALargeTableEndsTheLoad)
{
    std::vector<TestSymbol> symbols;
    for (int i = 0; i < 3000; ++i)
        symbols.push_back({"l" + std::to_string(i), 0x8000u + 4 * i});
    // Polls: the start of the load, after the headers, then the pass's own.
    int polls = 0;
    platform::SetKeyStateQuery([&](int vk) -> short { return vk == VK_ESCAPE && ++polls >= 3 ? 0x8001 : 0; });
    EXPECT_EQ(Load(symbols, COMPILER_NONE), LDR_E_USER_ABORT);
    platform::SetKeyStateQuery(nullptr);
    EXPECT_EQ(polls, 3);
    EXPECT_TRUE(quinar::ListSymbols().empty());
}

}  // namespace
}  // namespace tarnel::test

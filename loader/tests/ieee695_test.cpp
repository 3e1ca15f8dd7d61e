// IEEE-695 modules written by the test-support writer, loaded through
// LdrLoadWin over the recording simulator: sections and the stack, load
// data and repeats, the trailer's start, public names, damaged parts, the
// debug part's blocks, and the load conventions (download only, Esc, the
// busy rule, progress).
#include <gtest/gtest.h>

#include <platform/messages.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "front_end_fixture.h"
#include "front_state.h"
#include "ieee695_load.h"
#include "ieee695_writer.h"
#include "quentor.h"
#include "quentor/load_messages.h"
#include "quinar/listing.h"
#include "quinar/symbol_store.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

namespace quentor {
namespace {

using zk::test::Ieee695DebugWriter;
using zk::test::Ieee695ModuleDesc;

// Points a part pointer (E2 D7 part, 0x84 and four bytes) at offset.
void SetPartPointer(std::vector<uint8_t>& bytes, uint8_t part, uint32_t offset)
{
    for (size_t i = 0; i + 8 <= bytes.size(); ++i) {
        if (bytes[i] == 0xE2 && bytes[i + 1] == 0xD7 && bytes[i + 2] == part && bytes[i + 3] == 0x84) {
            for (int n = 0; n < 4; ++n)
                bytes[i + 4 + n] = static_cast<uint8_t>(offset >> (8 * (3 - n)));
            return;
        }
    }
    ADD_FAILURE() << "no pointer of part " << int(part);
}

// A small program: code and data sections, a stack, two runs of data and
// a repeat, a start address and public names.
Ieee695ModuleDesc Program()
{
    Ieee695ModuleDesc m;
    m.sections = {{"stack", 1, 'D', 0x400, 0x8000},
                  {"code", 2, 'P', 0x100, 0x1000},
                  {"data", 3, 'D', 0x40, 0x2000},
                  {" hidden", 4, 'R', 0x10, 0x3000},
                  {"empty", 5, 'R', 0, 0x3100}};
    m.data = {{0x1000, Ramp(0, 32)}, {0x1020, Ramp(0x20, 16)}, {0x2000, {0xDE, 0xAD, 0xBE, 0xEF}, 16}};
    m.start = 0x1004;
    m.publics = {{"_main", 15, 0x1000}, {"_counter", 3, 0x2000}, {"_reset", 15, 0x1010}};
    return m;
}

class Ieee695Test : public FrontEndFixture {
protected:
    std::string File(const std::vector<uint8_t>& bytes) { return FrontEndFixture::File("module.695", bytes); }
    LdrResult Load(const Ieee695ModuleDesc& m, unsigned flags, unsigned mode = 0)
    {
        return LdrLoadWin(File(WriteIeee695(m)).c_str(), mode, flags, window_);
    }
    LdrResult LoadBytes(const std::vector<uint8_t>& bytes, unsigned flags)
    {
        return LdrLoadWin(File(bytes).c_str(), 0, flags, window_);
    }

    static std::set<std::string> Rows(const std::vector<std::string>& rows) { return {rows.begin(), rows.end()}; }
    static std::vector<std::string> Messages() { return LoadMessages(); }
    size_t Writes()
    {
        const std::vector<int> codes = sim().Codes();
        return static_cast<size_t>(std::count(codes.begin(), codes.end(), SIM_CMD_WRITE_MEM));
    }
};

constexpr unsigned ALL = LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_LOAD_EXTERNAL;

TEST_F(Ieee695Test, AModuleGivesItsSectionsStackDataStartAndPublicNames)
{
    ASSERT_EQ(Load(Program(), ALL), LDR_OK);
    EXPECT_EQ(LdrFileFormat(), LDR_FORMAT_OTHER);

    EXPECT_EQ(sim().PeekBytes(0x1000, 48), Ramp(0, 48));
    // 16 times a 4-byte item: 64 bytes, and nothing after them.
    std::vector<uint8_t> repeated;
    for (int i = 0; i < 16; ++i)
        repeated.insert(repeated.end(), {0xDE, 0xAD, 0xBE, 0xEF});
    EXPECT_EQ(sim().PeekBytes(0x2000, 64), repeated);
    EXPECT_EQ(sim().PeekBytes(0x2040, 4), std::vector<uint8_t>(4, 0));

    ADDR start{0, 7};
    ASSERT_EQ(LdrGetStartPC(&start), LDR_OK);
    EXPECT_EQ(start.off, 0x1004u);
    EXPECT_EQ(start.seg, 7);
    int top = 0, size = 0, zero = 1, step = 0;
    LdrGetStack(&top, &size, &zero, &step);
    EXPECT_EQ(top, 0x8400);
    EXPECT_EQ(size, 0x400);
    EXPECT_EQ(zero, 0);
    EXPECT_EQ(step, 4);

    // Sections named with a blank or of size 0 are not registered; the
    // three base sections follow with the next indexes.
    EXPECT_EQ(Rows(quinar::ListSymbols()),
              (std::set<std::string>{"section 1 stack attribute 2", "section 2 code attribute 1",
                                     "section 3 data attribute 2", "section 6 BASE_RTACTIVATE attribute 0",
                                     "section 7 BASE_CODE attribute 1", "section 8 BASE_DATA attribute 2",
                                     "label 00001000 main", "label 00001010 reset", "data 00002000 counter"}));
    EXPECT_EQ(LdrIsSymbolLoaded(), 1);
    EXPECT_TRUE(Messages().empty());
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100u);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

TEST_F(Ieee695Test, PublicNamesNeedTheirFlagAndTheCppRulesHoldForTheCppToolOnly)
{
    Ieee695ModuleDesc m = Program();
    m.publics = {{"___ct__4Node", 15, 0x1000}, {"_draw__4NodeFv", 15, 0x1010}, {"___vtbl__4Node", 3, 0x2000}};
    ASSERT_EQ(Load(m, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE), LDR_OK);
    for (const std::string& row : quinar::ListSymbols())
        EXPECT_NE(row.rfind("label", 0), 0u) << row;

    m.toolNumber = 3;  // the C++ compiler
    ASSERT_EQ(Load(m, ALL), LDR_OK);
    std::set<std::string> rows = Rows(quinar::ListSymbols());
    EXPECT_TRUE(rows.count("label 00001000 Node"));
    EXPECT_TRUE(rows.count("label 00001010 draw"));
    EXPECT_TRUE(rows.count("data 00002000 vtbl"));

    // Another tool's image reads names as they are, and the next C++ image
    // reduces them again: the rule is per image.
    m.toolNumber = 224;
    ASSERT_EQ(Load(m, ALL), LDR_OK);
    EXPECT_TRUE(Rows(quinar::ListSymbols()).count("label 00001010 draw__4NodeFv"));
    m.toolNumber = 3;
    ASSERT_EQ(Load(m, ALL), LDR_OK);
    EXPECT_TRUE(Rows(quinar::ListSymbols()).count("label 00001010 draw"));
}

TEST_F(Ieee695Test, WithoutTrailerTheStartIsZeroAndEverySectionIsRegistered)
{
    Ieee695ModuleDesc m;
    for (uint32_t i = 1; i <= 40; ++i)
        m.sections.push_back({"s" + std::to_string(i), i, 'P', 0x10, 0x1000 * i});
    ASSERT_EQ(Load(m, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE), LDR_OK);
    ADDR start{0x55, 1};
    LdrGetStartPC(&start);
    EXPECT_EQ(start.off, 0u);
    int top = 1, size = 1;
    LdrGetStack(&top, &size, nullptr, nullptr);
    EXPECT_EQ(top, 0);
    EXPECT_EQ(size, 0);
    const std::vector<std::string> rows = quinar::ListSymbols();
    ASSERT_EQ(rows.size(), 43u);
    EXPECT_EQ(rows[39], "section 40 s40 attribute 1");
    EXPECT_EQ(rows[40], "section 41 BASE_RTACTIVATE attribute 0");
    EXPECT_EQ(rows[42], "section 43 BASE_DATA attribute 2");
    EXPECT_EQ(Writes(), 0u);
}

TEST_F(Ieee695Test, ADownloadOnlyLoadKeepsTheSymbolsLoadedBefore)
{
    ASSERT_EQ(Load(Program(), ALL), LDR_OK);
    const std::vector<std::string> before = quinar::ListSymbols();
    sim().PokeBytes(0x1000, std::vector<uint8_t>(48, 0xEE));
    ASSERT_EQ(Load(Program(), LDR_LOAD_CODE), LDR_OK);
    EXPECT_EQ(quinar::ListSymbols(), before);
    EXPECT_EQ(sim().PeekBytes(0x1000, 48), Ramp(0, 48));
}

// The header's damage ends the load with LDR_E_UNKNOWN_FORMAT and a
// message; the sections part's with its result; no memory is written.
TEST_F(Ieee695Test, ADamagedHeaderOrSectionPartEndsTheLoadBeforeAnythingIsTouched)
{
    const std::vector<uint8_t> good = WriteIeee695(Program());
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        LdrResult result;
        const char* message;
    };
    std::vector<Case> cases;
    cases.push_back({"cut in the processor name", {0xE0, 0x10, 'A', 'R', 'M'}, LDR_E_UNKNOWN_FORMAT, "header+0x"});
    std::vector<uint8_t> noPointers(good.begin(), good.begin() + 28);
    noPointers.resize(40, 0x00);
    cases.push_back({"part pointers missing", noPointers, LDR_E_UNKNOWN_FORMAT, "part pointer missing"});
    std::vector<uint8_t> outside = good;
    SetPartPointer(outside, 1, 0x7F000000);
    cases.push_back({"part pointer outside the file", outside, LDR_E_UNKNOWN_FORMAT, "outside the file"});

    Ieee695ModuleDesc m = Program();
    m.sections[1].type = "AB";
    cases.push_back({"type A without S", WriteIeee695(m), LDR_E_UNKNOWN_FORMAT, "section part+0x"});
    m.sections[1].type = "C";
    cases.push_back({"type C", WriteIeee695(m), LDR_E_SECTION_TYPE, nullptr});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        quinar::Symbols().OpenModule("kept", {});
        quinar::Symbols().CloseModule();
        const size_t writes = Writes();
        EXPECT_EQ(LoadBytes(c.bytes, ALL), c.result);
        EXPECT_EQ(Writes(), writes);
        if (c.message) {
            ASSERT_EQ(Messages().size(), 1u);
            EXPECT_NE(Messages()[0].find(c.message), std::string::npos) << Messages()[0];
        }
        EXPECT_EQ(progress.back(), 100u);
        EXPECT_FALSE(FrontState().loading);
    }
}

// A bad record of the data part: the records before it are written,
// nothing of it or after it; the load fails with LDR_E_BAD_RECORD.
TEST_F(Ieee695Test, ADamagedDataRecordEndsTheLoadAfterTheRecordsBeforeIt)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> tail;  // after a good record of 16 bytes at 0x1000
    };
    const Case cases[] = {
        {"load data past the part", {0xED, 0x20, 1, 2, 3}},
        {"a repeat without its item", {0xF7, 4, 0xE5}},
        {"a repeat past 4 GiB", {0xE2, 0xD0, 1, 0x84, 0xFF, 0xFF, 0xFF, 0x00, 0xF7, 0x82, 0x01, 0x01, 0xED, 1, 7}},
        {"load data past 4 GiB", {0xE2, 0xD0, 1, 0x84, 0xFF, 0xFF, 0xFF, 0xFE, 0xED, 4, 1, 2, 3, 4}},
        {"a count cut short", {0xE2, 0xD0, 1, 0x84, 0x00, 0x00, 0x20, 0x00, 0xED, 0x88}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Ieee695ModuleDesc m;
        m.data = {{0x1000, Ramp(1, 16)}};
        std::vector<uint8_t> bytes = WriteIeee695(m);
        // The data part is the module's last part before the module end (E1).
        const size_t end = bytes.size() - 1 - 1 - m.name.size();
        ASSERT_EQ(bytes[end], 0xE1);
        bytes.insert(bytes.begin() + static_cast<ptrdiff_t>(end), c.tail.begin(), c.tail.end());
        SetPartPointer(bytes, 7, static_cast<uint32_t>(end + c.tail.size()));
        sim().PokeBytes(0x1000, std::vector<uint8_t>(16, 0));
        EXPECT_EQ(LoadBytes(bytes, LDR_LOAD_CODE), LDR_E_BAD_RECORD);
        EXPECT_EQ(sim().PeekBytes(0x1000, 16), Ramp(1, 16));
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_NE(Messages()[0].find(": data part+0x"), std::string::npos) << Messages()[0];
    }
}

TEST_F(Ieee695Test, EscEndsTheLoadAndEmptiesQuinarAndALoadDuringALoadIsRefused)
{
    Ieee695ModuleDesc m = Program();
    for (uint32_t i = 0; i < 40; ++i)
        m.data.push_back({0x4000 + 0x100 * i, Ramp(static_cast<uint8_t>(i), 16)});
    const std::string path = File(WriteIeee695(m));

    std::vector<LdrResult> inner;
    int records = 0;
    platform::SetPumpHook([&] {
        if (inner.empty())
            inner.push_back(LdrLoadWin(path.c_str(), 0, LDR_LOAD_CODE, nullptr));
        if (++records == 10)
            platform::SetKeyDown(VK_ESCAPE, true);
    });
    EXPECT_EQ(LdrLoadWin(path.c_str(), 0, ALL, window_), LDR_E_USER_ABORT);
    platform::SetPumpHook(nullptr);
    platform::SetKeyDown(VK_ESCAPE, false);
    EXPECT_EQ(inner, std::vector<LdrResult>{LDR_E_BUSY});
    EXPECT_TRUE(quinar::ListSymbols().empty());
    EXPECT_EQ(progress.back(), 100u);
    EXPECT_FALSE(FrontState().loading);
}

// ---- The debug part

// A module of types, a module block with globals and a function with
// locals, and its source lines.
std::vector<uint8_t> DebugProgram(bool sized)
{
    Ieee695DebugWriter w;
    w.Begin(1, "types", sized);
    w.Name(1, "").Type(256, 1, 'Z').Num(8).Num(9);  // int [10]
    w.Name(2, "node").Type(257, 2, 'S').Num(8).Str("value").Num(8).Num(0).Str("next").Num(258).Num(4);
    w.Name(3, "").Type(258, 3, 'P').Num(257);  // struct node *
    w.Name(4, "colour").Type(259, 4, 'N').Num(4).Str("red").Num(0).Str("blue").Num(2);
    w.Name(5, "myint").Type(260, 5, 'T').Num(8);
    w.Name(6, "").Type(261, 6, 'x').Num(8).Num(0).Num(2).Num(8).Num(258);  // int (int, struct node *)
    w.Name(7, "flags").Type(262, 7, 'g').Num(3).Num(5);
    w.Name(8, "odd").Type(300, 8, 'Z').Num(2).Num(3);  // char [4] at index 300
    w.Name(9, "").Type(263, 9, 'q').Num(1).Num(2).Str("skipped");
    w.End();
    w.Begin(77, "unknown", true).Raw({0xF0, 0xF0, 0xF8, 0x01}).End();
    w.Begin(3, "c:\\src\\prog.c", sized);
    w.Variable(10, "counter", 8, 8).Assign(10, 0x2000);
    w.Variable(11, "grid", 256, 3).Assign(11, 0x2010);
    w.Function(true, "sum", 16, 261, 0x1000, sized);
    w.Variable(12, "a", 8, 1).Num(0xFFFFFFF8);
    w.Variable(13, "n", 258, 2).Num(4);
    w.Function(false, "inner", 0, 8, 0x1010, sized);
    w.Variable(14, "kept", 260, 3).Assign(14, 0x2100);
    w.EndFunction(0x101F);
    w.EndFunction(0x103F);
    w.End();
    w.Begin(5, "c:\\src\\prog.c", sized);
    for (auto [line, address] : {std::pair{3u, 0x1000u}, {4u, 0x1008u}, {4u, 0x100Cu}, {2u, 0x1010u}, {6u, 0x1020u}})
        w.Attribute(0, 0, 7).Num(line).Num(0).Assign(0, address);
    w.End();
    return w.Bytes();
}

TEST_F(Ieee695Test, TheDebugPartBuildsTypesModulesFunctionsVariablesAndLines)
{
    Ieee695ModuleDesc m = Program();
    m.debug = DebugProgram(true);
    // Mode 0 reads the source lines of sized blocks.
    ASSERT_EQ(Load(m, LDR_LOAD_SYMBOLS, 0), LDR_OK);
    EXPECT_TRUE(Messages().empty()) << Messages()[0];

    quinar::SymbolStore& s = quinar::Symbols();
    // Own types start one above the index quinar allocates for the block:
    // index 256 is that + 1, index 300 that + 45.
    const uint32_t table = SYM_FIRST_TYPE_INDEX;
    EXPECT_EQ(s.TypeText(table).value, "int [10]");
    EXPECT_EQ(s.Type(table).value.size, 40u);  // bound 9 of 4-byte elements
    EXPECT_EQ(s.Type(table + 300 - 256).value.size, 4u);
    EXPECT_EQ(s.Type(table + 300 - 256).value.name, "odd");
    EXPECT_EQ(s.TypeText(table + 2).value, "struct node *");
    EXPECT_EQ(s.Type(table + 1).value.size, 8u);
    EXPECT_EQ(s.StructMember(table + 1, 1).value.name, "next");
    EXPECT_EQ(s.Type(table + 4).value.size, 4u);  // typedef of int
    EXPECT_FALSE(s.Type(table + 7).ok());         // an unknown letter is skipped

    const std::set<std::string> symbols = Rows(quinar::ListSymbols());
    EXPECT_TRUE(symbols.count("module 00001000-0000103f prog")) << ::testing::PrintToString(symbols);
    const std::vector<std::string> functions = quinar::ListFunctions();
    EXPECT_EQ(functions,
              (std::vector<std::string>{"00001000-0000103f sum module prog", "00001010-0000101f inner module prog"}));
    // Lines: every row, with its address.
    EXPECT_EQ(quinar::ListLines().size(), 5u);
    EXPECT_EQ(s.SourceLineAt(0x1008).value.line, 4u);

    // Variables carry their location as a piece for the evaluator.
    const quinar::Result<uint32_t> counter = s.LookupNamedSymbol(0, "counter");
    ASSERT_TRUE(counter.ok());
    EXPECT_TRUE(s.LocationPiece(counter.value, 0).ok());
    const std::vector<std::string> withVariables = quinar::ListFunctionsWithVariables();
    const std::string all = ::testing::PrintToString(withVariables);
    EXPECT_NE(all.find(" a type 8"), std::string::npos) << all;
    EXPECT_NE(all.find("breg11 -8"), std::string::npos) << all;
    EXPECT_NE(all.find(" n type"), std::string::npos) << all;
    EXPECT_NE(all.find("reg4"), std::string::npos) << all;
}

// A code address with bit 0 set is a Thumb function: its range starts at
// the even address, its automatics count from r7 (ARM code's from r11, also
// after a Thumb function nested in it), and the debugger sees Thumb code there
// until the next image's symbols are loaded.
TEST_F(Ieee695Test, ThumbFunctionsCountTheirAutomaticsFromR7AndAreThumbCode)
{
    Ieee695DebugWriter w;
    w.Begin(3, "mixed.c", true);
    w.Function(true, "outer", 16, 8, 0x1000, true);
    w.Variable(1, "before", 8, 1).Num(0xFFFFFFF8);
    w.Function(false, "inner", 8, 8, 0x1021, true);
    w.Variable(2, "t", 8, 1).Num(4);
    w.EndFunction(0x102F);
    w.Variable(3, "after", 8, 1).Num(0xFFFFFFF4);
    w.EndFunction(0x103F);
    w.Function(true, "leaf", 8, 8, 0x1041, true).EndFunction(0x104F);
    w.End();
    Ieee695ModuleDesc m = Program();
    m.debug = w.Bytes();
    ASSERT_EQ(Load(m, LDR_LOAD_SYMBOLS), LDR_OK);
    EXPECT_TRUE(Messages().empty()) << Messages()[0];

    EXPECT_EQ(quinar::ListFunctions(),
              (std::vector<std::string>{"00001000-0000103f outer module mixed", "00001020-0000102f inner module mixed",
                                        "00001040-0000104f leaf module mixed"}));
    const std::set<std::string> variables = Rows(quinar::ListFunctionsWithVariables());
    for (const char* local : {"  local before type 8 frame-8 list breg11 -8", "  local t type 8 frame+4 list breg7 +4",
                              "  local after type 8 frame-12 list breg11 -12"})
        EXPECT_TRUE(variables.count(local)) << local << " in " << ::testing::PrintToString(variables);
    for (auto [address, thumb] : {std::pair{0x1000u, 0},
                                  {0x101Eu, 0},
                                  {0x1020u, 1},
                                  {0x102Eu, 1},
                                  {0x1030u, 0},
                                  {0x1040u, 1},
                                  {0x104Eu, 1},
                                  {0x1050u, 0}})
        EXPECT_EQ(LdrIsInThumbRange(address), thumb) << std::hex << address;

    m.debug = DebugProgram(true);
    ASSERT_EQ(Load(m, LDR_LOAD_SYMBOLS), LDR_OK);
    EXPECT_EQ(LdrIsInThumbRange(0x1020), 0);
}

TEST_F(Ieee695Test, SourceLinesNeedModeZeroOrASizelessBlockAndTheFirstToolKeepsGrowingLinesOnly)
{
    Ieee695ModuleDesc m = Program();
    m.debug = DebugProgram(true);
    ASSERT_EQ(Load(m, LDR_LOAD_SYMBOLS, 1), LDR_OK);
    EXPECT_TRUE(quinar::ListLines().empty());
    EXPECT_EQ(quinar::ListFunctions().size(), 2u);

    m.debug = DebugProgram(false);
    ASSERT_EQ(Load(m, LDR_LOAD_SYMBOLS, 1), LDR_OK);
    EXPECT_EQ(quinar::ListLines().size(), 5u);
    EXPECT_EQ(quinar::ListFunctions().size(), 2u);

    m.toolNumber = 224;
    ASSERT_EQ(Load(m, LDR_LOAD_SYMBOLS, 0), LDR_OK);
    EXPECT_EQ(quinar::ListLines().size(), 3u);  // lines 3, 4, 6
}

TEST_F(Ieee695Test, TheFirstToolsPointerOneIsAOneByteType)
{
    Ieee695ModuleDesc m = Program();
    m.toolNumber = 224;
    Ieee695DebugWriter w;
    w.Begin(1, "types").Name(1, "flag").Type(256, 1, 'P').Num(1).Name(2, "").Type(257, 2, 'P').Num(8).End();
    m.debug = w.Bytes();
    ASSERT_EQ(Load(m, LDR_LOAD_SYMBOLS), LDR_OK);
    EXPECT_EQ(quinar::Symbols().Type(SYM_FIRST_TYPE_INDEX).value.code, SYM_TYPE_TYPEDEF);
    EXPECT_EQ(quinar::Symbols().Type(SYM_FIRST_TYPE_INDEX).value.size, 1u);
    EXPECT_EQ(quinar::Symbols().Type(SYM_FIRST_TYPE_INDEX + 1).value.code, SYM_TYPE_POINTER);
}

// Damage in the debug part is a message naming the place; the next block
// is read and the load succeeds.
TEST_F(Ieee695Test, DamagedDebugBlocksAreReportedAndTheNextBlockIsRead)
{
    auto tail = [] {
        Ieee695DebugWriter w;
        w.Begin(3, "after").Function(true, "after", 0, 8, 0x1000).EndFunction(0x100F).End();
        return w.Bytes();
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> block;
        const char* message;
    };
    Ieee695DebugWriter deep;
    deep.Begin(3, "deep", false);
    for (int i = 0; i < 100; ++i)
        deep.Function(false, "f" + std::to_string(i), 0, 8, 0x4000 + i, false);
    std::vector<Case> cases = {
        {"size ending before the header", {0xF8, 3, 0x02, 1, 'x', 0xF9}, "block size ends before its header"},
        {"size past the part", {0xF8, 3, 0x84, 0x00, 0x10, 0x00, 0x00, 1, 'x', 0xF9}, "block size past its part"},
        {"end address outside its block", {0xF8, 4, 0x0A, 1, 'f', 0, 8, 0x10, 0xF9, 0x00}, "end address"},
        {"an unexpected record in a module", {0xF8, 3, 0, 1, 'm', 0xE6, 0xF9}, "unexpected record"},
        {"function blocks nested too deep", deep.Bytes(), "nested too deep"},
        {"a name past the block", {0xF8, 1, 0x0A, 1, 't', 0xF0, 1, 0x7F, 'a', 0xF9}, "name past the end"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Ieee695ModuleDesc m = Program();
        m.debug = c.block;
        const std::vector<uint8_t> after = tail();
        m.debug.insert(m.debug.end(), after.begin(), after.end());
        ASSERT_EQ(Load(m, LDR_LOAD_SYMBOLS), LDR_OK);
        ASSERT_FALSE(Messages().empty());
        EXPECT_NE(Messages()[0].find(": debug part+0x"), std::string::npos) << Messages()[0];
        EXPECT_NE(Messages()[0].find(c.message), std::string::npos) << Messages()[0];
        EXPECT_TRUE(quinar::Symbols().HasFunction("after"));
    }
}

}  // namespace
}  // namespace quentor

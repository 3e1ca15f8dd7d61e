// The frame information: saved-register lists against readelf
// --debug-dump=frames of gcc's images, the CIEs and FDEs kept for a stack
// walk, and the rules on hand-built sections.
#include <gtest/gtest.h>

#include <set>

#include "cfa_rows.h"
#include "debug_frame.h"
#include "debug_stand_in.h"
#include "symtab_writer.h"
#include "tarnel_fixture.h"

namespace tarnel::test {
namespace {

using zk::test::FixturePath;

std::vector<uint32_t> SavedRegistersAt(uint32_t address)
{
    uint32_t kind = 0, handle = 0;
    if (SymGetAddrInfo(SYM_ADDR_CODE, address, nullptr, &kind, nullptr, nullptr, &handle, nullptr) != SYM_OK ||
        kind != SYM_KIND_FUNCTION)
        return {0xDEAD};
    const LdrSavedRegisters* saved = nullptr;
    EXPECT_EQ(MapFuncToRegArr(handle, &saved, nullptr), 1);
    if (!saved)
        return {0xBAD};
    return {saved->registers, saved->registers + saved->count};
}

class FrameFixtureTest : public TarnelTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(FrameFixtureTest, SavedRegistersFollowReadelfsOrder)
{
    const std::string image = FixturePath(GetParam());
    const std::vector<ReadelfFde> fdes = ReadelfFrames(image);
    ASSERT_GE(fdes.size(), 2u);
    std::vector<ReadelfSymbol> functions;
    for (const ReadelfSymbol& s : ReadelfSymbols(image))
        if (s.type == "FUNC" && s.size != 0)
            functions.push_back(s);
    Readers().dwarf2Units = StandInReader(COMPILER_GNU_C, {{"image.c", functions}});
    ASSERT_EQ(LdrLoadWinElf(image.c_str(), 1, LDR_FLAG_SYMBOLS, Window()), LDR_OK);
    EXPECT_EQ(LdrIsHasFrame(), 1);

    const FrameTable& kept = LoadedFrames();
    ASSERT_EQ(kept.fdes.size(), fdes.size());
    ASSERT_FALSE(kept.cies.empty());
    for (const FrameCie& cie : kept.cies) {
        EXPECT_EQ(cie.returnAddressRegister, 14u);
        EXPECT_EQ(cie.dataAlignment, -4);
    }
    for (size_t i = 0; i < fdes.size(); ++i) {
        SCOPED_TRACE(std::to_string(fdes[i].pc));
        EXPECT_EQ(kept.fdes[i].initialLocation, fdes[i].pc);
        EXPECT_EQ(kept.fdes[i].initialLocation + kept.fdes[i].addressRange, fdes[i].end);
        ASSERT_GE(kept.fdes[i].cie, 0);
        EXPECT_EQ(kept.cies[kept.fdes[i].cie].offset, kept.fdes[i].cieOffset);
        EXPECT_EQ(SavedRegistersAt(fdes[i].pc), fdes[i].savedRegisters);
    }
    EXPECT_EQ(kept.functions.size(), fdes.size());

    ResetOnCloseELF();
    EXPECT_EQ(LdrIsHasFrame(), 0);
    EXPECT_TRUE(LoadedFrames().saved.empty());
}

// The same through the library's own DWARF 2 readers: every FDE of a C
// function (a FUNC symbol at its start) reaches the function they made.
// The start-up code's and libgcc's FDEs have none: their units are the
// assembler's.
TEST_P(FrameFixtureTest, TheDwarfReadersFunctionsGetReadelfsLists)
{
    const std::string image = FixturePath(GetParam());
    const std::vector<ReadelfFde> fdes = ReadelfFrames(image);
    std::set<uint32_t> cFunctions;
    for (const ReadelfSymbol& s : ReadelfSymbols(image))
        if (s.type == "FUNC" && s.size != 0 && s.name.rfind("__", 0) != 0)
            cFunctions.insert(s.value & ~1u);
    ASSERT_EQ(LdrLoadWinElf(image.c_str(), 1, LDR_FLAG_SYMBOLS, Window()), LDR_OK);
    ASSERT_EQ(LdrGetMachineType(), COMPILER_GNU_C);
    size_t checked = 0;
    for (const ReadelfFde& fde : fdes) {
        if (!cFunctions.count(fde.pc))
            continue;
        SCOPED_TRACE(testing::Message() << "FDE at 0x" << std::hex << fde.pc);
        EXPECT_EQ(SavedRegistersAt(fde.pc), fde.savedRegisters);
        ++checked;
    }
    EXPECT_GE(checked, 2u);
}

class RuleTableTest : public TarnelTest, public ::testing::WithParamInterface<const char*> {};

// readelf's text of a register's rule ("u" also for a register without one).
std::string RuleText(const FrameState& state, uint64_t reg)
{
    const auto it = state.rules.find(reg);
    if (it == state.rules.end())
        return "u";
    const RegisterRule& r = it->second;
    const std::string sign = r.value < 0 ? "-" : "+";
    const std::string magnitude = std::to_string(r.value < 0 ? -r.value : r.value);
    switch (r.kind) {
    case RuleKind::Unspecified:
    case RuleKind::Undefined: return "u";
    case RuleKind::SameValue: return "s";
    case RuleKind::Offset: return "c" + sign + magnitude;
    case RuleKind::ValOffset: return "v" + sign + magnitude;
    case RuleKind::Register: return "r" + std::to_string(r.value);
    case RuleKind::Expression: return "exp";
    case RuleKind::ValExpression: return "vexp";
    }
    return "?";
}

std::string CfaText(const CfaDefinition& cfa)
{
    if (cfa.isExpression)
        return "exp";
    return "r" + std::to_string(cfa.reg) + (cfa.offset < 0 ? "-" : "+") +
        std::to_string(cfa.offset < 0 ? -cfa.offset : cfa.offset);
}

// The rule table of every FDE of an image loaded last, row by row and
// column by column, is what readelf's interpretation of the same
// instructions shows.
void ExpectReadelfsRuleTables(const std::string& image)
{
    const std::vector<ReadelfRuleTable> expected = ReadelfRuleTables(image);
    ASSERT_FALSE(expected.empty());
    const FrameTable& kept = LoadedFrames();
    ASSERT_EQ(kept.fdes.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const ReadelfRuleTable& want = expected[i];
        SCOPED_TRACE(testing::Message() << "FDE at 0x" << std::hex << want.pc);
        const FrameFde& fde = kept.fdes[i];
        ASSERT_GE(fde.cie, 0);
        const FrameCie& cie = kept.cies[static_cast<size_t>(fde.cie)];
        const std::vector<FrameRuleRow> got = FrameRowsOf(cie, fde, kept.bigEndian);
        if (want.rows.empty()) {
            // readelf shows no table for an FDE without instructions: the
            // CIE's initial rules hold for the whole range.
            ASSERT_EQ(got.size(), 1u);
            EXPECT_EQ(CfaText(got[0].state.cfa), "r13+0");
            continue;
        }
        ASSERT_EQ(got.size(), want.rows.size());
        for (size_t r = 0; r < got.size(); ++r) {
            SCOPED_TRACE(testing::Message() << "row at 0x" << std::hex << want.rows[r].address);
            EXPECT_EQ(got[r].address, want.rows[r].address);
            EXPECT_EQ(CfaText(got[r].state.cfa), want.rows[r].cfa);
            ASSERT_EQ(want.rows[r].columns.size(), want.columnNames.size());
            for (size_t c = 0; c < want.columnNames.size(); ++c) {
                const std::string& name = want.columnNames[c];
                const uint64_t reg = name == "ra" ? cie.returnAddressRegister : std::stoul(name.substr(1));
                EXPECT_EQ(RuleText(got[r].state, reg), want.rows[r].columns[c]) << name;
            }
        }
    }
}

TEST_P(RuleTableTest, RuleTablesAreReadelfsInterpretation)
{
    const std::string image = FixturePath(GetParam());
    ASSERT_EQ(LdrLoadWinElf(image.c_str(), 1, LDR_FLAG_SYMBOLS, Window()), LDR_OK);
    ExpectReadelfsRuleTables(image);
}

INSTANTIATE_TEST_SUITE_P(Images, FrameFixtureTest,
                         ::testing::Values("ldr_interwork_O0", "ldr_interwork_O2", "ldr_thumb_O0", "ldr_be"));

// newlib's objects remember and restore states around their early returns.
INSTANTIATE_TEST_SUITE_P(Images, RuleTableTest,
                         ::testing::Values("ldr_interwork_O0", "ldr_interwork_O2", "ldr_thumb_O0", "ldr_be",
                                           "d2_newlib"));

class FrameRulesTest : public TarnelTest {
protected:
    // .text functions f0 (0x8000), f1 (0x8100), f2 (0x8200), 0x100 bytes
    // each, registered by the stand-in reader, and the frame section.
    LdrResult Load(const FrameSectionWriter& frames, bool bigEndian = false)
    {
        std::vector<TestSymbol> symbols;
        std::vector<ReadelfSymbol> functions;
        for (uint32_t i = 0; i < 3; ++i) {
            const std::string name = "f" + std::to_string(i);
            symbols.push_back({name, 0x8000 + 0x100 * i, 0x100, GLOBAL_FUNC});
            functions.push_back({0x8000 + 0x100 * i, 0x100, "FUNC", "GLOBAL", "1", name});
        }
        TestElf elf = ImageWithSymbols(symbols, bigEndian);
        elf.sections.push_back({".debug_frame", 1, 0, 0, frames.Bytes()});
        image_.reset();
        image_ = std::make_unique<TempFile>("frames.elf", elf.Build());
        Readers().stabs = StandInReader(COMPILER_GNU_C, {{"f.c", functions}});
        return LdrLoadWinElf(image_->Path().c_str(), 1, LDR_FLAG_SYMBOLS, Window());
    }

    std::unique_ptr<TempFile> image_;
};

TEST_F(FrameRulesTest, ListsKeepTheOrderTheFirstFdeAndTheMappedFunctions)
{
    for (bool big : {false, true}) {
        FrameSectionWriter w(big);
        const uint32_t cie = w.Cie({0x0C, 13, 0, 0x8E, 0x01});               // def_cfa r13+0; r14 in the CIE counts not
        w.Fde(cie, 0x8000, 0x100, {0x44, 0x0E, 8, 0x8E, 0x01, 0x8B, 0x02});  // r14, then r11
        w.Fde(cie, 0x8000, 0x100, {0x84, 0x01});                             // f0 again: ignored
        w.Fde(cie, 0x7000, 0x10, {0x84, 0x01});                              // no function there
        // A DW_CFA_nop between rules is padding, not the end; the operands of
        // the other opcodes are stepped over.
        w.Fde(cie, 0x8100, 0x100,
              {0x87, 0x03, 0x00, 0x02, 0x10, 0x05, 0x20, 0x01, 0x11, 0x04, 0x7E, 0x10, 0x04, 0x02, 0x90, 0x11, 0x86,
               0x04});
        // Instructions whose operands run past their entry: what was whole counts.
        w.Fde(cie, 0x8200, 0x100, {0x85, 0x01, 0x05});
        ASSERT_EQ(Load(w, big), LDR_OK);
        EXPECT_EQ(SavedRegistersAt(0x8000), (std::vector<uint32_t>{14, 11}));
        EXPECT_EQ(SavedRegistersAt(0x8100), (std::vector<uint32_t>{7, 6}));
        EXPECT_EQ(SavedRegistersAt(0x8200), (std::vector<uint32_t>{5}));
        EXPECT_EQ(LoadedFrames().fdes.size(), 5u);
        EXPECT_EQ(LoadedFrames().functions.size(), 4u);  // f0 twice, f1, f2
    }
}

TEST_F(FrameRulesTest, TheSecondOutputAndAnUnknownFunctionAreLeftAlone)
{
    FrameSectionWriter w;
    w.Fde(w.Cie({}), 0x8000, 0x100, {0x8E, 0x01});
    ASSERT_EQ(Load(w), LDR_OK);
    const LdrSavedRegisters* saved = nullptr;
    DWORD second = 0x5A5A;
    EXPECT_EQ(MapFuncToRegArr(0x12345678, &saved, &second), 1);
    EXPECT_EQ(saved, nullptr);
    EXPECT_EQ(second, 0x5A5Au);
    EXPECT_EQ(MapFuncToRegArr(0x12345678, nullptr, nullptr), 1);
}

TEST_F(FrameRulesTest, DamagedSectionsEndTheReadingWhereTheDamageIs)
{
    const std::vector<std::vector<uint8_t>> tails = {
        {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0},                    // a 64-bit entry
        {0x40, 0, 0, 0, 1, 2},                                   // a length past the end
        {2, 0, 0, 0, 0xFF, 0xFF},                                // an entry too short for its id
        {0x0C, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 9, 0, 2, 0x7C},  // a CIE of an unknown version
        {1, 2},                                                  // the section's last bytes
    };
    for (const std::vector<uint8_t>& tail : tails) {
        FrameSectionWriter w;
        w.Fde(w.Cie({}), 0x8000, 0x100, {0x8E, 0x01});
        w.Append(tail);
        ASSERT_EQ(Load(w), LDR_OK);
        EXPECT_EQ(SavedRegistersAt(0x8000), std::vector<uint32_t>{14});
        EXPECT_EQ(LdrIsHasFrame(), 1);
        EXPECT_EQ(LoadedFrames().cies.size(), 1u);
    }
}

// Every opcode of DWARF 2 to 4 (and GNU's) that gcc does not emit for ARM,
// in one FDE: factored and signed offsets, value rules, register and
// expression rules, an expression CFA, remembered states, every advance.
TEST_F(FrameRulesTest, EveryOpcodeGivesReadelfsRows)
{
    FrameSectionWriter w;
    const uint32_t cie = w.Cie({0x0C, 13, 0, 0x8E, 0x01});
    w.Fde(cie, 0x8000, 0x100,
          {0x42,                          // advance_loc 2 (x2)
           0x12, 0x0D, 0x7E,              // def_cfa_sf r13, -2 (x-4)
           0x85, 0x02,                    // offset r5
           0x02, 0x04,                    // advance_loc1
           0x13, 0x7C,                    // def_cfa_offset_sf -4
           0x11, 0x06, 0x7D,              // offset_extended_sf r6, -3
           0x14, 0x07, 0x02,              // val_offset r7, 2
           0x09, 0x08, 0x03,              // register r8 in r3
           0x03, 0x02, 0x00,              // advance_loc2
           0x08, 0x09,                    // same_value r9
           0x07, 0x0A,                    // undefined r10
           0x0A,                          // remember_state
           0x04, 0x04, 0x00, 0x00, 0x00,  // advance_loc4
           0x10, 0x0B, 0x02, 0x7B, 0x10,  // expression r11: breg11 16
           0x16, 0x0C, 0x01, 0x30,        // val_expression r12: lit0
           0x2F, 0x04, 0x01,              // GNU_negative_offset_extended r4, 1
           0x41,                          // advance_loc 1
           0x0B,                          // restore_state
           0x06, 0x05,                    // restore_extended r5
           0x01, 0x20, 0x80, 0x00, 0x00,  // set_loc 0x8020
           0x0F, 0x02, 0x7D, 0x00,        // def_cfa_expression: breg13 0
           0x41,                          // advance_loc 1
           0x0C, 0x0B, 0x04,              // def_cfa r11+4
           0xC5,                          // restore r5
           0x15, 0x07, 0x7F,              // val_offset_sf r7, -1
           0x2E, 0x10,                    // GNU_args_size
           0x05, 0x06, 0x01});            // offset_extended r6
    ASSERT_EQ(Load(w), LDR_OK);
    ExpectReadelfsRuleTables(image_->Path());
    ASSERT_EQ(LoadedFrames().fdes.size(), 1u);
    EXPECT_EQ(FrameRowsOf(LoadedFrames().cies[0], LoadedFrames().fdes[0], false).size(), 8u);
}

TEST_F(FrameRulesTest, AnImageWithoutFrameInformationHasNone)
{
    FrameSectionWriter w;
    w.Fde(w.Cie({}), 0x8000, 0x100, {0x8E, 0x01});
    ASSERT_EQ(Load(w), LDR_OK);
    ASSERT_EQ(LdrIsHasFrame(), 1);
    image_.reset();
    image_ = std::make_unique<TempFile>("noframes.elf", ImageWithSymbols({{"f", 0x8000, 4, GLOBAL_FUNC}}).Build());
    ASSERT_EQ(LdrLoadWinElf(image_->Path().c_str(), 1, LDR_FLAG_SYMBOLS, Window()), LDR_OK);
    EXPECT_EQ(LdrIsHasFrame(), 0);
    EXPECT_TRUE(LoadedFrames().saved.empty());
}

}  // namespace
}  // namespace tarnel::test

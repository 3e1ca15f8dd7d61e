// The frame information: saved-register lists against readelf
// --debug-dump=frames of gcc's images, the CIEs and FDEs kept for a stack
// walk, and the rules on hand-built sections.
#include <gtest/gtest.h>

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

INSTANTIATE_TEST_SUITE_P(Images, FrameFixtureTest,
                         ::testing::Values("ldr_interwork_O0", "ldr_interwork_O2", "ldr_thumb_O0", "ldr_be"));

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
        const uint32_t cie = w.Cie({0x0C, 13, 0, 0x8E, 0x01});  // def_cfa r13+0; r14 in the CIE counts not
        w.Fde(cie, 0x8000, 0x100, {0x44, 0x0E, 8, 0x8E, 0x01, 0x8B, 0x02});     // r14, then r11
        w.Fde(cie, 0x8000, 0x100, {0x84, 0x01});                               // f0 again: ignored
        w.Fde(cie, 0x7000, 0x10, {0x84, 0x01});                                // no function there
        // A DW_CFA_nop between rules is padding, not the end; the operands of
        // the other opcodes are stepped over.
        w.Fde(cie, 0x8100, 0x100,
              {0x87, 0x03, 0x00, 0x02, 0x10, 0x05, 0x20, 0x01, 0x11, 0x04, 0x7E, 0x10, 0x04, 0x02, 0x90, 0x11,
               0x86, 0x04});
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
        {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0},  // a 64-bit entry
        {0x40, 0, 0, 0, 1, 2},                 // a length past the end
        {2, 0, 0, 0, 0xFF, 0xFF},              // an entry too short for its id
        {0x0C, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 9, 0, 2, 0x7C},  // a CIE of an unknown version
        {1, 2},                                // the section's last bytes
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

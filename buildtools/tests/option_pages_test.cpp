// The option pages: switches and command line in step both ways, exclusions,
// refusals, saved states (damaged, cut, oversized) and the record's option
// lines that GetProjectSetting joins.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "buildtools/module_state.h"
#include "buildtools/page_set.h"

namespace {

using namespace fendrix;

TEST(OptionPages, ControlsAndTextFollowEachOther)
{
    CPageAs as;
    EXPECT_EQ(as.Text(), "-x assembler-with-cpp -Wa,--gstabs -Wa,-mall");

    // Typed text sets the checks and the exclusions follow.
    as.SetText("-Wa,-mapcs-26 -Wa,-mthumb");
    EXPECT_EQ(as.Flag("APCS26"), 1);
    EXPECT_FALSE(as.Enabled("APCS32"));
    EXPECT_EQ(as.Flag("Generate Stabs information"), 0);
    EXPECT_EQ(as.Radios()[0].index, 0);
    EXPECT_EQ(as.Flag("MRI compatible"), 0) << "-Wa,-M is a word of its own, not a part of -Wa,-mthumb";

    // A radio click replaces the alternative where it stands.
    as.SetRadio(0, 1);
    EXPECT_EQ(as.Text(), "-Wa,-mapcs-26 -Wa,-mthumb-interwork");
    // A disabled check does not follow a click.
    as.SetCheck("APCS32", true);
    EXPECT_EQ(as.Flag("APCS32"), 0);

    // Clearing removes the first whole-word occurrence only; a switch found
    // only inside a longer word counts as absent.
    CPageDebugOptC debug;
    EXPECT_EQ(debug.Text(), "-O0 -g -gdwarf-2");
    debug.SetText("-gdwarf-2 -O1 -g -x -g");
    EXPECT_EQ(debug.Flag("Enable debug table generation"), 1);
    EXPECT_EQ(debug.Radios()[0].index, 1);
    debug.SetCheck("Enable debug table generation", false);
    EXPECT_EQ(debug.Text(), "-gdwarf-2 -O1 -x -g");
    CPageCodeGenC gen;
    gen.SetText("-fpicky");
    gen.SetCheck("Generate position-independent-code", true);
    EXPECT_EQ(gen.Text(), "-fpicky -fpic");
    EXPECT_EQ(gen.Flag("Generate position-independent-code"), 1);

    // Little endian stands for no switch: choosing it removes "-mbig-endian".
    CPageAtpcsC compiler;
    compiler.SetText("-mbig-endian -mapcs-frame");
    EXPECT_EQ(compiler.Radios()[0].index, 1);
    compiler.SetRadio(0, 0);
    EXPECT_EQ(compiler.Text(), "-mapcs-frame");
}

TEST(OptionPages, ExclusionsDisableAndClear)
{
    CPageAsWarn warn;
    warn.SetCheck("Suppress warning of signed overflow", true);
    warn.SetCheck("Fpa10 architecture", true);
    warn.SetCheck("No warning", true);
    EXPECT_EQ(warn.Text(), "-Wa,-mfpa10 -Wa,-W");
    EXPECT_FALSE(warn.Enabled("Suppress warning of signed overflow"));
    EXPECT_FALSE(warn.Enabled("Fpa11 architecture"));

    CPageWarningC w;
    EXPECT_EQ(w.Text(), "-w");
    EXPECT_FALSE(w.Enabled("Unused declarations"));
    w.SetCheck("No Warning", false);
    w.SetCheck("Warn for all conditions", true);
    EXPECT_EQ(w.Text(), "-Wall");

    CPageDebugOptC d;
    EXPECT_FALSE(d.Enabled("Produce info in STABS format"));
    EXPECT_TRUE(d.Enabled("Produce info in DWARF2 format"));
}

TEST(OptionPages, LinkSwitchesAreExactWordsAndTheEntryJoinsAfterE)
{
    CPageLinkOption link;
    EXPECT_EQ(link.Text(), "-EL -e_start");
    link.SetText("-static -EB -emain");
    EXPECT_EQ(link.Flag("All symbol"), 0);
    EXPECT_EQ(link.Flag("Do not link against shared libraries"), 1);
    EXPECT_EQ(link.Radios()[0].index, 1);
    EXPECT_EQ(link.entry, "main");
    link.SetCheck("Debugger symbol", true);
    link.SetCheck("All symbol", true);
    EXPECT_EQ(link.Text(), "-static -EB -emain -S -s");
    link.SetCheck("Debugger symbol", false);
    link.SetEntry("reset");
    EXPECT_EQ(link.Text(), "-static -EB -ereset -s");

    CPageLinkLayout layout;
    EXPECT_EQ(layout.Text(), "-static");
    layout.SetCheck("Remove symbol info", true);
    layout.SetCheck("No dynamic linking", false);
    EXPECT_EQ(layout.Text(), "-s");
}

TEST(OptionPages, RefusalsBeforeLeavingAPage)
{
    CPageLinkListing listing;
    EXPECT_EQ(listing.Validate(), "");
    const std::pair<std::string CPageLinkListing::*, const char*> cases[] = {
        {&CPageLinkListing::textSection, "Read-only base must be \na hexadecimal value"},
        {&CPageLinkListing::dataSection, "Read-write base must be \na hexadecimal value"},
        {&CPageLinkListing::bssSection, "Origin must be \na hexadecimal value"},
        {&CPageLinkListing::groupLink, "Length must be \na hexadecimal value"},
        {&CPageLinkListing::stackTop, "Stack top must be \na hexadecimal value"},
        {&CPageLinkListing::rwBase, "Read-write base must be \na hexadecimal value"}};
    for (const auto& [field, message] : cases) {
        for (const char* bad : {"0x", "12g", "0x123456789", "-1"}) {
            CPageLinkListing page;
            page.*field = bad;
            EXPECT_EQ(page.Validate(), message) << bad;
        }
    }
    listing.userLd = 1;
    EXPECT_EQ(listing.Validate(), "You must enter a file name");

    ModuleState state;
    CPageTAC general(state);
    EXPECT_EQ(general.Validate(), "You must enter a file name!");
    general.outputName = "a.elf";
    EXPECT_EQ(general.Validate(), "You must Enter a path!");
    general.outputDir = "/nonexistent/folder";
    EXPECT_EQ(general.Validate(), "You must enter an existed path");
    general.outputDir = testing::TempDir();
    general.useBatch = 1;
    EXPECT_EQ(general.Validate(), "You must enter an file name!");
    general.batchFile = "/nonexistent.bat";
    EXPECT_EQ(general.Validate(), "You must enter an existed batch file");

    CPagePreC pre;
    EXPECT_EQ(pre.AddPath("inc"), "");
    EXPECT_EQ(pre.AddPath("inc"), "Already Exists");
    EXPECT_EQ(pre.includes.size(), 1u);
}

// A set of pages away from every default.
void EditEveryPage(PageSet& p)
{
    p.general.projectType = 4;
    p.general.outputName = "out.elf";
    p.assembler.SetCheck("Local Symbol", true);
    p.asmWarn.SetCheck("Fpa11 architecture", true);
    p.compiler.SetRadio(0, 1);
    p.warning.SetCheck("No Warning", false);
    p.warning.SetCheck("Unused declarations", true);
    p.debugOpt.SetRadio(0, 2);
    p.preprocessor.SetText("ONE=1 TWO");
    p.preprocessor.AddPath("include");
    p.codeGen.SetCheck("global variable in bss section", true);
    p.libLink.libraryFile = "libm.a";
    p.linkOptions.SetEntry("main");
    p.linkListing.textSection = "0x10000";
    p.linkListing.generateMap = 1;
}

std::vector<uint8_t> PageBytes(const CBasePropertyPage& page)
{
    PageWriter out(kPageStateSize, kPageStateSize);
    page.Store(out);
    return out.Bytes();
}

std::vector<uint8_t> Stored(PageSet& pages)
{
    CompilerInfo info;
    pages.Store(info);
    return {info.pageState.begin(), info.pageState.begin() + info.pageStateLength};
}

TEST(OptionPages, SavedStatesRoundTripAndSurviveDamage)
{
    ModuleState state;
    PageSet edited(state);
    EditEveryPage(edited);
    CompilerInfo info;
    edited.Store(info);
    const std::vector<uint8_t> good = Stored(edited);

    PageSet back(state);
    back.Load(info, state);
    EXPECT_EQ(Stored(back), good);
    EXPECT_EQ(back.linkOptions.entry, "main");
    EXPECT_EQ(back.preprocessor.includes, std::vector<std::string>{"include"});
    EXPECT_EQ(state.includeDirs, std::vector<std::string>{"include"});

    // Cut at every length: the pages read whole keep what they read, the
    // rest keep their defaults; bytes past the length are never taken.
    PageSet defaults(state);
    const std::vector<uint8_t> fresh = Stored(defaults);
    for (uint32_t cut = 0; cut < good.size(); ++cut) {
        CompilerInfo damaged = info;
        damaged.pageStateLength = cut;
        ModuleState s;
        PageSet pages(s);
        const size_t read = pages.Load(damaged, s);
        ASSERT_LT(read, pages.Pages().size());
        for (size_t i = 0; i < pages.Pages().size(); ++i)
            EXPECT_EQ(PageBytes(*pages.Pages()[i]), PageBytes(*(i < read ? edited : defaults).Pages()[i]))
                << "cut " << cut << " page " << i;
    }
    // Random overwrites: loading never fails hard, and a store of what was
    // read reads back the same.
    std::mt19937 rng(7);
    for (int round = 0; round < 500; ++round) {
        CompilerInfo damaged = info;
        for (int n = 0; n < 4; ++n)
            damaged.pageState[rng() % damaged.pageStateLength] = static_cast<uint8_t>(rng());
        ModuleState s;
        PageSet pages(s);
        pages.Load(damaged, s);
        const std::vector<uint8_t> once = Stored(pages);
        PageSet reread(s);
        CompilerInfo again;
        pages.Store(again);
        reread.Load(again, s);
        EXPECT_EQ(Stored(reread), once) << round;
    }

    // A page state written by a newer version is left alone: that page and
    // the ones after it keep their defaults.
    CompilerInfo newer = info;
    newer.pageState[0] = 2;
    PageSet fromNewer(state);
    fromNewer.Load(newer, state);
    EXPECT_EQ(Stored(fromNewer), fresh);
}

TEST(OptionPages, LongTextsAreCutToFitThePageState)
{
    ModuleState state;
    PageSet pages(state);
    const std::string huge(10000, 'x');
    for (CBasePropertyPage* page : pages.Pages())
        page->SetText(huge);
    pages.general.outputDir = huge;
    pages.linkOptions.entry = huge;
    for (int i = 0; i < 300; ++i)
        pages.preprocessor.AddPath(std::to_string(i) + huge.substr(0, 100));
    CompilerInfo info;
    pages.Store(info);
    EXPECT_LE(info.pageStateLength, kPageStateSize);
    PageSet back(state);
    back.Load(info, state);
    EXPECT_EQ(Stored(back), Stored(pages));
    EXPECT_EQ(back.linkListing.stackTop, "0x74000");
    EXPECT_FALSE(back.compiler.Text().empty());
}

}  // namespace

// The stabs reader over hand-built sections: modules and source paths,
// function ends, line rows, included files, locations, damage.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "stabs_pass.h"

namespace tarnel::test {
namespace {

class StabsReaderTest : public StabsPassTest {
protected:
    static quinar::CodeRange Range(const std::string& function) { return Store().FunctionRange(function).value; }
    static uint32_t LineAt(uint32_t address) { return Store().SourceLineAt(address).value.line; }
    static uint32_t ModuleOfLine(uint32_t address) { return Store().SourceLineAt(address).value.module; }

    // The location expression of a function's n-th variable and where it holds.
    struct Located {
        std::string name;
        uint32_t low = 0, high = 0;
        std::vector<uint8_t> expr;
    };
    static Located VariableOf(const std::string& function, uint32_t n)
    {
        const uint32_t f = Store().LookupNamedSymbol(0, function).value;
        const quinar::FunctionVariable v = Store().FunctionVariableAt(f, n).value;
        const SymLocationPiece p = Store().LocationPiece(v.handle, 0).value;
        return {v.name, p.low, p.high, std::vector<uint8_t>(p.expr, p.expr + p.length)};
    }
};

TEST_F(StabsReaderTest, EmptySectionReadsNothing)
{
    moduleCount = 7;
    EXPECT_EQ(Read(StabWriter()), LDR_OK);
    EXPECT_EQ(moduleCount, 7u);
    EXPECT_EQ(Store().ModuleCount(), 0u);
}

// A directory entry, then a bare file name: the module is the directory's
// file, named without extension; a path with a separator is taken whole.
// A path met again reopens its module; one differing only in its folder
// gets a module of its own and marks the first as sharing its name.
TEST_F(StabsReaderTest, SourceFilesMakeModules)
{
    StabWriter w;
    w.Add(N_SO, 0, 0x100, "/src/")
        .Add(N_SO, 0, 0x100, "main.c")
        .Add(N_SLINE, 3, 0x100)
        .Add(N_SO, 0, 0x200, "/lib/util.c")
        .Add(N_SLINE, 4, 0x200)
        .Add(N_SO, 0, 0x300, "/src/main.c")
        .Add(N_SLINE, 5, 0x300)
        .Add(N_SO, 0, 0x400, "/other/main.c")
        .Add(N_SLINE, 6, 0x400)
        // After the end of a unit, a bare name is no longer in its folder.
        .Add(N_SO, 0, 0x500, "")
        .Add(N_SO, 0, 0x500, "bare.s")
        .Add(N_SLINE, 7, 0x500);
    EXPECT_EQ(Read(w), LDR_OK);
    EXPECT_EQ(moduleCount, 4u);
    EXPECT_EQ(Store().ModuleCount(), 4u);
    EXPECT_EQ(tables.SourceFile(ModuleOfLine(0x500))->name, "bare.s");
    const uint32_t main = ModuleOfLine(0x100);
    EXPECT_EQ(ModuleOfLine(0x300), main);
    EXPECT_NE(ModuleOfLine(0x400), main);
    EXPECT_EQ(tables.SourceFile(main)->name, "/src/main.c");
    EXPECT_EQ(tables.SourceFile(main)->baseName, "main");
    EXPECT_EQ(tables.SourceFile(ModuleOfLine(0x200))->name, "/lib/util.c");
    EXPECT_EQ(Store().Details(main)->flags & 2u, 2u);
    EXPECT_EQ(LineAt(0x300), 5u);
    EXPECT_EQ(lineRows, 5u);
}

// The module table has no fixed size and keeps paths whole.
TEST_F(StabsReaderTest, ManyModulesAndLongPaths)
{
    const std::string folder = "/" + std::string(300, 'd') + "/";
    StabWriter w;
    for (uint32_t i = 0; i < 1200; ++i)
        w.Add(N_SO, 0, 0x1000 + 4 * i, folder + "m" + std::to_string(i) + ".c").Add(N_SLINE, 1, 0x1000 + 4 * i);
    EXPECT_EQ(Read(w), LDR_OK);
    EXPECT_EQ(Store().ModuleCount(), 1200u);
    EXPECT_EQ(moduleCount, 1200u);
    EXPECT_EQ(tables.SourceFile(ModuleOfLine(0x1000 + 4 * 1199))->name, folder + "m1199.c");
}

// A function ends at the size of the empty function entry after it, else
// at its outermost right bracket, else at its highest line address. Line
// and bracket values count from the function's start; Thumb functions
// carry bit 0.
TEST_F(StabsReaderTest, FunctionEndsAndLines)
{
    StabWriter w;
    w.Add(N_SO, 0, 0x1000, "/src/f.c")
        .Add(N_LSYM, 0, 0, "int:t(0,1)=r(0,1);-2147483648;2147483647;")
        .Add(N_FUN, 2, 0x1000, "sized:F(0,1)")
        .Add(N_SLINE, 2, 0)
        .Add(N_SLINE, 3, 8)
        .Add(N_LBRAC, 0, 0)
        .Add(N_RBRAC, 0, 0x10)
        .Add(N_FUN, 0, 0x20)  // size
        .Add(N_FUN, 5, 0x1021, "bracketed:f(0,1)")
        .Add(N_SLINE, 5, 0)
        .Add(N_SLINE, 6, 4)
        .Add(N_LBRAC, 0, 0)
        .Add(N_LBRAC, 0, 2)
        .Add(N_RBRAC, 0, 6)
        .Add(N_RBRAC, 0, 0xC)
        .Add(N_FUN, 9, 0x1040, "lined:F(0,1)")
        .Add(N_SLINE, 9, 0)
        .Add(N_SLINE, 10, 0x14)
        .Add(N_SO, 0, 0x1060, "")
        // An assembler's module: absolute rows, no functions.
        .Add(N_SO, 0, 0x2000, "/src/s.s")
        .Add(N_SLINE, 4, 0x2000)
        .Add(N_SLINE, 5, 0x2004);
    EXPECT_EQ(Read(w), LDR_OK);
    EXPECT_EQ(functions, 3u);
    EXPECT_EQ(Range("sized").start, 0x1000u);
    EXPECT_EQ(Range("sized").end, 0x101Fu);
    EXPECT_EQ(Range("bracketed").start, 0x1020u);
    EXPECT_EQ(Range("bracketed").end, 0x102Bu);
    EXPECT_EQ(Range("lined").end, 0x1054u);
    EXPECT_EQ(LineAt(0x1008), 3u);
    EXPECT_EQ(LineAt(0x1024), 6u);
    EXPECT_EQ(LineAt(0x1054), 10u);
    EXPECT_EQ(LineAt(0x2004), 5u);
    EXPECT_NE(ModuleOfLine(0x2004), ModuleOfLine(0x1000));
}

// Parameters and locals get a piece for the evaluator: an offset from the
// frame pointer (r11 in ARM code, r7 + 4 in Thumb code), a register, an
// address; a block's locals hold within the block.
TEST_F(StabsReaderTest, VariablesGetLocations)
{
    StabWriter w;
    w.Add(N_SO, 0, 0x100, "/src/v.c")
        .Add(N_LSYM, 0, 0, "int:t(0,1)=r(0,1);-2147483648;2147483647;")
        .Add(N_FUN, 1, 0x100, "arm:F(0,1)")
        .Add(N_PSYM, 1, 0xFFFFFFF0, "a:p(0,1)")
        .Add(N_LSYM, 1, 0xFFFFFFF8, "s:(0,1)")
        .Add(N_LBRAC, 0, 0)
        .Add(N_RSYM, 1, 4, "t:r(0,1)")
        .Add(N_LCSYM, 1, 0x8000, "n:V(0,1)")
        .Add(N_LBRAC, 0, 8)
        .Add(N_RBRAC, 0, 0x10)
        .Add(N_RBRAC, 0, 0x20)
        .Add(N_FUN, 2, 0x201, "thumb:F(0,1)")
        .Add(N_PSYM, 2, 0xFFFFFFF4, "b:p(0,1)")
        .Add(N_LBRAC, 0, 0)
        .Add(N_RBRAC, 0, 0x10)
        .Add(N_LCSYM, 1, 0x8000, "n:V(0,1)")
        .Add(N_STSYM, 1, 0x8004, "d:S(0,1)");
    EXPECT_EQ(Read(w), LDR_OK);
    const Located a = VariableOf("arm", 0);
    EXPECT_EQ(a.name, "a");
    EXPECT_EQ(a.expr, (std::vector<uint8_t>{0x7B, 0x70}));  // breg11 -16
    EXPECT_EQ(a.low, 0x100u);
    EXPECT_EQ(a.high, 0x120u);
    EXPECT_EQ(VariableOf("arm", 1).expr, (std::vector<uint8_t>{0x7B, 0x78}));
    const Located t = VariableOf("arm", 2);
    EXPECT_EQ(t.expr, std::vector<uint8_t>{0x54});  // reg4
    EXPECT_EQ(t.low, 0x108u);
    EXPECT_EQ(t.high, 0x110u);
    EXPECT_EQ(VariableOf("arm", 3).expr, (std::vector<uint8_t>{0x03, 0x00, 0x80, 0x00, 0x00}));
    EXPECT_EQ(Range("thumb").start, 0x200u);
    EXPECT_EQ(VariableOf("thumb", 0).expr, (std::vector<uint8_t>{0x77, 0x78}));  // breg7 -12 + 4
    // The function's static, written again at file level, is held once.
    // One module, two functions, a, s, t, n, b and the file's static d.
    EXPECT_TRUE(Store().LookupNamedSymbol(0, "d").ok());
    EXPECT_EQ(Store().Counts().items, 9u);
}

// Rows of an included file (between its begin and end entries, or after a
// source-line entry naming it) reach a module of their own after the
// including module, at addresses of the function that held them.
TEST_F(StabsReaderTest, IncludedFilesReplayIntoTheirModules)
{
    StabWriter w;
    w.Add(N_SO, 0, 0x100, "/src/")
        .Add(N_SO, 0, 0x100, "m.c")
        .Add(N_FUN, 1, 0x100, "f:F(0,1)")
        .Add(N_SLINE, 1, 0)
        .Add(N_BINCL, 0, 1, "/src/inc.h")
        .Add(N_SLINE, 7, 4)
        .Add(N_EINCL, 0, 0)
        .Add(N_SLINE, 2, 8)
        .Add(N_SOL, 0, 0x10C, "other.h")
        .Add(N_SLINE, 30, 0xC)
        .Add(N_SOL, 0, 0x110, "m.c")
        .Add(N_SLINE, 3, 0x10)
        .Add(N_FUN, 0, 0x14);
    EXPECT_EQ(Read(w), LDR_OK);
    EXPECT_EQ(Store().ModuleCount(), 3u);
    EXPECT_EQ(LineAt(0x104), 7u);
    EXPECT_EQ(LineAt(0x10C), 30u);
    EXPECT_EQ(LineAt(0x110), 3u);
    EXPECT_EQ(tables.SourceFile(ModuleOfLine(0x104))->name, "/src/inc.h");
    EXPECT_EQ(tables.SourceFile(ModuleOfLine(0x10C))->name, "/src/other.h");
    EXPECT_EQ(ModuleOfLine(0x110), ModuleOfLine(0x100));
}

// Damaged sections: each fault reported with its section and offset, the
// other entries read; a string of any length is read whole.
TEST_F(StabsReaderTest, DamageIsReportedAndTheRestRead)
{
    const std::string longName(3000, 'v');
    StabWriter w;
    w.Add(N_SO, 0, 0x100, "/src/d.c")
        .Add(N_LSYM, 0, 0, "int:t(0,1)=r(0,1);-2147483648;2147483647;")
        .Raw(0x7FFFFFF0, N_GSYM, 0, 0)
        .Add(N_GSYM, 0, 0x200, longName + ":G(0,1)");
    // A last string without its NUL, and a stray byte after the entries.
    const uint32_t open = static_cast<uint32_t>(w.strings.size());
    w.Raw(open, N_GSYM, 0, 0x300);
    w.strings.insert(w.strings.end(), {'z', ':', 'G', '(', '0', ',', '1', ')'});
    w.stab.push_back(0);
    EXPECT_EQ(Read(w), LDR_E_READ);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_NE(messages[0].find("img.elf: .stab+0x3c: section size is no multiple of 12"), std::string::npos)
        << messages[0];
    EXPECT_NE(messages[1].find(".stab+0x18: string offset past .stabstr"), std::string::npos) << messages[1];
    EXPECT_NE(messages[2].find(".stabstr+0x"), std::string::npos) << messages[2];
    EXPECT_NE(messages[2].find("without its NUL"), std::string::npos) << messages[2];
    EXPECT_EQ(VariableType(longName), 7u);
    EXPECT_EQ(VariableType("z"), 7u);
}

}  // namespace
}  // namespace tarnel::test

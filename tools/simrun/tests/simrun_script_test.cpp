// simrun --script: shell command lines against the loaded image, the
// shell's output and the shown stops on standard output.
#include <gmock/gmock.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>

#include "simrun_support.h"

namespace simrun_test {
namespace {

using ::testing::ElementsAreArray;
using zk::test::FixturePath;

uint32_t SymbolOf(const std::string& image, const std::string& name)
{
    const auto nm = zk::test::RunProcess({"arm-none-eabi-nm", image});
    std::istringstream lines(nm.out);
    for (std::string value, type, symbol; lines >> value >> type >> symbol;) {
        if (symbol == name)
            return static_cast<uint32_t>(std::stoul(value, nullptr, 16));
    }
    ADD_FAILURE() << name;
    return 0;
}

std::string Hex(uint32_t v, const char* format = "%08X")
{
    char text[16];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

zk::test::ProcessResult RunScript(const Folder& folder, const std::string& image, const std::string& script,
                                  std::vector<std::string> options = {})
{
    const std::string path = folder.Path() + "/script.txt";
    std::ofstream(path) << script;
    options.insert(options.begin(), {"--script", path, "--max-seconds", "10"});
    return RunSimrun(folder, image, options);
}

TEST(Script, LinesRunThroughTheShell)
{
    Folder folder;
    const std::string image = FixturePath("step_arm");
    const uint32_t add = SymbolOf(image, "add");
    const auto run = RunScript(
        folder, image, "go till #add\nstep\nstep till x\nnonsense\nreset x\nhalt\nbp #twice\ngo\r\nbc all\ngo\n");
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 20u) << run.out;
    EXPECT_EQ(lines[0], "> go till #add");
    EXPECT_EQ(lines[1], "Halt by breakpoint! (PC 0x" + Hex(add, "%08x") + ")");
    EXPECT_EQ(lines[2], "> step");
    EXPECT_EQ(lines[3].substr(0, 9), Hex(add + 4) + " ") << "the instruction at the new PC";
    EXPECT_THAT(std::vector<std::string>(lines.begin() + 4, lines.begin() + 11),
                ElementsAreArray({"> step till x", "Not support this command!", "> nonsense", "No such command",
                                  "> reset x", "Syntax error!", "> halt"}));
    EXPECT_EQ(lines[11], "Cpu is halted.");
    EXPECT_EQ(lines[12], "> bp #twice");
    EXPECT_EQ(lines[14], "> go");
    EXPECT_EQ(lines[15], "Halt by breakpoint! (PC 0x" + Hex(SymbolOf(image, "twice"), "%08x") + ")");
    EXPECT_EQ(lines[18], "> go");
    EXPECT_EQ(lines[19], "Halt by Trap Vector Instruction! (PC 0x" + Hex(SymbolOf(image, "__normal_end"), "%08x") + ")")
        << "the normal end";
}

// With --source-level the step commands go by line; a newlib program's
// end through semihosting is shown with its status.
TEST(Script, SourceLevelAndTheProgramsEnd)
{
    Folder folder;
    const std::string image = FixturePath("step_thumb");
    const auto run = RunScript(folder, image, "go till #twice\nstep\nstep out\n", {"--source-level"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 6u) << run.out;
    // twice's prologue line, then its first body line: past the prologue.
    // The stop's source line as addr2line gives it.
    const auto where =
        zk::test::RunProcess({"arm-none-eabi-addr2line", "-e", image, Hex(SymbolOf(image, "twice") & ~1u, "%x")});
    const std::string place =
        where.out.substr(where.out.find_last_of('/') + 1, where.out.find('\n') - where.out.find_last_of('/') - 1);
    EXPECT_THAT(lines[1], ::testing::EndsWith("    " + place)) << "the stop's source line";
    EXPECT_THAT(lines[3], ::testing::MatchesRegex(".*    step_program\\.c:[0-9]+")) << "the step's source line";
    const uint32_t twice = SymbolOf(image, "twice") & ~1u;
    EXPECT_GT(std::stoul(lines[3].substr(0, 8), nullptr, 16), twice);
    EXPECT_LT(std::stoul(lines[3].substr(0, 8), nullptr, 16), SymbolOf(image, "apply") & ~1u);
    EXPECT_LT(std::stoul(lines[5].substr(0, 8), nullptr, 16), SymbolOf(image, "main") + 0x100) << "back in main";

    Folder other;
    // Without its three lines of input the program exits with 5.
    const auto ended = RunScript(other, FixturePath("simrun_stdio_arm_O0"), "go\n", {});
    EXPECT_EQ(ended.exitStatus, 0) << ended.err;
    EXPECT_THAT(ended.out, ::testing::EndsWith("Program ended (status 5)\n"));
}

// After the program's end a go or a step says so; a reset runs the program again from
// its image as loaded, output and all.
TEST(Script, TheProgramsEndThenAReset)
{
    Folder folder;
    const auto run = RunScript(folder, FixturePath("simrun_stdio_arm_O0"), "go\ngo\nstep over\nreset\ngo\n");
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    const auto second = std::find(lines.begin(), lines.end(), "> go") + 1;
    ASSERT_NE(second, lines.end() + 1);
    const auto again = std::find(second, lines.end(), "> go");
    ASSERT_NE(again, lines.end()) << run.out;
    EXPECT_EQ(*(again + 1), "The program has ended: reset to run it again");
    ASSERT_EQ(*(again + 2), "> step over");
    EXPECT_EQ(*(again + 3), "The program has ended: reset to run it again") << "a step is refused as a go is";
    const auto reset = std::find(again, lines.end(), "> reset");
    ASSERT_NE(reset, lines.end());
    ASSERT_EQ(*(reset + 1), "> go");
    // The second run prints what the first printed.
    const std::vector<std::string> first(second, again), rerun(reset + 2, lines.end());
    EXPECT_EQ(rerun, first) << run.out;
    EXPECT_EQ(first.back(), "Program ended (status 5)");
}

// The bp command leaves a breakpoint file only where it was asked to.
TEST(Script, NoBreakpointFileUnlessAsked)
{
    Folder folder;
    const std::string image = FixturePath("step_arm");
    EXPECT_EQ(RunScript(folder, image, "bp #twice\n").exitStatus, 0);
    EXPECT_EQ(folder.Files().count("_envbpsave.sav"), 0u);
    EXPECT_EQ(RunScript(folder, image, "bp #twice\n", {"--save-breakpoints", folder.Path() + "/kept.sav"}).exitStatus,
              0);
    EXPECT_EQ(folder.Files().count("kept.sav"), 1u);
    EXPECT_EQ(folder.Files().count("_envbpsave.sav"), 0u);
}

// With --stats each script line's time goes to standard error, in the
// script's order; standard output is as without it.
TEST(Script, StatsTimeEachLine)
{
    Folder folder;
    const std::string image = FixturePath("step_thumb");
    const std::string script = "go till #twice\nstep\nstep out\n";
    const auto plain = RunScript(folder, image, script, {"--source-level"});
    const auto timed = RunScript(folder, image, script, {"--source-level", "--stats"});
    EXPECT_EQ(timed.exitStatus, 0) << timed.err;
    EXPECT_EQ(timed.out, plain.out);
    std::vector<std::string> commands;
    for (const std::string& line : Lines(timed.err)) {
        EXPECT_THAT(line, ::testing::MatchesRegex("simrun: [0-9]+\\.[0-9]{3} ms: .*")) << timed.err;
        commands.push_back(line.substr(line.find(" ms: ") + 5));
    }
    EXPECT_THAT(commands, ElementsAreArray({"go till #twice", "step", "step out"}));
}

// --max-seconds bounds every line: steps that would run on for minutes end
// at the bound as Esc ends them, and the script goes on.
TEST(Script, TheBoundHoldsForSteps)
{
    Folder folder;
    const std::string image = FixturePath("step_arm");
    const auto start = std::chrono::steady_clock::now();
    const auto run = RunScript(folder, image, "step forever\nbp #twice\n", {"--max-seconds", "1"});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_THAT(run.out, ::testing::HasSubstr("simrun: no stop within 1 seconds\n"));
    EXPECT_THAT(run.out, ::testing::HasSubstr("> bp #twice\nBreakpoint at 0x")) << "the next line runs";
}

// Commands that set nothing say why.
TEST(Script, CommandsThatFailSayWhy)
{
    Folder folder;
    const auto run =
        RunScript(folder, FixturePath("step_arm"), "bp #nowhere\nbp twice\ngo till #nowhere\nstep out\nwp addr 1000\n");
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_THAT(Lines(run.out),
                ElementsAreArray({"> bp #nowhere", "The symbol nowhere does not exist!", "> bp twice",
                                  "The address is not correct! A symbol is written #twice.", "> go till #nowhere",
                                  "The symbol nowhere does not exist!", "> step out",
                                  "Cannot step out: this is the outermost frame!",
                                  // The simulator has no watchpoint units.
                                  "> wp addr 1000", "Could not set watchpoint!"}));
}

// newlib's symbols have no DWARF 2 behind them: "#name" still finds them at
// nm's addresses (a Thumb function's without its bit 0), and a run stops at
// exit.
TEST(Script, SymbolsWithoutDebugInformation)
{
    for (const char* fixture : {"simrun_realloc_arm", "simrun_realloc_thumb"}) {
        SCOPED_TRACE(fixture);
        Folder folder;
        const std::string image = FixturePath(fixture);
        const uint32_t exitAt = SymbolOf(image, "exit") & ~1u;
        // Break words in data would change it: those two go before the run.
        const auto run =
            RunScript(folder, image, "bp #exit\nbp #errno\nbp #_impure_ptr\nbc #errno\nbc #_impure_ptr\ngo\n");
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        const std::vector<std::string> lines = Lines(run.out);
        ASSERT_GE(lines.size(), 7u) << run.out;
        EXPECT_EQ(lines[1], "Breakpoint at 0x" + Hex(exitAt) + ", Enable");
        EXPECT_EQ(lines[3], "Breakpoint at 0x" + Hex(SymbolOf(image, "errno")) + ", Enable");
        EXPECT_EQ(lines[5], "Breakpoint at 0x" + Hex(SymbolOf(image, "_impure_ptr")) + ", Enable");
        EXPECT_EQ(lines.back(), "Halt by breakpoint! (PC 0x" + Hex(exitAt, "%08x") + ")");
    }
}

// A load failure names the file and says what was wrong.
TEST(Script, LoadErrorsInWords)
{
    Folder folder;
    const auto missing = RunSimrun(folder, folder.Path() + "/missing.elf");
    EXPECT_EQ(missing.exitStatus, 2);
    EXPECT_THAT(missing.err,
                ::testing::HasSubstr("missing.elf: the image cannot be loaded: the file cannot be opened"));
    // An image cut short inside its header.
    std::ifstream whole(FixturePath("step_arm"), std::ios::binary);
    std::string head(40, '\0');
    whole.read(head.data(), static_cast<std::streamsize>(head.size()));
    const std::string cut = folder.Path() + "/cut.elf";
    std::ofstream(cut, std::ios::binary) << head;
    const auto bad = RunSimrun(folder, cut);
    EXPECT_EQ(bad.exitStatus, 2);
    EXPECT_THAT(bad.err, ::testing::HasSubstr("cut.elf: the image cannot be loaded: the file cannot be read"));
}

TEST(Script, AScriptThatCannotBeReadFailsWithTwo)
{
    Folder folder;
    const auto run = RunSimrun(folder, FixturePath("step_arm"), {"--script", folder.Path() + "/missing.txt"});
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_THAT(run.err, ::testing::HasSubstr("the script cannot be read"));
    EXPECT_EQ(RunSimrun(folder, FixturePath("step_arm"), {"--script"}).exitStatus, 2);
}

}  // namespace
}  // namespace simrun_test

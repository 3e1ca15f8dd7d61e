// Semihosting calls at their edges, made directly by a program in ARM code
// (SWI 0x123456) and in Thumb code (SWI 0xAB), under simrun; the program's
// ends (exit status, abort, a run that never ends) and a program's own SWI.
#include <gmock/gmock.h>

#include <ctime>
#include <fstream>
#include <sstream>

#include "simrun_support.h"

namespace simrun_test {
namespace {

using ::testing::HasSubstr;
using zk::test::FixturePath;

// What the program prints, but its time and command lines.
constexpr const char* kExpected = "open long name: -1 errno 36\n"  // ENAMETOOLONG: the length is bounded by the host's
                                  "open missing: -1 errno 2\n"     // -1 (never 0, a valid-looking handle), ENOENT
                                  "open bad mode: -1 errno 22\n"
                                  "open null block: -1\n"
                                  "stderr write: 0\n"  // ":tt" for appending is standard error
                                  "istty: console 1 1 bad -1 errno 9\n"
                                  "close console: 0, bad: -1 errno 9\n"
                                  "write: 0\n"
                                  "close: 0\n"
                                  "istty file: 0\n"
                                  "read 4: 0 [0123]\n"
                                  "flen: 10\n"
                                  "read 4: 0 [4567]\n"           // the length leaves the position
                                  "read 8 at 8: 6 [89######]\n"  // the bytes not read, nothing stale copied
                                  "read at end: 8\n"
                                  "seek 2: 0\n"
                                  "read 3: 0 [234]\n"
                                  "write to read-only: 1\n"
                                  "close: 0\n"
                                  "read closed: -1 errno 9\n"
                                  "remove missing: -1 errno 2\n"
                                  "rename: 0\n"
                                  "rename again: -1 errno 2\n"
                                  "remove: 0\n"
                                  "tmpnam small: -1\n"
                                  "tmpnam: 0 terminated 1\n"
                                  "system: -1\n"
                                  "readc: x\n"              // r1 = 0
                                  "read line: 13 [yz\n]\n"  // the rest of the line, with its line feed
                                  "!writec: 0\n"
                                  "\n"
                                  "iserror: 1 0 1\n"
                                  "elapsed: 0 high 0 low below a minute 1\n"
                                  "elapsed without a block: -1\n"
                                  "tickfreq: 1000\n"
                                  "clock below a minute: 1\n";

constexpr const char* kExpectedAfterCommandLine =
    "unknown: -1\n"
    "opened 61, then -1 errno 24; next -1\n"  // 64 slots, three for the console
    "after closing: 0\n";

std::string Line(const std::string& text, const std::string& prefix)
{
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(prefix, 0) == 0)
            return line;
    }
    return {};
}

class Edges : public ::testing::TestWithParam<const char*> {};

TEST_P(Edges, EveryCallAnswersByThePublishedConventions)
{
    const std::string image = FixturePath(GetParam());
    Folder folder;
    const std::time_t before = std::time(nullptr);
    const auto run = RunSimrun(folder, image, {"alpha", "beta"}, "xyz\nrest\n");
    const std::time_t after = std::time(nullptr);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "to standard error\n");

    const std::string out = run.out;
    ASSERT_EQ(out.rfind(kExpected, 0), 0u) << out;
    const std::string time = Line(out, "time: ");
    ASSERT_FALSE(time.empty());
    const long seconds = std::stol(time.substr(6));
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, after);
    EXPECT_EQ(Line(out, "heapinfo: "), "heapinfo: 0 00000000 07ffe000 08000000 07ffe000");
    EXPECT_EQ(Line(out, "cmdline small: "), "cmdline small: -1");
    const std::string line = image + " alpha beta";
    EXPECT_EQ(Line(out, "cmdline: "), "cmdline: 0 [" + line + "] " + std::to_string(line.size()));
    EXPECT_THAT(out, ::testing::EndsWith(kExpectedAfterCommandLine));

    const auto files = folder.Files();
    EXPECT_THAT(files,
                ::testing::ElementsAre(::testing::Pair("moved.bin", "0123456789"), ::testing::Pair("slot.txt", "")))
        << "renamed for real; removed; no file from an open refused for want of a slot";
}

TEST_P(Edges, TheProgramsEndGivesTheExitStatus)
{
    const std::string image = FixturePath(GetParam());
    struct End {
        std::vector<std::string> args;
        int status;
        const char* err;
    } ends[] = {
        {{"exit", "0"}, 0, ""},
        {{"exit", "7"}, 7, ""},
        {{"exit", "300"}, 300 & 0xFF, ""},
        {{"abort"}, 1, "Stop Emulation for Unhandled exception\n"},  // the run-time error reason
    };
    for (const End& e : ends) {
        SCOPED_TRACE(e.args[0] + (e.args.size() > 1 ? " " + e.args[1] : ""));
        Folder qemuFolder, simFolder;
        std::string append = e.args[0];
        for (size_t i = 1; i < e.args.size(); ++i)
            append += " " + e.args[i];
        const auto qemu = RunQemu(qemuFolder, image, {}, append);
        const auto sim = RunSimrun(simFolder, image, e.args);
        EXPECT_EQ(sim.exitStatus, e.status);
        EXPECT_EQ(qemu.exitStatus, e.status) << "the reference machine";
        EXPECT_EQ(sim.err, e.err);
    }
}

// --stats reports the simulator's instruction count and rate on standard
// error; the program runs the same instructions every time.
TEST_P(Edges, StatsGiveTheInstructionCount)
{
    const std::string image = FixturePath(GetParam());
    unsigned long counts[2] = {};
    for (unsigned long& count : counts) {
        Folder folder;
        const auto sim = RunSimrun(folder, image, {"--stats", "exit", "3"});
        EXPECT_EQ(sim.exitStatus, 3);
        const size_t at = sim.err.find(" instructions, ");
        ASSERT_NE(at, std::string::npos) << sim.err;
        const size_t from = sim.err.rfind("simrun: ", at);
        ASSERT_NE(from, std::string::npos);
        count = std::stoul(sim.err.substr(from + 8, at - from - 8));
        EXPECT_THAT(sim.err.substr(at), ::testing::MatchesRegex(" instructions, [0-9.]+ M instructions/s\n"));
    }
    EXPECT_GT(counts[0], 1000u);
    EXPECT_EQ(counts[0], counts[1]);
}

// The program runs in SVC mode (as on the reference machine); ENTER SVC
// masks IRQ and FIQ and returns after the SWI, in Thumb code too.
TEST_P(Edges, EnterSvcMasksInterruptsAndReturns)
{
    Folder folder;
    const auto run = RunSimrun(folder, FixturePath(GetParam()), {"svc"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "entersvc: 0 13 d3\n");
}

TEST_P(Edges, ARunWithoutEndIsHaltedAtItsBound)
{
    Folder folder;
    const auto run =
        RunSimrun(folder, FixturePath(GetParam()), {"--max-seconds", "0.5", "loop"}, {}, std::chrono::seconds(20));
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_THAT(run.err, HasSubstr("simrun: no end within 0.5 seconds\n"));
    EXPECT_THAT(run.err, HasSubstr("Halt by Pressing Abort Switch!"));
}

// A bound past the clock's range is no bound: the program runs to its end.
TEST_P(Edges, AFarBoundLetsTheProgramEnd)
{
    Folder folder;
    const auto run = RunSimrun(folder, FixturePath(GetParam()), {"--max-seconds", "1e30", "svc"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "entersvc: 0 13 d3\n");
}

TEST_P(Edges, AWaitForInputIsHaltedAtTheBoundToo)
{
    // Standard input stays open and empty (a writer holds the pipe without
    // writing, longer than the test waits): the program waits in its read.
    const auto waitingRun = [](const Folder& folder, const std::string& options) {
        const std::string script = "mkfifo in && (sleep 30 > in 2>/dev/null &) && exec " ZK_BIN_DIR "/simrun '" +
            FixturePath(GetParam()) + "' --max-seconds 0.5 " + options + " < in";
        return zk::test::RunProcess({"env", "-C", folder.Path(), "sh", "-c", script}, {}, std::chrono::seconds(20));
    };
    Folder folder;
    const auto run = waitingRun(folder, "");
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_THAT(run.err, HasSubstr("no end within 0.5 seconds"));

    // A script's go is bounded the same way.
    Folder other;
    std::ofstream(other.Path() + "/go.txt") << "go\n";
    const auto scripted = waitingRun(other, "--script go.txt");
    ASSERT_FALSE(scripted.timedOut);
    EXPECT_EQ(scripted.exitStatus, 0) << scripted.err << scripted.out;
    EXPECT_THAT(scripted.out, HasSubstr("simrun: no stop within 0.5 seconds\n"));
}

INSTANTIATE_TEST_SUITE_P(Code, Edges, ::testing::Values("simrun_edges_arm", "simrun_edges_thumb"));

// Without symbols the loader knows no Thumb code: the caller's state comes
// from the saved status register alone.
TEST(Stripped, AThumbImageWithoutSymbolsIsServed)
{
    Folder folder;
    const std::string stripped = folder.Path() + "/edges_thumb_stripped.elf";
    const auto strip = zk::test::RunProcess({"arm-none-eabi-strip", "-o", stripped, FixturePath("simrun_edges_thumb")});
    ASSERT_EQ(strip.exitStatus, 0) << strip.err;
    const auto symbols = zk::test::RunProcess({"arm-none-eabi-readelf", "-s", stripped});
    ASSERT_EQ(symbols.out.find("main"), std::string::npos) << "no symbol table left";
    const auto run = RunSimrun(folder, stripped, {}, "xyz\n");
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out.rfind(kExpected, 0), 0u) << run.out;
}

// The program's own SWI (not a semihosting number) runs its handler, which
// ends the program through semihosting from SVC mode.
TEST(OwnSwi, TheProgramsHandlerRunsFromTheVector)
{
    for (const char* name : {"simrun_own_swi_arm", "simrun_own_swi_thumb"}) {
        SCOPED_TRACE(name);
        Folder qemuFolder, simFolder;
        const auto qemu = RunQemu(qemuFolder, FixturePath(name));
        const auto sim = RunSimrun(simFolder, FixturePath(name));
        EXPECT_EQ(qemu.exitStatus, 0);
        EXPECT_EQ(sim.exitStatus, 0) << sim.err;
    }
}

// A ROM image's .data is loaded at its load address behind the constants
// and copied to RAM by the program, as on qemu.
TEST(RomImage, InitialisedDataComesFromTheLoadAddress)
{
    Folder qemuFolder, simFolder;
    const std::string image = FixturePath("ldr_rom_data");
    EXPECT_EQ(RunQemu(qemuFolder, image).exitStatus, 0);
    const auto sim = RunSimrun(simFolder, image);
    EXPECT_EQ(sim.exitStatus, 0) << sim.err;
}

TEST(Usage, BadArgumentsAndMissingImagesFailWithTwo)
{
    Folder folder;
    EXPECT_EQ(RunSimrun(folder, "--max-seconds").exitStatus, 2);
    for (const char* bound : {"0", "-1", "nan", "inf", "5s"})
        EXPECT_EQ(RunSimrun(folder, FixturePath("simrun_edges_arm"), {"--max-seconds", bound}).exitStatus, 2) << bound;
    EXPECT_EQ(RunSimrun(folder, "no-such-image.elf").exitStatus, 2);
    const auto run = zk::test::RunProcess({ZK_BIN_DIR "/simrun"});
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_THAT(run.err, HasSubstr("usage: simrun IMAGE"));
}

}  // namespace
}  // namespace simrun_test

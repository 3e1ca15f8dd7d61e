#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "host_tools.h"
#include "qemu_runner.h"

namespace {

constexpr const char* kOutput = "Hello from the ARM target\n"
                                "  1 = 0x1\n  4 = 0x4\n  9 = 0x9\n 16 = 0x10\n 25 = 0x19\n"
                                " 36 = 0x24\n 49 = 0x31\n 64 = 0x40\n"
                                "sum of squares: 204\n";

TEST(ExampleProject, PrintsItsQueueOnTheReferenceMachine)
{
    zk::test::QemuRun run = zk::test::RunOnQemu(ZK_EXAMPLE_ELF, {}, std::chrono::seconds(30));
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.console, kOutput);
}

// What scripts/run shows: the example on the simulator through simrun.
TEST(ExampleProject, PrintsTheSameUnderSimrun)
{
    const zk::test::ProcessResult run =
        zk::test::RunProcess({ZK_BIN_DIR "/simrun", ZK_EXAMPLE_ELF}, {}, std::chrono::seconds(30));
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, kOutput);
    EXPECT_EQ(run.err, "");
}

// CFLAGS and CPU given on make's command line, as a user building the
// program for debugging types them: the objects still get the CPU, the
// debug line table and the semihosting library, with the given flags last.
TEST(ExampleProject, CommandLineFlagsKeepTheDebugInformationAndTheCpu)
{
    struct Case {
        std::string makeArgument;
        std::string mappingSymbol;  // $a for ARM code, $t for Thumb code
    };
    const Case cases[] = {{"CFLAGS=-O0", "$a"}, {"CPU=-mcpu=arm7tdmi -mthumb", "$t"}};
    const std::filesystem::path out =
        std::filesystem::temp_directory_path() / ("zk_example_flags_" + std::to_string(getpid()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.makeArgument);
        std::filesystem::remove_all(out);
        const zk::test::ProcessResult made = zk::test::RunProcess(
            {"make", "-s", "-C", ZK_SOURCE_DIR "/examples/hello", "OUT=" + out.string(), c.makeArgument}, {},
            std::chrono::seconds(120));
        ASSERT_EQ(made.exitStatus, 0) << made.err;
        const zk::test::ProcessResult lines =
            zk::test::RunProcess({"arm-none-eabi-readelf", "--debug-dump=decodedline", (out / "main.o").string()});
        EXPECT_NE(lines.out.find("main.c"), std::string::npos) << "no line table:\n" << lines.out;
        const zk::test::ProcessResult symbols =
            zk::test::RunProcess({"arm-none-eabi-readelf", "-s", (out / "main.o").string()});
        EXPECT_NE(symbols.out.find(" " + c.mappingSymbol + "\n"), std::string::npos) << symbols.out;
        // Linked with the semihosting library: its console is there.
        const zk::test::ProcessResult run =
            zk::test::RunProcess({ZK_BIN_DIR "/simrun", (out / "hello.elf").string()}, {}, std::chrono::seconds(30));
        EXPECT_EQ(run.out, kOutput) << run.err;
    }
    std::filesystem::remove_all(out);
}

}  // namespace

#include <gtest/gtest.h>

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

}  // namespace

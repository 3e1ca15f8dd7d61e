#include <gtest/gtest.h>

#include "qemu_runner.h"

TEST(ExampleProject, PrintsItsQueueOnTheReferenceMachine) {
    zk::test::QemuRun run = zk::test::RunOnQemu(ZK_EXAMPLE_ELF, {}, std::chrono::seconds(30));
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.console,
              "Hello from the ARM target\n"
              "  1 = 0x1\n  4 = 0x4\n  9 = 0x9\n 16 = 0x10\n 25 = 0x19\n"
              " 36 = 0x24\n 49 = 0x31\n 64 = 0x40\n"
              "sum of squares: 204\n");
}

#include <gtest/gtest.h>

#include "qemu_runner.h"

using namespace zk::test;

TEST(QemuRunner, RdimonProgramPrintsReadsAndExits)
{
    QemuRun run = RunOnQemu(FixturePath("hello_rdimon"), "typed line\n", std::chrono::seconds(30));
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.console, "hello from the target: 42\necho: typed line\n");
    EXPECT_EQ(run.exitStatus, 7);
}

TEST(QemuRunner, FreestandingProgramEndsThroughTheSwiVector)
{
    QemuRun ok = RunOnQemu(FixturePath("freestanding_ok"), {}, std::chrono::seconds(30));
    ASSERT_FALSE(ok.timedOut);
    EXPECT_EQ(ok.exitStatus, 0);
    QemuRun fail = RunOnQemu(FixturePath("freestanding_thumb_fail"), {}, std::chrono::seconds(30));
    ASSERT_FALSE(fail.timedOut);
    EXPECT_EQ(fail.exitStatus, 1);
}

TEST(HostTools, MissingProgramGives127)
{
    ProcessResult p = RunProcess({"/nonexistent/zk-no-such-tool"});
    EXPECT_EQ(p.exitStatus, 127);
}

TEST(HostTools, TimeoutKillsTheChild)
{
    ProcessResult p = RunProcess({"sleep", "30"}, {}, std::chrono::milliseconds(200));
    EXPECT_TRUE(p.timedOut);
}

// The log file and the write-data log that "config" opens, through simsh.
#include <gtest/gtest.h>

#include "host_tools.h"
#include "simsh_runner.h"

namespace {

using zk::test::ReadFileBytes;
using zk::test::RunSimsh;

TEST(OutputFiles, TheLogHoldsWhatIsPrintedWhileLoggingIsOn)
{
    const zk::test::SimshRun run = RunSimsh("log_file",
                                            "r0 = 1\n"
                                            "config -logfile sim.log\n"
                                            "r0 = 2\n"
                                            "config -print off; r1 = 3; reg USER; config -print on\n"
                                            "config -log off; r2 = 4; config -log on; r3 = 5\n"
                                            "config -log close; r4 = 6\n");
    ASSERT_EQ(run.exitStatus, 0);
    EXPECT_EQ(ReadFileBytes(run.folder + "/sim.log"),
              "0x00000002"
              "Turn off printing OK!!!\n"
              "0x00000003"
              "|    r0  = 0x00000002  r1  = 0x00000003  r2  = 0x00000000  r3  = 0x00000000\n"
              "|    r4  = 0x00000000  r5  = 0x00000000  r6  = 0x00000000  r7  = 0x00000000\n"
              "|    r8  = 0x00000000  r9  = 0x00000000  r10 = 0x00000000  r11 = 0x00000000\n"
              "|    r12 = 0x00000000  r13 = 0x00000000  r14 = 0x00000000\n"
              "|    pc  = 0x00000000  psr = %nzcvIFt_SVC32\n"
              "Turn on printing OK!!!\n"
              "Turn on logging OK!!!\n"
              "0x00000005");
    // With printing off nothing reached the console.
    EXPECT_EQ(run.out.find("0x00000003"), std::string::npos);
}

TEST(OutputFiles, TheWriteDataLogTracesEveryWriteWithCountAndPc)
{
    const zk::test::SimshRun run = RunSimsh("write_data_log",
                                            "config -wd wd.log\n"
                                            "w 0x100 0x12345678\n"
                                            "mh(0x106) = 0xabcd\n"
                                            "w 0 0xe5801000; r0 = 0x200; r1 = 0x55; step\n"  // str r1,[r0]
                                            "config -wd other.log; w 0x300 1\n");
    ASSERT_EQ(run.exitStatus, 0);
    EXPECT_EQ(ReadFileBytes(run.folder + "/wd.log"),
              "I#=0 PC=0x00000000 DA=0x00000100 Wd=0x12345678\n"
              "I#=0 PC=0x00000000 DA=0x00000106 Wd=0x0000abcd\n"
              "I#=0 PC=0x00000000 DA=0x00000000 Wd=0xe5801000\n"
              "I#=0 PC=0x00000000 DA=0x00000200 Wd=0x00000055\n");
    EXPECT_EQ(ReadFileBytes(run.folder + "/other.log"), "I#=1 PC=0x00000004 DA=0x00000300 Wd=0x00000001\n");
}

}  // namespace

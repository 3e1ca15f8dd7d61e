// The print routine's two outputs and the write-data trace.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "simdisasm/sim_output.h"

namespace zk::sim {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class SimOutputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("simoutput_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        out_.SetConsole([this](std::string_view t) { console_ += t; });
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path dir_;
    SimOutput out_;
    std::string console_;
};

TEST_F(SimOutputTest, BothOutputsOffByDefault)
{
    const fs::path log = dir_ / "sim.log";
    ASSERT_TRUE(out_.OpenLogFile(log.string()));
    out_.Print("hidden\n");
    EXPECT_EQ(console_, "");
    EXPECT_EQ(ReadAll(log), "");
    EXPECT_FALSE(out_.Printing());
    EXPECT_FALSE(out_.Logging());
}

TEST_F(SimOutputTest, SwitchesAreIndependent)
{
    const fs::path log = dir_ / "sim.log";
    ASSERT_TRUE(out_.OpenLogFile(log.string()));
    out_.SetPrinting(true);
    out_.Print("a");
    out_.SetLogging(true);
    out_.Print("b");
    out_.SetPrinting(false);
    out_.Print("c");
    EXPECT_EQ(console_, "ab");
    EXPECT_EQ(ReadAll(log), "bc");  // written through at once, file still open
    EXPECT_EQ(out_.LogFileName(), log.string());
}

TEST_F(SimOutputTest, LogFileIsTruncatedAndReplaced)
{
    const fs::path first = dir_ / "first.log", second = dir_ / "second.log";
    std::ofstream(first) << "old contents";
    out_.SetLogging(true);
    ASSERT_TRUE(out_.OpenLogFile(first.string()));
    out_.Print("one");
    ASSERT_TRUE(out_.OpenLogFile(second.string()));
    out_.Print("two");
    out_.CloseLogFile();
    out_.Print("three");  // logging on, no file: nothing
    EXPECT_EQ(ReadAll(first), "one");
    EXPECT_EQ(ReadAll(second), "two");
    EXPECT_FALSE(out_.LogFileOpen());
    EXPECT_EQ(out_.LogFileName(), "");
}

TEST_F(SimOutputTest, UnopenableLogFileLeavesNoneOpen)
{
    const fs::path good = dir_ / "good.log";
    ASSERT_TRUE(out_.OpenLogFile(good.string()));
    EXPECT_FALSE(out_.OpenLogFile((dir_ / "no" / "such" / "dir.log").string()));
    EXPECT_FALSE(out_.LogFileOpen());
    EXPECT_EQ(out_.LogFileName(), "");
    EXPECT_FALSE(out_.OpenWriteDataLog(dir_.string()));  // a directory
    EXPECT_FALSE(out_.WriteDataLogOpen());
}

TEST_F(SimOutputTest, WriteDataTraceGoesOnlyToItsOwnFile)
{
    const fs::path wd = dir_ / "wd.log";
    out_.TraceWrite(1, 2, 3, 4);  // no file: nothing, no failure
    ASSERT_TRUE(out_.OpenWriteDataLog(wd.string()));
    out_.SetPrinting(true);
    out_.TraceWrite(7, 0x8000, 0x1000, 0xDEADBEEF);
    out_.TraceWrite(8, 0x8004, 0x1004, 0x12);
    out_.CloseWriteDataLog();
    EXPECT_EQ(ReadAll(wd),
              "I#=7 PC=0x00008000 DA=0x00001000 Wd=0xdeadbeef\n"
              "I#=8 PC=0x00008004 DA=0x00001004 Wd=0x00000012\n");
    EXPECT_EQ(console_, "");
}

TEST(WriteDataTraceLine, CountAboveTwoToThe31StaysPositive)
{
    EXPECT_EQ(WriteDataTraceLine(0x80000000u, 0, 0, 0), "I#=2147483648 PC=0x00000000 DA=0x00000000 Wd=0x00000000\n");
}

}  // namespace
}  // namespace zk::sim

#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "build_support.h"
#include "buildtools/build_runner.h"
#include "platform/clock.h"

namespace {

using fendrix::test::ReceiveBuild;
using fendrix::test::StartBuild;

// A folder of this process: other runs of these tests use their own.
std::string Folder(const std::string& name)
{
    const std::string dir = testing::TempDir() + name + "-" + std::to_string(getpid());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

void Write(const std::string& path, const std::string& text)
{
    std::ofstream(path) << text;
}

// Processes whose command line holds `word`.
int ProcessesWith(const std::string& word)
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream cmd(entry.path() / "cmdline");
        std::string line((std::istreambuf_iterator<char>(cmd)), {});
        std::replace(line.begin(), line.end(), '\0', ' ');
        if (line.find(word) != std::string::npos)
            ++count;
    }
    return count;
}

// True once no process's command line holds `word` (false after 20 s): a
// process killed with its group lingers until the kernel has ended it.
bool NoneLeftWith(const std::string& word)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (ProcessesWith(word) != 0) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// A sleep whose command line no other process has: its seconds carry this
// process's id as a fraction.
std::string UniqueSleep(int seconds)
{
    return "sleep " + std::to_string(seconds) + "." + std::to_string(getpid());
}

TEST(BuildCommand, ArgvFromTheRequest)
{
    BuildRequest request;
    request.strings[9] = "C:\\work\\my proj\\demo.mpj";
    fendrix::BuildCommand c = fendrix::CommandFor(request);
    EXPECT_EQ(c.folder, "C:/work/my proj");
    EXPECT_EQ(c.argv, (std::vector<std::string>{"make", "-f", "demo.mak"}));
    request.customBuild = 1;
    request.strings[0] = "C:\\work\\other\\BUILD.MAK";
    c = fendrix::CommandFor(request);
    EXPECT_EQ(c.argv, (std::vector<std::string>{"make", "-f", "../other/BUILD.MAK"}));
    request.strings[0] = "/x/run it.bat";
    request.strings[9] = "/x/p.mpj";
    EXPECT_EQ(fendrix::CommandFor(request).argv, (std::vector<std::string>{"sh", "run it.bat"}));
    request.customBuild = 0;
    request.strings[9] = "plain";
    c = fendrix::CommandFor(request);
    EXPECT_EQ(c.folder, "");
    EXPECT_EQ(c.argv, (std::vector<std::string>{"make", "-f", "plain.mak"}));
}

TEST(BuildRunner, BurstOfThreeMegabytesArrivesWhole)
{
    const std::string dir = Folder("fendrix burst $x");
    // 3 MB in bursts with pauses, through stdout and stderr alike.
    Write(dir + "/burst.sh",
          "i=0\nwhile [ $i -lt 3 ]; do head -c 1048576 /dev/zero | tr '\\0' 'a'; sleep 0.2; i=$((i+1)); done\n"
          "echo done >&2\n");
    ASSERT_NE(StartBuild(dir + "/p.mpj", true, dir + "/burst.sh"), nullptr);
    const auto outcome = ReceiveBuild();
    EXPECT_EQ(outcome.finished, 1);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.text, std::string(3 * 1048576, 'a') + "done\n");
    for (const std::string& chunk : outcome.chunks)
        ASSERT_LE(chunk.size(), 1023u);
}

TEST(BuildRunner, StopEndsTheWholeGroupWithOneFinishedMessage)
{
    const std::string dir = Folder("fendrix_stop");
    const std::string sleep = UniqueSleep(37);
    Write(dir + "/stop.mak", "all:\n\t@echo started; " + sleep + "; echo never\n");
    ASSERT_NE(StartBuild(dir + "/p.mpj", true, dir + "/stop.mak"), nullptr);
    EXPECT_EQ(StartBuild(dir + "/p.mpj", true, dir + "/stop.mak"), nullptr);  // one build at a time
    bool stopped = false;
    const auto outcome = ReceiveBuild([&](const std::string& chunk) {
        if (!stopped && chunk.find("started") != std::string::npos) {
            stopped = true;
            TCStopBuild();
        }
    });
    EXPECT_TRUE(stopped);
    EXPECT_EQ(outcome.finished, 1);
    EXPECT_NE(outcome.status, 0);
    EXPECT_NE(outcome.text.find("Build stopped."), std::string::npos);
    EXPECT_EQ(outcome.text.find("never"), std::string::npos);
    EXPECT_TRUE(NoneLeftWith(sleep));
}

TEST(BuildRunner, FailuresReachTheHost)
{
    const std::string dir = Folder("fendrix_fail");
    Write(dir + "/fail.sh", "echo failing; exit 3\n");
    ASSERT_NE(StartBuild(dir + "/p.mpj", true, dir + "/fail.sh"), nullptr);
    auto outcome = ReceiveBuild();
    EXPECT_EQ(outcome.status, 3);
    EXPECT_EQ(outcome.text, "failing\n");

    Write(dir + "/kill.sh", "kill -9 $$\n");
    ASSERT_NE(StartBuild(dir + "/p.mpj", true, dir + "/kill.sh"), nullptr);
    EXPECT_EQ(ReceiveBuild().status, 128 + 9);

    // A folder that does not exist: the reason, then finished with 127.
    ASSERT_NE(StartBuild(dir + "/missing/p.mpj"), nullptr);
    outcome = ReceiveBuild();
    EXPECT_EQ(outcome.finished, 1);
    EXPECT_EQ(outcome.status, 127);
    EXPECT_NE(outcome.text.find("Cannot start"), std::string::npos);
}

}  // namespace

namespace {

// A build that ignores SIGTERM is killed once the grace has passed on the
// process clock; the test's clock passes the grace without waiting.
TEST(BuildRunner, GraceOnTheClockThenKill)
{
    const std::string dir = Folder("fendrix_grace");
    const std::string sleep = UniqueSleep(39);
    Write(dir + "/stubborn.sh", "trap '' TERM\necho started\n" + sleep + "\n");
    platform::Clock saved = platform::TheClock();
    auto now = std::make_shared<std::atomic<uint64_t>>(0);
    platform::TheClock().nowMs = [now] { return now->load(); };
    platform::TheClock().sleepMs = [now](uint32_t ms) { *now += ms; };
    fendrix::BuildRunner::Instance().SetGraceMs(60000);
    ASSERT_NE(StartBuild(dir + "/p.mpj", true, dir + "/stubborn.sh"), nullptr);
    const auto outcome = ReceiveBuild([](const std::string& chunk) {
        if (chunk.find("started") != std::string::npos)
            TCStopBuild();
    });
    platform::TheClock() = saved;
    fendrix::BuildRunner::Instance().SetGraceMs(2000);
    EXPECT_EQ(outcome.finished, 1);
    EXPECT_EQ(outcome.status, 128 + 9);
    EXPECT_GE(now->load(), 60000u);
    EXPECT_TRUE(NoneLeftWith(sleep));
}

}  // namespace

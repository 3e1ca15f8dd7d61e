// The command language through simsh, compared byte for byte with the
// expected transcripts in golden/: NAME.in is fed to simsh, NAME.out is what
// it must print (run times masked). ZK_UPDATE_GOLDEN=1 rewrites the .out
// files from the current output, for review with git diff.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "host_tools.h"
#include "simsh_runner.h"

namespace {

const std::string kGoldenDir = std::string(ZK_SOURCE_DIR) + "/sim/command/tests/golden/";

class Golden : public testing::TestWithParam<const char*> {};

TEST_P(Golden, TranscriptMatches)
{
    const std::string name = GetParam();
    const std::string input = zk::test::ReadFileBytes(kGoldenDir + name + ".in");
    ASSERT_FALSE(input.empty()) << "missing " << name << ".in";
    const zk::test::SimshRun run = zk::test::RunSimsh(name, input);
    ASSERT_EQ(run.exitStatus, 0);
    const std::string out = zk::test::MaskRunTime(run.out);
    if (std::getenv("ZK_UPDATE_GOLDEN")) {
        std::ofstream(kGoldenDir + name + ".out", std::ios::binary) << out;
        return;
    }
    EXPECT_EQ(out, zk::test::ReadFileBytes(kGoldenDir + name + ".out"));
}

INSTANTIATE_TEST_SUITE_P(Simsh, Golden,
                         testing::Values("help", "parse_errors", "registers", "constants", "flow", "memory", "symbols",
                                         "step_run", "thumb_trace", "break", "config", "cache", "disassemble",
                                         "cregister", "history_script", "getfile", "reset"),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace

// lockstep over the simulator's fixtures: every compared instruction matches
// qemu up to the normal end, and each known difference between the two stays
// within its bound for the fixture.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

#include "elf_image.h"
#include "host_tools.h"
#include "simcore/simulator.h"

namespace {

struct Outcome {
    int exitStatus = -1;
    std::string output;
    std::map<std::string, long> categories;
    long matched = -1;
    long blPairs = -1;
    long simCount = -1;
    bool normalEnd = false;
    std::string lastLine;
};

Outcome RunLockstep(const std::string& fixture, const std::vector<std::string>& options = {})
{
    std::vector<std::string> argv = {std::string(ZK_BIN_DIR) + "/lockstep", zk::test::FixturePath(fixture)};
    argv.insert(argv.end(), options.begin(), options.end());
    const auto p = zk::test::RunProcess(argv, {}, std::chrono::seconds(300));
    Outcome o;
    o.exitStatus = p.exitStatus;
    o.output = p.out + p.err;
    const std::regex category(R"(^category ([a-z-]+): (\d+))");
    const std::regex matched(R"(^(\d+) instructions matched$)");
    const std::regex pairs(R"(^thumb BL pairs run by qemu as one instruction: (\d+))");
    const std::regex count(R"(^simulator instruction count: (\d+))");
    size_t start = 0;
    while (start < p.out.size()) {
        size_t end = p.out.find('\n', start);
        if (end == std::string::npos)
            end = p.out.size();
        const std::string line = p.out.substr(start, end - start);
        std::smatch m;
        if (std::regex_search(line, m, category))
            o.categories[m[1]] = std::stol(m[2]);
        if (std::regex_search(line, m, matched))
            o.matched = std::stol(m[1]);
        if (std::regex_search(line, m, pairs))
            o.blPairs = std::stol(m[1]);
        if (std::regex_search(line, m, count))
            o.simCount = std::stol(m[1]);
        if (line.rfind("compared up to the normal end", 0) == 0)
            o.normalEnd = true;
        if (!line.empty())
            o.lastLine = line;
        start = end + 1;
    }
    return o;
}

struct Case {
    std::string fixture;
    std::map<std::string, long> bounds;  // category -> largest count allowed; absent: 0
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.fixture;
}

class Lockstep : public ::testing::TestWithParam<Case> {};

TEST_P(Lockstep, MatchesQemuUpToTheNormalEnd)
{
    const Case& c = GetParam();
    const Outcome o = RunLockstep(c.fixture);
    ASSERT_EQ(o.exitStatus, 0) << o.output;
    EXPECT_TRUE(o.normalEnd) << o.output;
    EXPECT_GT(o.matched, 0) << o.output;
    ASSERT_EQ(o.categories.size(), 5u) << o.output;
    for (const auto& [name, count] : o.categories) {
        const auto it = c.bounds.find(name);
        EXPECT_LE(count, it == c.bounds.end() ? 0 : it->second) << name << "\n" << o.output;
    }
    // Every instruction qemu ran is one here, and so is each half of a BL pair.
    EXPECT_EQ(o.simCount, o.matched + o.blPairs) << o.output;

    // A free run of the image counts the same instructions.
    zk::sim::Simulator sim;
    std::string error;
    ASSERT_TRUE(zk::tools::LoadElfFile(zk::test::FixturePath(c.fixture), sim, error)) << error;
    ASSERT_EQ(sim.Run(0), zk::sim::kNormalEnd);
    EXPECT_EQ(static_cast<long>(sim.InstructionCount()), o.simCount);
}

std::vector<Case> ProgramCases(std::initializer_list<const char*> variants)
{
    std::vector<Case> out;
    for (const char* p : {"crc32", "sort", "muldiv64", "switch_table", "struct_copy", "funcptr", "interwork"}) {
        for (const char* v : variants)
            out.push_back({std::string("sim_") + p + "_" + v, {}});
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(ArmPrograms, Lockstep, ::testing::ValuesIn(ProgramCases({"arm_O0", "arm_O2"})),
                         [](const auto& info) { return info.param.fixture; });
INSTANTIATE_TEST_SUITE_P(ThumbPrograms, Lockstep, ::testing::ValuesIn(ProgramCases({"thumb_O0", "thumb_O2"})),
                         [](const auto& info) { return info.param.fixture; });
INSTANTIATE_TEST_SUITE_P(BlWithFedeSecondHalf, Lockstep, ::testing::Values(Case{"sim_bl_fede", {}}),
                         [](const auto& info) { return info.param.fixture; });
// LDM with write-back and the base in the list (first, middle, last), ARM and
// Thumb: the loaded value wins. Code written by the program and run, ARM and
// Thumb, with a store into the next instruction.
INSTANTIATE_TEST_SUITE_P(Snippets, Lockstep,
                         ::testing::Values(Case{"lockstep_ldm_base", {}}, Case{"lockstep_self_modify", {}}),
                         [](const auto& info) { return info.param.fixture; });
// ARM and Thumb functions calling each other through BX returns, linker
// veneers and literal pools (the loader's interworking programs).
INSTANTIATE_TEST_SUITE_P(Interworking, Lockstep,
                         ::testing::Values(Case{"ldr_interwork_O0", {}}, Case{"ldr_interwork_O2", {}}),
                         [](const auto& info) { return info.param.fixture; });
// Every shifter form, flag rule and condition from random operands.
INSTANTIATE_TEST_SUITE_P(RandomStreams, Lockstep,
                         ::testing::Values(Case{"lockstep_random_arm", {}}, Case{"lockstep_random_thumb", {}}),
                         [](const auto& info) { return info.param.fixture; });

TEST(LockstepCategories, EachKnownDifferenceIsCountedAndTheRunGoesOn)
{
    const Outcome o = RunLockstep("lockstep_categories");
    ASSERT_EQ(o.exitStatus, 0) << o.output;
    EXPECT_TRUE(o.normalEnd) << o.output;
    const std::map<std::string, long> expected = {
        {"store-pc", 2}, {"shifted-pc-read", 1}, {"unaligned-ldr", 1}, {"unaligned-halfword", 1}, {"nv-condition", 1}};
    EXPECT_EQ(o.categories, expected) << o.output;
}

TEST(LockstepTool, MaxEndsTheComparisonAfterNInstructions)
{
    const Outcome o = RunLockstep("sim_crc32_arm_O2", {"--max", "50"});
    ASSERT_EQ(o.exitStatus, 0) << o.output;
    EXPECT_FALSE(o.normalEnd) << o.output;
    EXPECT_NE(o.output.find("compared up to the instruction limit"), std::string::npos) << o.output;
    EXPECT_EQ(o.lastLine, "50 instructions matched");
}

// The core stores the final address for a written-back base that is not the
// lowest register of an STM; qemu stores the original value. The load of
// that word is the first difference.
TEST(LockstepTool, MismatchShowsBothRegisterSetsAndFails)
{
    const Outcome o = RunLockstep("lockstep_mismatch");
    EXPECT_EQ(o.exitStatus, 1) << o.output;
    EXPECT_FALSE(o.normalEnd) << o.output;
    EXPECT_TRUE(std::regex_search(
        o.output, std::regex(R"(mismatch after instruction 6, 0x[0-9a-f]{8}: e5920004 \(ldr/str immediate\)\n)")))
        << o.output;
    EXPECT_TRUE(std::regex_search(o.output, std::regex(R"(\n  r0 +[0-9a-f]{8} +[0-9a-f]{8}   <-- differs\n)")))
        << o.output;
    EXPECT_TRUE(std::regex_search(o.output, std::regex(R"(\n  r1 +([0-9a-f]{8}) +\1\n)"))) << o.output;
    EXPECT_EQ(o.lastLine, "5 instructions matched");
}

}  // namespace

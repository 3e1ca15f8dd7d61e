// C programs compiled with arm-none-eabi-gcc run to the normal end, and main's
// result in r0 equals the same C computed on the host.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "elf_image.h"
#include "host_tools.h"
#include "simcore/simulator.h"
#include "snippet_runner.h"

extern "C" {
int program_crc32(void);
int program_sort(void);
int program_muldiv64(void);
int program_switch_table(void);
int program_struct_copy(void);
int program_funcptr(void);
int program_interwork(void);
}

namespace zk::sim {
namespace {

struct Program {
    const char* name;
    int (*host)(void);
};

const Program kPrograms[] = {
    {"crc32", program_crc32},
    {"sort", program_sort},
    {"muldiv64", program_muldiv64},
    {"switch_table", program_switch_table},
    {"struct_copy", program_struct_copy},
    {"funcptr", program_funcptr},
    {"interwork", program_interwork},
};

// Each program runs once on the host: their static data is not re-initialised.
uint32_t HostResult(const Program& p)
{
    static std::map<std::string, uint32_t> results;
    auto it = results.find(p.name);
    if (it == results.end())
        it = results.emplace(p.name, static_cast<uint32_t>(p.host())).first;
    return it->second;
}

struct Build {
    Program program;
    std::string variant;  // fixture suffix: arm_O0, arm_O2, thumb_O2 ...
};

void PrintTo(const Build& b, std::ostream* os)
{
    *os << b.program.name << " " << b.variant;
}

class Programs : public ::testing::TestWithParam<Build> {};

TEST_P(Programs, EndNormallyWithTheHostResult)
{
    const Build& b = GetParam();
    Simulator sim;
    std::string error;
    const std::string fixture = std::string("sim_") + b.program.name + "_" + b.variant;
    ASSERT_TRUE(tools::LoadElfFile(zk::test::FixturePath(fixture), sim, error)) << error;
    ASSERT_EQ(sim.Run(50'000'000), kNormalEnd) << fixture;
    uint32_t r0 = 0;
    sim.ReadRegister(1, r0);
    EXPECT_EQ(r0, HostResult(b.program)) << fixture;
    EXPECT_FALSE(sim.Cpu().thumb);
    EXPECT_EQ(sim.Cpu().mode, Mode::Svc);
}

// With the protection unit on and tiny caches (write-back and
// write-through data), the program runs alike from its decoded slots and
// decoding every instruction afresh: the host's result, the count, the PC
// and every cache line.
TEST_P(Programs, CachedRunsAgreeWithDecodingAfresh)
{
    const Build& b = GetParam();
    const std::string fixture = std::string("sim_") + b.program.name + "_" + b.variant;
    for (Protection policy : {Protection::WriteBack, Protection::WriteThrough}) {
        SCOPED_TRACE(policy == Protection::WriteBack ? "write-back" : "write-through");
        Simulator fast, fresh;
        fresh.SetPredecode(false);
        for (Simulator* sim : {&fast, &fresh}) {
            std::string error;
            ASSERT_TRUE(tools::LoadElfFile(zk::test::FixturePath(fixture), *sim, error)) << error;
            test::UseTinyCaches(*sim);
            sim->Memory().ConfigureProtection(test::AllMemoryCached(policy));
            ASSERT_EQ(sim->Run(50'000'000), kNormalEnd) << fixture;
        }
        uint32_t r0 = 0;
        fast.ReadRegister(1, r0);
        EXPECT_EQ(r0, HostResult(b.program)) << fixture;
        EXPECT_EQ(fast.InstructionCount(), fresh.InstructionCount());
        EXPECT_EQ(fast.Cpu().pc, fresh.Cpu().pc);
        test::ExpectSameCaches(fast, fresh);
    }
}

std::vector<Build> AllBuilds(std::initializer_list<const char*> variants)
{
    std::vector<Build> out;
    for (const Program& p : kPrograms) {
        for (const char* v : variants)
            out.push_back({p, v});
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(Builds, Programs, ::testing::ValuesIn(AllBuilds({"arm_O0", "arm_O2", "thumb_O0", "thumb_O2"})),
                         [](const auto& info) {
                             return std::string(info.param.program.name) + "_" + info.param.variant;
                         });

}  // namespace
}  // namespace zk::sim

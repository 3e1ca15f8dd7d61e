// Conditional breakpoints end to end on the real simulator: images compiled
// by arm-none-eabi-gcc (ARM and Thumb code, -O0) are loaded through the
// loader front end with their DWARF 2 debug information, a breakpoint with
// a condition on globals, a parameter or a local is set in a function
// called ten times, and the program is run with the main frame's stop
// handling in the loop, which runs on past every stop whose condition does
// not hold. The shown stops must be exactly the calls where the condition
// holds.
#include <algorithm>
#include <cstdio>
#include <sstream>

#include "host_tools.h"
#include "quentor.h"
#include "quinar/quinar.h"
#include "sim_session.h"
#include "talvis/talvis.h"
#include "vexlor/vexlor.h"

namespace sarvik::test {
namespace {

using ::testing::ElementsAre;

// The address of a data symbol as arm-none-eabi-nm lists it.
uint32_t NmSymbol(const std::string& elf, const std::string& name)
{
    const auto nm = zk::test::RunProcess({"arm-none-eabi-nm", elf});
    EXPECT_EQ(nm.exitStatus, 0) << nm.err;
    std::istringstream lines(nm.out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string value, kind, symbol;
        if (fields >> value >> kind >> symbol && symbol == name)
            return static_cast<uint32_t>(std::stoul(value, nullptr, 16));
    }
    ADD_FAILURE() << name << " not in " << elf;
    return 0;
}

class SimConditions : public SimSession, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        SimSession::SetUp();
        Load(GetParam());
        ASSERT_EQ(LdrFileFormat(), LDR_FORMAT_ELF);
        counter_ = NmSymbol(imagePath_, "counter");
        tick_ = Symbol("tick");
    }
    void TearDown() override
    {
        SimSession::TearDown();
        SymClearSymbolTables(0);
    }

    uint32_t Word(uint32_t address)
    {
        uint8_t b[4] = {};
        EXPECT_EQ(MemReadBlock(b, {address, 1}, 4), 0);
        return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
    }

    // The first address of the line "counter = counter + 1u;" of tick, as
    // the line table gives it; arm-none-eabi-addr2line must name that line.
    uint32_t BodyLine()
    {
        const std::string source = zk::test::ReadFileBytes(ZK_SOURCE_DIR "/debugcore/tests/fixtures/cond_program.c");
        const size_t at = source.find("counter = counter + 1u;");
        EXPECT_NE(at, std::string::npos);
        const uint32_t line = 1 + static_cast<uint32_t>(std::count(source.begin(), source.begin() + at, '\n'));
        uint32_t module = 0, address = 0;
        EXPECT_EQ(SymFindModuleByName("cond_program.c", &module), SYM_OK);
        EXPECT_EQ(SymSourceLineToAddr(module, line, &address), SYM_OK);
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%x", address);
        const auto a2l = zk::test::RunProcess({"arm-none-eabi-addr2line", "-e", imagePath_, hex});
        EXPECT_EQ(a2l.exitStatus, 0) << a2l.err;
        EXPECT_NE(a2l.out.find("cond_program.c:" + std::to_string(line)), std::string::npos) << a2l.out;
        EXPECT_GT(address, tick_);
        return address;
    }

    // Goes from the start to the program's end; `atStop` runs at every
    // shown stop before it, each at `stopsAt`.
    void RunToTheEnd(uint32_t stopsAt, const std::function<void()>& atStop)
    {
        for (int go = 0; go < 20; ++go) {
            ASSERT_EQ(EmuRun(EMU_RUN_GO, {}), EMU_OK);
            ASSERT_TRUE(WaitForStop()) << "no stop within " << STOP_WAIT_MS << " ms";
            ExpectImageIntact();
            if (Pc() == Symbol("__normal_end"))
                return;
            ASSERT_EQ(Pc(), stopsAt);
            atStop();
        }
        FAIL() << "the program did not end";
    }
    void ExpectResult()
    {
        DWORD r0 = 1;
        ASSERT_EQ(CpuGetRegister(0, &r0), 0);
        EXPECT_EQ(r0, 0u) << "the program's result with every instruction intact";
        EXPECT_EQ(Word(counter_), 10u) << "every call ran";
    }

    uint32_t counter_ = 0, tick_ = 0;
};

TEST_P(SimConditions, ABreakpointOnGlobalsStopsOnlyWhereItsConditionHolds)
{
    // The globals as the debug information gives them, where nm has them.
    for (const char* name : {"counter", "level"}) {
        uint32_t handle = 0;
        SymSymbolInfo info{};
        ASSERT_EQ(SymFindSymbolByName(0, name, &handle), SYM_OK) << name;
        ASSERT_EQ(SymGetSymbolInfo(handle, &info), SYM_OK);
        EXPECT_EQ(info.address, (ADDR{NmSymbol(imagePath_, name), 1})) << name;
    }
    // level (a signed char) holds -k at the entry of the k-th call from 0.
    const ADDR entry{tick_, 1};
    ASSERT_EQ(BptSetBp(&entry, "counter == 4 || level == -8 || counter > 8", 1, 0, 1, 0xFFFFFFFFu), EMU_OK);
    std::vector<uint32_t> counts;
    RunToTheEnd(tick_, [&] { counts.push_back(Word(counter_)); });
    EXPECT_THAT(counts, ElementsAre(4u, 8u, 9u));
    ExpectResult();
}

// A breakpoint in the body of tick, after its prologue: the parameter and
// the local are read from the frame through the function's frame base.
TEST_P(SimConditions, ABreakpointOnAParameterAndALocalStopsOnlyWhereItsConditionHolds)
{
    const uint32_t body = BodyLine();
    const ADDR at{body, 1};
    ASSERT_EQ(BptSetBp(&at, "n == 7 || twice == 4", 1, 0, 1, 0xFFFFFFFFu), EMU_OK);
    std::vector<uint32_t> counts;
    RunToTheEnd(body, [&] { counts.push_back(Word(counter_)); });
    EXPECT_THAT(counts, ElementsAre(2u, 7u));
    ExpectResult();
}

TEST_P(SimConditions, AConditionThatNeverHoldsNeverStops)
{
    const ADDR entry{tick_, 1};
    ASSERT_EQ(BptSetBp(&entry, "@r0 > 100", 1, 0, 1, 0xFFFFFFFFu), EMU_OK);
    int stops = 0;
    RunToTheEnd(tick_, [&] { ++stops; });
    EXPECT_EQ(stops, 0);
    ExpectResult();
}

// Run to cursor at a conditional breakpoint whose condition does not hold
// there: the go-till still ends at its address, and the condition decides
// again once it has ended.
TEST_P(SimConditions, AGoTillEndsAtAConditionalBreakpointWhoseConditionIsFalse)
{
    const ADDR entry{tick_, 1};
    ASSERT_EQ(BptSetBp(&entry, "counter == 100", 1, 0, 1, 0xFFFFFFFFu), EMU_OK);
    ASSERT_EQ(EmuRun(EMU_RUN_GO_TILL, entry), EMU_OK);
    ASSERT_TRUE(WaitForStop()) << "no stop within " << STOP_WAIT_MS << " ms";
    EXPECT_EQ(Pc(), tick_);
    EXPECT_EQ(Word(counter_), 0u) << "the first call";
    ExpectImageIntact();
    int stops = 0;
    RunToTheEnd(tick_, [&] { ++stops; });
    EXPECT_EQ(stops, 0);
    ExpectResult();
}

INSTANTIATE_TEST_SUITE_P(Images, SimConditions, ::testing::Values("cond_arm", "cond_thumb"));

}  // namespace
}  // namespace sarvik::test

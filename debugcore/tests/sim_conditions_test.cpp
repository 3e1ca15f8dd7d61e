// Conditional breakpoints end to end on the real simulator: images compiled
// by arm-none-eabi-gcc (ARM and Thumb code) are loaded through the loader
// front end, a breakpoint with a condition is set at the entry of a
// function called ten times, and the program is run with the main frame's
// stop handling in the loop, which runs on past every stop whose condition
// does not hold. The shown stops must be exactly the calls where the
// condition holds.
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

    // Goes from the start to the program's end; `atStop` runs at every
    // shown stop before it.
    void RunToTheEnd(const std::function<void()>& atStop)
    {
        for (int go = 0; go < 20; ++go) {
            ASSERT_EQ(EmuRun(EMU_RUN_GO, {}), EMU_OK);
            ASSERT_TRUE(WaitForStop()) << "no stop within " << STOP_WAIT_MS << " ms";
            ExpectImageIntact();
            if (Pc() == Symbol("__normal_end"))
                return;
            ASSERT_EQ(Pc(), tick_);
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

TEST_P(SimConditions, ABreakpointOnAGlobalStopsOnlyWhereItsConditionHolds)
{
    // The global as the debug information gives it; an image whose debug
    // information the loader does not read gets it from the symbol table.
    uint32_t handle = 0;
    if (SymFindSymbolByName(0, "counter", &handle) != SYM_OK) {
        const uint32_t at[3] = {3, counter_, 0};
        ASSERT_EQ(SymAddVariable("counter", 9, SYM_STORAGE_EXTERNAL, 0, at, 0, 1, &handle), SYM_OK);
        ASSERT_EQ(SymEndLoad(), SYM_OK);
    }
    const ADDR entry{tick_, 1};
    ASSERT_EQ(BptSetBp(&entry, "counter == 4 || counter > 7", 1, 0, 1, 0xFFFFFFFFu), EMU_OK);
    std::vector<uint32_t> counts;
    RunToTheEnd([&] { counts.push_back(Word(counter_)); });
    EXPECT_THAT(counts, ElementsAre(4u, 8u, 9u));
    ExpectResult();
}

TEST_P(SimConditions, AConditionThatNeverHoldsNeverStops)
{
    const ADDR entry{tick_, 1};
    ASSERT_EQ(BptSetBp(&entry, "@r0 > 100", 1, 0, 1, 0xFFFFFFFFu), EMU_OK);
    int stops = 0;
    RunToTheEnd([&] { ++stops; });
    EXPECT_EQ(stops, 0);
    ExpectResult();
}

INSTANTIATE_TEST_SUITE_P(Images, SimConditions, ::testing::Values("cond_arm", "cond_thumb"));

}  // namespace
}  // namespace sarvik::test

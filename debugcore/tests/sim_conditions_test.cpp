// Conditional breakpoints on the real simulator: images compiled by
// arm-none-eabi-gcc (ARM and Thumb code) are loaded through the loader
// front end, a breakpoint with a condition is set at the entry of a
// function called ten times, and the program runs to its end, going on
// after every stop whose condition does not hold, as the main frame does.
// The breakpoint must stop exactly at the calls where the condition holds.
#include <unistd.h>
#include <gmock/gmock.h>
#include <platform/messages.h>
#include <platform/scripted_ui_gtest.h>

#include <sstream>

#include "emu_messages.h"
#include "falcrest.h"
#include "host_tools.h"
#include "sim_connect.h"
#include "quentor.h"
#include "quinar/quinar.h"
#include "sarvik.h"
#include "talvis/talvis.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

namespace {

using ::testing::ElementsAre;

constexpr int STOP_WAIT_MS = 10000;

// The address of a data symbol as arm-none-eabi-nm lists it.
uint32_t DataSymbol(const std::string& elf, const std::string& name)
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

class SimConditionTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        frame_ = platform::CreateSink([this](UINT msg, WPARAM, LPARAM) -> LRESULT {
            if (msg == WM_EMU_ERROR)
                ++stops_;
            return 1;
        });
        sarvik::test::ConnectSimulator(frame_, 0);
        ASSERT_FALSE(HasFatalFailure());

        elf_ = zk::test::FixturePath(GetParam());
        // The load options of a project that downloads its program segments.
        ASSERT_EQ(LdrLoadWin(elf_.c_str(), 0, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_FLAG_SEGMENTS, nullptr), LDR_OK);
        ASSERT_EQ(LdrFileFormat(), LDR_FORMAT_ELF);
        tick_ = CodeSymbol("tick");
        normalEnd_ = CodeSymbol("__normal_end");
        counter_ = DataSymbol(elf_, "counter");
    }
    void TearDown() override
    {
        sarvik::test::DisconnectSimulator();
        SymClearSymbolTables(0);
        platform::DestroySink(frame_);
    }

    static uint32_t CodeSymbol(const char* name)
    {
        uint32_t handle = 0;
        SymSymbolInfo info{};
        EXPECT_EQ(SymFindSymbolByName(0, name, &handle), SYM_OK) << name;
        EXPECT_EQ(SymGetSymbolInfo(handle, &info), SYM_OK) << name;
        return info.address.off;
    }

    uint32_t Word(uint32_t address)
    {
        uint8_t b[4] = {};
        EXPECT_EQ(MemReadBlock(b, {address, 1}, 4), 0);
        return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
    }

    // Runs the program from its start to its normal end; at every stop
    // where a breakpoint hits, `atHit` is called. A stop whose breakpoint
    // does not hit goes on.
    void RunToTheEnd(const std::function<void()>& atHit)
    {
        ASSERT_EQ(CpuSetPC(0), 0);
        for (int run = 0; run < 40; ++run) {
            ASSERT_EQ(emuStepOne(0), EMU_OK);
            ASSERT_EQ(BptLoadBreakpoints(1), EMU_OK);
            platform::PumpPending();
            stops_ = 0;
            ASSERT_EQ(emuGo(0), EMU_OK);
            ASSERT_TRUE(platform::ModalWait([this] { return stops_ > 0; }, STOP_WAIT_MS) &&
                        platform::ModalWait([] { return (CpuGetCpuStatus(0, 1) & 1) == 0; }, STOP_WAIT_MS))
                << "no stop within " << STOP_WAIT_MS << " ms";
            ASSERT_EQ(EmuTargetStopped(), EMU_OK);
            DWORD pc = 0;
            ASSERT_EQ(CpuGetPC(&pc), 0);
            if (pc == normalEnd_)
                return;
            const ADDR at{pc, 1};
            if (BptCheckHit(&at) == BPT_HIT_PERMANENT)
                atHit();
        }
        FAIL() << "the program did not end";
    }

    HWND frame_ = nullptr;
    int stops_ = 0;
    std::string elf_;
    uint32_t tick_ = 0, normalEnd_ = 0, counter_ = 0;
};

TEST_P(SimConditionTest, ABreakpointOnAGlobalStopsOnlyWhereItsConditionHolds)
{
    // The symbol of the global, as the debug information gives it; an
    // image whose debug information the loader does not read gets it from
    // the symbol table.
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
    EXPECT_EQ(Word(counter_), 10u) << "every call ran";
    DWORD r0 = 1;
    ASSERT_EQ(CpuGetRegister(0, &r0), 0);
    EXPECT_EQ(r0, 0u) << "the program's result with every instruction intact";
}

TEST_P(SimConditionTest, AConditionThatNeverHoldsNeverStops)
{
    const ADDR entry{tick_, 1};
    ASSERT_EQ(BptSetBp(&entry, "@r0 > 100", 1, 0, 1, 0xFFFFFFFFu), EMU_OK);
    int hits = 0;
    RunToTheEnd([&] { ++hits; });
    EXPECT_EQ(hits, 0);
    ASSERT_EQ(BptSetBp(&entry, "", 1, 0, 1, 0xFFFFFFFFu), EMU_OK) << "a second, plain breakpoint";
    RunToTheEnd([&] { ++hits; });
    EXPECT_EQ(hits, 10);
}

INSTANTIATE_TEST_SUITE_P(Images, SimConditionTest, ::testing::Values("cond_arm", "cond_thumb"));

}  // namespace

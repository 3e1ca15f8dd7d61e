// Task-qualified breakpoints end to end on the real simulator: the debugger
// core binds the real kernel view (libCorvane.so) at set-up, the kernel-like
// image switches its running-thread pointer between two threads before
// each call of scheduler_tick, and a breakpoint there qualified with thread
// A's control block is run with the main frame's stop handling. Without
// the kernel view the same breakpoint stops on every pass.
#include <platform/modules.h>

#include <sstream>
#include <vector>

#include "host_tools.h"
#include "quinar/quinar.h"
#include "sim_session.h"
#include "talvis/talvis.h"

namespace sarvik::test {
namespace {

class SimTaskBreakpoint : public SimSession {
protected:
    void TearDown() override
    {
        SimSession::TearDown();
        platform::SetModuleFolder("");
        SymClearSymbolTables(0);
    }

    uint32_t Word(uint32_t address)
    {
        uint8_t b[4] = {};
        EXPECT_EQ(MemReadBlock(b, {address, 1}, 4), 0);
        return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
    }

    // Sets the breakpoint at scheduler_tick's entry and goes `stops` times;
    // at each stop the running thread and the pass count from the target.
    void RunStops(const char* thread, int stops, std::vector<uint32_t>& running, std::vector<uint32_t>& passes)
    {
        Load("kernel_le");
        const ADDR tick{Symbol("scheduler_tick"), 1};
        ASSERT_EQ(BptSetBp(&tick, "", 1, 0, 1, Symbol(thread)), EMU_OK);
        for (int go = 0; go < stops; ++go) {
            ASSERT_EQ(EmuRun(EMU_RUN_GO, {}), EMU_OK);
            ASSERT_TRUE(WaitForStop()) << "no stop within " << STOP_WAIT_MS << " ms";
            ASSERT_EQ(Pc(), tick.off);
            running.push_back(Word(Symbol("_tx_thread_current_ptr")));
            passes.push_back(Word(Symbol("passes")));
        }
    }
};

TEST_F(SimTaskBreakpoint, StopsOnlyWhereItsThreadIsCurrent)
{
    platform::SetModuleFolder(ZK_BIN_DIR);
    ASSERT_NE(EmuInit(window_), 0) << platform::LastModuleError();
    std::vector<uint32_t> running, passes;
    RunStops("thread_a", 4, running, passes);
    EXPECT_EQ(running, std::vector<uint32_t>(4, Symbol("thread_a")));
    // Thread B's passes in between ran on without a stop.
    EXPECT_EQ(passes, (std::vector<uint32_t>{0, 2, 4, 6}));
}

TEST_F(SimTaskBreakpoint, WithoutTheKernelViewItIsAPlainBreakpoint)
{
    platform::SetModuleFolder(ZK_BIN_DIR "/no_kernel_view");
    ASSERT_EQ(EmuInit(window_), 0);
    std::vector<uint32_t> running, passes;
    RunStops("thread_a", 4, running, passes);
    EXPECT_EQ(passes, (std::vector<uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(running,
              (std::vector<uint32_t>{Symbol("thread_a"), Symbol("thread_b"), Symbol("thread_a"), Symbol("thread_b")}));
}

}  // namespace
}  // namespace sarvik::test

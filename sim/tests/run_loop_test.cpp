// The run loop: stop conditions, result codes, counting, history, the stop
// request and the self-modify check.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "simcore/simulator.h"

namespace zk::sim {
namespace {

// A simulator with ARM words from 0x100 and the normal-end word at every vector.
class RunLoop : public ::testing::Test {
protected:
    void Load(const std::vector<uint32_t>& words, uint32_t at = 0x100)
    {
        for (uint32_t v = 0; v < 0x20; v += 4)
            sim_.Memory().Store().Write(v, 4, kNormalEndWord);
        for (size_t i = 0; i < words.size(); ++i)
            sim_.Memory().Store().Write(at + 4 * static_cast<uint32_t>(i), 4, words[i]);
        sim_.WriteRegister(16, at);
    }
    Simulator sim_;
};

TEST_F(RunLoop, BreakWordFirstEndsAtOnceWithoutCounting)
{
    Load({kBreakWord});
    EXPECT_EQ(sim_.Run(0), kNormalEnd);
    EXPECT_EQ(sim_.Cpu().pc, 0x100u);
    EXPECT_EQ(sim_.InstructionCount(), 0u);
    EXPECT_EQ(sim_.GetHistory().Back(1).code, kNormalEnd);
}

TEST_F(RunLoop, Swi0x11EndsTheRunAndSwi0x12EntersTheVector)
{
    Load({0xE3A00001, 0xEF000012});  // mov r0, #1; swi 0x12
    EXPECT_EQ(sim_.Run(0), kNormalEnd);
    EXPECT_EQ(sim_.Cpu().pc, 0x08u);
    EXPECT_EQ(sim_.Cpu().mode, Mode::Svc);
    EXPECT_EQ(sim_.InstructionCount(), 2u);  // the SWI counts, the normal end does not
}

TEST_F(RunLoop, CountLimitExecutesExactlyThatMany)
{
    Load({0xE2800001, 0xEAFFFFFD});  // add r0, r0, #1; b back to it
    EXPECT_EQ(sim_.Run(7), kArmDataProcessing);
    EXPECT_EQ(sim_.InstructionCount(), 7u);
    uint32_t r0 = 0;
    sim_.ReadRegister(1, r0);
    EXPECT_EQ(r0, 4u);
}

// The run continues while no stop has been requested; being stopped between
// runs does not cut the next run short.
TEST_F(RunLoop, StopRequestFromAnotherThreadEndsAnEndlessRun)
{
    Load({0xEAFFFFFE});  // b .
    EXPECT_EQ(sim_.Run(1000), kArmBranch);
    EXPECT_EQ(sim_.InstructionCount(), 1000u);
    // The instruction hook tells this thread, from inside the run, that the
    // free run has gone 500 instructions past the counted one; only then
    // comes the stop.
    struct Progress {
        std::promise<void> running;
        uint32_t count = 0;  // instructions so far
        bool told = false;
    } progress;
    progress.count = sim_.InstructionCount();
    sim_.SetInstructionHook(
        [](void* context, const HistoryRecord&) {
            auto& p = *static_cast<Progress*>(context);
            if (!p.told && ++p.count == 1500) {
                p.told = true;
                p.running.set_value();
            }
        },
        &progress);
    std::future<void> running = progress.running.get_future();
    int code = -1;
    std::thread runner([&] { code = sim_.Run(0); });
    const bool wasRunning = running.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    sim_.RequestStop();  // ends even a run that never reached the hook
    runner.join();
    sim_.SetInstructionHook(nullptr, nullptr);
    ASSERT_TRUE(wasRunning) << "the run never reached 1500 instructions";
    EXPECT_EQ(code, kArmBranch);
    EXPECT_GE(sim_.InstructionCount(), 1500u);
    EXPECT_FALSE(sim_.StopRequested()) << "the run consumed the request";
    const uint32_t before = sim_.InstructionCount();
    sim_.Run(50);
    EXPECT_EQ(sim_.InstructionCount(), before + 50);
}

TEST_F(RunLoop, StopRequestedBeforeTheRunEndsItAfterOneInstruction)
{
    Load({0xEAFFFFFE});
    sim_.RequestStop();
    sim_.Run(0);
    EXPECT_EQ(sim_.InstructionCount(), 1u);
}

TEST_F(RunLoop, UndefinedCountsAndDataAbortDoesNot)
{
    Load({0xE3A01902, 0xE5910000});             // mov r1, #0x8000; ldr r0, [r1]
    sim_.WriteCoprocessorRegister(6, 0, 0x1D);  // region 0: 0-0x7FFF
    sim_.WriteCoprocessorRegister(5, 0, 3);
    sim_.WriteCoprocessorRegister(5, 1, 3);
    sim_.WriteCoprocessorRegister(1, 0, 1);
    EXPECT_EQ(sim_.Run(0), kNormalEnd);
    EXPECT_EQ(sim_.Cpu().pc, 0x10u);
    EXPECT_EQ(sim_.Cpu().mode, Mode::Abort);
    EXPECT_EQ(sim_.Cpu().r[kRegLr], 0x104u + 8);
    EXPECT_EQ(sim_.InstructionCount(), 1u);
    EXPECT_EQ(sim_.GetHistory().Back(2).code, kDataAbort);
    EXPECT_EQ(sim_.GetHistory().Back(3).code, kArmDataProcessing);

    Simulator other;
    other.Memory().Store().Write(0x100, 4, 0xE7F000F0);
    other.Memory().Store().Write(0x04, 4, kNormalEndWord);
    other.WriteRegister(16, 0x100);
    EXPECT_EQ(other.Run(0), kNormalEnd);
    EXPECT_EQ(other.InstructionCount(), 1u);
}

TEST_F(RunLoop, RefusedFetchTakesAPrefetchAbort)
{
    Load({0xE1A00000}, 0x1000);
    sim_.WriteCoprocessorRegister(6, 0, 0x17);  // region 0: 0-0xFFF
    sim_.WriteCoprocessorRegister(5, 0, 3);
    sim_.WriteCoprocessorRegister(1, 0, 1);
    EXPECT_EQ(sim_.Run(0), kNormalEnd);
    EXPECT_EQ(sim_.Cpu().pc, 0x0Cu);
    EXPECT_EQ(sim_.Cpu().r[kRegLr], 0x1004u);
    EXPECT_EQ(sim_.InstructionCount(), 0u);
    const HistoryRecord& abort = sim_.GetHistory().Back(2);
    EXPECT_EQ(abort.pc, 0x1000u);
    EXPECT_EQ(abort.word, 0u);
    EXPECT_EQ(abort.code, kPrefetchAbort);
}

TEST_F(RunLoop, HistoryHoldsTheLastFourInstructionsNewestFirst)
{
    Load({0xE3A00001, 0xE3A01002, 0xE3A02003, 0xE3A03004, 0xE3A04005});
    sim_.Run(5);
    for (unsigned back = 1; back <= 4; ++back) {
        const HistoryRecord& r = sim_.GetHistory().Back(back);
        EXPECT_TRUE(r.valid);
        EXPECT_EQ(r.pc, 0x100u + 4 * (5 - back));
    }
}

TEST_F(RunLoop, SelfModifyCheckStopsBeforeAWrittenInstruction)
{
    // str r1, [r2]; nop; (the word at 0x108 is overwritten with mov r0, #9)
    Load({0xE5821000, 0xE1A00000, 0xE1A00000, kNormalEndWord});
    sim_.WriteRegister(2, 0xE3A00009);
    sim_.WriteRegister(3, 0x108);
    sim_.SetSelfModifyCheck(true);
    EXPECT_EQ(sim_.Run(0), kSelfModify);
    EXPECT_EQ(sim_.Cpu().pc, 0x108u);
    EXPECT_EQ(sim_.InstructionCount(), 2u);
    sim_.SetSelfModifyCheck(false);
    EXPECT_EQ(sim_.Run(0), kNormalEnd);
    uint32_t r0 = 0;
    sim_.ReadRegister(1, r0);
    EXPECT_EQ(r0, 9u);
}

TEST_F(RunLoop, InstructionHookSeesEveryInstruction)
{
    Load({0xE3A00001, 0xE3A01002, kNormalEndWord});
    std::vector<uint32_t> pcs;
    sim_.SetInstructionHook(
        [](void* ctx, const HistoryRecord& r) { static_cast<std::vector<uint32_t>*>(ctx)->push_back(r.pc); }, &pcs);
    EXPECT_EQ(sim_.Run(0), kNormalEnd);
    EXPECT_EQ(pcs, (std::vector<uint32_t>{0x100, 0x104}));
}

}  // namespace
}  // namespace zk::sim

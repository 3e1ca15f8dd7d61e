// The run thread: go, halt, the stopped state, and the stop hook with the
// reason for each kind of end.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "brief_spin.h"
#include "simcmd/command_language.h"
#include "simcmd/run_control.h"
#include "test_programs.h"
#include "thread_events.h"

namespace zk::sim {
namespace {

struct Stop {
    int reason;
    int lastResult;
    uint32_t pc;
};

struct RunControlTest : testing::Test {
    Simulator sim;
    CommandLanguage language{sim};
    RunControl run{language};
    zk::test::EventLog<Stop> stopLog;  // added on the run thread by the stop hook

    static void RecordStop(void* context, int reason, int lastResult, uint32_t pc)
    {
        static_cast<RunControlTest*>(context)->stopLog.Add({reason, lastResult, pc});
    }

    void SetUp() override
    {
        language.Init();
        run.SetStopHook(RecordStop, this);
    }

    std::vector<Stop> Stops() const { return stopLog.Events(); }

    // Waits for the stop hook to report the run's end (the `count`th stop
    // since the log was cleared); Halt then only joins the thread.
    void WaitForEnd(size_t count = 1)
    {
        ASSERT_TRUE(stopLog.WaitFor(count)) << "the stop hook was not called";
        EXPECT_FALSE(run.Running()) << "the hook runs after the stopped state is set";
        run.Halt();
    }
};

TEST(StopReason, FromTheLastResultCode)
{
    EXPECT_EQ(StopReasonFor(kNormalEnd, kNormalEndWord), SIM_STOP_NORMAL_END);
    EXPECT_EQ(StopReasonFor(kNormalEnd, kBreakWord), SIM_STOP_BREAK_WORD);
    EXPECT_EQ(StopReasonFor(kNormalEnd, kBreakHalfword), SIM_STOP_BREAK_WORD);
    EXPECT_EQ(StopReasonFor(kSelfModify, 0), SIM_STOP_SELF_MODIFY);
    EXPECT_EQ(StopReasonFor(kReset, 0), SIM_STOP_RESET);
    EXPECT_EQ(StopReasonFor(kArmBranch, 0), SIM_STOP_HALT_REQUEST);
    EXPECT_EQ(StopReasonFor(kSwi, 0), SIM_STOP_HALT_REQUEST);
}

TEST_F(RunControlTest, HaltStopsAnEndlessRunAndWaitsForTheThread)
{
    std::string console;  // written on the run thread, read after the halt joined it
    language.Output().SetConsole([&console](std::string_view text) { console += text; });
    language.Output().SetPrinting(true);
    test::LoadWords(sim, 0x100, {test::kLoopForever});
    sim.WriteRegister(16, 0x100);
    EXPECT_EQ(run.Status(), 1u);
    ASSERT_TRUE(run.Go());
    EXPECT_EQ(run.Status(), 0u);
    EXPECT_FALSE(run.Go());  // a second go while running is ignored
    run.Halt();
    EXPECT_EQ(run.Status(), 1u);
    const std::vector<Stop> stops = Stops();
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_EQ(stops[0].reason, SIM_STOP_HALT_REQUEST);
    EXPECT_EQ(stops[0].lastResult, kArmBranch);
    EXPECT_EQ(stops[0].pc, 0x100u);
    EXPECT_GT(language.Symbols().Find("ICount")->value, 0u);
    EXPECT_FALSE(sim.StopRequested());
    // A halted run has no end message of its own, only the next instruction
    // and the count.
    EXPECT_EQ(console.find("terminated"), std::string::npos);
    EXPECT_EQ(console.rfind("| Next>>> 0x00000100: 0xeafffffe  .... :    b        0x100\n| Program execute ", 0), 0u)
        << console;
}

TEST_F(RunControlTest, EveryKindOfEndReachesTheHookOnce)
{
    struct Program {
        const char* name;
        uint32_t cpsr;
        std::vector<uint32_t> words;
        const char* setup;
        int reason;
        int lastResult;
        uint32_t pc;
    };
    const Program programs[] = {
        {"normal end", 0xD3, {0xE3A00005, test::kNormalEnd}, "", SIM_STOP_NORMAL_END, kNormalEnd, 0x204},
        {"break word", 0xD3, {0xE3A00005, test::kBreakWord}, "", SIM_STOP_BREAK_WORD, kNormalEnd, 0x204},
        {"thumb break", 0xF3, {0xFEDE2005}, "", SIM_STOP_BREAK_WORD, kNormalEnd, 0x202},  // movs r0,#5
        // mov r0,#0x20C; str r0,[r0]; nop: the check stops before the written word.
        {"self-modify",
         0xD3,
         {0xE3A00F83, 0xE5800000, 0xE1A00000, 0xE1A00000},
         "config -selfcheck on",
         SIM_STOP_SELF_MODIFY,
         kSelfModify,
         0x20C},
        // mov r0,#0x4000; mcr p15,0,r0,c1,c0,0: a reset of the whole simulator.
        {"reset", 0xD3, {0xE3A00901, 0xEE010F10}, "", SIM_STOP_RESET, kReset, 0},
    };
    for (const Program& p : programs) {
        SCOPED_TRACE(p.name);
        sim.Init();
        language.Dispatch("config -selfcheck off");
        stopLog.Clear();
        uint32_t addr = 0x200;
        for (uint32_t w : p.words) {
            sim.WriteMemory(addr, AccessKind::StoreOnly, 4, w);
            addr += 4;
        }
        language.Dispatch(p.setup);
        sim.WriteRegister(0, p.cpsr);
        sim.WriteRegister(16, 0x200);
        ASSERT_TRUE(run.Go());
        WaitForEnd();
        const std::vector<Stop> stops = Stops();
        ASSERT_EQ(stops.size(), 1u);
        EXPECT_EQ(stops[0].reason, p.reason);
        EXPECT_EQ(stops[0].lastResult, p.lastResult);
        EXPECT_EQ(stops[0].pc, p.pc);
    }
}

TEST_F(RunControlTest, HaltWithoutARunLeavesNoRequestBehind)
{
    run.Halt();
    test::LoadWords(sim, 0, {0xE2800001, 0xE2800001, 0xE2800001, test::kNormalEnd});  // add r0,r0,#1
    language.Dispatch("step -d 3");
    EXPECT_EQ(sim.InstructionCount(), 3u);
    EXPECT_EQ(stopLog.Size(), 0u);
}

TEST_F(RunControlTest, HaltAfterTheRunEndedByItselfDoesNotCutTheNextRun)
{
    test::LoadWords(sim, 0, {0xE2800001, 0xE2800001, test::kNormalEnd});
    ASSERT_TRUE(run.Go());
    WaitForEnd();
    sim.RequestStop();  // as a halt that came too late would
    run.Halt();
    sim.WriteRegister(16, 0);
    ASSERT_TRUE(run.Go());
    WaitForEnd(2);
    EXPECT_EQ(sim.InstructionCount(), 4u);
    const std::vector<Stop> stops = Stops();
    ASSERT_EQ(stops.size(), 2u);
    EXPECT_EQ(stops[1].reason, SIM_STOP_NORMAL_END);
}

TEST_F(RunControlTest, DestructionEndsTheRunThreadWhetherItRunsOrWaits)
{
    test::LoadWords(sim, 0, {test::kLoopForever});
    auto running = std::make_unique<RunControl>(language);
    ASSERT_TRUE(running->Go());
    running.reset();
    EXPECT_EQ(sim.Cpu().pc, 0u);

    test::LoadWords(sim, 0, {test::kNormalEnd});
    sim.WriteRegister(16, 0);
    auto waiting = std::make_unique<RunControl>(language);
    waiting->SetStopHook(RecordStop, this);
    ASSERT_TRUE(waiting->Go());
    ASSERT_TRUE(stopLog.WaitFor(1));
    waiting.reset();
    EXPECT_EQ(stopLog.Size(), 1u);
}

TEST_F(RunControlTest, TheHookMayAskForAHaltOnTheRunThreadButNotForAGo)
{
    run.SetStopHook(
        [](void* context, int reason, int lastResult, uint32_t pc) {
            RunControlTest& self = *static_cast<RunControlTest*>(context);
            self.run.Halt();
            // Recorded as the pc: the go's answer.
            RecordStop(context, reason, lastResult, self.run.Go() ? 1 : 0);
        },
        this);
    test::LoadWords(sim, 0, {test::kNormalEnd});
    for (int i = 0; i < 2; ++i) {  // the run thread serves the next go as before
        sim.WriteRegister(16, 0);
        ASSERT_TRUE(run.Go());
        WaitForEnd(i + 1);
        EXPECT_FALSE(run.Running());
        EXPECT_EQ(Stops().back().pc, 0u) << "a go from the hook is refused";
        EXPECT_FALSE(sim.StopRequested()) << "the halt after the end clears the hook's request";
    }
}

// A go while the last run's hook still goes (the state says stopped) waits
// for the hook: the run is over only then, and a halt of the next run must
// not take the hook's return for that run's end.
TEST_F(RunControlTest, AGoWaitsForTheLastRunsHook)
{
    struct Gate {
        RunControlTest* test = nullptr;
        std::atomic<int> hooks{0};
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
    } gate;
    gate.test = this;
    run.SetStopHook(
        [](void* context, int reason, int lastResult, uint32_t pc) {
            Gate& g = *static_cast<Gate*>(context);
            if (g.hooks++ == 0)
                g.released.wait();
            RecordStop(g.test, reason, lastResult, pc);
        },
        &gate);
    test::LoadWords(sim, 0, {test::kNormalEnd, test::kLoopForever});
    ASSERT_TRUE(run.Go());
    while (gate.hooks == 0)
        std::this_thread::yield();
    EXPECT_FALSE(run.Running());
    sim.WriteRegister(16, 4);
    std::promise<pid_t> goer;
    std::future<pid_t> goerId = goer.get_future();
    std::future<bool> went = std::async(std::launch::async, [&] {
        goer.set_value(zk::test::KernelThreadId());
        return run.Go();
    });
    EXPECT_TRUE(zk::test::WaitUntilBlocked(goerId.get())) << "the go did not wait for the hook";
    EXPECT_EQ(stopLog.Size(), 0u);
    gate.release.set_value();
    ASSERT_TRUE(went.get());
    run.Halt();
    EXPECT_FALSE(run.Running());
    const std::vector<Stop> stops = Stops();
    ASSERT_EQ(stops.size(), 2u);
    EXPECT_EQ(stops[1].reason, SIM_STOP_HALT_REQUEST);
    EXPECT_EQ(stops[1].pc, 4u);
}

// Two controlling threads go and halt an endless run over and over: each go
// taken gives one run and one stop, none is lost or doubled, nothing hangs.
TEST_F(RunControlTest, GoAndHaltFromTwoThreadsPairEveryRunWithOneStop)
{
    test::LoadWords(sim, 0, {test::kLoopForever});
    std::atomic<int> taken{0};
    const auto cycles = [&] {
        for (int i = 0; i < 300; ++i) {
            if (run.Go())
                ++taken;
            if (i % 3 != 2)  // now and then a go meets a run that still goes
                run.Halt();
        }
        run.Halt();
    };
    std::thread other(cycles);
    cycles();
    other.join();
    run.Halt();
    EXPECT_FALSE(run.Running());
    EXPECT_FALSE(sim.StopRequested());
    EXPECT_GT(taken.load(), 0);
    EXPECT_EQ(stopLog.Size(), static_cast<size_t>(taken.load()));
    for (const Stop& stop : Stops())
        EXPECT_EQ(stop.reason, SIM_STOP_HALT_REQUEST);
}

}  // namespace
}  // namespace zk::sim

// The brief spin before a hand-off's sleep: it ends as soon as the other
// thread is ready, gives up after its bound, and a wait it did not end
// shortens the next spin (never below its floor); one it ended restores it.
TEST(BriefSpin, EndsWhenReadyGivesUpAfterItsBoundAndAdapts)
{
    zk::SpinState state;
    int asked = 0;
    EXPECT_TRUE(zk::SpinBriefly(state, [&] { return ++asked == 3; }));
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(state.bound.load(), zk::SpinState::kMax);

    std::mutex m;
    std::unique_lock<std::mutex> lock(m);
    for (int i = 0; i < 20; ++i)
        EXPECT_FALSE(zk::SpinBriefly(state, lock, [] { return false; }));
    EXPECT_TRUE(lock.owns_lock()) << "the lock is held again on return";
    EXPECT_EQ(state.bound.load(), zk::SpinState::kFloor);
    EXPECT_TRUE(zk::SpinBriefly(state, lock, [] { return true; }));
    EXPECT_EQ(state.bound.load(), zk::SpinState::kMax);
}

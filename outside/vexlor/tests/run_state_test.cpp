// The run state comes from the target on every call; the end of a free run
// reaches the main frame at once as WM_EMU_ERROR, posted from the run thread.
#include <gmock/gmock.h>
#include <platform/messages.h>

#include <thread>

#include "emu_messages.h"
#include "fake_sim_session.h"
#include "vexlor/vexlor.h"

using ::testing::ElementsAre;

namespace {

constexpr const char* PROCESSOR = "ARM7TDMI-KS32C50100";
constexpr int WAIT_MS = 5000;

struct Posted {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

class RunStateTest : public FakeSimTest {
protected:
    void SetUp() override
    {
        FakeSimTest::SetUp();
        frame_ = platform::CreateSink([this](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            posted_.push_back({msg, w, l});
            return 1;
        });
        ASSERT_NE(frame_, nullptr);
    }
    void TearDown() override
    {
        platform::DestroySink(frame_);
        FakeSimTest::TearDown();
    }

    // Ends the run on another thread, as the simulator's run thread does,
    // and pumps until the frame has its message.
    std::vector<Posted> StopOnRunThread(int reason)
    {
        posted_.clear();
        std::thread run([this, reason] { sim().FireStop(reason, 1008, 0x8000); });
        run.join();
        platform::ModalWait([this] { return !posted_.empty(); }, WAIT_MS);
        return posted_;
    }

    HWND frame_ = nullptr;
    std::vector<Posted> posted_;
};

TEST_F(RunStateTest, TheStateIsAskedOfTheTargetOnEveryCall)
{
    InitDLL_CpuServer(0, frame_, PROCESSOR, 0);
    EXPECT_EQ(CpuGetCpuStatus(0, 1) & 1, 0u);
    sim().running = true;  // the target runs; nobody told vexlor
    EXPECT_EQ(CpuGetCpuStatus(0, 1) & 1, 1u);
    EXPECT_EQ(CpuGetCpuStatus1() & 1, 1u);
    EXPECT_EQ(CpuSetCpuStatus(0), 0);
    EXPECT_EQ(CpuGetCpuStatus(1, 0) & 1, 1u);
    sim().running = false;
    EXPECT_EQ(CpuSetCpuStatus(1), 0);
    EXPECT_EQ(CpuGetCpuStatus(0, 1) & 1, 0u);
    EXPECT_EQ(CpuGetCpuStatus1() & 1, 0u);
    EXPECT_THAT(sim().Codes(), ElementsAre(45, 45, 45, 45, 45, 45));

    ExitABIDLL();
    sim().running = true;
    EXPECT_EQ(CpuGetCpuStatus(0, 1), 0u);  // no target: nothing runs
}

TEST_F(RunStateTest, TheEndOfAFreeRunIsPostedAtOnce)
{
    InitDLL_CpuServer(0, frame_, PROCESSOR, 0);
    ASSERT_EQ(emuGo(0), EMU_OK);
    EXPECT_EQ(CpuGetCpuStatus(0, 1) & 1, 1u);
    const std::vector<Posted> got = StopOnRunThread(SIM_STOP_BREAK_WORD);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].msg, WM_EMU_ERROR);
    EXPECT_EQ(got[0].wParam, EMU_ERROR_REFRESH_AFTER);
    EXPECT_EQ(got[0].lParam, HALT_BREAKPOINT);
    EXPECT_EQ(CpuGetCpuStatus(0, 1) & 1, 0u);
}

// The count moves once the announcement is queued, with or without a frame:
// a step loop that waits for it finds the message already in the queue.
TEST_F(RunStateTest, EveryEndMovesTheStopCountAfterItsAnnouncement)
{
    InitDLL_CpuServer(0, frame_, PROCESSOR, 0);
    const DWORD before = CpuGetStopCount();
    emuGo(0);
    std::thread run([this] { sim().FireStop(SIM_STOP_BREAK_WORD, 1008, 0x8000); });
    run.join();
    EXPECT_EQ(CpuGetStopCount(), before + 1);
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, frame_, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_EMU_ERROR);
    platform::PumpPending();

    InitDLL_CpuServer(0, nullptr, PROCESSOR, 0);
    emuGo(0);
    std::thread silent([this] { sim().FireStop(SIM_STOP_BREAK_WORD, 1008, 0x8000); });
    silent.join();
    EXPECT_EQ(CpuGetStopCount(), before + 2);
}

TEST_F(RunStateTest, StopReasonsBecomeHaltCauses)
{
    InitDLL_CpuServer(0, frame_, PROCESSOR, 0);
    const struct {
        int reason;
        LPARAM cause;
    } cases[] = {
        {SIM_STOP_BREAK_WORD, 128},    // "Halt by breakpoint!"
        {SIM_STOP_NORMAL_END, 28},     // "Halt by Trap Vector Instruction!"
        {SIM_STOP_HALT_REQUEST, 284},  // "Halt by Pressing Abort Switch!"
        {SIM_STOP_SELF_MODIFY, 24},    // "Halt by Machine Check!"
        {SIM_STOP_RESET, 4},           // "Halt by Board Reset!"
        {99, 0},                       // "Halt by Unsupported Exception!"
    };
    for (const auto& c : cases) {
        emuGo(0);
        const std::vector<Posted> got = StopOnRunThread(c.reason);
        ASSERT_EQ(got.size(), 1u) << c.reason;
        EXPECT_EQ(got[0].lParam, c.cause) << c.reason;
    }
}

TEST_F(RunStateTest, AHaltEndsTheRunWithItsOwnCause)
{
    InitDLL_CpuServer(0, frame_, PROCESSOR, 0);
    emuGo(0);
    EXPECT_EQ(emuAbort(0), EMU_OK);
    platform::ModalWait([this] { return !posted_.empty(); }, WAIT_MS);
    ASSERT_EQ(posted_.size(), 1u);
    EXPECT_EQ(posted_[0].lParam, HALT_ABORT_SWITCH);
}

// The program starts the CPU model before it opens the target connection.
TEST_F(RunStateTest, TheAnnouncementSurvivesTheConnectOrder)
{
    ExitABIDLL();
    InitDLL_CpuServer(0, frame_, PROCESSOR, 0);
    ASSERT_EQ(NewABIDLL(1, PROCESSOR, nullptr, "Simulator", 1), 1);
    emuGo(0);
    EXPECT_EQ(StopOnRunThread(SIM_STOP_NORMAL_END).size(), 1u);
}

TEST_F(RunStateTest, WithoutAWindowNothingIsPosted)
{
    InitDLL_CpuServer(0, nullptr, PROCESSOR, 0);
    emuGo(0);
    std::thread run([this] { sim().FireStop(SIM_STOP_BREAK_WORD, 1008, 0x8000); });
    run.join();
    platform::PumpPending();
    EXPECT_TRUE(posted_.empty());
    EXPECT_EQ(CpuGetCpuStatus(0, 1) & 1, 0u);
}

}  // namespace

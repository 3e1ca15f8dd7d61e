// The target notices and the halt's wait on the real simulator library with
// the frame's stop handling in the loop: one Running and one Stopped per go
// whoever takes its stops (the frame, the stop entry resuming after
// semihosting calls, a step command's own go-tills), and a halt that returns
// once its stop is announced, dispatching nothing meanwhile.
#include <optional>

#include "falcrest.h"
#include "sarvik/target_events.h"
#include "sim_session.h"
#include "vexlor/vexlor.h"

namespace sarvik::test {
namespace {

using ::testing::ElementsAre;
using Heard = std::pair<TargetEvent, int>;

const Heard kRunning{TargetEvent::Running, 0};
const Heard kHalted{TargetEvent::Stopped, EMU_STOP_HALTED};
const Heard kExited{TargetEvent::Stopped, EMU_STOP_EXITED};
const Heard kChanged{TargetEvent::Changed, 0};

class Notices : public SimSession, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        SimSession::SetUp();
        subscription_.emplace([this](const TargetNotice& n) { heard_.emplace_back(n.event, n.stop); });
    }
    void TearDown() override
    {
        subscription_.reset();
        SimSession::TearDown();
    }
    void SetBp(uint32_t address, UINT count)
    {
        const ADDR at{address, ADDR_SPACE_TARGET};
        ASSERT_EQ(BptSetBp(&at, "", count, 0, 1, 0xFFFFFFFFu), EMU_OK);
    }
    size_t Index(UINT msg) const
    {
        for (size_t i = 0; i < messages_.size(); ++i)
            if (messages_[i].msg == msg)
                return i;
        return messages_.size();
    }

    std::optional<TargetSubscription> subscription_;
    std::vector<Heard> heard_;
};

TEST_P(Notices, EachGoAndStepIsToldAsOneRunAndOneStop)
{
    Load(GetParam());
    heard_.clear();
    ASSERT_EQ(EmuRun(EMU_RUN_GO_TILL, {Symbol("finish"), ADDR_SPACE_TARGET}), EMU_OK);
    ASSERT_TRUE(WaitForStop());
    EXPECT_THAT(heard_, ElementsAre(kRunning, kHalted));

    heard_.clear();
    ASSERT_EQ(EmuSetPC({image_.entry, ADDR_SPACE_TARGET}), EMU_OK);
    EXPECT_THAT(heard_, ElementsAre(kChanged));

    // A breakpoint whose count is reached on its third pass: the frame runs
    // on twice, and each of its stops and runs is told.
    SetBp(Symbol("work"), 3);
    heard_.clear();
    outcomes_.clear();
    ASSERT_EQ(EmuRun(EMU_RUN_GO, {}), EMU_OK);
    ASSERT_TRUE(WaitForStop());
    ASSERT_EQ(Pc(), Symbol("work"));
    ASSERT_EQ(outcomes_.size(), 3u);
    EXPECT_THAT(heard_, ElementsAre(kRunning, kHalted, kRunning, kHalted, kRunning, kHalted));

    // Go Till Return runs its own go-till and takes its stop itself.
    heard_.clear();
    outcomes_.clear();
    ASSERT_EQ(EmuStep(EMU_GO_TILL_RETURN, 0), EMU_OK);
    EXPECT_TRUE(outcomes_.empty() || outcomes_ == std::vector<StopOutcome>{StopOutcome::StepEngine});
    EXPECT_THAT(heard_, ElementsAre(kRunning, kHalted));

    heard_.clear();
    ASSERT_EQ(EmuHalt(), EMU_OK);
    EXPECT_TRUE(heard_.empty()) << "a halt of a stopped target changes nothing";
}

TEST_P(Notices, AHaltOfAFreeRunReturnsOnceItsStopIsAnnouncedAndDispatchesNothingMeanwhile)
{
    constexpr UINT kMarker = WM_USER + 0x77;
    Load(GetParam());
    ASSERT_EQ(EmuSetPC({Symbol("forever"), ADDR_SPACE_TARGET}), EMU_OK);
    const DWORD runsBefore = CpuGetRunCount();
    const DWORD stopsBefore = CpuGetStopCount();
    ASSERT_EQ(EmuRun(EMU_RUN_GO, {}), EMU_OK);
    ASSERT_TRUE(platform::ModalWait([&] { return CpuGetRunCount() != runsBefore; }, STOP_WAIT_MS));
    ASSERT_EQ(CpuGetCpuStatus(0, 1) & 1, 1u) << "the loop runs";
    ASSERT_EQ(CpuGetStopCount(), stopsBefore);

    heard_.clear();
    ClearRecords();
    ASSERT_TRUE(PostMessage(window_, kMarker, 0, 0));  // queued before the stop's announcement
    ASSERT_EQ(EmuHalt(), EMU_OK);
    EXPECT_EQ(CpuGetCpuStatus(0, 1) & 1, 0u);
    EXPECT_EQ(CpuGetStopCount() - stopsBefore, CpuGetRunCount() - runsBefore) << "the stop is announced";
    EXPECT_THAT(heard_, ElementsAre(kHalted));
    EXPECT_EQ(Count(kMarker), 0) << "nothing is dispatched during the halt";
    EXPECT_EQ(Count(WM_EMU_ERROR), 0);
    EXPECT_EQ(Count(WM_EMU_REFRESH), 1);
    ExpectImageIntact();

    // The frame takes the announcement afterwards, behind what was queued
    // before it, and its stop entry tells nothing again.
    ASSERT_TRUE(platform::ModalWait([this] { return !shown_.empty(); }, STOP_WAIT_MS));
    EXPECT_THAT(shown_, ElementsAre(HALT_ABORT_SWITCH));
    EXPECT_LT(Index(kMarker), Index(WM_EMU_ERROR));
    EXPECT_THAT(heard_, ElementsAre(kHalted));
}

INSTANTIATE_TEST_SUITE_P(Code, Notices, ::testing::Values("run_arm", "run_thumb"));

// A newlib program: the stop entry serves its semihosting calls and resumes
// the run, which the listeners do not hear of; the program's end is told as
// such.
class SemihostingNotices : public Notices {};

TEST_P(SemihostingNotices, ServedCallsAreNotToldAndTheProgramsEndIs)
{
    Load(GetParam());
    heard_.clear();
    ASSERT_EQ(EmuRun(EMU_RUN_GO_TILL, {Symbol("checkpoint"), ADDR_SPACE_TARGET}), EMU_OK);
    ASSERT_TRUE(WaitForStop());
    ASSERT_GT(outcomes_.size(), 5u) << "semihosting stops on the way";
    EXPECT_THAT(heard_, ElementsAre(kRunning, kHalted));

    heard_.clear();
    ASSERT_EQ(EmuRun(EMU_RUN_GO, {}), EMU_OK);
    ASSERT_TRUE(WaitForStop());
    ASSERT_EQ(SemihostGetExit(nullptr, nullptr), 1);
    EXPECT_THAT(heard_, ElementsAre(kRunning, kExited));
}

INSTANTIATE_TEST_SUITE_P(Code, SemihostingNotices, ::testing::Values("gotill_arm", "gotill_thumb"));

}  // namespace
}  // namespace sarvik::test

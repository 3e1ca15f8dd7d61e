// Run control on the real simulator library, with the main frame's stop
// handling in the loop: every mode of EmuRun, the step off a breakpoint at
// the PC, go-tills (also through a counting breakpoint and through
// semihosting calls), halt, set PC and restart. After every stop the
// image's code holds its own bytes again.
#include "sim_session.h"

#include "falcrest.h"
#include "vexlor/vexlor.h"

namespace sarvik::test {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;

// What main returns, computed on the host.
uint32_t MainResult()
{
    uint32_t v = 1;
    for (int i = 0; i < 5; i++)
        v = v * 3u + 1u;
    return ((v ^ 0x5Au) + 7u) & 0x7Fu;
}

class RunControl : public SimSession, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        SimSession::SetUp();
        Load(GetParam());
        step_ = std::string(GetParam()).find("thumb") != std::string::npos ? 2 : 4;
    }
    uint32_t NormalEnd() { return image_.symbols.at("__normal_end"); }
    void SetBp(uint32_t address, UINT count = 1)
    {
        const ADDR at{address, ADDR_SPACE_TARGET};
        ASSERT_EQ(BptSetBp(&at, "", count, 0, 1, 0xFFFFFFFFu), EMU_OK);
    }
    bool TemporaryLeft()
    {
        for (const CBpDataEx* r : *BptGetList()) {
            if (r->GetLife() != BPLIFE_PERMANENT)
                return true;
        }
        return false;
    }
    // Runs to the program's end and checks its result.
    void ExpectRunToTheEnd()
    {
        ASSERT_TRUE(WaitForStop());
        EXPECT_EQ(shown_.back(), HALT_TRAP_VECTOR) << "the normal-end word";
        EXPECT_EQ(Pc(), NormalEnd());
        DWORD r0 = 0;
        ASSERT_EQ(CpuGetRegister(0, &r0), 0);
        EXPECT_EQ(r0, MainResult());
        ExpectImageIntact();
    }

    uint32_t step_ = 4;
};

TEST_P(RunControl, EveryGoModeRunsFromThePc)
{
    // 2 and 5 keep the address without going there; 8 keeps it as a count;
    // 0 and 9 are not modes of the system and go from the PC.
    for (int mode :
         {EMU_RUN_GO, EMU_RUN_GO_FROM, EMU_RUN_FLY_GO, EMU_RUN_FLY_GO_FROM, EMU_RUN_FREE, EMU_RUN_COUNT, 0, 9}) {
        SCOPED_TRACE(testing::Message() << "mode " << mode);
        ASSERT_EQ(EmuSetPC({image_.entry, ADDR_SPACE_TARGET}), EMU_OK);
        ClearRecords();
        ASSERT_EQ(EmuRun(mode, {Symbol("finish"), ADDR_SPACE_TARGET}), EMU_OK);
        ASSERT_FALSE(messages_.empty());
        EXPECT_EQ(messages_[0].msg, WM_EMU_BUSY);
        EXPECT_EQ(messages_[0].wParam, 2u);
        EXPECT_EQ(messages_[0].lParam, 0);
        ExpectRunToTheEnd();
        EXPECT_EQ(shown_.size(), 1u);
    }
}

TEST_P(RunControl, AGoTillStopsAtItsAddressAndEndsThere)
{
    for (int mode : {EMU_RUN_GO_TILL, EMU_RUN_FLY_GO_TILL}) {
        SCOPED_TRACE(testing::Message() << "mode " << mode);
        ASSERT_EQ(EmuSetPC({image_.entry, ADDR_SPACE_TARGET}), EMU_OK);
        ClearRecords();
        ASSERT_EQ(EmuRun(mode, {Symbol("finish"), ADDR_SPACE_TARGET}), EMU_OK);
        ASSERT_TRUE(WaitForStop());
        EXPECT_EQ(Pc(), Symbol("finish"));
        EXPECT_THAT(shown_, ElementsAre(HALT_BREAKPOINT));
        EXPECT_FALSE(TemporaryLeft()) << "the go-till ends with its shown stop";
        ExpectImageIntact();
        ClearRecords();
        ASSERT_EQ(EmuRun(EMU_RUN_GO, {}), EMU_OK);
        ExpectRunToTheEnd();
    }
}

TEST_P(RunControl, AGoTillAddressIsAlignedToItsCode)
{
    ASSERT_EQ(EmuRun(EMU_RUN_GO_TILL, {Symbol("work") + 3, ADDR_SPACE_TARGET}), EMU_OK);
    ASSERT_TRUE(WaitForStop());
    EXPECT_EQ(Pc(), Symbol("work") + (step_ == 2 ? 2 : 0)) << "ARM code: the word; Thumb code: the halfword";
}

TEST_P(RunControl, AGoTillTheNextInstructionStopsWithoutStarting)
{
    const uint32_t work = Symbol("work");
    ASSERT_EQ(EmuSetPC({work, ADDR_SPACE_TARGET}), EMU_OK);
    ClearRecords();
    ASSERT_EQ(EmuRun(EMU_RUN_GO_TILL, {work + step_, ADDR_SPACE_TARGET}), EMU_OK);
    EXPECT_EQ(Count(WM_EMU_REFRESH), 1);
    EXPECT_EQ(CpuGetCpuStatus(0, 1) & 1, 0u) << "the target did not start";
    platform::PumpPending();
    EXPECT_EQ(Count(WM_EMU_ERROR), 0);
    EXPECT_EQ(Pc(), work + step_);
    EXPECT_FALSE(TemporaryLeft());
    ExpectImageIntact();
}

TEST_P(RunControl, ABreakpointAtThePcIsSteppedOffAndOneAfterItStopsAtOnce)
{
    const uint32_t work = Symbol("work");
    SetBp(work);
    // Off the breakpoint at the PC: every go comes back to it in the next
    // pass of the loop.
    std::vector<uint32_t> stops;
    for (int i = 0; i < 6; ++i) {
        ASSERT_EQ(EmuRun(EMU_RUN_GO, {}), EMU_OK);
        ASSERT_TRUE(WaitForStop());
        stops.push_back(Pc());
        ExpectImageIntact();
        if (stops.back() != work)
            break;
    }
    EXPECT_THAT(stops, ElementsAre(work, work, work, work, work, NormalEnd()));

    ASSERT_EQ(EmuSetPC({image_.entry, ADDR_SPACE_TARGET}), EMU_OK);
    ASSERT_EQ(EmuRun(EMU_RUN_GO, {}), EMU_OK);
    ASSERT_TRUE(WaitForStop());
    ASSERT_EQ(Pc(), work);
    SetBp(work + step_);
    ClearRecords();
    ASSERT_EQ(EmuRun(EMU_RUN_GO, {}), EMU_OK);
    EXPECT_EQ(Count(WM_EMU_REFRESH), 1);
    platform::PumpPending();
    EXPECT_EQ(Count(WM_EMU_ERROR), 0) << "the target did not start";
    EXPECT_EQ(Pc(), work + step_);
    ExpectImageIntact();
}

TEST_P(RunControl, AFreeRunStopsAtNoBreakpoint)
{
    const uint32_t work = Symbol("work");
    ASSERT_EQ(EmuRun(EMU_RUN_GO_TILL, {work, ADDR_SPACE_TARGET}), EMU_OK);
    ASSERT_TRUE(WaitForStop());
    SetBp(work);
    SetBp(work + step_);
    ClearRecords();
    ASSERT_EQ(EmuRun(EMU_RUN_FREE, {}), EMU_OK);
    ExpectRunToTheEnd();
    EXPECT_EQ(Count(WM_EMU_ERROR), 1);
}

// A breakpoint whose count is not reached runs the target on from the
// stop; the go-till in progress still ends at its address.
TEST_P(RunControl, AGoTillSurvivesABreakpointWhoseCountIsNotReached)
{
    SetBp(Symbol("work"), 100);
    ASSERT_EQ(EmuRun(EMU_RUN_GO_TILL, {Symbol("finish"), ADDR_SPACE_TARGET}), EMU_OK);
    ASSERT_TRUE(WaitForStop());
    EXPECT_EQ(Pc(), Symbol("finish"));
    EXPECT_THAT(outcomes_,
                ElementsAre(StopOutcome::RunsOn, StopOutcome::RunsOn, StopOutcome::RunsOn, StopOutcome::RunsOn,
                            StopOutcome::RunsOn, StopOutcome::Shown));
    EXPECT_THAT(shown_, ElementsAre(HALT_BREAKPOINT));
    ExpectImageIntact();
}

TEST_P(RunControl, AHaltWaitsForTheStopThenRefreshes)
{
    ASSERT_EQ(EmuSetPC({Symbol("forever"), ADDR_SPACE_TARGET}), EMU_OK);
    SetBp(Symbol("finish"));
    ClearRecords();
    ASSERT_EQ(EmuRun(EMU_RUN_GO, {}), EMU_OK);
    platform::PumpWait(20);
    EXPECT_EQ(CpuGetCpuStatus(0, 1) & 1, 1u) << "the loop runs";
    EXPECT_EQ(EmuSetPC({Symbol("main"), ADDR_SPACE_TARGET}), EMU_REFUSED) << "the target runs";
    EXPECT_EQ(Count(WM_EMU_REFRESH), 0);

    ASSERT_EQ(EmuHalt(), EMU_OK);
    EXPECT_EQ(CpuGetCpuStatus(0, 1) & 1, 0u) << "stopped when the halt returns";
    EXPECT_EQ(Count(WM_EMU_REFRESH), 1);
    ExpectImageIntact();  // before the stop message is handled
    ASSERT_TRUE(platform::ModalWait([this] { return !shown_.empty(); }, STOP_WAIT_MS));
    EXPECT_THAT(shown_, ElementsAre(HALT_ABORT_SWITCH));
    EXPECT_EQ(EmuIsHaltAction(), 1);
    EXPECT_EQ(EmuIsHaltAction(), 0);

    EmuHalt();
    ASSERT_EQ(EmuSetPC({image_.entry, ADDR_SPACE_TARGET}), EMU_OK);
    ASSERT_EQ(EmuRun(EMU_RUN_GO_TILL, {Symbol("work"), ADDR_SPACE_TARGET}), EMU_OK);
    EXPECT_EQ(EmuIsHaltAction(), 0) << "a go clears it";
    ASSERT_TRUE(WaitForStop());
}

TEST_P(RunControl, SetPcAlignsAndRefreshesOnce)
{
    ClearRecords();
    ASSERT_EQ(EmuSetPC({Symbol("work") + 3, ADDR_SPACE_TARGET}), EMU_OK);
    EXPECT_EQ(Pc(), Symbol("work") + (step_ == 2 ? 2 : 0));
    EXPECT_EQ(Count(WM_EMU_REFRESH), 1);
}

TEST_P(RunControl, RestartStopsAtTheStartOrRunsToItsFunction)
{
    ASSERT_EQ(EmuSetPC({Symbol("work"), ADDR_SPACE_TARGET}), EMU_OK);
    SetRestartOption(1, "");
    ClearRecords();
    EXPECT_EQ(EmuRestart(0, 0), EMU_OK);
    EXPECT_EQ(Pc(), image_.entry);
    EXPECT_EQ(Count(WM_EMU_REFRESH), 1);

    DeclareFunction("finish");
    SetRestartOption(0, "#finish");
    ASSERT_EQ(EmuRestart(0, 0), EMU_OK);
    ASSERT_TRUE(WaitForStop());
    EXPECT_EQ(Pc(), Symbol("finish"));

    SetRestartOption(0, "no_such_function");
    ClearRecords();
    EXPECT_EQ(EmuRestart(0, 0), EMU_REFUSED);
    EXPECT_EQ(Pc(), image_.entry);
    EXPECT_EQ(Count(WM_EMU_REFRESH), 1);
}

TEST_P(RunControl, ResetAlignsThePcAndDisablesInterrupts)
{
    ASSERT_EQ(EmuResetTarget({Symbol("work") + 3, ADDR_SPACE_TARGET}), EMU_OK);
    EXPECT_EQ(Pc(), Symbol("work") + (step_ == 2 ? 2 : 0));
    DWORD cpsr = 0;
    ASSERT_EQ(CpuGetRegister(VEXLOR_REG_CPSR, &cpsr), 0);
    EXPECT_EQ(cpsr & 0xC0u, 0xC0u);
    EXPECT_EQ(Count(WM_EMU_REFRESH), 0) << "the caller refreshes";
}

INSTANTIATE_TEST_SUITE_P(Code, RunControl, ::testing::Values("run_arm", "run_thumb"));

// A newlib program: its console output and heap calls are semihosting stops
// that the stop entry serves and resumes, all inside one go-till.
class SemihostingRun : public SimSession, public ::testing::WithParamInterface<const char*> {};

TEST_P(SemihostingRun, AGoTillThroughSemihostingCallsStopsAtItsAddress)
{
    Load(GetParam());
    ASSERT_EQ(EmuRun(EMU_RUN_GO_TILL, {Symbol("checkpoint"), ADDR_SPACE_TARGET}), EMU_OK);
    ASSERT_TRUE(WaitForStop());
    EXPECT_EQ(Pc(), Symbol("checkpoint"));
    EXPECT_EQ(console_, "before: 42 items, named\n");
    EXPECT_GT(outcomes_.size(), 5u);
    EXPECT_THAT(std::vector<StopOutcome>(outcomes_.begin(), outcomes_.end() - 1), Each(StopOutcome::RunsOn));
    EXPECT_THAT(shown_, ElementsAre(HALT_BREAKPOINT));
    ExpectImageIntact();

    ClearRecords();
    ASSERT_EQ(EmuRun(EMU_RUN_GO, {}), EMU_OK);
    ASSERT_TRUE(WaitForStop());
    EXPECT_THAT(console_, ::testing::MatchesRegex("after: [0-9]+\nStop Emulation for Application Exit!\n"));
    DWORD reason = 0, status = 1;
    ASSERT_EQ(SemihostGetExit(&reason, &status), 1);
    EXPECT_EQ(reason, SEMIHOST_REASON_APPLICATION_EXIT);
    EXPECT_EQ(status, 0u);
    ExpectImageIntact();

    // The PC stays on the program's last call: a go repeats its end.
    ClearRecords();
    ASSERT_EQ(EmuRun(EMU_RUN_GO, {}), EMU_OK);
    EXPECT_EQ(Count(WM_EMU_REFRESH), 1);
    EXPECT_EQ(console_, "Stop Emulation for Application Exit!\n");
    EXPECT_EQ(SemihostGetExit(nullptr, nullptr), 1);
}

INSTANTIATE_TEST_SUITE_P(Code, SemihostingRun, ::testing::Values("gotill_arm", "gotill_thumb"));

// The host streams a program leaves open are closed when it is reset (here
// with its load): each run finds the 64 slots free but the console's three.
class HostFilesRun : public SimSession {};

TEST_F(HostFilesRun, AResetClosesTheStreamsTheProgramLeftOpen)
{
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        Load("leak_arm");
        ASSERT_EQ(EmuRun(EMU_RUN_GO, {}), EMU_OK);
        ASSERT_TRUE(WaitForStop());
        EXPECT_EQ(console_, "left open: 61\nStop Emulation for Application Exit!\n");
    }
}

}  // namespace
}  // namespace sarvik::test

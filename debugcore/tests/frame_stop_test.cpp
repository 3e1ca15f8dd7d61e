// The main frame's stop handling against scripted debugger-core entries:
// which stops run on, which are shown, and what is called in which order.
#include <gmock/gmock.h>

#include <string>
#include <vector>

#include "emu_messages.h"
#include "fake_target.h"
#include "sarvik.h"
#include "sarvik/frame_stop.h"

namespace sarvik::test {
namespace {

using ::testing::ElementsAre;

// The script of the entries and what they were asked.
struct Script {
    int busy = 0;
    int stopped = EMU_STOP_HALTED;
    BPT_MARK markAtPc = BPT_MARK_NONE;
    BPT_MARK markBelow = BPT_MARK_NONE;  // two bytes below the PC
    int hit = 0;
    int haltAction = 0;
    EmuResult runResult = EMU_OK;
    std::vector<std::string> calls;
};
Script g_script;

int TargetStopped()
{
    g_script.calls.push_back("stopped");
    return g_script.stopped;
}
BPT_MARK FindBp(const ADDR* at, ADDR, CBpData**)
{
    const bool below = at->off != Fake().pc;
    g_script.calls.push_back(below ? "find pc-2" : "find pc");
    return below ? g_script.markBelow : g_script.markAtPc;
}
int CheckHit(const ADDR*)
{
    g_script.calls.push_back("hit");
    return g_script.hit;
}
int IsHaltAction()
{
    g_script.calls.push_back("halt?");
    return g_script.haltAction;
}
EmuResult Run(int mode, ADDR)
{
    g_script.calls.push_back("run " + std::to_string(mode));
    return g_script.runResult;
}
int IsBusy()
{
    return g_script.busy;
}
EmuResult RemoveTemp(ADDR)
{
    g_script.calls.push_back("remove temp");
    return EMU_OK;
}

const StopEntries kEntries = {&TargetStopped, &FindBp, &CheckHit, &IsHaltAction, &Run, &IsBusy, &RemoveTemp};

class Display : public StopDisplay {
public:
    void ShowHalt(uint16_t cause, const char* text) override
    {
        g_script.calls.push_back("show " + std::to_string(cause) + " " + text);
    }
    void Refresh() override { g_script.calls.push_back("refresh"); }
};

struct Case {
    const char* name;
    Script script;
    LPARAM cause;
    StopOutcome outcome;
    std::vector<std::string> calls;
};

class FrameStop : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        Fake().Reset();
        Fake().pc = 0x8010;
    }
};

TEST_P(FrameStop, DecidesAndCallsInOrder)
{
    g_script = GetParam().script;
    Display display;
    const uint32_t finished = FrameStopsFinished();
    EXPECT_EQ(HandleTargetStop(kEntries, display, EMU_ERROR_REFRESH_AFTER, GetParam().cause), GetParam().outcome);
    EXPECT_EQ(g_script.calls, GetParam().calls);
    // Every outcome counts once, the run that goes on included: a waiter
    // compares the count with the runs started.
    EXPECT_EQ(FrameStopsFinished() - finished, 1u);
}

Script With(void (*change)(Script&))
{
    Script s;
    change(s);
    return s;
}

const std::string kShownBreak = "show 128 Halt by breakpoint!";

INSTANTIATE_TEST_SUITE_P(
    Stops, FrameStop,
    ::testing::Values(Case{"a step command takes its own stops",
                           With([](Script& s) { s.busy = 1; }),
                           HALT_BREAKPOINT,
                           StopOutcome::StepEngine,
                           {}},
                      Case{"a served semihosting call",
                           With([](Script& s) { s.stopped = EMU_STOP_RESUMED; }),
                           HALT_BREAKPOINT,
                           StopOutcome::RunsOn,
                           {"stopped"}},
                      Case{"the program's end is shown without a breakpoint test",
                           With([](Script& s) { s.stopped = EMU_STOP_EXITED; }),
                           HALT_BREAKPOINT,
                           StopOutcome::Shown,
                           {"stopped", "remove temp", kShownBreak, "refresh"}},
                      Case{"a count not reached runs on from the PC",
                           With([](Script& s) { s.markAtPc = BPT_MARK_SW_ENABLED; }),
                           HALT_BREAKPOINT,
                           StopOutcome::RunsOn,
                           {"stopped", "find pc", "hit", "halt?", "run 1"}},
                      Case{"a count not reached after a halt is shown",
                           With([](Script& s) {
                               s.markAtPc = BPT_MARK_SW_ENABLED;
                               s.haltAction = 1;
                           }),
                           HALT_BREAKPOINT,
                           StopOutcome::Shown,
                           {"stopped", "find pc", "hit", "halt?", "remove temp", kShownBreak, "refresh"}},
                      Case{"a hit is shown",
                           With([](Script& s) {
                               s.markAtPc = BPT_MARK_UNIT_ENABLED;
                               s.hit = BPT_HIT_TEMPORARY;
                           }),
                           HALT_BREAKPOINT,
                           StopOutcome::Shown,
                           {"stopped", "find pc", "hit", "remove temp", kShownBreak, "refresh"}},
                      Case{"a disabled breakpoint is shown",
                           With([](Script& s) { s.markAtPc = BPT_MARK_SW_DISABLED; }),
                           HALT_BREAKPOINT,
                           StopOutcome::Shown,
                           {"stopped", "find pc", "remove temp", kShownBreak, "refresh"}},
                      Case{"an enabled breakpoint two bytes below runs on",
                           With([](Script& s) { s.markBelow = BPT_MARK_SW_ENABLED; }),
                           HALT_BREAKPOINT,
                           StopOutcome::RunsOn,
                           {"stopped", "find pc", "find pc-2", "halt?", "run 1"}},
                      Case{"but not after the user's halt",
                           With([](Script& s) { s.markBelow = BPT_MARK_SW_ENABLED; }),
                           HALT_ABORT_SWITCH,
                           StopOutcome::Shown,
                           {"stopped", "find pc", "remove temp", "show 284 Halt by Pressing Abort Switch!", "refresh"}},
                      Case{"a run again that fails is shown",
                           With([](Script& s) {
                               s.markAtPc = BPT_MARK_SW_ENABLED;
                               s.runResult = EMU_TARGET_LOST;
                           }),
                           HALT_BREAKPOINT,
                           StopOutcome::Shown,
                           {"stopped", "find pc", "hit", "halt?", "run 1", "remove temp", kShownBreak, "refresh"}},
                      Case{"the normal end",
                           Script{},
                           HALT_TRAP_VECTOR,
                           StopOutcome::Shown,
                           {"stopped", "find pc", "find pc-2", "remove temp",
                            "show 28 Halt by Trap Vector Instruction!", "refresh"}}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST(FrameStopDisplay, RefreshesOnlyWhenTheStopAsksAndTellsEveryCause)
{
    Fake().Reset();
    g_script = Script{};
    Display display;
    HandleTargetStop(kEntries, display, 0, HALT_BREAKPOINT | 0x10000);
    EXPECT_THAT(g_script.calls, ElementsAre("stopped", "find pc", "find pc-2", "remove temp", kShownBreak))
        << "the cause is the low word; no refresh without bit 31";

    EXPECT_STREQ(HaltCauseText(0), "Halt by Unsupported Exception!");
    EXPECT_STREQ(HaltCauseText(5), "Halt by Unsupported Exception!");
    EXPECT_STREQ(HaltCauseText(32), "Halt by Privledge Violation!");
    EXPECT_STREQ(HaltCauseText(56), "Halt by Format Error !");
    EXPECT_STREQ(HaltCauseText(60), "Halt by Format Error !");
    EXPECT_STREQ(HaltCauseText(4), "Halt by Board Reset!");
}

}  // namespace
}  // namespace sarvik::test

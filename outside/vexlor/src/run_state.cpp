// The run state, asked of the target on every call, and the announcement of
// the end of a free run to the main frame.
#include <platform/win32.h>

#include "cpu_model.h"
#include "emu_messages.h"
#include "falcrest.h"
#include "vexlor/vexlor.h"

namespace vexlor {

// The main frame shows the text of the cause (and, for a break word, first
// asks the breakpoint manager whether a count or condition lets the run go
// on).
HaltCause HaltCauseForStop(int reason)
{
    switch (reason) {
    case SIM_STOP_BREAK_WORD: return HALT_BREAKPOINT;
    case SIM_STOP_NORMAL_END:
        // The program ended on its SWI 0x11: a trap instruction stopped it.
        return HALT_TRAP_VECTOR;
    case SIM_STOP_HALT_REQUEST:
        // The user's halt (Halt command, Esc, close).
        return HALT_ABORT_SWITCH;
    case SIM_STOP_SELF_MODIFY:
        // The simulated machine's own consistency check fired.
        return HALT_MACHINE_CHECK;
    case SIM_STOP_RESET:
        // The program reset the whole simulator through the control register.
        return HALT_BOARD_RESET;
    default: return static_cast<HaltCause>(0);  // shown as an unsupported exception
    }
}

namespace {

// On the simulator's run thread: post only. A send would block the run
// thread on the GUI thread, which may itself be waiting for the run to end.
void AnnounceStop(void*, int reason, int, uint32_t)
{
    if (HWND frame = Model().mainFrame.load())
        PostMessage(frame, WM_EMU_ERROR, EMU_ERROR_REFRESH_AFTER, HaltCauseForStop(reason));
    Model().stopsHeard.fetch_add(1, std::memory_order_release);
}

DWORD TargetRunState()
{
    char stopped = 1;
    // Without a target nothing runs.
    if (emuGetCpuStatus(&stopped) != EMU_OK)
        return 0;
    return stopped ? 0 : 1;
}

// The target's notice that a free run started (after its go was taken: the
// run may already have ended).
int RunStarted(int running)
{
    if (running)
        Model().runsStarted.fetch_add(1, std::memory_order_release);
    return CpuSetCpuStatus(running);
}

}  // namespace

void RegisterWithTarget()
{
    emuRegisterStopHook(&AnnounceStop, nullptr);
    emuRegisterRunStateHook(&RunStarted);
}

}  // namespace vexlor

using namespace vexlor;

extern "C" {

DWORD CpuGetCpuStatus(int, int)
{
    return TargetRunState();
}

DWORD CpuGetCpuStatus1(void)
{
    return TargetRunState();
}

DWORD CpuGetStopCount(void)
{
    return Model().stopsHeard.load(std::memory_order_acquire);
}

DWORD CpuGetRunCount(void)
{
    return Model().runsStarted.load(std::memory_order_acquire);
}

// A caller's word on the run state (Falcrest's go, a step command's
// bracket) changes nothing: the state reported is always the target's.
int CpuSetCpuStatus(int)
{
    return 0;
}

}  // extern "C"

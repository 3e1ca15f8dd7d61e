#include "sarvik/frame_stop.h"

#include <atomic>

#include "emu_messages.h"
#include "platform/win32.h"
#include "sarvik.h"
#include "vexlor/vexlor.h"

namespace sarvik {

namespace {

bool Enabled(BPT_MARK mark)
{
    return mark == BPT_MARK_SW_ENABLED || mark == BPT_MARK_UNIT_ENABLED;
}

std::atomic<uint32_t> g_stopsFinished{0};

// Counts the handler's end on every path. Release: what the handler did to
// the debugger core and the target is seen by whoever reads the new count.
struct FinishedStop {
    ~FinishedStop() { g_stopsFinished.fetch_add(1, std::memory_order_release); }
};

}  // namespace

const char* HaltCauseText(unsigned cause)
{
    switch (cause) {
    case HALT_BOARD_RESET: return "Halt by Board Reset!";
    case HALT_BUS_ERROR: return "Halt by Bus Error!";
    case HALT_ADDRESS_ERROR: return "Halt by Address Error!";
    case HALT_ILLEGAL_INSTRUCTION: return "Halt by Illegal Instruction!";
    case HALT_ZERO_DIVIDE: return "Halt by Zero Divide!";
    case HALT_MACHINE_CHECK: return "Halt by Machine Check!";
    case HALT_TRAP_VECTOR: return "Halt by Trap Vector Instruction!";
    case HALT_PRIVILEGE_VIOLATION: return "Halt by Privledge Violation!";
    case HALT_STEPPING: return "Halt by Stepping!";
    case HALT_A_LINE: return "Halt by A-Line Emulator!";
    case HALT_F_LINE: return "Halt by F-Line Emulator!";
    case HALT_HARDWARE_BREAKPOINT: return "Halt by Hardware Breakpoint!";
    case HALT_COPROCESSOR_PROTOCOL: return "Halt by Co-Processor Protocol Violation!";
    case HALT_FORMAT_ERROR:
    case HALT_FORMAT_ERROR_2: return "Halt by Format Error !";
    case HALT_BREAKPOINT: return "Halt by breakpoint!";
    case HALT_ABORT_SWITCH: return "Halt by Pressing Abort Switch!";
    default: return "Halt by Unsupported Exception!";
    }
}

uint32_t FrameStopsFinished()
{
    return g_stopsFinished.load(std::memory_order_acquire);
}

bool StopAwaitsHandling()
{
    MSG waiting;
    return PeekMessage(&waiting, nullptr, WM_EMU_ERROR, WM_EMU_ERROR, PM_NOREMOVE) != FALSE;
}

RunMark MarkRuns()
{
    return {FrameStopsFinished(), CpuGetRunCount()};
}

bool RunsSettled(const RunMark& mark)
{
    // In this order: a run started again by a stop's handling counts before
    // the handling does.
    const uint32_t handled = FrameStopsFinished() - mark.stopsFinished;
    const uint32_t started = CpuGetRunCount() - mark.runsStarted;
    if (CpuGetCpuStatus(0, 0) & 1)
        return false;
    return static_cast<int32_t>(handled - started) >= 0;
}

StopOutcome HandleTargetStop(const StopEntries& core, StopDisplay& display, WPARAM wParam, LPARAM lParam)
{
    const FinishedStop finished;
    const unsigned cause = static_cast<unsigned>(lParam) & 0xFFFFu;
    if (core.isBusy())
        return StopOutcome::StepEngine;
    const int stopped = core.targetStopped();
    if (stopped == EMU_STOP_RESUMED)
        return StopOutcome::RunsOn;

    DWORD pc = 0;
    if (stopped != EMU_STOP_EXITED && CpuGetPC(&pc) == 0) {
        const ADDR at{pc, ADDR_SPACE_TARGET};
        const BPT_MARK mark = core.findBp(&at, {}, nullptr);
        bool again = false;
        if (Enabled(mark)) {
            again = core.checkHit(&at) == 0 && core.isHaltAction() == 0;
        } else if (mark == BPT_MARK_NONE && cause != HALT_ABORT_SWITCH) {
            // A break reported past an enabled Thumb breakpoint's halfword:
            // the run goes on, unless the user halted.
            const ADDR below{pc - 2, ADDR_SPACE_TARGET};
            again = core.findBp(&below, {}, nullptr) == BPT_MARK_SW_ENABLED && core.isHaltAction() == 0;
        }
        if (again && core.run(EMU_RUN_GO, ADDR{}) == EMU_OK)
            return StopOutcome::RunsOn;
    }
    // The go-till, if any, ends with the shown stop.
    core.removeTempBp({});
    display.ShowHalt(static_cast<uint16_t>(cause), HaltCauseText(cause));
    if (wParam & EMU_ERROR_REFRESH_AFTER)
        display.Refresh();
    return StopOutcome::Shown;
}

}  // namespace sarvik

// What the main frame does when the target stops (WM_EMU_ERROR, posted by
// the CPU-model library at the end of a free run): the debugger core's stop
// entry (break words out, semihosting served), then the count and condition
// test of the breakpoint at the PC, which may start the run again, then the
// halt display. Qt-free: the program's main frame and the headless runner
// share it, and the libraries that wait for a stop's handling read its count
// (one copy per process: a shared library). Stops during a step command belong to the step engine.
#pragma once

#include <cstdint>

#include "emu_types.h"
#include "sarvik.h"
#include "sarvik/bp_records.h"
#include "win_types.h"

namespace sarvik {

// The debugger core's entries that the handler calls (bound by name or by
// ordinal).
struct StopEntries {
    int (*targetStopped)(void);                        // EmuTargetStopped
    BPT_MARK (*findBp)(const ADDR*, ADDR, CBpData**);  // BptFindBp
    int (*checkHit)(const ADDR*);                      // BptCheckHit
    int (*isHaltAction)(void);                         // EmuIsHaltAction
    EmuResult (*run)(int, ADDR);                       // EmuRun
    int (*isBusy)(void);                               // EmuIsBusy
    EmuResult (*removeTempBp)(ADDR);                   // RemoveTempBp
};

// The entries of the sarvik library the program links (only a caller that
// links it may call this; the handler itself needs only the headers).
inline StopEntries LinkedStopEntries()
{
    return {&EmuTargetStopped, &BptFindBp, &BptCheckHit, &EmuIsHaltAction, &EmuRun, &EmuIsBusy, &RemoveTempBp};
}

// The frame's side of a shown stop.
class StopDisplay {
public:
    virtual ~StopDisplay() = default;
    // The halt cause's text for the status bar (and the automation event).
    virtual void ShowHalt(uint16_t cause, const char* text) = 0;
    // The views show the stop (WM_EMU_REFRESH to the frame), when the stop
    // message asked for it (wParam bit 31).
    virtual void Refresh() = 0;
};

enum class StopOutcome {
    StepEngine,  // a step command runs: its engine takes the stop
    RunsOn,      // served (semihosting) or run again (a count or condition)
    Shown,       // the target stays stopped and the halt is shown
};

// The handler of WM_EMU_ERROR (wParam, lParam as posted).
StopOutcome HandleTargetStop(const StopEntries& core, StopDisplay& display, WPARAM wParam, LPARAM lParam);

// The number of stops the handler has finished in this process (whatever
// their outcome; it moves after the halt display and the refresh). Another
// thread that started a run waits for it to move as far as the CPU model's
// run count: then the stop's break words and go-till breakpoint are out of
// target memory and the views have read the target.
uint32_t FrameStopsFinished();

// The counts before a run is started on the GUI thread: the stops handled
// and the CPU model's runs started.
struct RunMark {
    uint32_t stopsFinished;
    uint32_t runsStarted;
};
RunMark MarkRuns();

// True once the target is stopped and every run started since the mark has
// had its stop handled. A semihosting call stops the target and its
// handling runs it on: until then the target's state alone would say the
// run is over.
bool RunsSettled(const RunMark& mark);

// True while the end of a run waits in the calling (GUI) thread's queue
// for this handler: the target is stopped, but its stop is not handled yet.
// The handling of a semihosting call runs the target on, and the break
// words stay in target memory until the handling takes them out: until then
// the program's windows may go on treating the target as running.
bool StopAwaitsHandling();

// The text of a halt cause (the low 16 bits of the message's lParam).
const char* HaltCauseText(unsigned cause);

}  // namespace sarvik

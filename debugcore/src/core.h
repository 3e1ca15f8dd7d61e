// The debugger core's state and its one owner: the main window, the kernel
// view binding, the target configuration, the run flags, the breakpoint
// list, the watchpoint units, the planted sites, semihosting with the
// program's host files, and the listeners of the target notices. The
// exports and the step engine reach it through Core(). GUI thread only.
#pragma once

#include <string>
#include <vector>

#include "bp_list.h"
#include "host_files.h"
#include "notices.h"
#include "planting.h"
#include "sarvik.h"
#include "semihosting.h"
#include "watch_units.h"

namespace sarvik {

// What EMU_TARGET_CONFIG sets, with the values used before the first record.
struct TargetConfig {
    int breakInSteps = 1;        // word 0 bit 0: BptCheckHit ends a step
    int singleStepCalls = 0;     // word 0 bit 1: Step Over steps into calls
    bool hwBreakpoints = false;  // word 0 bit 2: temporary breakpoints on a watchpoint unit
    int semihostOption = 1;      // word 0 >> 8 (arithmetic): served when 1
    uint32_t semihostVector = 8;
    uint32_t topOfMemory = 0x00080000;
    uint32_t protocol = EMU_PROTOCOL_PELLITON;
    uint32_t catchMask = EMU_CATCH_DEFAULT;
};

// The flags of the run and step commands.
struct RunState {
    int runCommandActive = 0;            // a step command runs its loop (EmuIsBusy)
    int stepping = 0;                    // a step loop may go on
    int haltAction = 0;                  // a halt was given since the last go
    unsigned halts = 0;                  // halts given: one given while a semihosting call waited stops there
    bool freeRun = false;                // the current run plants nothing
    bool tillActive = false;             // a go-till's temporary breakpoint is set (AddTempBp)
    uint32_t tillOffset = 0;             // ... at this address
    int sourceLevel = 0;                 // step by source line
    int restartStopAtEntry = 0;          // Restart stops at the image's start
    std::string restartSymbol = "main";  // else Restart runs to this function
    DWORD stopsTaken = 0;                // the CPU model's count of run ends the step engine took last
};

class DebugCore {
public:
    DebugCore() = default;
    DebugCore(const DebugCore&) = delete;
    DebugCore& operator=(const DebugCore&) = delete;

    HWND mainWindow = nullptr;
    HMODULE kernelView = nullptr;
    GetTaskInfoFn getTaskInfo = nullptr;
    TargetConfig config;
    RunState run;
    BreakpointList breakpoints;
    WatchUnits units;
    // Planted break instructions, oldest first (planting.h).
    std::vector<PlantedSite> planted;
    SemihostState semihost;
    HostFiles files;
    TargetNotices notices;
    bool runNoticed = false;  // the listeners were told Running last

    // The state of a freshly loaded library: every record deleted (no
    // target call), both watchpoint units reset, nothing planted, the
    // defaults above, no main window, the kernel view freed, no listener.
    void Reset();
    // Messages to the main window (nothing without one).
    LRESULT SendToMain(UINT msg, WPARAM wParam, LPARAM lParam) const;
    // The target notices. Running and Stopped are given at a change of the
    // state the listeners were told last: a go after a shown stop, the stop
    // after a run (one per run, however many parties take it), not a run
    // resumed by the stop entry or a step command's own go-tills.
    void NoteRunning();
    void NoteStopped(int stop);
    void NoteChanged();
    void FreeKernelView();
};

// The one instance; it outlives the library's exit (which resets it).
DebugCore& Core();

// Core().Reset(): also the library's exit and the tests' fresh start.
void ResetLibrary();

// Core().SendToMain.
LRESULT SendToMain(UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace sarvik

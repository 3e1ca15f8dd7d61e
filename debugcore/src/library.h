// sarvik's process-wide state: the main window, the kernel view binding, the
// target configuration and the run flags. GUI thread only.
#pragma once

#include <string>

#include "sarvik.h"

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
    bool freeRun = false;                // the current run plants nothing
    bool tillActive = false;             // a go-till's temporary breakpoint is set (AddTempBp)
    uint32_t tillOffset = 0;             // ... at this address
    int sourceLevel = 0;                 // step by source line
    int restartStopAtEntry = 0;          // Restart stops at the image's start
    std::string restartSymbol = "main";  // else Restart runs to this function
};

struct Library {
    HWND mainWindow = nullptr;
    HMODULE kernelView = nullptr;
    GetTaskInfoFn getTaskInfo = nullptr;
    TargetConfig config;
    RunState run;
};

Library& Lib();

// The state of a freshly loaded library: every record deleted (no target
// call), both watchpoint units reset, nothing planted, the defaults above,
// no main window, the kernel view freed. Also the library's exit.
void ResetLibrary();

// Messages to the main window (nothing without one).
LRESULT SendToMain(UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace sarvik

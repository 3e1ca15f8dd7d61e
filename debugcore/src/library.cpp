// Library set-up: the main window, the kernel view and the target
// configuration.
#include "core.h"

#include <platform/win32.h>

#include "bp_collection.h"
#include "exception_catch.h"

using namespace sarvik;

extern "C" {

intptr_t EmuInit(HWND mainWindow)
{
    DebugCore& lib = Core();
    lib.mainWindow = mainWindow;
    // The breakpoint collection of this connection, holding the records
    // already set (a new connection replaces the one before).
    lib.breakpoints.AttachCollection(new BreakpointCollection(kBreakpointCollectionSlots, 0));
    SemihostProgramStarts();
    lib.FreeKernelView();
    lib.kernelView = LoadLibrary("Corvane.dll");
    if (!lib.kernelView)
        return 0;
    lib.getTaskInfo = reinterpret_cast<GetTaskInfoFn>(GetProcAddress(lib.kernelView, "GetTaskInfo"));
    return reinterpret_cast<intptr_t>(lib.getTaskInfo);
}

int EmuSetTargetConfig(const EMU_TARGET_CONFIG* record)
{
    if (!record)
        return 0;
    TargetConfig& config = Core().config;
    const uint32_t options = record->options;
    config.breakInSteps = (options & EMU_CFG_BREAK_IN_STEPS) ? 1 : 0;
    config.singleStepCalls = (options & EMU_CFG_STEP_CALLS) ? 1 : 0;
    config.hwBreakpoints = (options & EMU_CFG_HW_BREAKPOINTS) != 0;
    config.semihostOption = static_cast<int32_t>(options) >> EMU_CFG_SEMIHOST_SHIFT;
    config.topOfMemory = record->topOfMemory;
    config.semihostVector = record->semihostVector;
    config.protocol = record->protocol;
    if ((record->exceptionCatch ^ config.catchMask) & EMU_CATCH_HIGH_VECTORS)
        ClearCatchBreakpoints(config.catchMask);
    config.catchMask = record->exceptionCatch;
    PlantCatchBreakpoints(true);
    Core().units.ReserveUnit1();
    return static_cast<int>(options);
}

IDispatch* BptGetBkptCollection(void)
{
    BreakpointCollection* collection = Core().breakpoints.Collection();
    if (!collection)
        return nullptr;
    IDispatch* dispatch = nullptr;
    if (FAILED(collection->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
        return nullptr;
    return dispatch;
}

int EmuIsBusy(void)
{
    return Core().run.runCommandActive;
}

int EmuSetSourceLevel(int level)
{
    Core().run.sourceLevel = level;
    return level;
}

}  // extern "C"

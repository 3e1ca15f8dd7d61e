// Library set-up: the main window, the kernel view, the target
// configuration, and the library's exit.
#include "library.h"

#include <platform/win32.h>

#include "bp_list.h"
#include "exception_catch.h"
#include "planting.h"
#include "semihosting.h"
#include "watch_units.h"

namespace sarvik {

namespace {

void FreeKernelView()
{
    Library& lib = Lib();
    if (lib.kernelView)
        FreeLibrary(lib.kernelView);
    lib.kernelView = nullptr;
    lib.getTaskInfo = nullptr;
}

// The library's exit when it is unloaded: the records are deleted from the
// tail and the kernel view freed. The target is not touched.
struct LibraryExit {
    ~LibraryExit() { ResetLibrary(); }
};
const LibraryExit g_exit;

}  // namespace

Library& Lib()
{
    static auto* lib = new Library;  // the state outlives the exit below
    return *lib;
}

void ResetLibrary()
{
    ForgetAllPlanted();
    List().RemoveAll();
    Units().Reset();
    FreeKernelView();
    ResetSemihosting();
    Library& lib = Lib();
    lib.mainWindow = nullptr;
    lib.config = TargetConfig{};
    lib.run = RunState{};
}

LRESULT SendToMain(UINT msg, WPARAM wParam, LPARAM lParam)
{
    HWND window = Lib().mainWindow;
    return window ? SendMessage(window, msg, wParam, lParam) : 0;
}

}  // namespace sarvik

using namespace sarvik;

extern "C" {

intptr_t EmuInit(HWND mainWindow)
{
    Library& lib = Lib();
    lib.mainWindow = mainWindow;
    SemihostProgramStarts();
    FreeKernelView();
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
    TargetConfig& config = Lib().config;
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
    Units().ReserveUnit1();
    return static_cast<int>(options);
}

int EmuIsBusy(void)
{
    return Lib().run.runCommandActive;
}

int EmuSetSourceLevel(int level)
{
    Lib().run.sourceLevel = level;
    return level;
}

}  // extern "C"

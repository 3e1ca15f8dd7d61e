#include "core.h"

#include <platform/win32.h>

namespace sarvik {

namespace {

// The library's exit when it is unloaded: the records are deleted from the
// tail and the kernel view freed. The target is not touched.
struct LibraryExit {
    ~LibraryExit() { ResetLibrary(); }
};
const LibraryExit g_exit;

}  // namespace

DebugCore& Core()
{
    static auto* core = new DebugCore;  // the state outlives the exit above
    return *core;
}

void DebugCore::FreeKernelView()
{
    if (kernelView)
        FreeLibrary(kernelView);
    kernelView = nullptr;
    getTaskInfo = nullptr;
}

void DebugCore::Reset()
{
    planted.clear();
    breakpoints.ReleaseCollection();
    breakpoints.RemoveAll();
    units.Reset();
    FreeKernelView();
    ResetSemihosting();
    mainWindow = nullptr;
    config = TargetConfig{};
    run = RunState{};
    notices.Clear();
    runNoticed = false;
}

void DebugCore::NoteRunning()
{
    if (runNoticed)
        return;
    runNoticed = true;
    notices.Notify({TargetEvent::Running, 0});
}

void DebugCore::NoteStopped(int stop)
{
    if (!runNoticed)
        return;
    runNoticed = false;
    notices.Notify({TargetEvent::Stopped, stop});
}

void DebugCore::NoteChanged()
{
    notices.Notify({TargetEvent::Changed, 0});
}

LRESULT DebugCore::SendToMain(UINT msg, WPARAM wParam, LPARAM lParam) const
{
    return mainWindow ? SendMessage(mainWindow, msg, wParam, lParam) : 0;
}

void ResetLibrary()
{
    Core().Reset();
}

LRESULT SendToMain(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return Core().SendToMain(msg, wParam, lParam);
}

}  // namespace sarvik

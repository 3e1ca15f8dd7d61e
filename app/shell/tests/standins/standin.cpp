// A stand-in for one optional library of the shell: the entry points it is
// bound by, each recording that it was called.
#include <cstdint>

#include "win_types.h"

#define ZK_EXPORT extern "C" __attribute__((visibility("default")))

ZK_EXPORT int zk_standin_calls = 0;
// The window the last window entry point was given.
ZK_EXPORT HWND zk_standin_window = nullptr;

#if defined(STANDIN_SORVEL)
ZK_EXPORT int Sorvel_Main(HWND window)
{
    zk_standin_window = window;
    return ++zk_standin_calls;
}
#elif defined(STANDIN_HOOK)
ZK_EXPORT int HookOpen(HWND window)
{
    zk_standin_window = window;
    return ++zk_standin_calls;
}
#elif defined(STANDIN_HALVEK)
ZK_EXPORT uint32_t PeriInit()
{
    return 0;
}
ZK_EXPORT uint32_t PeriOpenWindow(HWND, HWND*)
{
    return 0;
}
ZK_EXPORT uint32_t PeriRefreshWindow()
{
    return 0;
}
#elif defined(STANDIN_MIROBEL)
ZK_EXPORT int DoFlashProgramming()
{
    return ++zk_standin_calls;
}
#elif defined(STANDIN_BUILDTOOL)
// Two of the five entry points: the others stay null.
ZK_EXPORT void* TCBuild(void*)
{
    return nullptr;
}
ZK_EXPORT void TCStopBuild() {}
#endif

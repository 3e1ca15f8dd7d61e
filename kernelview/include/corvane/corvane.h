// libCorvane.so, the kernel view: the two entry points that the main
// program and the debugger core bind by name ("Corvane.dll"), and the hook
// by which the kernel window's code makes its window.
#pragma once

#include "kernel_tasks.h"

extern "C" {

// Opens, raises or refreshes the kernel window. Mode 2 (after a stop) only
// refreshes an open window and returns 0 when there is none; other modes
// raise and refresh an open window, or create one. Nonzero on success.
int TaskOpenWindow(int mode);
// See kernel_tasks.h.
int GetTaskInfo(unsigned code, void** io);

}  // extern "C"

namespace corvane {

// What the kernel window's code offers: creating the window (with its first
// refresh, which reads the target), raising it, refreshing all its views.
class KernelWindowHost {
public:
    virtual ~KernelWindowHost() = default;
    // The new window, nullptr when it could not be made.
    virtual void* Create() = 0;
    virtual void Raise(void* window) = 0;
    // The refresh result: nonzero on success.
    virtual int Refresh(void* window) = 0;
};

// Registers the window's code (nullptr: none; window creation then fails).
void SetWindowHost(KernelWindowHost* host);
// The kernel window was destroyed: window pointer and open flag cleared.
void WindowDestroyed();

}  // namespace corvane

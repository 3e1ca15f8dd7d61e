// Window timers: SetTimer(hwnd, id, ms) makes the window receive WM_TIMER
// with wParam id every `ms` through its queue (so the nested pumps take them
// out instead of dispatching them); the same id replaces the running timer.
// The Qt layer installs a backend of Qt timers; without one the timers are
// kept in a table that tests fire by id.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32.h"

using UINT_PTR = uintptr_t;
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

namespace platform {

class TimerBackend {
public:
    virtual ~TimerBackend() = default;
    virtual void Start(HWND hwnd, UINT_PTR id, UINT ms) = 0;
    virtual void Stop(HWND hwnd, UINT_PTR id) = 0;
};
// Installs a backend (null: the table) and returns the previous one.
TimerBackend* SetTimerBackend(TimerBackend* backend);

struct TimerEntry {
    HWND hwnd;
    UINT_PTR id;
    UINT ms;
};
std::vector<TimerEntry> ActiveTimers();
// Posts WM_TIMER for a running timer (tests); false when it does not run.
bool FireTimer(HWND hwnd, UINT_PTR id);
// Stops every timer of a window (a destroyed window's timers die with it).
void KillTimers(HWND hwnd);

}  // namespace platform

extern "C" {
// The id on success, 0 for a dead window.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT ms, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);
}

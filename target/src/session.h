// Falcrest's process-wide state: the bound simulator, the access size, the
// peripheral base record and the hooks registered by the libraries above.
// Set up and changed on the GUI thread. Calls into the simulator may come
// from the GUI thread and from a worker (the flash programmer's chunk
// worker): one lock serialises them. The run state and the halt do not take
// it: the simulator's stop hook asks the state on its run thread, and a halt
// waits for that thread, so neither may wait behind a caller that holds it.
#pragma once

#include <cstdint>
#include <mutex>

#include "falcrest.h"

namespace falcrest {

using SimCommandFn = int (*)(int, intptr_t, intptr_t, intptr_t, intptr_t);
using SimSetStopHookFn = void (*)(SimStopHook, void*);

struct PeriBase {
    uint32_t current = EMU_PERI_BASE_DEFAULT;
    uint32_t reset = EMU_PERI_BASE_DEFAULT;
    uint32_t mask = EMU_PERI_BASE_DEFAULT;
};

struct Session {
    HMODULE simLibrary = nullptr;
    SimCommandFn simCommand = nullptr;
    SimSetStopHookFn simSetStopHook = nullptr;
    bool simulatorSelected = false;  // once a connection was opened; never cleared
    uint16_t accessSize = 4;
    PeriBase peri;
    EMU_VERIFY_ERROR verifyError = {};
    uint32_t memCacheOptions[2] = {};

    SimStopHook stopHook = nullptr;
    void* stopContext = nullptr;
    EmuRunStateHook runStateHook = nullptr;
    EmuPeriResetHook periResetHook = nullptr;

    // Serialises every simulator command but the run state and the halt.
    std::mutex simLock;
};

Session& State();

// Whether an operation may reach the simulator.
inline bool Bound()
{
    const Session& s = State();
    return s.simulatorSelected && s.simCommand != nullptr;
}

// Whether a command goes to the simulator without the lock: the run state is
// one atomic word there, and the halt waits for the run thread.
inline bool LockFree(int code)
{
    return code == SIM_CMD_STATUS || code == SIM_CMD_HALT;
}

// Sends one command; the caller has checked Bound(). No lock is held across
// two commands, so no caller of Falcrest ever waits on it for long.
inline int Send(int code, intptr_t a1 = 0, intptr_t a2 = 0, intptr_t a3 = 0, intptr_t a4 = 0)
{
    Session& s = State();
    if (LockFree(code))
        return s.simCommand(code, a1, a2, a3, a4);
    std::lock_guard<std::mutex> lock(s.simLock);
    return s.simCommand(code, a1, a2, a3, a4);
}

// One command when bound, else no back end.
inline int SendBound(int code, intptr_t a1 = 0)
{
    return Bound() ? Send(code, a1) : EMU_NO_BACKEND;
}

inline intptr_t Ptr(const void* p)
{
    return reinterpret_cast<intptr_t>(p);
}

// The unit for a transfer between two addresses: the access size when both
// are multiples of it, else bytes. The simulator rounds an unaligned unit
// address down, which would move the wrong bytes.
unsigned PairUnit(uint32_t a, uint32_t b, unsigned unit);

// Moves exactly `length` bytes at `address` in units of `unit` (as chosen by
// PairUnit): the whole units, then a tail shorter than a unit byte by byte,
// so that no transfer reaches past the range. One or two commands.
int ReadUnits(uint32_t address, void* buffer, uint32_t length, unsigned unit);
int WriteUnits(uint32_t address, const void* buffer, uint32_t length, unsigned unit);

}  // namespace falcrest

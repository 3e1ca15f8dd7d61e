// Connection to the simulator library and the registration points of the
// libraries above Falcrest.
#include <platform/win32.h>

#include "session.h"

namespace falcrest {

Session& State()
{
    static Session session;
    return session;
}

namespace {

void InstallStopHook()
{
    Session& s = State();
    if (s.simSetStopHook)
        s.simSetStopHook(s.stopHook, s.stopContext);
}

}  // namespace
}  // namespace falcrest

using namespace falcrest;

extern "C" {

int NewABIDLL(int useSimulator, const char* /*port*/, int* /*baudOrPortAddress*/, const char* /*protocol*/,
              int /*logMode*/)
{
    if (!useSimulator)
        return 0;
    Session& s = State();
    if (!s.simLibrary) {
        s.simLibrary = LoadLibrary(SIM_LIBRARY_NAME);
        if (!s.simLibrary)
            return 0;
    }
    s.simCommand = reinterpret_cast<SimCommandFn>(GetProcAddress(s.simLibrary, SIM_COMMAND_ENTRY));
    // A library without the entry is no simulator: the caller refuses the
    // connection and calls ExitABIDLL, which frees it.
    if (!s.simCommand)
        return 0;
    s.simSetStopHook = reinterpret_cast<SimSetStopHookFn>(GetProcAddress(s.simLibrary, SIM_STOP_HOOK_ENTRY));
    Send(SIM_CMD_INIT);
    InstallStopHook();
    s.simulatorSelected = true;
    return 1;
}

int ExitABIDLL(void)
{
    Session& s = State();
    // The hook goes first: a close that ends a run must not announce a stop
    // to a program that is shutting the connection down.
    if (s.simSetStopHook)
        s.simSetStopHook(nullptr, nullptr);
    if (s.simCommand) {
        // The close halts a run and waits for it: the halt goes first,
        // outside the lock, so the close itself never waits under it.
        Send(SIM_CMD_HALT);
        Send(SIM_CMD_CLOSE);
    }
    s.simCommand = nullptr;
    s.simSetStopHook = nullptr;
    if (s.simLibrary)
        FreeLibrary(s.simLibrary);
    s.simLibrary = nullptr;
    return 1;
}

EmuResult emuInitialize(void)
{
    char id[8] = {};
    EmuResult r = emuGetID(id);
    return r == EMU_OK ? emuSetTraceBreak(0) : r;
}

void emuRegisterStopHook(SimStopHook hook, void* context)
{
    Session& s = State();
    s.stopHook = hook;
    s.stopContext = hook ? context : nullptr;
    InstallStopHook();
}

void emuRegisterRunStateHook(EmuRunStateHook hook)
{
    State().runStateHook = hook;
}

void emuRegisterPeriReset(EmuPeriResetHook hook)
{
    State().periResetHook = hook;
}

}  // extern "C"

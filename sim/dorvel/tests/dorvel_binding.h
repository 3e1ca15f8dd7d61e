// libDorvel.so bound the way the target library binds it: LoadLibrary
// ("Dorvel.dll") and GetProcAddress of the two entries.
#pragma once

#include <cstdint>

#include "platform/win32.h"
#include "sim_command.h"

namespace zk::test {

struct DorvelBinding {
    using Command = int (*)(int, intptr_t, intptr_t, intptr_t, intptr_t);
    using SetStopHook = void (*)(SimStopHook, void*);

    HMODULE module = nullptr;
    Command command = nullptr;
    SetStopHook setStopHook = nullptr;

    bool Bind()
    {
        module = LoadLibrary(SIM_LIBRARY_NAME);
        if (!module)
            return false;
        command = reinterpret_cast<Command>(GetProcAddress(module, SIM_COMMAND_ENTRY));
        setStopHook = reinterpret_cast<SetStopHook>(GetProcAddress(module, SIM_STOP_HOOK_ENTRY));
        return command && setStopHook;
    }
};

}  // namespace zk::test

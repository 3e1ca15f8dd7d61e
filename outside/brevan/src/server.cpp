// Start-up and shut-down of the server, and the commands it binds from the
// debugger core library.
#include <platform/win32.h>

#include "server_state.h"

namespace brevan {

namespace {

// The debugger core's text commands. The breakpoint commands have no result
// of their own: the line's result is 0 (they report through the console);
// the run commands' result is the line's.
using NoResultCommand = void (*)(int argc, char** argv);

struct CoreCommand {
    const char* word;
    const char* syntax;
    const char* entry;
    bool hasResult;
};

constexpr CoreCommand kCoreCommands[] = {
    {"BP", "BP [address]", "BptSetCmd", false},
    {"BC", "BC {address|ALL|HW0|HW1}", "BptClearCmd", false},
    {"WP", "WP [addr a] [amask m] [data d] [dmask m] [-b|-hw|-w] [fetch|access] [Read|Write] [HW0|HW1]",
     "WatchpointCmd", false},
    {"GO", "GO [FROM address] [TILL address]", "EmuGoCmd", true},
    {"STEP", "STEP [OVER] [OUT|FOREVER|count] | STEP TILL {@register|address} = value", "EmuStepCmd", true},
    {"HALT", "HALT", "EmuHaltCmd", true},
    {"RESET", "RESET [[P=]pc]", "EmuResetCmd", true},
    {"JUMP", "JUMP address", "EmuJumpCmd", true},
};

}  // namespace

}  // namespace brevan

using namespace brevan;

extern "C" {

int ShlInitServer(HWND frame, intptr_t, int flags)
{
    Server().frame = frame;
    Server().flags = flags;
    return 0;
}

int ShlStartServer(void)
{
    if (!Server().core)
        Server().core = LoadLibrary("sarvik");
    HMODULE core = Server().core;
    if (!core)
        return 0;
    for (const CoreCommand& c : kCoreCommands) {
        const FARPROC entry = GetProcAddress(core, c.entry);
        if (!entry)
            continue;
        if (c.hasResult) {
            AddCommand(c.word, c.syntax, reinterpret_cast<ShlCommandProc>(entry));
            continue;
        }
        const auto command = reinterpret_cast<NoResultCommand>(entry);
        AddCommand(c.word, c.syntax, [command](int argc, char** argv) {
            command(argc, argv);
            return 0;
        });
    }
    return 0;
}

int ShlExitServer(void)
{
    Server().commands.clear();
    if (Server().core)
        FreeLibrary(Server().core);
    Server().core = nullptr;
    Server().frame = nullptr;
    Server().flags = 0;
    return 0;
}

}  // extern "C"

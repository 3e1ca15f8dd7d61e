// Start-up and shut-down of the server, and the commands it binds from the
// debugger core library.
#include <platform/win32.h>

#include "server_state.h"

namespace brevan {

namespace {

// The debugger core's text commands. They have no result of their own: the
// line's result is 0 (they report through the console).
using NoResultCommand = void (*)(int argc, char** argv);

struct CoreCommand {
    const char* word;
    const char* syntax;
    const char* entry;
};

constexpr CoreCommand kCoreCommands[] = {
    {"BP", "BP [address]", "BptSetCmd"},
    {"BC", "BC {address|ALL|HW0|HW1}", "BptClearCmd"},
    {"WP", "WP [addr a] [amask m] [data d] [dmask m] [-b|-hw|-w] [fetch|access] [Read|Write] [HW0|HW1]",
     "WatchpointCmd"},
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
        const auto entry = reinterpret_cast<NoResultCommand>(GetProcAddress(core, c.entry));
        if (!entry)
            continue;
        AddCommand(c.word, c.syntax, [entry](int argc, char** argv) {
            entry(argc, argv);
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

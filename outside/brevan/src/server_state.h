// The shell server's process-wide state: the frame whose console takes the
// output, the start-up flags and the command table. GUI thread only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "brevan/brevan.h"

namespace brevan {

struct Command {
    std::string name;
    std::string syntax;
    CommandHandler handler;
};

struct ServerState {
    HWND frame = nullptr;
    HMODULE core = nullptr;  // the debugger core library, while its commands are bound
    int flags = 0;
    std::vector<Command> commands;
    int busy = 0;
};

ServerState& Server();

// The include command: the path of the text after the word "include", and
// the run of the file's lines (0, or -1 after its one message).
std::string IncludePathOf(std::string_view rest);
int RunIncludeFile(const std::string& path);

}  // namespace brevan

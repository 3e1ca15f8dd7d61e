// simsh: reads command lines from standard input and runs each through the
// simulator's command dispatcher with console output on; everything printed
// is what the simulator prints. "quit" or the end of the input ends it.
//
// At a terminal it shows a prompt, ends a line that the simulator's output
// left open, and turns Ctrl-C during a command into a stop request, so that
// "run" on a program that never ends comes back.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

#include "simcmd/command_language.h"
#include "simcore/simulator.h"

namespace {

zk::sim::Simulator* g_simulator = nullptr;

extern "C" void OnInterrupt(int)
{
    // RequestStop is a store to a lock-free atomic: safe in a handler.
    if (g_simulator)
        g_simulator->RequestStop();
}

}  // namespace

int main()
{
    zk::sim::Simulator simulator;
    zk::sim::CommandLanguage language(simulator);
    language.Init();
    language.Output().SetPrinting(true);

    const bool interactive = isatty(STDIN_FILENO) != 0;
    bool lineOpen = false;
    if (interactive) {
        g_simulator = &simulator;
        std::signal(SIGINT, OnInterrupt);
        language.Output().SetConsole([&lineOpen](std::string_view text) {
            std::fwrite(text.data(), 1, text.size(), stdout);
            std::fflush(stdout);
            if (!text.empty())
                lineOpen = text.back() != '\n';
        });
    }
    std::string line;
    for (;;) {
        if (interactive) {
            std::fputs(lineOpen ? "\nsim> " : "sim> ", stdout);
            std::fflush(stdout);
            lineOpen = false;
        }
        if (!std::getline(std::cin, line))
            break;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        simulator.ClearStopRequest();
        if (language.Dispatch(line) == zk::sim::CommandLanguage::kQuit)
            break;
    }
    if (interactive)
        std::fputc('\n', stdout);
    return 0;
}

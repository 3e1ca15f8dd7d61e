// What the command handlers work on: the simulator, the print routine, the
// user symbols, the history, the script file and the result of the last run.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "simcmd/command_history.h"
#include "simcmd/user_symbols.h"
#include "simcore/simulator.h"
#include "simdisasm/sim_output.h"

namespace zk::sim {

struct Session {
    explicit Session(Simulator& simulator) : sim(simulator) {}

    Simulator& sim;
    SimOutput output;
    UserSymbols symbols;
    CommandHistory history;
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, FileCloser> script;
    int lastRunResult = 0;

    void Print(std::string_view text) { output.Print(text); }
    // Printed and appended to the caller's output area.
    void Report(std::string_view text, std::string* area)
    {
        output.Print(text);
        if (area)
            area->append(text);
    }
    // "ICount" := the instruction count, when the symbol exists.
    void UpdateInstructionCountSymbol();
    // The write-data log and the memory system's write hook that feeds it.
    bool OpenWriteDataLog(const std::string& name);
    void CloseWriteDataLog();
};

}  // namespace zk::sim

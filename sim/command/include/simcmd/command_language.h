// The simulator's command language: lines of commands separated by ";" that
// show and change registers, coprocessor registers, memory and user symbols,
// step and run the program, keep the software breakpoint list, read caches,
// disassemble, load files and configure the print, log and trace outputs.
//
// One CommandLanguage drives one Simulator (held by reference) and owns the
// print routine, the user symbols, the command history and the script file.
// Everything runs on the caller's thread; the "run" command may run on a run
// thread (run_control.h) while nothing else uses the object.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "simcmd/command_history.h"
#include "simcmd/user_symbols.h"
#include "simcore/simulator.h"
#include "simdisasm/sim_output.h"

namespace zk::sim {

struct Session;

class CommandLanguage {
public:
    // Dispatch results.
    static constexpr int kQuit = 0;  // "quit" ran
    static constexpr int kDone = 1;  // the line ended otherwise

    explicit CommandLanguage(Simulator& simulator);
    ~CommandLanguage();
    CommandLanguage(const CommandLanguage&) = delete;
    CommandLanguage& operator=(const CommandLanguage&) = delete;

    // Runs one line. Text that commands print goes through Output(); the
    // "read" items, the break messages and "Unrecognised command" are also
    // appended to `area` when it is given.
    int Dispatch(std::string_view line, std::string* area = nullptr);
    // As the lines "run", "break ADDRESS" and "break -da", without reading
    // a line.
    void Run();
    void InsertBreak(uint32_t address);
    void DisableAllBreaks();

    // The user symbol "ICount" := 0, created when missing (the simulator's
    // init); the other symbols stay.
    void Init();
    // Frees the user symbols and closes the script file and the log file;
    // the write-data log stays open.
    void Close();

    Simulator& Sim();
    SimOutput& Output();
    UserSymbols& Symbols();
    CommandHistory& History();
    // The run loop's last result code of the latest "run" command.
    int LastRunResult() const;
    // Whether "script" holds a script file open.
    bool ScriptOpen() const;

private:
    std::unique_ptr<Session> session_;
};

}  // namespace zk::sim

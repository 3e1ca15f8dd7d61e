#include "simcmd/command_language.h"

#include "command_table.h"
#include "session.h"

namespace zk::sim {

void Session::UpdateInstructionCountSymbol()
{
    if (UserSymbols::Symbol* symbol = symbols.Find(kInstructionCountSymbol))
        symbol->value = sim.InstructionCount();
}

bool Session::OpenWriteDataLog(const std::string& name)
{
    if (!output.OpenWriteDataLog(name)) {
        CloseWriteDataLog();
        return false;
    }
    sim.Memory().SetWriteHook([this](uint32_t addr, unsigned, uint32_t value) {
        output.TraceWrite(sim.InstructionCount(), sim.Cpu().pc, addr, value);
    });
    return true;
}

void Session::CloseWriteDataLog()
{
    sim.Memory().SetWriteHook(nullptr);
    output.CloseWriteDataLog();
}

CommandLanguage::CommandLanguage(Simulator& simulator) : session_(std::make_unique<Session>(simulator)) {}

CommandLanguage::~CommandLanguage()
{
    // The write hook refers to this object; the simulator may outlive it.
    if (session_->output.WriteDataLogOpen())
        session_->CloseWriteDataLog();
}

int CommandLanguage::Dispatch(std::string_view line, std::string* area)
{
    return DispatchLine(*session_, line, area);
}

void CommandLanguage::Run()
{
    RunToTheEnd(*session_);
    session_->output.Flush();
}

void CommandLanguage::InsertBreak(uint32_t address)
{
    zk::sim::InsertBreak(*session_, address, 0xFFFFFFFFu, nullptr);
    session_->output.Flush();
}

void CommandLanguage::DisableAllBreaks()
{
    zk::sim::DisableAllBreaks(*session_);
    session_->output.Flush();
}

void CommandLanguage::Init()
{
    if (UserSymbols::Symbol* symbol = session_->symbols.Find(kInstructionCountSymbol)) {
        symbol->value = 0;
    } else {
        session_->symbols.Create(kInstructionCountSymbol, 0, true);
    }
}

void CommandLanguage::Close()
{
    session_->symbols.Clear();
    session_->script.reset();
    session_->output.CloseLogFile();
    session_->output.SetLogging(false);
}

Simulator& CommandLanguage::Sim()
{
    return session_->sim;
}

SimOutput& CommandLanguage::Output()
{
    return session_->output;
}

UserSymbols& CommandLanguage::Symbols()
{
    return session_->symbols;
}

CommandHistory& CommandLanguage::History()
{
    return session_->history;
}

int CommandLanguage::LastRunResult() const
{
    return session_->lastRunResult;
}

bool CommandLanguage::ScriptOpen() const
{
    return session_->script != nullptr;
}

}  // namespace zk::sim

// libDorvel.so: the one process-wide simulator and its entry Sim_Command.
//
// The entry drives a CommandLanguage over the simulator: the break and run
// codes do what their commands do (the step code runs its command line
// through the dispatcher; print and log off unless a command line turns them
// on; none of the codes does), the register and memory codes work on the
// simulator directly, and go runs the "run" command on the run thread. While a run goes only status and halt
// act; close halts the run first.
#include <cstring>

#include "sim_command.h"
#include "simcmd/command_language.h"
#include "simcmd/run_control.h"
#include "simcmd/target_memory.h"
#include "simcore/simulator.h"
#include "simdisasm/console_text.h"

namespace {

using zk::sim::TransferResult;

// Member order is construction order: the run control goes first at exit,
// halting a run that still goes before anything it uses is freed.
struct Dorvel {
    zk::sim::Simulator simulator;
    zk::sim::CommandLanguage language{simulator};
    zk::sim::RunControl run{language};

    Dorvel() { language.Init(); }
};

Dorvel& Instance()
{
    static Dorvel dorvel;
    return dorvel;
}

int MemoryTransfer(Dorvel& d, bool write, intptr_t a1, intptr_t a2, intptr_t a3, intptr_t a4)
{
    const unsigned unit = static_cast<unsigned>(a1) & 0xFFFF;
    const auto address = static_cast<uint32_t>(a2);
    const size_t length = static_cast<size_t>(a4) & 0xFFFF;
    if (length == 0)
        return unit == 1 || unit == 2 || unit == 4 ? 0 : -1;
    if (a3 == 0)
        return -1;
    TransferResult result = write
        ? WriteTargetMemory(d.simulator, unit, address, reinterpret_cast<const uint8_t*>(a3), length)
        : ReadTargetMemory(d.simulator, unit, address, reinterpret_cast<uint8_t*>(a3), length);
    if (result == TransferResult::Refused && !write)
        d.language.Output().Print(zk::sim::kMemoryRefusedText);
    return result == TransferResult::Done ? 0 : -1;
}

int Command(Dorvel& d, int cmd, intptr_t a1, intptr_t a2, intptr_t a3, intptr_t a4)
{
    switch (cmd) {
    case SIM_CMD_INIT:
        d.simulator.Init();
        d.language.Init();
        return 0;
    case SIM_CMD_GO: return d.run.Go() ? 0 : -1;
    case SIM_CMD_READ_REG: {
        if (a2 == 0)
            return -1;
        uint32_t value = 0;
        if (d.simulator.ReadRegister(static_cast<int>(a1), value)) {
            std::memcpy(reinterpret_cast<void*>(a2), &value, sizeof value);
        }
        return 0;
    }
    case SIM_CMD_INSTRUCTION_COUNT: {
        if (a1 == 0)
            return -1;
        const uint32_t count = d.simulator.InstructionCount();
        std::memcpy(reinterpret_cast<void*>(a1), &count, sizeof count);
        return 0;
    }
    case SIM_CMD_WRITE_REG:
        d.simulator.WriteRegister(static_cast<int16_t>(a1 & 0xFFFF), static_cast<uint32_t>(a2));
        return 0;
    case SIM_CMD_READ_MEM: return MemoryTransfer(d, false, a1, a2, a3, a4);
    case SIM_CMD_WRITE_MEM: return MemoryTransfer(d, true, a1, a2, a3, a4);
    case SIM_CMD_SET_BREAK: d.language.InsertBreak(static_cast<uint32_t>(a1)); return 0;
    case SIM_CMD_HELP: return 0;
    case SIM_CMD_DISABLE_BREAKS: d.language.DisableAllBreaks(); return 0;
    case SIM_CMD_STEP: d.language.Dispatch("step"); return 0;
    case SIM_CMD_CLOSE:
        d.language.Close();
        d.simulator.Close();
        return 0;
    default: return 0;
    }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int Sim_Command(int cmd, intptr_t a1, intptr_t a2, intptr_t a3,
                                                                  intptr_t a4)
{
    Dorvel& d = Instance();
    // A stop hook runs on the run thread: only status and halt serve it.
    if (d.run.OnRunThread() && cmd != SIM_CMD_STATUS && cmd != SIM_CMD_HALT)
        return -1;
    switch (cmd) {
    case SIM_CMD_STATUS:
        if (a1 == 0)
            return -1;
        *reinterpret_cast<char*>(a1) = static_cast<char>(d.run.Status() & 0xFF);
        return 0;
    case SIM_CMD_HALT: d.run.Halt(); return 0;
    case SIM_CMD_CLOSE: d.run.Halt(); break;
    default:
        if (d.run.Running())
            return -1;
        break;
    }
    return Command(d, cmd, a1, a2, a3, a4);
}

extern "C" __attribute__((visibility("default"))) void Sim_SetStopHook(SimStopHook hook, void* context)
{
    Instance().run.SetStopHook(hook, context);
}

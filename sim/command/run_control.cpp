#include "simcmd/run_control.h"

#include <system_error>

#include "simcmd/command_language.h"

namespace zk::sim {

SimStopReason StopReasonFor(int lastResult, uint32_t fetchedWord)
{
    switch (lastResult) {
    case kNormalEnd: return fetchedWord == kNormalEndWord ? SIM_STOP_NORMAL_END : SIM_STOP_BREAK_WORD;
    case kSelfModify: return SIM_STOP_SELF_MODIFY;
    case kReset: return SIM_STOP_RESET;
    default: return SIM_STOP_HALT_REQUEST;  // a free run has no count that could end it
    }
}

RunControl::RunControl(CommandLanguage& language) : language_(language) {}

RunControl::~RunControl()
{
    Halt();
}

bool RunControl::Go()
{
    if (Running() || OnRunThread())
        return false;
    if (thread_.joinable())
        thread_.join();
    language_.Sim().ClearStopRequest();
    stopped_.store(0, std::memory_order_release);
    try {
        thread_ = std::thread(&RunControl::RunThread, this);
    } catch (const std::system_error&) {
        stopped_.store(1, std::memory_order_release);
        return false;
    }
    return true;
}

void RunControl::Halt()
{
    Simulator& sim = language_.Sim();
    if (OnRunThread()) {
        sim.RequestStop();
        return;
    }
    if (Running())
        sim.RequestStop();
    if (thread_.joinable())
        thread_.join();
    // A request that came after the run had ended by itself must not cut
    // the next run short.
    sim.ClearStopRequest();
}

void RunControl::SetStopHook(SimStopHook hook, void* context)
{
    std::lock_guard<std::mutex> lock(hookMutex_);
    hook_ = hook;
    hookContext_ = context;
}

void RunControl::RunThread()
{
    runThreadId_.store(std::this_thread::get_id());
    language_.Dispatch("run");
    const Simulator& sim = language_.Sim();
    const int code = language_.LastRunResult();
    const uint32_t pc = sim.Cpu().pc;
    const SimStopReason reason = StopReasonFor(code, sim.GetHistory().Back(1).word);
    SimStopHook hook;
    void* context;
    {
        std::lock_guard<std::mutex> lock(hookMutex_);
        hook = hook_;
        context = hookContext_;
    }
    // From here on the simulator belongs to the controlling thread again.
    stopped_.store(1, std::memory_order_release);
    if (hook)
        hook(context, reason, code, pc);
    runThreadId_.store(std::thread::id());
}

}  // namespace zk::sim

#include "simcmd/run_control.h"

#include <system_error>

#include "simcmd/command_language.h"

namespace zk::sim {

namespace {

constexpr int kYieldsBeforeSleep = 50;

}  // namespace

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
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

bool RunControl::WaitUntilIdle(std::unique_lock<std::mutex>& lock)
{
    const uint64_t handed = runsHanded_;
    // Another thread's go during the wait ends it too: its run is not the
    // one waited for.
    const auto over = [&] { return !underWay_ || runsHanded_ != handed; };
    // The usual wait is a go that came while the last run's hook was
    // returning (the hook's post woke this thread): the thread gives way a
    // few times before it sleeps, which spares the run thread a wake-up and
    // this one a sleep at most semihosting calls.
    for (int i = 0; i < kYieldsBeforeSleep && !over(); ++i) {
        lock.unlock();
        std::this_thread::yield();
        lock.lock();
    }
    idle_.wait(lock, over);
    return runsHanded_ == handed;
}

bool RunControl::Go()
{
    if (OnRunThread())
        return false;
    std::unique_lock<std::mutex> lock(mutex_);
    // Under the lock: a go from another thread may have come first.
    if (Running())
        return false;
    // The last run has stopped, but its hook may still be going.
    if (!WaitUntilIdle(lock))
        return false;
    if (!thread_.joinable()) {
        try {
            thread_ = std::thread(&RunControl::RunThread, this);
        } catch (const std::system_error&) {
            return false;
        }
    }
    language_.Sim().ClearStopRequest();
    stopped_.store(0, std::memory_order_release);
    runPending_ = true;
    underWay_ = true;
    ++runsHanded_;
    lock.unlock();
    wake_.notify_one();
    idle_.notify_all();  // a go waiting on another thread gives up
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
    std::unique_lock<std::mutex> lock(mutex_);
    // A request that came after the run had ended by itself must not cut
    // the next run short. (A run another thread started meanwhile had its
    // request cleared by its go; one made since is that run's.)
    if (WaitUntilIdle(lock))
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
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        zk::SpinBriefly(spin_, lock, [&] { return runPending_ || ending_; });
        wake_.wait(lock, [&] { return runPending_ || ending_; });
        if (!runPending_)
            return;
        runPending_ = false;
        lock.unlock();
        RunOnce();
        lock.lock();
        underWay_ = false;
        idle_.notify_all();
    }
}

void RunControl::RunOnce()
{
    language_.Run();
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
}

}  // namespace zk::sim

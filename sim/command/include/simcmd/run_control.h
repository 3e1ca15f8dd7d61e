// The free run on its own thread: one run thread per control, started by
// the first go and kept until the control is destroyed, runs the "run"
// command at each go; halt asks the run loop to stop (the simulator's stop
// request, kept apart from the stopped state) and waits for the run's end
// (its stop hook included); the stop hook hears of every end of a run,
// once, on the run thread.
//
// The stopped state is an atomic word (1 stopped, 0 running) that the run
// thread sets, with release order, after its last touch of the simulator;
// whoever reads 1 (acquire) may use the simulator again. A run is over once
// its hook has returned: a go waits for that (the hook of the last run may
// still be running when the state says stopped) before it hands the run
// thread the next run. Go and halt may come from several threads at once
// (on the run thread a go is refused and a halt only asks for the stop);
// the simulator itself is meant for one controlling thread.
#pragma once

#include "brief_spin.h"
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "sim_command.h"

namespace zk::sim {

class CommandLanguage;

// The reason for a run's end (see SimStopReason) from the run loop's last
// result code and, for 1008, the word it fetched.
SimStopReason StopReasonFor(int lastResult, uint32_t fetchedWord);

class RunControl {
public:
    explicit RunControl(CommandLanguage& language);
    // Halts a run that still goes and ends the run thread.
    ~RunControl();
    RunControl(const RunControl&) = delete;
    RunControl& operator=(const RunControl&) = delete;

    // Hands the run thread a run (starting the thread the first time);
    // false (nothing done) while a run goes, when called from the run thread
    // (a stop hook), or when no thread can be started.
    bool Go();
    // Stops a run that goes and waits for its end and its stop hook;
    // afterwards no stop request is left over. On the run thread itself (a
    // stop hook) it only asks the run to stop.
    void Halt();
    bool Running() const { return stopped_.load(std::memory_order_acquire) == 0; }
    // 1 stopped, 0 running.
    uint32_t Status() const { return stopped_.load(std::memory_order_acquire); }
    // True on the run thread (while a run and its stop hook go, and while it
    // waits for the next go).
    bool OnRunThread() const { return std::this_thread::get_id() == runThreadId_.load(); }

    void SetStopHook(SimStopHook hook, void* context);

private:
    void RunThread();
    void RunOnce();
    // Waits (holding `lock` on mutex_) until no run is under way; false
    // when another thread's go came meanwhile.
    bool WaitUntilIdle(std::unique_lock<std::mutex>& lock);

    CommandLanguage& language_;
    std::atomic<uint32_t> stopped_{1};
    std::atomic<std::thread::id> runThreadId_{};

    // The hand-over between the controlling threads and the run thread.
    std::mutex mutex_;
    std::condition_variable wake_;  // the run thread: a run to do, or the end
    std::condition_variable idle_;  // go and halt: a run is over
    bool runPending_ = false;       // a go handed a run the thread has not taken
    bool underWay_ = false;         // from a go to the return of its run's hook
    zk::SpinState spin_;            // the run thread's brief spin before it sleeps
    bool ending_ = false;           // the destructor asks the thread to end
    uint64_t runsHanded_ = 0;       // goes taken, to tell a wait that another go came
    std::thread thread_;            // started by the first go
    std::mutex hookMutex_;
    SimStopHook hook_ = nullptr;
    void* hookContext_ = nullptr;
};

}  // namespace zk::sim

// The free run on its own thread: go starts a thread that runs the "run"
// command; halt asks the run loop to stop (the simulator's stop request,
// kept apart from the stopped state) and waits for the thread to end; the
// stop hook hears of every end of a run, once, on the run thread.
//
// The stopped state is an atomic word (1 stopped, 0 running) that the run
// thread sets, with release order, after its last touch of the simulator;
// whoever reads 1 (acquire) may use the simulator again. Go, halt and
// finish are meant for one controlling thread.
#pragma once

#include <atomic>
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
    // Halts a run that still goes.
    ~RunControl();
    RunControl(const RunControl&) = delete;
    RunControl& operator=(const RunControl&) = delete;

    // Starts the run thread; false (nothing done) while a run goes or when
    // called from the run thread (a stop hook).
    bool Go();
    // Stops a run that goes and waits for its thread; afterwards no stop
    // request is left over. On the run thread itself (a stop hook) it only
    // asks the run to stop.
    void Halt();
    bool Running() const { return stopped_.load(std::memory_order_acquire) == 0; }
    // 1 stopped, 0 running.
    uint32_t Status() const { return stopped_.load(std::memory_order_acquire); }
    // True on the run thread until it ends (while the stop hook runs, too).
    bool OnRunThread() const { return std::this_thread::get_id() == runThreadId_.load(); }

    void SetStopHook(SimStopHook hook, void* context);

private:
    void RunThread();

    CommandLanguage& language_;
    std::atomic<uint32_t> stopped_{1};
    std::thread thread_;
    std::atomic<std::thread::id> runThreadId_{};
    std::mutex hookMutex_;
    SimStopHook hook_ = nullptr;
    void* hookContext_ = nullptr;
};

}  // namespace zk::sim

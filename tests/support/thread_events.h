// Waiting for what another thread does, without sleeping: a thread's
// scheduler state (to know it is blocked in a wait before waking it) and a
// log of events that one thread appends and another waits on.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zk::test {

// Only a broken build waits this long for an event that must come.
constexpr std::chrono::seconds kEventGuard{20};

// The kernel's id of the calling thread (its entry under /proc/self/task).
inline pid_t KernelThreadId()
{
    return gettid();
}

// The state letter of a thread of this process ('R' running, 'S' blocked in
// an interruptible wait, ...), or 0 when it has gone.
inline char ThreadState(pid_t tid)
{
    std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return 0;
    // "tid (name) S ...": the name may hold spaces and parentheses.
    const size_t close = line.rfind(')');
    return close == std::string::npos || close + 2 >= line.size() ? 0 : line[close + 2];
}

// Returns once the thread is blocked in a wait (a condition variable, a
// poll): the event that a wake-up test needs before it posts. False at the
// guard time.
inline bool WaitUntilBlocked(pid_t tid)
{
    const auto deadline = std::chrono::steady_clock::now() + kEventGuard;
    while (ThreadState(tid) != 'S') {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

// Events appended on one thread and awaited on another.
template <typename Event>
class EventLog {
public:
    void Add(const Event& e)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            events_.push_back(e);
        }
        cv_.notify_all();
    }
    // Waits until `count` events were added; false at the guard time.
    bool WaitFor(size_t count)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return cv_.wait_for(lock, kEventGuard, [&] { return events_.size() >= count; });
    }
    std::vector<Event> Events() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }
    size_t Size() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_.size();
    }
    void Clear()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<Event> events_;
};

}  // namespace zk::test
